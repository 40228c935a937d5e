#include "document/DocumentEdits.h"

#include <algorithm>
#include <cctype>

#include "document/TamrDoc.h"
#include "enhance/FiltersSession.h"
#include "enhance/SharpenSession.h"

namespace tamr {

namespace {

bool SameName(std::string_view a, std::string_view b)
{
    return std::ranges::equal(a, b,
                              [](unsigned char x, unsigned char y) { return std::tolower(x) == std::tolower(y); });
}

// What the view does once either dialog has closed, with OK or Cancel.
void MarkEdited(CTamrDoc& document, std::int32_t imageEdited)
{
    document.SetImageEdited(imageEdited != 0);
    document.UpdateAllViews();
}

} // namespace

std::optional<int> FilterIndexByName(const std::string& name)
{
    const auto filters = FilterList();
    for (std::size_t i = 0; i < filters.size(); ++i)
        if (SameName(filters[i].name, name))
            return static_cast<int>(i);
    return std::nullopt;
}

bool FilterDocument(CTamrDoc& document, Prompter& prompter, const FilterRequest& request)
{
    CDibImage* image = document.Image();
    if (!image || request.index < 0 || static_cast<std::size_t>(request.index) >= kFilterCount)
        return false;
    auto session = FiltersSession::Open(image->WorkingView(), image->IsColour() != 0, prompter);
    if (!session)
        return false;
    session->Select(request.index);
    for (std::size_t edit = 0; edit < kFilterEditCount; ++edit)
        if (request.typed[edit])
            session->SetEditText(static_cast<FilterEdit>(edit), *request.typed[edit]);
    for (int i = 0; i < request.applies; ++i)
        session->Apply();
    MarkEdited(document, session->Ok().imageEdited);
    return true;
}

bool SharpenDocument(CTamrDoc& document, Prompter& prompter, const SharpenPercents& percents)
{
    CDibImage* image = document.Image();
    if (!image)
        return false;
    auto session = SharpenSession::Open(*image, prompter, {});
    if (!session)
        return false;
    // Dragging each thumb to its place; the disabled bars of a gray image take no events.
    const SharpenBar bars[] = {SharpenBar::Top, SharpenBar::Middle, SharpenBar::Bottom};
    for (std::size_t i = 0; i < percents.size(); ++i)
        session->OnHScroll(bars[i], ScrollCode::SB_THUMBTRACK, percents[i]);
    session->Apply();
    MarkEdited(document, session->Finish(SharpenEnding::Ok).imageEdited);
    return true;
}

} // namespace tamr
