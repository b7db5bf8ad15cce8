#pragma once
// Small pieces of JSON output shared by the machine-readable listings.

#include "core/Poxel.h"

#include <string>

namespace lw {

// Names are 8-bit Latin-1 bytes; JSON and terminals want UTF-8.
std::string latin1ToUtf8(const std::string& latin1);
// A Latin-1 string as a JSON string literal (UTF-8, escaped).
std::string jsonString(const std::string& latin1);
// A float with 9 significant digits, so it reads back as the same 32-bit value; non-finite
// values as the strings "nan", "inf" and "-inf".
std::string jsonNumber(float f);
// [x, y, z] of jsonNumber.
std::string jsonVec(const TVec3& v);

} // namespace lw
