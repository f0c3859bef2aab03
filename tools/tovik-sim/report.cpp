#include "report.hpp"

namespace tovik {

using json = nlohmann::json;

Event message_event(const std::string &peer, std::uint32_t length, std::string_view payload,
                    const Outcome &out) {
  json event = {{"event", "message"},      {"from", peer},     {"length", length},
                {"bytes", payload.size()}, {"kind", out.kind}, {"summary", out.summary()}};
  if (!out.error.empty())
    event["error"] = out.error;
  if (out.kind == "import")
    event["path"] = out.path;
  if (out.kind == "load" || out.kind == "import") {
    event["windows"] = out.windows;
    event["controls"] = out.controls;
  }
  if (out.kind == "target" && out.error.empty()) {
    event["target"] = out.target;
    event["ip"] = out.ip;
    event["port"] = out.port;
  }
  if (!out.warnings.empty())
    event["warnings"] = out.warnings;
  if (payload.size() <= 65536)
    event["payload"] = std::string(payload);
  std::string line = "message from " + peer + ", " + std::to_string(payload.size()) +
                     " payload bytes: " + out.summary();
  for (const auto &w : out.warnings)
    line += " (warning: " + w + ")";
  return {std::move(event), std::move(line)};
}

Event state_event(const Device &device, int messages) {
  json targets = json::array();
  std::string text;
  for (std::size_t i = 0; i < device.targets().size(); ++i) {
    const Target &t = device.targets()[i];
    if (!t.set)
      continue;
    targets.push_back({{"target", i}, {"ip", t.ip}, {"port", t.port}});
    text += " " + std::to_string(i) + "=" + t.ip + ":" + std::to_string(t.port);
  }
  const auto paths = device.window_paths();
  std::string windows;
  windows.reserve(device.path_bytes() + paths.size());
  for (const auto &p : paths)
    windows += " " + p;
  json event = {{"event", "state"},     {"loads", device.loads()}, {"imports", device.imports()},
                {"messages", messages}, {"windows", paths},        {"targets", targets}};
  std::string line = "state: " + std::to_string(messages) + " messages, " +
                     std::to_string(device.loads()) + " loads, " +
                     std::to_string(device.imports()) +
                     " imports; windows:" + (windows.empty() ? " none" : windows) +
                     "; targets:" + (text.empty() ? " none" : text);
  return {std::move(event), std::move(line)};
}

} // namespace tovik
