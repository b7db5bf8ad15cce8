#include "textures/TextureCodes.h"

#include <cstdio>

namespace lw {

uint32_t composeCellCode(int box, int mat, int corners, int blur) {
    return boxCode(box) | boxCode(mat) << 8 | uint32_t(corners & 15) << 16 |
           uint32_t(blur & 15) << 20;
}

std::string cellCodeText(uint32_t code) {
    char text[48];
    std::snprintf(text, sizeof text, "[%.2d] [%.2d] [%.2d] [%.2d]", int(code >> 20 & 15),
                  int(code >> 16 & 15), boxOfCode(code >> 8), boxOfCode(code));
    return text;
}

} // namespace lw
