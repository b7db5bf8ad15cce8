#pragma once
// Turns poxels into their three display lists (or draws them at once for the pick passes and
// the point tools). Needs a current OpenGL context with the multitexture entry points loaded.

#include "core/Poxel.h"
#include "render/PoxelMesh.h"
#include "render/TextureList.h"

namespace lw::gl {

// The lists of a node: textured and lit mesh, outline edges, flat pick triangles.
constexpr int32_t kEdgeListOffset = 10000;
constexpr int32_t kPickListOffset = 20000;

// Rebuilds `poxel`: lattice, box and (with BlurPass and a table) the blended corner flags are
// written into it. A plain build recompiles ListId, ListId + 10000 and ListId + 20000;
// DirectDraw and the two point modes draw at once into the current frame and leave the lists
// as they are. A group only gets its unit box. `textures` may be null (untextured mesh).
void BuildPoxelMesh(TPoxel& poxel, const TTextureList* textures,
                    const MeshBuildExtras& extras = {});

// BuildPoxelMesh for `poxel`, then for each child, depth first, in child order.
void BuildPoxelTree(TPoxel& poxel, const TTextureList* textures);

// The two halves of BuildPoxelMesh, for callers that hold a mesh already.
void compilePoxelLists(int32_t listId, const PoxelMesh& mesh);
void drawPoxelMeshNow(const PoxelMesh& mesh);

// A poxel of several slabs keeps one list per slab and kind beside its own three lists, which
// call them; a rebuild recompiles only the slabs whose output changed. The release hook frees
// them with the node (releasePoxelSlabLists). Whoever destroys an OpenGL context calls
// forgetPoxelSlabLists so that the next context starts afresh.
constexpr uint32_t kSlabListBase = 1000000; // far above every node band
void releasePoxelSlabLists(int32_t listId);
void forgetPoxelSlabLists();

} // namespace lw::gl
