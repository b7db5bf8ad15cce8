#include "core/MapLimits.h"

#include <algorithm>
#include <string>
#include <vector>

namespace lw {

size_t estimatedNodeBytes(int32_t nx, int32_t ny, int32_t nz) {
    constexpr size_t kBlockOverhead = 32; // allocator header and rounding per block
    const size_t x = size_t(std::max(nx, 1)), y = size_t(std::max(ny, 1)),
                 z = size_t(std::max(nz, 1));
    const size_t blocks = 4 + (x + 1); // cells, two level tables, the height columns
    return sizeof(TPoxel) + kBlockOverhead * (blocks + 1) + 4 * x * y * z +
           (x + 1) * (sizeof(std::vector<float>) + 4 * (z + 1)) + 2 * sizeof(TLayer) * (y + 1);
}

Status MapBudget::add(int32_t nx, int32_t ny, int32_t nz, size_t nameBytes) {
    ++nodes_;
    cells_ += size_t(std::max(nx, 1)) * size_t(std::max(ny, 1)) * size_t(std::max(nz, 1));
    bytes_ += estimatedNodeBytes(nx, ny, nz) + nameBytes;
    auto tooLarge = [](const std::string& what) {
        return Error{"sMapTooLarge", "Map too large", what};
    };
    if (nodes_ > limits_.nodes)
        return tooLarge("the map holds more than " + std::to_string(limits_.nodes) +
                        " nodes, the most a map may hold");
    if (cells_ > limits_.cells)
        return tooLarge("the map holds more than " + std::to_string(limits_.cells) +
                        " cells, the most a map may hold");
    if (bytes_ > limits_.bytes)
        return tooLarge("the map's nodes and names would take more than " +
                        std::to_string(limits_.bytes >> 20) +
                        " MiB in memory, the most a map may take");
    return Ok{};
}

namespace {

Status countTree(MapBudget& budget, const TPoxel& top) {
    std::vector<const TPoxel*> stack{&top};
    while (!stack.empty()) {
        const TPoxel* n = stack.back();
        stack.pop_back();
        // Entities and a root written as a group record read back as one cell.
        const bool oneCell = n->IsEntity || (n->IsRoot && n->Entities.empty());
        Status st = oneCell ? budget.add(1, 1, 1, n->Name.size() + n->LibName.size())
                            : budget.add(n->NX, n->NY, n->NZ, n->Name.size());
        if (!st)
            return st;
        for (const auto& c : n->Children)
            stack.push_back(c.get());
        for (const auto& e : n->Entities)
            stack.push_back(e.get());
    }
    return Ok{};
}

} // namespace

Status checkMapLimits(const TPoxel& root, const MapLimits& limits) {
    MapBudget budget(limits);
    return countTree(budget, root);
}

Status checkMapLimitsWith(const TPoxel& root, const TPoxel& joining, const MapLimits& limits) {
    MapBudget budget(limits);
    if (auto st = countTree(budget, root); !st)
        return st;
    return countTree(budget, joining);
}

} // namespace lw
