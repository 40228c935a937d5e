#pragma once
// What coding a picture with another codec gives: the coded file, the picture
// that codec's own decoder makes of it, the times, or why it failed. The
// pictures are tamr's: bottom-up padded rows, blue-green-red or gray.

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "image/PixelPlaneViews.h"

namespace tamr {

struct PeerPicture {
    std::vector<std::uint8_t> coded;
    std::vector<std::uint8_t> decoded; // the original's layout: bottom-up, padded, same depth
    double encodeSeconds = 0;
    double decodeSeconds = 0;
    std::string failure; // empty when coding and decoding worked

    bool Failed() const { return !failure.empty(); }
};

inline PeerPicture PeerFailure(std::string reason)
{
    PeerPicture picture;
    picture.failure = std::move(reason);
    return picture;
}

// Seconds since `start`, on the steady clock.
inline double SecondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// A picture a peer can code: gray or colour, not empty, every row there.
inline bool CodablePicture(ConstPixelView picture, int bytesPerPixel)
{
    return (bytesPerPixel == 1 || bytesPerPixel == 3) && HoldsAllRows(picture, bytesPerPixel) && picture.width > 0 &&
           picture.height > 0;
}

// A layout a peer's file can be decoded into (only its sizes count).
inline bool DecodableLike(ConstPixelView like, int bytesPerPixel)
{
    return (bytesPerPixel == 1 || bytesPerPixel == 3) && RowBytes(like, bytesPerPixel) > 0 && like.height > 0;
}

// The picture as top-down rows of red, green, blue bytes (gray: one byte)
// without padding, the order the other codecs take.
std::vector<std::uint8_t> TopDownRgb(ConstPixelView picture, int bytesPerPixel);
// The same with three bytes per pixel whatever the depth: gray repeated in
// red, green and blue, for the codecs that take colour only.
std::vector<std::uint8_t> TopDownColourRgb(ConstPixelView picture, int bytesPerPixel);
// Top-down rows of `channels` bytes per pixel (red, green, blue, or gray)
// back into the original's layout; three channels become gray as luma.
std::vector<std::uint8_t> FromTopDown(const std::uint8_t* rows, int channels, ConstPixelView like, int bytesPerPixel);

} // namespace tamr
