#include "io/gl/HeightmapRender.h"

#include "render/gl/SceneDrawer.h"

namespace lw::gl {

Result<HeightmapPreview> MakeHeightmap(const SceneState& state, TPoxel& node) {
    return heightmapFromDepth(RenderDepthFromAbove(state, node));
}

} // namespace lw::gl
