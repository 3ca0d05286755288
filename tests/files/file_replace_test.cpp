#include "files/file_replace.h"

#include "datafile_file_size_limit.h"
#include "datafile_test_support.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace qs40 {
namespace {

using testing::FileSizeLimit;
using testing::readFile;
using testing::TempFolder;
using testing::writeFile;

TEST(FileReplace, CreatesAndReplacesAFile) {
    TempFolder dir;
    const std::string path = dir.file("a.txt");
    ASSERT_TRUE(writeFileReplacing(path, "first").ok);
    EXPECT_EQ(readFile(path), "first");
    ASSERT_TRUE(writeFileReplacing(path, std::string_view{}).ok);
    EXPECT_EQ(readFile(path), "");
    EXPECT_EQ(dir.entryCount(), 1u);
}

TEST(FileReplace, ReplacedFileKeepsItsPermissions) {
    TempFolder dir;
    const std::string path = dir.file("a.txt");
    writeFile(path, "old");
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    ASSERT_TRUE(writeFileReplacing(path, "new").ok);
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
}

TEST(FileReplace, AbandonedWriteLeavesTheOldFile) {
    TempFolder dir;
    const std::string path = dir.file("a.qsd");
    writeFile(path, "old content");
    const FileWriteResult r = writeFileReplacing(path, [](const ByteSink& sink) {
        sink("half of the new ");
        return false;
    });
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(readFile(path), "old content");
    EXPECT_EQ(dir.entryCount(), 1u); // no temporary file left
}

TEST(FileReplace, WriteFailingPartWayLeavesTheOldFile) {
    TempFolder dir;
    const std::string path = dir.file("a.qsd");
    writeFile(path, "old content");
    FileWriteResult r;
    {
        FileSizeLimit limit(100);
        r = writeFileReplacing(path, std::string(5000, 'x'));
    }
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.error, EFBIG);
    EXPECT_FALSE(r.message.empty());
    EXPECT_EQ(readFile(path), "old content");
    EXPECT_EQ(dir.entryCount(), 1u);
}

TEST(FileReplace, MissingFolderFails) {
    TempFolder dir;
    const FileWriteResult r = writeFileReplacing(dir.file("no/such/a.qsd"), "x");
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.error, ENOENT);
}

TEST(FileReplace, SymbolicLinkIsFollowed) {
    TempFolder dir;
    const std::string target = dir.file("target.txt");
    const std::string link = dir.file("link.txt");
    writeFile(target, "old");
    ASSERT_EQ(::symlink(target.c_str(), link.c_str()), 0);
    ASSERT_TRUE(writeFileReplacing(link, "new").ok);
    EXPECT_EQ(readFile(target), "new");
    struct stat st {};
    ASSERT_EQ(::lstat(link.c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
}

} // namespace
} // namespace qs40
