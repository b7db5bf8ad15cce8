#pragma once
// Boxes of whole subtrees, so a frame can skip a group whose poxels all lie outside the view
// without placing each of them. Kept between frames: a refresh compares every node's placement
// and box with what its entry was made from and redoes only what changed, so a frame pays a
// lookup per node instead of a placement.

#include "core/Poxel.h"
#include "core/Transform.h"

#include <cstdint>
#include <unordered_map>

namespace lw {

class SubtreeBoxes {
public:
    struct Box {
        bool Any = false; // some poxel below has a mesh; Lo and Hi hold its box
        TVec3 Lo;
        TVec3 Hi;
        bool HoldsSelected = false; // the node or one below it is the selected one
    };

    // Brings the boxes of the tree under `root` up to date. A poxel counts with its box (scaled
    // by its Size) once its mesh is built; groups and entities count only through the poxels
    // below them (entities not at all).
    void refresh(const TPoxel& root, int32_t selectedId);
    // The box of the subtree of `node` in the node's own frame (where its children are
    // placed), from the last refresh; null for a node that refresh did not reach.
    const Box* find(const TPoxel& node) const;

private:
    struct Entry {
        // What the entry was made from.
        TVec3 pos, rot, size, boxMin, boxMax;
        bool meshed = false;
        // The subtree box in the node's frame and in its parent's frame.
        Box own;
        bool placedAny = false;
        TVec3 placedLo, placedHi;
        uint64_t stamp = 0;
    };
    const Entry& visit(const TPoxel& node, int32_t selectedId);

    std::unordered_map<const TPoxel*, Entry> entries_;
    uint64_t stamp_ = 0;
};

} // namespace lw
