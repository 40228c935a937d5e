// Without libFuzzer: runs a fuzz target's entry point once for every file
// named on the command line, or in a folder named there (in name order), so
// that its seeds and the inputs of fixed crashes replay as an ordinary test
// under any compiler and sanitizer. A folder that does not exist holds no
// files; replaying no file at all fails, as a wrong path would.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <iostream>
#include <vector>

#include "platform/FileIo.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

std::vector<std::filesystem::path> FilesIn(const std::filesystem::path& place)
{
    std::error_code error;
    if (!std::filesystem::is_directory(place, error))
        return std::filesystem::exists(place, error) ? std::vector{place} : std::vector<std::filesystem::path>{};
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(place, error))
        if (entry.is_regular_file() && entry.path().filename().string().front() != '.')
            files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

} // namespace

int main(int argc, char** argv)
{
    std::size_t replayed = 0;
    for (int i = 1; i < argc; ++i) {
        for (const auto& file : FilesIn(argv[i])) {
            const auto bytes = tamr::ReadFileBytes(file);
            if (!bytes) {
                std::cerr << "cannot read " << file.string() << '\n';
                return 1;
            }
            std::cout << file.filename().string() << '\n' << std::flush; // names the input a crash stopped at
            LLVMFuzzerTestOneInput(bytes->data(), bytes->size());
            ++replayed;
        }
    }
    std::cout << replayed << " inputs replayed\n";
    return replayed > 0 ? 0 : 1;
}
