#pragma once

#include "core/Result.h"

#include <cstdint>
#include <string>
#include <vector>

namespace lw {

// Writes `bytes` to a temporary file beside `fileName` and renames it over `fileName`, so a
// failed write never leaves a truncated file and never damages the file that was there. The
// data and the folder are synced before success is reported. A file that is replaced keeps its
// permissions; a new one gets 0666 less the umask. A symbolic link is written through: the file
// it names is replaced and the link stays.
Status writeFileAtomically(const std::string& fileName, const std::vector<uint8_t>& bytes);

} // namespace lw
