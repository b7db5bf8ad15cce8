#include "textures/TextureListDocument.h"

#include "core/Xom.h"

#include "ui/Language.h"

#include <QFile>
#include <QUndoStack>

namespace lw {

namespace {

Error badList(const std::string& fileName, const std::string& reason) {
    return Error{"sBadTextureFile", "Bad Texture File!", "'" + fileName + "': " + reason};
}

std::string at(int line) {
    return "line " + std::to_string(line) + ": ";
}

std::string toLocal(const QString& fileName) {
    return QFile::encodeName(fileName).toStdString();
}

} // namespace

Status checkTextureListText(const std::string& text) {
    if (const size_t zero = text.find('\0'); zero != std::string::npos)
        return Error{"", "",
                     "a zero byte at offset " + std::to_string(zero) +
                         ": the file holds binary data, not a texture list"};
    size_t start = 0;
    for (int line = 1; start < text.size(); ++line) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        if (end - start > kMaxTextureListLine)
            return Error{"", "",
                         at(line) + std::to_string(end - start) +
                             " characters long: the file is not a texture list, whose lines "
                             "hold at most " +
                             std::to_string(kMaxTextureListLine)};
        start = end + 1;
    }
    return Ok{};
}

Result<TextureBoxList> readTextureListFile(const std::string& fileName, std::string* dropped) {
    auto bytes = readFileBytes(fileName, kMaxTextureListFileSize);
    if (!bytes) {
        Error e = bytes.error();
        e.key = "sBadTextureFile";
        e.text = "Bad Texture File!";
        return e;
    }
    const std::string text(bytes->begin(), bytes->end());
    if (auto st = checkTextureListText(text); !st)
        return badList(fileName, st.error().detail);
    return parseTextureList(text, dropped);
}

// One edit of the list: the list before and after it (64 boxes of a few names at most, so
// whole copies are cheap and exact).
class TextureListEdit : public QUndoCommand {
public:
    TextureListEdit(TextureListDocument& doc, const QString& text, TextureBoxList before,
                    TextureBoxList after, int box)
        : QUndoCommand(text), doc_(doc), before_(std::move(before)), after_(std::move(after)),
          box_(box) {}
    void redo() override { doc_.show(after_, box_); }
    void undo() override { doc_.show(before_, box_); }

private:
    TextureListDocument& doc_;
    TextureBoxList before_;
    TextureBoxList after_;
    int box_;
};

TextureListDocument::TextureListDocument(QObject* parent)
    : QObject(parent), history_(new QUndoStack(this)) {
    connect(history_, &QUndoStack::cleanChanged, this, [this](bool clean) { setModified(!clean); });
}

bool TextureListDocument::edit(const char* key, TextureBoxList after, int box) {
    if (after == list_)
        return false;
    history_->push(new TextureListEdit(*this, langText(key), list_, std::move(after), box));
    return true;
}

void TextureListDocument::show(const TextureBoxList& list, int box) {
    list_ = list;
    if (box >= 0)
        emit boxChanged(box);
    else
        emit listReplaced();
}

void TextureListDocument::setModified(bool modified) {
    if (modified_ == modified)
        return;
    modified_ = modified;
    emit modifiedChanged(modified);
}

Status TextureListDocument::open(const QString& fileName, std::string* dropped) {
    auto read = readTextureListFile(toLocal(fileName), dropped);
    if (!read)
        return read.error();
    reset(std::move(*read), fileName);
    return Ok{};
}

Status TextureListDocument::save(const QString& fileName) {
    if (auto st = WriteTextureList(toLocal(fileName), list_); !st)
        return st;
    if (fileName_ != fileName) {
        fileName_ = fileName;
        emit fileNameChanged(fileName_);
    }
    history_->setClean();
    setModified(false);
    return Ok{};
}

void TextureListDocument::reset(TextureBoxList list, const QString& fileName) {
    history_->clear();
    list_ = std::move(list);
    const bool renamed = fileName_ != fileName;
    fileName_ = fileName;
    emit listReplaced();
    if (renamed)
        emit fileNameChanged(fileName_);
    setModified(false);
}

bool TextureListDocument::setSlot(int box, int slot, const std::string& text) {
    if (!validBox(box) || slot < 0 || slot >= kBoxSlots || text.empty())
        return false;
    TextureBoxList after = list_;
    after.Boxes[size_t(box)].Slots[size_t(slot)] = text;
    return edit("[sOpTextureSlot]", std::move(after), box);
}

bool TextureListDocument::rename(int box, const std::string& name) {
    if (!validBox(box) || name.find_first_of("\r\n") != std::string::npos)
        return false;
    TextureBoxList after = list_;
    after.Boxes[size_t(box)].Name = name;
    return edit("[mnuTextureEditname]", std::move(after), box);
}

bool TextureListDocument::setNull(int box, int slot) {
    if (!validBox(box) || !canSetNull(slot))
        return false;
    TextureBoxList after = list_;
    after.Boxes[size_t(box)].Slots[size_t(slot)] = kNullTexture;
    return edit("[mnuTextureSetnull]", std::move(after), box);
}

bool TextureListDocument::pasteBox(int box, const std::string& clipboardText) {
    if (!validBox(box))
        return false;
    TextureBoxList after = list_;
    if (!pasteTextureBox(after.Boxes[size_t(box)], clipboardText))
        return false;
    return edit("[mnuTexturePastetexturebox]", std::move(after), box);
}

bool TextureListDocument::addBox() {
    if (boxCount() >= kMaxTextureBoxes)
        return false;
    TextureBox box;
    box.Name = "New";
    box.Slots.fill(kNullTexture);
    TextureBoxList after = list_;
    after.Boxes.push_back(std::move(box));
    return edit("[mnuTextureAddtexturebox]", std::move(after), -1);
}

bool TextureListDocument::removeBox(int box) {
    if (!validBox(box))
        return false;
    TextureBoxList after = list_;
    after.Boxes.erase(after.Boxes.begin() + box);
    return edit("[mnuTextureDeletetexturebox]", std::move(after), -1);
}

} // namespace lw
