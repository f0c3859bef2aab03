#include "device.hpp"

#include <cctype>
#include <charconv>
#include <optional>

namespace tovik {
namespace {

struct Tag {
  enum Kind { open, close, empty } kind = open;
  std::string name;
  std::vector<std::pair<std::string, std::string>> attrs;
  std::string text; ///< the tag as written

  const std::string *attr(std::string_view key) const {
    for (const auto &[k, v] : attrs) {
      if (k == key)
        return &v;
    }
    return nullptr;
  }
};

bool is_blank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// Splits text into tags; text between tags is skipped (its non-blank part is
// counted so that callers can warn about it). Comments <!-- --> are skipped.
class Lexer {
public:
  // `base`: where the text starts in the payload, for error positions.
  explicit Lexer(std::string_view s, std::size_t base = 0) : s_(s), base_(base) {}

  // Next tag, or nothing at the end; sets error() on malformed input.
  std::optional<Tag> next() {
    while (pos_ < s_.size()) {
      if (s_[pos_] != '<') {
        if (!is_blank(s_[pos_]))
          ++stray_;
        ++pos_;
        continue;
      }
      start_ = pos_;
      if (s_.substr(pos_, 4) == "<!--") {
        const auto end = s_.find("-->", pos_ + 4);
        if (end == std::string_view::npos)
          return fail("comment is not closed");
        pos_ = end + 3;
        continue;
      }
      return tag();
    }
    return std::nullopt;
  }
  const std::string &error() const { return error_; }
  std::size_t position() const { return pos_; }
  int stray() const { return stray_; }

private:
  std::optional<Tag> fail(std::string why) {
    error_ = "at byte " + std::to_string(base_ + start_) + ": " + std::move(why);
    pos_ = s_.size();
    return std::nullopt;
  }

  std::optional<Tag> tag() {
    const std::size_t start = pos_;
    Tag t;
    ++pos_;
    if (pos_ < s_.size() && s_[pos_] == '/') {
      t.kind = Tag::close;
      ++pos_;
    }
    const std::size_t name_start = pos_;
    while (pos_ < s_.size() && (std::isalnum(static_cast<unsigned char>(s_[pos_])) ||
                                s_[pos_] == '_' || s_[pos_] == '-'))
      ++pos_;
    if (pos_ == name_start)
      return fail("tag without a name");
    t.name.assign(s_.substr(name_start, pos_ - name_start));
    for (;;) {
      while (pos_ < s_.size() && is_blank(s_[pos_]))
        ++pos_;
      if (pos_ >= s_.size())
        return fail("tag <" + t.name + " is not closed");
      if (s_[pos_] == '>') {
        ++pos_;
        break;
      }
      if (s_[pos_] == '/' && t.kind == Tag::open) {
        if (pos_ + 1 < s_.size() && s_[pos_ + 1] == '>') {
          t.kind = Tag::empty;
          pos_ += 2;
          break;
        }
        return fail("stray '/' in tag <" + t.name + ">");
      }
      if (t.kind == Tag::close)
        return fail("closing tag </" + t.name + "> has attributes");
      const std::size_t key_start = pos_;
      while (pos_ < s_.size() && (std::isalnum(static_cast<unsigned char>(s_[pos_])) ||
                                  s_[pos_] == '_' || s_[pos_] == '-'))
        ++pos_;
      if (pos_ == key_start)
        return fail("unexpected '" + std::string(1, s_[pos_]) + "' in tag <" + t.name + ">");
      std::string key(s_.substr(key_start, pos_ - key_start));
      if (pos_ >= s_.size() || s_[pos_] != '=')
        return fail("attribute " + key + " of <" + t.name + "> has no value");
      ++pos_;
      if (pos_ >= s_.size() || (s_[pos_] != '"' && s_[pos_] != '\''))
        return fail("value of attribute " + key + " is not quoted");
      const char quote = s_[pos_++];
      const auto end = s_.find(quote, pos_);
      if (end == std::string_view::npos)
        return fail("value of attribute " + key + " is not closed");
      t.attrs.emplace_back(std::move(key), std::string(s_.substr(pos_, end - pos_)));
      pos_ = end + 1;
    }
    t.text.assign(s_.substr(start, pos_ - start));
    return t;
  }

  std::string_view s_;
  std::size_t base_;
  std::size_t pos_ = 0;
  std::size_t start_ = 0; ///< where the current tag or comment began
  int stray_ = 0;
  std::string error_;
};

// What content read into a window may still add to the project, and where
// that window is: its depth and the length of its path.
struct Room {
  const Limits &limits;
  int depth = 0;               ///< depth of the window read into (the top: 0)
  std::size_t path_length = 0; ///< length of its path ("/a/b": 4; the top: 0)
  int windows = 0;             ///< windows that may still be made
  std::size_t path_bytes = 0;  ///< path bytes that may still be added
  int made = 0;                ///< windows made in the content
};

// Reads project content (windows and controls) into `into`. Stops at the end
// of the text, or at a closing tag that belongs to the caller (`stop_at`),
// which is consumed. Returns an error text, or empty. Content that would
// exceed `room` is an error.
std::string read_content(Lexer &lex, Window &into, std::string_view stop_at, bool &stopped,
                         Room &room) {
  stopped = false;
  // Windows opened inside this content, innermost last, with the lengths of
  // their paths; controls with content (an open tag that is not a window)
  // are tracked the same way.
  std::vector<Window *> windows{&into};
  std::vector<std::size_t> path_lengths{room.path_length};
  std::vector<std::string> open_controls;
  while (auto t = lex.next()) {
    if (t->kind == Tag::empty) {
      if (t->name == "WINDOW")
        return "<WINDOW/> must have content";
      if (t->name == "RESET" || t->name == "COPY" || t->name == "OSC")
        return "<" + t->name + "/> is not allowed inside a project";
      if (open_controls.empty())
        windows.back()->controls.push_back(t->text);
      continue;
    }
    if (t->kind == Tag::open) {
      if (t->name == "WINDOW" && open_controls.empty()) {
        const std::string *name = t->attr("text");
        if (!name)
          return "<WINDOW> without a text attribute";
        if (room.depth + static_cast<int>(windows.size()) > room.limits.depth)
          return "windows nested deeper than " + std::to_string(room.limits.depth) + " levels";
        if (room.made == room.windows)
          return "more than " + std::to_string(room.limits.windows) + " windows in the project";
        const std::size_t path_length = path_lengths.back() + 1 + name->size();
        if (path_length > room.path_bytes)
          return "window paths longer than " + std::to_string(room.limits.path_bytes) +
                 " bytes in all";
        room.path_bytes -= path_length;
        ++room.made;
        auto w = std::make_unique<Window>();
        w->name = *name;
        windows.back()->children.push_back(std::move(w));
        windows.push_back(windows.back()->children.back().get());
        path_lengths.push_back(path_length);
      } else if (t->name == "COPY" || t->name == "RESET") {
        return "<" + t->name + "> is not allowed inside a project";
      } else {
        if (open_controls.empty())
          windows.back()->controls.push_back(t->text);
        open_controls.push_back(t->name);
      }
      continue;
    }
    // A closing tag.
    if (!open_controls.empty()) {
      if (t->name != open_controls.back())
        return "</" + t->name + "> closes <" + open_controls.back() + ">";
      open_controls.pop_back();
      continue;
    }
    if (t->name == "WINDOW" && windows.size() > 1) {
      windows.pop_back();
      path_lengths.pop_back();
      continue;
    }
    if (windows.size() == 1 && t->name == stop_at) {
      stopped = true;
      return {};
    }
    return "unexpected </" + t->name + ">";
  }
  if (!lex.error().empty())
    return lex.error();
  if (!open_controls.empty())
    return "<" + open_controls.back() + "> is not closed";
  if (windows.size() > 1)
    return "<WINDOW text=\"" + windows.back()->name + "\"> is not closed";
  return {};
}

std::optional<long long> to_number(const std::string &s) {
  long long v = 0;
  const auto *end = s.data() + s.size();
  auto [p, ec] = std::from_chars(s.data(), end, v);
  if (ec != std::errc() || p != end || s.empty())
    return std::nullopt;
  return v;
}

bool is_dotted_ipv4(const std::string &s) {
  int parts = 0;
  std::size_t i = 0;
  while (i <= s.size()) {
    std::size_t j = i;
    int value = 0;
    while (j < s.size() && std::isdigit(static_cast<unsigned char>(s[j])) && j - i < 4)
      value = value * 10 + (s[j++] - '0');
    if (j == i || j - i > 3 || value > 255)
      return false;
    ++parts;
    if (j == s.size())
      break;
    if (s[j] != '.')
      return false;
    i = j + 1;
  }
  return parts == 4;
}

} // namespace

Window *Window::child(std::string_view n) const {
  for (const auto &c : children) {
    if (c->name == n)
      return c.get();
  }
  return nullptr;
}

Window::~Window() {
  // Each window taken off the list hands its children to the list first, so
  // it is freed with none left below it.
  std::vector<std::unique_ptr<Window>> pending = std::move(children);
  while (!pending.empty()) {
    std::unique_ptr<Window> w = std::move(pending.back());
    pending.pop_back();
    if (!w)
      continue; // a child moved elsewhere
    for (auto &c : w->children)
      pending.push_back(std::move(c));
    w->children.clear();
  }
}

namespace {

// Calls `visit` for every window below `top`, depth first.
template <class Visit> void for_each_below(const Window &top, Visit visit) {
  std::vector<const Window *> pending{&top};
  while (!pending.empty()) {
    const Window *w = pending.back();
    pending.pop_back();
    for (const auto &c : w->children) {
      visit(*c);
      pending.push_back(c.get());
    }
  }
}

} // namespace

int Window::window_count() const {
  int n = 0;
  for_each_below(*this, [&](const Window &) { ++n; });
  return n;
}

int Window::control_count() const {
  int n = static_cast<int>(controls.size());
  for_each_below(*this, [&](const Window &w) { n += static_cast<int>(w.controls.size()); });
  return n;
}

std::string Outcome::summary() const {
  std::string s;
  if (kind == "load")
    s = "project loaded: " + std::to_string(windows) + " windows, " + std::to_string(controls) +
        " controls";
  else if (kind == "import")
    s = "imported into " + path + ": " + std::to_string(windows) + " windows, " +
        std::to_string(controls) + " controls";
  else if (kind == "target")
    s = "target " + std::to_string(target) + " sends to " + ip + " port " + std::to_string(port);
  else
    s = "unknown payload";
  if (!error.empty())
    s = kind + " refused: " + error;
  return s;
}

Device::Device(Limits limits) : limits_(limits), root_(std::make_unique<Window>()) {}

Outcome Device::apply(std::string_view payload) {
  static constexpr std::string_view reset = "<RESET/>\n";
  if (payload.substr(0, reset.size()) == reset)
    return load(payload.substr(reset.size()));
  if (payload.substr(0, 4) == "<OSC")
    return target(payload);
  if (payload.substr(0, 7) == "<WINDOW" || payload.substr(0, 6) == "<COPY>")
    return import(payload);
  Outcome o;
  o.kind = "unknown";
  o.error = "payload starts with neither <RESET/>, <WINDOW>, <COPY> nor <OSC>";
  return o;
}

Outcome Device::load(std::string_view body) {
  Outcome o;
  o.kind = "load";
  Lexer lex(body, 9);
  auto fresh = std::make_unique<Window>();
  bool stopped = false;
  Room room{limits_, 0, 0, limits_.windows, limits_.path_bytes};
  o.error = read_content(lex, *fresh, {}, stopped, room);
  if (!o.error.empty())
    return o;
  if (lex.stray())
    o.warnings.push_back(std::to_string(lex.stray()) + " characters of text outside tags ignored");
  o.windows = room.made;
  o.controls = fresh->control_count();
  root_ = std::move(fresh);
  windows_ = room.made;
  path_bytes_ = limits_.path_bytes - room.path_bytes;
  ++loads_;
  return o;
}

Outcome Device::import(std::string_view payload) {
  Outcome o;
  o.kind = "import";
  Lexer lex(payload);
  std::vector<std::string> path;
  std::optional<Tag> t;
  while ((t = lex.next()) && t->kind == Tag::open && t->name == "WINDOW") {
    const std::string *name = t->attr("text");
    if (!name) {
      o.error = "<WINDOW> without a text attribute";
      return o;
    }
    path.push_back(*name);
  }
  if (!t || t->kind != Tag::open || t->name != "COPY") {
    o.error = lex.error().empty() ? "expected <COPY> after the window path" : lex.error();
    return o;
  }
  // What the path adds (the windows of it that do not exist yet) and what
  // is left for the content.
  if (path.size() > static_cast<std::size_t>(limits_.depth)) {
    o.error = "windows nested deeper than " + std::to_string(limits_.depth) + " levels";
    return o;
  }
  Room room{limits_, static_cast<int>(path.size()), 0, limits_.windows - windows_,
            limits_.path_bytes - path_bytes_};
  const Window *existing = root_.get();
  for (const auto &name : path) {
    room.path_length += 1 + name.size();
    existing = existing ? existing->child(name) : nullptr;
    if (existing)
      continue;
    if (room.windows == 0 || room.path_length > room.path_bytes) {
      o.error =
          room.windows == 0
              ? "more than " + std::to_string(limits_.windows) + " windows in the project"
              : "window paths longer than " + std::to_string(limits_.path_bytes) + " bytes in all";
      return o;
    }
    --room.windows;
    room.path_bytes -= room.path_length;
  }
  Window content;
  bool stopped = false;
  o.error = read_content(lex, content, "COPY", stopped, room);
  if (!o.error.empty())
    return o;
  if (!stopped) {
    o.error = "<COPY> is not closed";
    return o;
  }
  for (std::size_t i = 0; i < path.size(); ++i) {
    t = lex.next();
    if (!t || t->kind != Tag::close || t->name != "WINDOW") {
      o.error = lex.error().empty() ? "expected </WINDOW> for the window path" : lex.error();
      return o;
    }
  }
  if (lex.next()) {
    o.error = "content after the closing tags";
    return o;
  }
  if (!lex.error().empty()) {
    o.error = lex.error();
    return o;
  }
  if (lex.stray())
    o.warnings.push_back(std::to_string(lex.stray()) + " characters of text outside tags ignored");

  Window *at = root_.get();
  int made = 0;
  for (const auto &name : path) {
    o.path += "/" + name;
    Window *next = at->child(name);
    if (!next) {
      auto w = std::make_unique<Window>();
      w->name = name;
      at->children.push_back(std::move(w));
      next = at->children.back().get();
      ++made;
    }
    at = next;
  }
  if (o.path.empty())
    o.path = "/";
  if (made)
    o.warnings.push_back(std::to_string(made) + " windows of the path did not exist and were made");
  o.windows = room.made + made;
  o.controls = content.control_count();
  windows_ += made + room.made;
  path_bytes_ = limits_.path_bytes - room.path_bytes;
  for (auto &c : content.controls)
    at->controls.push_back(std::move(c));
  for (auto &c : content.children)
    at->children.push_back(std::move(c));
  ++at->copies;
  ++imports_;
  return o;
}

Outcome Device::target(std::string_view payload) {
  Outcome o;
  o.kind = "target";
  Lexer lex(payload);
  auto t = lex.next();
  if (!t) {
    o.error = lex.error();
    return o;
  }
  if (t->kind != Tag::empty || t->name != "OSC") {
    o.error = "expected one <OSC .../> tag";
    return o;
  }
  if (lex.next() || !lex.error().empty() || lex.stray()) {
    o.error = "content after the <OSC/> tag";
    return o;
  }
  const std::string *index = t->attr("target");
  const std::string *ip = t->attr("ip");
  const std::string *port = t->attr("port");
  if (!index || !ip || !port) {
    o.error = "<OSC/> needs the attributes target, ip and port";
    return o;
  }
  const auto i = to_number(*index);
  if (!i || *i < 0 || *i > 7) {
    o.error = "target \"" + *index + "\" is not a number from 0 to 7";
    return o;
  }
  const auto p = to_number(*port);
  if (!p) {
    o.error = "port \"" + *port + "\" is not a number";
    return o;
  }
  o.target = static_cast<int>(*i);
  o.ip = *ip;
  o.port = *p;
  if (*p < 0 || *p > 65535)
    o.warnings.push_back("port " + *port + " is outside 0..65535");
  if (!is_dotted_ipv4(*ip))
    o.warnings.push_back("ip \"" + *ip + "\" is not a dotted IPv4 address");
  targets_[o.target] = Target{true, *ip, *p};
  return o;
}

std::vector<std::string> Device::window_paths() const {
  std::vector<std::string> out;
  // Depth first, each window before the windows in it: the windows being
  // walked, each with the index of its next child, and the path so far.
  std::vector<std::pair<const Window *, std::size_t>> walk{{root_.get(), 0}};
  std::vector<std::size_t> parent_lengths;
  std::string path;
  while (!walk.empty()) {
    auto &[w, next] = walk.back();
    if (next == w->children.size()) {
      walk.pop_back();
      if (!parent_lengths.empty()) {
        path.resize(parent_lengths.back());
        parent_lengths.pop_back();
      }
      continue;
    }
    const Window *c = w->children[next++].get();
    parent_lengths.push_back(path.size());
    path += '/';
    path += c->name;
    out.push_back(path);
    walk.emplace_back(c, 0);
  }
  return out;
}

} // namespace tovik
