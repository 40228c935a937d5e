// Every TGA, GIF and JPEG file of the shared corpus either opens as a
// document or fails with at most the system's messages: no crash, no
// sanitizer report (run under the asan preset in CI).

#include <gtest/gtest.h>

#include "app/document/TamrDoc.h"
#include "platform/ScriptedPrompter.h"
#include "support/TestSupport.h"

namespace tamr {
namespace {

void OpenEveryFile(const std::string& folder)
{
    const auto files = test::CorpusFiles(folder);
    if (files.empty())
        GTEST_SKIP() << "no corpus beside the checkout";
    CodecSettings settings;
    DisplaySettings display;
    int opened = 0;
    for (const auto& path : files) {
        ScriptedPrompter prompter;
        DocumentEnvironment environment{settings, display, prompter};
        CTamrDoc document(environment);
        if (document.OnOpenDocument(path)) {
            ++opened;
            ASSERT_NE(document.Image(), nullptr);
            EXPECT_EQ(document.Image()->Pixels().size(), document.Image()->ImageSize()) << path;
            EXPECT_GT(document.Image()->Width(), 0) << path;
        }
        EXPECT_LE(prompter.Messages().size(), 2u) << path;
    }
    EXPECT_GT(opened, 0) << "nothing in " << folder << " opened";
}

TEST(ReaderCorpusTest, TgaFilesOpenOrFailCleanly)
{
    OpenEveryFile("tga");
}

TEST(ReaderCorpusTest, GifFilesOpenOrFailCleanly)
{
    OpenEveryFile("gif");
}

TEST(ReaderCorpusTest, JpegFilesOpenOrFailCleanly)
{
    OpenEveryFile("jpeg");
}

} // namespace
} // namespace tamr
