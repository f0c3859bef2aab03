// Helpers shared by the datagram object tests.
#pragma once

#include "patch.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace rkudptest {

using Bytes = std::vector<unsigned char>;
using kittest::Lines;

/// The line that kithost prints for a FullPacket of these bytes from outlet 0
/// of `name`.
inline std::string packet_line(std::string_view name, const Bytes &bytes) {
  static const char digits[] = "0123456789ABCDEF";
  std::string line = std::string(name) + ".0: FullPacket";
  for (unsigned char b : bytes) {
    line += ' ';
    line += digits[b >> 4];
    line += digits[b & 15];
  }
  return line;
}

/// The bytes of a recorded FullPacket line; fails the test when the line is
/// not one.
inline Bytes packet_bytes(const std::string &line) {
  Bytes bytes;
  const auto at = line.find(": FullPacket");
  EXPECT_NE(at, std::string::npos) << line;
  if (at == std::string::npos) {
    return bytes;
  }
  for (std::size_t i = at + 12; i + 3 <= line.size(); i += 3) {
    bytes.push_back((unsigned char)std::stoul(line.substr(i + 1, 2), nullptr, 16));
  }
  return bytes;
}

/// One 0xCA/0xC9 message as the packer writes it.
struct Message {
  unsigned char type;
  unsigned char id;
  unsigned start;
  Bytes data;
};

/// Checks that `actual` is the datagram with this sequence number holding
/// these messages, each at the next even offset. Pad bytes may hold anything.
inline void expect_datagram(const Bytes &actual, unsigned sequence,
                            const std::vector<Message> &messages) {
  Bytes expected = {0xC0, 0xB7, (unsigned char)(sequence >> 8), (unsigned char)sequence};
  std::vector<std::size_t> pads;
  for (const Message &m : messages) {
    if (expected.size() % 2) {
      pads.push_back(expected.size());
      expected.push_back(0);
    }
    const std::size_t length = 6 + m.data.size();
    expected.insert(expected.end(),
                    {m.type, m.id, (unsigned char)(length >> 8), (unsigned char)length,
                     (unsigned char)(m.start >> 8), (unsigned char)m.start});
    expected.insert(expected.end(), m.data.begin(), m.data.end());
  }
  Bytes masked = actual;
  for (std::size_t pad : pads) {
    if (pad < masked.size()) {
      masked[pad] = 0;
    }
  }
  EXPECT_EQ(masked, expected);
}

/// `count` bytes counting up from `first`, wrapping at 256.
inline Bytes count_bytes(int first, int count) {
  Bytes bytes;
  for (int i = 0; i < count; ++i) {
    bytes.push_back((unsigned char)(first + i));
  }
  return bytes;
}

/// A list message of `count` numbers counting up from `first`.
inline std::string count_list(int first, int count) {
  std::string text = "list";
  for (int i = 0; i < count; ++i) {
    text += ' ' + std::to_string(first + i);
  }
  return text;
}

/// The folder of the test-only modules (steer).
inline std::string test_module_dir() {
  return RKUDP_TEST_MODULE_DIR;
}

} // namespace rkudptest
