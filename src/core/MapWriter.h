#pragma once
// Encoding a tree of TPoxel nodes as a map file. Nodes with identical content are written once
// and referred to from every place they occur.

#include "core/MapRecords.h"
#include "core/Poxel.h"
#include "core/Result.h"

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

namespace lw {

// The records of one save: land list (root first) and entity list, in record order.
struct RecordLists {
    std::vector<const TPoxel*> land;
    std::vector<const TPoxel*> entities;
    // Record index of every node of the tree.
    std::unordered_map<const TPoxel*, int32_t> recordOf;
};

// The distinct names of a map (ignoring letter case), sorted by bytes; slot = index + 1.
struct StringList {
    std::vector<std::string> sorted;
    std::unordered_map<std::string, int32_t> slotOfFolded;

    // Slot of `name`; "..." has slot 0.
    int32_t slot(const std::string& name) const;
};

void CollectStrings(const TPoxel& root, StringList& strings);
// Pre-order, entities before children; equal nodes share the record of the first one met.
void CollectRecords(const TPoxel& root, RecordLists& lists);
// Index of the record `node` shares, or -1 when it is not part of the collected tree.
int32_t FindEntityRecord(const TPoxel& entity, const RecordLists& lists);
int32_t FindLandRecord(const TPoxel& node, const RecordLists& lists);
// Object number: entities 1..|E|, land records |E|+1 ...
int32_t ObjectNumber(const TPoxel& node, const RecordLists& lists);

void WriteEntityRecord(const TPoxel& entity, const StringList& strings, std::vector<uint8_t>& out);
void WriteLandRecord(const TPoxel& node, const RecordLists& lists, const StringList& strings,
                     std::vector<uint8_t>& out);

// Checks that the tree fits the file format and the limits the reader holds maps to, then
// assembles the whole file in memory. Refuses (naming the node or the limit) anything the
// format cannot hold or the reader would refuse; never truncates.
Result<std::vector<uint8_t>> encodeMap(const TPoxel& root, const MapLimits& limits = {});

// Encodes `root` and writes it atomically to `fileName`; `note` as writeFileAtomically says.
Status WriteMapFile(const TPoxel& root, const std::string& fileName, std::string* note = nullptr);

// "Root/Group_01/Hill": where a node sits, for messages.
std::string nodePath(const TPoxel& root, const TPoxel& node);

} // namespace lw
