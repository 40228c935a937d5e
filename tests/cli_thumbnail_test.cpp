// tamr-cli thumbnail, run as the built program: what the file managers' thumbnailer runs.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "support/BmpTestFiles.h"
#include "support/CliRunner.h"
#include "support/TestSupport.h"

namespace tamr {
namespace {

using test::CliRun;
using test::Quoted;
using test::RunCli;

std::uint32_t BigEndian(const std::vector<std::uint8_t>& bytes, std::size_t at)
{
    return std::uint32_t{bytes[at]} << 24 | std::uint32_t{bytes[at + 1]} << 16 | std::uint32_t{bytes[at + 2]} << 8 |
           bytes[at + 3];
}

TEST(CliThumbnailTest, WritesASmallPngOfACodFile)
{
    test::ScratchDir scratch;
    test::BmpLayout layout;
    layout.width = 300;
    layout.height = 200;
    layout.rows = test::RandomBytes(300 * 200 * 3, 7);
    test::WriteBytes(scratch / "photo.bmp", test::BuildBmp(layout));
    const std::string cod = Quoted((scratch / "photo.cod").string());
    ASSERT_EQ(RunCli("compress " + Quoted((scratch / "photo.bmp").string()) + " " + cod, scratch).exitCode, 0);

    const CliRun run =
        RunCli("thumbnail " + cod + " " + Quoted((scratch / "small.png").string()) + " --size 64", scratch);
    EXPECT_EQ(run.exitCode, 0) << run.err;
    const auto png = test::ReadBytes(scratch / "small.png");
    ASSERT_GT(png.size(), 24u);
    EXPECT_EQ(png[1], 'P');
    // Blocks of 5 x 5 pixels: the longer side 60, within 64.
    EXPECT_EQ(BigEndian(png, 16), 60u);
    EXPECT_EQ(BigEndian(png, 20), 40u);
}

TEST(CliThumbnailTest, AFileThatIsNoPictureWritesNothing)
{
    test::ScratchDir scratch;
    test::WriteBytes(scratch / "notes.cod", std::vector<std::uint8_t>{'n', 'o', 't', 'e', 's'});
    const CliRun run =
        RunCli("thumbnail " + Quoted((scratch / "notes.cod").string()) + " " + Quoted((scratch / "small.png").string()),
               scratch);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("cannot be opened as a picture"), std::string::npos) << run.err;
    EXPECT_FALSE(std::filesystem::exists(scratch / "small.png"));
}

} // namespace
} // namespace tamr
