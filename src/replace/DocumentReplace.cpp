#include "replace/DocumentReplace.h"

#include "editor/MapDocument.h"
#include "ui/Language.h"

namespace lw {

namespace {

// The fields that neither the tree item's text nor the mesh depend on, or only the item's.
struct Placement {
    std::string Name;
    std::string LibName;
    TVec3 Pos, Rot, Size, Clip, FileRotRadians, FileRotDegrees;
    bool HasFileRot = false;

    static Placement of(const PoxelContent& c) {
        return {c.Name,           c.LibName,        c.Pos,       c.Rot, c.Size, c.Clip,
                c.FileRotRadians, c.FileRotDegrees, c.HasFileRot};
    }
    void putInto(PoxelContent& c) {
        std::swap(c.Name, Name);
        std::swap(c.LibName, LibName);
        std::swap(c.Pos, Pos);
        std::swap(c.Rot, Rot);
        std::swap(c.Size, Size);
        std::swap(c.Clip, Clip);
        std::swap(c.FileRotRadians, FileRotRadians);
        std::swap(c.FileRotDegrees, FileRotDegrees);
        std::swap(c.HasFileRot, HasFileRot);
    }
};

// What the views must redo for a node whose fields go from `before` to `after`.
NodeChanges changesBetween(const PoxelContent& before, PoxelContent& after) {
    NodeChanges what;
    // A node that turns from poxel to group (a content copy) changes its item's picture too.
    if (before.Name != after.Name || before.IsGroup != after.IsGroup)
        what |= NodeChange::Name;
    if (before.Pos != after.Pos || before.Rot != after.Rot || before.Size != after.Size ||
        before.Clip != after.Clip || before.FileRotRadians != after.FileRotRadians ||
        before.FileRotDegrees != after.FileRotDegrees || before.HasFileRot != after.HasFileRot)
        what |= NodeChange::Transform;
    if (before.LibName != after.LibName)
        what |= NodeChange::Properties;
    // Whatever else differs is something the mesh is built from: compare with the placement
    // of `before` lent to `after` (swapped in and back, no copy of the cells).
    Placement lent = Placement::of(before);
    lent.putInto(after);
    const bool same = after == before;
    lent.putInto(after);
    if (!same)
        what |= NodeChange::Geometry;
    return what;
}

} // namespace

ReplaceReport replaceInDocument(MapDocument& doc, TPoxel& start, std::string_view find,
                                std::string_view replace, ReplaceSettings settings) {
    for (const TPoxel* other : {doc.importMapRoot(), doc.importObjectRoot()})
        if (other)
            settings.OtherRoots.push_back(other);

    // The walk works on the live tree behind the document's back, with no event processed in
    // between; it is taken back at once, and then, if it went through, done again through the
    // document's commands, which tell the views and make it undoable.
    ReplaceJournal journal;
    ReplaceReport report = walkReplacer(*doc.root(), start, find, replace, settings, journal);
    std::vector<std::unique_ptr<TPoxel>> copies = takeBackWalk(journal);
    if (!report.Outcome)
        return report;
    if (journal.Changes.empty() && copies.empty() && journal.Deletions.empty())
        return report; // nothing matched: no empty step in the history

    const QString text = langText("[sReplace]");
    doc.beginStep(text);
    // Each entry's Before now holds the fields the walk gave the node.
    for (ReplaceJournal::Changed& c : journal.Changes) {
        const NodeChanges what = changesBetween(c.Node->content(), c.Before);
        doc.editNode(*c.Node, text, what,
                     [&c](PoxelContent& content) { content = std::move(c.Before); });
    }
    // In the order the walk appended them, so every list ends as the walk left it.
    for (size_t i = 0; i < copies.size(); ++i)
        doc.insertNode(*journal.Copies[i].Parent, std::move(copies[i]), text);
    for (const ReplaceJournal::Marked& d : journal.Deletions)
        if (doc.removeNodeOf(*d.Parent, *d.Node, text))
            ++report.Removed;
    doc.endStep();
    return report;
}

} // namespace lw
