#pragma once
// The edited map and everything that changes it. Every change of the edited tree is a command
// on one undo stack whose undo puts the map back exactly; the windows listen to the typed
// notifications below and never patch the tree behind the document's back. The document also
// holds the two reference documents of the editor (an imported map and a library object
// preview) with the library listing they come from.

#include "core/Poxel.h"
#include "core/Result.h"
#include "core/Xom.h"

#include <QFlags>
#include <QObject>
#include <QString>
#include <QUndoStack>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace lw {

// What an edit of a node's own fields touched; listeners rebuild meshes only for Geometry.
enum class NodeChange : unsigned {
    Transform = 1,  // Pos, Rot, Size, Clip
    Geometry = 2,   // anything the mesh is built from
    Name = 4,       // Name (the tree item's text)
    Properties = 8, // fields that neither move nor reshape the node (LibName, surface codes)
};
Q_DECLARE_FLAGS(NodeChanges, NodeChange)
Q_DECLARE_OPERATORS_FOR_FLAGS(NodeChanges)

// Where a node sits: its parent and its index in the parent's list of its kind (Entities for
// an entity, else Children). The root has no place.
struct NodePlace {
    TPoxel* parent = nullptr;
    int index = -1;
    explicit operator bool() const { return parent != nullptr; }
};

// Counters of the names the add commands give: one each for dummies, poxels, emitters and
// groups, starting at 1 and never reset while the program runs.
struct NameCounters {
    int32_t Dummy = 1;
    int32_t Poxel = 1;
    int32_t Emitter = 1;
    int32_t Group = 1;
};

// The node of `root`'s tree (root included) whose ListId is `listId`, or nullptr.
TPoxel* findByListId(TPoxel* root, int32_t listId);
// True when `node` is `ancestor` or lies below it.
bool isInSubtree(const TPoxel& ancestor, const TPoxel& node);

class MapDocument : public QObject {
    Q_OBJECT

public:
    // How many steps the history keeps; older steps are forgotten.
    static constexpr int kUndoLimit = 200;

    // Starts with a new empty map.
    explicit MapDocument(QObject* parent = nullptr);
    ~MapDocument() override;

    // ---- The edited map ----------------------------------------------------------------------

    TPoxel* root() const { return root_.get(); }
    // The file the map was opened from or last saved to; empty for a new map.
    const QString& fileName() const { return fileName_; }
    QUndoStack* undoStack() { return &stack_; }
    // True while the map differs from its saved state.
    bool isModified() const { return !stack_.isClean(); }

    // "New map": an empty map, the history cleared.
    void newMap();
    // Reads `fileName` into a new tree and makes it the edited map; a bad or unreadable file
    // changes nothing and is reported. File names are kept in their canonical form.
    Status openMap(const QString& fileName);
    // Writes the edited map. On success the map is marked saved under that name; on failure
    // nothing changes (the map stays modified). `note` as writeFileAtomically says.
    Status saveMap(const QString& fileName, std::string* note = nullptr);
    // Makes `root` the edited map under `fileName` (for example a recovered copy); `modified`
    // marks it as differing from that file. `stamp` is what the file was like when the map
    // was read from it; without one, what it is like now.
    void adoptMap(std::unique_ptr<TPoxel> root, const QString& fileName, bool modified,
                  const std::optional<FileStamp>& stamp = std::nullopt);

    // The map's file as it was when the map was read from it or last written to it.
    const FileStamp& diskStamp() const { return diskStamp_; }
    // Whether another program changed or removed the map's file since then.
    DiskChange diskChange() const;
    // The file is gone: the map is marked modified, so that leaving asks to save it again.
    void markDeletedOnDisk();
    // Takes the file's current content as the map, after the user chose to load it again.
    void acceptDiskVersion(const FileStamp& stamp) { diskStamp_ = stamp; }

    // ---- The reference documents -------------------------------------------------------------

    TPoxel* importMapRoot() const { return importMapRoot_.get(); }
    // "Import Map...": decoded into the 300000 band; a bad file changes nothing.
    Status importMap(const QString& fileName);

    // "Import Objects...": lists the land library `fileName` into `listing`, which the caller
    // clears first; a bad library changes nothing (the caller lists into a scratch view).
    Status listLibrary(const QString& fileName, ItemSink* listing);
    bool libraryLoaded() const { return libraryLoaded_; }
    const TStrArr& libraryObjects() const { return libraryObjects_; }
    // Whether entry `index` of the library listing is a land object that can be previewed or
    // dropped as a poxel (false for entities and for what is no record at all).
    bool isLibraryLandObject(int32_t index) const;
    bool isLibraryObject(int32_t index) const;

    TPoxel* importObjectRoot() const { return importObjectRoot_.get(); }
    // "Load": decodes land object `index` of the library into the preview (200000 band).
    // Returns false, changing nothing, for an entity or an index without a record.
    Result<bool> loadLibraryObject(int32_t index);

    // ---- Queries on the edited map -----------------------------------------------------------

    NodePlace placeOf(const TPoxel& node) const;
    bool contains(const TPoxel& node) const;
    TPoxel* findByListId(int32_t listId) const { return lw::findByListId(root_.get(), listId); }
    NameCounters& nameCounters() { return counters_; }

    // ---- Edits: each one is one undo step named `text` ----------------------------------------

    // Appends `node` (with its subtree) to the list of its kind in `parent`.
    TPoxel* insertNode(TPoxel& parent, std::unique_ptr<TPoxel> node, const QString& text);
    // Takes `node` (with its subtree) out of the map; the history keeps it for undo. Refused
    // (false) for the root and for a node that is not in the map.
    bool removeNode(TPoxel& node, const QString& text);
    // As removeNode, for a caller that knows the node's parent, which must be a node of the
    // map: the tree is not searched, so a run of many removals stays linear. Refused (false)
    // when `node` is not in `parent`'s list of its kind.
    bool removeNodeOf(TPoxel& parent, TPoxel& node, const QString& text);
    // Changes the node's own fields through `edit`. Successive edits with the same `mergeKey`
    // (not -1) on the same node merge into one step, as typing or spinning a field does.
    // Returns false and records nothing when `edit` changed nothing.
    bool editNode(TPoxel& node, const QString& text, NodeChanges what,
                  const std::function<void(PoxelContent&)>& edit, int mergeKey = -1);

    // A compound step: everything between begin and end is undone and redone as one.
    void beginStep(const QString& text) { stack_.beginMacro(text); }
    void endStep() { stack_.endMacro(); }

    // ---- Map tree operations -----------------------------------------------------------------

    // "Add Dummy Poxel", "Add Poxel": a new 1 x 1 x 1 group or poxel as the last child of
    // `parent`; refused (nullptr) on an entity.
    TPoxel* addDummy(TPoxel& parent);
    TPoxel* addPoxel(TPoxel& parent);
    // "Add Emitter": a new entity of `parent`; refused on an entity and on the root.
    TPoxel* addEmitter(TPoxel& parent);
    // "Delete Poxel".
    bool deleteNode(TPoxel& node) { return removeNode(node, opText(Op::Delete)); }
    // "Delete Poxels": removes the nodes of `selection` from the last to the first, as one
    // step; returns how many went.
    int deleteNodes(const std::vector<TPoxel*>& selection);
    // "Group Poxels": a new group under the parent of the selection holding copies of the
    // selected siblings (last selected first), which are removed. Refused (nullptr) unless
    // every node of `selection` is a sibling of the others and none is the root.
    TPoxel* groupNodes(const std::vector<TPoxel*>& selection);
    // A drop from a map tree: a copy of `source` (of this map or another) appended to
    // `target`. Refused (nullptr) for a root source, an entity target, and a target inside
    // the source's own subtree.
    TPoxel* copyNodeInto(TPoxel& target, const TPoxel& source);
    // A drop from the library listing: object `index` decoded (reserved entities left out)
    // and appended to `target`. Refused (nullptr) for an entity target or an index that holds
    // no object; a record that does not decode gives its error.
    Result<TPoxel*> dropLibraryObject(TPoxel& target, int32_t index);
    // Whether a drop onto `target` is allowed (the node under the pointer of a drag).
    static bool canDropOnto(const TPoxel& target);
    bool canCopyInto(const TPoxel& target, const TPoxel& source) const;

signals:
    // A node's own fields changed (an edit, its undo or redo).
    void nodeChanged(lw::TPoxel* node, lw::NodeChanges what);
    // `node` (with its subtree) is now in `parent`'s list.
    void nodeInserted(lw::TPoxel* parent, lw::TPoxel* node);
    // `node` (with its subtree) leaves the map; drop every reference to it and below.
    void nodeAboutToBeRemoved(lw::TPoxel* parent, lw::TPoxel* node);
    // The edited map is about to be replaced by another (new, open, adopt): every reference
    // into the old tree must go now.
    void documentAboutToBeReplaced();
    void documentReplaced();
    void importMapReplaced();
    void importObjectReplaced();
    void fileNameChanged(const QString& fileName);
    void modifiedChanged(bool modified);
    // The edited map was written to its file (sent before it is marked saved).
    void saved();

private:
    enum class Op { AddDummy, AddPoxel, AddEmitter, Delete, DeleteMany, Group, Copy };
    static QString opText(Op op);

    friend class InsertNodeCommand;
    friend class RemoveNodeCommand;
    friend class NodeContentCommand;
    // The primitive changes the commands make, with their notifications.
    TPoxel* attach(TPoxel& parent, std::unique_ptr<TPoxel> node, int index);
    std::unique_ptr<TPoxel> detach(TPoxel& parent, TPoxel& node);
    void setContent(TPoxel& node, const PoxelContent& content, NodeChanges what);

    void replaceRoot(std::unique_ptr<TPoxel> root, const QString& fileName);
    void setFileName(const QString& fileName);

    std::unique_ptr<TPoxel> root_;
    QString fileName_;
    FileStamp diskStamp_;
    QUndoStack stack_;
    NameCounters counters_;

    std::unique_ptr<TPoxel> importMapRoot_;
    std::unique_ptr<TPoxel> importObjectRoot_;
    TStrArr libraryObjects_;
    bool libraryLoaded_ = false;
};

} // namespace lw
