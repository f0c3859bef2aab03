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
#include "host_stub.hpp"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

int rkudp_unpack_main(void);

namespace {

using PacketFn = void (*)(void *, t_atom_long, t_atom_long);
using LongFn = void (*)(void *, t_atom_long);
using VoidFn = void (*)(void *);
using NewFn = void *(*)(t_atom_long);

struct Run {
  void *x = nullptr;
  const uint8_t *script = nullptr;
  size_t script_left = 0;
  const uint8_t *datagram = nullptr;
  size_t length = 0;
  int depth = 0;
  PacketFn packet = nullptr;
  LongFn seek = nullptr;
  LongFn size = nullptr;
  VoidFn cancel = nullptr;
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

void check(bool ok) {
  if (!ok) {
    std::abort();
  }
}

void on_output(int outlet, long count, const t_atom *atoms, t_atom_long value) {
  // What comes out must be what the datagram can hold.
  if (outlet == 0 && atoms) {
    check(count >= 1 && count <= 256);
    for (long i = 0; i < count; ++i) {
      check(atoms[i].a_type == A_LONG && atoms[i].a_w.w_long >= 0 && atoms[i].a_w.w_long <= 255);
    }
  } else if (outlet == 1) {
    check(value >= 0 && value < 65536);
  } else {
    check(value >= 0 && value <= 255);
  }

  switch (next_byte() & 7) {
  case 1:
    run.seek(run.x, (int8_t)next_byte());
    break;
  case 2:
    run.seek(run.x, next_long());
    break;
  case 3:
    run.cancel(run.x);
    break;
  case 4:
    run.size(run.x, (int8_t)next_byte());
    break;
  case 5:
    run.size(run.x, next_long());
    break;
  case 6:
    if (run.depth < 2) {
      ++run.depth;
      run.packet(run.x, (t_atom_long)run.length, (t_atom_long)(uintptr_t)run.datagram);
      --run.depth;
    }
    break;
  default:
    break;
  }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  static const bool registered = [] {
    rkudp_unpack_main();
    stub::set_output_hook(on_output);
    return true;
  }();
  (void)registered;
  if (size < 4) {
    return 0;
  }
  const stub::Registered &reg = stub::registered();
  run = Run{};
  run.packet = reinterpret_cast<PacketFn>(reg.find("FullPacket"));
  run.seek = reinterpret_cast<LongFn>(reg.find("seek"));
  run.size = reinterpret_cast<LongFn>(reg.find("size"));
  run.cancel = reinterpret_cast<VoidFn>(reg.find("cancel"));

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

  stub::fail_allocations(flags & 1);
  run.x = reinterpret_cast<NewFn>(reg.mnew)(argument);
  check(run.x != nullptr);
  if (flags & 4) {
    run.packet(run.x, (t_atom_long)run.length + 65536, 0);
  } else {
    run.packet(run.x, (t_atom_long)run.length, (t_atom_long)(uintptr_t)run.datagram);
    if (flags & 2) {
      run.packet(run.x, (t_atom_long)run.length, (t_atom_long)(uintptr_t)run.datagram);
    }
  }
  stub::free_object(run.x);
  stub::fail_allocations(false);
  // Every block the object took went back when it was freed.
  check(stub::live_blocks() == 0);
  return 0;
}
