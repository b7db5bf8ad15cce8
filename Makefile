# The two entry points of the README. Both install what they need first.
.PHONY: run test deps build clean

JOBS ?= $(shell nproc)
CLI_DEFAULT = build/default/src/landwright-cli

deps:
	scripts/install-deps

build: deps
	cmake --preset default
	cmake --build --preset default -j $(JOBS) --target landwright-cli

# The main job: write the demo map with the command-line tool and summarise it.
run: build
	$(CLI_DEFAULT) demo build/demo.xom
	$(CLI_DEFAULT) info build/demo.xom

# Everything CI checks: the full build with warnings as errors and every suite,
# then the headless suites again under AddressSanitizer.
test: deps
	cmake --preset ci
	cmake --build --preset ci -j $(JOBS)
	ctest --preset ci -j $(JOBS)
	cmake --preset asan
	cmake --build --preset asan -j $(JOBS)
	ctest --preset asan -j $(JOBS)

clean:
	rm -rf build
