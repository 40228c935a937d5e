#pragma once
// SHA-256 (FIPS 180-4) of a block of bytes, as lower-case hex: how a picture
// is named by its content, as sha256sum names it.

#include <cstdint>
#include <span>
#include <string>

namespace tamr {

std::string Sha256Hex(std::span<const std::uint8_t> bytes);

} // namespace tamr
