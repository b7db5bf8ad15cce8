#include "core/Xom.h"

#include "core/ByteIO.h"
#include "core/MapRecords.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <string_view>

namespace lw {

namespace {

constexpr std::string_view kTag = "CTNR";

std::string at(size_t offset) {
    return "offset " + std::to_string(offset) + ": ";
}

std::string className(const uint8_t* p) {
    size_t n = 0;
    while (n < 32 && p[n] != 0)
        ++n;
    return std::string(reinterpret_cast<const char*>(p), n);
}

char foldAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
}

} // namespace

size_t findXomTag(const uint8_t* data, size_t size, size_t from) {
    if (from >= size || size - from < kTag.size())
        return size;
    const std::string_view hay(reinterpret_cast<const char*>(data) + from, size - from);
    const size_t found = hay.find(kTag);
    return found == std::string_view::npos ? size : from + found;
}

std::string XomFraming::slotName(int32_t slot) const {
    if (slot == 0)
        return "...";
    if (slot < 0 || size_t(slot) > strings.size())
        return "[OUT]";
    return strings[size_t(slot) - 1];
}

Result<XomFraming> readXomFraming(const uint8_t* d, size_t size) {
    if (size < kXomHeaderSize)
        return badXomFormat("the file is " + std::to_string(size) +
                            " bytes long, shorter than its header");
    XomFraming f;
    const int32_t typeCount = loadU16(d + 24);
    f.objectCount = loadU16(d + 28);
    f.rootNumber = loadU16(d + 32);

    const size_t typesEnd = kXomHeaderSize + kXomTypeRecordSize * size_t(typeCount);
    if (typesEnd > size)
        return badXomFormat(at(kXomHeaderSize) + std::to_string(typeCount) +
                            " type records do not fit in the file");
    for (int32_t i = 0; i < typeCount; ++i) {
        const uint8_t* rec = d + kXomHeaderSize + kXomTypeRecordSize * size_t(i);
        XomFraming::Type t{className(rec + 32), loadU16(rec + 8), 0};
        // A graph set keeps everything in one object whatever its record announces.
        t.records = t.name == "XGraphSet" ? 1 : t.announced;
        f.types.push_back(std::move(t));
    }

    // String table: after a 16-byte schema record, or a 32-byte one when the tag is not there.
    size_t s = typesEnd + 16;
    if (s + 4 > size || std::memcmp(d + s, "STRS", 4) != 0)
        s = typesEnd + 32;
    if (s + 12 > size)
        return badXomFormat(at(s) + "the string table is cut off");
    const size_t slotCount = loadU16(d + s + 4);
    const size_t poolSize = loadU16(d + s + 8);
    const size_t pool = s + 12 + 4 * slotCount;
    if (pool + poolSize > size)
        return badXomFormat(at(s) + "the string table (" + std::to_string(slotCount) + " slots, " +
                            std::to_string(poolSize) + " bytes) runs past the end of the file");
    // Slots may point into each other's strings: what they expand to is counted, so a small
    // table cannot claim gigabytes.
    size_t expanded = 0;
    for (size_t k = 1; k < slotCount; ++k) {
        const size_t off = loadU16(d + s + 12 + 4 * k);
        const uint8_t* start = off < poolSize ? d + pool + off : nullptr;
        const void* nul = start ? std::memchr(start, 0, poolSize - off) : nullptr;
        if (!nul)
            return badXomFormat(at(s + 12 + 4 * k) + "string slot " + std::to_string(k) +
                                " runs past the end of the string pool");
        expanded += size_t(static_cast<const uint8_t*>(nul) - start) + 1;
        if (expanded > kMaxStringTableBytes)
            return badXomFormat(at(s) + "the " + std::to_string(slotCount) +
                                " strings of the string table expand to more than " +
                                std::to_string(kMaxStringTableBytes >> 20) + " MiB");
        f.strings.emplace_back(reinterpret_cast<const char*>(start),
                               static_cast<const uint8_t*>(nul) - start);
    }
    f.recordsBegin = pool + poolSize;
    return f;
}

bool ReadVarInt(const uint8_t* data, size_t size, size_t pos, VarInt& out) {
    if (pos > size)
        return false;
    ByteReader r(data, pos, size);
    if (!r.varint(out.value))
        return false;
    out.length = int32_t(r.pos() - pos);
    return true;
}

int WriteVarInt(int32_t value, std::vector<uint8_t>& out) {
    if (value <= 0x7F) {
        out.push_back(uint8_t(value));
        return 1;
    }
    out.push_back(uint8_t(0x80 | (value & 0x7F)));
    out.push_back(uint8_t(value >> 7));
    return 2;
}

bool equalsIgnoreCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (foldAscii(a[i]) != foldAscii(b[i]))
            return false;
    return true;
}

int compareIgnoreCase(const std::string& a, const std::string& b) {
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        const auto ca = uint8_t(foldAscii(a[i])), cb = uint8_t(foldAscii(b[i]));
        if (ca != cb)
            return ca < cb ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

Result<TStrArr> parseXom(std::vector<uint8_t> bytes, XomMode mode) {
    auto bad = [mode](std::string detail) {
        return mode == XomMode::Map ? badXomFormat(std::move(detail))
                                    : badLibraryXom(std::move(detail));
    };
    const size_t size = bytes.size();
    const uint8_t* d = bytes.data();
    auto framing = readXomFraming(d, size);
    if (!framing)
        return bad(framing.error().detail);
    const XomFraming& f = *framing;
    const int32_t objectCount = f.objectCount;
    const int32_t rootNumber = f.rootNumber;

    TStrArr table;
    table.entries.resize(size_t(objectCount));
    table.strings = f.strings;

    bool isLibrary = false;
    int32_t landType = -1;
    int32_t firstObject = 0;
    int64_t totalObjects = 0;
    for (size_t i = 0; i < f.types.size(); ++i) {
        const XomFraming::Type& t = f.types[i];
        if (t.name == "XGraphSet") {
            if (mode == XomMode::Map)
                return bad("the file is a texture bundle, not a map");
            // Numbering of the other objects continues after the graph set's announced count.
            isLibrary = true;
            firstObject = std::max(t.announced - 1, 0);
        } else if (t.name == "LandFrameStore") {
            landType = int32_t(i);
        }
        totalObjects += t.records;
    }
    if (landType < 0)
        return bad("the file has no LandFrameStore type");
    if (firstObject + totalObjects > objectCount)
        return bad("the type records announce " + std::to_string(firstObject + totalObjects) +
                   " objects, the header " + std::to_string(objectCount));

    // Object records, one after the other in type order; each ends at the next tag.
    size_t pos = f.recordsBegin;
    int32_t j = firstObject;
    bool reachedEnd = pos >= size;
    for (size_t i = 0; i < f.types.size() && !reachedEnd; ++i) {
        const bool isLand = int32_t(i) == landType;
        const bool isEntity = f.types[i].name == "DetailEntityStore";
        for (int32_t n = 0; n < f.types[i].records && !reachedEnd; ++n, ++j) {
            const size_t next = findXomTag(d, size, pos + 4);
            reachedEnd = next >= size;
            if (!isLand && !isEntity) {
                pos = next;
                continue;
            }
            if (size - pos < 4 || std::memcmp(d + pos, kTag.data(), 4) != 0)
                return bad(at(pos) + "object " + std::to_string(j + 1) +
                           " does not start with a CTNR tag");
            // Tag, three bytes and at least one byte of the name: the record readers start
            // at the name, so a shorter record must never reach them.
            if (next - pos < 8)
                return bad(at(pos) + "object " + std::to_string(j + 1) + " is only " +
                           std::to_string(next - pos) + " bytes long, too short for a record");
            StrRec& e = table.entries[size_t(j)];
            e.Data = pos + 4;
            e.Size = next - pos;
            e.IsLand = isLand;
            e.HasData = true;
            ByteReader r(d, pos + 7, next);
            int32_t nameSlot = 0;
            if (!r.varint(nameSlot))
                return bad(at(pos) + "object " + std::to_string(j + 1) + " is cut off in its name");
            e.Name = f.slotName(nameSlot);
            if (isEntity) {
                int32_t libSlot = 0;
                if (!r.varint(libSlot))
                    return bad(at(pos) + "entity object " + std::to_string(j + 1) +
                               " is cut off in its library name");
                e.LibName = libSlot == 0 ? std::string() : f.slotName(libSlot);
            } else if (table.firstLand < 0) {
                table.firstLand = j;
            }
            pos = next;
        }
    }

    table.isLibrary = isLibrary;
    if (mode == XomMode::Library) {
        if (!isLibrary)
            return bad("the file has no XGraphSet type: it is a map, not a land library");
    } else {
        if (rootNumber == 0 || rootNumber > objectCount)
            return bad(at(32) + "root object " + std::to_string(rootNumber) +
                       " is not one of the " + std::to_string(objectCount) + " objects");
        const StrRec& root = table.entries[size_t(rootNumber - 1)];
        if (!root.HasData || !root.IsLand)
            return bad(at(32) + "root object " + std::to_string(rootNumber) +
                       " is not a land record");
        table.rootIndex = rootNumber - 1;
    }
    table.image = std::make_shared<const std::vector<uint8_t>>(std::move(bytes));
    return table;
}

Result<std::vector<LibraryEntry>> buildLibraryListing(const TStrArr& objects,
                                                      const MapLimits& limits) {
    const size_t count = objects.entries.size();
    // Parse every land record once; an object referenced as a child of another is not listed
    // at the top.
    std::vector<LandRecordView> views(count);
    std::vector<uint8_t> isChild(count, 0);
    for (size_t k = 0; k < count; ++k) {
        const StrRec& e = objects.entries[k];
        if (!e.HasData || !e.IsLand)
            continue;
        auto view = parseLandRecord(objects, int32_t(k));
        if (!view)
            return badLibraryXom(view.error().detail);
        views[k] = std::move(*view);
        for (int32_t ref : views[k].childRefs)
            isChild[size_t(ref - 1)] = 1;
    }

    MapBudget budget(limits);
    std::vector<uint8_t> onPath(count, 0);
    std::function<Status(int32_t, LibraryEntry&, int)> list = [&](int32_t k, LibraryEntry& out,
                                                                  int depth) -> Status {
        if (depth > kMaxTreeDepth)
            return badLibraryXom("objects are nested more than " + std::to_string(kMaxTreeDepth) +
                                 " deep");
        const StrRec& e = objects.entries[size_t(k)];
        if (auto st = budget.add(1, 1, 1, e.Name.size()); !st)
            return badLibraryXom(st.error().detail);
        out.name = e.Name;
        out.objectIndex = k;
        if (!e.IsLand) {
            out.image = ImageEntity;
            return Ok{};
        }
        const LandRecordView& v = views[size_t(k)];
        if (v.isGroup) {
            out.image = ImageEntity;
        } else {
            out.image = v.isEmptySingleCell ? ImageGroup : ImagePoxel;
            for (int32_t ref : v.entityRefs) {
                LibraryEntry child;
                if (auto st = list(ref - 1, child, depth + 1); !st)
                    return st;
                out.children.push_back(std::move(child));
            }
        }
        onPath[size_t(k)] = 1;
        for (int32_t ref : v.childRefs) {
            if (onPath[size_t(ref - 1)])
                return badLibraryXom("object " + std::to_string(k + 1) + " refers back to object " +
                                     std::to_string(ref) + ", its own ancestor");
            LibraryEntry child;
            if (auto st = list(ref - 1, child, depth + 1); !st)
                return st;
            out.children.push_back(std::move(child));
        }
        onPath[size_t(k)] = 0;
        return Ok{};
    };

    std::vector<LibraryEntry> top;
    for (size_t k = 0; k < count; ++k) {
        const StrRec& e = objects.entries[k];
        if (!e.HasData || !e.IsLand || isChild[k])
            continue;
        LibraryEntry entry;
        if (auto st = list(int32_t(k), entry, 0); !st)
            return st.error();
        top.push_back(std::move(entry));
    }
    std::stable_sort(top.begin(), top.end(), [](const LibraryEntry& a, const LibraryEntry& b) {
        return compareIgnoreCase(a.name, b.name) < 0;
    });
    return top;
}

void emitLibraryListing(const std::vector<LibraryEntry>& listing, TStrArr& objects,
                        ItemSink& view) {
    struct Pending {
        const LibraryEntry* entry;
        TreeItem parent;
    };
    std::vector<Pending> stack;
    for (auto it = listing.rbegin(); it != listing.rend(); ++it)
        stack.push_back({&*it, nullptr});
    while (!stack.empty()) {
        const Pending p = stack.back();
        stack.pop_back();
        TreeItem item =
            view.addItem(p.parent, p.entry->name, p.entry->image, nullptr, p.entry->objectIndex);
        objects.entries[size_t(p.entry->objectIndex)].ListNode = item;
        for (auto it = p.entry->children.rbegin(); it != p.entry->children.rend(); ++it)
            stack.push_back({&*it, item});
    }
}

int32_t ReadXomFile(const std::string& fileName, ItemSink* view, bool mapMode, TStrArr& objects,
                    Error* error) {
    auto refuse = [error](const Error& e) {
        if (error)
            *error = e;
        return -2;
    };
    auto bytes = readFileBytes(fileName);
    if (!bytes)
        return refuse(bytes.error());
    auto table = parseXom(std::move(*bytes), mapMode ? XomMode::Map : XomMode::Library);
    if (!table)
        return refuse(table.error());
    if (mapMode) {
        objects = std::move(*table);
        return objects.rootIndex;
    }
    auto listing = buildLibraryListing(*table);
    if (!listing)
        return refuse(listing.error());
    objects = std::move(*table);
    if (view)
        emitLibraryListing(*listing, objects, *view);
    return -1;
}

} // namespace lw
