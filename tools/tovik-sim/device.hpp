// The simulated device's model: a project of nested windows holding
// controls, and eight OSC targets. Payloads arrive in the device's tag
// language:
//
//   load:    <RESET/>\n then the project
//   import:  <WINDOW text="a">\n ... <COPY>\n content </COPY>\n ... </WINDOW>\n
//   target:  <OSC target="2" ip="192.168.1.10" port="900"/>
//
// A project is text with <WINDOW text="NAME"> ... </WINDOW> blocks, nested
// as deep as wanted, and controls: any other tag, such as
// <FADER text="Volume" osc="/vol"/>. Text between tags is ignored.
//
// A payload is applied whole or not at all: a malformed one leaves the
// model as it was and says why. The project kept is bounded (Limits): a
// payload that would make it deeper or larger is malformed too. Nothing in
// the model recurses, so no project can exhaust the stack. Not thread-safe:
// one owner at a time.
#pragma once

#include <array>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tovik {

struct Window {
  Window() = default;
  Window(const Window &) = delete;
  Window &operator=(const Window &) = delete;
  /// Frees the windows below without recursing.
  ~Window();

  std::string name;
  std::vector<std::string> controls; ///< each control's tag as written
  std::vector<std::unique_ptr<Window>> children;
  int copies = 0; ///< imports whose content was copied into this window

  /// The child named `name`, or null.
  Window *child(std::string_view name) const;
  int window_count() const;  ///< windows below this one, at any depth
  int control_count() const; ///< controls in this window and below
};

struct Target {
  bool set = false;
  std::string ip;
  long long port = 0;
};

/// What a payload did to the model.
struct Outcome {
  std::string kind;  ///< "load", "import", "target" or "unknown"
  std::string error; ///< empty when the payload was applied
  std::string path;  ///< import: the window path, as "/a/b" ("/" for the top)
  int windows = 0;   ///< load/import: windows in the content (import: plus those made for the path)
  int controls = 0;  ///< load/import: controls in the content
  int target = -1;   ///< target: the index
  std::string ip;    ///< target: the address text
  long long port = 0;
  std::vector<std::string> warnings;
  std::string summary() const; ///< one line for people
};

/// What the model keeps at most. The path bytes bound what the window list
/// (window_paths) can take: each window's path counts whole.
struct Limits {
  int depth = 64;                   ///< windows nested in each other
  int windows = 10000;              ///< windows in the project
  std::size_t path_bytes = 1 << 20; ///< the lengths of all window paths added up
};

class Device {
public:
  explicit Device(Limits limits = {});
  /// Applies one payload (the blob of an upload message).
  Outcome apply(std::string_view payload);

  const Window &project() const { return *root_; }
  const std::array<Target, 8> &targets() const { return targets_; }
  int loads() const { return loads_; }
  int imports() const { return imports_; }

  /// Every window as a path ("/Main", "/Main/Pads"), depth first. Their
  /// lengths add up to at most the limit's path bytes.
  std::vector<std::string> window_paths() const;
  int window_count() const { return windows_; } ///< windows in the project
  std::size_t path_bytes() const { return path_bytes_; }

private:
  Outcome load(std::string_view body);
  Outcome import(std::string_view payload);
  Outcome target(std::string_view payload);

  Limits limits_;
  std::unique_ptr<Window> root_;
  int windows_ = 0;            ///< windows in the project
  std::size_t path_bytes_ = 0; ///< their path lengths added up
  std::array<Target, 8> targets_;
  int loads_ = 0;
  int imports_ = 0;
};

} // namespace tovik
