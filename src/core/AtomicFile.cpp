#include "core/AtomicFile.h"

#include "core/InputFile.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <dirent.h>
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
constexpr const char* kTempMark = ".tmp-";

std::function<void(const std::string&)>& temporaryFileHook() {
    static std::function<void(const std::string&)> hook;
    return hook;
}

// ---- Temporary files the signal handler removes -----------------------------------------------

// A few saves may run at once (the window's and an autosave). A slot is free (0), being filled
// (1) or holds the path of a temporary file in use (2); the handler only reads full slots.
struct TempSlot {
    std::atomic<int> state{0};
    char path[PATH_MAX];
};
TempSlot g_tempSlots[16];

int registerTemporary(const std::string& path) {
    if (path.size() >= PATH_MAX)
        return -1;
    for (int i = 0; i < int(std::size(g_tempSlots)); ++i) {
        int expected = 0;
        if (!g_tempSlots[i].state.compare_exchange_strong(expected, 1))
            continue;
        std::memcpy(g_tempSlots[i].path, path.c_str(), path.size() + 1);
        g_tempSlots[i].state.store(2);
        return i;
    }
    return -1; // all in use: a stale file is removed by the next save instead
}

void unregisterTemporary(int slot) {
    if (slot >= 0)
        g_tempSlots[slot].state.store(0);
}

extern "C" void removeTemporariesAndDie(int sig) {
    const int savedErrno = errno;
    for (TempSlot& slot : g_tempSlots)
        if (slot.state.load() == 2)
            ::unlink(slot.path);
    errno = savedErrno;
    // The handler was reset to the default on entry: the signal ends the process as it would
    // have without us, once the handler returns.
    ::raise(sig);
}

// ---- Names -------------------------------------------------------------------------------------

// The machine's name, hashed: temporary files of another machine sharing the folder are never
// taken for stale ones, whatever their process numbers.
const std::string& hostTag() {
    static const std::string tag = [] {
        char name[256] = {};
        ::gethostname(name, sizeof name - 1);
        char hex[9];
        std::snprintf(
            hex, sizeof hex, "%08x",
            unsigned(contentHash(reinterpret_cast<const uint8_t*>(name), std::strlen(name)) &
                     0xFFFFFFFFu));
        return std::string(hex);
    }();
    return tag;
}

size_t nameLimit(const fs::path& folder) {
    const long limit = ::pathconf(folder.c_str(), _PC_NAME_MAX);
    return limit > 0 ? size_t(limit) : size_t(NAME_MAX);
}

// ".NAME.tmp-HOST-PID-RANDOM", with NAME cut (at a character boundary) so that the whole name
// stays within the folder's limit however long the target's name is.
std::string temporaryName(const fs::path& target) {
    static thread_local std::mt19937_64 random{std::random_device{}()};
    char suffix[64];
    std::snprintf(suffix, sizeof suffix, "%s%s-%d-%08llx", kTempMark, hostTag().c_str(),
                  int(::getpid()), static_cast<unsigned long long>(random() & 0xFFFFFFFFull));
    std::string stem = target.filename().string();
    const size_t limit = nameLimit(target.parent_path());
    const size_t room = limit > std::strlen(suffix) + 1 ? limit - std::strlen(suffix) - 1 : 0;
    if (stem.size() > room) {
        size_t cut = room;
        while (cut > 0 && (uint8_t(stem[cut]) & 0xC0) == 0x80)
            --cut; // never in the middle of a UTF-8 sequence
        stem.resize(cut);
    }
    return (target.parent_path() / ("." + stem + suffix)).string();
}

// The process number in a temporary name of this machine, or -1 for any other name.
long staleCandidate(const char* name) {
    if (name[0] != '.')
        return -1;
    const char* mark = std::strstr(name, kTempMark);
    if (!mark)
        return -1;
    for (const char* next; (next = std::strstr(mark + 1, kTempMark));)
        mark = next;
    const char* p = mark + std::strlen(kTempMark);
    if (std::strncmp(p, hostTag().c_str(), hostTag().size()) != 0 || p[hostTag().size()] != '-')
        return -1;
    p += hostTag().size() + 1;
    long pid = 0;
    const char* digits = p;
    while (*p >= '0' && *p <= '9' && pid < 1000000000)
        pid = pid * 10 + (*p++ - '0');
    if (p == digits || *p != '-' || std::strlen(p + 1) != 8)
        return -1;
    return pid;
}

// Removes the temporary files that processes of this machine, no longer running, left in the
// folder when they were killed in the middle of a save. Best effort: nothing here fails a save.
void removeStaleTemporaries(const fs::path& folder) {
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return;
    const long self = long(::getpid());
    while (const dirent* entry = ::readdir(dir)) {
        const long pid = staleCandidate(entry->d_name);
        if (pid <= 0 || pid == self)
            continue;
        if (::kill(pid_t(pid), 0) == 0 || errno != ESRCH)
            continue; // still running (or not ours to ask about)
        struct stat st {};
        if (::fstatat(::dirfd(dir), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 &&
            S_ISREG(st.st_mode))
            ::unlinkat(::dirfd(dir), entry->d_name, 0);
    }
    ::closedir(dir);
}

// ---- The write ---------------------------------------------------------------------------------

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

// Gives the new file the owner and group of the one it replaces, as far as the process may
// (root saving a user's map must leave it the user's); anything refused keeps the process's.
void keepOwner(int fd, const struct stat& old) {
    if (old.st_uid == ::geteuid() && old.st_gid == ::getegid())
        return;
    if (::fchown(fd, old.st_uid, old.st_gid) != 0 && old.st_gid != ::getegid())
        (void)::fchown(fd, uid_t(-1), old.st_gid);
}

} // namespace

Status writeFileAtomically(const std::string& fileName, const std::vector<uint8_t>& bytes,
                           std::string* note) {
    if (note)
        note->clear();
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

    struct stat old {};
    const bool replacing = ::stat(target.c_str(), &old) == 0;
    if (replacing) {
        if (S_ISDIR(old.st_mode))
            return fail("is a folder");
        // Renaming over a device or a FIFO would replace it with a file (/dev/null with a map).
        if (!S_ISREG(old.st_mode))
            return fail("is not a regular file");
        // A file its owner made read-only is not replaced just because the folder is writable.
        if (::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0)
            return fail(errno == EROFS ? std::strerror(errno)
                                       : std::string("the file is read-only"));
    }
    removeStaleTemporaries(target.parent_path());

    // A new file gets what the umask leaves of 0666, applied by open() itself, so the
    // process-wide umask is never touched.
    std::string tmp;
    int fd = -1;
    for (unsigned attempt = 0; fd < 0; ++attempt) {
        tmp = temporaryName(target);
        fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && (errno != EEXIST || attempt == 100))
            return fail(std::strerror(errno));
    }
    const int slot = registerTemporary(tmp);
    auto abandon = [&](int err) {
        if (fd >= 0)
            ::close(fd);
        ::unlink(tmp.c_str());
        unregisterTemporary(slot);
        return fail(std::strerror(err));
    };
    if (temporaryFileHook())
        temporaryFileHook()(tmp);
    size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + written, bytes.size() - written);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return abandon(errno); // EFBIG reads "File too large"
        }
        written += size_t(n);
    }
    if (replacing) {
        keepOwner(fd, old);
        // After the owner: changing it may clear the set-id bits.
        if (::fchmod(fd, old.st_mode & 07777) != 0)
            return abandon(errno);
    }
    if (::fsync(fd) != 0)
        return abandon(errno);
    const int closed = ::close(fd);
    fd = -1;
    if (closed != 0)
        return abandon(errno);
    if (std::rename(tmp.c_str(), target.c_str()) != 0)
        return abandon(errno);
    unregisterTemporary(slot);
    if (note && replacing && old.st_nlink > 1)
        *note = "'" + fileName + "' had " + std::to_string(old.st_nlink - 1) + " other hard link" +
                (old.st_nlink > 2 ? "s" : "") +
                "; the file was replaced, and the other names keep the old content";
    if (const int err = syncFolder(target.parent_path()); err != 0)
        return fail(std::string("the new file is in place, but its folder could not be synced: ") +
                    std::strerror(err));
    return Ok{};
}

void installSaveSignalHandlers() {
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    ::sigaction(SIGXFSZ, &ignore, nullptr);
    for (const int sig : {SIGINT, SIGTERM, SIGHUP}) {
        struct sigaction old {};
        if (::sigaction(sig, nullptr, &old) != 0 || (old.sa_flags & SA_SIGINFO) ||
            old.sa_handler != SIG_DFL)
            continue; // ignored (nohup, a background job) or handled by someone else
        struct sigaction sa {};
        sa.sa_handler = removeTemporariesAndDie;
        sigemptyset(&sa.sa_mask);
        sa.sa_flags = SA_RESETHAND;
        ::sigaction(sig, &sa, nullptr);
    }
}

void setTemporaryFileHookForTests(std::function<void(const std::string&)> hook) {
    temporaryFileHook() = std::move(hook);
}

} // namespace lw
