#pragma once
// The XOM container: the object store that maps, land libraries and texture bundles share.

#include "core/InputFile.h"
#include "core/MapLimits.h"
#include "core/Poxel.h"
#include "core/Result.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace lw {

constexpr size_t kXomHeaderSize = 64;
constexpr size_t kXomTypeRecordSize = 64;
// Largest value the one- or two-byte integers of a record can hold.
constexpr int32_t kMaxVarInt = 32767;
// Files larger than this are not maps.
constexpr size_t kMaxXomFileSize = kMaxInputFileSize;

struct VarInt {
    int32_t value = 0;
    int32_t length = 0;
};

// Reads the varint at `pos` of [data, data + size); nothing when it runs past the end.
bool ReadVarInt(const uint8_t* data, size_t size, size_t pos, VarInt& out);
// Appends the encoding of 0 <= value <= kMaxVarInt and returns its length.
int WriteVarInt(int32_t value, std::vector<uint8_t>& out);

// One entry of the object table, index = object number - 1.
struct StrRec {
    std::string Name;
    std::string LibName;
    // Offset in the file image of the byte after the record's "CTNR" tag; valid when HasData.
    size_t Data = 0;
    // Distance from the record's tag to the next tag or to the end of the file.
    size_t Size = 0;
    bool IsLand = false;
    bool HasData = false;
    TreeItem ListNode = nullptr;

    size_t tagOffset() const { return Data - 4; }
};

// The object table of one file together with the file image its entries point into.
struct TStrArr {
    std::shared_ptr<const std::vector<uint8_t>> image;
    std::vector<StrRec> entries;
    std::vector<std::string> strings; // slots 1 .. N-1
    bool isLibrary = false;
    int32_t rootIndex = -1; // root object number - 1
    int32_t firstLand = -1;

    const uint8_t* bytes() const { return image ? image->data() : nullptr; }
    size_t size() const { return image ? image->size() : 0; }
    void clear() { *this = TStrArr{}; }
};

// The framing every container shares: the type records, the strings and where the object
// records begin. Maps, land libraries and texture bundles are all read through it.
struct XomFraming {
    struct Type {
        std::string name;
        int32_t announced = 0; // the count in the type record (low 16 bits)
        int32_t records = 0;   // records in the file: an XGraphSet type has exactly one
    };
    std::vector<Type> types;
    std::vector<std::string> strings; // slots 1 .. N-1
    size_t recordsBegin = 0;          // the first record's "CTNR" tag
    int32_t objectCount = 0;
    int32_t rootNumber = 0;

    // The name of a string slot: "..." for slot 0, "[OUT]" beyond the table.
    std::string slotName(int32_t slot) const;
};

// Reads header, type records and string table, checking that each lies inside the file. The
// error's detail says what is wrong; callers choose the message.
Result<XomFraming> readXomFraming(const uint8_t* data, size_t size);

// Position of the next "CTNR" tag at or after `from`, or `size` when there is none.
size_t findXomTag(const uint8_t* data, size_t size, size_t from);

enum class XomMode { Map, Library };

// Parses the container framing of `bytes`. Map mode refuses texture bundles and files whose root
// is not a land record; library mode accepts a file only when it has an XGraphSet type.
Result<TStrArr> parseXom(std::vector<uint8_t> bytes, XomMode mode);

// One node of a land library listing.
struct LibraryEntry {
    std::string name;
    int32_t objectIndex = 0;
    int image = ImageEntity;
    std::vector<LibraryEntry> children;
};

// Builds the listing of a library: the land objects nobody references, sorted by name ignoring
// case, each with its entities and children below it.
Result<std::vector<LibraryEntry>> buildLibraryListing(const TStrArr& objects,
                                                      const MapLimits& limits = {});

// Adds a listing to a tree view; each object's entry remembers the last item made for it.
void emitLibraryListing(const std::vector<LibraryEntry>& listing, TStrArr& objects, ItemSink& view);

// Reads `fileName` into `objects`. Map mode: returns the root's object index (>= 0). Library
// mode: builds the listing into `view` and returns -1. Any refusal returns -2 and fills `error`;
// `objects` is only replaced on success.
int32_t ReadXomFile(const std::string& fileName, ItemSink* view, bool mapMode, TStrArr& objects,
                    Error* error = nullptr);

// Case-insensitive (ASCII) comparison used for names in the string table and listings.
bool equalsIgnoreCase(const std::string& a, const std::string& b);
int compareIgnoreCase(const std::string& a, const std::string& b);

} // namespace lw
