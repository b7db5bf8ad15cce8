#pragma once
// The texture list: up to 64 texture boxes, each a name and five texture names, and its text
// file. The texture tree of the main window shows this model; the edits here are its commands.

#include "core/Result.h"

#include <array>
#include <string>
#include <vector>

namespace lw {

constexpr int kMaxTextureBoxes = 64;
constexpr int kBoxSlots = 5;
// The edge slot's text for "no edge overlay" (compared ignoring case).
inline constexpr const char* kNullTexture = "NULL";

// Slots: 0 top, 1 side, 2 bottom, 3 edge overlay or "NULL", 4 fifth (not loaded).
struct TextureBox {
    std::string Name;
    std::array<std::string, kBoxSlots> Slots;

    bool operator==(const TextureBox&) const = default;
};

struct TextureBoxList {
    std::vector<TextureBox> Boxes;

    bool operator==(const TextureBoxList&) const = default;
};

// A box's caption, "%d. %s" with its 1-based number and name.
std::string boxCaption(int number, const std::string& name);
// The name in a caption: everything after the first "." and the one character after it.
std::string boxNameOfCaption(const std::string& caption);

// True when a slot text means "no texture" ("NULL" in any letter case).
bool isNullTexture(const std::string& text);

// The lines of a list file as its readers meet them, counted from 1: a line ends at LF, a CR
// before it is dropped, and past the end every line is empty.
class TextureListLines {
public:
    explicit TextureListLines(const std::string& text) : text_(text) {}
    bool atEnd() const { return pos_ >= text_.size(); }
    int line() const { return line_; }
    std::string next();
    // Whether nothing but line ends and blanks follows.
    bool restIsBlank() const;

private:
    const std::string& text_;
    size_t pos_ = 0;
    int line_ = 0;
};

// Parses the text of a list file. Records of 6 or 7 lines (four slots, the name, the fifth slot
// when it differs from the first, an empty line); a line ends at LF, a CR before it is dropped.
// A record with fewer than four slot lines ends the list; more than 64 boxes are cut to 64.
// `dropped` receives what was left out, for the user (empty when the whole text was read).
TextureBoxList parseTextureList(const std::string& text, std::string* dropped = nullptr);
// The file text of a list, lines ended by CR LF.
std::string formatTextureList(const TextureBoxList& list);

// Writes a list atomically. Refuses, writing nothing, a list that would not read back the same:
// more than 64 boxes, an empty slot, or a line break inside a text.
Status WriteTextureList(const std::string& fileName, const TextureBoxList& list);

// The name a list is saved under: ".txt" is added unless the name holds it anywhere.
std::string withTxtExtension(const std::string& fileName);

// "Set NULL" applies to the edge slot only.
bool canSetNull(int slot);
// Sets the edge slot of a box to "NULL"; false when `slot` is not the edge slot.
bool SetNull(TextureBox& box, int slot);

// "Copy Texture Box": the name and the five slots, six lines each ended by CR LF.
std::string textureBoxClipboardText(const TextureBox& box);
// Splits clipboard text into six CR LF-ended lines; false at the first empty or missing line.
bool ParseTextureBoxClipboard(const std::string& text, std::array<std::string, 6>& lines);
// "Paste Texture Box": line 1 is the name, lines 2 to 6 the slots. False (box unchanged) when
// the text is not a box.
bool pasteTextureBox(TextureBox& box, const std::string& clipboardText);

} // namespace lw
