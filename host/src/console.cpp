// post and error: formatted whole into a buffer that grows to fit (nothing is
// ever cut), then handed to the sink under one lock.
#include "console.hpp"
#include "objects.hpp"
#include "scheduler.hpp"

#include <cstdarg>
#include <cstdio>
#include <mutex>
#include <string>

namespace kit::rt {
namespace {

void write_to_stdout(ConsoleLevel level, std::string_view text) {
  std::string line = level == ConsoleLevel::error ? "error: " : "post: ";
  line.append(text);
  line.push_back('\n');
  std::fwrite(line.data(), 1, line.size(), stdout);
  std::fflush(stdout);
}

struct Console {
  // Recursive: a sink that posts itself must not deadlock.
  std::recursive_mutex mutex;
  ConsoleSink sink = write_to_stdout;
};

Console &console() {
  // Never destroyed: threads may post while the process exits.
  static Console *instance = new Console;
  return *instance;
}

std::string format(const char *fmt, va_list args) {
  if (!fmt)
    return {};
  char small[256];
  va_list copy;
  va_copy(copy, args);
  const int length = std::vsnprintf(small, sizeof small, fmt, copy);
  va_end(copy);
  if (length < 0)
    return std::string("(unprintable console text: ") + fmt + ")";
  if (static_cast<size_t>(length) < sizeof small)
    return std::string(small, static_cast<size_t>(length));
  std::string text(static_cast<size_t>(length) + 1, '\0');
  std::vsnprintf(text.data(), text.size(), fmt, args);
  text.resize(static_cast<size_t>(length));
  return text;
}

// The class name an object's lines start with; empty for no object or for
// something that is not one. Off the main thread the object is taken to be
// alive (the caller holds it), and only its header is read.
std::string_view poster_name(const t_object *x) {
  if (!x)
    return {};
  if (Scheduler::get().off_main_thread())
    return x->o_magic == object_magic ? live_class_name(x) : std::string_view();
  const ObjectState *state = object_state(x);
  return state ? state->cls->name->s_name : std::string_view();
}

void object_line(ConsoleLevel level, const t_object *x, std::string_view tag, const char *fmt,
                 va_list args) {
  std::string text(poster_name(x));
  if (!text.empty())
    text += ": ";
  text += tag;
  text += format(fmt, args);
  console_write(level, text);
}

} // namespace

void set_console_sink(ConsoleSink sink) {
  Console &c = console();
  std::lock_guard lock(c.mutex);
  c.sink = sink ? std::move(sink) : ConsoleSink(write_to_stdout);
}

void console_write(ConsoleLevel level, std::string_view text) {
  Console &c = console();
  std::lock_guard lock(c.mutex);
  c.sink(level, text);
}

} // namespace kit::rt

void post(const char *fmt, ...) {
  va_list args;
  va_start(args, fmt);
  std::string text = kit::rt::format(fmt, args);
  va_end(args);
  kit::rt::console_write(kit::ConsoleLevel::post, text);
}

void error(const char *fmt, ...) {
  va_list args;
  va_start(args, fmt);
  std::string text = kit::rt::format(fmt, args);
  va_end(args);
  kit::rt::console_write(kit::ConsoleLevel::error, text);
}

void object_post(t_object *x, const char *s, ...) {
  va_list args;
  va_start(args, s);
  kit::rt::object_line(kit::ConsoleLevel::post, x, {}, s, args);
  va_end(args);
}

void object_error(t_object *x, const char *s, ...) {
  va_list args;
  va_start(args, s);
  kit::rt::object_line(kit::ConsoleLevel::error, x, {}, s, args);
  va_end(args);
}

void object_warn(t_object *x, const char *s, ...) {
  va_list args;
  va_start(args, s);
  kit::rt::object_line(kit::ConsoleLevel::post, x, "warning: ", s, args);
  va_end(args);
}

void cpost(const char *fmt, ...) {
  va_list args;
  va_start(args, fmt);
  std::string text = kit::rt::format(fmt, args);
  va_end(args);
  // The system's console is standard error, away from the host's lines.
  if (text.empty() || text.back() != '\n')
    text.push_back('\n');
  std::fwrite(text.data(), 1, text.size(), stderr);
}
