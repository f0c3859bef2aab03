// Fuzz target for nexio's configuration parser: random atom lists as
// creation arguments and as "config" messages, with numbers sent while
// nothing is connected and "disconnect" in between. The object's sources are
// compiled into this target so that the parsed configuration can be checked:
// the host and service it keeps must be texts that stay readable. Nothing
// here connects: "bang" and "connect" are never sent.
//
// Input: a sequence of messages. Byte: bits 0-1 pick the message (0 and 1
// config, 2 numbers, 3 disconnect); the next byte is the atom count (mod 12),
// then each atom: a type byte (0 long, 1 float, else symbol), then for a
// long 4 bytes, for a float 4 bytes (the bits of a single-precision value),
// for a symbol one byte: below 40 a word from a list of the parser's words,
// else a length and that many bytes of text. The first message always
// creates the object.
#include "check.hpp"
#include "fuzz_host.hpp"
#include "nexio/nexio.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

const char *const parser_words[] = {
    "@address", "@hostname", "@service",  "@family", "@type", "@protocol", "@a",        "@h",
    "@s",       "@f",        "@t",        "@p",      "@",     "@x",        "@addressx", "inet",
    "inet6",    "unspec",    "*",         "stream",  "dgram", "tcp",       "udp",       "0",
    "",         "localhost", "127.0.0.1", "::1",     "8000",  "http"};

struct Input {
  const std::uint8_t *p;
  std::size_t left;
  std::uint8_t byte() {
    if (left == 0)
      return 0;
    --left;
    return *p++;
  }
  std::uint32_t word() {
    std::uint32_t v = 0;
    for (int i = 0; i < 4; ++i)
      v = (v << 8) | byte();
    return v;
  }
};

std::vector<t_atom> read_atoms(Input &in) {
  std::vector<t_atom> atoms(in.byte() % 12);
  for (t_atom &a : atoms) {
    const std::uint8_t type = in.byte() % 3;
    if (type == 0) {
      a.a_type = A_LONG;
      a.a_w.w_long = (std::int32_t)in.word();
    } else if (type == 1) {
      const std::uint32_t bits = in.word();
      float f;
      std::memcpy(&f, &bits, sizeof f);
      a.a_type = A_FLOAT;
      a.a_w.w_float = f;
    } else {
      const std::uint8_t pick = in.byte();
      std::string text;
      if (pick < 40) {
        text = parser_words[pick % (sizeof parser_words / sizeof parser_words[0])];
      } else {
        const std::size_t n = std::min<std::size_t>(in.byte() % 40, in.left);
        text.assign(reinterpret_cast<const char *>(in.p), n);
        in.p += n;
        in.left -= n;
      }
      a.a_type = A_SYM;
      a.a_w.w_sym = gensym(text.c_str());
    }
  }
  return atoms;
}

// The kept configuration holds readable texts, never empty ones.
void check_config(const nexio_object *x) {
  if (x->info.host)
    check(std::strlen(x->info.host) > 0);
  if (x->info.serv)
    check(std::strlen(x->info.serv) > 0);
  const int family = x->info.hints.ai_family;
  check(family == AF_UNSPEC || family == AF_INET || family == AF_INET6);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  kit::Host &host = fuzzhost::start("nexio", [] { ext_main(nullptr); });
  Input in{data, size};
  const long blocks_before = fuzzhost::live_blocks();

  std::vector<t_atom> args = read_atoms(in);
  t_object *made = fuzzhost::make("nexio", args);
  check(made != nullptr);
  const auto *x = reinterpret_cast<const nexio_object *>(made);
  check_config(x);
  for (int step = 0; step < 16 && in.left > 0; ++step) {
    const std::uint8_t which = in.byte() & 3;
    if (which == 3) {
      fuzzhost::send(made, "disconnect");
      continue;
    }
    std::vector<t_atom> atoms = read_atoms(in);
    fuzzhost::send(made, which == 2 ? "list" : "config", atoms);
    check_config(x);
  }
  host.free(made);
  // The handle went back with the object, and no clock of it is left armed.
  check(fuzzhost::live_blocks() == blocks_before);
  check(host.pending().clocks == 0);
  return 0;
}
