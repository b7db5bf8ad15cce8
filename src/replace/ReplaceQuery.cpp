#include "replace/ReplaceQuery.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <limits>

namespace lw {

namespace {

bool isOperator(char c) {
    return c == '*' || c == '+' || c == '-' || c == '/';
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

std::string_view trimBlanks(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

Error conversionError(std::string_view text, const char* what) {
    return Error{"sConvertError", "'" + std::string(text) + "' is not a valid " + what, ""};
}

bool onlyBlanks(std::string_view s) {
    return s.find_first_not_of(" \t") == std::string_view::npos;
}

} // namespace

QueryScan ScanQuery(std::string_view text, bool replace) {
    QueryScan scan;
    auto skip = [&scan](std::string_view part) {
        if (scan.Skipped.empty() && !onlyBlanks(part))
            scan.Skipped = std::string(part);
    };
    TQuery& query = scan.Groups;
    for (;;) {
        if (query.size() == kMaxQueryGroups) {
            scan.TooMany = !onlyBlanks(text);
            break;
        }
        size_t end = text.find(")&(");
        if (end == std::string_view::npos)
            end = text.find(')');
        if (end == std::string_view::npos) {
            skip(text);
            break;
        }
        // The group without its opening character (whatever that character is).
        const std::string_view group = end > 0 ? text.substr(1, end - 1) : std::string_view{};
        const size_t eq = group.find('=');
        if (eq == std::string_view::npos) {
            skip(text.substr(0, end + 1));
            break;
        }
        if (text.front() != '(')
            skip(text.substr(0, end + 1));
        QueryGroup g;
        g.Key = std::string(group.substr(0, eq));
        std::string_view value = group.substr(eq + 1);
        if (replace && !value.empty() && isOperator(value.front())) {
            g.Operator = value.front();
            value.remove_prefix(1);
        }
        g.Value = std::string(value);
        query.push_back(std::move(g));
        if (replace && equalsNoCase(query.back().Key, "Poxel"))
            break;
        // Drops ")&" (the next group keeps its "(") or ")" and the character after it.
        text.remove_prefix(std::min(text.size(), end + 2));
    }
    return scan;
}

bool equalsNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

TQuery ParseFindQuery(std::string_view text) {
    return ScanQuery(text, false).Groups;
}

TQuery ParseReplaceQuery(std::string_view text) {
    TQuery query = ScanQuery(text, true).Groups;
    if (query.empty() || !equalsNoCase(query.front().Key, "Zoom"))
        return query;
    // The expansion begins with a Size.X group, so it never expands again.
    const std::string& v = query.front().Value;
    const std::string zoom = "(Size.X=*" + v + ")&(Size.Y=*" + v + ")&(Size.Z=*" + v +
                             ")&(Pos.X=*" + v + ")&(Pos.Y=*" + v + ")&(Pos.Z=*" + v + ")";
    return ScanQuery(zoom, true).Groups;
}

bool queryLooksRunnable(std::string_view s) {
    return !s.empty() && s.front() == '(' && s.back() == ')' &&
           s.find('=') != std::string_view::npos;
}

bool queriesLookRunnable(std::string_view find, std::string_view replace) {
    return queryLooksRunnable(find) && queryLooksRunnable(replace);
}

Result<long double> readExtended(std::string_view text, char decimalPoint) {
    const std::string_view s = trimBlanks(text);
    // Checked by hand so that only plain decimal notation passes ("inf", "nan", hexadecimal
    // floats and digit grouping do not).
    std::string plain;
    size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        if (s[i] == '-')
            plain += '-';
        ++i;
    }
    int digits = 0;
    bool point = false;
    for (; i < s.size(); ++i) {
        if (isDigit(s[i])) {
            ++digits;
            plain += s[i];
        } else if (!point && (s[i] == decimalPoint || s[i] == '.')) {
            point = true;
            plain += '.';
        } else {
            break;
        }
    }
    if (digits == 0)
        return conversionError(text, "floating point value");
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        plain += 'e';
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-'))
            plain += s[i++];
        const size_t first = i;
        while (i < s.size() && isDigit(s[i]))
            plain += s[i++];
        if (i == first)
            return conversionError(text, "floating point value");
    }
    if (i != s.size())
        return conversionError(text, "floating point value");
    long double value = 0;
    const auto r = std::from_chars(plain.data(), plain.data() + plain.size(), value);
    if (r.ec != std::errc{} || r.ptr != plain.data() + plain.size() || !std::isfinite(value))
        return conversionError(text, "floating point value");
    return value;
}

Result<int32_t> readInteger(std::string_view text) {
    std::string_view s = trimBlanks(text);
    bool negative = false;
    if (!s.empty() && (s.front() == '+' || s.front() == '-')) {
        negative = s.front() == '-';
        s.remove_prefix(1);
    }
    if (s.empty() || !std::all_of(s.begin(), s.end(), isDigit))
        return conversionError(text, "integer value");
    int64_t value = 0;
    for (char c : s) {
        value = value * 10 + (c - '0');
        if (value > int64_t(std::numeric_limits<int32_t>::max()) + 1)
            return conversionError(text, "integer value");
    }
    if (negative)
        value = -value;
    if (value > std::numeric_limits<int32_t>::max())
        return conversionError(text, "integer value");
    return static_cast<int32_t>(value);
}

int32_t textureCodeOfBox(int32_t box) {
    return box == 0 ? 0 : 4 * box - 1;
}

Result<std::vector<TexturePair>> readTextureMapping(std::string_view text) {
    std::vector<TexturePair> pairs;
    while (pairs.size() < kMaxTexturePairs) {
        const size_t comma = text.find(',');
        const std::string_view part = text.substr(0, comma);
        const size_t arrow = part.find(">>");
        if (arrow == std::string_view::npos)
            break;
        int32_t boxes[2] = {0, 0};
        const std::string_view numbers[2] = {part.substr(0, arrow), part.substr(arrow + 2)};
        for (int k = 0; k < 2; ++k) {
            auto n = readInteger(numbers[k]);
            if (!n)
                return n.error();
            if (*n < 0 || *n > 64)
                return Error{"sConvertError",
                             "'" + std::string(numbers[k]) + "' is not a texture box (0 to 64)",
                             ""};
            boxes[k] = *n;
        }
        pairs.push_back({textureCodeOfBox(boxes[0]), textureCodeOfBox(boxes[1])});
        if (comma == std::string_view::npos)
            break;
        text.remove_prefix(comma + 1);
    }
    return pairs;
}

const std::vector<std::string>& replaceSyntaxLines() {
    static const std::vector<std::string> lines = {
        "Syntax for Find:",
        "\t(Const=Val)",
        "\tor",
        "\t(Const=Val)&(Const2=Val2)&(..)",
        "\t",
        "Syntax for Replace:",
        "\t\t(Const=OperatorVal)\tor\t(Const=Operator[Val])",
        "\tor\t(Const=OperatorVal)&(Const2=Val2)&(Const3=Operator2Val3)&(..)",
        "\tor\t(Poxel=NewID)",
        "\tor\t(Poxel=Delete)",
        "\tor\t(Poxel=Any)",
        "\tor\t(Texture=16>>21,20>>22,44>>23,32>>24)",
        "\tor\t(Surface=NewID)&(Textcoord=NewID)&(Color=NewID)",
        "",
        "Operators:",
        "\t+, -, *, / - Mathematic operators (*Val equal Const*Val)",
        "\t[value] - Random value from Rang 0..value (Float)",
        "",
        "Const:",
        "\tName - Name of Poxel (Text)",
        "\tEmitterBazeStr - Library of Emitter (Text)",
        "\tDummy - Dummy type of Poxel (True/False). Only for Find",
        "\tEmitter - Emitter type of Poxel (True/False). Only for Find",
        "\tAny - Any type of Poxel. Only for Find",
        "\tPos.X, Pos.Y, Pos.Z - Value of Postion (Float)",
        "\tSize.X, Size.Y, Size.Z - Value of Postion (Float)",
        "\tRot.X, Rot.Y, Rot.Z - Value of Rotation (Float)",
        "\tClip.X, Clip.Y, Clip.Z - Value for Emitter (Float)",
        "Only for Replace:",
        "\tHlevel - Value of Height voxels, for delete all down part.  (Float)",
        "\tPoxel - Current poxel. ",
        "\tSurface - Surface from Current poxel. ",
        "\tColor - Color from Current poxel. ",
        "\tTextcoord - Texture Coordinates from Current poxel. ",
        "\tTexture - Change textures group1 to group2 for Current poxel. ",
        "\tTextureLevel - Change textures Val1 level poxels to Val2 texture for Current poxel. ",
        "\tZoom - Zoom Current poxel. ",
        "\tNewID - ID poxel for replacement current (Integer)",
        "\tDelete - Current poxel it will be deleted",
        "",
        "Example (to reduce map twice):",
        "Find:\t(Emitter=False)\tor equal \t(Poxel=Any)",
        "Replace:\t(Size.X=/2.0)&(Size.Y=/2.0)&(Size.Z=/2)&(Pos.X=/2.0)&(Pos.Y=/2)&(Pos.Z=/2)",
        "\tor equal \t(Zoom=0.5)",
    };
    return lines;
}

std::string replaceSyntaxText(std::string_view lineBreak) {
    const auto& lines = replaceSyntaxLines();
    std::string text;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (i > 0)
            text += lineBreak;
        text += lines[i];
    }
    return text;
}

} // namespace lw
