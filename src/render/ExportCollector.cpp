#include "render/ExportCollector.h"

#include <bit>

namespace lw {

size_t ExportCollector::KeyHash::operator()(const Key& k) const {
    uint64_t h = 0x9E3779B97F4A7C15ull;
    for (uint64_t v : {uint64_t{k.x}, uint64_t{k.y}, uint64_t{k.z}, uint64_t{k.kind}}) {
        h ^= v + 0x9E3779B97F4A7C15ull + (h << 6) + (h >> 2);
        h *= 0xBF58476D1CE4E5B9ull;
    }
    return static_cast<size_t>(h ^ (h >> 31));
}

int32_t ExportCollector::FindOrAddExportVertex(const TVec3& pos, const TTexCoord& texCoord,
                                               uint8_t faceKind) {
    // Positions compare by their bytes, so 0.0 and -0.0 are different vertices.
    const Key key{std::bit_cast<uint32_t>(pos.X), std::bit_cast<uint32_t>(pos.Y),
                  std::bit_cast<uint32_t>(pos.Z), GroupByTexture ? faceKind : uint8_t{0}};
    const auto [it, added] = index_.try_emplace(key, static_cast<int32_t>(Positions.size()));
    if (added) {
        Positions.push_back(pos);
        TexCoords.push_back(texCoord);
        FaceKinds.push_back(faceKind);
        if (OnVertexAdded)
            OnVertexAdded(it->second);
    }
    return it->second;
}

void ExportCollector::AddExportFace(int32_t i0, int32_t i1, int32_t i2, int edges,
                                    uint32_t firstTexture) {
    Faces.push_back(ExportFace{i2, i1, i0, edges});
    if (GroupByTexture)
        TextureFaces[firstTexture].push_back(static_cast<int32_t>(Faces.size() - 1));
}

void ExportCollector::clear() {
    Positions.clear();
    TexCoords.clear();
    FaceKinds.clear();
    Faces.clear();
    TextureFaces.clear();
    index_.clear();
}

} // namespace lw
