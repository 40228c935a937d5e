#include "codec/WaveletCodec.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>

#include "platform/ByteBlock.h"
#include "platform/CheckedSize.h"

namespace tamr {

WaveletCodec::WaveletCodec(const CodecSettings& settings) : fileMagic_(settings.fileMagic)
{
    Configure(settings);
}

WaveletCodec::WaveletCodec(const CodecSettings& settings, int width, int height, int bitsPerPixel, bool colour)
    : bitsPerPixel_(bitsPerPixel), width_(width), height_(height), colour_(colour), fileMagic_(settings.fileMagic)
{
    dataSize_ =
        static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * static_cast<std::size_t>(bitsPerPixel / 8);
    Configure(settings);
}

int WaveletCodec::Padded(int size, int levels)
{
    const int block = 1 << levels;
    return size + ((block - size % block) % block);
}

int WaveletCodec::LevelsForSize(int width, int height, int requested)
{
    int levels = std::clamp(requested, 1, kMaxTotalLevels);
    // A padded side of at least 2^(L+1) is the same as a side longer than 2^L.
    while (levels > 1 && (width <= (1 << levels) || height <= (1 << levels)))
        --levels;
    return levels;
}

void WaveletCodec::Configure(const CodecSettings& settings)
{
    threads_ = ResolveThreadCount(settings.threads);
    totalLevels_ = LevelsForSize(width_, height_, settings.totalLevels);
    for (std::size_t c = 0; c < components_.size(); ++c) {
        ComponentSettings component = settings.component(c);
        // Discarding more levels than the image has means coding the low-pass band only.
        component.discardLevels = static_cast<std::int16_t>(std::clamp<int>(component.discardLevels, 0, totalLevels_));
        components_[c].ConfigureForEncoding(component, totalLevels_);
    }
}

void WaveletCodec::ComputePaddedSize()
{
    paddedWidth_ = Padded(width_, totalLevels_);
    paddedHeight_ = Padded(height_, totalLevels_);
}

Status WaveletCodec::PrepareEncode(const CodecSettings& settings, PlaneAllocation allocation)
{
    Configure(settings);
    ComputePaddedSize();
    // The picture was read within the limits; its padded planes are held to them too.
    const Limits limits;
    if ((CheckedSize(paddedWidth_) * paddedHeight_).Exceeds(limits.maxPlaneSamples))
        return FailureKind::TooLarge;
    for (int c = 0; c < ComponentCount(); ++c) {
        const auto index = static_cast<std::size_t>(c);
        const int sample = std::clamp<int>(settings.component(index).sampleLevels, 0, 1);
        components_[index].ShapeForEncoding(paddedWidth_, paddedHeight_, totalLevels_, sample);
        if (allocation == PlaneAllocation::Now && !components_[index].AllocatePlane(!colour_))
            return FailureKind::OutOfMemory;
    }
    Release(data_);
    // The uncompressed size, plus room for the fixed cost of every subband
    // (header, the shortest stream, end marker), which would otherwise make
    // tiny images fail. The limit never changes a coded byte.
    constexpr std::size_t kSubbandOverhead = 6 + 2 + 3;
    const std::size_t subbands = static_cast<std::size_t>(ComponentCount()) * (3 * totalLevels_ + 1);
    const auto capacity = (CheckedSize(bitsPerPixel_ / 8) * paddedWidth_ * paddedHeight_ + subbands * kSubbandOverhead)
                              .Within(limits.maxBlockBytes);
    if (!capacity)
        return FailureKind::TooLarge;
    capacity_ = *capacity;
    return {};
}

std::span<std::uint8_t> WaveletCodec::DataBuffer()
{
    // Lossless streams of noise come out longer than the pixels: the coder
    // shifts out at most 16 bits per symbol (the end symbol included), then
    // 16 termination bits and a partial byte; one stream per byte of a pixel.
    constexpr std::size_t kStreamEnd = 2 + 2 + 1;
    const auto bytesPerPixel = static_cast<std::size_t>(bitsPerPixel_ / 8);
    const std::size_t pixels = static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_);
    const std::size_t size = std::max(capacity_, bytesPerPixel * (2 * pixels + kStreamEnd));
    if (data_.size() < size)
        (void)TryResizeUninitialised(data_, size);
    return data_;
}

namespace {

// One component's coded levels in a buffer of its own. The buffer is not
// cleared: only the pages the coder writes are ever touched.
struct CodedComponent {
    std::unique_ptr<std::uint8_t[]> bytes;
    std::array<std::size_t, CodecComponent::kLevelSlots + 1> levelEnd{};
    bool coded = false;
};

} // namespace

// Components coded at once may hold up to this many bytes of planes together;
// beyond it they are coded one after another, so that a large picture costs
// one component's planes rather than three (fewer threads, not more memory).
constexpr std::size_t kParallelPlaneBudget = std::size_t{24} << 20;

Status WaveletCodec::EncodeAll(const PlaneFiller& fill)
{
    codingMethod_ = CodingMethod::Wavelet;
    const auto count = static_cast<std::size_t>(ComponentCount());
    // The planes of every component: the floats of the low-pass quadrant
    // (a whole float plane without a filler) and the symbols.
    std::size_t planeBytes = 0;
    for (std::size_t c = 0; c < count; ++c)
        planeBytes += static_cast<std::size_t>(components_[c].Width()) *
                      static_cast<std::size_t>(components_[c].Height()) *
                      ((fill ? sizeof(float) / 4 : sizeof(float)) + sizeof(std::int8_t));
    const int threads = fill && planeBytes > kParallelPlaneBudget ? 1 : threads_;
    std::atomic<bool> fillFailed = false;
    // The components are independent until their levels are joined in file
    // order, so each is transformed and coded on its own, in parallel. Each
    // may take the whole capacity; the joined data must fit it too.
    std::array<CodedComponent, 3> coded;
    // A float plane serves one component after another: no more planes are
    // made than components are transformed at once. Each component's symbol
    // plane is its own, freed once coded, so that a plane kept for the next
    // component never adds to what the float plane of that one takes.
    std::mutex planesMutex;
    std::vector<LargeVector<float>> idlePlanes;
    auto takePlane = [&] {
        const std::lock_guard lock(planesMutex);
        LargeVector<float> values;
        if (!idlePlanes.empty()) {
            values = std::move(idlePlanes.back());
            idlePlanes.pop_back();
        }
        return values;
    };
    auto givePlane = [&](LargeVector<float>&& values) {
        const std::lock_guard lock(planesMutex);
        idlePlanes.push_back(std::move(values));
    };
    // The samples come from the filler a row at a time, or from the
    // component's own plane when the caller wrote them there.
    auto transform = [&](std::size_t c, LargeVector<float>& plane) {
        CodecComponent& component = components_[c];
        if (!fill)
            return component.ForwardTransform(plane);
        const ForwardRowSource rows = fill(c, component);
        bool rowFailed = !rows;
        const auto source = [&](int y, std::span<float> row) {
            rowFailed = rowFailed || !rows(y, row);
            return !rowFailed;
        };
        const bool transformed = !rowFailed && component.ForwardTransformRows(source, plane);
        if (rowFailed)
            fillFailed = true;
        return transformed;
    };
    RunTasks(threads, count, [&](std::size_t c) {
        CodecComponent& component = components_[c];
        CodedComponent& out = coded[c];
        LargeVector<float> plane = takePlane();
        const bool transformed = transform(c, plane);
        if (transformed) {
            out.bytes = std::make_unique_for_overwrite<std::uint8_t[]>(capacity_);
            const std::span<std::uint8_t> bytes(out.bytes.get(), capacity_);
            std::size_t position = 0;
            out.coded = true;
            for (int n = 0; n <= totalLevels_ && out.coded; ++n) {
                const auto next = component.EncodeLevel(bytes, position, n);
                out.coded = next.has_value();
                position = next.value_or(position);
                out.levelEnd[static_cast<std::size_t>(n) + 1] = position;
            }
        }
        component.ReleasePlane();
        givePlane(std::move(plane));
    });
    if (fillFailed) {
        ReleasePlanes();
        return FailureKind::Corrupt;
    }
    std::size_t total = 0;
    for (std::size_t c = 0; c < count; ++c) {
        if (!coded[c].coded)
            return FailureKind::OutOfMemory;
        total += coded[c].levelEnd[static_cast<std::size_t>(totalLevels_) + 1];
    }
    Release(data_);
    if (total > capacity_)
        return FailureKind::TooLarge;
    if (!TryResizeUninitialised(data_, total))
        return FailureKind::OutOfMemory;
    std::size_t position = 0;
    for (int n = 0; n <= totalLevels_; ++n) {
        for (std::size_t c = 0; c < count; ++c) {
            const std::size_t begin = coded[c].levelEnd[static_cast<std::size_t>(n)];
            const std::size_t end = coded[c].levelEnd[static_cast<std::size_t>(n) + 1];
            std::copy(coded[c].bytes.get() + begin, coded[c].bytes.get() + end,
                      data_.begin() + static_cast<std::ptrdiff_t>(position));
            position += end - begin;
        }
    }
    dataSize_ = position;
    levelTable_.fill(0);
    for (int n = 0; n <= totalLevels_; ++n)
        for (int c = 0; c < ComponentCount(); ++c)
            levelTable_[static_cast<std::size_t>(n)] += components_[static_cast<std::size_t>(c)].LevelBytes(n);
    ReleasePlanes();
    return {};
}

Status WaveletCodec::PrepareDecode(FinestLevel finest)
{
    ComputePaddedSize();
    for (int c = 0; c < ComponentCount(); ++c) {
        auto& component = components_[static_cast<std::size_t>(c)];
        if (!component.SizeForDecoding(paddedWidth_, paddedHeight_, totalLevels_, finest == FinestLevel::InRows))
            return FailureKind::OutOfMemory;
    }
    return {};
}

Status WaveletCodec::DecodeAll(const LevelCallback& onLevel, FinestLevel finest)
{
    if (const Status prepared = PrepareDecode(finest); !prepared)
        return prepared;
    if (!onLevel && threads_ > 1)
        return DecodeAllInParallel();
    const auto coded = CodedData();
    std::size_t position = 0;
    for (int n = 0; n <= totalLevels_; ++n) {
        for (int c = 0; c < ComponentCount(); ++c) {
            const auto next = components_[static_cast<std::size_t>(c)].DecodeLevel(coded, position, n);
            if (!next)
                return FailureKind::Corrupt;
            position = *next;
        }
        if (onLevel && n < totalLevels_)
            onLevel(n, *this);
    }
    return {};
}

// The coded data must be read in file order, but each component's levels can
// be reconstructed as soon as they are read: one task reads every level of
// every component, the others reconstruct one component each, level after
// level, waiting for the reader where they catch up with it.
Status WaveletCodec::DecodeAllInParallel()
{
    const auto coded = CodedData();
    const auto count = static_cast<std::size_t>(ComponentCount());
    std::mutex mutex;
    std::condition_variable levelRead;
    std::array<int, 3> levelsRead{};
    bool readFailed = false;
    std::array<bool, 3> reconstructed{};

    auto read = [&] {
        std::size_t position = 0;
        for (int n = 0; n <= totalLevels_; ++n) {
            for (std::size_t c = 0; c < count; ++c) {
                const auto next = components_[c].ReadLevel(coded, position, n);
                const std::lock_guard lock(mutex);
                if (!next) {
                    readFailed = true;
                    levelRead.notify_all();
                    return;
                }
                position = *next;
                levelsRead[c] = n + 1;
                levelRead.notify_all();
            }
        }
    };
    auto reconstruct = [&](std::size_t c) {
        for (int n = 0; n <= totalLevels_; ++n) {
            {
                std::unique_lock lock(mutex);
                levelRead.wait(lock, [&] { return readFailed || levelsRead[c] > n; });
                if (levelsRead[c] <= n)
                    return;
            }
            if (!components_[c].ReconstructLevel(n))
                return;
        }
        reconstructed[c] = true;
    };
    // A large picture's components are reconstructed one after another, by
    // one task beside the reader, so that only one holds its temporaries.
    std::size_t planeBytes = 0;
    for (std::size_t c = 0; c < count; ++c)
        planeBytes += components_[c].Plane().size_bytes();
    const bool oneByOne = planeBytes > kParallelPlaneBudget;
    const std::size_t reconstructTasks = oneByOne ? 1 : count;
    // Task 0, the reader, is taken first and never waits, so the
    // reconstructing tasks always get their levels. A reader that throws
    // releases the waiting tasks before the exception goes on.
    RunTasks(threads_, reconstructTasks + 1, [&](std::size_t task) {
        try {
            if (task == 0) {
                read();
            } else if (oneByOne) {
                for (std::size_t c = 0; c < count; ++c)
                    reconstruct(c);
            } else {
                reconstruct(task - 1);
            }
        } catch (...) {
            if (task == 0) {
                const std::lock_guard lock(mutex);
                readFailed = true;
                levelRead.notify_all();
            }
            throw;
        }
    });
    for (std::size_t c = 0; c < count; ++c)
        if (!reconstructed[c])
            return FailureKind::Corrupt;
    return {};
}

void WaveletCodec::ReleasePlanes()
{
    for (auto& component : components_)
        component.ReleasePlane();
}

} // namespace tamr
