#pragma once
// The texture list as a document of its own: the boxes, the file they came from and whether
// they differ from it. The texture page shows it; every edit of the list goes through it.

#include "core/Result.h"
#include "textures/TextureBoxes.h"

#include <QObject>
#include <QString>

#include <string>

class QUndoStack;

namespace lw {

// Largest file taken for a texture list: 64 boxes of seven lines leave lots of room below it.
constexpr size_t kMaxTextureListFileSize = size_t(1) << 20;
// Longest line of a list: texture and box names are short.
constexpr size_t kMaxTextureListLine = 1024;

// Checks that `text` is text a list can be read from: no zero bytes, no line longer than any
// list has. The error says where.
Status checkTextureListText(const std::string& text);
// Reads a list file (ReadTextureList): the boxes as parseTextureList reads them, with what it
// left out in `dropped`. Refuses, with the file name and the reason, what is not a text file
// and files too large to be a list.
Result<TextureBoxList> readTextureListFile(const std::string& fileName,
                                           std::string* dropped = nullptr);

class TextureListDocument : public QObject {
    Q_OBJECT

public:
    explicit TextureListDocument(QObject* parent = nullptr);

    const TextureBoxList& list() const { return list_; }
    int boxCount() const { return int(list_.Boxes.size()); }
    const TextureBox& box(int index) const { return list_.Boxes[size_t(index)]; }
    // The file the list was opened from or last saved to; empty before.
    const QString& fileName() const { return fileName_; }
    // True once a list was opened or saved: it can then be saved again.
    bool hasFile() const { return !fileName_.isEmpty(); }
    bool isModified() const { return modified_; }

    // Reads `fileName` and makes it the list; a file that cannot be read or is refused leaves
    // the list as it was. `dropped` as readTextureListFile says.
    Status open(const QString& fileName, std::string* dropped = nullptr);
    // Writes the list; on success it is marked saved under that name. A failed write leaves
    // the list modified.
    Status save(const QString& fileName);
    // Replaces the list (a start-up list, a test) as unmodified, under `fileName`.
    void reset(TextureBoxList list, const QString& fileName);

    // The list's own history: every edit below is one step; opening or resetting starts it
    // afresh, and the list is modified exactly while it is away from its saved step.
    QUndoStack* history() const { return history_; }

    // Edits. Each returns false, changing nothing, when it does not apply or changes nothing.
    bool setSlot(int box, int slot, const std::string& text);
    bool rename(int box, const std::string& name);
    // "Set NULL": the edge slot only.
    bool setNull(int box, int slot);
    // "Paste Texture Box": `clipboardText` as "Copy Texture Box" writes it.
    bool pasteBox(int box, const std::string& clipboardText);
    // A new box after the last one (refused at 64 boxes): the name "New" and "NULL" in every
    // slot, ready for images dragged onto them.
    bool addBox();
    // Removes a box; the boxes after it move up by one, and so do the boxes that map cells
    // painted with them show (the caller asks first).
    bool removeBox(int box);

signals:
    // The whole list changed (opened, reset, a box added or removed).
    void listReplaced();
    // The name or a slot of one box changed.
    void boxChanged(int box);
    void modifiedChanged(bool modified);
    void fileNameChanged(const QString& fileName);

private:
    friend class TextureListEdit;
    void setModified(bool modified);
    bool validBox(int box) const { return box >= 0 && box < boxCount(); }
    // Makes `after` the list as one step named by `key`; `box` is the one box it changes, or
    // -1 when boxes come or go. False when nothing would change.
    bool edit(const char* key, TextureBoxList after, int box);
    // Shows `list` (an edit done or undone) and tells the views.
    void show(const TextureBoxList& list, int box);

    TextureBoxList list_;
    QString fileName_;
    bool modified_ = false;
    QUndoStack* history_ = nullptr;
};

} // namespace lw
