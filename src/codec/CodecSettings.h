#pragma once
// The compression parameters the codec is configured from: per component a
// quantisation vector, a threshold vector and the levels to discard and to
// sample, plus the levels, quality factor and COD magic shared by all three.
// The application owns one record; library code takes it by reference.

#include <array>
#include <cstddef>
#include <cstdint>

namespace tamr {

inline constexpr std::size_t kSettingsVectorLength = 31;

struct ComponentSettings {
    // Q per subband: entry 3·k + b for level k (0 finest) and band b (V, H, D);
    // entry 3·totalLevels is the final low-pass band.
    std::array<std::int16_t, kSettingsVectorLength> quantizeVector{};
    // Dead-zone threshold per level k (0 finest).
    std::array<std::int16_t, kSettingsVectorLength> thresholdVector{};
    std::int16_t discardLevels = 0; // finest detail levels not coded at all
    std::int16_t sampleLevels = 0;  // halvings of the plane before coding (0 or 1)

    bool operator==(const ComponentSettings&) const = default;
};

// Index into CodecSettings::components: A is the luminance (or gray) plane,
// B and C the two chrominance planes.
inline constexpr std::size_t kComponentA = 0;
inline constexpr std::size_t kComponentB = 1;
inline constexpr std::size_t kComponentC = 2;
inline constexpr std::size_t kComponentCount = 3;

// "CIS3.0", 0x1A, 0x04 and a terminating zero.
inline constexpr std::array<char, 9> kCodFileMagic = {'C', 'I', 'S', '3', '.', '0', '\x1A', '\x04', '\0'};

struct CodecSettings {
    // The start-up state: magic, quality 50, five levels, incremental display
    // off, and the vectors and levels that quality 50 maps to.
    CodecSettings();

    std::array<ComponentSettings, kComponentCount> components{};
    std::array<char, 9> fileMagic = kCodFileMagic;
    std::int16_t qualityFactor = 50; // 0..100, 100 meaning lossless coding
    std::int16_t totalLevels = 5;    // wavelet decomposition levels, 1..6
    bool incrementalDisplay = false; // show the image after each decoded level
    // Threads that compress and decode; 0: one per hardware thread. The coded
    // bytes and decoded samples never depend on it.
    int threads = 0;

    ComponentSettings& component(std::size_t index) { return components.at(index); }
    const ComponentSettings& component(std::size_t index) const { return components.at(index); }

    bool operator==(const CodecSettings&) const = default;
};

} // namespace tamr
