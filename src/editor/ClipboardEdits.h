#pragma once
// Cut, Copy, Paste and Duplicate of map nodes. They follow the drops of the map tree: a paste
// appends copies to the chosen node (entities to its entities, the rest to its children), is
// refused where a drop is refused, and the copies get names and identities as a drop gives
// them. Every change of the map is one step of the document's history.

#include "editor/MapDocument.h"
#include "editor/NodeFragment.h"

#include <vector>

namespace lw {

// "Copy": the fragment of the subtrees of `nodes`, of the edited map or of another one.
Result<NodeFragment> copyNodes(const std::vector<TPoxel*>& nodes);

// "Cut": the fragment of `nodes`, which then leave the edited map as one step. Nothing is
// removed when the copy is refused or a node is not part of the edited map.
Result<NodeFragment> cutNodes(MapDocument& doc, const std::vector<TPoxel*>& nodes);

// Whether nodes can be pasted into `target`: a node of the edited map that is not an entity.
bool canPasteInto(const MapDocument& doc, const TPoxel& target);

// "Paste": the nodes of `fragment` (clipboard bytes, untrusted) appended to `target` as one
// step. A refused target or a fragment that does not decode leaves the map as it was.
Result<std::vector<TPoxel*>> pasteNodes(MapDocument& doc, TPoxel& target,
                                        std::vector<uint8_t> fragment);

// "Duplicate": a copy of each of `nodes` appended to its own parent, as one step; returns the
// copies. Refused for the root and for nodes that are not part of the edited map.
Result<std::vector<TPoxel*>> duplicateNodes(MapDocument& doc, const std::vector<TPoxel*>& nodes);

} // namespace lw
