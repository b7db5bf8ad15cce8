#include "core/AtomicFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace lw {

Status writeFileAtomically(const std::string& fileName, const std::vector<uint8_t>& bytes) {
    auto fail = [&fileName](const std::string& why) {
        return Error{"sCannotWriteFile", "Cannot write file", "'" + fileName + "': " + why};
    };
    namespace fs = std::filesystem;
    const fs::path target(fileName);
    if (target.filename().empty())
        return fail("no file name");
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    std::string tmpl = (folder / ("." + target.filename().string() + ".tmp-XXXXXX")).string();
    const int fd = ::mkstemp(tmpl.data());
    if (fd < 0)
        return fail(std::strerror(errno));
    auto abandon = [&](int err) {
        ::close(fd);
        ::unlink(tmpl.c_str());
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
    if (::fsync(fd) != 0)
        return abandon(errno);
    // mkstemp creates the file private; a map is an ordinary document.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, 0666 & ~mask);
    if (::close(fd) != 0) {
        const int err = errno;
        ::unlink(tmpl.c_str());
        return fail(std::strerror(err));
    }
    if (std::rename(tmpl.c_str(), fileName.c_str()) != 0) {
        const int err = errno;
        ::unlink(tmpl.c_str());
        return fail(std::strerror(err));
    }
    return Ok{};
}

} // namespace lw
