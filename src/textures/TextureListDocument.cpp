#include "textures/TextureListDocument.h"

#include "core/Xom.h"

#include <QFile>

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

TextureListDocument::TextureListDocument(QObject* parent) : QObject(parent) {}

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
    setModified(false);
    return Ok{};
}

void TextureListDocument::reset(TextureBoxList list, const QString& fileName) {
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
    std::string& current = list_.Boxes[size_t(box)].Slots[size_t(slot)];
    if (current == text)
        return false;
    current = text;
    emit boxChanged(box);
    setModified(true);
    return true;
}

bool TextureListDocument::rename(int box, const std::string& name) {
    if (!validBox(box) || name.find_first_of("\r\n") != std::string::npos)
        return false;
    std::string& current = list_.Boxes[size_t(box)].Name;
    if (current == name)
        return false;
    current = name;
    emit boxChanged(box);
    setModified(true);
    return true;
}

bool TextureListDocument::setNull(int box, int slot) {
    if (!validBox(box) || !canSetNull(slot))
        return false;
    return setSlot(box, slot, kNullTexture);
}

bool TextureListDocument::pasteBox(int box, const std::string& clipboardText) {
    if (!validBox(box))
        return false;
    TextureBox pasted = list_.Boxes[size_t(box)];
    if (!pasteTextureBox(pasted, clipboardText) || pasted == list_.Boxes[size_t(box)])
        return false;
    list_.Boxes[size_t(box)] = std::move(pasted);
    emit boxChanged(box);
    setModified(true);
    return true;
}

bool TextureListDocument::addBox() {
    if (boxCount() >= kMaxTextureBoxes)
        return false;
    TextureBox box;
    box.Name = "New";
    box.Slots.fill(kNullTexture);
    list_.Boxes.push_back(std::move(box));
    emit listReplaced();
    setModified(true);
    return true;
}

bool TextureListDocument::removeBox(int box) {
    if (!validBox(box))
        return false;
    list_.Boxes.erase(list_.Boxes.begin() + box);
    emit listReplaced();
    setModified(true);
    return true;
}

} // namespace lw
