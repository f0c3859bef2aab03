// Fuzz target for kithost's text readers: the word splitter, the atom and
// message readers, the hex reader and the script line reader, over one line
// held in a block of exactly its length (no terminator: the readers take a
// view and must not read past it).
//
// Input: byte 0 bit 0 chooses the hex reader instead of the others; the rest
// is the line. Whatever the readers accept must survive printing: the atoms
// printed by format_atoms read back as the same number of atoms, symbols with
// the same names (a line break as the two characters it is printed as), and
// the printed text is one line.
#include "check.hpp"
#include "kit/text.hpp"
#include "script.hpp"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

namespace {

bool is_hex(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// A symbol's name as it reads back after printing.
std::string printed_name(const char *name) {
  std::string out;
  for (; *name; ++name) {
    if (*name == '\n' || *name == '\r')
      out += *name == '\n' ? "\\n" : "\\r";
    else
      out += *name;
  }
  return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  if (size < 1)
    return 0;
  const bool hex = data[0] & 1;
  const std::size_t n = size - 1;
  std::unique_ptr<char[]> block(new char[n ? n : 1]);
  if (n)
    std::memcpy(block.get(), data + 1, n);
  const std::string_view line(block.get(), n);
  std::string error;

  if (hex) {
    auto bytes = kit::parse_hex(line, error);
    if (bytes) {
      std::size_t digits = 0;
      for (char c : line)
        digits += is_hex(c);
      check(bytes->size() * 2 == digits);
    } else {
      check(!error.empty());
    }
    return 0;
  }

  auto script = kithost::read_script_line(line, error);
  auto words = kit::split_words(line, error);
  if (!words) {
    check(!error.empty());
    return 0;
  }
  check(script.has_value());

  auto atoms = kit::parse_atoms(line, error);
  check(atoms && atoms->size() == words->size());
  const std::string printed = kit::format_atoms(*atoms);
  check(printed.find_first_of("\r\n") == std::string::npos);
  auto back = kit::parse_atoms(printed, error);
  check(back && back->size() == atoms->size());
  for (std::size_t i = 0; i < atoms->size(); ++i) {
    const t_atom &a = (*atoms)[i], &b = (*back)[i];
    if (a.a_type == A_SYM && b.a_type == A_SYM)
      check(printed_name(a.a_w.w_sym->s_name) == b.a_w.w_sym->s_name);
    if (a.a_type == A_LONG)
      check(b.a_type == A_LONG && a.a_w.w_long == b.a_w.w_long);
  }

  auto message = kit::parse_message(line, error);
  if (message) {
    check(message->selector != nullptr);
    (void)kit::format_message(message->selector == gensym("FullPacket") ? gensym("list")
                                                                        : message->selector,
                              message->atoms);
  } else {
    check(words->empty() || !error.empty());
  }
  return 0;
}
