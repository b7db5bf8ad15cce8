#pragma once
// What a map may hold, and the counting of a tree against it.

#include "core/Poxel.h"
#include "core/Result.h"

#include <cstddef>
#include <cstdint>

namespace lw {

// What a map may hold, whether it is read or written: the writer refuses (before writing
// anything) a tree the reader would refuse, so every saved map opens again. The limits count
// what the tree holds, not the size of the file: records may be referenced many times, so a
// small file can describe a large tree, and the editor writes such files when copies share
// their records.
constexpr int kMaxTreeDepth = 1000;
constexpr size_t kMaxDecodedNodes = 250000;
constexpr size_t kMaxDecodedCells = 32u * 1024u * 1024u;
// The memory the nodes take (estimatedNodeBytes plus their names). A map at the node and cell
// limits takes well under half of it; names of 64 KB on every node do not fit.
constexpr size_t kMaxDecodedBytes = size_t(1) << 30;
// Total bytes of the string table's strings: the pool holds at most 64 KB, but its slots may
// point into each other; files the editor writes stay below 64 KB.
constexpr size_t kMaxStringTableBytes = size_t(16) << 20;

// Roughly what a node of nx x ny x nz cells takes in memory: the node itself, its cells,
// heights and level tables, and the allocator's share of each block.
size_t estimatedNodeBytes(int32_t nx, int32_t ny, int32_t nz);

// The limits in force; tests and the fuzzer use smaller ones.
struct MapLimits {
    size_t nodes = kMaxDecodedNodes;
    size_t cells = kMaxDecodedCells;
    size_t bytes = kMaxDecodedBytes;
};

// Counts the nodes of a tree against the limits, as the reader and the writer both do.
class MapBudget {
public:
    explicit MapBudget(const MapLimits& limits = {}) : limits_(limits) {}
    // Counts a node of nx x ny x nz cells (groups and entities count as 1 x 1 x 1) whose names
    // take `nameBytes`. The error's detail says which limit the map passes.
    Status add(int32_t nx, int32_t ny, int32_t nz, size_t nameBytes);
    size_t nodes() const { return nodes_; }
    size_t cells() const { return cells_; }
    size_t bytes() const { return bytes_; }

private:
    MapLimits limits_;
    size_t nodes_ = 0;
    size_t cells_ = 0;
    size_t bytes_ = 0;
};

// Counts `root`'s tree as the reader counts the file the writer makes of it.
Status checkMapLimits(const TPoxel& root, const MapLimits& limits = {});
// The same for the map `root` with the subtree `joining` added to it, before it is added.
Status checkMapLimitsWith(const TPoxel& root, const TPoxel& joining, const MapLimits& limits = {});

} // namespace lw
