#pragma once
// Small helpers shared by the tests: scratch folders, the shared corpus, random bytes.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <random>
#include <vector>

namespace tamr::test {

// The address sanitizer reserves address space of its own: address-space caps
// (RLIMIT_AS, ulimit -v) do not work under it.
#if defined(__SANITIZE_ADDRESS__)
inline constexpr bool kAddressSanitizer = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
inline constexpr bool kAddressSanitizer = true;
#else
inline constexpr bool kAddressSanitizer = false;
#endif
#else
inline constexpr bool kAddressSanitizer = false;
#endif

// A fresh folder under the system's temporary folder, removed with the object.
class ScratchDir {
public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    const std::filesystem::path& Path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

// The shared corpus of real files, or an empty path when it is not beside the checkout.
std::filesystem::path CorpusDir();

// Every regular file under a corpus subfolder, sorted.
std::vector<std::filesystem::path> CorpusFiles(const std::string& subfolder);

std::vector<std::uint8_t> RandomBytes(std::size_t count, std::uint32_t seed);

void WriteBytes(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes);

// How far the peak resident set rose above the resident set while `work`
// ran, in KiB; nothing where the system does not let the peak be set back.
std::optional<long> PeakGrowthKib(const std::function<void()>& work);
std::vector<std::uint8_t> ReadBytes(const std::filesystem::path& path);

} // namespace tamr::test
