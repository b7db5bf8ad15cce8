#include "core/MapWriter.h"

#include "core/AtomicFile.h"
#include "core/ByteIO.h"
#include "core/Lattice.h"
#include "core/MapRecords.h"
#include "core/Xom.h"

#include <algorithm>
#include <cstring>
#include <string_view>

namespace lw {

namespace {

constexpr uint8_t kEntityClassId[16] = {0xA6, 0xBA, 0x22, 0x75, 0x84, 0x33, 0xB0, 0x42,
                                        0x90, 0x00, 0x99, 0x0B, 0xD9, 0x29, 0x40, 0xBB};
constexpr uint8_t kLandClassId[16] = {0xF7, 0xD0, 0xD6, 0x05, 0x9E, 0xBC, 0xB6, 0x4B,
                                      0xAA, 0xEF, 0xFC, 0x94, 0x77, 0xDE, 0xBF, 0xA1};
// Largest string pool and slot count a reader can address (16-bit offsets, varint slots).
constexpr size_t kMaxPoolSize = 65535;

Error refuse(std::string detail) {
    return Error{"sCannotSaveMap", "Cannot save map", std::move(detail)};
}

std::string folded(const std::string& s) {
    std::string f = s;
    for (char& c : f)
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    return f;
}

uint32_t bitsOf(float f) {
    uint32_t b;
    std::memcpy(&b, &f, 4);
    return b;
}

// Mixes field values into a 64-bit hash. Floats that compare equal hash equally (+0 and -0).
struct Hasher {
    uint64_t h = 1469598103934665603ull;
    void add(uint64_t v) {
        h ^= v + 0x9e3779b97f4a7c15ull + (h << 6) + (h >> 2);
        h *= 1099511628211ull;
    }
    void add(float f) { add(uint64_t(f == 0.0f ? 0u : bitsOf(f))); }
    void add(const TVec3& v) {
        add(v.X);
        add(v.Y);
        add(v.Z);
    }
    // Cell codes in bulk: a cheaper mix per word, folded in once.
    void addWords(const std::vector<uint32_t>& words) {
        uint64_t w = words.size();
        for (uint32_t v : words)
            w = (w ^ v) * 0x100000001b3ull;
        add(w);
    }
    void add(const std::string& s) {
        add(uint64_t(s.size()));
        for (unsigned char c : s)
            add(uint64_t(c));
    }
};

// The lattice stands for the level offsets and heights in comparisons. Groups have none: the
// mesh builder never computes one for them.
void latticeOf(const TPoxel& n, std::vector<TVec3>& out) {
    if (n.IsGroup) {
        out.clear();
        return;
    }
    TVec3 lo, hi;
    computeLattice(n, out, lo, hi);
}

bool entityFieldsEqual(const TPoxel& a, const TPoxel& b) {
    return a.Name == b.Name && a.LibName == b.LibName && a.Pos == b.Pos && a.Rot == b.Rot &&
           a.Size == b.Size && a.Clip == b.Clip;
}

// Puts every node of a tree into classes of equal nodes, bottom up: two nodes are equal when
// their own fields are equal and their entities and children are pairwise in the same classes.
class Classifier {
public:
    explicit Classifier(size_t nodes) { classOf_.reserve(nodes); }

    size_t classCount() const { return reps_.size(); }

    void classify(const TPoxel& root) {
        // Post-order without recursion: a node is classified after all of its lists.
        struct Frame {
            const TPoxel* node;
            bool expanded;
        };
        std::vector<Frame> stack{{&root, false}};
        while (!stack.empty()) {
            Frame& f = stack.back();
            if (!f.expanded) {
                f.expanded = true;
                const TPoxel* n = f.node;
                for (const auto& c : n->Children)
                    stack.push_back({c.get(), false});
                for (const auto& e : n->Entities)
                    stack.push_back({e.get(), false});
                continue;
            }
            const TPoxel* n = f.node;
            stack.pop_back();
            if (n == &root)
                classOf_[n] = newClass(n); // the root is never shared
            else
                classOf_[n] = n->IsEntity ? classifyEntity(*n) : classifyLand(*n);
        }
    }

    int32_t classOf(const TPoxel* n) const { return classOf_.at(n); }

private:
    int32_t newClass(const TPoxel* n) {
        reps_.push_back(n);
        return int32_t(reps_.size() - 1);
    }

    int32_t classifyEntity(const TPoxel& n) {
        Hasher h;
        h.add(n.Name);
        h.add(n.LibName);
        h.add(n.Pos);
        h.add(n.Rot);
        h.add(n.Size);
        h.add(n.Clip);
        auto range = entityBuckets_.equal_range(h.h);
        for (auto it = range.first; it != range.second; ++it)
            if (entityFieldsEqual(*reps_[size_t(it->second)], n))
                return it->second;
        const int32_t c = newClass(&n);
        entityBuckets_.emplace(h.h, c);
        return c;
    }

    bool listsInSameClasses(const TArrayPoxel& a, const TArrayPoxel& b) const {
        if (a.size() != b.size())
            return false;
        for (size_t i = 0; i < a.size(); ++i)
            if (classOf_.at(a[i].get()) != classOf_.at(b[i].get()))
                return false;
        return true;
    }

    bool landEqual(const TPoxel& a, const TPoxel& b, const std::vector<TVec3>& bLattice) {
        if (a.Name != b.Name || a.NX != b.NX || a.NY != b.NY || a.NZ != b.NZ || a.Pos != b.Pos ||
            a.Rot != b.Rot || a.Size != b.Size)
            return false;
        for (size_t i = 0; i < 16; ++i)
            if (a.TextCoord[i] != b.TextCoord[i])
                return false;
        if (a.VoxelCount != b.VoxelCount || a.Voxels != b.Voxels)
            return false;
        latticeOf(a, otherLattice_);
        if (otherLattice_ != bLattice)
            return false;
        return a.Surface == b.Surface && a.Surface2 == b.Surface2 && a.Color == b.Color &&
               listsInSameClasses(a.Entities, b.Entities) &&
               listsInSameClasses(a.Children, b.Children);
    }

    // Hashes the bottom and top level of the lattice: every column's height shows in both, and
    // nodes with equal lattices have equal levels, so equal nodes always share a bucket. The
    // whole lattice is computed only to compare candidates within a bucket.
    void hashLattice(const TPoxel& n, Hasher& h) {
        if (n.IsGroup) {
            h.add(uint64_t(0));
            return;
        }
        for (int32_t y : {0, n.NY}) {
            computeLatticeLevel(n, y, levelPoints_, scratch_);
            for (const TVec3& p : levelPoints_)
                h.add(p);
        }
    }

    int32_t classifyLand(const TPoxel& n) {
        Hasher h;
        h.add(n.Name);
        h.add(uint64_t(n.NX) << 32 | uint64_t(n.NY) << 16 | uint64_t(n.NZ));
        h.add(n.Pos);
        h.add(n.Rot);
        h.add(n.Size);
        for (float t : n.TextCoord)
            h.add(t);
        h.add(uint64_t(n.VoxelCount));
        h.addWords(n.Voxels);
        hashLattice(n, h);
        h.add(uint64_t(n.Surface) << 32 | n.Surface2);
        h.add(uint64_t(n.Color));
        for (const auto& e : n.Entities)
            h.add(uint64_t(classOf_.at(e.get())));
        h.add(uint64_t(0xE17));
        for (const auto& c : n.Children)
            h.add(uint64_t(classOf_.at(c.get())));
        auto range = landBuckets_.equal_range(h.h);
        bool haveLattice = false;
        for (auto it = range.first; it != range.second; ++it) {
            if (!haveLattice) {
                latticeOf(n, lattice_);
                haveLattice = true;
            }
            if (landEqual(*reps_[size_t(it->second)], n, lattice_))
                return it->second;
        }
        const int32_t c = newClass(&n);
        landBuckets_.emplace(h.h, c);
        return c;
    }

    std::unordered_map<const TPoxel*, int32_t> classOf_;
    std::vector<const TPoxel*> reps_;
    // Buffers reused from node to node.
    std::vector<TVec3> lattice_, otherLattice_, levelPoints_;
    std::vector<double> scratch_;
    std::unordered_multimap<uint64_t, int32_t> landBuckets_;
    std::unordered_multimap<uint64_t, int32_t> entityBuckets_;
};

// Calls `visit(node)` in pre-order, entities before children, without recursion.
template <typename Visit> void preOrder(const TPoxel& root, Visit&& visit) {
    std::vector<const TPoxel*> stack{&root};
    while (!stack.empty()) {
        const TPoxel* n = stack.back();
        stack.pop_back();
        visit(*n);
        for (auto it = n->Children.rbegin(); it != n->Children.rend(); ++it)
            stack.push_back(it->get());
        for (auto it = n->Entities.rbegin(); it != n->Entities.rend(); ++it)
            stack.push_back(it->get());
    }
}

// Writes one record into room reserved at the end of the output; the room is trimmed to what
// was written when the writer goes.
class RecordOut {
public:
    RecordOut(std::vector<uint8_t>& out, size_t room) : out_(out), start_(out.size()) {
        out.resize(start_ + room);
        p_ = out.data() + start_;
    }
    ~RecordOut() { out_.resize(size_t(p_ - out_.data())); }
    RecordOut(const RecordOut&) = delete;
    RecordOut& operator=(const RecordOut&) = delete;

    void u8(uint8_t v) { *p_++ = v; }
    void u32(uint32_t v) {
        p_[0] = uint8_t(v);
        p_[1] = uint8_t(v >> 8);
        p_[2] = uint8_t(v >> 16);
        p_[3] = uint8_t(v >> 24);
        p_ += 4;
    }
    void f32(float f) { u32(bitsOf(f)); }
    void vec(const TVec3& v) {
        f32(v.X);
        f32(v.Y);
        f32(v.Z);
    }
    void var(int32_t v) {
        if (v <= 0x7F) {
            u8(uint8_t(v));
        } else {
            u8(uint8_t(0x80 | (v & 0x7F)));
            u8(uint8_t(v >> 7));
        }
    }
    void zeros(size_t n) {
        std::memset(p_, 0, n);
        p_ += n;
    }
    void start(int32_t nameSlot) {
        std::memcpy(p_, "CTNR\0\0\0", 7);
        p_ += 7;
        var(nameSlot);
    }
    void trailer() {
        zeros(12);
        f32(-1.0f);
        u32(1);
        u8(0);
    }
    void rotation(const TPoxel& n) {
        auto component = [&n](float deg, float fileDeg, float fileRad) {
            // A rotation that is still what the file said is written back exactly as read.
            if (n.HasFileRot && bitsOf(deg) == bitsOf(fileDeg))
                return fileRad;
            return float(static_cast<long double>(deg) * kRadPerDeg);
        };
        f32(component(n.Rot.X, n.FileRotDegrees.X, n.FileRotRadians.X));
        f32(component(n.Rot.Y, n.FileRotDegrees.Y, n.FileRotRadians.Y));
        f32(component(n.Rot.Z, n.FileRotDegrees.Z, n.FileRotRadians.Z));
    }
    void refs(const TArrayPoxel& list, const RecordLists& lists) {
        var(int32_t(list.size()));
        for (const auto& n : list)
            var(ObjectNumber(*n, lists));
    }

private:
    std::vector<uint8_t>& out_;
    size_t start_;
    uint8_t* p_;
};

// Tag, three bytes, name, and the trailer: the fixed part of every record.
constexpr size_t kRecordFrame = 7 + 2 + 21;

size_t refsRoom(const TPoxel& n) {
    return 4 + 2 * (n.Entities.size() + n.Children.size());
}

// The root is a group record unless it carries entities: a group record has no place for them,
// so such a root is written as a full record (one empty cell) that reads back as a group.
bool rootNeedsFullRecord(const TPoxel& root) {
    return !root.Entities.empty();
}

void writeFullLandRecord(const TPoxel& n, const RecordLists& lists, const StringList& strings,
                         std::vector<uint8_t>& out, bool asRoot) {
    const size_t room = kRecordFrame + 36 + 64 + 12 + 2 + 8 * size_t(n.HighCount + n.LowCount) + 3 +
                        2 + 4 * size_t(n.HeightCount) + 12 + 2 + 4 * n.Voxels.size() + refsRoom(n);
    RecordOut r(out, room);
    r.start(strings.slot(n.Name));
    if (asRoot) {
        // Readers have always taken the root's placement as zero.
        r.zeros(36);
    } else {
        r.vec(n.Pos);
        r.rotation(n);
        r.vec(n.Size);
    }
    for (float t : n.TextCoord)
        r.f32(t);
    r.zeros(12);
    r.u8(uint8_t(n.HighCount));
    for (int32_t y = 0; y < n.HighCount; ++y) {
        r.f32(n.LayerHigh[size_t(y)].X);
        r.f32(n.LayerHigh[size_t(y)].Z);
    }
    r.u8(uint8_t(n.LowCount));
    for (int32_t y = 0; y < n.LowCount; ++y) {
        r.f32(n.LayerLow[size_t(y)].X);
        r.f32(n.LayerLow[size_t(y)].Z);
    }
    r.u8(uint8_t(n.NX));
    r.u8(uint8_t(n.NY));
    r.u8(uint8_t(n.NZ));
    r.var(n.HeightCount);
    for (int32_t z = 0; z <= n.NZ; ++z)
        for (int32_t x = 0; x <= n.NX; ++x)
            r.f32(n.Heights[size_t(x)][size_t(z)]);
    r.u32(n.Surface);
    r.u32(n.Surface2);
    r.u32(n.Color);
    r.var(n.VoxelCount);
    for (uint32_t v : n.Voxels)
        r.u32(v);
    r.refs(n.Entities, lists);
    r.refs(n.Children, lists);
    r.trailer();
}

// Everything the record layout cannot hold, found before a single byte is written.
Status checkWritable(const TPoxel& root) {
    struct Item {
        const TPoxel* node;
        int depth;
    };
    std::vector<Item> stack{{&root, 0}};
    auto named = [&root](const TPoxel& n) { return "node \"" + nodePath(root, n) + "\""; };
    while (!stack.empty()) {
        const Item it = stack.back();
        stack.pop_back();
        const TPoxel& n = *it.node;
        if (it.depth > kMaxTreeDepth)
            return refuse(named(n) + " is nested more than " + std::to_string(kMaxTreeDepth) +
                          " levels deep");
        if (n.Name.find('\0') != std::string::npos || n.LibName.find('\0') != std::string::npos)
            return refuse(named(n) + " has a name with a NUL character");
        if (n.Entities.size() > size_t(kMaxVarInt) || n.Children.size() > size_t(kMaxVarInt))
            return refuse(named(n) + " has more than " + std::to_string(kMaxVarInt) +
                          " entities or children");
        for (const auto& e : n.Entities)
            if (!e->IsEntity)
                return refuse(named(*e) + " is in an entity list but is not an entity");
        for (const auto& c : n.Children)
            if (c->IsEntity)
                return refuse(named(*c) + " is an entity in a child list");
        const bool fullRecord = !n.IsEntity && (!n.IsRoot || rootNeedsFullRecord(n));
        if (fullRecord) {
            if (n.NX < 1 || n.NX > 255 || n.NZ < 1 || n.NZ > 255 || n.NY < 1 || n.NY > 254)
                return refuse(named(n) + " is " + std::to_string(n.NX) + " x " +
                              std::to_string(n.NY) + " x " + std::to_string(n.NZ) +
                              " cells; a map holds at most 255 x 254 x 255");
            const int64_t heights = int64_t(n.NX + 1) * (n.NZ + 1);
            const int64_t cells = int64_t(n.NX) * n.NY * n.NZ;
            if (heights > kMaxVarInt || cells > kMaxVarInt)
                return refuse(named(n) + " has " + std::to_string(cells) + " cells and " +
                              std::to_string(heights) + " height columns; a map holds at most " +
                              std::to_string(kMaxVarInt) + " of each per poxel");
            const size_t levels = size_t(n.NY) + 1;
            bool consistent = n.HeightCount == heights && n.VoxelCount == cells &&
                              n.Voxels.size() == size_t(cells) && n.LowCount == int32_t(levels) &&
                              n.HighCount == int32_t(levels) && n.LayerLow.size() == levels &&
                              n.LayerHigh.size() == levels && n.Heights.size() == size_t(n.NX) + 1;
            for (const auto& column : n.Heights)
                consistent = consistent && column.size() == size_t(n.NZ) + 1;
            if (!consistent)
                return refuse(named(n) + " has arrays that do not match its dimensions (" +
                              std::to_string(n.Voxels.size()) + " cells)");
        }
        for (const auto& c : n.Children)
            stack.push_back({c.get(), it.depth + 1});
        for (const auto& e : n.Entities)
            stack.push_back({e.get(), it.depth + 1});
    }
    return Ok{};
}

} // namespace

int32_t StringList::slot(const std::string& name) const {
    if (name == "...")
        return 0;
    auto it = slotOfFolded.find(folded(name));
    return it == slotOfFolded.end() ? 0 : it->second;
}

void CollectStrings(const TPoxel& root, StringList& strings) {
    std::vector<std::string> found;
    std::unordered_map<std::string, size_t> seen;
    auto add = [&](const std::string& s) {
        if (s == "...")
            return;
        if (seen.emplace(folded(s), found.size()).second)
            found.push_back(s);
    };
    preOrder(root, [&](const TPoxel& n) {
        add(n.Name);
        if (n.IsEntity)
            add(n.LibName);
    });
    std::sort(found.begin(), found.end(), [](const std::string& a, const std::string& b) {
        return std::string_view(a) < std::string_view(b); // unsigned byte order
    });
    strings.sorted = std::move(found);
    strings.slotOfFolded.clear();
    for (size_t i = 0; i < strings.sorted.size(); ++i)
        strings.slotOfFolded[folded(strings.sorted[i])] = int32_t(i + 1);
}

void CollectRecords(const TPoxel& root, RecordLists& lists) {
    size_t nodes = 0;
    preOrder(root, [&nodes](const TPoxel&) { ++nodes; });
    Classifier classes(nodes);
    classes.classify(root);
    // Classes are numbered densely; a class gets its record when its first node is met.
    std::vector<int32_t> recordOfClass(classes.classCount(), -1);
    lists = RecordLists{};
    lists.recordOf.reserve(nodes);
    preOrder(root, [&](const TPoxel& n) {
        int32_t& record = recordOfClass[size_t(classes.classOf(&n))];
        if (record < 0) {
            auto& list = n.IsEntity ? lists.entities : lists.land;
            record = int32_t(list.size());
            list.push_back(&n);
        }
        lists.recordOf.emplace(&n, record);
    });
}

int32_t FindEntityRecord(const TPoxel& entity, const RecordLists& lists) {
    auto it = lists.recordOf.find(&entity);
    return it != lists.recordOf.end() && entity.IsEntity ? it->second : -1;
}

int32_t FindLandRecord(const TPoxel& node, const RecordLists& lists) {
    auto it = lists.recordOf.find(&node);
    return it != lists.recordOf.end() && !node.IsEntity ? it->second : -1;
}

int32_t ObjectNumber(const TPoxel& node, const RecordLists& lists) {
    if (node.IsEntity)
        return 1 + FindEntityRecord(node, lists);
    return 1 + int32_t(lists.entities.size()) + FindLandRecord(node, lists);
}

void WriteEntityRecord(const TPoxel& e, const StringList& strings, std::vector<uint8_t>& out) {
    RecordOut r(out, kRecordFrame + 2 + 48);
    r.start(strings.slot(e.Name));
    r.var(strings.slot(e.LibName));
    r.vec(e.Pos);
    r.rotation(e);
    r.vec(e.Clip);
    r.vec(e.Size);
    r.trailer();
}

void WriteLandRecord(const TPoxel& n, const RecordLists& lists, const StringList& strings,
                     std::vector<uint8_t>& out) {
    if (n.IsRoot && !rootNeedsFullRecord(n)) {
        RecordOut r(out, kRecordFrame + kGroupChildOffset + refsRoom(n));
        r.start(strings.slot(n.Name));
        r.zeros(kGroupChildOffset);
        r.refs(n.Children, lists);
        r.trailer();
        return;
    }
    writeFullLandRecord(n, lists, strings, out, n.IsRoot);
}

Result<std::vector<uint8_t>> encodeMap(const TPoxel& root, const MapLimits& limits) {
    if (!root.IsRoot)
        return refuse("only a map's root can be saved as a map");
    if (auto st = checkWritable(root); !st)
        return st.error();
    // The reader would refuse the file: nothing is written.
    if (auto st = checkMapLimits(root, limits); !st)
        return refuse(st.error().detail);

    RecordLists lists;
    CollectRecords(root, lists);
    StringList strings;
    CollectStrings(root, strings);

    const size_t objectCount = lists.entities.size() + lists.land.size();
    if (objectCount > size_t(kMaxVarInt))
        return refuse("the map needs " + std::to_string(objectCount) + " records; at most " +
                      std::to_string(kMaxVarInt) + " can be referred to");
    size_t poolSize = 1;
    for (const auto& s : strings.sorted)
        poolSize += s.size() + 1;
    if (strings.sorted.size() > size_t(kMaxVarInt) || poolSize > kMaxPoolSize)
        return refuse("the map has " + std::to_string(strings.sorted.size()) +
                      " distinct names taking " + std::to_string(poolSize) +
                      " bytes; at most 65535 bytes fit");

    const bool hasEntities = !lists.entities.empty();
    const uint32_t typeCount = hasEntities ? 2 : 1;
    std::vector<uint8_t> out;
    out.reserve(4096 + poolSize + 4 * strings.sorted.size() + 512 * objectCount);

    // Header.
    out.resize(kXomHeaderSize, 0);
    std::memcpy(out.data(), "MOIK", 4);
    out[7] = 1;
    storeU32(out, 24, typeCount);
    storeU32(out, 28, uint32_t(objectCount));
    storeU32(out, 32, uint32_t(lists.entities.size() + 1));

    // Type records.
    auto typeRecord = [&out](const char* name, size_t count, const uint8_t* classId) {
        const size_t at = out.size();
        out.resize(at + kXomTypeRecordSize, 0);
        std::memcpy(out.data() + at, "TYPE", 4);
        storeU32(out, at + 8, uint32_t(count));
        std::memcpy(out.data() + at + 16, classId, 16);
        std::memcpy(out.data() + at + 32, name, std::strlen(name));
    };
    if (hasEntities)
        typeRecord("DetailEntityStore", lists.entities.size(), kEntityClassId);
    typeRecord("LandFrameStore", lists.land.size(), kLandClassId);

    // Schema record.
    appendBytes(out, "SCHM", 4);
    out.insert(out.end(), 12, 0);

    // String table.
    appendBytes(out, "STRS", 4);
    appendU32(out, uint32_t(strings.sorted.size() + 1));
    appendU32(out, uint32_t(poolSize));
    appendU32(out, 0);
    uint32_t offset = 1;
    for (const auto& s : strings.sorted) {
        appendU32(out, offset);
        offset += uint32_t(s.size() + 1);
    }
    out.push_back(0);
    for (const auto& s : strings.sorted) {
        appendBytes(out, s.data(), s.size());
        out.push_back(0);
    }

    // Object records. A record ends where the next tag starts, so its own bytes must never
    // contain one.
    auto checkRecord = [&](size_t start, const TPoxel& n) -> Status {
        const std::string_view rec(reinterpret_cast<const char*>(out.data()) + start + 4,
                                   out.size() - start - 4);
        if (rec.find("CTNR") != std::string_view::npos)
            return refuse("node \"" + nodePath(root, n) +
                          "\" holds values whose bytes spell CTNR, which a map cannot store");
        return Ok{};
    };
    for (const TPoxel* e : lists.entities) {
        const size_t start = out.size();
        WriteEntityRecord(*e, strings, out);
        if (auto st = checkRecord(start, *e); !st)
            return st.error();
    }
    for (const TPoxel* n : lists.land) {
        const size_t start = out.size();
        WriteLandRecord(*n, lists, strings, out);
        if (auto st = checkRecord(start, *n); !st)
            return st.error();
    }
    return out;
}

Status WriteMapFile(const TPoxel& root, const std::string& fileName, std::string* note) {
    auto bytes = encodeMap(root);
    if (!bytes)
        return bytes.error();
    return writeFileAtomically(fileName, *bytes, note);
}

std::string nodePath(const TPoxel& root, const TPoxel& node) {
    // Depth-first search with an explicit path; maps are small enough for a walk per message.
    struct Frame {
        const TPoxel* node;
        size_t next;
    };
    std::vector<Frame> path{{&root, 0}};
    auto childAt = [](const TPoxel* n, size_t i) -> const TPoxel* {
        if (i < n->Entities.size())
            return n->Entities[i].get();
        i -= n->Entities.size();
        return i < n->Children.size() ? n->Children[i].get() : nullptr;
    };
    while (!path.empty()) {
        Frame& f = path.back();
        if (f.node == &node) {
            std::string s;
            for (const Frame& p : path)
                s += (s.empty() ? "" : "/") + p.node->Name;
            return s;
        }
        const TPoxel* c = childAt(f.node, f.next++);
        if (c)
            path.push_back({c, 0});
        else
            path.pop_back();
    }
    return node.Name;
}

} // namespace lw
