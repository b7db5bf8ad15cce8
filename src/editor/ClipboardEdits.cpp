#include "editor/ClipboardEdits.h"

#include "ui/Language.h"

#include <unordered_map>
#include <unordered_set>

namespace lw {

namespace {

std::vector<const TPoxel*> constNodes(const std::vector<TPoxel*>& nodes) {
    return {nodes.begin(), nodes.end()};
}

// A node of the edited map with its parent, as the walk of the tree finds them.
struct Placed {
    TPoxel* parent;
    TPoxel* node;
};

// Each of `nodes` with its parent in the edited map, found in one walk; empty when one of them
// is not below the root (the root itself, or a node of another map).
std::vector<Placed> placesInMap(const MapDocument& doc, const std::vector<const TPoxel*>& nodes) {
    std::unordered_map<const TPoxel*, Placed> found;
    const std::unordered_set<const TPoxel*> wanted(nodes.begin(), nodes.end());
    std::vector<TPoxel*> stack{doc.root()};
    while (!stack.empty() && found.size() < wanted.size()) {
        TPoxel* p = stack.back();
        stack.pop_back();
        for (TArrayPoxel* list : {&p->Entities, &p->Children})
            for (auto& n : *list) {
                if (wanted.count(n.get()))
                    found.emplace(n.get(), Placed{p, n.get()});
                stack.push_back(n.get());
            }
    }
    if (found.size() < wanted.size())
        return {};
    std::vector<Placed> places;
    places.reserve(nodes.size());
    for (const TPoxel* n : nodes)
        places.push_back(found.at(n));
    return places;
}

Error duplicateRefused(std::string detail) {
    return Error{"sCannotDuplicateNodes", "The nodes cannot be duplicated", std::move(detail)};
}

} // namespace

Result<NodeFragment> copyNodes(const std::vector<TPoxel*>& nodes) {
    return encodeNodeFragment(constNodes(nodes));
}

Result<NodeFragment> cutNodes(MapDocument& doc, const std::vector<TPoxel*>& nodes) {
    const std::vector<const TPoxel*> tops = topmostNodes(constNodes(nodes));
    auto fragment = encodeNodeFragment(tops);
    if (!fragment)
        return fragment;
    const std::vector<Placed> places = placesInMap(doc, tops);
    if (places.empty())
        return Error{"sCannotCutNodes", "The nodes cannot be cut",
                     "only nodes of the edited map can be cut"};
    const QString text = langText("[sOpCut]");
    doc.beginStep(text);
    // Last first, as "Delete Poxels" does, so that undo puts each back at its own place.
    for (auto it = places.rbegin(); it != places.rend(); ++it)
        doc.removeNodeOf(*it->parent, *it->node, text);
    doc.endStep();
    return fragment;
}

bool canPasteInto(const MapDocument& doc, const TPoxel& target) {
    return MapDocument::canDropOnto(target) && doc.contains(target);
}

Result<std::vector<TPoxel*>> pasteNodes(MapDocument& doc, TPoxel& target,
                                        std::vector<uint8_t> fragment) {
    if (!doc.contains(target))
        return pasteRefused("nodes are pasted into the edited map only");
    if (!MapDocument::canDropOnto(target))
        return pasteRefused("\"" + target.Name +
                            "\" is an entity, which holds no nodes; select a poxel or a group");
    auto decoded = decodeNodeFragment(std::move(fragment));
    if (!decoded)
        return decoded.error();
    const QString text = langText("[sOpPaste]");
    std::vector<TPoxel*> pasted;
    pasted.reserve(decoded->size());
    doc.beginStep(text);
    for (auto& node : *decoded)
        pasted.push_back(doc.insertNode(target, std::move(node), text));
    doc.endStep();
    return pasted;
}

Result<std::vector<TPoxel*>> duplicateNodes(MapDocument& doc, const std::vector<TPoxel*>& nodes) {
    const std::vector<const TPoxel*> tops = topmostNodes(constNodes(nodes));
    if (tops.empty())
        return duplicateRefused("no node is selected");
    const std::vector<Placed> places = placesInMap(doc, tops);
    if (places.empty())
        return duplicateRefused("only nodes of the edited map below its root can be duplicated");
    const QString text = langText("[sOpDuplicate]");
    std::vector<TPoxel*> copies;
    copies.reserve(places.size());
    doc.beginStep(text);
    for (const Placed& place : places) {
        auto copy = makePoxel();
        ClonePoxel(*copy, *place.node, nullptr, nullptr);
        copies.push_back(doc.insertNode(*place.parent, std::move(copy), text));
    }
    doc.endStep();
    return copies;
}

} // namespace lw
