#pragma once
// The wireframe of a loaded 3DS model in the view, while and after it is imported.

#include "io/Model3ds.h"

namespace lw::gl {

// Each piece in a colour of its own, each face as the line strip through its three corners
// (the closing edge is not drawn). Lighting and texturing are off for it; the state is kept.
void DrawImportedModel(const TObjArray3D& objects);

} // namespace lw::gl
