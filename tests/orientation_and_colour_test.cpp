// The step after every reader: pictures turned upright as their files say,
// and converted from their embedded colour profiles into sRGB.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "image/BmpHeaders.h"
#include "image/JpegReader.h"
#include "image/OrientationAndColour.h"
#include "image/PackedImageBlock.h"
#include "image/PictureReaderTable.h"
#include "platform/ByteReader.h"
#include "support/JpegTestFiles.h"
#include "support/PngTestFiles.h"
#include "support/TestSupport.h"

#if defined(TAMR_HAVE_LCMS2)
#include <lcms2.h>
#endif
#if defined(TAMR_HAVE_TIFF)
#include <tiffio.h>
#include <unistd.h>

#include <filesystem>
#endif

namespace tamr {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Pixel = std::array<std::uint8_t, 3>; // red, green, blue

// A picture as read: top-down, red-green-blue.
struct Shown {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::vector<Pixel> pixels;
    Pixel At(std::uint32_t x, std::uint32_t y) const { return pixels[std::size_t{y} * width + x]; }
};

Shown ShownOf(const PictureReadResult& result)
{
    Shown shown;
    if (!result.block)
        return shown;
    const ByteBlock& block = *result.block;
    ByteReader reader(block);
    const BitmapInfoHeader header = ReadInfoHeader(reader);
    shown.width = static_cast<std::uint32_t>(header.biWidth);
    shown.height = static_cast<std::uint32_t>(header.biHeight);
    const std::size_t bytesPerPixel = header.biBitCount / 8;
    const std::size_t stride = (shown.width * bytesPerPixel + 3) / 4 * 4;
    const std::size_t rows = PackedRowsOffset(header.biClrUsed);
    for (std::uint32_t y = 0; y < shown.height; ++y)
        for (std::uint32_t x = 0; x < shown.width; ++x) {
            const std::size_t at = rows + (shown.height - 1 - y) * stride + x * bytesPerPixel;
            shown.pixels.push_back(bytesPerPixel == 3 ? Pixel{block[at + 2], block[at + 1], block[at]}
                                                      : Pixel{block[at], block[at], block[at]});
        }
    return shown;
}

PictureReadResult Read(FileType kind, const Bytes& file, bool anyVariant = false)
{
    return ReadPicture(*PictureReaderFor(kind), file, Limits{}, ReadPolicy{anyVariant});
}

bool HasNotice(const PictureReadResult& result, const std::string& notice)
{
    return std::find(result.notices.begin(), result.notices.end(), notice) != result.notices.end();
}

// An Exif block (TIFF data) whose first directory holds the orientation alone.
Bytes ExifWithOrientation(int orientation, bool bigEndian)
{
    auto u16 = [&](Bytes& out, unsigned value) {
        if (bigEndian)
            out.insert(out.end(), {static_cast<std::uint8_t>(value >> 8), static_cast<std::uint8_t>(value)});
        else
            out.insert(out.end(), {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8)});
    };
    auto u32 = [&](Bytes& out, unsigned value) {
        u16(out, bigEndian ? value >> 16 : value & 0xFFFF);
        u16(out, bigEndian ? value & 0xFFFF : value >> 16);
    };
    Bytes exif = bigEndian ? Bytes{'M', 'M'} : Bytes{'I', 'I'};
    u16(exif, 42);
    u32(exif, 8);      // the first directory
    u16(exif, 1);      // one entry:
    u16(exif, 0x0112); // orientation,
    u16(exif, 3);      // SHORT,
    u32(exif, 1);      // one value,
    u16(exif, static_cast<unsigned>(orientation));
    u16(exif, 0);
    u32(exif, 0); // no next directory
    return exif;
}

Bytes App1(const Bytes& exif)
{
    Bytes segment = {'E', 'x', 'i', 'f', 0, 0};
    segment.insert(segment.end(), exif.begin(), exif.end());
    return segment;
}

// Where the pixel shown at (x, y) lies in the stored picture of width × height,
// as Exif describes each orientation: where the stored top row (row 0) and
// left column (column 0) are seen.
std::array<std::uint32_t, 2> StoredPixel(int orientation, std::uint32_t x, std::uint32_t y, std::uint32_t width,
                                         std::uint32_t height)
{
    switch (orientation) {
    case 2: // row 0 at the top, column 0 on the right
        return {width - 1 - x, y};
    case 3: // row 0 at the bottom, column 0 on the right
        return {width - 1 - x, height - 1 - y};
    case 4: // row 0 at the bottom, column 0 on the left
        return {x, height - 1 - y};
    case 5: // row 0 on the left, column 0 at the top
        return {y, x};
    case 6: // row 0 on the right, column 0 at the top
        return {y, height - 1 - x};
    case 7: // row 0 on the right, column 0 at the bottom
        return {width - 1 - y, height - 1 - x};
    case 8: // row 0 on the left, column 0 at the bottom
        return {width - 1 - y, x};
    default:
        return {x, y};
    }
}

void ExpectTurned(const Shown& stored, const Shown& shown, int orientation)
{
    const bool transposed = orientation >= 5;
    ASSERT_EQ(shown.width, transposed ? stored.height : stored.width) << "orientation " << orientation;
    ASSERT_EQ(shown.height, transposed ? stored.width : stored.height) << "orientation " << orientation;
    for (std::uint32_t y = 0; y < shown.height; ++y)
        for (std::uint32_t x = 0; x < shown.width; ++x) {
            const auto [sx, sy] = StoredPixel(orientation, x, y, stored.width, stored.height);
            ASSERT_EQ(shown.At(x, y), stored.At(sx, sy)) << "orientation " << orientation << " at " << x << "," << y;
        }
}

// 5 × 3 pixels of clearly different colours: no turn or mirror maps it onto itself.
test::JpegLayout AsymmetricJpeg(test::JpegKind kind)
{
    test::JpegLayout layout;
    layout.width = 40;
    layout.height = 24;
    layout.kind = kind;
    layout.fullChroma = true;
    layout.quality = 100;
    layout.pixel = [](int x, int y) {
        return test::Rgb{static_cast<std::uint8_t>(x / 8 * 60), static_cast<std::uint8_t>(y / 8 * 120),
                         static_cast<std::uint8_t>(x / 8 == 0 && y / 8 == 0 ? 255 : 0)};
    };
    return layout;
}

#if defined(TAMR_HAVE_LIBEXIF)
TEST(OrientationAndColour, TurnsJpegPicturesOfEveryReaderAsTheirExifOrientationSays)
{
    // Baseline files go through the program's own reader, progressive ones through libjpeg-turbo.
    for (const test::JpegKind kind : {test::JpegKind::Baseline, test::JpegKind::Progressive}) {
        const bool general = kind == test::JpegKind::Progressive;
        test::JpegLayout layout = AsymmetricJpeg(kind);
        const Shown stored = ShownOf(Read(FileType::Jpeg, test::MakeJpeg(layout), general));
        ASSERT_EQ(stored.width, 40u);
        for (int orientation = 1; orientation <= 8; ++orientation) {
            layout.markers = {{JPEG_APP0 + 1, App1(ExifWithOrientation(orientation, orientation % 2 == 0))}};
            const PictureReadResult result = Read(FileType::Jpeg, test::MakeJpeg(layout), general);
            ASSERT_TRUE(result.Ok()) << result.failure;
            EXPECT_EQ(result.reader, general ? "libjpeg-turbo" : kOriginalReaderName);
            ExpectTurned(stored, ShownOf(result), orientation);
            EXPECT_EQ(result.metadata.appliedOrientation, orientation);
            EXPECT_EQ(HasNotice(result, TurnedUprightNotice(orientation)), orientation != 1);
        }
    }
}

TEST(OrientationAndColour, AnOrientationOutsideOneToEightIsIgnoredWithANotice)
{
    test::JpegLayout layout = AsymmetricJpeg(test::JpegKind::Baseline);
    const Shown stored = ShownOf(Read(FileType::Jpeg, test::MakeJpeg(layout)));
    layout.markers = {{JPEG_APP0 + 1, App1(ExifWithOrientation(9, true))}};
    const PictureReadResult result = Read(FileType::Jpeg, test::MakeJpeg(layout));
    ExpectTurned(stored, ShownOf(result), 1);
    EXPECT_TRUE(HasNotice(result, std::string(kBadOrientationNotice)));
}
#endif

TEST(OrientationAndColour, TheOriginalJpegReadersRefusalsAreUnchanged)
{
    // A gray file is refused by the program's own reader as it always was,
    // whatever its headers say of orientation and colour.
    test::JpegLayout layout;
    layout.components = 1;
    layout.markers = {{JPEG_APP0 + 1, App1(ExifWithOrientation(6, true))}};
    const PictureReadResult result = Read(FileType::Jpeg, test::MakeJpeg(layout));
    EXPECT_EQ(result.failureKind, PictureFailure::Unsupported);
    ASSERT_EQ(result.messages.size(), 1u);
    EXPECT_EQ(result.messages[0].text, kJpegNotColourMessage);
    EXPECT_TRUE(result.notices.empty());
}

#if defined(TAMR_HAVE_TIFF) && defined(TAMR_HAVE_LIBEXIF)
Bytes TiffWithOrientation(int orientation)
{
    constexpr std::uint32_t kWidth = 5;
    constexpr std::uint32_t kHeight = 3;
    const auto path = std::filesystem::temp_directory_path() /
                      ("tamr-orientation-" + std::to_string(::getpid()) + "-" + std::to_string(orientation) + ".tif");
    TIFF* tiff = TIFFOpen(path.c_str(), "w");
    TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, kWidth);
    TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, kHeight);
    TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, 3);
    TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
    TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tiff, TIFFTAG_ORIENTATION, orientation);
    for (std::uint32_t y = 0; y < kHeight; ++y) {
        Bytes row;
        for (std::uint32_t x = 0; x < kWidth; ++x)
            row.insert(row.end(), {static_cast<std::uint8_t>(x * 50), static_cast<std::uint8_t>(y * 100), 7});
        TIFFWriteScanline(tiff, row.data(), y, 0);
    }
    TIFFClose(tiff);
    Bytes file = test::ReadBytes(path);
    std::filesystem::remove(path);
    return file;
}

TEST(OrientationAndColour, TurnsTiffPicturesOnceAsTheirOwnTagSays)
{
    const Shown stored = ShownOf(Read(FileType::Tiff, TiffWithOrientation(1)));
    ASSERT_EQ(stored.width, 5u);
    for (int orientation = 2; orientation <= 8; ++orientation) {
        const PictureReadResult result = Read(FileType::Tiff, TiffWithOrientation(orientation));
        ASSERT_TRUE(result.Ok()) << result.failure;
        ExpectTurned(stored, ShownOf(result), orientation);
    }
}
#endif

#if defined(TAMR_HAVE_LCMS2)
struct ProfileCloser {
    void operator()(void* profile) const { cmsCloseProfile(profile); }
};
using Profile = std::unique_ptr<void, ProfileCloser>;

// An RGB profile of Adobe RGB (1998)'s primaries and white, gamma 2.2.
Profile AdobeLikeProfile()
{
    cmsCIExyY white{};
    cmsWhitePointFromTemp(&white, 6504);
    const cmsCIExyYTRIPLE primaries = {{0.64, 0.33, 1}, {0.21, 0.71, 1}, {0.15, 0.06, 1}};
    cmsToneCurve* gamma = cmsBuildGamma(nullptr, 2.2);
    std::array<cmsToneCurve*, 3> curves = {gamma, gamma, gamma};
    Profile profile(cmsCreateRGBProfile(&white, &primaries, curves.data()));
    cmsFreeToneCurve(gamma);
    cmsMLU* description = cmsMLUalloc(nullptr, 1);
    cmsMLUsetASCII(description, "en", "US", "Test Wide RGB");
    cmsWriteTag(profile.get(), cmsSigProfileDescriptionTag, description);
    cmsMLUfree(description);
    return profile;
}

Bytes Saved(const Profile& profile)
{
    cmsUInt32Number size = 0;
    cmsSaveProfileToMem(profile.get(), nullptr, &size);
    Bytes bytes(size);
    cmsSaveProfileToMem(profile.get(), bytes.data(), &size);
    return bytes;
}

// zlib-compressed, as iCCP holds it.
std::vector<std::uint8_t> IccpChunk(const Bytes& profile)
{
    Bytes chunk = {'t', 'e', 's', 't', 0, 0};
    const Bytes packed = test::Deflate(profile);
    chunk.insert(chunk.end(), packed.begin(), packed.end());
    return chunk;
}

// An RGB PNG of many colours, with the chunks given.
test::PngLayout ColourfulPng()
{
    test::PngLayout layout = test::PatternPng(16, 16, 8, 2);
    return layout;
}

TEST(OrientationAndColour, ConvertsAPictureFromItsEmbeddedProfileAsLcmsDoes)
{
    test::PngLayout layout = ColourfulPng();
    const Bytes saved = Saved(AdobeLikeProfile());
    layout.chunks = {{"iCCP", IccpChunk(saved)}};
    const PictureReadResult result = Read(FileType::Png, test::BuildPng(layout));
    ASSERT_TRUE(result.Ok()) << result.failure;

    // lcms2's own conversion of the same samples through the same profile bytes.
    Bytes samples(layout.samples.begin(), layout.samples.end());
    Bytes expected(samples.size());
    const Profile wide(cmsOpenProfileFromMem(saved.data(), static_cast<cmsUInt32Number>(saved.size())));
    const Profile srgb(cmsCreate_sRGBProfile());
    cmsHTRANSFORM transform = cmsCreateTransform(wide.get(), TYPE_RGB_8, srgb.get(), TYPE_RGB_8, INTENT_PERCEPTUAL, 0);
    cmsDoTransform(transform, samples.data(), expected.data(), 16 * 16);
    cmsDeleteTransform(transform);

    const Shown shown = ShownOf(result);
    ASSERT_EQ(shown.pixels.size(), 16u * 16u);
    int moved = 0;
    for (std::size_t i = 0; i < shown.pixels.size(); ++i) {
        const Pixel want = {expected[3 * i], expected[3 * i + 1], expected[3 * i + 2]};
        ASSERT_EQ(shown.pixels[i], want) << "pixel " << i;
        moved += want != Pixel{samples[3 * i], samples[3 * i + 1], samples[3 * i + 2]};
    }
    EXPECT_GT(moved, 100); // the profile is far from sRGB
    EXPECT_TRUE(HasNotice(result, ConvertedColoursNotice("Test Wide RGB")));
    EXPECT_EQ(result.metadata.profileName, "Test Wide RGB");
}

TEST(OrientationAndColour, ReadsAProfileSplitOverSeveralJpegSegments)
{
    test::JpegLayout layout = AsymmetricJpeg(test::JpegKind::Baseline);
    const Shown plain = ShownOf(Read(FileType::Jpeg, test::MakeJpeg(layout)));
    const Bytes profile = Saved(AdobeLikeProfile());
    const std::size_t half = profile.size() / 2;
    const std::array<Bytes, 2> parts = {Bytes(profile.begin(), profile.begin() + static_cast<std::ptrdiff_t>(half)),
                                        Bytes(profile.begin() + static_cast<std::ptrdiff_t>(half), profile.end())};
    // Written second part first: the parts' numbers give their order.
    for (int part : {2, 1}) {
        Bytes segment = {'I', 'C', 'C', '_', 'P', 'R', 'O', 'F', 'I', 'L', 'E', 0, static_cast<std::uint8_t>(part), 2};
        segment.insert(segment.end(), parts[static_cast<std::size_t>(part - 1)].begin(),
                       parts[static_cast<std::size_t>(part - 1)].end());
        layout.markers.emplace_back(JPEG_APP0 + 2, segment);
    }
    const PictureReadResult result = Read(FileType::Jpeg, test::MakeJpeg(layout));
    ASSERT_TRUE(result.Ok()) << result.failure;
    EXPECT_TRUE(HasNotice(result, ConvertedColoursNotice("Test Wide RGB")));
    const Shown shown = ShownOf(result);
    ASSERT_EQ(shown.width, plain.width);
    EXPECT_NE(shown.pixels, plain.pixels);
}

TEST(OrientationAndColour, LeavesAnSrgbTaggedPictureAsItWas)
{
    test::PngLayout layout = ColourfulPng();
    const Shown plain = ShownOf(Read(FileType::Png, test::BuildPng(layout)));
    layout.chunks = {{"iCCP", IccpChunk(Saved(Profile(cmsCreate_sRGBProfile())))}};
    const PictureReadResult result = Read(FileType::Png, test::BuildPng(layout));
    EXPECT_EQ(ShownOf(result).pixels, plain.pixels);
    EXPECT_EQ(result.notices, std::vector<std::string>{});
    EXPECT_FALSE(result.metadata.profileName.empty());
}

TEST(OrientationAndColour, ConvertsAGrayPictureThroughItsGrayProfile)
{
    test::PngLayout layout;
    layout.width = 2;
    layout.height = 1;
    layout.colourType = 0;
    layout.samples = {128, 255};
    cmsToneCurve* linear = cmsBuildGamma(nullptr, 1.0);
    const Profile gray(cmsCreateGrayProfile(cmsD50_xyY(), linear));
    cmsFreeToneCurve(linear);
    layout.chunks = {{"iCCP", IccpChunk(Saved(gray))}};
    const Shown shown = ShownOf(Read(FileType::Png, test::BuildPng(layout)));
    ASSERT_EQ(shown.pixels.size(), 2u);
    // Half the light is level 188 on sRGB's curve; white stays white.
    EXPECT_NEAR(shown.pixels[0][0], 188, 1);
    EXPECT_EQ(shown.pixels[1][0], 255);
}

TEST(OrientationAndColour, ADamagedProfileIsIgnoredWithANotice)
{
    test::PngLayout layout = ColourfulPng();
    const Shown plain = ShownOf(Read(FileType::Png, test::BuildPng(layout)));
    Bytes profile = Saved(AdobeLikeProfile());
    profile.resize(profile.size() / 3); // its tags point past its end
    layout.chunks = {{"iCCP", IccpChunk(profile)}};
    const PictureReadResult result = Read(FileType::Png, test::BuildPng(layout));
    ASSERT_TRUE(result.Ok()) << result.failure;
    EXPECT_EQ(ShownOf(result).pixels, plain.pixels);
    EXPECT_TRUE(HasNotice(result, std::string(kDamagedProfileNotice)));
}

TEST(OrientationAndColour, AProfileOfAnUnknownColourSpaceDoesNotFit)
{
    test::PngLayout layout = ColourfulPng();
    const Shown plain = ShownOf(Read(FileType::Png, test::BuildPng(layout)));
    Bytes profile = Saved(AdobeLikeProfile());
    // The header's colour space field, filled with a value no enumeration has.
    const std::array<std::uint8_t, 4> unknown = {0xd3, 0x2d, 0x4b, 0x63};
    std::copy(unknown.begin(), unknown.end(), profile.begin() + 16);
    layout.chunks = {{"iCCP", IccpChunk(profile)}};
    const PictureReadResult result = Read(FileType::Png, test::BuildPng(layout));
    ASSERT_TRUE(result.Ok()) << result.failure;
    EXPECT_EQ(ShownOf(result).pixels, plain.pixels);
    EXPECT_TRUE(std::any_of(result.notices.begin(), result.notices.end(), [](const std::string& notice) {
        return notice.find("does not fit the picture's colours") != std::string::npos;
    })) << testing::PrintToString(result.notices);
}
#endif

} // namespace
} // namespace tamr
