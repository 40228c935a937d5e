// Filters and Sharpen Image run on a document as the command line runs them:
// the same pixels as the dialogs give, and the document marked edited.

#include <gtest/gtest.h>

#include "document/DocumentEdits.h"
#include "enhance/FiltersSession.h"
#include "enhance/Sharpen.h"
#include "support/DocumentTestFixture.h"

namespace tamr {
namespace {

class CountingView : public DocumentView {
public:
    void OnUpdate() override { ++updates; }
    int updates = 0;
};

class DocumentEditsTest : public test::DocumentTest {
protected:
    std::unique_ptr<CTamrDoc> OpenColour()
    {
        auto document = Open(Write("photo.bmp", test::ColourBmp(23, 17)));
        EXPECT_TRUE(document);
        return document;
    }

    static std::vector<std::uint8_t> Pixels(const CTamrDoc& document)
    {
        const auto pixels = document.Image()->Pixels();
        return {pixels.begin(), pixels.end()};
    }

    // The working image of a second copy of the same picture, run through the dialog's session.
    template <typename Drive> std::vector<std::uint8_t> ThroughTheDialog(Drive&& drive)
    {
        auto reference = OpenColour();
        ScriptedPrompter quiet;
        auto session = FiltersSession::Open(reference->Image()->WorkingView(), true, quiet);
        EXPECT_TRUE(session);
        drive(*session);
        session->Ok();
        return Pixels(*reference);
    }
};

TEST_F(DocumentEditsTest, FiltersAreFoundByTheirListNames)
{
    EXPECT_EQ(FilterIndexByName("Edge enhance"), 0);
    EXPECT_EQ(FilterIndexByName("Edge enhance+"), 1);
    EXPECT_EQ(FilterIndexByName("smooth"), 4);
    EXPECT_EQ(FilterIndexByName("ANTI-ALIAS"), 8);
    EXPECT_EQ(FilterIndexByName("Negative"), 15);
    EXPECT_FALSE(FilterIndexByName("Blur"));
    EXPECT_FALSE(FilterIndexByName("Smooth "));
}

TEST_F(DocumentEditsTest, FilterAppliesAccumulateAndMarkTheDocumentEdited)
{
    auto document = OpenColour();
    CountingView view;
    document->AddView(view);
    FilterRequest request;
    request.index = *FilterIndexByName("Smooth");
    request.applies = 3;
    ASSERT_TRUE(FilterDocument(*document, prompter_, request));
    EXPECT_EQ(Pixels(*document), ThroughTheDialog([](FiltersSession& session) {
                  session.Select(4);
                  for (int i = 0; i < 3; ++i)
                      session.Apply();
              }));
    EXPECT_TRUE(document->ImageEdited());
    EXPECT_EQ(view.updates, 1);
    EXPECT_FALSE(document->IsModified());
    EXPECT_FALSE(document->OnUpdateFileSave()); // edited and not modified
    EXPECT_TRUE(prompter_.Messages().empty());
    document->RemoveView(view);
}

TEST_F(DocumentEditsTest, TypedTextsReplaceTheDefaults)
{
    auto document = OpenColour();
    FilterRequest request;
    request.index = 0; // Edge enhance
    request.typed[kEditK4] = "12";
    request.typed[kEditDivisor] = "X"; // counts as 1
    ASSERT_TRUE(FilterDocument(*document, prompter_, request));
    EXPECT_EQ(Pixels(*document), ThroughTheDialog([](FiltersSession& session) {
                  session.SetEditText(kEditK4, "12");
                  session.SetEditText(kEditDivisor, "1");
                  session.Apply();
              }));
}

TEST_F(DocumentEditsTest, NoApplyStillMarksTheDocumentEdited)
{
    auto document = OpenColour();
    const auto before = Pixels(*document);
    FilterRequest request;
    request.applies = 0;
    ASSERT_TRUE(FilterDocument(*document, prompter_, request));
    EXPECT_EQ(Pixels(*document), before);
    EXPECT_TRUE(document->ImageEdited());
}

TEST_F(DocumentEditsTest, NothingToFilterLeavesTheDocumentAlone)
{
    auto document = OpenColour();
    FilterRequest request;
    request.index = 16;
    EXPECT_FALSE(FilterDocument(*document, prompter_, request));
    EXPECT_FALSE(document->ImageEdited());
    CTamrDoc empty(environment_);
    EXPECT_FALSE(FilterDocument(empty, prompter_, FilterRequest{}));
    EXPECT_FALSE(SharpenDocument(empty, prompter_, {50, 50, 50}));
    EXPECT_FALSE(empty.ImageEdited());
}

TEST_F(DocumentEditsTest, SharpenBarsDriveTheStoredBytesInOrder)
{
    auto document = OpenColour();
    auto expected = Pixels(*document);
    const CDibImage& image = *document->Image();
    // The top bar ("Red") sharpens byte 0 of a pixel, which holds blue.
    ASSERT_TRUE(SharpenColour(PixelView{expected, image.Width(), image.Height(), image.RowPad()}, 80 * 0.01f,
                              20 * 0.01f, 0.0f));
    ASSERT_TRUE(SharpenDocument(*document, prompter_, {80, 20, 0}));
    EXPECT_EQ(Pixels(*document), expected);
    EXPECT_TRUE(document->ImageEdited());
}

TEST_F(DocumentEditsTest, GraySharpenUsesTheTopBarOnly)
{
    auto document = Open(Write("gray.bmp", test::GrayBmp(19, 11)));
    ASSERT_TRUE(document);
    ASSERT_EQ(document->Image()->IsColour(), 0);
    auto expected = Pixels(*document);
    const CDibImage& image = *document->Image();
    ASSERT_TRUE(SharpenGray(PixelView{expected, image.Width(), image.Height(), image.RowPad()}, 70 * 0.01f));
    ASSERT_TRUE(SharpenDocument(*document, prompter_, {70, 0, 100}));
    EXPECT_EQ(Pixels(*document), expected);
}

TEST_F(DocumentEditsTest, EditsAfterCompressionKeepSaveEnabledAndAreReplacedByTheNextCompression)
{
    auto document = OpenColour();
    ASSERT_TRUE(document->Compress());
    const auto decoded = Pixels(*document);
    ASSERT_TRUE(SharpenDocument(*document, prompter_, {100, 100, 100}));
    EXPECT_NE(Pixels(*document), decoded);
    EXPECT_TRUE(document->OnUpdateFileSave()); // modified by the compression
    ASSERT_TRUE(document->Compress());
    EXPECT_EQ(Pixels(*document), decoded);
    EXPECT_FALSE(document->ImageEdited());
}

} // namespace
} // namespace tamr
