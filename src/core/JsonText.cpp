#include "core/JsonText.h"

#include <cmath>
#include <cstdio>

namespace lw {

std::string latin1ToUtf8(const std::string& latin1) {
    std::string out;
    out.reserve(latin1.size());
    for (unsigned char c : latin1) {
        if (c < 0x80) {
            out += char(c);
        } else {
            out += char(0xC0 | (c >> 6));
            out += char(0x80 | (c & 0x3F));
        }
    }
    return out;
}

std::string jsonString(const std::string& latin1) {
    std::string out = "\"";
    for (unsigned char c : latin1) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += char(c);
        } else if (c < 0x20) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", c);
            out += buf;
        } else if (c < 0x80) {
            out += char(c);
        } else {
            out += char(0xC0 | (c >> 6));
            out += char(0x80 | (c & 0x3F));
        }
    }
    return out + "\"";
}

std::string jsonNumber(float f) {
    if (std::isnan(f))
        return "\"nan\"";
    if (std::isinf(f))
        return f > 0 ? "\"inf\"" : "\"-inf\"";
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.9g", double(f));
    return buf;
}

std::string jsonVec(const TVec3& v) {
    return "[" + jsonNumber(v.X) + ", " + jsonNumber(v.Y) + ", " + jsonNumber(v.Z) + "]";
}

} // namespace lw
