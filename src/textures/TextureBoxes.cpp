#include "textures/TextureBoxes.h"

#include "core/AtomicFile.h"
#include "core/Xom.h"

#include <vector>

namespace lw {

namespace {

Error cannotSave(const std::string& detail) {
    return Error{"sCannotSaveTextureList", "Cannot save texture list", detail};
}

const char* const kSlotNames[kBoxSlots] = {"top", "side", "bottom", "edge", "fifth"};

} // namespace

std::string TextureListLines::next() {
    ++line_;
    if (atEnd())
        return {};
    size_t end = text_.find('\n', pos_);
    const size_t after = end == std::string::npos ? text_.size() : end + 1;
    if (end == std::string::npos)
        end = text_.size();
    else if (end > pos_ && text_[end - 1] == '\r')
        --end;
    std::string line = text_.substr(pos_, end - pos_);
    pos_ = after;
    return line;
}

bool TextureListLines::restIsBlank() const {
    return text_.find_first_not_of(" \t\r\n", pos_) == std::string::npos;
}

std::string boxCaption(int number, const std::string& name) {
    return std::to_string(number) + ". " + name;
}

std::string boxNameOfCaption(const std::string& caption) {
    const size_t dot = caption.find('.');
    // Without a dot only the first character goes, as the cut counts from position 0.
    const size_t cut = dot == std::string::npos ? 1 : dot + 2;
    return cut >= caption.size() ? std::string() : caption.substr(cut);
}

bool isNullTexture(const std::string& text) {
    return equalsIgnoreCase(text, kNullTexture);
}

TextureBoxList parseTextureList(const std::string& text, std::string* dropped) {
    TextureBoxList list;
    std::vector<std::string> notes;
    TextureListLines in(text);
    while (!in.atEnd() && list.Boxes.size() < size_t(kMaxTextureBoxes)) {
        const int first = in.line() + 1;
        TextureBox box;
        int slots = 0;
        while (slots < 4 && !(box.Slots[size_t(slots)] = in.next()).empty())
            ++slots;
        if (slots < 4) {
            // The record ends the list, and with it everything after it.
            const bool more = !in.restIsBlank();
            if (slots > 0)
                notes.push_back(
                    "box " + std::to_string(list.Boxes.size() + 1) + " at line " +
                    std::to_string(first) + " has " + std::to_string(slots) + " texture line" +
                    (slots == 1 ? "" : "s") +
                    " of the four a box needs (top, side, bottom, edge or NULL)" +
                    (more ? "; it and everything after it were left out" : " and was left out"));
            else if (more)
                notes.push_back("line " + std::to_string(first) + " is empty where box " +
                                std::to_string(list.Boxes.size() + 1) +
                                " should begin; it ends the list, and the lines after it were "
                                "left out");
            break;
        }
        box.Name = in.next();
        std::string fifth = in.next();
        if (fifth.empty()) {
            fifth = box.Slots[0]; // that was the separator: the fifth slot repeats the first
        } else if (!in.atEnd()) {
            // The separator; a record without one loses the line that stands there.
            if (std::string separator = in.next(); !separator.empty())
                notes.push_back("line " + std::to_string(in.line()) + " (\"" + separator +
                                "\") stands where the empty line after box " +
                                std::to_string(list.Boxes.size() + 1) +
                                " belongs and was left out");
        }
        box.Slots[4] = std::move(fifth);
        list.Boxes.push_back(std::move(box));
    }
    if (list.Boxes.size() == size_t(kMaxTextureBoxes) && !in.atEnd() && !in.restIsBlank())
        notes.push_back("a list holds at most " + std::to_string(kMaxTextureBoxes) +
                        " boxes; everything from line " + std::to_string(in.line() + 1) +
                        " on was left out");
    if (dropped) {
        dropped->clear();
        for (const std::string& note : notes)
            *dropped += (dropped->empty() ? "" : "; ") + note;
    }
    return list;
}

std::string formatTextureList(const TextureBoxList& list) {
    std::string out;
    auto line = [&out](const std::string& s) {
        out += s;
        out += "\r\n";
    };
    for (const TextureBox& box : list.Boxes) {
        for (int slot = 0; slot < 4; ++slot)
            line(box.Slots[size_t(slot)]);
        line(box.Name);
        if (box.Slots[4] != box.Slots[0])
            line(box.Slots[4]);
        line("");
    }
    return out;
}

Status WriteTextureList(const std::string& fileName, const TextureBoxList& list) {
    if (list.Boxes.size() > size_t(kMaxTextureBoxes))
        return cannotSave("the list has " + std::to_string(list.Boxes.size()) +
                          " boxes; a file holds at most " + std::to_string(kMaxTextureBoxes));
    for (size_t i = 0; i < list.Boxes.size(); ++i) {
        const TextureBox& box = list.Boxes[i];
        const std::string where = "box " + boxCaption(int(i + 1), box.Name);
        if (box.Name.find('\n') != std::string::npos)
            return cannotSave(where + ": the name holds a line break");
        for (int slot = 0; slot < kBoxSlots; ++slot) {
            const std::string& text = box.Slots[size_t(slot)];
            // An empty line would end the list when it is read again, losing what follows.
            if (text.empty())
                return cannotSave(where + ": the " + kSlotNames[slot] + " texture is empty");
            if (text.find('\n') != std::string::npos)
                return cannotSave(where + ": the " + kSlotNames[slot] +
                                  " texture holds a line break");
        }
    }
    const std::string text = formatTextureList(list);
    return writeFileAtomically(fileName, std::vector<uint8_t>(text.begin(), text.end()));
}

std::string withTxtExtension(const std::string& fileName) {
    return fileName.find(".txt") == std::string::npos ? fileName + ".txt" : fileName;
}

bool canSetNull(int slot) {
    return slot == 3;
}

bool SetNull(TextureBox& box, int slot) {
    if (!canSetNull(slot))
        return false;
    box.Slots[size_t(slot)] = kNullTexture;
    return true;
}

std::string textureBoxClipboardText(const TextureBox& box) {
    std::string out = box.Name + "\r\n";
    for (const std::string& slot : box.Slots)
        out += slot + "\r\n";
    return out;
}

bool ParseTextureBoxClipboard(const std::string& text, std::array<std::string, 6>& lines) {
    size_t pos = 0;
    for (std::string& line : lines) {
        const size_t end = text.find("\r\n", pos);
        if (end == std::string::npos || end == pos)
            return false;
        line = text.substr(pos, end - pos);
        pos = end + 2;
    }
    return true;
}

bool pasteTextureBox(TextureBox& box, const std::string& clipboardText) {
    std::array<std::string, 6> lines;
    if (!ParseTextureBoxClipboard(clipboardText, lines))
        return false;
    box.Name = lines[0];
    for (int slot = 0; slot < kBoxSlots; ++slot)
        box.Slots[size_t(slot)] = lines[size_t(slot) + 1];
    return true;
}

} // namespace lw
