#include "image/ColourProfile.h"

#include <lcms2.h>
#include <lcms2_plugin.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <type_traits>
#include <vector>

namespace tamr {
namespace {

// What lcms2 may allocate for one profile and its transform together. A
// hostile profile can declare colour tables of gigabytes in a few bytes;
// the honest ones need a few megabytes at most.
constexpr std::size_t kColourMemoryBytes = std::size_t{64} << 20;
// A description longer than this is cut: it is shown in a status bar.
constexpr std::size_t kMostDescriptionChars = 80;

struct MemoryBudget {
    std::size_t left = kColourMemoryBytes;
};

// Each block starts with its size, so that freeing it gives it back to the budget.
struct alignas(std::max_align_t) BlockHead {
    std::size_t size = 0;
    bool counted = false;
};

// The budget of the context; none while lcms2 makes or ends the context
// itself (it allocates that record under a stand-in context).
MemoryBudget* BudgetOf(cmsContext context)
{
    return static_cast<MemoryBudget*>(cmsGetContextUserData(context));
}

void* BudgetedMalloc(cmsContext context, cmsUInt32Number size)
{
    MemoryBudget* budget = BudgetOf(context);
    if (budget != nullptr && size > budget->left)
        return nullptr;
    // lcms2 frees what it is given through BudgetedFree: a C allocator pair.
    void* raw = std::malloc(sizeof(BlockHead) + size); // NOLINT(cppcoreguidelines-no-malloc)
    if (raw == nullptr)
        return nullptr;
    auto* head = static_cast<BlockHead*>(raw);
    head->size = size;
    head->counted = budget != nullptr;
    if (budget != nullptr)
        budget->left -= size;
    return head + 1;
}

void BudgetedFree(cmsContext context, void* pointer)
{
    if (pointer == nullptr)
        return;
    BlockHead* head = static_cast<BlockHead*>(pointer) - 1;
    if (MemoryBudget* budget = BudgetOf(context); budget != nullptr && head->counted)
        budget->left += head->size;
    std::free(head); // NOLINT(cppcoreguidelines-no-malloc)
}

void* BudgetedRealloc(cmsContext context, void* pointer, cmsUInt32Number size)
{
    void* moved = BudgetedMalloc(context, size);
    if (moved == nullptr || pointer == nullptr)
        return moved;
    const BlockHead* head = static_cast<BlockHead*>(pointer) - 1;
    std::memcpy(moved, pointer, std::min<std::size_t>(head->size, size));
    BudgetedFree(context, pointer);
    return moved;
}

struct ContextDeleter {
    void operator()(cmsContext context) const { cmsDeleteContext(context); }
};
struct ProfileDeleter {
    void operator()(void* profile) const { cmsCloseProfile(profile); }
};
struct TransformDeleter {
    void operator()(void* transform) const { cmsDeleteTransform(transform); }
};
using ContextHandle = std::unique_ptr<std::remove_pointer_t<cmsContext>, ContextDeleter>;
using ProfileHandle = std::unique_ptr<void, ProfileDeleter>;
using TransformHandle = std::unique_ptr<void, TransformDeleter>;

// A context of lcms2 whose allocations stay within `budget`.
ContextHandle BudgetedContext(MemoryBudget& budget)
{
    cmsPluginMemHandler handler{};
    handler.base.Magic = cmsPluginMagicNumber;
    handler.base.ExpectedVersion = 2000;
    handler.base.Type = cmsPluginMemHandlerSig;
    handler.MallocPtr = &BudgetedMalloc;
    handler.FreePtr = &BudgetedFree;
    handler.ReallocPtr = &BudgetedRealloc;
    return ContextHandle(cmsCreateContext(&handler, &budget));
}

ProfileHandle OpenProfile(cmsContext context, std::span<const std::uint8_t> bytes)
{
    if (bytes.empty() || bytes.size() > kMostProfileBytes)
        return nullptr;
    return ProfileHandle(cmsOpenProfileFromMemTHR(context, bytes.data(), static_cast<cmsUInt32Number>(bytes.size())));
}

std::string DescriptionOf(cmsHPROFILE profile)
{
    std::array<char, 256> text{};
    cmsGetProfileInfoASCII(profile, cmsInfoDescription, "en", "US", text.data(),
                           static_cast<cmsUInt32Number>(text.size()));
    std::string description;
    for (const char c : text) {
        if (c == '\0' || description.size() == kMostDescriptionChars)
            break;
        description.push_back(c >= ' ' && c <= '~' ? c : '?');
    }
    while (!description.empty() && description.back() == ' ')
        description.pop_back();
    return description;
}

// sRGB's own curve, for a gray picture's target.
ProfileHandle SrgbGrayProfile(cmsContext context)
{
    const std::array<cmsFloat64Number, 5> srgbCurve = {2.4, 1 / 1.055, 0.055 / 1.055, 1 / 12.92, 0.04045};
    std::unique_ptr<cmsToneCurve, decltype(&cmsFreeToneCurve)> curve(
        cmsBuildParametricToneCurve(context, 4, srgbCurve.data()), &cmsFreeToneCurve);
    if (!curve)
        return nullptr;
    return ProfileHandle(cmsCreateGrayProfileTHR(context, cmsD50_xyY(), curve.get()));
}

// lcms2 computes a table of the conversion for 8-bit samples; the finer one
// follows table-based profiles (XYB, printer profiles) more closely and
// changes nothing for the matrix profiles of cameras and working spaces.
TransformHandle MakeTransform(cmsContext context, cmsHPROFILE source, cmsUInt32Number inFormat, cmsHPROFILE target,
                              cmsUInt32Number outFormat)
{
    if (target == nullptr)
        return nullptr;
    return TransformHandle(cmsCreateTransformTHR(context, source, inFormat, target, outFormat, INTENT_PERCEPTUAL,
                                                 cmsFLAGS_HIGHRESPRECALC));
}

// The samples that decide whether a profile moves anything: a grid of
// colours, every gray and every level of each primary, blue-green-red.
std::vector<std::uint8_t> ProbeColours()
{
    std::vector<std::uint8_t> colours;
    for (int b = 0; b < 256; b += 17)
        for (int g = 0; g < 256; g += 17)
            for (int r = 0; r < 256; r += 17)
                colours.insert(colours.end(), {static_cast<std::uint8_t>(b), static_cast<std::uint8_t>(g),
                                               static_cast<std::uint8_t>(r)});
    for (int level = 0; level < 256; ++level) {
        const auto v = static_cast<std::uint8_t>(level);
        colours.insert(colours.end(), {v, v, v, v, 0, 0, 0, v, 0, 0, 0, v});
    }
    return colours;
}

bool WithinALevel(std::span<const std::uint8_t> before, std::span<const std::uint8_t> after)
{
    for (std::size_t i = 0; i < before.size(); ++i)
        if (std::abs(int{before[i]} - int{after[i]}) > 1)
            return false;
    return true;
}

// A 256-level table applied to every sample of a gray picture.
ProfileOutcome ApplyLevels(const std::array<std::uint8_t, 256>& levels, PackedBlockView& picture)
{
    std::array<std::uint8_t, 256> identity{};
    for (std::size_t i = 0; i < identity.size(); ++i)
        identity[i] = static_cast<std::uint8_t>(i);
    if (WithinALevel(identity, levels))
        return ProfileOutcome::AlreadySrgb;
    for (std::uint32_t y = 0; y < picture.Height(); ++y)
        for (std::uint8_t& sample : picture.Row(y))
            sample = levels[sample];
    return ProfileOutcome::Converted;
}

ProfileOutcome ConvertColour(cmsContext context, cmsHPROFILE source, PackedBlockView& picture)
{
    const ProfileHandle srgb(cmsCreate_sRGBProfileTHR(context));
    const TransformHandle transform = MakeTransform(context, source, TYPE_BGR_8, srgb.get(), TYPE_BGR_8);
    if (!transform)
        return ProfileOutcome::Damaged;
    const std::vector<std::uint8_t> probe = ProbeColours();
    std::vector<std::uint8_t> probed(probe.size());
    cmsDoTransform(transform.get(), probe.data(), probed.data(), static_cast<cmsUInt32Number>(probe.size() / 3));
    if (WithinALevel(probe, probed))
        return ProfileOutcome::AlreadySrgb;
    std::vector<std::uint8_t> original;
    if (!TryResize(original, std::size_t{picture.Width()} * 3))
        return ProfileOutcome::Damaged;
    for (std::uint32_t y = 0; y < picture.Height(); ++y) {
        const std::span<std::uint8_t> row = picture.Row(y);
        std::copy(row.begin(), row.end(), original.begin());
        cmsDoTransform(transform.get(), original.data(), row.data(), picture.Width());
    }
    return ProfileOutcome::Converted;
}

ProfileOutcome ConvertGray(cmsContext context, cmsHPROFILE source, PackedBlockView& picture)
{
    const ProfileHandle target = SrgbGrayProfile(context);
    const TransformHandle transform = MakeTransform(context, source, TYPE_GRAY_8, target.get(), TYPE_GRAY_8);
    if (!transform)
        return ProfileOutcome::Damaged;
    std::array<std::uint8_t, 256> levels{};
    for (std::size_t i = 0; i < levels.size(); ++i)
        levels[i] = static_cast<std::uint8_t>(i);
    const std::array<std::uint8_t, 256> input = levels;
    cmsDoTransform(transform.get(), input.data(), levels.data(), 256);
    return ApplyLevels(levels, picture);
}

// A colour profile on a picture whose pixels are all gray: each level as its
// gray colour converts, the mean of the three samples.
ProfileOutcome ConvertGrayThroughColour(cmsContext context, cmsHPROFILE source, PackedBlockView& picture)
{
    const ProfileHandle srgb(cmsCreate_sRGBProfileTHR(context));
    const TransformHandle transform = MakeTransform(context, source, TYPE_RGB_8, srgb.get(), TYPE_RGB_8);
    if (!transform)
        return ProfileOutcome::Damaged;
    std::array<std::uint8_t, 3 * 256> grays{};
    for (std::size_t i = 0; i < grays.size(); ++i)
        grays[i] = static_cast<std::uint8_t>(i / 3);
    std::array<std::uint8_t, 3 * 256> converted{};
    cmsDoTransform(transform.get(), grays.data(), converted.data(), 256);
    std::array<std::uint8_t, 256> levels{};
    for (std::size_t i = 0; i < levels.size(); ++i)
        levels[i] = static_cast<std::uint8_t>((converted[3 * i] + converted[3 * i + 1] + converted[3 * i + 2] + 1) / 3);
    return ApplyLevels(levels, picture);
}

} // namespace

bool CanConvertColours()
{
    return true;
}

std::optional<std::string> ProfileDescription(std::span<const std::uint8_t> profile)
{
    MemoryBudget budget;
    const ContextHandle context = BudgetedContext(budget);
    if (!context)
        return std::nullopt;
    const ProfileHandle source = OpenProfile(context.get(), profile);
    if (!source)
        return std::nullopt;
    return DescriptionOf(source.get());
}

ProfileResult ConvertToSrgb(std::span<const std::uint8_t> profile, PackedBlockView& picture)
{
    if (profile.size() > kMostProfileBytes)
        return {ProfileOutcome::TooLarge, {}};
    MemoryBudget budget;
    const ContextHandle context = BudgetedContext(budget);
    if (!context)
        return {ProfileOutcome::Damaged, {}};
    // Every profile starts with a 128-byte header.
    const ProfileHandle source = profile.size() >= 128 ? OpenProfile(context.get(), profile) : nullptr;
    if (!source)
        return {ProfileOutcome::Damaged, {}};
    ProfileResult result{ProfileOutcome::DoesNotFit, DescriptionOf(source.get())};
    // Read from the header's bytes (the profile opened, so they are there):
    // lcms2 hands the field back as an enumeration that a damaged file can
    // fill with a value the enumeration does not have.
    const std::uint32_t space = std::uint32_t{profile[16]} << 24 | std::uint32_t{profile[17]} << 16 |
                                std::uint32_t{profile[18]} << 8 | profile[19];
    constexpr auto kRgb = static_cast<std::uint32_t>(cmsSigRgbData);
    constexpr auto kGray = static_cast<std::uint32_t>(cmsSigGrayData);
    if (space == kRgb && picture.Colour())
        result.outcome = ConvertColour(context.get(), source.get(), picture);
    else if (space == kGray && picture.GrayRamp())
        result.outcome = ConvertGray(context.get(), source.get(), picture);
    else if (space == kRgb && picture.GrayRamp())
        result.outcome = ConvertGrayThroughColour(context.get(), source.get(), picture);
    return result;
}

} // namespace tamr
