#include "output.hpp"

#include <cstdio>
#include <utility>

namespace kithost {

namespace {

void write_line(std::FILE *stream, std::string_view text) {
  // One write per line: stdio locks the stream per call, so a line from a
  // network thread's console message never splits one of ours.
  std::string whole(text);
  whole += '\n';
  std::fwrite(whole.data(), 1, whole.size(), stream);
  std::fflush(stream);
}

} // namespace

void Output::line(std::string_view text) {
  {
    std::lock_guard lock(mutex_);
    if (holding_) {
      held_.emplace_back(text);
      return;
    }
  }
  write_line(stdout, text);
}

void Output::flush() {
  std::fflush(stdout);
}

void Output::diagnostic(std::string_view where, std::string_view message) {
  std::fflush(stdout);
  std::string text = "kithost: ";
  if (!where.empty()) {
    text += where;
    text += ": ";
  }
  text += message;
  write_line(stderr, text);
}

void Output::attach_console(kit::Host &host, bool to_stderr, bool quiet) {
  host.set_console_sink([this, to_stderr, quiet](kit::ConsoleLevel level, std::string_view text) {
    if (level == kit::ConsoleLevel::error)
      errors_seen_.fetch_add(1);
    else if (quiet)
      return;
    std::string whole = level == kit::ConsoleLevel::error ? "error: " : "post: ";
    whole += text;
    if (to_stderr)
      write_line(stderr, whole);
    else
      line(whole);
  });
}

void Output::hold(bool on) {
  std::lock_guard lock(mutex_);
  holding_ = on;
}

std::vector<std::string> Output::take_held() {
  std::lock_guard lock(mutex_);
  return std::exchange(held_, {});
}

std::string outlet_line(std::string_view name, int outlet, t_symbol *selector,
                        std::span<const t_atom> atoms) {
  std::string text = std::string(name) + "." + std::to_string(outlet) + ":";
  std::string body = kit::format_message(selector, atoms);
  if (!body.empty())
    text += " " + body;
  return text;
}

} // namespace kithost
