// The upload message of the device's TCP port: a 4-byte big-endian length L,
// then L bytes holding the address "/vxdl" (padded to 8 bytes), the type tags
// ",b" (padded to 4), the blob length N (big-endian) and N payload bytes
// followed by 1 to 4 zero bytes, so that L = 16 + N + (4 - N % 4).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace tovik {

/// The smallest valid L: an empty payload and four closing zero bytes.
inline constexpr std::uint32_t min_length = 20;

/// Reads a big-endian 32-bit value from 4 bytes.
std::uint32_t read_be32(const unsigned char *p);

/// Checks the length field alone (before the body has arrived). Returns an
/// error text, or nothing when a body of that length may follow.
std::optional<std::string> check_length(std::uint32_t length, std::uint32_t limit);

/// Checks a whole body (the L bytes after the length field). On success
/// returns nothing and sets `payload` to the N payload bytes inside `body`;
/// otherwise returns a text saying what is wrong.
std::optional<std::string> check_body(std::span<const unsigned char> body,
                                      std::span<const unsigned char> &payload);

/// The bytes before the payload: the length field, address, type tags and
/// blob length.
inline constexpr std::size_t header_size = 20;

/// The size of the framed message of a payload of `n` bytes, length field
/// included: the header, the payload and 1 to 4 closing zero bytes.
std::size_t framed_size(std::size_t n);

/// The header of the framed message of a payload of `n` bytes.
std::array<unsigned char, header_size> frame_header(std::size_t n);

/// Frames a payload as the loader does (length field included).
std::vector<unsigned char> frame(std::span<const unsigned char> payload);

} // namespace tovik
