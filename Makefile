# The two entry points of the README. Both install what they need first.
.PHONY: run test deps build clean fuzz

JOBS ?= $(shell nproc)
CLI_DEFAULT = build/default/src/landwright-cli
# The demo's textures, written beside the map by `demo`.
DEMO_TEXTURES = --textures build/demo-textures.txt --bundles build/demo-bundles
DEMO_RENDER_TEXTURES = --texture-list build/demo-textures.txt --bundles build/demo-bundles

deps:
	scripts/install-deps

build: deps
	cmake --preset default
	cmake --build --preset default -j $(JOBS) --target landwright-cli landwright

# The main job: write the demo map and its textures with the command-line tool and open them in
# the editor. Without a display, draw the textured map into a picture instead and say how to
# start the editor.
run: build
	$(CLI_DEFAULT) demo build/demo.xom
	@if [ -n "$$DISPLAY" ] || [ -n "$$WAYLAND_DISPLAY" ]; then \
		build/default/src/landwright $(DEMO_TEXTURES) build/demo.xom; \
	else \
		$(CLI_DEFAULT) render build/demo.xom -o build/demo.png --wireframe $(DEMO_RENDER_TEXTURES) >/dev/null && \
		echo "No display: the demo map was drawn into $$(pwd)/build/demo.png" && \
		echo "Start the editor on a desktop with: build/default/src/landwright $(DEMO_TEXTURES) build/demo.xom"; \
	fi

# Everything CI checks: the full build with warnings as errors and every suite,
# then the headless suites again under AddressSanitizer.
test: deps
	cmake --preset ci
	cmake --build --preset ci -j $(JOBS)
	ctest --preset ci -j $(JOBS)
	cmake --preset asan
	cmake --build --preset asan -j $(JOBS)
	ctest --preset asan -j $(JOBS)

# Every fuzz target for FUZZ_SECONDS each (FUZZ_PARALLEL at a time; FUZZ_TARGETS to choose).
FUZZ_SECONDS ?= 60
FUZZ_PARALLEL ?= 1
FUZZ_TARGETS ?=
fuzz: deps
	cmake --preset fuzz
	cmake --build --preset fuzz -j $(JOBS)
	scripts/fuzz --seconds $(FUZZ_SECONDS) --parallel $(FUZZ_PARALLEL) $(FUZZ_TARGETS)

clean:
	rm -rf build
