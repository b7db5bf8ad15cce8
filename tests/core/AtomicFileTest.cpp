// Atomic file writes: permissions, links, durability and failures. A few system calls are
// observed (and one can be made to fail) by definitions in this test program, which take the
// place of the C library's and forward to it.

#include "core/AtomicFile.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <dlfcn.h>
#include <filesystem>
#include <sys/stat.h>
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

} // namespace
