// The owners of descriptors, streams and temporary files, and the file layer's error paths
// that rely on them: nothing stays open and no temporary file stays behind.
#include "files/data_file_info.h"
#include "files/file_handles.h"
#include "files/file_read.h"
#include "files/file_replace.h"
#include "files/temporary_file.h"

#include "temp_folder.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <filesystem>
#include <unistd.h>

namespace qs40 {
namespace {

namespace fs = std::filesystem;
using testing::readFile;
using testing::TempFolder;
using testing::writeFile;

bool isOpen(int fd) {
    return ::fcntl(fd, F_GETFD) != -1;
}

std::size_t openDescriptors() {
    return static_cast<std::size_t>(
        std::distance(fs::directory_iterator("/proc/self/fd"), fs::directory_iterator()));
}

TEST(UniqueFd, ClosesWhenItGoesAndWhenItIsReplaced) {
    TempFolder dir;
    writeFile(dir / "a", "x");
    int first = -1;
    int second = -1;
    {
        UniqueFd fd(::open(dir.file("a").c_str(), O_RDONLY | O_CLOEXEC));
        first = fd.get();
        ASSERT_TRUE(isOpen(first));
        UniqueFd other(::open(dir.file("a").c_str(), O_RDONLY | O_CLOEXEC));
        second = other.get();
        fd = std::move(other);
        EXPECT_FALSE(isOpen(first));
        EXPECT_EQ(fd.get(), second);
        EXPECT_FALSE(other.valid());
    }
    EXPECT_FALSE(isOpen(second));

    UniqueFd closed(::open(dir.file("a").c_str(), O_RDONLY | O_CLOEXEC));
    const int number = closed.get();
    EXPECT_TRUE(closed.close());
    EXPECT_FALSE(closed.valid());
    EXPECT_FALSE(isOpen(number));
}

TEST(UniqueFile, ClosesTheStream) {
    TempFolder dir;
    writeFile(dir / "a", "x");
    int number = -1;
    {
        const UniqueFile file = openFile(dir.file("a"), "rb");
        ASSERT_TRUE(file);
        number = ::fileno(file.get());
        EXPECT_TRUE(isOpen(number));
    }
    EXPECT_FALSE(isOpen(number));
    EXPECT_FALSE(openFile(dir.file("missing"), "rb"));
}

TEST(FileRemover, RemovesUnlessKept) {
    TempFolder dir;
    writeFile(dir / "dropped", "x");
    writeFile(dir / "kept", "x");
    {
        FileRemover dropped(dir.file("dropped"));
        FileRemover kept(dir.file("kept"));
        kept.keep();
    }
    EXPECT_FALSE(fs::exists(dir / "dropped"));
    EXPECT_TRUE(fs::exists(dir / "kept"));
}

TEST(TemporaryFile, IsRemovedUnlessCommittedByTheRename) {
    TempFolder dir;
    const std::string target = dir.file("a.ini");
    writeFile(target, "old");
    std::string path;
    {
        TemporaryFile temp(target);
        ASSERT_TRUE(temp.created());
        path = temp.path();
        EXPECT_EQ(fs::path(path).parent_path(), dir.path());
        EXPECT_TRUE(fs::exists(path));
    }
    EXPECT_FALSE(fs::exists(path));
    EXPECT_EQ(readFile(target), "old");

    {
        TemporaryFile temp(target);
        ASSERT_TRUE(temp.created());
        ASSERT_EQ(::write(temp.fd(), "new", 3), 3);
        ASSERT_TRUE(temp.commitTo(target));
    }
    EXPECT_EQ(readFile(target), "new");
    EXPECT_EQ(dir.entryCount(), 1u);
}

TEST(TemporaryFile, AFailedRenameRemovesItAndSaysWhy) {
    TempFolder dir;
    fs::create_directories(dir / "busy" / "inside"); // a folder that is not empty
    {
        TemporaryFile temp(dir.file("busy"));
        ASSERT_TRUE(temp.created());
        EXPECT_FALSE(temp.commitTo(dir.file("busy")));
        EXPECT_NE(temp.error(), 0);
    }
    EXPECT_EQ(dir.entryCount(), 1u);
    EXPECT_TRUE(fs::is_directory(dir / "busy" / "inside"));

    TemporaryFile nowhere(dir.file("no/such/a.ini"));
    EXPECT_FALSE(nowhere.created());
    EXPECT_EQ(nowhere.error(), ENOENT);
}

// The error paths of the file layer, one after another: the process holds no more descriptors
// afterwards than before, and the folder holds only what the test made.
TEST(FileLayer, ErrorPathsReleaseEverything) {
    TempFolder dir;
    fs::create_directory(dir / "folder");
    writeFile(dir / "garbage.qsd", "not a data file at all");
    writeFile(dir / "old.txt", "old");
    const std::size_t before = openDescriptors();

    EXPECT_EQ(readFilePrefix(dir / "folder", 100).status, FileReadStatus::Failed);
    EXPECT_EQ(readFilePrefix(dir / "missing", 100).status, FileReadStatus::Missing);
    EXPECT_FALSE(writeFileReplacing(dir.file("old.txt"), [](const ByteSink& sink) {
                     sink("half");
                     return false;
                 }).ok);
    EXPECT_FALSE(writeFileReplacing(dir.file("folder"), "x").ok);
    EXPECT_FALSE(describeDataFile(dir.file("garbage.qsd")).valid);
    EXPECT_FALSE(describeDataFile(dir.file("missing.qsd")).valid);

    EXPECT_EQ(openDescriptors(), before);
    EXPECT_EQ(dir.entryCount(), 3u);
    EXPECT_EQ(readFile(dir / "old.txt"), "old");
}

} // namespace
} // namespace qs40
