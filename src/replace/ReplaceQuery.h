#pragma once
// The replacer's query language: "(Key=Value)&(Key2=Value2)&(..)", read into groups, and the
// readers of the values (numbers, identity numbers, texture mappings). No node is touched here.

#include "core/Result.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace lw {

// At most this many groups of a query are read.
constexpr size_t kMaxQueryGroups = 10;
// At most this many pairs of a "Texture" or "TextureLevel" mapping are read.
constexpr size_t kMaxTexturePairs = 10;

struct QueryGroup {
    std::string Key;
    std::string Value;
    // Replace queries only: '*', '+', '-', '/' or 0 for none.
    char Operator = 0;

    friend bool operator==(const QueryGroup&, const QueryGroup&) = default;
};

using TQuery = std::vector<QueryGroup>;

// The groups of a query as the parse reads them, and what it passes over: the first part that
// is no group of the form "(Key=Value)" (the parse ends at it or, when only its "(" is missing,
// reads on) or text after the last group; empty when nothing but blanks was passed over or a
// replace query's "Poxel" group ended the reading. TooMany: groups after the tenth were left.
struct QueryScan {
    TQuery Groups;
    std::string Skipped;
    bool TooMany = false;
};
QueryScan ScanQuery(std::string_view text, bool replace);

// Malformed groups end the parse silently; the groups read so far are kept.
TQuery ParseFindQuery(std::string_view text);
// As the find query, plus operators; a "Poxel" group is the last one read, and a leading "Zoom"
// group turns the query into the six scalings of sizes and positions.
TQuery ParseReplaceQuery(std::string_view text);

// The rule of the window's Replace button (besides its one-run-per-opening flag): both texts
// begin with "(", end with ")" and contain "=".
bool queryLooksRunnable(std::string_view text);
bool queriesLookRunnable(std::string_view find, std::string_view replace);

bool equalsNoCase(std::string_view a, std::string_view b);

// A number as the user typed it, in extended precision: blanks around it, an optional sign,
// digits with `decimalPoint` (and '.'), an optional exponent. Anything else, or a value beyond
// the range of the type, gives "'TEXT' is not a valid floating point value".
Result<long double> readExtended(std::string_view text, char decimalPoint = '.');
// A signed 32-bit decimal integer, blanks around it allowed; otherwise
// "'TEXT' is not a valid integer value".
Result<int32_t> readInteger(std::string_view text);

struct TexturePair {
    int32_t From = 0; // texture codes: box n is 4n - 1, 0 is empty
    int32_t To = 0;

    friend bool operator==(const TexturePair&, const TexturePair&) = default;
};

// "16>>21,20>>22": up to ten pairs; the first part without ">>" ends the list. Box numbers
// outside 0..64 are refused: their codes would spill into the neighbouring bits of a cell.
Result<std::vector<TexturePair>> readTextureMapping(std::string_view text);
// Box n as a cell's texture code: 4n - 1, or 0 (empty) for 0.
int32_t textureCodeOfBox(int32_t box);

// The 44 lines of the built-in syntax help ("*Const*"); the message box joins them with CR LF.
const std::vector<std::string>& replaceSyntaxLines();
std::string replaceSyntaxText(std::string_view lineBreak = "\r\n");

} // namespace lw
