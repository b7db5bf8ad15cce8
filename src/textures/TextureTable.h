#pragma once
// From a texture list to OpenGL texture names: the sorted list of distinct names (a name's
// position is its texture name) and the table of four texture names per box.

#include "core/Result.h"
#include "render/TextureList.h"
#include "textures/ImageFolder.h"
#include "textures/TextureBoxes.h"

#include <string>
#include <vector>

namespace lw {

// The names the boxes load (slots top, side, bottom, and edge unless "NULL"): one per name
// ignoring case, the first spelling met kept, sorted byte-wise.
std::vector<std::string> buildTextureNameList(const TextureBoxList& list);

// Fills one row per box: the positions of top, side and bottom, and of the edge slot or
// kNoEdgeTexture. Rows after the last box keep what they held. On an error the table is
// unchanged and the error names the texture.
Status fillTextureTable(const TextureBoxList& list, const std::vector<std::string>& names,
                        TTextureList& table);

// What "Load Textures" uploads: texture k is the image of name k.
struct TextureUpload {
    std::vector<std::string> TextureNameList;
    // The images of names 0, 1, ... up to the first name no image carries.
    std::vector<const NamedImage*> images;
    // Ok when every name has an image, else the error naming the first that has none.
    Status status = Ok{};
};
TextureUpload planTextureUpload(const TextureBoxList& list, const ImageList& images);

} // namespace lw
