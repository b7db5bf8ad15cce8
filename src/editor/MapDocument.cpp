#include "editor/MapDocument.h"

#include "core/AtomicFile.h"
#include "core/MapGenerator.h"
#include "core/MapReader.h"
#include "core/MapWriter.h"
#include "editor/Documents.h"
#include "ui/Language.h"

#include <QFile>
#include <QFileInfo>
#include <QUndoCommand>

#include <algorithm>
#include <new>

namespace lw {

namespace {

std::string localName(const QString& fileName) {
    return QFile::encodeName(fileName).toStdString();
}

// A missing or unreadable file, a folder or a device is refused before the reader sees it,
// like a bad file.
std::optional<Error> unreadable(const QString& fileName, Error (*kind)(std::string)) {
    if (const auto problem = inputFileProblem(localName(fileName)))
        return kind(fileName.toStdString() + ": " + *problem);
    return std::nullopt;
}

Error outOfMemory(const QString& fileName) {
    return Error{"sOutOfMemory", "Not enough memory",
                 fileName.toStdString() + ": the file describes more than this computer can hold"};
}

// Reads and decodes a map file; `stamp` receives what the file was like.
Result<std::unique_ptr<TPoxel>> readMap(const QString& fileName, CounterMode mode, int32_t base,
                                        FileStamp* stamp) {
    try {
        const std::string local = localName(fileName);
        auto bytes = readFileBytes(local);
        if (!bytes)
            return badXomFormat(bytes.error().detail);
        if (stamp)
            *stamp = stampFile(local, bytes->data(), bytes->size());
        auto objects = parseXom(std::move(*bytes), XomMode::Map);
        if (!objects)
            return objects.error();
        return decodeMapRoot(*objects, mode, base);
    } catch (const std::bad_alloc&) {
        return outOfMemory(fileName);
    }
}

TArrayPoxel& listOf(TPoxel& parent, const TPoxel& node) {
    return node.IsEntity ? parent.Entities : parent.Children;
}

std::string numbered(const char* pattern, int32_t n) {
    return QString::asprintf(pattern, n).toStdString();
}

// A fresh node holding a deep copy of `source` (the mesh is built by whoever shows it).
std::unique_ptr<TPoxel> cloneOf(const TPoxel& source) {
    auto copy = makePoxel();
    ClonePoxel(*copy, source, nullptr, nullptr);
    return copy;
}

} // namespace

// ---- Commands -------------------------------------------------------------------------------

// Puts a node into its parent's list; undo takes it out again and keeps it.
class InsertNodeCommand : public QUndoCommand {
public:
    InsertNodeCommand(MapDocument& doc, TPoxel& parent, std::unique_ptr<TPoxel> node,
                      const QString& text)
        : QUndoCommand(text), doc_(doc), parent_(parent), node_(node.get()), held_(std::move(node)),
          index_(static_cast<int>(listOf(parent, *node_).size())) {}

    void redo() override { doc_.attach(parent_, std::move(held_), index_); }
    void undo() override { held_ = doc_.detach(parent_, *node_); }
    TPoxel* node() const { return node_; }

private:
    MapDocument& doc_;
    TPoxel& parent_;
    TPoxel* node_;
    std::unique_ptr<TPoxel> held_;
    int index_;
};

// Takes a node out of the map and keeps it, so that undo puts back the very same nodes.
class RemoveNodeCommand : public QUndoCommand {
public:
    RemoveNodeCommand(MapDocument& doc, const NodePlace& place, TPoxel& node, const QString& text)
        : QUndoCommand(text), doc_(doc), parent_(*place.parent), node_(node), index_(place.index) {}

    void redo() override { held_ = doc_.detach(parent_, node_); }
    void undo() override { doc_.attach(parent_, std::move(held_), index_); }

private:
    MapDocument& doc_;
    TPoxel& parent_;
    TPoxel& node_;
    int index_;
    std::unique_ptr<TPoxel> held_;
};

// A node's own fields before and after an edit.
class NodeContentCommand : public QUndoCommand {
public:
    NodeContentCommand(MapDocument& doc, TPoxel& node, PoxelContent before, PoxelContent after,
                       NodeChanges what, int mergeKey, const QString& text)
        : QUndoCommand(text), doc_(doc), node_(node), before_(std::move(before)),
          after_(std::move(after)), what_(what), mergeKey_(mergeKey) {}

    void redo() override { doc_.setContent(node_, after_, what_); }
    void undo() override { doc_.setContent(node_, before_, what_); }
    int id() const override { return mergeKey_; }
    bool mergeWith(const QUndoCommand* other) override {
        const auto* next = static_cast<const NodeContentCommand*>(other);
        if (&next->node_ != &node_)
            return false;
        after_ = next->after_;
        what_ |= next->what_;
        // A stroke or a typed value that ends where it began leaves no step behind.
        setObsolete(after_ == before_);
        return true;
    }

private:
    MapDocument& doc_;
    TPoxel& node_;
    PoxelContent before_;
    PoxelContent after_;
    NodeChanges what_;
    int mergeKey_;
};

// ---- Free helpers ---------------------------------------------------------------------------

TPoxel* findByListId(TPoxel* root, int32_t listId) {
    if (!root || listId == 0)
        return nullptr;
    std::vector<TPoxel*> stack{root};
    while (!stack.empty()) {
        TPoxel* node = stack.back();
        stack.pop_back();
        if (node->ListId == listId)
            return node;
        for (auto& e : node->Entities)
            stack.push_back(e.get());
        for (auto& c : node->Children)
            stack.push_back(c.get());
    }
    return nullptr;
}

bool isInSubtree(const TPoxel& ancestor, const TPoxel& node) {
    std::vector<const TPoxel*> stack{&ancestor};
    while (!stack.empty()) {
        const TPoxel* p = stack.back();
        stack.pop_back();
        if (p == &node)
            return true;
        for (const auto& e : p->Entities)
            stack.push_back(e.get());
        for (const auto& c : p->Children)
            stack.push_back(c.get());
    }
    return false;
}

// ---- The document ---------------------------------------------------------------------------

MapDocument::MapDocument(QObject* parent) : QObject(parent), root_(newMapRoot()) {
    stack_.setUndoLimit(kUndoLimit);
    connect(&stack_, &QUndoStack::cleanChanged, this,
            [this](bool clean) { emit modifiedChanged(!clean); });
}

MapDocument::~MapDocument() {
    // The history holds nodes that point into the tree; it goes first.
    stack_.clear();
}

QString MapDocument::opText(Op op) {
    switch (op) {
    case Op::AddDummy:
        return langText("[mnuTreeAdddummy]");
    case Op::AddPoxel:
        return langText("[mnuTreeAddpoxel]");
    case Op::AddEmitter:
        return langText("[mnuTreeAddemitter]");
    case Op::Delete:
        return langText("[mnuTreeDeletepoxel]");
    case Op::DeleteMany:
        return langText("[mnuGroupDeletePoxels]");
    case Op::Group:
        return langText("[mnuGroupGroupPoxels]");
    case Op::Copy:
        return langText("[sOpCopyPoxel]");
    }
    return {};
}

void MapDocument::setFileName(const QString& name) {
    const QString fileName = canonicalFileName(name);
    if (fileName_ == fileName)
        return;
    fileName_ = fileName;
    emit fileNameChanged(fileName_);
}

void MapDocument::replaceRoot(std::unique_ptr<TPoxel> root, const QString& fileName) {
    const bool wasModified = isModified();
    emit documentAboutToBeReplaced();
    // The history refers to the old tree: it goes with it.
    stack_.clear();
    std::unique_ptr<TPoxel> old = std::move(root_);
    root_ = std::move(root);
    old.reset();
    setFileName(fileName);
    emit documentReplaced();
    if (wasModified)
        emit modifiedChanged(false);
}

void MapDocument::newMap() {
    replaceRoot(newMapRoot(), QString());
    diskStamp_ = FileStamp{};
}

Status MapDocument::openMap(const QString& fileName) {
    if (const auto bad = unreadable(fileName, &badXomFormat))
        return *bad;
    // Decoded into a new tree first: a bad file changes nothing.
    FileStamp stamp;
    auto decoded = readMap(fileName, CounterMode::Reset, 0, &stamp);
    if (!decoded)
        return decoded.error();
    replaceRoot(std::move(decoded.value()), fileName);
    diskStamp_ = stamp;
    return Ok{};
}

Status MapDocument::saveMap(const QString& fileName, std::string* note) {
    auto bytes = encodeMap(*root_);
    if (!bytes)
        return bytes.error();
    const std::string local = localName(fileName);
    if (auto written = writeFileAtomically(local, *bytes, note); !written)
        return written;
    diskStamp_ = stampFile(local, bytes->data(), bytes->size());
    emit saved();
    setFileName(fileName);
    stack_.setClean();
    return Ok{};
}

void MapDocument::adoptMap(std::unique_ptr<TPoxel> root, const QString& fileName, bool modified,
                           const std::optional<FileStamp>& stamp) {
    replaceRoot(std::move(root), fileName);
    diskStamp_ = stamp
                     ? *stamp
                     : (fileName_.isEmpty() ? FileStamp{} : currentFileStamp(localName(fileName_)));
    if (modified) {
        // Nothing to undo, yet not the saved state: the stack can never be clean again until
        // the next save.
        stack_.resetClean();
        emit modifiedChanged(true);
    }
}

DiskChange MapDocument::diskChange() const {
    if (fileName_.isEmpty())
        return DiskChange::None;
    return lw::diskChange(localName(fileName_), diskStamp_);
}

void MapDocument::markDeletedOnDisk() {
    diskStamp_ = FileStamp{};
    if (isModified())
        return;
    stack_.resetClean();
    emit modifiedChanged(true);
}

Status MapDocument::importMap(const QString& fileName) {
    if (const auto bad = unreadable(fileName, &badXomFormat))
        return *bad;
    auto decoded = readMap(fileName, CounterMode::Band, kImportMapCounterBase, nullptr);
    if (!decoded)
        return decoded.error();
    importMapRoot_ = std::move(decoded.value());
    emit importMapReplaced();
    return Ok{};
}

Status MapDocument::listLibrary(const QString& fileName, ItemSink* listing) {
    if (const auto bad = unreadable(fileName, &badLibraryXom))
        return *bad;
    TStrArr objects;
    Error error;
    try {
        if (ReadXomFile(localName(fileName), listing, false, objects, &error) != -1)
            return error;
    } catch (const std::bad_alloc&) {
        return outOfMemory(fileName);
    }
    libraryObjects_ = std::move(objects);
    libraryLoaded_ = true;
    return Ok{};
}

bool MapDocument::isLibraryObject(int32_t index) const {
    return libraryLoaded_ && index >= 0 && size_t(index) < libraryObjects_.entries.size() &&
           libraryObjects_.entries[size_t(index)].HasData;
}

bool MapDocument::isLibraryLandObject(int32_t index) const {
    return isLibraryObject(index) && libraryObjects_.entries[size_t(index)].IsLand;
}

Result<bool> MapDocument::loadLibraryObject(int32_t index) {
    if (!isLibraryLandObject(index))
        return false; // entities and entries without a record have nothing to preview
    auto decoded =
        decodeLibraryObject(libraryObjects_, index, false, CounterMode::Band, kPreviewCounterBase);
    if (!decoded)
        return decoded.error();
    importObjectRoot_ = std::move(decoded.value());
    emit importObjectReplaced();
    return true;
}

NodePlace MapDocument::placeOf(const TPoxel& node) const {
    std::vector<TPoxel*> stack{root_.get()};
    while (!stack.empty()) {
        TPoxel* p = stack.back();
        stack.pop_back();
        for (TArrayPoxel* list : {&p->Entities, &p->Children})
            for (size_t i = 0; i < list->size(); ++i) {
                if ((*list)[i].get() == &node)
                    return {p, static_cast<int>(i)};
                stack.push_back((*list)[i].get());
            }
    }
    return {};
}

bool MapDocument::contains(const TPoxel& node) const {
    return &node == root_.get() || placeOf(node);
}

TPoxel* MapDocument::attach(TPoxel& parent, std::unique_ptr<TPoxel> node, int index) {
    TPoxel* added = node.get();
    TArrayPoxel& list = listOf(parent, *added);
    const auto at = std::min<size_t>(static_cast<size_t>(index), list.size());
    list.insert(list.begin() + static_cast<std::ptrdiff_t>(at), std::move(node));
    emit nodeInserted(&parent, added);
    return added;
}

std::unique_ptr<TPoxel> MapDocument::detach(TPoxel& parent, TPoxel& node) {
    emit nodeAboutToBeRemoved(&parent, &node);
    TArrayPoxel& list = listOf(parent, node);
    const auto it =
        std::find_if(list.begin(), list.end(), [&node](const auto& p) { return p.get() == &node; });
    std::unique_ptr<TPoxel> taken = std::move(*it);
    list.erase(it);
    return taken;
}

void MapDocument::setContent(TPoxel& node, const PoxelContent& content, NodeChanges what) {
    node.content() = content;
    emit nodeChanged(&node, what);
}

TPoxel* MapDocument::insertNode(TPoxel& parent, std::unique_ptr<TPoxel> node, const QString& text) {
    auto* command = new InsertNodeCommand(*this, parent, std::move(node), text);
    TPoxel* added = command->node();
    stack_.push(command);
    return added;
}

bool MapDocument::removeNode(TPoxel& node, const QString& text) {
    const NodePlace place = placeOf(node);
    if (!place)
        return false;
    stack_.push(new RemoveNodeCommand(*this, place, node, text));
    return true;
}

bool MapDocument::removeNodeOf(TPoxel& parent, TPoxel& node, const QString& text) {
    const TArrayPoxel& list = listOf(parent, node);
    const auto it =
        std::find_if(list.begin(), list.end(), [&node](const auto& p) { return p.get() == &node; });
    if (it == list.end())
        return false;
    const NodePlace place{&parent, static_cast<int>(it - list.begin())};
    stack_.push(new RemoveNodeCommand(*this, place, node, text));
    return true;
}

bool MapDocument::editNode(TPoxel& node, const QString& text, NodeChanges what,
                           const std::function<void(PoxelContent&)>& edit, int mergeKey) {
    PoxelContent after = node.content();
    edit(after);
    if (after == node.content())
        return false;
    stack_.push(new NodeContentCommand(*this, node, node.content(), std::move(after), what,
                                       mergeKey, text));
    return true;
}

TPoxel* MapDocument::addDummy(TPoxel& parent) {
    if (parent.IsEntity)
        return nullptr;
    auto node = makePoxel();
    node->IsGroup = true;
    node->Voxels[0] = 0;
    node->Surface = 0;
    node->Name = numbered("Dummy%.2d", counters_.Dummy++);
    return insertNode(parent, std::move(node), opText(Op::AddDummy));
}

TPoxel* MapDocument::addPoxel(TPoxel& parent) {
    if (parent.IsEntity)
        return nullptr;
    auto node = makePoxel();
    node->Name = numbered("Poxel%.2d", counters_.Poxel++);
    return insertNode(parent, std::move(node), opText(Op::AddPoxel));
}

TPoxel* MapDocument::addEmitter(TPoxel& parent) {
    if (parent.IsEntity || parent.IsRoot)
        return nullptr;
    auto node = makePoxel();
    node->IsEntity = true;
    node->Name = numbered("Emitter_%.2d", counters_.Emitter);
    node->LibName = numbered("Base_%.2d", counters_.Emitter);
    ++counters_.Emitter;
    return insertNode(parent, std::move(node), opText(Op::AddEmitter));
}

int MapDocument::deleteNodes(const std::vector<TPoxel*>& selection) {
    std::vector<std::pair<TPoxel*, NodePlace>> doomed;
    for (auto it = selection.rbegin(); it != selection.rend(); ++it)
        if (*it)
            if (const NodePlace place = placeOf(**it))
                doomed.push_back({*it, place});
    if (doomed.empty())
        return 0;
    beginStep(opText(Op::DeleteMany));
    int removed = 0;
    for (auto& [node, place] : doomed) {
        // An earlier removal may have taken this node along (a descendant of another).
        const NodePlace now = placeOf(*node);
        if (!now)
            continue;
        stack_.push(new RemoveNodeCommand(*this, now, *node, opText(Op::DeleteMany)));
        ++removed;
    }
    endStep();
    return removed;
}

TPoxel* MapDocument::groupNodes(const std::vector<TPoxel*>& selection) {
    if (selection.empty())
        return nullptr;
    const NodePlace first = placeOf(*selection.front());
    if (!first)
        return nullptr;
    for (TPoxel* node : selection)
        if (!node || placeOf(*node).parent != first.parent)
            return nullptr;
    TPoxel& parent = *first.parent;

    beginStep(opText(Op::Group));
    auto group = makePoxel();
    group->IsGroup = true;
    group->Voxels[0] = 0;
    group->Surface = 0;
    group->Name = numbered("Group_%.2d", counters_.Group++);
    TPoxel* g = insertNode(parent, std::move(group), opText(Op::Group));
    for (auto it = selection.rbegin(); it != selection.rend(); ++it) {
        insertNode(*g, cloneOf(**it), opText(Op::Group));
        removeNode(**it, opText(Op::Group));
    }
    endStep();
    return g;
}

bool MapDocument::canDropOnto(const TPoxel& target) {
    return !target.IsEntity;
}

bool MapDocument::canCopyInto(const TPoxel& target, const TPoxel& source) const {
    return canDropOnto(target) && !source.IsRoot && !isInSubtree(source, target) &&
           contains(target);
}

TPoxel* MapDocument::copyNodeInto(TPoxel& target, const TPoxel& source) {
    if (!canCopyInto(target, source))
        return nullptr;
    return insertNode(target, cloneOf(source), opText(Op::Copy));
}

Result<TPoxel*> MapDocument::dropLibraryObject(TPoxel& target, int32_t index) {
    if (!canDropOnto(target) || !isLibraryObject(index) || !contains(target))
        return static_cast<TPoxel*>(nullptr);
    auto decoded = decodeLibraryObject(libraryObjects_, index, true, CounterMode::Keep);
    if (!decoded)
        return decoded.error();
    return insertNode(target, std::move(decoded.value()), opText(Op::Copy));
}

} // namespace lw
