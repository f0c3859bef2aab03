// Fuzz target for rkudp-unpack: arbitrary datagrams, read while the patch
// steers the reading from inside the outputs, with every setting the object
// can be created with.
//
// Input: byte 0 the creation argument (signed; 0x7F stands for 300),
// byte 1 flags (bit 0: memory fails, bit 1: the datagram is read twice,
// bit 2: a bogus length instead), bytes 2-3 the length S of the steering
// script, S script bytes, then the datagram: the rest of the input, handed
// over in place so that any read past its end is caught.
//
// Each output takes the next script byte: 1 seek by a small number, 2 seek
// by a 64-bit number, 3 cancel, 4 size by a small number, 5 size by a 64-bit
// number, 6 feed the datagram back in (two levels at most), anything else
// no answer.
#include "check.hpp"
#include "fuzz_host.hpp"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

struct Run {
  t_object *x = nullptr;
  const uint8_t *script = nullptr;
  size_t script_left = 0;
  const uint8_t *datagram = nullptr;
  size_t length = 0;
  int depth = 0;
};

Run run;

uint8_t next_byte() {
  if (run.script_left == 0) {
    return 0;
  }
  --run.script_left;
  return *run.script++;
}

t_atom_long next_long() {
  uint64_t v = 0;
  for (int i = 0; i < 8; ++i) {
    v = (v << 8) | next_byte();
  }
  return (t_atom_long)v;
}

void send_long(const char *selector, t_atom_long value) {
  t_atom a;
  atom_setlong(&a, value);
  fuzzhost::send(run.x, selector, {&a, 1});
}

void send_packet(t_atom_long length, const void *bytes) {
  t_atom a[2];
  atom_setlong(&a[0], length);
  atom_setlong(&a[1], (t_atom_long)(uintptr_t)bytes);
  fuzzhost::send(run.x, "FullPacket", a);
}

void on_output(int outlet, std::span<const t_atom> atoms) {
  // What comes out must be what the datagram can hold.
  if (outlet == 0) {
    check(atoms.size() >= 1 && atoms.size() <= 256);
    for (const t_atom &a : atoms) {
      check(a.a_type == A_LONG && a.a_w.w_long >= 0 && a.a_w.w_long <= 255);
    }
  } else {
    check(atoms.size() == 1 && atoms[0].a_type == A_LONG);
    const t_atom_long value = atoms[0].a_w.w_long;
    check(value >= 0 && value < (outlet == 1 ? 65536 : 256));
  }

  switch (next_byte() & 7) {
  case 1:
    send_long("seek", (int8_t)next_byte());
    break;
  case 2:
    send_long("seek", next_long());
    break;
  case 3:
    fuzzhost::send(run.x, "cancel");
    break;
  case 4:
    send_long("size", (int8_t)next_byte());
    break;
  case 5:
    send_long("size", next_long());
    break;
  case 6:
    if (run.depth < 2) {
      ++run.depth;
      send_packet((t_atom_long)run.length, run.datagram);
      --run.depth;
    }
    break;
  default:
    break;
  }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  kit::Host &host = fuzzhost::start("rkudp-unpack", [] { ext_main(nullptr); });
  if (size < 4) {
    return 0;
  }
  run = Run{};
  const long blocks_before = fuzzhost::live_blocks();

  const t_atom_long argument = data[0] == 0x7F ? 300 : (int8_t)data[0];
  const uint8_t flags = data[1];
  size_t script = ((size_t)data[2] << 8) | data[3];
  data += 4;
  size -= 4;
  if (script > size) {
    script = size;
  }
  run.script = data;
  run.script_left = script;
  run.datagram = data + script;
  run.length = size - script;

  t_atom created;
  atom_setlong(&created, argument);
  run.x = fuzzhost::make("rkudp-unpack", {&created, 1});
  check(run.x != nullptr);
  for (int outlet = 0; outlet < host.outlet_count(run.x); ++outlet) {
    host.watch(run.x, outlet,
               [outlet](t_symbol *, std::span<const t_atom> atoms) { on_output(outlet, atoms); });
  }
  fuzzhost::fail_allocations(flags & 1);
  if (flags & 4) {
    send_packet((t_atom_long)run.length + 65536, nullptr);
  } else {
    send_packet((t_atom_long)run.length, run.datagram);
    if (flags & 2) {
      send_packet((t_atom_long)run.length, run.datagram);
    }
  }
  fuzzhost::fail_allocations(false);
  host.free(run.x);
  // Every block the object took went back when it was freed.
  check(fuzzhost::live_blocks() == blocks_before);
  return 0;
}
