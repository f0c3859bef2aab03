// Fuzz target for the device simulator's connections as the server runs
// them: the message reader fed in arbitrary pieces under a memory allowance,
// the body check, the device model (with small limits, so that inputs reach
// them) and the event lines of each message and of the final state.
//
// Input: one byte choosing the memory allowance, then pieces, each a length
// byte L and L bytes of the stream; L = 0 ends the connection (the peer
// closes) and the next piece starts a new one on the same device.
#include "check.hpp"
#include "device.hpp"
#include "framing.hpp"
#include "reader.hpp"
#include "report.hpp"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>
#include <string_view>

namespace {

constexpr std::uint32_t length_limit = 1u << 16;

// Ends a connection as the server does and checks what it reports.
void end(const tovik::MessageReader &reader) {
  const auto why = reader.end_error();
  const bool clean =
      reader.state() == tovik::MessageReader::State::complete && reader.trailing() == 0;
  check(clean == !why.has_value());
  check(!why || !why->empty());
  check(!reader.progress().empty());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  if (size < 1)
    return 0;
  const std::size_t may_hold = std::size_t(data[0]) * 512;
  ++data;
  --size;
  tovik::Device device(tovik::Limits{8, 64, 4096});
  int messages = 0;
  auto reader = std::make_unique<tovik::MessageReader>(length_limit);
  while (size > 0) {
    const std::size_t n = std::min<std::size_t>(data[0], size - 1);
    ++data;
    --size;
    if (n == 0) {
      end(*reader);
      reader = std::make_unique<tovik::MessageReader>(length_limit);
      continue;
    }
    const auto before = reader->state();
    const auto fed = reader->feed({data, n}, may_hold);
    data += n;
    size -= n;
    using Fed = tovik::MessageReader::Fed;
    using State = tovik::MessageReader::State;
    if (fed != Fed::no_room)
      check(reader->held() <= may_hold || reader->held() == 0);
    if (fed == Fed::refused)
      check(reader->state() == State::failed && !reader->error().empty());
    if (fed == Fed::no_room)
      check(reader->state() == State::failed && reader->held() == 0);
    if (before == State::failed)
      check(fed == Fed::refused || fed == Fed::no_room);
    if (fed != Fed::message)
      continue;
    check(reader->body().size() == reader->length());
    std::span<const unsigned char> payload;
    if (!tovik::check_body(reader->body(), payload)) {
      ++messages;
      const std::string_view text(reinterpret_cast<const char *>(payload.data()), payload.size());
      const tovik::Outcome out = device.apply(text);
      const tovik::Event e = tovik::message_event("127.0.0.1:1", reader->length(), text, out);
      check(!e.text.empty());
      (void)e.json.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
    }
    reader->release();
    check(reader->held() == 0);
    check(device.window_count() <= 64 && device.path_bytes() <= 4096);
  }
  end(*reader);
  const tovik::Event state = tovik::state_event(device, messages);
  check(state.json["windows"].size() == static_cast<std::size_t>(device.window_count()));
  check(device.project().window_count() == device.window_count());
  (void)state.json.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
  return 0;
}
