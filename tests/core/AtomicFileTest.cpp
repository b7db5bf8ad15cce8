// Atomic file writes: permissions, links, durability and failures. A few system calls are
// observed (and one can be made to fail) by definitions in this test program, which take the
// place of the C library's and forward to it.

#include "core/AtomicFile.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <dlfcn.h>
#include <filesystem>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

std::atomic<int> g_umaskCalls{0};
std::atomic<int> g_folderSyncs{0};
std::atomic<int> g_failFchmod{0}; // an errno to fail fchmod with, or 0

template <typename Fn> Fn realFunction(const char* name) {
    return reinterpret_cast<Fn>(::dlsym(RTLD_NEXT, name));
}

} // namespace

extern "C" mode_t umask(mode_t mask) {
    static const auto real = realFunction<mode_t (*)(mode_t)>("umask");
    ++g_umaskCalls;
    return real(mask);
}

extern "C" int fchmod(int fd, mode_t mode) {
    static const auto real = realFunction<int (*)(int, mode_t)>("fchmod");
    if (const int err = g_failFchmod.load()) {
        errno = err;
        return -1;
    }
    return real(fd, mode);
}

extern "C" int fsync(int fd) {
    static const auto real = realFunction<int (*)(int)>("fsync");
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode))
        ++g_folderSyncs;
    return real(fd);
}

namespace {

namespace fs = std::filesystem;
using lwtest::readBytes;
using lwtest::TempDir;
using lwtest::writeBytes;

mode_t modeOf(const fs::path& p) {
    struct stat st {};
    EXPECT_EQ(::stat(p.c_str(), &st), 0) << p;
    return st.st_mode & 07777;
}

size_t entriesIn(const fs::path& folder) {
    size_t n = 0;
    for (const auto& e : fs::directory_iterator(folder)) {
        (void)e;
        ++n;
    }
    return n;
}

// Sets the umask for one test and puts the old one back.
class ScopedUmask {
public:
    explicit ScopedUmask(mode_t mask) : old_(::umask(mask)) {}
    ~ScopedUmask() { ::umask(old_); }

private:
    mode_t old_;
};

const std::vector<uint8_t> kOld{'o', 'l', 'd'};
const std::vector<uint8_t> kNew{'n', 'e', 'w', '!'};

TEST(AtomicFile, NewFilesFollowTheUmaskWithoutChangingIt) {
    TempDir dir;
    const ScopedUmask mask(027);
    const int before = g_umaskCalls.load();
    ASSERT_TRUE(lw::writeFileAtomically((dir / "a.bin").string(), kNew));
    // Another thread creating a file meanwhile must see the umask the program set.
    EXPECT_EQ(g_umaskCalls.load(), before);
    EXPECT_EQ(modeOf(dir / "a.bin"), mode_t(0640));
    EXPECT_EQ(readBytes(dir / "a.bin"), kNew);
}

TEST(AtomicFile, AReplacedFileKeepsItsPermissions) {
    TempDir dir;
    const ScopedUmask mask(022);
    for (const mode_t mode : {mode_t(0600), mode_t(0755), mode_t(0664)}) {
        const fs::path file = dir / "keep.bin";
        writeBytes(file, kOld);
        ASSERT_EQ(::chmod(file.c_str(), mode), 0);
        ASSERT_TRUE(lw::writeFileAtomically(file.string(), kNew));
        EXPECT_EQ(modeOf(file), mode);
        EXPECT_EQ(readBytes(file), kNew);
    }
}

TEST(AtomicFile, PermissionsThatCannotBeSetFailTheWriteAndKeepTheOldFile) {
    TempDir dir;
    const fs::path file = dir / "map.xom";
    writeBytes(file, kOld);
    g_failFchmod = EPERM;
    const auto st = lw::writeFileAtomically(file.string(), kNew);
    g_failFchmod = 0;
    ASSERT_FALSE(st);
    EXPECT_NE(st.error().detail.find("map.xom"), std::string::npos) << st.error().detail;
    EXPECT_NE(st.error().detail.find(std::strerror(EPERM)), std::string::npos) << st.error().detail;
    EXPECT_EQ(readBytes(file), kOld);
    EXPECT_EQ(entriesIn(dir.path()), 1u) << "no temporary file left behind";
}

TEST(AtomicFile, TheFolderIsSyncedSoTheRenameSurvivesACrash) {
    TempDir dir;
    const int before = g_folderSyncs.load();
    ASSERT_TRUE(lw::writeFileAtomically((dir / "a.bin").string(), kNew));
    EXPECT_GE(g_folderSyncs.load(), before + 1);
}

TEST(AtomicFile, ALinkIsWrittenThroughAndStaysALink) {
    TempDir dir;
    fs::create_directory(dir / "real");
    const fs::path target = dir / "real" / "map.xom";
    writeBytes(target, kOld);
    ASSERT_EQ(::chmod(target.c_str(), 0600), 0);
    // A relative link in another folder, and a link to that link.
    fs::create_symlink(fs::path("real") / "map.xom", dir / "link.xom");
    fs::create_symlink("link.xom", dir / "link2.xom");

    ASSERT_TRUE(lw::writeFileAtomically((dir / "link2.xom").string(), kNew));
    EXPECT_TRUE(fs::is_symlink(dir / "link.xom"));
    EXPECT_TRUE(fs::is_symlink(dir / "link2.xom"));
    EXPECT_EQ(readBytes(target), kNew);
    EXPECT_EQ(modeOf(target), mode_t(0600));
    EXPECT_EQ(entriesIn(dir / "real"), 1u);
    EXPECT_EQ(entriesIn(dir.path()), 3u);

    // A link whose target does not exist yet gets its target created.
    fs::create_symlink(fs::path("real") / "new.xom", dir / "dangling.xom");
    ASSERT_TRUE(lw::writeFileAtomically((dir / "dangling.xom").string(), kNew));
    EXPECT_TRUE(fs::is_symlink(dir / "dangling.xom"));
    EXPECT_EQ(readBytes(dir / "real" / "new.xom"), kNew);
}

TEST(AtomicFile, LinkLoopsAndFoldersAreRefused) {
    TempDir dir;
    fs::create_symlink("b", dir / "a");
    fs::create_symlink("a", dir / "b");
    const auto loop = lw::writeFileAtomically((dir / "a").string(), kNew);
    ASSERT_FALSE(loop);
    EXPECT_NE(loop.error().detail.find("symbolic links"), std::string::npos) << loop.error().detail;

    fs::create_directory(dir / "folder");
    const auto folder = lw::writeFileAtomically((dir / "folder").string(), kNew);
    ASSERT_FALSE(folder);
    EXPECT_TRUE(fs::is_directory(dir / "folder"));
    EXPECT_EQ(entriesIn(dir.path()), 3u);
}

// Runs `body` in a child process and returns its wait status; the body's result is the exit
// code. Whatever the child does to itself (limits, identities, signals) stays there.
template <typename Body> int inChild(Body body) {
    std::fflush(nullptr);
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(body());
    int status = 0;
    ::waitpid(child, &status, 0);
    return status;
}

bool exitedWith(int status, int code) {
    return WIFEXITED(status) && WEXITSTATUS(status) == code;
}

std::vector<std::string> namesIn(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(folder))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

TEST(AtomicFile, OnlyRegularFilesAreReplaced) {
    TempDir dir;
    ASSERT_EQ(::mkfifo((dir / "pipe").c_str(), 0600), 0);
    fs::create_symlink("/dev/null", dir / "null.xom");
    for (const fs::path& target : {dir / "pipe", dir / "null.xom", fs::path("/dev/null")}) {
        SCOPED_TRACE(target.string());
        const auto st = lw::writeFileAtomically(target.string(), kNew);
        ASSERT_FALSE(st);
        EXPECT_NE(st.error().detail.find("is not a regular file"), std::string::npos)
            << st.error().detail;
    }
    EXPECT_TRUE(fs::is_fifo(dir / "pipe"));
    EXPECT_TRUE(fs::is_character_file("/dev/null"));
    EXPECT_EQ(namesIn(dir.path()), (std::vector<std::string>{"null.xom", "pipe"}));
}

TEST(AtomicFile, AReadOnlyFileIsNotReplacedByWhoMayWriteItsFolder) {
    TempDir dir;
    ASSERT_EQ(::chmod(dir.path().c_str(), 0777), 0);
    const fs::path locked = dir / "locked.xom", open = dir / "open.xom";
    writeBytes(locked, kOld);
    writeBytes(open, kOld);
    ASSERT_EQ(::chmod(locked.c_str(), 0444), 0);
    ASSERT_EQ(::chmod(open.c_str(), 0644), 0);
    const uid_t nobody = 65534;
    if (::geteuid() == 0) {
        // Root may write anything: the rule is tried as an ordinary user owning both files.
        ASSERT_EQ(::chown(locked.c_str(), nobody, nobody), 0);
        ASSERT_EQ(::chown(open.c_str(), nobody, nobody), 0);
    }
    const int status = inChild([&] {
        if (::geteuid() == 0 && (::setgid(nobody) != 0 || ::setuid(nobody) != 0))
            return 10;
        const auto refused = lw::writeFileAtomically(locked.string(), kNew);
        if (refused || refused.error().detail.find("read-only") == std::string::npos)
            return 11;
        return lw::writeFileAtomically(open.string(), kNew) ? 0 : 12;
    });
    EXPECT_TRUE(exitedWith(status, 0)) << status;
    EXPECT_EQ(readBytes(locked), kOld);
    EXPECT_EQ(modeOf(locked), mode_t(0444));
    EXPECT_EQ(readBytes(open), kNew);
}

TEST(AtomicFile, AReplacedFileKeepsItsOwnerAndGroup) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to save another user's file";
    TempDir dir;
    const fs::path file = dir / "users.xom";
    writeBytes(file, kOld);
    ASSERT_EQ(::chown(file.c_str(), 65534, 65534), 0);
    ASSERT_EQ(::chmod(file.c_str(), 0600), 0);
    ASSERT_TRUE(lw::writeFileAtomically(file.string(), kNew));
    struct stat st {};
    ASSERT_EQ(::stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, uid_t(65534)) << "the user can still read their map";
    EXPECT_EQ(st.st_gid, gid_t(65534));
    EXPECT_EQ(st.st_mode & 07777, mode_t(0600));
}

TEST(AtomicFile, SplittingAHardLinkIsTold) {
    TempDir dir;
    writeBytes(dir / "map.xom", kOld);
    fs::create_hard_link(dir / "map.xom", dir / "other.xom");
    std::string note = "stale";
    ASSERT_TRUE(lw::writeFileAtomically((dir / "map.xom").string(), kNew, &note));
    EXPECT_NE(note.find("1 other hard link"), std::string::npos) << note;
    EXPECT_EQ(readBytes(dir / "other.xom"), kOld);
    ASSERT_TRUE(lw::writeFileAtomically((dir / "map.xom").string(), kOld, &note));
    EXPECT_EQ(note, "") << "a file of one name has nothing to tell";
}

TEST(AtomicFile, TheLongestNamesKeepTheirTemporaryNameWithinTheLimit) {
    TempDir dir;
    std::string accented;
    while (accented.size() < 250)
        accented += "\xC3\xA9"; // é, two bytes: the name is cut between characters
    for (const std::string& name :
         {std::string(244, 'm') + ".xom", std::string(255, 'x'), accented + ".xom"}) {
        ASSERT_TRUE(lw::writeFileAtomically((dir / name).string(), kNew)) << name.size();
        EXPECT_EQ(readBytes(dir / name), kNew);
    }
    EXPECT_EQ(entriesIn(dir.path()), 3u);
}

TEST(AtomicFile, AFileSizeLimitFailsTheSaveInsteadOfEndingTheProgram) {
    TempDir dir;
    const fs::path file = dir / "map.xom";
    writeBytes(file, kOld);
    const int status = inChild([&] {
        lw::installSaveSignalHandlers();
        const rlimit limit{1000, 1000};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        const auto st = lw::writeFileAtomically(file.string(), std::vector<uint8_t>(5000, 1));
        return !st && st.error().detail.find("File too large") != std::string::npos ? 0 : 1;
    });
    EXPECT_TRUE(exitedWith(status, 0)) << "status " << status;
    EXPECT_EQ(readBytes(file), kOld);
    EXPECT_EQ(entriesIn(dir.path()), 1u);
}

TEST(AtomicFile, ASignalInTheMiddleOfASaveTakesTheTemporaryFileAlong) {
    for (const int sig : {SIGINT, SIGTERM}) {
        SCOPED_TRACE(sig);
        TempDir dir;
        const fs::path file = dir / "map.xom";
        writeBytes(file, kOld);
        const int status = inChild([&] {
            lw::installSaveSignalHandlers();
            lw::setTemporaryFileHookForTests([sig](const std::string&) { ::raise(sig); });
            (void)lw::writeFileAtomically(file.string(), std::vector<uint8_t>(1 << 20, 7));
            return 0;
        });
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == sig) << "ends as it would have";
        EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{"map.xom"});
        EXPECT_EQ(readBytes(file), kOld);
    }
}

TEST(AtomicFile, TemporaryFilesOfProcessesKilledInASaveGoAtTheNextSave) {
    TempDir dir;
    writeBytes(dir / "map.xom", kOld);
    // A save killed outright (no handler runs) leaves its temporary file.
    const int status = inChild([&] {
        lw::setTemporaryFileHookForTests([](const std::string&) { ::_exit(3); });
        (void)lw::writeFileAtomically((dir / "map.xom").string(), kNew);
        return 0;
    });
    ASSERT_TRUE(exitedWith(status, 3));
    std::vector<std::string> names = namesIn(dir.path());
    ASSERT_EQ(names.size(), 2u);
    const std::string stale = names[0];
    ASSERT_EQ(stale.rfind(".map.xom.tmp-", 0), 0u) << stale;
    // The same name with the number of a process that runs is left alone.
    const size_t pidAt = stale.find('-', stale.find(".tmp-") + 5) + 1;
    const size_t pidEnd = stale.find('-', pidAt);
    const std::string running =
        stale.substr(0, pidAt) + std::to_string(::getppid()) + stale.substr(pidEnd);
    writeBytes(dir / running, {});

    ASSERT_TRUE(lw::writeFileAtomically((dir / "other.xom").string(), kNew));
    names = namesIn(dir.path());
    EXPECT_EQ(std::count(names.begin(), names.end(), stale), 0);
    EXPECT_EQ(std::count(names.begin(), names.end(), running), 1);
    EXPECT_EQ(readBytes(dir / "map.xom"), kOld);
}

} // namespace
