// The event lines of the simulator that describe the device: one per message
// applied, and the state at the end. Each event is both a JSON object and a
// line of text; the server prints one or the other.
#pragma once

#include "device.hpp"

#include <nlohmann/json.hpp>

#include <cstdint>
#include <string>
#include <string_view>

namespace tovik {

struct Event {
  nlohmann::json json;
  std::string text;
};

/// A message of `length` bytes from `peer` whose payload the device applied
/// (or refused) with `outcome`. Payloads up to 64 KiB are included in the
/// JSON whole.
Event message_event(const std::string &peer, std::uint32_t length, std::string_view payload,
                    const Outcome &outcome);

/// The device's state after `messages` messages: its windows and targets.
Event state_event(const Device &device, int messages);

} // namespace tovik
