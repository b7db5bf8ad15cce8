#pragma once
// Building small 3DS files chunk by chunk for the reader's tests.

#include "core/ByteIO.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace lwtest {

using Bytes = std::vector<uint8_t>;

inline void put16(Bytes& out, uint16_t v) {
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
}

// A chunk of `id` around `body`; `length` overrides the computed length.
inline Bytes chunk(uint16_t id, const Bytes& body, int64_t length = -1) {
    Bytes out;
    put16(out, id);
    lw::appendU32(out, length >= 0 ? uint32_t(length) : uint32_t(body.size() + 6));
    out.insert(out.end(), body.begin(), body.end());
    return out;
}

inline Bytes cat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

inline Bytes vertexList(const std::vector<std::array<float, 3>>& vertices) {
    Bytes body;
    put16(body, uint16_t(vertices.size()));
    for (const auto& v : vertices)
        for (float f : v)
            lw::appendF32(body, f);
    return chunk(0x4110, body);
}

inline Bytes faceList(const std::vector<std::array<uint16_t, 3>>& faces) {
    Bytes body;
    put16(body, uint16_t(faces.size()));
    for (const auto& f : faces) {
        for (uint16_t i : f)
            put16(body, i);
        put16(body, 7);
    }
    return chunk(0x4120, body);
}

inline Bytes named(const std::string& name, const Bytes& content) {
    Bytes body(name.begin(), name.end());
    body.push_back(0);
    body.insert(body.end(), content.begin(), content.end());
    return chunk(0x4000, body);
}

inline Bytes meshObject(const std::string& name, const std::vector<std::array<float, 3>>& v,
                        const std::vector<std::array<uint16_t, 3>>& f) {
    return named(name, chunk(0x4100, cat({vertexList(v), faceList(f)})));
}

// A whole file: main chunk, version, editor chunk holding `objects`, then `tail`.
inline Bytes model(const Bytes& objects, const Bytes& tail = {}) {
    Bytes version;
    lw::appendU32(version, 3);
    return chunk(0x4D4D, cat({chunk(0x0002, version), chunk(0x3D3D, objects), tail}));
}

// The corners and twelve faces of an axis-aligned box around the origin.
inline std::vector<std::array<float, 3>> boxVertices(float x, float y, float z, float dx = 0) {
    std::vector<std::array<float, 3>> v;
    for (int i = 0; i < 8; ++i)
        v.push_back({(i & 1 ? x : -x) + dx, i & 2 ? y : -y, i & 4 ? z : -z});
    return v;
}
inline std::vector<std::array<uint16_t, 3>> boxFaces(uint16_t base = 0) {
    const std::array<std::array<uint16_t, 3>, 12> f{{{0, 1, 3},
                                                     {0, 3, 2},
                                                     {4, 6, 7},
                                                     {4, 7, 5},
                                                     {0, 4, 5},
                                                     {0, 5, 1},
                                                     {2, 3, 7},
                                                     {2, 7, 6},
                                                     {0, 2, 6},
                                                     {0, 6, 4},
                                                     {1, 5, 7},
                                                     {1, 7, 3}}};
    std::vector<std::array<uint16_t, 3>> out;
    for (auto face : f)
        out.push_back(
            {uint16_t(face[0] + base), uint16_t(face[1] + base), uint16_t(face[2] + base)});
    return out;
}

} // namespace lwtest
