#pragma once
// Decoding the records of a map into a tree of TPoxel nodes.

#include "core/MapRecords.h"
#include "core/Poxel.h"
#include "core/Result.h"
#include "core/Xom.h"

#include <memory>
#include <string>

namespace lw {

// True when `name` is none of the reserved map entities that a library drag leaves out.
bool IsImportableEntity(const std::string& name);

// Decodes the land record of entry `index` into the fresh `node`, with its entities and
// children. `filter` leaves out reserved entities. Items are not made here: a caller adds them
// with addTreeItems once the whole decode has succeeded. Meshes are built by the caller.
// The decode is refused when the tree passes `limits`.
Status ReadLandFrame(TPoxel& node, const TStrArr& objects, int32_t index, bool filter,
                     const MapLimits& limits = {});
Status ReadDetailEntity(TPoxel& node, const TStrArr& objects, int32_t index);

// How a decode numbers the display lists of the nodes it creates.
enum class CounterMode {
    Reset, // opening a map: the counter starts again at 0
    Band,  // a second document: the counter is pushed to `base` and popped afterwards
    Keep,  // nodes join the edited map (library drag): numbering continues
};

// Decodes the root object of `objects` into a new root (IsRoot and IsGroup set). On failure
// nothing is handed over and the display-list counter is as it was before.
Result<std::unique_ptr<TPoxel>> decodeMapRoot(const TStrArr& objects, CounterMode mode,
                                              int32_t base = 0, const MapLimits& limits = {});

// Decodes one object of a library into a new node: a land object with ReadLandFrame, an entity
// with ReadDetailEntity. On failure the counter is restored.
Result<std::unique_ptr<TPoxel>> decodeLibraryObject(const TStrArr& objects, int32_t index,
                                                    bool filter, CounterMode mode, int32_t base = 0,
                                                    const MapLimits& limits = {});

// Reads a map file and decodes it with a reset counter, as opening a map does.
Result<std::unique_ptr<TPoxel>>
readMapFile(const std::string& fileName, CounterMode mode = CounterMode::Reset, int32_t base = 0);

} // namespace lw
