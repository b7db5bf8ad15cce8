#pragma once
// The headless OpenGL context the mesh and brush benchmarks draw in, one for the program.

#include "render/gl/HeadlessContext.h"

#include <benchmark/benchmark.h>

namespace lwbench {

// Null, with the benchmark skipped, where no context can be made.
inline lw::gl::HeadlessContext* glContext(benchmark::State& state) {
    static auto created = lw::gl::HeadlessContext::create(64, 64);
    if (!created) {
        state.SkipWithError(created.error().message().c_str());
        return nullptr;
    }
    return created.value().get();
}

} // namespace lwbench
