#pragma once
// Map nodes on the system clipboard: the fragment in our own format beside a readable line, so
// that nodes copied in one editor paste into another running one and text programs get a line.

#include "editor/ClipboardEdits.h"

#include <optional>

class QMimeData;

namespace lw {

// Clipboard data of a fragment: the nodes in our own format and the readable line as text.
QMimeData* nodesMimeData(const NodeFragment& fragment);
// The fragment bytes `data` holds; nothing when it holds no nodes.
std::optional<std::vector<uint8_t>> nodesOfMimeData(const QMimeData* data);
// Whether the system clipboard holds nodes (what enables Paste).
bool clipboardHasNodes();

// Copy, Cut and Paste as the window runs them, through the system clipboard. Cut changes the
// clipboard only when the nodes could be copied, and the map only after that.
Status copyNodesToClipboard(const std::vector<TPoxel*>& nodes);
Status cutNodesToClipboard(MapDocument& doc, const std::vector<TPoxel*>& nodes);
Result<std::vector<TPoxel*>> pasteNodesFromClipboard(MapDocument& doc, TPoxel& target);

} // namespace lw
