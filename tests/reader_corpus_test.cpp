// Every file of the shared corpus's BMP, TGA, GIF and JPEG folders (PNG renderings among them) either opens
// as a document or fails with the system's messages: no crash, no hang, no
// sanitizer report (run under the asan preset in CI), no silent failure.

#include <gtest/gtest.h>

#include <iostream>
#include <set>

#include "document/TamrDoc.h"
#include "support/ScriptedPrompter.h"
#include "support/TestSupport.h"

namespace tamr {
namespace {

// Every text the document and the readers tell the user when an open fails.
const std::set<std::string> kOpenFailures = {
    "There was an error reading the file!!",
    "file can not be decompressed!!",
    "The file is not in a 24 bit or 8 bit mode",
    "TAMR does not support compressed format of bitmap",
    "Memory is low",
    "The width and height of the image must be 1 to 65535 pixels",
    "The image is too large to be held in memory",
    "The file ends inside its bitmap header",
    "The bitmap header is of an unknown kind",
    "The file ends long before the end of its picture",
    "Compressed TGA not supported.",
    "Two and four bit GIF files are not supported.",
    "Progressive JPEG not supported.",
    "Only 24 bit JPEG's are supported.",
    "Memory low",
};

void OpenEveryFile(const std::string& folder)
{
    const auto files = test::CorpusFiles(folder);
    if (files.empty())
        GTEST_SKIP() << "no corpus beside the checkout";
    CodecSettings settings;
    DisplaySettings display;
    int opened = 0;
    for (const auto& path : files) {
        SCOPED_TRACE(path.string());
        ScriptedPrompter prompter;
        DocumentEnvironment environment{settings, display, prompter};
        CTamrDoc document(environment);
        if (document.OnOpenDocument(path)) {
            ++opened;
            // An opened picture may bring a notice (transparency shown over
            // white), never an error or a question.
            for (const Message& message : prompter.Messages())
                EXPECT_EQ(message.icon, MessageIcon::Information) << message.text;
            ASSERT_NE(document.Image(), nullptr);
            const CDibImage& image = *document.Image();
            EXPECT_EQ(image.Pixels().size(), image.ImageSize());
            EXPECT_GT(image.Width(), 0);
            EXPECT_EQ(image.IsColour(), image.BitsPerPixel() == 24 ? 1 : 0);
            ASSERT_NE(document.Codec(), nullptr);
            continue;
        }
        // A failed open always says why: the reader's message, the document's, or both.
        ASSERT_GE(prompter.Messages().size(), 1u);
        ASSERT_LE(prompter.Messages().size(), 2u);
        for (const Message& message : prompter.Messages()) {
            EXPECT_TRUE(kOpenFailures.count(message.text)) << message.text;
            EXPECT_EQ(message.icon, MessageIcon::Error);
            EXPECT_EQ(message.buttons, MessageButtons::Ok);
        }
    }
    std::cout << folder << ": " << opened << " of " << files.size() << " files open\n";
    EXPECT_GT(opened, 0) << "nothing in " << folder << " opened";
}

TEST(ReaderCorpusTest, BmpFilesOpenOrFailWithAMessage)
{
    OpenEveryFile("bmp");
}

TEST(ReaderCorpusTest, TgaFilesOpenOrFailWithAMessage)
{
    OpenEveryFile("tga");
}

TEST(ReaderCorpusTest, GifFilesOpenOrFailWithAMessage)
{
    OpenEveryFile("gif");
}

TEST(ReaderCorpusTest, JpegFilesOpenOrFailWithAMessage)
{
    OpenEveryFile("jpeg");
}

} // namespace
} // namespace tamr
