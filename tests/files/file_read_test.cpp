// Opening a file for reading: only a regular file is opened; anything else is refused at once,
// before it is opened, with the reason.
#include "files/file_box_texts.h"
#include "files/file_read.h"

#include "special_files.h"
#include "temp_folder.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

namespace qs40 {
namespace {

namespace fs = std::filesystem;
using testing::TempFolder;
using testing::writeFile;

struct OpenCase {
    const char* name;
    // Makes what the test opens and returns its path; nothing when this system cannot make it.
    std::function<std::optional<std::string>(const TempFolder&)> make;
    FileReadStatus status;
    int error;
    const char* reason; // the box's last line
};

const OpenCase kOpenCases[] = {
    {"RegularFile",
     [](const TempFolder& dir) {
         writeFile(dir / "a", "abc");
         return std::optional(dir.file("a"));
     },
     FileReadStatus::Read, 0, ""},
    {"LinkToARegularFile",
     [](const TempFolder& dir) {
         writeFile(dir / "a", "abc");
         fs::create_symlink(dir / "a", dir / "link");
         return std::optional(dir.file("link"));
     },
     FileReadStatus::Read, 0, ""},
    {"Missing", [](const TempFolder& dir) { return std::optional(dir.file("none")); },
     FileReadStatus::Missing, ENOENT, "No such file or directory"},
    {"DanglingLink",
     [](const TempFolder& dir) {
         fs::create_symlink(dir / "none", dir / "link");
         return std::optional(dir.file("link"));
     },
     FileReadStatus::Missing, ENOENT, "No such file or directory"},
    {"Folder",
     [](const TempFolder& dir) {
         fs::create_directory(dir / "folder");
         return std::optional(dir.file("folder"));
     },
     FileReadStatus::Failed, EISDIR, "Is a directory"},
    // Opened for reading, a named pipe would wait for a writer for ever.
    {"NamedPipe",
     [](const TempFolder& dir) {
         return testing::makeFifo(dir.file("fifo")) ? std::optional(dir.file("fifo"))
                                                    : std::nullopt;
     },
     FileReadStatus::NotRegularFile, 0, "Not a regular file"},
    {"LinkToANamedPipe",
     [](const TempFolder& dir) -> std::optional<std::string> {
         if (!testing::makeFifo(dir.file("fifo")))
             return std::nullopt;
         fs::create_symlink(dir / "fifo", dir / "link");
         return dir.file("link");
     },
     FileReadStatus::NotRegularFile, 0, "Not a regular file"},
    {"Device", [](const TempFolder& dir) { return testing::makeNullDevice(dir.file("null")); },
     FileReadStatus::NotRegularFile, 0, "Not a regular file"},
};

void PrintTo(const OpenCase& c, std::ostream* os) {
    *os << c.name;
}

class OpenRegularFileCases : public ::testing::TestWithParam<OpenCase> {};

TEST_P(OpenRegularFileCases, OpensOnlyARegularFile) {
    const OpenCase& c = GetParam();
    TempFolder dir;
    const auto path = c.make(dir);
    if (!path)
        GTEST_SKIP() << "cannot be made here";
    const OpenedFile opened = openRegularFile(*path);
    EXPECT_EQ(opened.status, c.status);
    EXPECT_EQ(opened.error, c.error) << std::strerror(opened.error);
    EXPECT_EQ(opened.fd.valid(), c.status == FileReadStatus::Read);

    const FileRead read = readFilePrefix(*path, 100);
    EXPECT_EQ(read.status, c.status);
    EXPECT_EQ(read.error, c.error);
    EXPECT_EQ(read.bytes, c.status == FileReadStatus::Read ? "abc" : "");
    if (c.status != FileReadStatus::Read) {
        const std::string text = readFailureText(*path, opened, false);
        EXPECT_TRUE(text.ends_with(std::string("\r\n") + c.reason)) << text;
        EXPECT_TRUE(text.starts_with(*path + "\r\n")) << text;
    }
}

INSTANTIATE_TEST_SUITE_P(Kinds, OpenRegularFileCases, ::testing::ValuesIn(kOpenCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(OpenRegularFile, AFileWithoutReadPermissionIsRefusedWithTheReason) {
    TempFolder dir;
    testing::openToEveryone(dir.path());
    writeFile(dir / "secret", "abc");
    fs::permissions(dir / "secret", fs::perms::none);
    const std::string path = dir.file("secret");
    const std::string text = testing::runUnprivileged([&] {
        const OpenedFile opened = openRegularFile(path);
        return opened.status == FileReadStatus::Read ? "opened"
                                                     : readFailureText(path, opened, false);
    });
    EXPECT_EQ(text, path + "\r\nPermission denied");
}

// A box about a missing file keeps the sentence and gives the reason below it.
TEST(ReadFailureText, BothLanguages) {
    EXPECT_EQ(readFailureText("a.qsd", FileReadStatus::Missing, ENOENT, false),
              "a.qsd\r\nFile not found.\r\n" + std::string(std::strerror(ENOENT)));
    EXPECT_EQ(readFailureText("a.qsd", FileReadStatus::Missing, ENOENT, true),
              "a.qsd\r\nФайл не найден.\r\n" + std::string(std::strerror(ENOENT)));
    EXPECT_EQ(readFailureText("a.qsd", FileReadStatus::NotRegularFile, 0, true),
              "a.qsd\r\nЭто не обычный файл");
}

} // namespace
} // namespace qs40
