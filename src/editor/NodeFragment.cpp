#include "editor/NodeFragment.h"

#include "core/MapReader.h"
#include "core/MapWriter.h"
#include "core/Xom.h"

#include <unordered_set>

namespace lw {

namespace {

// The name of the root that carries the copies; it never reaches a map.
constexpr char kHolderName[] = "Clipboard";
// Names the readable line lists before it only counts the rest.
constexpr size_t kNamesInText = 8;

Error cannotCopy(std::string detail) {
    return Error{"sCannotCopyNodes", "The nodes cannot be copied", std::move(detail)};
}

// The writer names nodes by their path from the root; the holder is no part of the user's map.
std::string withoutHolder(std::string detail) {
    const std::string prefix = std::string("\"") + kHolderName + "/";
    for (size_t at = detail.find(prefix); at != std::string::npos; at = detail.find(prefix, at))
        detail.erase(at + 1, prefix.size() - 1);
    return detail;
}

std::string readableLine(const std::vector<const TPoxel*>& nodes) {
    std::string text = nodes.size() == 1 ? "Landwright map node: " : "Landwright map nodes: ";
    for (size_t i = 0; i < nodes.size() && i < kNamesInText; ++i)
        text += (i ? ", " : "") + nodes[i]->Name;
    if (nodes.size() > kNamesInText)
        text += " and " + std::to_string(nodes.size() - kNamesInText) + " more";
    return text;
}

} // namespace

Error pasteRefused(std::string detail) {
    return Error{"sCannotPasteNodes", "The nodes on the clipboard cannot be pasted",
                 std::move(detail)};
}

std::vector<const TPoxel*> topmostNodes(const std::vector<const TPoxel*>& nodes) {
    const std::unordered_set<const TPoxel*> picked(nodes.begin(), nodes.end());
    // Everything strictly below a picked node is taken along with it.
    std::unordered_set<const TPoxel*> below;
    for (const TPoxel* top : picked) {
        if (!top || below.count(top))
            continue;
        std::vector<const TPoxel*> stack;
        for (const TArrayPoxel* list : {&top->Entities, &top->Children})
            for (const auto& n : *list)
                stack.push_back(n.get());
        while (!stack.empty()) {
            const TPoxel* n = stack.back();
            stack.pop_back();
            if (!below.insert(n).second)
                continue;
            for (const TArrayPoxel* list : {&n->Entities, &n->Children})
                for (const auto& c : *list)
                    stack.push_back(c.get());
        }
    }
    std::vector<const TPoxel*> tops;
    std::unordered_set<const TPoxel*> seen;
    for (const TPoxel* n : nodes)
        if (n && !below.count(n) && seen.insert(n).second)
            tops.push_back(n);
    return tops;
}

Result<NodeFragment> encodeNodeFragment(const std::vector<const TPoxel*>& nodes) {
    const std::vector<const TPoxel*> tops = topmostNodes(nodes);
    if (tops.empty())
        return cannotCopy("no node is selected");
    for (const TPoxel* n : tops)
        if (n->IsRoot)
            return cannotCopy("the root of a map cannot be copied; select the nodes below it");

    // The copies are made, written and destroyed at once: the numbering of new nodes is put
    // back, so copying never uses up identities of the edited map.
    const int32_t counter = PoxelCounter();
    Result<std::vector<uint8_t>> bytes = std::vector<uint8_t>{};
    {
        auto holder = makePoxel();
        holder->Name = kHolderName;
        holder->IsRoot = true;
        holder->IsGroup = true;
        FillVoxels(*holder, 0);
        holder->Surface = 0;
        for (const TPoxel* n : tops) {
            auto copy = makePoxel();
            ClonePoxel(*copy, *n, nullptr, nullptr);
            (n->IsEntity ? holder->Entities : holder->Children).push_back(std::move(copy));
        }
        bytes = encodeMap(*holder);
    }
    setPoxelCounter(counter);
    if (!bytes)
        return cannotCopy(withoutHolder(bytes.error().detail));
    return NodeFragment{std::move(*bytes), readableLine(tops), int(tops.size())};
}

Result<std::vector<std::unique_ptr<TPoxel>>> decodeNodeFragment(std::vector<uint8_t> bytes) {
    if (bytes.size() > kMaxXomFileSize)
        return pasteRefused("the clipboard holds " + std::to_string(bytes.size() >> 20) +
                            " MiB, more than any map");
    auto objects = parseXom(std::move(bytes), XomMode::Map);
    if (!objects)
        return pasteRefused(objects.error().detail);
    const int32_t counter = PoxelCounter();
    auto holder = decodeMapRoot(*objects, CounterMode::Keep);
    if (!holder)
        return pasteRefused(holder.error().detail);
    std::vector<std::unique_ptr<TPoxel>> nodes;
    for (TArrayPoxel* list : {&holder.value()->Entities, &holder.value()->Children}) {
        for (auto& n : *list)
            nodes.push_back(std::move(n));
        list->clear();
    }
    if (nodes.empty()) {
        holder.value().reset();
        setPoxelCounter(counter);
        return pasteRefused("the clipboard's map holds no nodes");
    }
    return nodes;
}

} // namespace lw
