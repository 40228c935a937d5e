// SHA-256 against the standard's own examples and sha256sum.

#include <gtest/gtest.h>

#include <string_view>
#include <vector>

#include "platform/Sha256.h"

namespace tamr {
namespace {

std::string HashOf(std::string_view text)
{
    return Sha256Hex(std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

TEST(Sha256, GivesTheStandardsDigests)
{
    EXPECT_EQ(HashOf(""), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    EXPECT_EQ(HashOf("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    // 56 bytes: the length goes into a second padding block.
    EXPECT_EQ(HashOf("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"),
              "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
    const std::vector<std::uint8_t> million(1000000, 'a');
    EXPECT_EQ(Sha256Hex(million), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
}

} // namespace
} // namespace tamr
