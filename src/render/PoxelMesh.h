#pragma once
// Mesh generation of a poxel as a pure function: the deformed lattice, the bounding box and
// every triangle, outline edge and point the GPU meshes (or an immediate draw) are made of.
// No OpenGL here; render/gl uploads the arrays.

#include "core/Poxel.h"
#include "render/ExportCollector.h"
#include "render/TextureList.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace lw {

struct TColor4 {
    float R = 0.0f;
    float G = 0.0f;
    float B = 0.0f;
    float A = 0.0f;

    friend bool operator==(const TColor4&, const TColor4&) = default;
};

// One vertex of a triangle, laid out as OpenGL's T2F_C4F_N3F_V3F interleaved format so the
// lists compile straight from the array. The texture coordinate goes to both units; the normal
// is the triangle's.
struct MeshVertex {
    TTexCoord Tex;
    TColor4 Colour;
    TVec3 Normal;
    TVec3 Pos;
};
static_assert(sizeof(MeshVertex) == 12 * sizeof(float), "interleaved layout");

// Face kind tag: what the 3DS export groups vertices by.
enum class FaceTag : uint8_t {
    Flat = 0, // top, bottom and the heightmap top
    Side = 1,
    Cap = 2,
};

struct MeshTriangle {
    uint32_t Tex1 = 0; // texture name bound on unit 1 (the first texture)
    uint32_t Tex0 = 0; // texture name bound on unit 0 (the second texture)
    FaceTag Kind = FaceTag::Flat;
};

enum class PointStyle : uint8_t {
    Flat,   // size 4, lighting and texturing off: identities and heat tints
    Marker, // size 4, blended and smoothed: the yellow empty-cell points
};

struct MeshPoint {
    TVec3 Pos;
    TColor4 Colour;
    PointStyle Style = PointStyle::Flat;
};

enum class MeshMode : uint8_t {
    Lists,        // uploaded as the poxel's GPU mesh
    DirectDraw,   // drawn at once: filled cells in identity colours (cell index + 1)
    HeightPoints, // drawn at once: the top-level lattice points
    LayerPoints,  // drawn at once: the four corners of every level
};

// Cells per slab, about (see PoxelMesh::SlabTriangleStart).
constexpr int32_t kSlabCells = 640;

struct PoxelMesh {
    MeshMode Mode = MeshMode::Lists;
    std::vector<TVec3> Lattice; // lattice points, numbered as latticeIndex()
    TVec3 BoxMin;
    TVec3 BoxMax;

    // Triangles: three vertices each, in emission order. In DirectDraw builds their colour is
    // the identity colour of the cell and they are neither outlined nor pickable.
    std::vector<MeshVertex> Vertices;
    std::vector<MeshTriangle> Triangles;
    // Whether the textured list binds the names of Triangles (a texture table was given, or the
    // heightmap preview has its two textures loaded).
    bool BindsTextures = false;
    // Outlined edges: two points each (the ListId + 10000 list).
    std::vector<TVec3> EdgeVertices;
    // Positions of the pickable triangles: three each (the ListId + 20000 list).
    std::vector<TVec3> PickVertices;
    // Points: empty cells with ShowPoints (in the textured list, or drawn at once with
    // DirectDraw), or the lattice points of the two point modes.
    std::vector<MeshPoint> Points;
    // LayerPoints without the pick pass: the four corners of every level again, each four a
    // yellow line loop.
    std::vector<TVec3> LoopVertices;
    // BlurPass with a texture table: every cell word with the combined corner flags ORed in.
    // Empty otherwise.
    std::vector<uint32_t> BlurredVoxels;
    // Slabs: square tiles of whole columns, about kSlabCells cells each. The lists are compiled
    // per slab, so a rebuild recompiles only the slabs whose output changed, and a brush that
    // touches a patch of the top changes few of them. A tile is not a run in emission order
    // (cells go z, then x, then y): the output is cut into chunks, one row of a tile's columns
    // each. Entry k is the first triangle (edge point) of chunk k, a last entry closes the last
    // chunk, and ChunkSlab[k] is the slab chunk k belongs to (0 .. SlabCount - 1).
    std::vector<uint32_t> SlabTriangleStart;
    std::vector<uint32_t> SlabEdgeStart;
    std::vector<uint32_t> ChunkSlab;
    uint32_t SlabCount = 0;

    size_t triangleCount() const { return Triangles.size(); }
    size_t edgeCount() const { return EdgeVertices.size() / 2; }
    // Empties every array, keeping the capacity for the next build.
    void clear();
};

// What a build needs beyond the poxel and the texture table.
struct MeshBuildExtras {
    // Heat-tint weights (percent, 0..100) of the two point modes without their pick pass:
    // lattice column (x, z) of the top level, and corner j (1..4) of level y. Missing = 0.
    std::function<double(int32_t x, int32_t z)> HeightWeight;
    std::function<double(int32_t corner, int32_t level)> LayerWeight;
    // 3DS collection: every emitted triangle also enters the collector.
    ExportCollector* Export = nullptr;
};

// Cell word fields.
inline uint32_t firstTextureCode(uint32_t cell) {
    return cell & 0xFFu;
}
inline uint32_t secondTextureCode(uint32_t cell) {
    return cell >> 8 & 0xFFu;
}
// Texture index of a code: texture box n is stored as 4n - 1; codes 1 and 2 give -1.
inline int textureIndexOfCode(uint32_t code) {
    return static_cast<int>((code + 1) >> 2) - 1;
}
// Bit of the corner flags for cell corner (cx, cy, cz), 1 = the high side of that axis.
inline uint32_t cornerFlagBit(int cx, int cy, int cz) {
    return 16u + static_cast<uint32_t>((1 - cx) + 2 * (1 - cz) + 4 * (1 - cy));
}

// Builds the geometry of `p` with its switches (DirectDraw, ShowPoints, the point modes and
// their passes, BlurPass) into `mesh`. `textures` may be null: the mesh is then untextured.
// `p` is not changed; a group gets the unit box and nothing else.
void computePoxelGeometry(const TPoxel& p, const TTextureList* textures, PoxelMesh& mesh,
                          const MeshBuildExtras& extras = {});

// The same, then stores what a build owns into the poxel: Vertices, BoxMin and BoxMax, and with
// BlurPass the combined corner flags in the cell words.
void buildPoxelGeometry(TPoxel& p, const TTextureList* textures, PoxelMesh& mesh,
                        const MeshBuildExtras& extras = {});
// The second half of buildPoxelGeometry: what the build of `mesh` owns goes into `p`.
void storePoxelGeometry(TPoxel& p, const PoxelMesh& mesh);

} // namespace lw
