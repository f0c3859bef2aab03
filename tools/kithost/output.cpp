#include "output.hpp"

#include "builtins/builtins.hpp"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <utility>

namespace kithost {

namespace {

// The reason of the first failed write to standard output (an errno value),
// 0 while none failed. Any thread writes lines.
std::atomic<int> stdout_error{0};

void note_stdout_failure(int error) {
  int none = 0;
  stdout_error.compare_exchange_strong(none, error ? error : EIO);
}

void write_line(std::FILE *stream, std::string_view text) {
  // One write per line: stdio locks the stream per call, so a line from a
  // network thread's console message never splits one of ours.
  std::string whole(text);
  whole += '\n';
  errno = 0;
  const bool written = std::fwrite(whole.data(), 1, whole.size(), stream) == whole.size() &&
                       std::fflush(stream) == 0;
  if (!written && stream == stdout)
    note_stdout_failure(errno);
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
  errno = 0;
  if (std::fflush(stdout) != 0)
    note_stdout_failure(errno);
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
  // What a patch prints is the run's result: -q never drops it.
  builtins::set_print_sink([this, to_stderr](std::string_view text) {
    const std::string whole = "post: " + std::string(text);
    if (to_stderr)
      write_line(stderr, whole);
    else
      line(whole);
  });
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

int check_standard_output(int status, int failed_status) {
  errno = 0;
  if (!std::cout.flush())
    note_stdout_failure(errno);
  errno = 0;
  if (std::fflush(stdout) != 0)
    note_stdout_failure(errno);
  if (std::ferror(stdout))
    note_stdout_failure(0);
  const int error = stdout_error.load();
  if (error == 0)
    return status;
  const std::string text =
      std::string("kithost: cannot write standard output (") + std::strerror(error) + ")\n";
  std::fputs(text.c_str(), stderr);
  return failed_status;
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
