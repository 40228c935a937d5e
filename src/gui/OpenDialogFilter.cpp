#include "gui/OpenDialogFilter.h"

#include <algorithm>
#include <cctype>
#include <vector>

#include "image/PictureKinds.h"

namespace tamr::qt {
namespace {

struct Entry {
    std::string_view label;
    std::vector<std::string_view> extensions;
};

// The program's own dialog lists its kinds in this order.
constexpr FileType kOwnEntryOrder[] = {FileType::Bmp, FileType::Cod, FileType::Jpeg, FileType::Tga, FileType::Gif};

std::string Upper(std::string_view text)
{
    std::string upper(text);
    std::transform(upper.begin(), upper.end(), upper.begin(), [](unsigned char c) { return std::toupper(c); });
    return upper;
}

// "*.a;*.b" for the description.
std::string Described(const std::vector<std::string_view>& extensions)
{
    std::string text;
    for (const std::string_view extension : extensions)
        text += (text.empty() ? "*." : ";*.") + std::string(extension);
    return text;
}

// "*.a;*.A;*.b;*.B" for the patterns: the names in either case.
std::string Patterns(const std::vector<std::string_view>& extensions)
{
    std::string text;
    for (const std::string_view extension : extensions)
        text += (text.empty() ? "*." : ";*.") + std::string(extension) + ";*." + Upper(extension);
    return text;
}

std::string Field(std::string_view label, const std::vector<std::string_view>& extensions)
{
    return std::string(label) + " (" + Described(extensions) + ")|" + Patterns(extensions) + '|';
}

std::vector<std::string_view> OpenExtensions(const std::vector<const PictureKind*>& kinds)
{
    std::vector<std::string_view> extensions;
    for (const PictureKind* kind : kinds)
        extensions.insert(extensions.end(), kind->openExtensions.begin(), kind->openExtensions.end());
    return extensions;
}

// One entry per kind, the program's own first; kinds next to each other
// that share an entry ("PNG and PNM") are one.
std::vector<Entry> KindEntries()
{
    std::vector<Entry> entries;
    for (const FileType type : kOwnEntryOrder) {
        const PictureKind& kind = *FindPictureKind(type);
        entries.push_back({kind.openEntry, {kind.openExtensions.begin(), kind.openExtensions.end()}});
    }
    for (const PictureKind* kind : OpenablePictureKinds()) {
        if (kind->original)
            continue;
        if (entries.back().label != kind->openEntry)
            entries.push_back({kind->openEntry, {}});
        entries.back().extensions.insert(entries.back().extensions.end(), kind->openExtensions.begin(),
                                         kind->openExtensions.end());
    }
    return entries;
}

std::vector<const PictureKind*> OriginalKinds()
{
    std::vector<const PictureKind*> kinds = OpenablePictureKinds();
    std::erase_if(kinds, [](const PictureKind* kind) { return !kind->original; });
    return kinds;
}

} // namespace

std::string OpenDialogFilterText()
{
    // The first entry keeps the program's own spelling, a ';' after the last pattern.
    std::string text = Field("Common Files", OpenExtensions(OriginalKinds()));
    text.insert(text.size() - 1, ";");
    for (const Entry& entry : KindEntries())
        text += Field(entry.label, entry.extensions);
    text += Field("All pictures", OpenExtensions(OpenablePictureKinds()));
    return text + "All image files (*.*)|*.*; ****||";
}

int AllPicturesFilterIndex()
{
    return 1 + static_cast<int>(KindEntries().size());
}

QStringList OpenDialogExtensions()
{
    QStringList extensions;
    for (const std::string_view extension : OpenExtensions(OpenablePictureKinds()))
        extensions << QString::fromUtf8(extension.data(), static_cast<qsizetype>(extension.size()));
    return extensions;
}

} // namespace tamr::qt
