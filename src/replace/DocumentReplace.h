#pragma once
// A replacer run on the edited map: one step of the document's history ("Replace"), however
// many nodes it changed, copied or deleted. The tree, the meshes and the panels follow through
// the document's notifications, and undo puts back the very same nodes.

#include "replace/Replacer.h"

#include <string_view>

namespace lw {

class MapDocument;

// Runs `find` and `replace` once over the subtree of `start` (a node of the edited map). The
// other open documents (the imported map, the library preview) may be named by identity
// number besides those in `settings`. A refused run leaves the map and the history as they
// were; its report holds the log up to the refusal and the reason.
ReplaceReport replaceInDocument(MapDocument& doc, TPoxel& start, std::string_view find,
                                std::string_view replace, ReplaceSettings settings = {});

} // namespace lw
