#pragma once
// Builds XOM files byte by byte for tests, including layouts the program never writes.

#include "core/ByteIO.h"
#include "core/Xom.h"

#include <cstring>
#include <string>
#include <vector>

namespace lwtest {

struct XomType {
    std::string name;
    std::vector<std::vector<uint8_t>> records; // each starts with "CTNR"
    int countOverride = -1;                    // announce a different count
};

struct XomBuilder {
    std::vector<XomType> types;
    std::vector<std::string> strings; // slots 1..N-1
    uint32_t rootNumber = 1;
    int objectCountOverride = -1;
    size_t schemaSize = 16;

    std::vector<uint8_t> build() const {
        std::vector<uint8_t> out(64, 0);
        std::memcpy(out.data(), "MOIK", 4);
        out[7] = 1;
        size_t objects = 0;
        for (const auto& t : types)
            objects += t.records.size();
        lw::storeU32(out, 24, uint32_t(types.size()));
        lw::storeU32(out, 28,
                     objectCountOverride >= 0 ? uint32_t(objectCountOverride) : uint32_t(objects));
        lw::storeU32(out, 32, rootNumber);
        for (const auto& t : types) {
            const size_t at = out.size();
            out.resize(at + 64, 0);
            std::memcpy(out.data() + at, "TYPE", 4);
            lw::storeU32(out, at + 8,
                         t.countOverride >= 0 ? uint32_t(t.countOverride)
                                              : uint32_t(t.records.size()));
            std::memcpy(out.data() + at + 32, t.name.data(), t.name.size());
        }
        out.insert(out.end(), {'S', 'C', 'H', 'M'});
        out.insert(out.end(), schemaSize - 4, 0);
        out.insert(out.end(), {'S', 'T', 'R', 'S'});
        lw::appendU32(out, uint32_t(strings.size() + 1));
        uint32_t pool = 1;
        for (const auto& s : strings)
            pool += uint32_t(s.size() + 1);
        lw::appendU32(out, pool);
        lw::appendU32(out, 0);
        uint32_t off = 1;
        for (const auto& s : strings) {
            lw::appendU32(out, off);
            off += uint32_t(s.size() + 1);
        }
        out.push_back(0);
        for (const auto& s : strings) {
            out.insert(out.end(), s.begin(), s.end());
            out.push_back(0);
        }
        for (const auto& t : types)
            for (const auto& r : t.records)
                out.insert(out.end(), r.begin(), r.end());
        return out;
    }
};

// Record bodies in the layouts of the two stores.
struct RecordBytes {
    std::vector<uint8_t> b;
    explicit RecordBytes(int nameSlot) {
        b = {'C', 'T', 'N', 'R', 0, 0, 0};
        lw::WriteVarInt(nameSlot, b);
    }
    RecordBytes& f(float v) {
        lw::appendF32(b, v);
        return *this;
    }
    RecordBytes& vec(float x, float y, float z) { return f(x).f(y).f(z); }
    RecordBytes& u8(uint8_t v) {
        b.push_back(v);
        return *this;
    }
    RecordBytes& u32(uint32_t v) {
        lw::appendU32(b, v);
        return *this;
    }
    RecordBytes& var(int v) {
        lw::WriteVarInt(v, b);
        return *this;
    }
    RecordBytes& zeros(size_t n) {
        b.insert(b.end(), n, 0);
        return *this;
    }
    RecordBytes& trailer() {
        zeros(12).f(-1.0f).u32(1).u8(0);
        return *this;
    }
};

// A group record: placement, then children 132 bytes after the name.
inline std::vector<uint8_t> groupRecord(int nameSlot, std::vector<int> children, float px = 0,
                                        float py = 0, float pz = 0) {
    RecordBytes r(nameSlot);
    r.vec(px, py, pz).zeros(132 - 12);
    r.var(int(children.size()));
    for (int c : children)
        r.var(c);
    return r.trailer().b;
}

// A poxel record of nx x ny x nz cells, all `code`, no offsets or heights.
inline std::vector<uint8_t> poxelRecord(int nameSlot, int nx, int ny, int nz, uint32_t code,
                                        std::vector<int> entities = {},
                                        std::vector<int> children = {}) {
    RecordBytes r(nameSlot);
    r.vec(1, 2, 3).vec(0, 0, 0).vec(1, 1, 1);
    for (int i = 0; i < 16; ++i)
        r.f(0);
    r.zeros(12);
    r.u8(uint8_t(ny + 1)).zeros(size_t(ny + 1) * 8);
    r.u8(uint8_t(ny + 1)).zeros(size_t(ny + 1) * 8);
    r.u8(uint8_t(nx)).u8(uint8_t(ny)).u8(uint8_t(nz));
    r.var((nx + 1) * (nz + 1));
    for (int i = 0; i < (nx + 1) * (nz + 1); ++i)
        r.f(float(i));
    r.u32(0).u32(65536).u32(0xFFFFFFFFu);
    r.var(nx * ny * nz);
    for (int i = 0; i < nx * ny * nz; ++i)
        r.u32(code);
    r.var(int(entities.size()));
    for (int e : entities)
        r.var(e);
    r.var(int(children.size()));
    for (int c : children)
        r.var(c);
    return r.trailer().b;
}

// A map whose root is the first of `levels` groups, each referring twice to the next, above one
// poxel of nx x 1 x nz cells: 2^levels copies of the poxel from a small file.
inline std::vector<uint8_t> doublingMap(int levels, int nx, int nz) {
    XomBuilder x;
    x.strings = {"Twice"};
    std::vector<std::vector<uint8_t>> records;
    for (int i = 0; i < levels; ++i)
        records.push_back(groupRecord(1, {i + 2, i + 2}));
    records.push_back(poxelRecord(1, nx, 1, nz, 3));
    x.types.push_back({"LandFrameStore", records});
    return x.build();
}

inline std::vector<uint8_t> entityRecord(int nameSlot, int libSlot, float px = 0) {
    RecordBytes r(nameSlot);
    r.var(libSlot).vec(px, 0, 0).vec(0, 0, 0).vec(0, 0, 0).vec(1, 1, 1);
    return r.trailer().b;
}

// A library: an XGraphSet object, then land objects "zeta" (with child "child" and entity
// "Bounds") and "Alpha". Objects: 1 graph set, 2 entity "Bounds", 3 zeta, 4 child, 5 Alpha.
inline XomBuilder sampleLibrary() {
    XomBuilder x;
    x.strings = {"Alpha", "Bounds", "child", "zeta"};
    x.types.push_back({"XGraphSet", {RecordBytes(0).trailer().b}});
    x.types.push_back({"DetailEntityStore", {entityRecord(2, 2)}});
    x.types.push_back(
        {"LandFrameStore",
         {poxelRecord(4, 1, 1, 1, 3, {2}, {4}), poxelRecord(3, 1, 1, 1, 0), groupRecord(1, {})}});
    x.rootNumber = 3;
    return x;
}

} // namespace lwtest
