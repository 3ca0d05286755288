#include "files/file_replace.h"

#include "datafile_file_size_limit.h"
#include "datafile_test_support.h"
#include "special_files.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <map>
#include <stdexcept>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace qs40 {
namespace {

using testing::FileSizeLimit;
using testing::readFile;
using testing::TempFolder;
using testing::writeFile;
namespace fs = std::filesystem;

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

// What lies at the written path, and what a write there must do to it.
struct TargetCase {
    const char* name;
    // Makes the target and returns the path to write; nothing when it cannot be made here.
    std::function<std::optional<std::string>(const TempFolder&)> make;
    FileWriteFailure failure;
    int error;
    // The file that must hold "new" afterwards (relative to the folder); empty: none.
    const char* written;
};

std::optional<std::string> linkTo(const TempFolder& dir, const std::string& target,
                                  const std::string& name = "link") {
    fs::create_symlink(target, dir / name);
    return dir.file(name);
}

const TargetCase kTargetCases[] = {
    {"LinkToAFile",
     [](const TempFolder& dir) {
         writeFile(dir / "file", "old");
         return linkTo(dir, "file");
     },
     FileWriteFailure::None, 0, "file"},
    {"ChainOfLinks",
     [](const TempFolder& dir) {
         writeFile(dir / "file", "old");
         linkTo(dir, dir.file("file"), "middle");
         return linkTo(dir, "middle");
     },
     FileWriteFailure::None, 0, "file"},
    // Followed as an ordinary open would: the file it names is created, the link stays.
    {"DanglingLink", [](const TempFolder& dir) { return linkTo(dir, "created"); },
     FileWriteFailure::None, 0, "created"},
    {"DanglingLinkIntoAMissingFolder", [](const TempFolder& dir) { return linkTo(dir, "no/file"); },
     FileWriteFailure::Open, ENOENT, ""},
    {"LoopOfLinks",
     [](const TempFolder& dir) {
         linkTo(dir, "other");
         linkTo(dir, "link", "other");
         return std::optional(dir.file("link"));
     },
     FileWriteFailure::Open, ELOOP, ""},
    {"Folder",
     [](const TempFolder& dir) {
         fs::create_directory(dir / "folder");
         return std::optional(dir.file("folder"));
     },
     FileWriteFailure::Open, EISDIR, ""},
    // Nobody reads it: the write fails at once instead of waiting for a reader.
    {"NamedPipeWithoutAReader",
     [](const TempFolder& dir) {
         return testing::makeFifo(dir.file("fifo")) ? std::optional(dir.file("fifo"))
                                                    : std::nullopt;
     },
     FileWriteFailure::Open, ENXIO, ""},
    {"FullDevice", [](const TempFolder& dir) { return testing::makeFullDevice(dir.file("full")); },
     FileWriteFailure::Write, ENOSPC, ""},
    {"LinkToTheFullDevice",
     [](const TempFolder& dir) -> std::optional<std::string> {
         const auto device = testing::makeFullDevice(dir.file("full"));
         return device ? linkTo(dir, *device) : std::nullopt;
     },
     FileWriteFailure::Write, ENOSPC, ""},
    {"NullDevice", [](const TempFolder& dir) { return testing::makeNullDevice(dir.file("null")); },
     FileWriteFailure::None, 0, ""},
};

void PrintTo(const TargetCase& c, std::ostream* os) {
    *os << c.name;
}

class FileReplaceTargets : public ::testing::TestWithParam<TargetCase> {};

// Whatever the write does, what lies at each name of the folder keeps its kind: a link stays a
// link, a device a device, a named pipe a named pipe; and no temporary file is left.
TEST_P(FileReplaceTargets, WritesThroughAndKeepsWhatIsThere) {
    const TargetCase& c = GetParam();
    TempFolder dir;
    const auto path = c.make(dir);
    if (!path)
        GTEST_SKIP() << "cannot be made here";
    std::map<std::string, mode_t> kinds;
    for (const auto& entry : fs::directory_iterator(dir.path()))
        kinds[entry.path().filename()] = testing::kindAt(entry.path());
    const mode_t pathKind = testing::kindAt(*path);

    const FileWriteResult r = writeFileReplacing(*path, "new");
    EXPECT_EQ(r.ok, c.failure == FileWriteFailure::None);
    EXPECT_EQ(r.failure, c.failure);
    EXPECT_EQ(r.error, c.error) << r.message;
    if (c.error != 0) {
        EXPECT_EQ(r.message, std::strerror(c.error));
    }
    if (*c.written != '\0') {
        EXPECT_EQ(readFile(dir / c.written), "new");
        kinds[c.written] = S_IFREG;
    }
    EXPECT_EQ(testing::kindAt(*path), pathKind);
    for (const auto& [name, kind] : kinds)
        EXPECT_EQ(testing::kindAt(dir.file(name)), kind) << name;
    EXPECT_EQ(dir.entryCount(), kinds.size());
}

INSTANTIATE_TEST_SUITE_P(Kinds, FileReplaceTargets, ::testing::ValuesIn(kTargetCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(FileReplace, NamedPipeWithAReaderGetsTheBytes) {
    TempFolder dir;
    const std::string fifo = dir.file("fifo");
    ASSERT_TRUE(testing::makeFifo(fifo));
    std::string received;
    std::thread reader([&] {
        const int fd = ::open(fifo.c_str(), O_RDONLY | O_CLOEXEC);
        char buffer[64];
        for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;)
            received.append(buffer, static_cast<std::size_t>(n));
        ::close(fd);
    });
    // The writer finds the reader there once it has opened its end.
    FileWriteResult r;
    for (int attempt = 0; attempt < 2000; ++attempt) {
        r = writeFileReplacing(fifo, "through the pipe");
        if (r.failure != FileWriteFailure::Open)
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    reader.join();
    EXPECT_TRUE(r.ok) << r.message;
    EXPECT_EQ(received, "through the pipe");
    EXPECT_EQ(testing::kindAt(fifo), S_IFIFO);
}

// A reader that goes away makes the write fail; the signal that would end the program does not.
TEST(FileReplace, AReaderThatGoesAwayIsAnError) {
    TempFolder dir;
    const std::string fifo = dir.file("fifo");
    ASSERT_TRUE(testing::makeFifo(fifo));
    int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(reader, 0);
    const ScopedFileWriteStepHook hook([&](const std::string&, FileWriteStep step) {
        if (step == FileWriteStep::Opened) {
            ::close(reader);
            reader = -1;
        }
    });
    const FileWriteResult r = writeFileReplacing(fifo, "nobody reads this");
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.failure, FileWriteFailure::Write);
    EXPECT_EQ(r.error, EPIPE);
    sigset_t pending;
    sigpending(&pending);
    EXPECT_EQ(sigismember(&pending, SIGPIPE), 0);
}

TEST(FileReplace, AFileThatMayNotBeWrittenIsNotReplaced) {
    TempFolder dir;
    testing::openToEveryone(dir.path()); // the folder would allow the replacement
    const std::string path = dir.file("read-only.txt");
    writeFile(path, "old");
    ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
    const std::string said = testing::runUnprivileged([&] {
        const FileWriteResult r = writeFileReplacing(path, "new");
        return r.ok ? "written"
                    : std::string(r.failure == FileWriteFailure::Open ? "open: " : "") + r.message;
    });
    EXPECT_EQ(said, "open: " + std::string(std::strerror(EACCES)));
    EXPECT_EQ(readFile(path), "old");
    EXPECT_EQ(dir.entryCount(), 1u);
}

TEST(FileReplace, StepsInOrder) {
    TempFolder dir;
    std::vector<FileWriteStep> steps;
    const ScopedFileWriteStepHook hook(
        [&](const std::string&, FileWriteStep step) { steps.push_back(step); });
    ASSERT_TRUE(writeFileReplacing(dir.file("a.txt"), "x").ok);
    EXPECT_EQ(steps,
              (std::vector{FileWriteStep::Opened, FileWriteStep::Written, FileWriteStep::Synced,
                           FileWriteStep::Replaced, FileWriteStep::Done}));
    const auto null = testing::makeNullDevice(dir.file("null"));
    if (!null)
        return;
    steps.clear();
    ASSERT_TRUE(writeFileReplacing(*null, "x").ok);
    EXPECT_EQ(steps, (std::vector{FileWriteStep::Opened, FileWriteStep::Written}));
}

// A write stopped at any step (the hook throws, as an error would) leaves the old file and no
// temporary one.
TEST(FileReplace, StoppedAtAnyStepLeavesTheOldFile) {
    for (int stop = 0; stop < 5; ++stop) {
        TempFolder dir;
        const std::string path = dir.file("a.txt");
        writeFile(path, "old");
        int step = 0;
        const ScopedFileWriteStepHook hook([&](const std::string&, FileWriteStep) {
            if (step++ == stop)
                throw std::runtime_error("stopped");
        });
        EXPECT_THROW(writeFileReplacing(path, "new"), std::runtime_error);
        EXPECT_EQ(readFile(path), stop < 3 ? "old" : "new") << stop;
        EXPECT_EQ(dir.entryCount(), 1u) << stop;
    }
}

} // namespace
} // namespace qs40
