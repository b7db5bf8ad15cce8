#include "textures/TextureTable.h"

#include "core/Xom.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>

namespace lw {

namespace {

Error textureNotFound(const std::string& name) {
    return Error{"sTextureNotFound", "Texture not found", "'" + name + "'"};
}

} // namespace

std::vector<std::string> buildTextureNameList(const TextureBoxList& list) {
    std::vector<std::string> names;
    std::unordered_set<std::string> seen;
    auto add = [&](const std::string& name) {
        if (seen.insert(foldCase(name)).second)
            names.push_back(name);
    };
    for (const TextureBox& box : list.Boxes) {
        for (int slot = 0; slot < 3; ++slot)
            add(box.Slots[size_t(slot)]);
        if (!isNullTexture(box.Slots[3]))
            add(box.Slots[3]);
    }
    // std::string compares as unsigned bytes.
    std::sort(names.begin(), names.end());
    return names;
}

Status fillTextureTable(const TextureBoxList& list, const std::vector<std::string>& names,
                        TTextureList& table) {
    if (list.Boxes.size() > table.size())
        return Error{"sTooManyBoxes", "Too many texture boxes",
                     std::to_string(list.Boxes.size()) + " boxes, the table has " +
                         std::to_string(table.size()) + " rows"};
    std::unordered_map<std::string, uint32_t> position;
    for (size_t k = 0; k < names.size(); ++k)
        position.emplace(foldCase(names[k]), uint32_t(k));
    TTextureList filled = table;
    for (size_t i = 0; i < list.Boxes.size(); ++i) {
        const TextureBox& box = list.Boxes[i];
        for (int slot = 0; slot < 4; ++slot) {
            const std::string& name = box.Slots[size_t(slot)];
            if (slot == SlotEdge && isNullTexture(name)) {
                filled[i][SlotEdge] = kNoEdgeTexture;
                continue;
            }
            auto it = position.find(foldCase(name));
            if (it == position.end())
                return textureNotFound(name);
            filled[i][size_t(slot)] = it->second;
        }
    }
    table = filled;
    return Ok{};
}

TextureUpload planTextureUpload(const TextureBoxList& list, const ImageList& images) {
    TextureUpload plan;
    plan.TextureNameList = buildTextureNameList(list);
    for (const std::string& name : plan.TextureNameList) {
        const NamedImage* image = FindImage(images, name);
        if (!image) {
            plan.status = textureNotFound(name);
            break;
        }
        plan.images.push_back(image);
    }
    return plan;
}

} // namespace lw
