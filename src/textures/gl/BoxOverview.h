#pragma once
// The box overview of "Show Boxs": every texture box drawn as a lit cube with its textures,
// read back and laid out as 8 x 8 numbered tiles.

#include "render/TextureList.h"

#include <QFont>
#include <QImage>

namespace lw::gl {

// Size of the square the boxes are rendered in; the bound framebuffer must be at least this
// large and have a depth buffer.
constexpr int kBoxRenderSize = 256;

// One quad of the box preview: normal (P2 - P1) x (P3 - P1); texture rows (top, bottom) of
// `kind` 0 (0, 1), 1 (0, 0.25) or 2 (0.25, 0.5).
void DrawBoxQuad(const float* p1, const float* p2, const float* p3, int kind, const float* p4);
// The cube of box `row` (texture objects in `binding`, the edge entry kNoEdgeTexture for none)
// with half side `a`: top and two sides, and the two edge flaps when the box has an edge.
void DrawTextureBox(const TTextureRow& row, float a);

// Renders the boxes of `binding` (texture objects, as TextureSet::bindingTable gives them)
// into the bound framebuffer one after the other and returns the 530 x 530 overview: grey,
// with tile k at ((k - 1) mod 8 * 66 + 2, (k - 1) div 8 * 66 + 2), numbered in `font`. Box 64
// is drawn untextured. The context's matrices, viewport and state are restored afterwards.
QImage BuildBoxOverview(const TTextureList& binding, const QFont& font);

} // namespace lw::gl
