#include "core/AtomicFile.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace lw {

namespace {

namespace fs = std::filesystem;

// Links are followed at most this many times, as the system does when it opens a path.
constexpr int kMaxLinkHops = 40;

// The file a write to `path` really lands in: a symbolic link is followed to its target (which
// need not exist yet), so the link stays a link and the file it names gets the new bytes.
bool resolveLinks(fs::path& path, std::string& why) {
    for (int hops = 0;; ++hops) {
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
            return true;
        if (hops == kMaxLinkHops) {
            why = "too many levels of symbolic links";
            return false;
        }
        std::error_code ec;
        const fs::path target = fs::read_symlink(path, ec);
        if (ec) {
            why = ec.message();
            return false;
        }
        path = target.is_absolute() ? target : path.parent_path() / target;
    }
}

// A name for the temporary file that nobody else is likely to pick; open() with O_EXCL makes
// sure of it.
std::string temporaryName(const fs::path& target, unsigned attempt) {
    static thread_local std::mt19937_64 random{std::random_device{}()};
    char suffix[40];
    std::snprintf(suffix, sizeof suffix, ".tmp-%d-%u-%08llx", int(::getpid()), attempt,
                  static_cast<unsigned long long>(random() & 0xFFFFFFFFull));
    return (target.parent_path() / ("." + target.filename().string() + suffix)).string();
}

// Makes the rename itself durable: without this a crash can bring back the old file, or no
// file at all, although the write reported success.
int syncFolder(const fs::path& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return errno;
    int err = 0;
    // Some file systems cannot sync a folder and say so; there is nothing more to do there.
    if (::fsync(fd) != 0 && errno != EINVAL && errno != EROFS)
        err = errno;
    ::close(fd);
    return err;
}

} // namespace

Status writeFileAtomically(const std::string& fileName, const std::vector<uint8_t>& bytes) {
    auto fail = [&fileName](const std::string& why) {
        return Error{"sCannotWriteFile", "Cannot write file", "'" + fileName + "': " + why};
    };
    fs::path target(fileName);
    if (target.filename().empty())
        return fail("no file name");
    if (!target.has_parent_path())
        target = fs::path(".") / target;
    if (std::string why; !resolveLinks(target, why))
        return fail(why);
    if (target.filename().empty())
        return fail("no file name");

    // A file that is replaced keeps its permissions; a new one gets what the umask leaves of
    // 0666, applied by open() itself, so the process-wide umask is never touched.
    struct stat old {};
    const bool replacing = ::stat(target.c_str(), &old) == 0;
    if (replacing && S_ISDIR(old.st_mode))
        return fail("is a folder");

    std::string tmp;
    int fd = -1;
    for (unsigned attempt = 0; fd < 0; ++attempt) {
        tmp = temporaryName(target, attempt);
        fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && (errno != EEXIST || attempt == 100))
            return fail(std::strerror(errno));
    }
    auto abandon = [&](int err) {
        if (fd >= 0)
            ::close(fd);
        ::unlink(tmp.c_str());
        return fail(std::strerror(err));
    };
    size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + written, bytes.size() - written);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return abandon(errno);
        }
        written += size_t(n);
    }
    if (replacing && ::fchmod(fd, old.st_mode & 07777) != 0)
        return abandon(errno);
    if (::fsync(fd) != 0)
        return abandon(errno);
    const int closed = ::close(fd);
    fd = -1;
    if (closed != 0)
        return abandon(errno);
    if (std::rename(tmp.c_str(), target.c_str()) != 0)
        return abandon(errno);
    if (const int err = syncFolder(target.parent_path()); err != 0)
        return fail(std::string("the new file is in place, but its folder could not be synced: ") +
                    std::strerror(err));
    return Ok{};
}

} // namespace lw
