#pragma once
// Turns poxels into their three display lists (or draws them at once for the pick passes and
// the point tools). Needs a current OpenGL context with the multitexture entry points loaded.

#include "core/Poxel.h"
#include "render/PoxelMesh.h"
#include "render/TextureList.h"
#include "render/gl/DisplayLists.h"

#include <vector>

namespace lw::gl {

// Rebuilds `poxel`: lattice, box and (with BlurPass and a table) the blended corner flags are
// written into it. A plain build recompiles the node's three lists (DisplayLists.h);
// DirectDraw and the two point modes draw at once into the current frame and leave the lists
// as they are. A group only gets its unit box. `textures` may be null (untextured mesh).
void BuildPoxelMesh(TPoxel& poxel, const TTextureList* textures,
                    const MeshBuildExtras& extras = {});

// BuildPoxelMesh for `poxel`, then for each child, depth first, in child order.
void BuildPoxelTree(TPoxel& poxel, const TTextureList* textures);

// The two halves of BuildPoxelMesh, for callers that hold a mesh already.
void compilePoxelLists(uint32_t lists, const PoxelMesh& mesh);
void drawPoxelMeshNow(const PoxelMesh& mesh);

// A poxel of several slabs keeps one list per slab and kind beside its own three lists, which
// call them; a rebuild recompiles only the slabs whose output changed. They are released with
// the node's lists and forgotten with the context (forgetContextLists).
void releasePoxelSlabLists(uint32_t nodeLists);
// The first list of each slab of `node` (empty for a poxel of one slab).
std::vector<uint32_t> slabListsOf(const TPoxel& node);
void forgetPoxelSlabLists();
// A run of changes that one undo takes back (a brush stroke, a drag) begins: the first time it
// replaces a slab's lists, the lists before it are kept compiled, so undoing the run, and then
// redoing it, swaps lists instead of compiling them. One kept version per slab.
void keepSlabListsForUndo();

} // namespace lw::gl
