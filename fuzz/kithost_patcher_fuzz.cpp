// Fuzz target for kithost's patcher reader: arbitrary text read as a
// patcher file and built with the host's built-in classes (message boxes,
// buttons, inlets and outlets of subpatchers, delays, prints). No module
// folder is set, so a box naming any other class is an error. Whatever the
// reader builds is freed again at the end of each input.
//
// Input: the file's text.
#include "builtins/builtins.hpp"
#include "patcher.hpp"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  static kit::Host &host = []() -> kit::Host & {
    kit::Host &h = kit::Host::instance();
    kithost::builtins::define_all(h);
    // Console lines (prints, errors of boxes) go nowhere.
    h.set_console_sink([](kit::ConsoleLevel, std::string_view) {});
    return h;
  }();
  const std::string text(reinterpret_cast<const char *>(data), size);
  kithost::PatchError failure;
  auto patch = kithost::Patch::load_text(host, text, "fuzz.maxpat", failure);
  if (!patch)
    return 0;
  patch.reset();
  return 0;
}
