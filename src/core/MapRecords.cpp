#include "core/MapRecords.h"

#include "core/ByteIO.h"

#include <algorithm>

namespace lw {

namespace {

std::string where(const TStrArr& objects, int32_t index, size_t offset) {
    return "offset " + std::to_string(offset) + ": object " + std::to_string(index + 1) + " (\"" +
           objects.entries[size_t(index)].Name + "\")";
}

bool readVec(ByteReader& r, TVec3& v) {
    return r.f32(v.X) && r.f32(v.Y) && r.f32(v.Z);
}

// Reads `count` references and checks that each names an object of the wanted store.
Status readRefs(ByteReader& r, const TStrArr& objects, int32_t index, bool wantLand,
                std::vector<int32_t>& refs, const char* what) {
    int32_t count = 0;
    const size_t at = r.pos();
    if (!r.varint(count))
        return badXomFormat(where(objects, index, at) + " is cut off in its " + what + " count");
    refs.reserve(size_t(count));
    for (int32_t i = 0; i < count; ++i) {
        int32_t ref = 0;
        const size_t refAt = r.pos();
        if (!r.varint(ref))
            return badXomFormat(where(objects, index, refAt) + " is cut off in its " + what +
                                " list (" + std::to_string(count) + " announced)");
        if (ref < 1 || size_t(ref) > objects.entries.size())
            return badXomFormat(where(objects, index, refAt) + " refers to object " +
                                std::to_string(ref) + ", which does not exist");
        const StrRec& target = objects.entries[size_t(ref - 1)];
        if (!target.HasData || target.IsLand != wantLand)
            return badXomFormat(where(objects, index, refAt) + " refers to object " +
                                std::to_string(ref) + " as " +
                                (wantLand ? "a child" : "an entity") + ", but it is not " +
                                (wantLand ? "a land record" : "an entity record"));
        refs.push_back(ref);
    }
    return Ok{};
}

} // namespace

Result<LandRecordView> parseLandRecord(const TStrArr& objects, int32_t index) {
    const StrRec& e = objects.entries[size_t(index)];
    const uint8_t* d = objects.bytes();
    const size_t recordEnd = e.tagOffset() + e.Size;
    ByteReader r(d, e.Data + 3, recordEnd);
    auto cut = [&](const char* field) {
        return badXomFormat(where(objects, index, r.pos()) + " ends before its " + field);
    };
    int32_t nameSlot = 0;
    if (!r.varint(nameSlot))
        return cut("name");
    const size_t afterName = r.pos();

    LandRecordView v;
    if (!readVec(r, v.pos) || !readVec(r, v.rotRadians) || !readVec(r, v.size))
        return cut("placement");
    if (!r.has(kHighCountOffset - 36 + 1))
        return cut("layer tables");
    v.isGroup = d[afterName + kHighCountOffset] == 0;
    if (v.isGroup) {
        ByteReader g(d, afterName, recordEnd);
        if (!g.skip(kGroupChildOffset))
            return badXomFormat(where(objects, index, afterName) +
                                " is a group record too short for its child list");
        if (auto st = readRefs(g, objects, index, true, v.childRefs, "child"); !st)
            return st.error();
        return v;
    }

    for (float& t : v.textCoord)
        if (!r.f32(t))
            return cut("texture coordinates");
    uint8_t b = 0;
    if (!r.skip(12) || !r.u8(b))
        return cut("+X/+Z level count");
    v.highCount = b;
    v.highPos = r.pos();
    if (!r.skip(size_t(v.highCount) * 8) || !r.u8(b))
        return cut("+X/+Z level table");
    v.lowCount = b;
    v.lowPos = r.pos();
    if (!r.skip(size_t(v.lowCount) * 8))
        return cut("-X/-Z level table");
    uint8_t nx = 0, ny = 0, nz = 0;
    if (!r.u8(nx) || !r.u8(ny) || !r.u8(nz))
        return cut("dimensions");
    v.nx = nx;
    v.ny = ny;
    v.nz = nz;
    if (nx == 0 || ny == 0 || nz == 0)
        return badXomFormat(where(objects, index, r.pos()) + " has dimensions " +
                            std::to_string(nx) + " x " + std::to_string(ny) + " x " +
                            std::to_string(nz));
    if (v.highCount < v.ny + 1 || v.lowCount < v.ny + 1)
        return badXomFormat(where(objects, index, v.highPos) + " has level tables of " +
                            std::to_string(v.highCount) + " and " + std::to_string(v.lowCount) +
                            " entries for " + std::to_string(v.ny) + " levels");
    if (!r.varint(v.heightCount))
        return cut("height count");
    if (v.heightCount != (v.nx + 1) * (v.nz + 1))
        return badXomFormat(where(objects, index, r.pos()) + " has " +
                            std::to_string(v.heightCount) + " heights for " + std::to_string(nx) +
                            " x " + std::to_string(nz) + " cells");
    v.heightsPos = r.pos();
    if (!r.skip(size_t(v.heightCount) * 4))
        return cut("heights");
    if (!r.u32(v.surface) || !r.u32(v.surface2) || !r.u32(v.color))
        return cut("surface and colour");
    if (!r.varint(v.voxelCount))
        return cut("cell count");
    if (v.voxelCount != v.nx * v.ny * v.nz)
        return badXomFormat(where(objects, index, r.pos()) + " has " +
                            std::to_string(v.voxelCount) + " cells for " + std::to_string(nx) +
                            " x " + std::to_string(ny) + " x " + std::to_string(nz));
    v.voxelsPos = r.pos();
    if (!r.skip(size_t(v.voxelCount) * 4))
        return cut("cells");
    v.isEmptySingleCell = v.voxelCount == 1 && loadU32(d + v.voxelsPos) == 0;
    if (auto st = readRefs(r, objects, index, false, v.entityRefs, "entity"); !st)
        return st.error();
    if (auto st = readRefs(r, objects, index, true, v.childRefs, "child"); !st)
        return st.error();
    return v;
}

Result<EntityRecordView> parseEntityRecord(const TStrArr& objects, int32_t index) {
    const StrRec& e = objects.entries[size_t(index)];
    ByteReader r(objects.bytes(), e.Data + 3, e.tagOffset() + e.Size);
    int32_t slot = 0;
    EntityRecordView v;
    if (!r.varint(slot) || !r.varint(slot) || !readVec(r, v.pos) || !readVec(r, v.rotRadians) ||
        !readVec(r, v.clip) || !readVec(r, v.size))
        return badXomFormat(where(objects, index, r.pos()) + " is an entity record cut off");
    return v;
}

} // namespace lw
