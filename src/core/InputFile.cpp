#include "core/InputFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace lw {

namespace {

Error cannotOpen(const std::string& fileName, const std::string& why) {
    return Error{"sCannotOpenFile", "Cannot open file", "'" + fileName + "': " + why};
}

std::string sizeText(uint64_t bytes) {
    return std::to_string(bytes) + " bytes";
}

// Opens without blocking (a FIFO with no writer would wait forever) and checks what was opened.
// Returns the descriptor and its size, or the reason it is no input.
struct Opened {
    int fd = -1;
    size_t size = 0;
    std::string problem;
};

Opened openInput(const std::string& fileName, size_t maxSize) {
    Opened out;
    const int fd = ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        out.problem = errno == ENOENT ? "no such file" : std::strerror(errno);
        return out;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        out.problem = std::strerror(errno);
    } else if (S_ISDIR(st.st_mode)) {
        out.problem = "is a folder";
    } else if (!S_ISREG(st.st_mode)) {
        out.problem = "is not a regular file";
    } else if (uint64_t(st.st_size) > maxSize) {
        out.problem = "the file is " + sizeText(uint64_t(st.st_size)) + "; at most " +
                      sizeText(maxSize) + " are read";
    }
    if (!out.problem.empty()) {
        ::close(fd);
        return out;
    }
    out.fd = fd;
    out.size = size_t(st.st_size);
    return out;
}

// A large buffer is faulted in as 2 MiB pages where the system allows: touching a fresh buffer
// page by page costs more than copying the file into it.
void adviseLargePages(const uint8_t* data, size_t size) {
#ifdef MADV_HUGEPAGE
    constexpr uintptr_t kLarge = uintptr_t(2) << 20;
    if (size < 2 * kLarge)
        return;
    const uintptr_t begin = (reinterpret_cast<uintptr_t>(data) + kLarge - 1) & ~(kLarge - 1);
    const uintptr_t end = (reinterpret_cast<uintptr_t>(data) + size) & ~(kLarge - 1);
    if (begin < end)
        ::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
#else
    (void)data;
    (void)size;
#endif
}

// Reads until `buffer` is full or the file ends; the bytes read, or -1 with errno set.
ssize_t readFully(int fd, uint8_t* buffer, size_t size) {
    size_t done = 0;
    while (done < size) {
        const ssize_t n = ::read(fd, buffer + done, size - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return -1;
        }
        if (n == 0)
            break;
        done += size_t(n);
    }
    return ssize_t(done);
}

} // namespace

std::optional<std::string> inputFileProblem(const std::string& fileName, size_t maxSize) {
    Opened opened = openInput(fileName, maxSize);
    if (opened.fd < 0)
        return opened.problem;
    ::close(opened.fd);
    return std::nullopt;
}

Result<std::vector<uint8_t>> readFileBytes(const std::string& fileName, size_t maxSize) {
    Opened opened = openInput(fileName, maxSize);
    if (opened.fd < 0)
        return cannotOpen(fileName, opened.problem);
    const int fd = opened.fd;
    // One read of the size the file has; a file that grows meanwhile is read on to its end.
    std::vector<uint8_t> bytes;
    bytes.reserve(opened.size);
    adviseLargePages(bytes.data(), opened.size);
    bytes.resize(opened.size);
    ssize_t n = readFully(fd, bytes.data(), bytes.size());
    size_t have = n < 0 ? 0 : size_t(n);
    while (n >= 0 && have == bytes.size()) {
        uint8_t more[65536];
        n = readFully(fd, more, sizeof more);
        if (n <= 0)
            break;
        if (have + size_t(n) > maxSize) {
            ::close(fd);
            return cannotOpen(fileName,
                              "the file grew past " + sizeText(maxSize) + " while it was read");
        }
        bytes.insert(bytes.end(), more, more + n);
        have = bytes.size();
    }
    const int readErrno = errno;
    ::close(fd);
    if (n < 0)
        return cannotOpen(fileName, std::string("read error: ") + std::strerror(readErrno));
    bytes.resize(have); // the file shrank while it was read
    return bytes;
}

uint64_t contentHash(const uint8_t* data, size_t size) {
    // Eight bytes at a time, each word mixed by a multiply and a rotation: several GB/s, and any
    // change of a byte changes the result with overwhelming likelihood.
    constexpr uint64_t kMul = 0x9E3779B97F4A7C15ull;
    uint64_t h = 0x243F6A8885A308D3ull ^ (uint64_t(size) * kMul);
    size_t i = 0;
    for (; i + 8 <= size; i += 8) {
        uint64_t w;
        std::memcpy(&w, data + i, 8);
        h = (h ^ (w * kMul)) * 0xFF51AFD7ED558CCDull;
        h ^= h >> 29;
    }
    uint64_t tail = 0;
    for (size_t k = 0; i < size; ++i, ++k)
        tail |= uint64_t(data[i]) << (8 * k);
    h = (h ^ (tail * kMul)) * 0xC4CEB9FE1A85EC53ull;
    return h ^ (h >> 32);
}

namespace {

bool statFile(const std::string& fileName, FileStamp& stamp) {
    struct stat st {};
    if (::stat(fileName.c_str(), &st) != 0)
        return false;
    stamp.exists = true;
    stamp.size = uint64_t(st.st_size);
    stamp.modifiedNs = int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    return true;
}

} // namespace

FileStamp stampFile(const std::string& fileName, const uint8_t* bytes, size_t size) {
    FileStamp stamp;
    statFile(fileName, stamp);
    stamp.hash = contentHash(bytes, size);
    return stamp;
}

FileStamp currentFileStamp(const std::string& fileName) {
    auto bytes = readFileBytes(fileName);
    if (!bytes) {
        FileStamp stamp;
        statFile(fileName, stamp); // there, but not readable: compared by size and time only
        return stamp;
    }
    return stampFile(fileName, bytes->data(), bytes->size());
}

DiskChange diskChange(const std::string& fileName, const FileStamp& known) {
    FileStamp now;
    if (!statFile(fileName, now))
        return known.exists ? DiskChange::Deleted : DiskChange::None;
    if (!known.exists)
        return DiskChange::Changed;
    if (now.size == known.size && now.modifiedNs == known.modifiedNs)
        return DiskChange::None;
    if (now.size != known.size)
        return DiskChange::Changed;
    const FileStamp read = currentFileStamp(fileName);
    return read.hash == known.hash ? DiskChange::None : DiskChange::Changed;
}

} // namespace lw
