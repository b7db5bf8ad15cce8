#pragma once
// Texture list files and texture boxes on the clipboard: what was read is written and read
// back to the same list.

#include "Fuzz.h"

#include "textures/TextureBoxes.h"

namespace lwfuzz {

inline void readTextureList(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const lw::TextureBoxList list = lw::parseTextureList(text);
    require(list.Boxes.size() <= size_t(lw::kMaxTextureBoxes), "at most 64 boxes are read");
    require(lw::parseTextureList(lw::formatTextureList(list)) == list,
            "a list written reads back the same");

    lw::TextureBox box;
    if (lw::pasteTextureBox(box, text)) {
        lw::TextureBox again;
        require(lw::pasteTextureBox(again, lw::textureBoxClipboardText(box)) && again == box,
                "a box copied pastes back the same");
    }
}

} // namespace lwfuzz
