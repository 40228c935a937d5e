#include "support/TestSupport.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>

namespace tamr::test {

ScratchDir::ScratchDir()
{
    std::random_device entropy;
    path_ = std::filesystem::temp_directory_path() / ("tamr-test-" + std::to_string(entropy()));
    std::filesystem::create_directories(path_);
}

ScratchDir::~ScratchDir()
{
    std::error_code ignored;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(path_, ignored);
}

std::filesystem::path CorpusDir()
{
    const std::filesystem::path corpus(TAMR_CORPUS_DIR);
    std::error_code error;
    return std::filesystem::is_directory(corpus, error) ? corpus : std::filesystem::path();
}

std::vector<std::filesystem::path> CorpusFiles(const std::string& subfolder)
{
    std::vector<std::filesystem::path> files;
    const auto corpus = CorpusDir();
    if (corpus.empty() || !std::filesystem::is_directory(corpus / subfolder))
        return files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(corpus / subfolder))
        if (entry.is_regular_file())
            files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

std::vector<std::uint8_t> RandomBytes(std::size_t count, std::uint32_t seed)
{
    std::mt19937 generator(seed);
    std::uniform_int_distribution<int> byte(0, 255);
    std::vector<std::uint8_t> bytes(count);
    for (auto& value : bytes)
        value = static_cast<std::uint8_t>(byte(generator));
    return bytes;
}

namespace {

// A figure of /proc/self/status in KiB ("VmRSS", "VmHWM").
std::optional<long> StatusKib(const std::string& name)
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind(name + ":", 0) == 0)
            return std::stol(line.substr(name.size() + 1));
    return std::nullopt;
}

} // namespace

std::optional<long> PeakGrowthKib(const std::function<void()>& work)
{
    // Writing 5 there sets the peak back to the resident set as it is now.
    if (!std::ofstream("/proc/self/clear_refs").write("5", 1) || !StatusKib("VmHWM") || !StatusKib("VmRSS"))
        return std::nullopt;
    const long before = *StatusKib("VmRSS");
    work();
    return *StatusKib("VmHWM") - before;
}

void WriteBytes(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes)
{
    std::ofstream file(path, std::ios::binary);
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!file)
        throw std::runtime_error("cannot write " + path.string());
}

std::vector<std::uint8_t> ReadBytes(const std::filesystem::path& path)
{
    std::ifstream file(path, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

} // namespace tamr::test
