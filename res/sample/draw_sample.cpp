// Draws tamr's bundled sample picture: a small landscape with smooth gradients,
// hard edges and fine texture, so that compression has something to show.
// Integer arithmetic only, so the picture is the same on every machine.

#include <cstdint>
#include <cstdio>
#include <vector>

#include "platform/ByteWriter.h"
#include "platform/FileIo.h"

namespace {

constexpr int kWidth = 512;
constexpr int kHeight = 384;

struct Rgb {
    int red, green, blue;
};

int Clamp(int value)
{
    return value < 0 ? 0 : (value > 255 ? 255 : value);
}

// A repeatable hash noise in 0..255.
int Noise(int x, int y)
{
    std::uint32_t h = static_cast<std::uint32_t>(x) * 374761393u + static_cast<std::uint32_t>(y) * 668265263u;
    h = (h ^ (h >> 13)) * 1274126177u;
    return static_cast<int>((h ^ (h >> 16)) & 0xFF);
}

// Height of the hills at column x, in rows from the top: a sum of triangle waves.
int HillTop(int x, int period, int amplitude, int base)
{
    const int phase = x % period;
    const int triangle = phase < period / 2 ? phase : period - phase;
    return base - triangle * amplitude / (period / 2);
}

Rgb PixelAt(int x, int y)
{
    // Sky: blue at the top fading to a warm horizon.
    Rgb colour{90 + y * 120 / kHeight, 140 + y * 80 / kHeight, 235 - y * 60 / kHeight};
    // Sun with a soft rim.
    const int dx = x - 380, dy = y - 90;
    const int distance2 = dx * dx + dy * dy;
    if (distance2 < 40 * 40) {
        colour = {255, 236, 150};
    } else if (distance2 < 55 * 55) {
        const int mix = (55 * 55 - distance2) * 255 / (55 * 55 - 40 * 40);
        colour = {(colour.red * (255 - mix) + 255 * mix) / 255, (colour.green * (255 - mix) + 220 * mix) / 255,
                  (colour.blue * (255 - mix) + 160 * mix) / 255};
    }
    // Far hills, then near hills with grass texture.
    if (y > HillTop(x + 40, 160, 50, 250))
        colour = {70 + (y - 200) / 4, 110 + (y - 200) / 5, 120};
    if (y > HillTop(x, 220, 70, 320)) {
        const int grain = Noise(x, y) % 40 - 20;
        colour = {Clamp(60 + grain + (y - 250) / 3), Clamp(140 + grain - (y - 250) / 4), Clamp(50 + grain / 2)};
    }
    // A red-roofed house with a window, for hard edges.
    if (x >= 120 && x < 200 && y >= 250 && y < 310)
        colour = {230, 220, 200};
    if (y >= 210 && y < 250 && x >= 110 + (250 - y) && x < 210 - (250 - y))
        colour = {180, 40, 30};
    if (x >= 145 && x < 170 && y >= 265 && y < 290)
        colour = ((x / 4 + y / 4) % 2) ? Rgb{40, 60, 120} : Rgb{70, 100, 170};
    return colour;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUT.bmp\n", argv[0]);
        return 2;
    }
    constexpr int rowBytes = kWidth * 3; // a multiple of 4: no row padding
    constexpr std::uint32_t imageBytes = rowBytes * kHeight;
    std::vector<std::uint8_t> file;
    tamr::ByteWriter writer(file);
    writer.U8('B');
    writer.U8('M');
    writer.U32(54 + imageBytes);
    writer.U32(0);
    writer.U32(54);
    writer.U32(40);
    writer.I32(kWidth);
    writer.I32(kHeight);
    writer.U16(1);
    writer.U16(24);
    writer.U32(0);
    writer.U32(imageBytes);
    writer.U32(2835);
    writer.U32(2835);
    writer.U32(0);
    writer.U32(0);
    for (int row = kHeight - 1; row >= 0; --row) { // bottom-up
        for (int x = 0; x < kWidth; ++x) {
            const Rgb colour = PixelAt(x, row);
            writer.U8(static_cast<std::uint8_t>(Clamp(colour.blue)));
            writer.U8(static_cast<std::uint8_t>(Clamp(colour.green)));
            writer.U8(static_cast<std::uint8_t>(Clamp(colour.red)));
        }
    }
    std::string error;
    if (!tamr::WriteFileAtomically(argv[1], file, &error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    return 0;
}
