#pragma once
// "Make Hmap": the heightmap preview of a node from its depth seen from above, drawn in the
// current OpenGL context (the view's or a headless one).

#include "core/Poxel.h"
#include "core/Result.h"
#include "io/HeightmapFile.h"
#include "render/SceneState.h"

namespace lw::gl {

// Draws `node` and its subtree (their meshes built) into the bound framebuffer, which must be
// at least 100 x 100 pixels, and turns the depth into a new preview with a black mask.
Result<HeightmapPreview> MakeHeightmap(const SceneState& state, TPoxel& node);

} // namespace lw::gl
