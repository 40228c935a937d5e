// The one list of picture kinds and what is made from it: the desktop entry's
// MIME types, the manual pages, tamr-cli's help and the README's table.

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "image/PictureKinds.h"
#include "support/CliRunner.h"
#include "support/TestSupport.h"

namespace tamr {
namespace {

std::string FileText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

bool Openable(FileType type)
{
    for (const PictureKind* kind : OpenablePictureKinds())
        if (kind->type == type)
            return true;
    return false;
}

// The line of `text` that starts with `start`; empty when there is none.
std::string LineStarting(const std::string& text, const std::string& start)
{
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);)
        if (line.rfind(start, 0) == 0)
            return line;
    return {};
}

TEST(PictureKindsTest, EveryKindHasARowAndTheBuildLeavesOutKindsWithoutTheirLibrary)
{
    for (int value = 1; value <= static_cast<int>(FileType::Jxl); ++value) {
        const PictureKind* kind = FindPictureKind(static_cast<FileType>(value));
        ASSERT_NE(kind, nullptr) << value;
        EXPECT_EQ(std::string(FileTypeName(kind->type)), std::string(kind->name));
        EXPECT_FALSE(kind->openExtensions.empty()) << kind->name;
        EXPECT_FALSE(kind->mimeTypes.empty()) << kind->name;
    }
    const struct {
        FileType type;
        bool built;
    } libraries[] = {
#if defined(TAMR_HAVE_TIFF)
        {FileType::Tiff, true},
#else
        {FileType::Tiff, false},
#endif
#if defined(TAMR_HAVE_WEBPDEMUX)
        {FileType::WebP, true},
#else
        {FileType::WebP, false},
#endif
#if defined(TAMR_HAVE_AVIF)
        {FileType::Avif, true},
#else
        {FileType::Avif, false},
#endif
#if defined(TAMR_HAVE_HEIF)
        {FileType::Heif, true},
#else
        {FileType::Heif, false},
#endif
#if defined(TAMR_HAVE_JXL)
        {FileType::Jxl, true},
#else
        {FileType::Jxl, false},
#endif
    };
    for (const auto& library : libraries)
        EXPECT_EQ(Openable(library.type), library.built) << FileTypeName(library.type);
    for (const FileType type :
         {FileType::Bmp, FileType::Cod, FileType::Tga, FileType::Gif, FileType::Jpeg, FileType::Png, FileType::Pnm})
        EXPECT_TRUE(Openable(type)) << FileTypeName(type);
}

TEST(PictureKindsTest, TheDesktopEntryNamesTheMimeTypesOfEveryKindOpened)
{
    if (std::string(TAMR_DESKTOP_ENTRY).empty())
        GTEST_SKIP() << "no desktop program in this build";
    std::string expected = "MimeType=";
    for (const PictureKind* kind : OpenablePictureKinds())
        for (const std::string_view type : kind->mimeTypes)
            expected += std::string(type) + ';';
    EXPECT_EQ(LineStarting(FileText(TAMR_DESKTOP_ENTRY), "MimeType="), expected);
}

TEST(PictureKindsTest, TheManualPagesListEveryKindOpenedWithItsEndings)
{
    for (const std::string page : {"tamr-cli.1", "tamr.1"}) {
        SCOPED_TRACE(page);
        const std::string text = FileText(std::string(TAMR_MAN_DIR) + "/" + page);
        if (text.empty() && page == "tamr.1")
            continue; // no desktop program in this build
        ASSERT_FALSE(text.empty());
        EXPECT_EQ(text.find("{{"), std::string::npos);
        for (const PictureKind& kind : AllPictureKinds()) {
            const std::string item = "\n.TP\n.B " + std::string(kind.name) + "\n\\&.";
            const std::size_t at = text.find(item);
            EXPECT_EQ(at != std::string::npos, Openable(kind.type)) << kind.name;
            if (at == std::string::npos)
                continue;
            const std::size_t line = at + item.size() - 3;
            const std::string endings = text.substr(line, text.find('\n', line) - line);
            for (const std::string_view extension : AllExtensions(kind))
                EXPECT_NE(endings.find("." + std::string(extension)), std::string::npos) << kind.name << extension;
        }
    }
}

TEST(PictureKindsTest, TamrCliHelpEndsWithEveryKindOpenedAndItsEndings)
{
    test::ScratchDir scratch;
    const auto run = test::RunCli("--help", scratch);
    ASSERT_EQ(run.exitCode, 0);
    const std::string list = run.out.substr(run.out.find("\nPictures"));
    for (const PictureKind& kind : AllPictureKinds()) {
        const std::string line = LineStarting(list, "  " + std::string(kind.name) + " ");
        EXPECT_EQ(!line.empty(), Openable(kind.type)) << kind.name;
        if (line.empty())
            continue;
        for (const std::string_view extension : AllExtensions(kind))
            EXPECT_NE(line.find(" ." + std::string(extension)), std::string::npos) << kind.name << extension;
    }
}

TEST(PictureKindsTest, TheReadmeTableIsTheList)
{
    const std::string readme = FileText(std::string(TAMR_SOURCE_DIR) + "/README.md");
    for (const PictureKind& kind : AllPictureKinds()) {
        const std::string row =
            LineStarting(readme, "| " + std::string(kind.name) + " | " + std::string(kind.openEntry) + " | ");
        ASSERT_FALSE(row.empty()) << kind.name;
        for (const std::string_view extension : AllExtensions(kind))
            EXPECT_NE(row.find("`." + std::string(extension) + "`"), std::string::npos) << kind.name << extension;
        for (const std::string_view type : kind.mimeTypes)
            EXPECT_NE(row.find(" " + std::string(type)), std::string::npos) << kind.name << type;
    }
}

} // namespace
} // namespace tamr
