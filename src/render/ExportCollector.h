#pragma once
// Collection of de-duplicated vertices and faces while a poxel is built for the 3DS export.

#include "core/Poxel.h"

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <unordered_map>
#include <vector>

namespace lw {

struct TTexCoord {
    float U = 0.0f;
    float V = 0.0f;

    friend bool operator==(const TTexCoord&, const TTexCoord&) = default;
};

// Face record: index of the third vertex, of the second, of the first, and the edge code
// 4 * (first-second outlined) + 2 * (second-third outlined) + (third-first outlined).
// Indices are kept at full width; the writer decides what to do with more than 16 bits.
using ExportFace = std::array<int32_t, 4>;

class ExportCollector {
public:
    // Per-texture grouping: vertices are shared only within a face kind, and every face is
    // also listed under the texture bound on unit 1 when it was emitted.
    bool GroupByTexture = false;
    // Called with the index of every vertex added (the export dialog's poxel progress).
    std::function<void(int32_t)> OnVertexAdded;

    std::vector<TVec3> Positions;
    std::vector<TTexCoord> TexCoords;
    std::vector<uint8_t> FaceKinds;
    std::vector<ExportFace> Faces;
    // Face numbers per first-texture name, in ascending name order (the order of the
    // texture name list, whose positions are the texture names).
    std::map<uint32_t, std::vector<int32_t>> TextureFaces;

    // Index of the collected vertex whose position equals `pos` bit for bit (and, when grouping,
    // whose face kind equals `faceKind`); otherwise the vertex is appended. A shared position
    // keeps the texture coordinate of its first entry.
    int32_t FindOrAddExportVertex(const TVec3& pos, const TTexCoord& texCoord, uint8_t faceKind);
    // Appends the face (i0, i1, i2) with its outline bits (4: i0-i1, 2: i1-i2, 1: i2-i0).
    void AddExportFace(int32_t i0, int32_t i1, int32_t i2, int edges, uint32_t firstTexture);

    // Empties the collection (done per poxel).
    void clear();

private:
    struct Key {
        uint32_t x, y, z;
        uint8_t kind;
        friend bool operator==(const Key&, const Key&) = default;
    };
    struct KeyHash {
        size_t operator()(const Key& k) const;
    };
    // The same answers as a backward search over the collected vertices, without its
    // quadratic cost: there is never more than one vertex per key.
    std::unordered_map<Key, int32_t, KeyHash> index_;
};

} // namespace lw
