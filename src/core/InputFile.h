#pragma once
// Reading whole input files. Every reader goes through here, so a folder, a device, a FIFO or
// a file larger than any input is refused before a byte is read (a FIFO would otherwise hang
// the reader, /dev/zero would fill the memory), and a good file is read with one call.

#include "core/Result.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace lw {

// No input the program reads is larger than this.
constexpr size_t kMaxInputFileSize = size_t(1) << 30;

// Why `fileName` cannot be read as an input ("no such file", "is a folder", "is not a regular
// file", a file too large, no permission); nothing when it can. Never blocks.
std::optional<std::string> inputFileProblem(const std::string& fileName,
                                            size_t maxSize = kMaxInputFileSize);

// Reads a whole regular file into memory. The error names the file and the reason.
Result<std::vector<uint8_t>> readFileBytes(const std::string& fileName,
                                           size_t maxSize = kMaxInputFileSize);

// A quick 64-bit hash of file contents, to tell whether a file changed.
uint64_t contentHash(const uint8_t* data, size_t size);

// What a file was like when the program last read or wrote it, to tell later whether another
// program changed it.
struct FileStamp {
    bool exists = false;
    uint64_t size = 0;
    int64_t modifiedNs = 0; // modification time, nanoseconds since the epoch
    uint64_t hash = 0;      // contentHash of the bytes

    bool operator==(const FileStamp&) const = default;
};

// The stamp of `fileName`, whose content is `bytes` (just read from it or written to it).
FileStamp stampFile(const std::string& fileName, const uint8_t* bytes, size_t size);
// The stamp of what `fileName` holds now (read to hash it); `exists` is false when it is gone.
FileStamp currentFileStamp(const std::string& fileName);

enum class DiskChange { None, Changed, Deleted };
// Whether `fileName` differs from `known`. Size and time are compared first; when they differ
// the content decides, so a file that was only touched is not changed. A file that exists where
// `known` says none was is changed.
DiskChange diskChange(const std::string& fileName, const FileStamp& known);

} // namespace lw
