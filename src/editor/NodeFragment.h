#pragma once
// Nodes on the clipboard: copies of subtrees written as a small map container (the same records
// a saved map holds, under a root that only carries them), so that they paste into another map
// or another running editor, and a readable line for programs that take only text. What comes
// back from the clipboard is untrusted: it goes through the map reader with all its checks.

#include "core/Poxel.h"
#include "core/Result.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace lw {

// The clipboard format of copied nodes.
inline constexpr char kNodeFragmentMimeType[] = "application/x-landwright-nodes";

struct NodeFragment {
    std::vector<uint8_t> bytes; // a map container whose root holds the copies
    std::string text;           // one readable line (8-bit names, as in maps)
    int nodeCount = 0;          // the copied nodes, not counting what lies below them
};

// The nodes of `nodes` that no other node of the list holds (a node below another one is copied
// with it), in list order, without null entries or repeats.
std::vector<const TPoxel*> topmostNodes(const std::vector<const TPoxel*>& nodes);

// Encodes copies of the subtrees of `nodes` (of any map). Refused for an empty list, for a map's
// root and for anything a map file cannot hold, naming the node. Leaves no trace in the maps or
// in the numbering of new nodes.
Result<NodeFragment> encodeNodeFragment(const std::vector<const TPoxel*>& nodes);

// The refusal of a paste, with what was wrong.
Error pasteRefused(std::string detail);

// Decodes fragment bytes into new nodes, entities first, numbered as nodes that join the edited
// map. Anything that is not a well-formed fragment is refused with the reader's reason; then
// nothing was made and the numbering is as before.
Result<std::vector<std::unique_ptr<TPoxel>>> decodeNodeFragment(std::vector<uint8_t> bytes);

} // namespace lw
