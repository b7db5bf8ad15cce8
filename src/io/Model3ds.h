#pragma once
// Reading the triangle meshes of a 3DS file into connected pieces ready for voxelisation.

#include "core/Poxel.h"
#include "core/Result.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace lw {

// Three vertex indices and a flags word (0 after reading).
using TFace3D = std::array<uint16_t, 4>;

// One loaded mesh piece.
struct TObj3D {
    std::string Name;
    TVec3 BoxMin;
    TVec3 BoxMax;
    TVec3 Pos;
    TVec3 Rot; // degrees
    TVec3 CellSize;
    std::array<int32_t, 3> Dims{2, 2, 2};
    std::vector<TVec3> Vertices;
    std::vector<TFace3D> Faces;
    ALayer LevelMax;
    ALayer LevelMin;
};
using TObjArray3D = std::vector<TObj3D>;

// What a long import reports and how it is stopped: the GUI's dialog and worker and the
// command line's terminal line are thin shells over these.
struct ImportFeedback {
    // Stage texts ("Full Process" and "Poxel Process" lines).
    std::function<void(const std::string& full, const std::string& poxel)> OnStage;
    // Percentages of the two bars; -1 leaves a bar as it is.
    std::function<void(int mainPercent, int poxelPercent)> OnProgress;
    // Polled between steps; once set, no further poxels are made.
    const std::atomic<bool>* Cancel = nullptr;
    // The model as read, before any piece is voxelised (the view's wireframe of it).
    std::function<void(const TObjArray3D& objects)> OnRead;
    // Piece `index` is about to be voxelised.
    std::function<void(size_t index)> OnObject;
    // Piece `index` became the poxel content `poxel`.
    std::function<void(size_t index, const PoxelContent& poxel)> OnPoxel;

    void stage(const std::string& full, const std::string& poxel) const {
        if (OnStage)
            OnStage(full, poxel);
    }
    void progress(int mainPercent, int poxelPercent) const {
        if (OnProgress)
            OnProgress(mainPercent, poxelPercent);
    }
    bool cancelled() const { return Cancel && Cancel->load(std::memory_order_relaxed); }
};

// Counts of a read, for listings.
struct Read3dsStats {
    struct Mesh {
        std::string Name;
        size_t FileVertices = 0; // as the file lists them
        size_t Vertices = 0;     // after merging byte-equal vertices
        size_t Faces = 0;
        size_t Pieces = 0;
    };
    std::vector<Mesh> Meshes;
};

Error bad3dsFile(std::string detail);

// Decodes every named triangle mesh of `bytes`, in file order: vertices turned to (x, z, -y),
// byte-equal vertices merged, each mesh split into its connected pieces ("%s_Group_%d" when
// there are several). The chunk tree is walked (main, editor, named object and mesh chunks are
// entered, the rest passed over), so cameras and lights between meshes lose nothing.
// Malformed data is refused with the reason and the offset; nothing is read out of bounds.
Result<TObjArray3D> decode3ds(const std::vector<uint8_t>& bytes,
                              const ImportFeedback& feedback = {}, Read3dsStats* stats = nullptr);
// Reads the file and decodes it.
Result<TObjArray3D> Read3ds(const std::string& fileName, const ImportFeedback& feedback = {},
                            Read3dsStats* stats = nullptr);

// Splits one merged mesh into its connected pieces (faces linked by a shared vertex), numbered
// in the order of their lowest face. One piece keeps the object as it is.
void splitIntoPieces(TObj3D&& object, TObjArray3D& out);
// Box of the vertices, from (1E34, -1E34) as the reader starts it.
void computeBox(TObj3D& object);

} // namespace lw
