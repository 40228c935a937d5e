// The atomic writer against what goes wrong when saving: file-size limits,
// signals, links, FIFOs, long names and files of other users.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstring>
#include <string>
#include <vector>

#include "platform/FileIo.h"
#include "support/TestSupport.h"

namespace tamr {
namespace {

std::vector<std::filesystem::path> Entries(const std::filesystem::path& folder)
{
    std::vector<std::filesystem::path> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
}

// Writes half of what it is given, then sends the process `signal`.
class InterruptedOutput : public FileOutput {
public:
    explicit InterruptedOutput(int signal) : signal_(signal) {}
    ssize_t Write(int descriptor, const std::uint8_t* data, std::size_t size) const override
    {
        const ssize_t written = FileOutput::Write(descriptor, data, size / 2);
        std::raise(signal_);
        return written;
    }

private:
    int signal_;
};

TEST(FileIoTest, PiecesAreWrittenAsOneFile)
{
    test::ScratchDir dir;
    const std::vector<std::uint8_t> head{1, 2};
    const std::vector<std::uint8_t> body{3, 4, 5};
    const std::array<std::span<const std::uint8_t>, 3> pieces{std::span(head), std::span<const std::uint8_t>(),
                                                              std::span(body)};
    ASSERT_TRUE(WriteFileAtomically(dir / "joined.bin", pieces));
    EXPECT_EQ(test::ReadBytes(dir / "joined.bin"), (std::vector<std::uint8_t>{1, 2, 3, 4, 5}));
}

TEST(FileIoTest, FileSizeLimitFailsTheWriteInsteadOfEndingTheProgram)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    test::ScratchDir dir;
    const auto path = dir / "old.bmp";
    test::WriteBytes(path, std::vector<std::uint8_t>(100, 7));
    auto limitedWrite = [&] {
        const rlimit limit{40 * 1024, 40 * 1024};
        setrlimit(RLIMIT_FSIZE, &limit);
        std::string reason;
        const bool written = WriteFileAtomically(path, std::vector<std::uint8_t>(100 * 1024, 1), &reason);
        std::_Exit(!written && reason.find(std::strerror(EFBIG)) != std::string::npos ? 0 : 1);
    };
    EXPECT_EXIT(limitedWrite(), testing::ExitedWithCode(0), "");
    EXPECT_EQ(test::ReadBytes(path), std::vector<std::uint8_t>(100, 7));
    EXPECT_EQ(Entries(dir.Path()), std::vector<std::filesystem::path>{"old.bmp"});
}

TEST(FileIoTest, SignalDuringTheWriteRemovesTheTemporaryFile)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    test::ScratchDir dir;
    const auto path = dir / "old.bmp";
    test::WriteBytes(path, {9});
    for (const int signal : {SIGINT, SIGTERM}) {
        EXPECT_EXIT(
            WriteFileAtomically(path, std::vector<std::uint8_t>(1 << 20, 1), nullptr, InterruptedOutput(signal)),
            testing::KilledBySignal(signal), "");
        EXPECT_EQ(test::ReadBytes(path), std::vector<std::uint8_t>{9});
        EXPECT_EQ(Entries(dir.Path()), std::vector<std::filesystem::path>{"old.bmp"});
    }
}

TEST(FileIoTest, DanglingLinkHasTheFileItNamesWritten)
{
    test::ScratchDir dir;
    std::filesystem::create_directory(dir / "real");
    std::filesystem::create_symlink("real/new.bmp", dir / "link.bmp");
    std::filesystem::create_symlink("link.bmp", dir / "chain.bmp");
    ASSERT_TRUE(WriteFileAtomically(dir / "chain.bmp", std::vector<std::uint8_t>{4, 5}));
    EXPECT_TRUE(std::filesystem::is_symlink(dir / "link.bmp"));
    EXPECT_TRUE(std::filesystem::is_symlink(dir / "chain.bmp"));
    EXPECT_EQ(test::ReadBytes(dir / "real" / "new.bmp"), (std::vector<std::uint8_t>{4, 5}));
    EXPECT_EQ(Entries(dir / "real"), std::vector<std::filesystem::path>{"new.bmp"});
}

TEST(FileIoTest, FifoIsRefusedAndLeftAlone)
{
    test::ScratchDir dir;
    const auto fifo = dir / "pipe.bmp";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
    std::filesystem::create_symlink("pipe.bmp", dir / "link.bmp");
    for (const char* name : {"pipe.bmp", "link.bmp"}) {
        std::string reason;
        EXPECT_FALSE(WriteFileAtomically(dir / name, std::vector<std::uint8_t>{1}, &reason));
        EXPECT_NE(reason.find("not a regular file"), std::string::npos) << reason;
    }
    EXPECT_TRUE(std::filesystem::is_fifo(fifo));
    EXPECT_FALSE(WriteFileAtomically("/dev/null", std::vector<std::uint8_t>{1}));
    EXPECT_TRUE(std::filesystem::is_character_file("/dev/null"));
    EXPECT_EQ(Entries(dir.Path()), (std::vector<std::filesystem::path>{"link.bmp", "pipe.bmp"}));
}

TEST(FileIoTest, OutputToAFifoIsWrittenInPlaceOnlyWhileSomeoneReads)
{
    test::ScratchDir dir;
    const auto fifo = dir / "pipe.bmp";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
    std::string reason;
    EXPECT_FALSE(WriteOutputFile(fifo, std::vector<std::uint8_t>{1}, &reason));
    EXPECT_EQ(reason, std::strerror(ENXIO));
    const int reader = open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    ASSERT_TRUE(WriteOutputFile(fifo, std::vector<std::uint8_t>{4, 5, 6}, &reason)) << reason;
    std::uint8_t read[8] = {};
    EXPECT_EQ(::read(reader, read, sizeof read), 3);
    EXPECT_EQ(read[2], 6);
    close(reader);
    EXPECT_TRUE(std::filesystem::is_fifo(fifo));
    EXPECT_EQ(Entries(dir.Path()), std::vector<std::filesystem::path>{"pipe.bmp"});
}

TEST(FileIoTest, PipeIsReadUpToItsCap)
{
    Limits limits;
    limits.maxDecodedBytes = 1000; // a cap of 2000 bytes and 1 MiB
    for (const std::size_t size : {std::size_t{5000}, limits.MaxStreamBytes() + 1}) {
        int ends[2];
        ASSERT_EQ(pipe(ends), 0);
        const pid_t writer = fork();
        ASSERT_GE(writer, 0);
        if (writer == 0) {
            close(ends[0]);
            const std::vector<std::uint8_t> bytes(size, 9);
            _exit(write(ends[1], bytes.data(), bytes.size()) == static_cast<ssize_t>(size) ? 0 : 1);
        }
        close(ends[1]);
        // The pipe by name, as /dev/stdin names standard input.
        const auto read = ReadFileBytes("/proc/self/fd/" + std::to_string(ends[0]), limits);
        close(ends[0]);
        int status = 0;
        waitpid(writer, &status, 0);
        if (size == 5000) {
            ASSERT_TRUE(read);
            EXPECT_EQ(read->size(), 5000u);
        } else {
            ASSERT_FALSE(read);
            EXPECT_EQ(read.Failure(), FailureKind::TooLarge);
        }
    }
}

TEST(FileIoTest, NamesUpToTheLongestAFolderTakesSave)
{
    test::ScratchDir dir;
    const std::string ascii = std::string(251, 'x') + ".bmp";
    // Two-byte characters, so that a cut in the middle of one would show.
    std::string accented;
    while (accented.size() < 250)
        accented += "\xC3\xA9";
    accented += ".bmp";
    for (const std::string& name : {ascii, accented}) {
        ASSERT_TRUE(WriteFileAtomically(dir / name, std::vector<std::uint8_t>{1, 2})) << name.size();
        EXPECT_EQ(test::ReadBytes(dir / name), (std::vector<std::uint8_t>{1, 2}));
    }
    EXPECT_EQ(Entries(dir.Path()).size(), 2u);
}

TEST(FileIoTest, RootKeepsTheOwnerAndGroupOfAReplacedFile)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "only root may give a file to another user";
    test::ScratchDir dir;
    const auto path = dir / "theirs.bmp";
    test::WriteBytes(path, {1});
    constexpr uid_t kOtherUser = 4321;
    constexpr gid_t kOtherGroup = 4322;
    ASSERT_EQ(chown(path.c_str(), kOtherUser, kOtherGroup), 0);
    ASSERT_EQ(chmod(path.c_str(), 0640), 0);
    ASSERT_TRUE(WriteFileAtomically(path, std::vector<std::uint8_t>{2, 3}));
    struct stat written {};
    ASSERT_EQ(stat(path.c_str(), &written), 0);
    EXPECT_EQ(written.st_uid, kOtherUser);
    EXPECT_EQ(written.st_gid, kOtherGroup);
    EXPECT_EQ(written.st_mode & 07777, 0640u);
    EXPECT_EQ(test::ReadBytes(path), (std::vector<std::uint8_t>{2, 3}));
}

TEST(FileIoTest, SameFileSeesThroughLinksAndOtherNames)
{
    test::ScratchDir dir;
    test::WriteBytes(dir / "a.bmp", {1});
    test::WriteBytes(dir / "b.bmp", {1});
    std::filesystem::create_symlink("a.bmp", dir / "soft.bmp");
    std::filesystem::create_hard_link(dir / "a.bmp", dir / "hard.bmp");
    EXPECT_TRUE(SameFile(dir / "a.bmp", dir / "soft.bmp"));
    EXPECT_TRUE(SameFile(dir / "a.bmp", dir / "hard.bmp"));
    EXPECT_TRUE(SameFile(dir / "a.bmp", dir.Path() / "." / "a.bmp"));
    EXPECT_FALSE(SameFile(dir / "a.bmp", dir / "b.bmp"));
    EXPECT_FALSE(SameFile(dir / "a.bmp", dir / "missing.bmp"));
}

} // namespace
} // namespace tamr
