#pragma once
// Turns poxels into their meshes on the GPU: vertex buffers drawn through the fixed-function
// pipeline (or draws them at once for the pick passes and the point tools). Needs a current
// OpenGL context with the multitexture and buffer-object entry points loaded.

#include "core/Poxel.h"
#include "render/PoxelMesh.h"
#include "render/TextureList.h"
#include "render/gl/DisplayLists.h"

#include <cstddef>
#include <functional>
#include <vector>

namespace lw::gl {

// Rebuilds `poxel`: lattice, box and (with BlurPass and a table) the blended corner flags are
// written into it. A plain build uploads the node's mesh (triangles, edges, pick triangles);
// DirectDraw and the two point modes draw at once into the current frame and leave the mesh
// as it is. A group only gets its unit box. `textures` may be null (untextured mesh).
void BuildPoxelMesh(TPoxel& poxel, const TTextureList* textures,
                    const MeshBuildExtras& extras = {});

// BuildPoxelMesh for `poxel` and every node below it. Many poxels are meshed on worker threads
// while this thread uploads.
void BuildPoxelTree(TPoxel& poxel, const TTextureList* textures);

// Called on the building thread as meshes are uploaded: how many of how many are done.
using BuildProgress = std::function<void(size_t done, size_t total)>;
// BuildPoxelMesh for each of `nodes` (distinct nodes, none of them in a point mode). The
// geometry is computed on worker threads when there are many; only this thread touches
// OpenGL and calls `progress`.
void BuildPoxelMeshes(const std::vector<TPoxel*>& nodes, const TTextureList* textures,
                      const BuildProgress& progress = {});

// Uploads `mesh` as the GPU mesh of `handle` (see DisplayLists.h).
void compilePoxelLists(uint32_t handle, const PoxelMesh& mesh);
// Draws a mesh that is not kept: the direct and point modes.
void drawPoxelMeshNow(const PoxelMesh& mesh);

// The uploaded mesh of a poxel, in its own frame (Size not applied): the triangles with their
// colours, textures and points; the outline edges in the current colour; the pickable
// triangles in the current colour. Nothing for a poxel without a mesh in this context.
void drawPoxelTriangles(const TPoxel& poxel);
void drawPoxelEdges(const TPoxel& poxel);
void drawPoxelPickTriangles(const TPoxel& poxel);
// The three draws above leave their client arrays on and a buffer bound for the next poxel;
// this switches them off. Call it before anything else draws from arrays, and at the end of
// a pass.
void endPoxelArrays();

// A poxel of several slabs keeps one buffer per slab; a rebuild uploads only the slabs whose
// output changed. The buffer of each slab of `node` (0 for an empty slab; nothing without a
// mesh in this context).
std::vector<uint32_t> meshBuffersOf(const TPoxel& node);
// A run of changes that one undo takes back (a brush stroke, a drag) begins: the first time it
// replaces a slab's buffer, the buffer before it is kept, so undoing the run, and then redoing
// it, swaps buffers instead of uploading them. One kept version per slab.
void keepSlabBuffersForUndo();

// GPU mesh handles (what TPoxel::GlLists holds): a new empty one, the release of one with
// its buffers (context current), and forgetting them all with their context.
uint32_t newMeshHandle();
void releaseMeshHandle(uint32_t handle);
void forgetMeshHandles();

} // namespace lw::gl
