#pragma once

namespace lw::gl {

// Makes core release a node's three display lists through the current OpenGL context.
void installDisplayListReleaseHook();

} // namespace lw::gl
