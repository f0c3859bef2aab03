// Patcher files as JSON text, written as the visual host writes them, for
// the tests that run them. Texts go in as they are: a quote in a box's text
// is written \" by the caller.
#pragma once

#include <string>
#include <vector>

namespace kithost_test {

/// A box; `extra` is more JSON members (a patching_rect, a subpatcher).
inline std::string box(const std::string &id, const std::string &maxclass, const std::string &text,
                       double left = 0, const std::string &extra = {}) {
  std::string json = R"({"box": {"id": ")" + id + R"(", "maxclass": ")" + maxclass +
                     R"(", "text": ")" + text + R"(", "patching_rect": [)" + std::to_string(left) +
                     ", 10, 50, 22]";
  if (!extra.empty())
    json += ", " + extra;
  return json + "}}";
}

inline std::string line(const std::string &from, int outlet, const std::string &to, int inlet) {
  return R"({"patchline": {"source": [")" + from + "\", " + std::to_string(outlet) +
         R"(], "destination": [")" + to + "\", " + std::to_string(inlet) + "]}}";
}

inline std::string joined(const std::vector<std::string> &items) {
  std::string text;
  for (const auto &item : items)
    text += (text.empty() ? "" : ",\n") + item;
  return text;
}

/// A patcher object (without the outer {"patcher": ...}).
inline std::string patcher(const std::vector<std::string> &boxes,
                           const std::vector<std::string> &lines) {
  return R"({"fileversion": 1, "boxes": [)" + joined(boxes) + R"(], "lines": [)" + joined(lines) +
         "]}";
}

inline std::string file(const std::vector<std::string> &boxes,
                        const std::vector<std::string> &lines) {
  return R"({"patcher": )" + patcher(boxes, lines) + "}";
}

} // namespace kithost_test
