// The device's check of the upload framing.
#include "framing.hpp"

#include <gtest/gtest.h>

#include <string>

namespace {

std::span<const unsigned char> bytes(const std::string &s) {
  return {reinterpret_cast<const unsigned char *>(s.data()), s.size()};
}

std::optional<std::string> check(const std::string &body) {
  std::span<const unsigned char> payload;
  return tovik::check_body(bytes(body), payload);
}

TEST(Framing, LengthFieldLimits) {
  EXPECT_FALSE(tovik::check_length(20, 1000));
  EXPECT_FALSE(tovik::check_length(1000, 1000));
  EXPECT_EQ(*tovik::check_length(16, 1000), "length 16 is below the minimum of 20");
  EXPECT_EQ(*tovik::check_length(30, 1000), "length 30 is not a multiple of 4");
  EXPECT_EQ(*tovik::check_length(1004, 1000), "length 1004 exceeds the limit of 1000 bytes");
}

TEST(Framing, AWellFormedBodyYieldsItsPayload) {
  const std::string body("/vxdl\0\0\0,b\0\0\0\0\0\x09<RESET/>\n\0\0\0", 28);
  std::span<const unsigned char> payload;
  EXPECT_FALSE(tovik::check_body(bytes(body), payload));
  EXPECT_EQ(std::string(payload.begin(), payload.end()), "<RESET/>\n");
  // Every payload length round-trips through frame(), with 1 to 4 zeros.
  for (std::size_t n = 0; n < 9; ++n) {
    const std::string text(n, 'x');
    const auto framed = tovik::frame(bytes(text));
    EXPECT_EQ(framed.size(), (n + 24) & ~std::size_t(3));
    EXPECT_EQ(tovik::read_be32(framed.data()), framed.size() - 4);
    std::span<const unsigned char> got;
    EXPECT_FALSE(tovik::check_body(std::span(framed).subspan(4), got)) << n;
    EXPECT_EQ(got.size(), n);
  }
}

TEST(Framing, EachMalformedPartIsNamed) {
  EXPECT_EQ(*check(std::string("/vxdm\0\0\0,b\0\0\0\0\0\0\0\0\0\0", 20)),
            "address is not \"/vxdl\" padded with three zero bytes");
  EXPECT_EQ(*check(std::string("/vxdl\0\0\1,b\0\0\0\0\0\0\0\0\0\0", 20)),
            "address is not \"/vxdl\" padded with three zero bytes");
  EXPECT_EQ(*check(std::string("/vxdl\0\0\0,s\0\0\0\0\0\0\0\0\0\0", 20)),
            "type tags are not \",b\" padded with two zero bytes");
  EXPECT_EQ(*check(std::string("/vxdl\0\0\0,b\0\0\0\0\0\x04"
                               "abcd",
                               20)),
            "blob length 4 does not fit a message of length 20 (expected 24)");
  EXPECT_EQ(*check(std::string("/vxdl\0\0\0,b\0\0\xFF\xFF\xFF\xFF\0\0\0\0", 20)),
            "blob length 4294967295 does not fit a message of length 20 (expected 4294967312)");
  EXPECT_EQ(*check(std::string("/vxdl\0\0\0,b\0\0\0\0\0\x02"
                               "ab\0x",
                               20)),
            "closing byte 1 after the blob is not zero");
  EXPECT_EQ(*check(std::string("/vxdl\0\0\0,b\0\0\0\0\0\0", 16)),
            "message of 16 bytes is too short");
}

} // namespace
