#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

#include "platform/ByteReader.h"
#include "platform/ByteWriter.h"
#include "platform/Clock.h"
#include "platform/FileIo.h"
#include "support/ScriptedPrompter.h"
#include "support/TestSupport.h"

namespace tamr {
namespace {

TEST(ByteReaderTest, ReadsLittleEndianAndMarksOverrun)
{
    const std::uint8_t bytes[] = {0x34, 0x12, 0x78, 0x56, 0x34, 0x12, 0xFF};
    ByteReader reader(bytes);
    EXPECT_EQ(reader.U16(), 0x1234);
    EXPECT_EQ(reader.U32(), 0x12345678u);
    EXPECT_FALSE(reader.Overran());
    EXPECT_EQ(reader.I8(), -1);
    EXPECT_EQ(reader.U16(), 0); // past the end: zero, and the overrun is remembered
    EXPECT_TRUE(reader.Overran());
}

TEST(ByteReaderTest, PartialFieldAtTheEndReadsAsZeroBytes)
{
    const std::uint8_t bytes[] = {0xAB};
    ByteReader reader(bytes);
    EXPECT_EQ(reader.U16(), 0x00AB);
    EXPECT_TRUE(reader.Overran());
}

TEST(ByteReaderTest, SeekAndTakeStayInsideTheInput)
{
    const std::uint8_t bytes[] = {1, 2, 3, 4};
    ByteReader reader(bytes);
    reader.Seek(2);
    const auto tail = reader.Take(10);
    EXPECT_EQ(tail.size(), 2u);
    EXPECT_EQ(tail[0], 3);
    EXPECT_TRUE(reader.Overran());
    ByteReader other(bytes);
    other.Seek(5);
    EXPECT_TRUE(other.Overran());
    EXPECT_EQ(other.Remaining(), 0u);
}

TEST(ByteWriterTest, WritesLittleEndianAndPatches)
{
    std::vector<std::uint8_t> bytes;
    ByteWriter writer(bytes);
    writer.U16(0);
    writer.U32(0x01020304);
    writer.I16(-2);
    writer.PatchU16(0, 0xBEEF);
    EXPECT_EQ(bytes, (std::vector<std::uint8_t>{0xEF, 0xBE, 4, 3, 2, 1, 0xFE, 0xFF}));
}

TEST(ClockTest, ElapsedSecondsCombinesSecondsAndMilliseconds)
{
    EXPECT_FLOAT_EQ(ElapsedSeconds({10, 900}, {12, 100}), 1.2f);
    EXPECT_FLOAT_EQ(ElapsedSeconds({5, 0}, {5, 0}), 0.0f);
}

TEST(ScriptedPrompterTest, RecordsMessagesAndAnswersFromTheQueue)
{
    ScriptedPrompter prompter;
    prompter.QueueAnswer(MessageAnswer::No);
    EXPECT_EQ(prompter.ShowMessage({"Save?", "", MessageIcon::Question, MessageButtons::YesNo}), MessageAnswer::No);
    EXPECT_EQ(prompter.ShowMessage({"Again?", "", MessageIcon::Question, MessageButtons::YesNoCancel}),
              MessageAnswer::Yes);
    prompter.ShowError("Memory is low", "MEMORY ERROR!");
    ASSERT_EQ(prompter.Messages().size(), 3u);
    EXPECT_EQ(prompter.Messages()[2],
              (Message{"Memory is low", "MEMORY ERROR!", MessageIcon::Error, MessageButtons::Ok}));
}

TEST(FileIoTest, AtomicWriteReplacesTheFileAndReadsBack)
{
    test::ScratchDir dir;
    const auto path = dir / "out.bin";
    ASSERT_TRUE(WriteFileAtomically(path, std::vector<std::uint8_t>{1, 2, 3}));
    ASSERT_TRUE(WriteFileAtomically(path, std::vector<std::uint8_t>{4, 5}));
    const auto bytes = ReadFileBytes(path);
    ASSERT_TRUE(bytes.has_value());
    EXPECT_EQ(*bytes, (std::vector<std::uint8_t>{4, 5}));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), std::filesystem::directory_iterator()), 1);
}

TEST(FileIoTest, FailedWriteLeavesTheOldFile)
{
    test::ScratchDir dir;
    const auto path = dir / "keep.bin";
    ASSERT_TRUE(WriteFileAtomically(path, std::vector<std::uint8_t>{9, 9}));
    std::string reason;
    EXPECT_FALSE(WriteFileAtomically(dir / "missing" / "x.bin", std::vector<std::uint8_t>{1}, &reason));
    EXPECT_FALSE(reason.empty());
    EXPECT_EQ(*ReadFileBytes(path), (std::vector<std::uint8_t>{9, 9}));
    EXPECT_FALSE(ReadFileBytes(dir / "nothing").has_value());
}

// Writes `allowed` bytes, then reports a full disk.
class FullDisk : public FileOutput {
public:
    explicit FullDisk(std::size_t allowed) : allowed_(allowed) {}
    ssize_t Write(int descriptor, const std::uint8_t* data, std::size_t size) const override
    {
        if (allowed_ == 0) {
            errno = ENOSPC;
            return -1;
        }
        const ssize_t result = FileOutput::Write(descriptor, data, std::min(size, allowed_));
        allowed_ -= static_cast<std::size_t>(std::max<ssize_t>(result, 0));
        return result;
    }

private:
    mutable std::size_t allowed_;
};

// A write that makes no progress and reports no error.
class StalledOutput : public FileOutput {
public:
    ssize_t Write(int, const std::uint8_t*, std::size_t) const override { return 0; }
};

std::size_t FileCount(const std::filesystem::path& folder)
{
    return static_cast<std::size_t>(
        std::distance(std::filesystem::directory_iterator(folder), std::filesystem::directory_iterator()));
}

TEST(FileIoTest, WriteErrorPartWayLeavesTheOldFileAndNoTemporary)
{
    test::ScratchDir dir;
    const auto path = dir / "keep.bin";
    const std::vector<std::uint8_t> old(1000, 0x11);
    ASSERT_TRUE(WriteFileAtomically(path, old));
    std::string reason;
    EXPECT_FALSE(WriteFileAtomically(path, std::vector<std::uint8_t>(5000, 0x22), &reason, FullDisk(3000)));
    EXPECT_NE(reason.find("No space left on device"), std::string::npos) << reason;
    EXPECT_EQ(*ReadFileBytes(path), old);
    EXPECT_EQ(FileCount(dir.Path()), 1u);

    EXPECT_FALSE(WriteFileAtomically(path, std::vector<std::uint8_t>(10, 0x33), &reason, StalledOutput()));
    EXPECT_EQ(*ReadFileBytes(path), old);
    EXPECT_EQ(FileCount(dir.Path()), 1u);
}

TEST(FileIoTest, ReplacedFileKeepsItsPermissions)
{
    test::ScratchDir dir;
    const auto path = dir / "private.bin";
    ASSERT_TRUE(WriteFileAtomically(path, std::vector<std::uint8_t>{1}));
    using std::filesystem::perms;
    std::filesystem::permissions(path, perms::owner_read | perms::owner_write);
    ASSERT_TRUE(WriteFileAtomically(path, std::vector<std::uint8_t>{2, 3}));
    EXPECT_EQ(std::filesystem::status(path).permissions() & perms::all, perms::owner_read | perms::owner_write);
    EXPECT_EQ(*ReadFileBytes(path), (std::vector<std::uint8_t>{2, 3}));
}

TEST(FileIoTest, LinkedTargetIsReplacedBehindItsLink)
{
    test::ScratchDir dir;
    std::filesystem::create_directory(dir / "real");
    ASSERT_TRUE(WriteFileAtomically(dir / "real" / "file.bin", std::vector<std::uint8_t>{1}));
    std::filesystem::create_symlink("real/file.bin", dir / "link.bin");
    ASSERT_TRUE(WriteFileAtomically(dir / "link.bin", std::vector<std::uint8_t>{4, 5}));
    EXPECT_TRUE(std::filesystem::is_symlink(dir / "link.bin"));
    EXPECT_EQ(*ReadFileBytes(dir / "real" / "file.bin"), (std::vector<std::uint8_t>{4, 5}));
    EXPECT_EQ(FileCount(dir / "real"), 1u);
}

TEST(FileIoTest, FolderIsNeverReplaced)
{
    test::ScratchDir dir;
    std::filesystem::create_directory(dir / "folder.bmp");
    std::string reason;
    EXPECT_FALSE(WriteFileAtomically(dir / "folder.bmp", std::vector<std::uint8_t>{1}, &reason));
    EXPECT_FALSE(reason.empty());
    EXPECT_TRUE(std::filesystem::is_directory(dir / "folder.bmp"));
    EXPECT_EQ(FileCount(dir.Path()), 1u);
}

TEST(FileIoTest, ReadOnlyFileIsNotReplaced)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "root may write any file";
    test::ScratchDir dir;
    const auto path = dir / "locked.bin";
    ASSERT_TRUE(WriteFileAtomically(path, std::vector<std::uint8_t>{1}));
    std::filesystem::permissions(path, std::filesystem::perms::owner_read);
    EXPECT_FALSE(WriteFileAtomically(path, std::vector<std::uint8_t>{2}));
    EXPECT_EQ(*ReadFileBytes(path), std::vector<std::uint8_t>{1});
}

} // namespace
} // namespace tamr
