// Fuzz target for the device simulator's message reader: the length check,
// the body check and the device model that applies the payload, in the order
// the server runs them. One input is a stream of messages applied to one
// device, so that loads, imports and targets meet each other's state.
//
// Input: a sequence of messages as they arrive on the TCP port (4-byte
// big-endian length, then that many body bytes); the limit of the length
// check is 64 KiB. A cut final message ends the stream. Every payload the
// checks accept is also framed again, which must give back the same body.
#include "check.hpp"
#include "device.hpp"
#include "framing.hpp"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <span>
#include <string_view>

namespace {

constexpr std::uint32_t length_limit = 1u << 16;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  tovik::Device device;
  int accepted = 0;
  while (size >= 4 && accepted < 16) {
    const std::uint32_t length = tovik::read_be32(data);
    data += 4;
    size -= 4;
    if (tovik::check_length(length, length_limit))
      return 0;
    if (length > size)
      return 0;
    // The body in a block of exactly its length, as the server holds it.
    std::unique_ptr<unsigned char[]> body(new unsigned char[length]);
    std::memcpy(body.get(), data, length);
    data += length;
    size -= length;

    std::span<const unsigned char> payload;
    if (tovik::check_body({body.get(), length}, payload))
      continue;
    check(payload.data() >= body.get() && payload.data() + payload.size() <= body.get() + length);
    const std::vector<unsigned char> again = tovik::frame(payload);
    check(again.size() == length + 4);
    check(std::memcmp(again.data() + 4, body.get(), length) == 0);

    const tovik::Outcome out = device.apply(
        std::string_view(reinterpret_cast<const char *>(payload.data()), payload.size()));
    check(out.kind == "load" || out.kind == "import" || out.kind == "target" ||
          out.kind == "unknown");
    (void)out.summary();
    (void)device.window_paths();
    check(device.project().window_count() >= 0);
    ++accepted;
  }
  return 0;
}
