#pragma once

#include "core/Result.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace lw {

// Writes `bytes` to a temporary file beside `fileName` and renames it over `fileName`, so a
// failed write never leaves a truncated file and never damages the file that was there. The
// data and the folder are synced before success is reported.
// - A symbolic link is written through: the file it names is replaced and the link stays.
// - Only regular files are replaced: a folder, a device, a FIFO or a socket is refused, and so
//   is an existing file the process may not write (as its permissions say).
// - A file that is replaced keeps its permissions, and its owner and group where the process
//   may set them; a new one gets 0666 less the umask.
// - Temporary files that earlier processes on this machine left behind in the folder (killed
//   in the middle of a save) are removed.
// When the save succeeds but something is worth telling (the file had other hard links, which
// keep the old content), `note` receives it; otherwise it is cleared.
Status writeFileAtomically(const std::string& fileName, const std::vector<uint8_t>& bytes,
                           std::string* note = nullptr);

// For programs: a file-size limit (SIGXFSZ) fails a save with "File too large" instead of
// killing the process, and SIGINT, SIGTERM and SIGHUP remove the temporary files of the saves
// in progress before the process ends as it would have. Signals the process ignores stay
// ignored. Call once, early in main.
void installSaveSignalHandlers();

// Tests only: called with the temporary file's name once it exists and before a byte is
// written to it.
void setTemporaryFileHookForTests(std::function<void(const std::string&)> hook);

} // namespace lw
