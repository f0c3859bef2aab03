// Fuzz target for nexio's configuration parser: random atom lists as
// creation arguments and as "config" messages, with numbers sent while
// nothing is connected and "disconnect" in between. The object's sources are
// compiled into this file so that the parsed configuration can be checked:
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
// The object itself and its other sources, from its folder (see CMakeLists.txt).
#include "nexio.cpp"
#include "nexio/config.cpp"
#include "nexio/connection.cpp"

#include "host_stub.hpp"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

#define check(ok) ((ok) ? (void)0 : fail(__LINE__, #ok))
[[noreturn]] void fail(int line, const char *what) {
  std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, line, what);
  std::abort();
}

const char *const kWords[] = {"@address", "@hostname", "@service",  "@family", "@type", "@protocol",
                              "@a",       "@h",        "@s",        "@f",      "@t",    "@p",
                              "@",        "@x",        "@addressx", "inet",    "inet6", "unspec",
                              "*",        "stream",    "dgram",     "tcp",     "udp",   "0",
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
        text = kWords[pick % (sizeof kWords / sizeof kWords[0])];
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
  static const bool registered = [] {
    nexio_main();
    return true;
  }();
  (void)registered;
  Input in{data, size};

  std::vector<t_atom> args = read_atoms(in);
  auto *x =
      static_cast<nexio_object *>(nexio_new(gensym("nexio"), (short)args.size(), args.data()));
  check(x != nullptr);
  check_config(x);
  for (int step = 0; step < 16 && in.left > 0; ++step) {
    const std::uint8_t which = in.byte() & 3;
    if (which == 3) {
      nexio_disconnect(x);
      continue;
    }
    std::vector<t_atom> atoms = read_atoms(in);
    if (which == 2)
      nexio_list(x, gensym("list"), (short)atoms.size(), atoms.data());
    else
      nexio_config(x, gensym("config"), (short)atoms.size(), atoms.data());
    check_config(x);
  }
  stub::free_object(x);
  // The handle and the clock went back with the object.
  check(stub::live_blocks() == 0);
  check(stub::live_clocks() == 0);
  return 0;
}
