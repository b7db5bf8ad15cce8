#pragma once
// 3DS models: decoded into pieces whose faces name vertices they have; small models are
// voxelised as the import dialog's defaults do it.

#include "Fuzz.h"

#include "io/Apoxelate.h"
#include "io/Model3ds.h"

namespace lwfuzz {

// Voxelising is the slow part of an import; larger models only exercise the reader.
constexpr size_t kMaxVoxelisedVertices = 600;

inline void read3dsModel(const uint8_t* data, size_t size) {
    const std::vector<uint8_t> bytes(data, data + size);
    lw::Read3dsStats stats;
    auto objects = lw::decode3ds(bytes, {}, &stats);
    if (!objects)
        return;
    size_t vertices = 0;
    for (const lw::TObj3D& o : *objects) {
        for (const lw::TFace3D& f : o.Faces)
            for (int k = 0; k < 3; ++k)
                require(f[size_t(k)] < o.Vertices.size(), "every face names a vertex it has");
        vertices += o.Vertices.size();
    }
    if (vertices > kMaxVoxelisedVertices)
        return;
    lw::ApoxelOptions options;
    options.HeightMap = !bytes.empty() && (bytes.back() & 1);
    const lw::ModelImport import = lw::apoxelateObjects("fuzz.3ds", *objects, options);
    require(import.Group != nullptr, "an import always has its group");
    for (const auto& poxel : import.Group->Children)
        require(poxel->Voxels.size() == size_t(poxel->NX) * size_t(poxel->NY) * size_t(poxel->NZ),
                "a voxelised poxel's cells match its size");
}

} // namespace lwfuzz
