#pragma once
// The frame of the 3D view, for the screen or as a pick pass, drawn into the current OpenGL
// context (a window's or a headless one) from a SceneState.

#include "core/Poxel.h"
#include "render/SceneState.h"

#include <cstdint>
#include <vector>

namespace lw::gl {

// Fixed display lists: 1 = axis tripod, 2 = small cross, 3 = ground grid.
constexpr unsigned kListTripod = 1;
constexpr unsigned kListCross = 2;
constexpr unsigned kListGrid = 3;
// Base of the label font's lists (codes 0..255).
constexpr int kFontListBase = 2000;

// One-time state of a new context: depth test, lighting, material, polygon offset. Also puts
// the camera back to its start and switches the grid and the edge overlay on.
void SetupGLState(SceneState& state);
void BuildFixedLists(int fontBase);
// Draws a frame. A pick pass paints every pickable thing in its identity colour into the
// square of pixels from (0, 0) that shows what lies within PickRadius pixels of (PickX, PickY),
// pixel for pixel; nothing of it is meant to be shown.
void RenderFrame(SceneState& state, bool pick);
// Runs a pick pass around (x, y) (client pixels, y down) and returns the identities read back,
// 0 for the background: a square of side 2 * radius + 1, rows from the top. The caller binds a
// framebuffer at least that large that the pass may scribble on.
std::vector<uint32_t> PickWindow(SceneState& state, int x, int y, int radius);
// The identity under (x, y) alone.
uint32_t PickAt(SceneState& state, int x, int y);
// Side in pixels of the depth picture of a node seen from above ("Make Hmap"); it covers
// 150 world units, the cells of the heightmap preview.
constexpr int kDepthSide = 100;
// Draws `node` with its subtree (meshes built) as a pick pass does, seen from straight above,
// into the bound framebuffer (at least kDepthSide square) and returns its depth as 16-bit
// values, kDepthSide rows from the bottom. Reads `state` only: selection, tools and the
// dummy icons play no part.
std::vector<uint16_t> RenderDepthFromAbove(const SceneState& state, TPoxel& node);
// Fits the camera to `poxel` from the current model-view matrix (the poxel's world transform).
void FocusCamera(TCamera& camera, const TPoxel& poxel);

} // namespace lw::gl
