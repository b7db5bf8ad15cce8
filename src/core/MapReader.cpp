#include "core/MapReader.h"

#include "core/ByteIO.h"

#include <algorithm>
#include <array>

namespace lw {

namespace {

constexpr std::array<const char*, 12> kReservedEntities = {
    "mObject", "mBeach", "mBridge",    "mLand",  "fBeach",      "fBridge",
    "fObject", "fLand",  "shrinkwrap", "Bounds", "SpiritLevel", "wTable"};

float toDegrees(float radians) {
    return float(static_cast<long double>(radians) * kDegPerRad);
}

void setRotation(TPoxel& node, const TVec3& radians) {
    node.Rot = TVec3{toDegrees(radians.X), toDegrees(radians.Y), toDegrees(radians.Z)};
    node.FileRotRadians = radians;
    node.FileRotDegrees = node.Rot;
    node.HasFileRot = true;
}

// Walks the reference graph of one decode, guarding against cycles and explosive sharing.
class Decoder {
public:
    Decoder(const TStrArr& objects, bool filter, const MapLimits& limits)
        : objects_(objects), filter_(filter), onPath_(objects.entries.size(), 0), budget_(limits) {}

    // Decodes land record `index` into `node`, which was made with the record's dimensions.
    Status land(TPoxel& node, int32_t index, const LandRecordView& v, int depth) {
        if (depth > kMaxTreeDepth)
            return badXomFormat("land objects are nested more than " +
                                std::to_string(kMaxTreeDepth) + " deep");
        const StrRec& e = objects_.entries[size_t(index)];
        if (auto st = v.isGroup ? count(1, 1, 1, e) : count(v.nx, v.ny, v.nz, e); !st)
            return st;
        node.Name = e.Name;
        node.StoreIndex = index;
        node.Pos = v.pos;
        setRotation(node, v.rotRadians);
        node.Size = v.size;
        if (v.isGroup) {
            // A group record carries no cells; give the node the one empty cell of a group so
            // that it is written back as a group and not as a filled 1 x 1 x 1 poxel.
            node.IsGroup = true;
            FillVoxels(node, 0);
            node.Surface = 0;
        } else {
            readGeometry(node, v);
            for (int32_t ref : v.entityRefs) {
                const StrRec& record = objects_.entries[size_t(ref - 1)];
                if (filter_ && !IsImportableEntity(record.Name))
                    continue;
                if (auto st = count(1, 1, 1, record); !st)
                    return st;
                auto entity = makePoxel();
                if (auto st = ReadDetailEntity(*entity, objects_, ref - 1); !st)
                    return st;
                node.Entities.push_back(std::move(entity));
            }
        }
        onPath_[size_t(index)] = 1;
        node.Children.reserve(v.childRefs.size());
        for (int32_t ref : v.childRefs) {
            if (onPath_[size_t(ref - 1)])
                return badXomFormat("object " + std::to_string(index + 1) + " (\"" + e.Name +
                                    "\") refers back to object " + std::to_string(ref) +
                                    ", its own ancestor");
            auto view = parseLandRecord(objects_, ref - 1);
            if (!view)
                return view.error();
            auto child = newNodeFor(*view);
            if (auto st = land(*child, ref - 1, *view, depth + 1); !st)
                return st;
            node.Children.push_back(std::move(child));
        }
        onPath_[size_t(index)] = 0;
        return Ok{};
    }

    // A node already sized for the record, so decoding fills its arrays in place.
    static std::unique_ptr<TPoxel> newNodeFor(const LandRecordView& v) {
        return v.isGroup ? makePoxel() : makePoxel(v.nx, v.ny, v.nz);
    }

private:
    // Counts a node against the limits before it is made.
    Status count(int32_t nx, int32_t ny, int32_t nz, const StrRec& e) {
        if (auto st = budget_.add(nx, ny, nz, e.Name.size() + e.LibName.size()); !st)
            return badXomFormat(st.error().detail);
        return Ok{};
    }

    void readGeometry(TPoxel& node, const LandRecordView& v) {
        const uint8_t* d = objects_.bytes();
        for (size_t i = 0; i < 16; ++i)
            node.TextCoord[i] = v.textCoord[i];
        if (node.NX != v.nx || node.NY != v.ny || node.NZ != v.nz)
            ResizePoxel(node, v.nx, v.ny, v.nz);
        const size_t levels = size_t(v.ny) + 1;
        for (size_t y = 0; y < levels; ++y) {
            node.LayerHigh[y] =
                TLayer{loadF32(d + v.highPos + 8 * y), loadF32(d + v.highPos + 8 * y + 4)};
            node.LayerLow[y] =
                TLayer{loadF32(d + v.lowPos + 8 * y), loadF32(d + v.lowPos + 8 * y + 4)};
        }
        const uint8_t* h = d + v.heightsPos;
        for (int32_t z = 0; z <= v.nz; ++z)
            for (int32_t x = 0; x <= v.nx; ++x, h += 4)
                node.Heights[size_t(x)][size_t(z)] = loadF32(h);
        node.Surface = v.surface;
        node.Surface2 = v.surface2;
        node.Color = v.color;
        for (size_t i = 0; i < node.Voxels.size(); ++i)
            node.Voxels[i] = loadU32(d + v.voxelsPos + 4 * i);
        if (v.isEmptySingleCell)
            node.IsGroup = true;
    }

    const TStrArr& objects_;
    bool filter_;
    std::vector<uint8_t> onPath_;
    MapBudget budget_;
};

// Runs a decode with the counter handled as `mode` asks, restoring it when the decode fails.
template <typename Fn>
Result<std::unique_ptr<TPoxel>> withCounter(CounterMode mode, int32_t base, Fn&& decode) {
    const int32_t before = PoxelCounter();
    if (mode == CounterMode::Reset)
        ResetPoxelCounter();
    else if (mode == CounterMode::Band)
        PushPoxelCounter(base);
    Result<std::unique_ptr<TPoxel>> result = decode();
    if (mode == CounterMode::Band) {
        PopPoxelCounter();
    } else if (!result) {
        setPoxelCounter(before);
    }
    return result;
}

} // namespace

bool IsImportableEntity(const std::string& name) {
    return std::none_of(kReservedEntities.begin(), kReservedEntities.end(),
                        [&name](const char* reserved) { return name == reserved; });
}

Status ReadLandFrame(TPoxel& node, const TStrArr& objects, int32_t index, bool filter,
                     const MapLimits& limits) {
    if (index < 0 || size_t(index) >= objects.entries.size() ||
        !objects.entries[size_t(index)].HasData || !objects.entries[size_t(index)].IsLand)
        return badXomFormat("object " + std::to_string(index + 1) + " is not a land record");
    auto view = parseLandRecord(objects, index);
    if (!view)
        return view.error();
    Decoder decoder(objects, filter, limits);
    return decoder.land(node, index, *view, 0);
}

Status ReadDetailEntity(TPoxel& node, const TStrArr& objects, int32_t index) {
    if (index < 0 || size_t(index) >= objects.entries.size() ||
        !objects.entries[size_t(index)].HasData || objects.entries[size_t(index)].IsLand)
        return badXomFormat("object " + std::to_string(index + 1) + " is not an entity record");
    auto view = parseEntityRecord(objects, index);
    if (!view)
        return view.error();
    const StrRec& e = objects.entries[size_t(index)];
    node.Name = e.Name;
    node.LibName = e.LibName;
    node.IsEntity = true;
    node.StoreIndex = index;
    node.Pos = view->pos;
    setRotation(node, view->rotRadians);
    node.Clip = view->clip;
    node.Size = view->size;
    return Ok{};
}

Result<std::unique_ptr<TPoxel>> decodeMapRoot(const TStrArr& objects, CounterMode mode,
                                              int32_t base, const MapLimits& limits) {
    return withCounter(mode, base, [&]() -> Result<std::unique_ptr<TPoxel>> {
        auto root = makePoxel();
        root->IsRoot = true;
        if (auto st = ReadLandFrame(*root, objects, objects.rootIndex, false, limits); !st)
            return st.error();
        return root;
    });
}

Result<std::unique_ptr<TPoxel>> decodeLibraryObject(const TStrArr& objects, int32_t index,
                                                    bool filter, CounterMode mode, int32_t base,
                                                    const MapLimits& limits) {
    return withCounter(mode, base, [&]() -> Result<std::unique_ptr<TPoxel>> {
        if (index < 0 || size_t(index) >= objects.entries.size() ||
            !objects.entries[size_t(index)].HasData)
            return badLibraryXom("object " + std::to_string(index + 1) + " holds no record");
        auto node = makePoxel();
        Status st = objects.entries[size_t(index)].IsLand
                        ? ReadLandFrame(*node, objects, index, filter, limits)
                        : ReadDetailEntity(*node, objects, index);
        if (!st)
            return st.error();
        return node;
    });
}

Result<std::unique_ptr<TPoxel>> readMapFile(const std::string& fileName, CounterMode mode,
                                            int32_t base) {
    auto bytes = readFileBytes(fileName);
    if (!bytes)
        return bytes.error();
    auto objects = parseXom(std::move(*bytes), XomMode::Map);
    if (!objects)
        return objects.error();
    return decodeMapRoot(*objects, mode, base);
}

} // namespace lw
