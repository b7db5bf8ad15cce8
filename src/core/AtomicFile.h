#pragma once

#include "core/Result.h"

#include <cstdint>
#include <string>
#include <vector>

namespace lw {

// Writes `bytes` to a temporary file beside `fileName` and renames it over `fileName`, so a
// failed write never leaves a truncated file and never damages the file that was there.
Status writeFileAtomically(const std::string& fileName, const std::vector<uint8_t>& bytes);

} // namespace lw
