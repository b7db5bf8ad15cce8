#pragma once
// "Apoxelation": turning the pieces of a 3DS model into poxels, shaped either by per-level
// side offsets or, in height-map mode, by column heights.

#include "core/Poxel.h"
#include "io/Model3ds.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace lw {

// The import dialog's options, with its defaults.
struct ApoxelOptions {
    int32_t SizeX = 2;      // 1..30
    int32_t SizeZ = 2;      // 1..30
    int32_t MaxLayers = 10; // 2..26
    bool TopSmooth = false;
    bool SideSmooth = false;
    bool LayersSmooth = true;
    bool HeightMap = false;
    double Quality = 0.05; // 0.0001..1
    bool VoxDiv = false;   // height-map mode only
};

// Checks the ranges above; the error names the option.
Status checkApoxelOptions(const ApoxelOptions& options);

// Pearson correlation search about each axis (z, y, x), the principal turn of the piece.
// Centres `vertices` on `pos`, turns them, and sets `rot` (degrees) and the adjusted `pos`.
void FindModelRotation(std::vector<TVec3>& vertices, TVec3& pos, TVec3& rot);
// Euler angles (degrees) of the turns found about x, y and z.
TVec3 RotationToEuler(float ax, float ay, float az);

// Level mode: the offsets of each level plane from the piece's extents at that height, reduced
// while the profile allows when `LayersSmooth` is on. Sets LevelMax, LevelMin and Dims.
void FitLevels(TObj3D& object, const ApoxelOptions& options);
// Height-map mode: column heights from vertical rays through the faces; clears the cells above
// them with VoxDiv and the cells of uncovered columns.
void FitHeights(const TObj3D& object, PoxelContent& poxel, const ApoxelOptions& options);

// Voxelises one piece into the content of a new poxel named after it, or nothing with the
// reason in `note`. Makes no node, so it may run on any thread.
std::optional<PoxelContent> apoxelatePiece(const TObj3D& object, const ApoxelOptions& options,
                                           const ImportFeedback& feedback, std::string& note);
// Voxelises one piece into a new poxel named after it, or returns nullptr with the reason in
// `note` for a piece that cannot make one (no extent, or cancelled).
std::unique_ptr<TPoxel> ApoxelateObject(const TObj3D& object, const ApoxelOptions& options,
                                        const ImportFeedback& feedback, std::string& note);

// The group named after the file (without folder), holding one poxel per usable piece.
struct ModelImport {
    std::unique_ptr<TPoxel> Group;
    std::vector<std::string> Notes; // pieces skipped, and why
    bool Cancelled = false;
};
ModelImport CreateImportGroup(const std::string& fileName);

// An import worked out away from the map: the contents of the group and of its poxels, no
// nodes. Node serials and list numbers belong to the thread that owns the map, which turns
// this into nodes with buildImportNodes once the work is done; a worker thread computes it.
struct DetachedImport {
    PoxelContent Group;
    std::vector<PoxelContent> Poxels; // the group's children, in piece order
    std::vector<std::string> Notes;
    bool Cancelled = false;
};
DetachedImport apoxelateDetached(const std::string& fileName, const TObjArray3D& objects,
                                 const ApoxelOptions& options, const ImportFeedback& feedback = {});
// Reads the file and voxelises its pieces; refused options or a refused file give the error.
Result<DetachedImport> importModel3dsDetached(const std::string& fileName,
                                              const ApoxelOptions& options,
                                              const ImportFeedback& feedback = {});
// The group node with one child per poxel, numbered from the current counter.
ModelImport buildImportNodes(DetachedImport&& detached);
// Reads the file and voxelises every piece under a new group; the caller adds the group to the
// map. Nothing is built when the file is refused.
Result<ModelImport> importModel3ds(const std::string& fileName, const ApoxelOptions& options,
                                   const ImportFeedback& feedback = {});
// The same from pieces already read.
ModelImport apoxelateObjects(const std::string& fileName, const TObjArray3D& objects,
                             const ApoxelOptions& options, const ImportFeedback& feedback = {});

} // namespace lw
