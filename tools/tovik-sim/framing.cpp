#include "framing.hpp"

#include <algorithm>
#include <cstring>

namespace tovik {

std::uint32_t read_be32(const unsigned char *p) {
  return (std::uint32_t(p[0]) << 24) | (std::uint32_t(p[1]) << 16) | (std::uint32_t(p[2]) << 8) |
         std::uint32_t(p[3]);
}

std::optional<std::string> check_length(std::uint32_t length, std::uint32_t limit) {
  if (length < min_length)
    return "length " + std::to_string(length) + " is below the minimum of " +
           std::to_string(min_length);
  if (length % 4 != 0)
    return "length " + std::to_string(length) + " is not a multiple of 4";
  if (length > limit)
    return "length " + std::to_string(length) + " exceeds the limit of " + std::to_string(limit) +
           " bytes";
  return std::nullopt;
}

std::optional<std::string> check_body(std::span<const unsigned char> body,
                                      std::span<const unsigned char> &payload) {
  static const unsigned char address[8] = {'/', 'v', 'x', 'd', 'l', 0, 0, 0};
  static const unsigned char tags[4] = {',', 'b', 0, 0};
  if (body.size() < min_length)
    return "message of " + std::to_string(body.size()) + " bytes is too short";
  if (std::memcmp(body.data(), address, sizeof address) != 0)
    return "address is not \"/vxdl\" padded with three zero bytes";
  if (std::memcmp(body.data() + 8, tags, sizeof tags) != 0)
    return "type tags are not \",b\" padded with two zero bytes";
  const std::uint64_t n = read_be32(body.data() + 12);
  const std::uint64_t pad = 4 - n % 4;
  if (16 + n + pad != body.size())
    return "blob length " + std::to_string(n) + " does not fit a message of length " +
           std::to_string(body.size()) + " (expected " + std::to_string(16 + n + pad) + ")";
  for (std::uint64_t i = 16 + n; i < body.size(); ++i) {
    if (body[i] != 0)
      return "closing byte " + std::to_string(i - 16 - n) + " after the blob is not zero";
  }
  payload = body.subspan(16, n);
  return std::nullopt;
}

std::size_t framed_size(std::size_t n) {
  return (n + header_size + 4) & ~std::size_t(3);
}

std::array<unsigned char, header_size> frame_header(std::size_t n) {
  std::array<unsigned char, header_size> out{};
  auto put = [&](std::size_t at, std::uint32_t v) {
    out[at] = static_cast<unsigned char>(v >> 24);
    out[at + 1] = static_cast<unsigned char>(v >> 16);
    out[at + 2] = static_cast<unsigned char>(v >> 8);
    out[at + 3] = static_cast<unsigned char>(v);
  };
  put(0, static_cast<std::uint32_t>(framed_size(n) - 4));
  std::memcpy(out.data() + 4, "/vxdl", 5);
  std::memcpy(out.data() + 12, ",b", 2);
  put(16, static_cast<std::uint32_t>(n));
  return out;
}

std::vector<unsigned char> frame(std::span<const unsigned char> payload) {
  std::vector<unsigned char> out(framed_size(payload.size()), 0);
  const auto header = frame_header(payload.size());
  std::copy(header.begin(), header.end(), out.begin());
  std::copy(payload.begin(), payload.end(), out.begin() + header_size);
  return out;
}

} // namespace tovik
