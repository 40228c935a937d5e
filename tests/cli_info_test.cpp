// tamr-cli info, run as the built program.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "support/BmpTestFiles.h"
#include "support/CliRunner.h"
#include "support/GifTestFiles.h"
#include "support/JpegTestFiles.h"
#include "support/PngTestFiles.h"
#include "support/TestSupport.h"

namespace tamr {
namespace {

using test::CliRun;
using test::Quoted;
using test::RunCli;

CliRun Info(const std::filesystem::path& path, const test::ScratchDir& scratch)
{
    return RunCli("info " + Quoted(path.string()), scratch);
}

// What info says of a picture read by the program's own reader, upright and
// without a colour profile.
const std::string kPlainSource = "reader: tamr\norientation: 1\nprofile: none\nbits per sample: 8\n";

TEST(CliInfoTest, PrintsTheImagesProperties)
{
    test::ScratchDir scratch;
    test::BmpLayout layout;
    layout.width = 3;
    layout.height = 2;
    layout.reserved1 = 4;
    layout.rows = test::RandomRows(3, 2, 3, 1);
    test::WriteBytes(scratch / "colour.bmp", test::BuildBmp(layout));
    const CliRun colour = Info(scratch / "colour.bmp", scratch);
    EXPECT_EQ(colour.exitCode, 0);
    EXPECT_EQ(colour.out,
              "kind: BMP\nwidth: 3\nheight: 2\nbits per pixel: 24\nmode: colour\nreserved: 4\n" + kPlainSource);
    EXPECT_EQ(colour.err, "");

    layout.bits = 8;
    layout.reserved1 = 0;
    layout.table = test::GrayRamp();
    layout.rows = test::RandomRows(3, 2, 1, 2);
    layout.type = kBmpTypeMB;
    test::WriteBytes(scratch / "gray.bmp", test::BuildBmp(layout));
    const CliRun gray = Info(scratch / "gray.bmp", scratch);
    EXPECT_EQ(gray.exitCode, 0);
    EXPECT_EQ(gray.out, "kind: BMP\nwidth: 3\nheight: 2\nbits per pixel: 8\nmode: gray\nreserved: 0\n" + kPlainSource);
}

TEST(CliInfoTest, EightBitColourShowsAs24Bits)
{
    test::ScratchDir scratch;
    test::BmpLayout layout;
    layout.width = 4;
    layout.height = 4;
    layout.bits = 8;
    layout.table = test::ColourPalette(4);
    layout.rows = test::RandomRows(4, 4, 1, 3, 4);
    test::WriteBytes(scratch / "indexed.bmp", test::BuildBmp(layout));
    const CliRun run = Info(scratch / "indexed.bmp", scratch);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_NE(run.out.find("bits per pixel: 24\nmode: colour\n"), std::string::npos) << run.out;
}

TEST(CliInfoTest, ReadsTheBundledSampleImage)
{
    test::ScratchDir scratch;
    const CliRun run = Info(TAMR_SAMPLE_IMAGE, scratch);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out,
              "kind: BMP\nwidth: 512\nheight: 384\nbits per pixel: 24\nmode: colour\nreserved: 0\n" + kPlainSource);
}

// A lossless COD header of a colour picture with no data: a few bytes that
// describe a picture of any size.
std::vector<std::uint8_t> FlatCod(std::uint16_t width, std::uint16_t height)
{
    std::vector<std::uint8_t> file = {'C', 'I', 'S', '3', '.', '0', 0x1A, 0x04, 25, 0, 0, 0, 0, 0, 0, 0};
    for (const std::uint16_t side : {width, height}) {
        file.push_back(static_cast<std::uint8_t>(side & 0xFF));
        file.push_back(static_cast<std::uint8_t>(side >> 8));
    }
    const std::vector<std::uint8_t> rest = {24, 1, 0, 0, 2};
    file.insert(file.end(), rest.begin(), rest.end());
    return file;
}

TEST(CliInfoTest, PicturesBeyondTheDecodeLimitAreRefusedWithHowToRaiseIt)
{
    test::ScratchDir scratch;
    const auto huge = scratch / "huge.cod";
    test::WriteBytes(huge, FlatCod(11000, 11000));
    const CliRun refused = Info(huge, scratch);
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_EQ(refused.err, "Error: file can not be decompressed!!\ntamr-cli: " + huge.string() +
                               " decodes to more than the limit of 256 MiB of picture; raise it with "
                               "--max-megapixels N\n");

    // A million colour pixels is 3 000 000 bytes: one row more is refused, and a raised limit takes it.
    const auto wide = scratch / "wide.cod";
    test::WriteBytes(wide, FlatCod(1000, 1001));
    EXPECT_EQ(RunCli("--max-megapixels 1 info " + Quoted(wide.string()), scratch).exitCode, 1);
    const CliRun raised = RunCli("--max-megapixels 2 info " + Quoted(wide.string()), scratch);
    EXPECT_EQ(raised.exitCode, 0) << raised.err;
    EXPECT_NE(raised.out.find("width: 1000"), std::string::npos) << raised.out;

    // Within the limit, info reads a COD file's header only: 9000 x 9000
    // colour pixels are described within 64 MiB of address space.
    if (test::kAddressSanitizer)
        return;
    const auto large = scratch / "large.cod";
    test::WriteBytes(large, FlatCod(9000, 9000));
    const CliRun described = RunCli("info " + Quoted(large.string()), scratch, "ulimit -v 65536; ");
    EXPECT_EQ(described.exitCode, 0) << described.err;
    EXPECT_NE(described.out.find("width: 9000"), std::string::npos) << described.out;
}

// A file of the given head whose length is `size` bytes, the rest a hole
// that reads as zeros and takes no disk.
void WriteSparse(const std::filesystem::path& path, const std::vector<std::uint8_t>& head, std::uint64_t size)
{
    test::WriteBytes(path, head);
    std::filesystem::resize_file(path, size);
}

void PutLittle(std::vector<std::uint8_t>& bytes, std::uint64_t value, int count)
{
    for (int i = 0; i < count; ++i)
        bytes.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

TEST(CliInfoTest, EveryKindIsDescribedFromItsHeadersAlone)
{
    // 9000 x 9000 colour pixels take 243 MB once decoded; info describes each
    // kind within 64 MiB of data (heap and private mappings; the files
    // themselves are mapped read-only), so it cannot have decoded them.
    if (test::kAddressSanitizer)
        return;
    test::ScratchDir scratch;
    constexpr std::uint32_t kSide = 9000;
    const std::uint64_t rowBytes = kSide * 3;
    std::vector<std::pair<std::string, std::filesystem::path>> files;

    // A valid 1-bit palette PNG of a few kilobytes: every filtered row a
    // filter byte and 1125 bytes of index 0.
    std::vector<std::uint8_t> png = test::PngSignature();
    test::PutChunk(png, "IHDR", test::PngHeaderChunk(kSide, kSide, 1, 3, false));
    test::PutChunk(png, "PLTE", {255, 0, 0, 0, 0, 255});
    test::PutChunk(png, "IDAT", test::Deflate(std::vector<std::uint8_t>(std::size_t{kSide} * (1 + kSide / 8), 0)));
    test::PutChunk(png, "IEND", {});
    files.emplace_back("PNG", scratch / "huge.png");
    test::WriteBytes(files.back().second, png);

    std::vector<std::uint8_t> bmp = {'B', 'M'};
    PutLittle(bmp, 54 + rowBytes * kSide, 4);
    PutLittle(bmp, 0, 4);
    PutLittle(bmp, 54, 4);
    PutLittle(bmp, 40, 4);
    PutLittle(bmp, kSide, 4);
    PutLittle(bmp, kSide, 4);
    PutLittle(bmp, 1, 2);
    PutLittle(bmp, 24, 2);
    PutLittle(bmp, 0, 24);
    files.emplace_back("BMP", scratch / "huge.bmp");
    WriteSparse(files.back().second, bmp, 54 + rowBytes * kSide);

    std::vector<std::uint8_t> tga = {0, 0, 2};
    PutLittle(tga, 0, 9);
    PutLittle(tga, kSide, 2);
    PutLittle(tga, kSide, 2);
    tga.insert(tga.end(), {24, 0});
    files.emplace_back("TGA", scratch / "huge.tga");
    WriteSparse(files.back().second, tga, tga.size() + rowBytes * kSide);

    const std::string pnmHead = "P6\n9000 9000\n255\n";
    files.emplace_back("PNM", scratch / "huge.ppm");
    WriteSparse(files.back().second, std::vector<std::uint8_t>(pnmHead.begin(), pnmHead.end()),
                pnmHead.size() + rowBytes * kSide);

    // Dense LZW codes: enough of them to code every pixel.
    std::vector<std::uint8_t> gif = {'G', 'I', 'F', '8', '9', 'a'};
    PutLittle(gif, kSide, 2);
    PutLittle(gif, kSide, 2);
    gif.insert(gif.end(), {0xF7, 0, 0});
    const auto table = test::ColourTriples(256);
    gif.insert(gif.end(), table.begin(), table.end());
    gif.push_back(',');
    PutLittle(gif, 0, 4);
    PutLittle(gif, kSide, 2);
    PutLittle(gif, kSide, 2);
    gif.insert(gif.end(), {0, 8});
    const auto codes = test::SubBlocks(test::RandomBytes(40000, 7));
    gif.insert(gif.end(), codes.begin(), codes.end());
    gif.push_back(';');
    files.emplace_back("GIF", scratch / "huge.gif");
    test::WriteBytes(files.back().second, gif);

    // A small baseline JPEG whose frame header claims the large size, its
    // scan long enough to be believed.
    auto jpeg = test::MakeJpeg(test::JpegLayout{});
    const std::size_t frame = test::FindMarker(jpeg, 0xC0);
    ASSERT_LT(frame + 9, jpeg.size());
    for (const std::size_t at : {frame + 5, frame + 7}) {
        jpeg[at] = static_cast<std::uint8_t>(kSide >> 8);
        jpeg[at + 1] = static_cast<std::uint8_t>(kSide & 0xFF);
    }
    jpeg.insert(jpeg.end() - 2, 400000, std::uint8_t{0});
    files.emplace_back("JPEG", scratch / "huge.jpg");
    test::WriteBytes(files.back().second, jpeg);

    for (const auto& [kind, path] : files) {
        SCOPED_TRACE(kind);
        const CliRun described = RunCli("info " + Quoted(path.string()), scratch, "ulimit -d 65536; ");
        EXPECT_EQ(described.exitCode, 0) << described.err;
        // The PNG is a 1-bit palette picture.
        EXPECT_EQ(described.out, "kind: " + kind +
                                     "\nwidth: 9000\nheight: 9000\nbits per pixel: 24\nmode: colour\n"
                                     "reserved: 0\nreader: tamr\norientation: 1\nprofile: none\nbits per sample: " +
                                     (kind == "PNG" ? "1" : "8") + "\n");
    }
}

TEST(CliInfoTest, UnreadableFilesExitWithTheMessageOnStderr)
{
    test::ScratchDir scratch;
    test::BmpLayout layout;
    layout.bits = 16;
    test::WriteBytes(scratch / "deep.bmp", test::BuildBmp(layout));
    const CliRun deep = Info(scratch / "deep.bmp", scratch);
    EXPECT_EQ(deep.exitCode, 1);
    EXPECT_EQ(deep.out, "");
    EXPECT_EQ(deep.err, "ERROR: The file is not in a 24 bit or 8 bit mode\n");

    test::WriteBytes(scratch / "notes.txt", {'h', 'e', 'l', 'l', 'o'});
    const CliRun other = Info(scratch / "notes.txt", scratch);
    EXPECT_EQ(other.exitCode, 1);
    EXPECT_EQ(other.err, "Error: There was an error reading the file!!\n");

    const CliRun missing = Info(scratch / "missing.bmp", scratch);
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_NE(missing.err.find("missing.bmp"), std::string::npos) << missing.err;

    const CliRun noFile = RunCli("info", scratch);
    EXPECT_NE(noFile.exitCode, 0);
}

TEST(CliInfoTest, PngAndPnmRefusalsGiveTheReasonOnTheNextLine)
{
    test::ScratchDir scratch;
    test::WriteBytes(scratch / "cut.png", {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0, 0, 13, 'I', 'H'});
    const CliRun cut = Info(scratch / "cut.png", scratch);
    EXPECT_EQ(cut.exitCode, 1);
    EXPECT_EQ(cut.err, "Error: There was an error reading the file!!\nPNG: the file ends before its picture does\n");

    test::WriteBytes(scratch / "plain.pgm", {'P', '2', '\n', '1', ' ', '1', '\n', '9', '\n', '3', '\n'});
    const CliRun plain = Info(scratch / "plain.pgm", scratch);
    EXPECT_EQ(plain.exitCode, 1);
    EXPECT_EQ(plain.err, "Error: There was an error reading the file!!\nPNM: plain (ASCII) P1, P2 and P3 files are "
                         "not read; write the picture as binary P5 or P6\n");

    test::WriteBytes(scratch / "gray.pgm", {'P', '5', ' ', '2', ' ', '1', ' ', '9', ' ', 3, 9});
    const CliRun gray = Info(scratch / "gray.pgm", scratch);
    EXPECT_EQ(gray.exitCode, 0) << gray.err;
    EXPECT_NE(gray.out.find("kind: PNM"), std::string::npos) << gray.out;
    EXPECT_NE(gray.out.find("mode: gray"), std::string::npos) << gray.out;
}

TEST(CliInfoTest, NeverCrashesOnTheCorpus)
{
    if (test::CorpusDir().empty())
        GTEST_SKIP() << "no corpus beside the checkout";
    test::ScratchDir scratch;
    std::size_t loaded = 0;
    // Every BMP file, and every eighth file of the other kinds (each run starts a process).
    std::vector<std::filesystem::path> files = test::CorpusFiles("bmp");
    const auto all = test::CorpusFiles("");
    for (std::size_t i = 0; i < all.size(); i += 8)
        if (all[i].string().find("/bmp/") == std::string::npos)
            files.push_back(all[i]);
    ASSERT_GT(files.size(), 169u);
    for (const auto& path : files) {
        const CliRun run = Info(path, scratch);
        EXPECT_TRUE(run.exitCode == 0 || run.exitCode == 1) << path << " exit " << run.exitCode << "\n" << run.err;
        if (run.exitCode == 0) {
            ++loaded;
            EXPECT_EQ(run.out.rfind("kind: ", 0), 0u) << path;
        } else {
            EXPECT_FALSE(run.err.empty()) << path; // the user is always told why
        }
        // Sanitizer builds report with exit code 1 too: their reports must not appear.
        EXPECT_EQ(run.err.find("Sanitizer"), std::string::npos) << path << "\n" << run.err;
        EXPECT_EQ(run.err.find("runtime error"), std::string::npos) << path << "\n" << run.err;
    }
    EXPECT_GT(loaded, 30u);
}

} // namespace
} // namespace tamr

namespace tamr {
namespace {

// A 16 x 8 JPEG whose Exif block says it is stored turned a quarter (orientation 6).
std::vector<std::uint8_t> JpegStoredOnItsSide(test::JpegKind kind)
{
    test::JpegLayout layout;
    layout.width = 16;
    layout.height = 8;
    layout.kind = kind;
    layout.markers = {{JPEG_APP0 + 1, {'E',  'x',  'i', 'f', 0, 0, 'M', 'M', 0, 42, 0, 0, 0, 8, 0, 1,
                                       0x01, 0x12, 0,   3,   0, 0, 0,   1,   0, 6,  0, 0, 0, 0, 0, 0}}};
    return test::MakeJpeg(layout);
}

TEST(CliInfoTest, GivesTheSizeOfThePictureTurnedUprightAndItsOrientation)
{
    test::ScratchDir scratch;
    test::WriteBytes(scratch / "baseline.jpg", JpegStoredOnItsSide(test::JpegKind::Baseline));
    test::WriteBytes(scratch / "progressive.jpg", JpegStoredOnItsSide(test::JpegKind::Progressive));
    // The headers tell for the baseline file; the progressive one is opened by libjpeg-turbo.
    const CliRun described = Info(scratch / "baseline.jpg", scratch);
    EXPECT_EQ(described.out, "kind: JPEG\nwidth: 8\nheight: 16\nbits per pixel: 24\nmode: colour\nreserved: 0\n"
                             "reader: tamr\norientation: 6\nprofile: none\nbits per sample: 8\n");
    const CliRun opened =
        RunCli("--any-variant info --json " + Quoted((scratch / "progressive.jpg").string()), scratch);
    EXPECT_EQ(opened.exitCode, 0) << opened.err;
    for (const char* line : {"\"width\": 8", "\"height\": 16,", "\"reader\": \"libjpeg-turbo\"", "\"orientation\": 6",
                             "\"profile\": null", "\"bits_per_sample\": 8"})
        EXPECT_NE(opened.out.find(line), std::string::npos) << line << " in " << opened.out;
}

} // namespace
} // namespace tamr
