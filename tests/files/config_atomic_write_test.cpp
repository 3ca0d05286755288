#include "files/atomic_write.h"

#include "temp_folder.h"

#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qs40 {
namespace {

namespace fs = std::filesystem;
using testing::readFile;
using testing::TempFolder;
using testing::writeFile;

TEST(AtomicWrite, CreatesANewFileWithTheBytes) {
    TempFolder dir;
    std::string error;
    ASSERT_TRUE(writeFileAtomically(dir / "a.ini", std::string_view("x\r\ny\0z", 6), error))
        << error;
    EXPECT_EQ(readFile(dir / "a.ini"), std::string("x\r\ny\0z", 6));
    EXPECT_TRUE(error.empty());
    EXPECT_EQ(dir.entryCount(), 1u);
}

TEST(AtomicWrite, ReplacesAnExistingFileAndKeepsItsPermissions) {
    TempFolder dir;
    writeFile(dir / "a.ini", "old contents that are longer");
    fs::permissions(dir / "a.ini",
                    fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    std::string error;
    ASSERT_TRUE(writeFileAtomically(dir / "a.ini", std::string_view("new"), error)) << error;
    EXPECT_EQ(readFile(dir / "a.ini"), "new");
    EXPECT_EQ(fs::status(dir / "a.ini").permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(dir.entryCount(), 1u);
}

TEST(AtomicWrite, FollowsASymbolicLink) {
    TempFolder dir;
    writeFile(dir / "real.ini", "old");
    fs::create_symlink(dir / "real.ini", dir / "link.ini");
    std::string error;
    ASSERT_TRUE(writeFileAtomically(dir / "link.ini", std::string_view("new"), error)) << error;
    EXPECT_TRUE(fs::is_symlink(dir / "link.ini"));
    EXPECT_EQ(readFile(dir / "real.ini"), "new");
}

TEST(AtomicWrite, FailsInAMissingFolderWithAMessageNamingTheFile) {
    TempFolder dir;
    std::string error;
    EXPECT_FALSE(writeFileAtomically(dir / "no" / "a.ini", std::string_view("x"), error));
    EXPECT_NE(error.find((dir / "no" / "a.ini").string()), std::string::npos) << error;
    EXPECT_NE(error.find("No such file or directory"), std::string::npos) << error;
}

TEST(AtomicWrite, ATargetThatIsAFolderIsRefusedAndKept) {
    TempFolder dir;
    fs::create_directory(dir / "a.ini");
    std::string error;
    EXPECT_FALSE(writeFileAtomically(dir / "a.ini", std::string_view("x"), error));
    EXPECT_FALSE(error.empty());
    EXPECT_TRUE(fs::is_directory(dir / "a.ini"));
    EXPECT_EQ(dir.entryCount(), 1u);
}

TEST(AtomicWrite, AReadOnlyFolderKeepsTheOldFile) {
    if (::geteuid() == 0)
        GTEST_SKIP() << "permissions do not bind root";
    TempFolder dir;
    writeFile(dir / "a.ini", "old");
    fs::permissions(dir.path(), fs::perms::owner_read | fs::perms::owner_exec);
    std::string error;
    EXPECT_FALSE(writeFileAtomically(dir / "a.ini", std::string_view("new"), error));
    EXPECT_NE(error.find("Permission denied"), std::string::npos) << error;
    fs::permissions(dir.path(), fs::perms::owner_all);
    EXPECT_EQ(readFile(dir / "a.ini"), "old");
    EXPECT_EQ(dir.entryCount(), 1u);
}

// The file-size limit makes the kernel refuse the write half-way, as a full disk would.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &saved_);
        oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = saved_;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, oldHandler_);
    }

private:
    rlimit saved_{};
    void (*oldHandler_)(int) = nullptr;
};

TEST(AtomicWrite, AWriteThatFailsHalfWayKeepsTheOldFileAndLeavesNoTemporary) {
    TempFolder dir;
    const std::string old = "[System]\r\nDevice_Type_Code=31\r\n\r\n";
    writeFile(dir / "a.ini", old);
    const std::string big(256 * 1024, 'x');
    std::string error;
    bool ok = true;
    {
        FileSizeLimit limit(4096);
        ok = writeFileAtomically(dir / "a.ini", std::string_view(big), error);
    }
    EXPECT_FALSE(ok);
    EXPECT_NE(error.find("File too large"), std::string::npos) << error;
    EXPECT_EQ(readFile(dir / "a.ini"), old);
    EXPECT_EQ(dir.entryCount(), 1u);
}

} // namespace
} // namespace qs40
