// Packing and unpacking controller datagrams through the host, each beside a
// memcpy of the same bytes (compare the two in one run):
// - Pack: lists of 256 numbers into rkudp-pack, datagrams out of its outlet;
// - Unpack: 1472-byte datagrams (one message of 1462 data bytes) into
//   rkudp-unpack, as lists of 256 bytes and as one int per byte.
// The outlets are left unconnected, so the figures are the objects' own work
// plus the host's delivery into them.
#include "kit/host.hpp"

#include <benchmark/benchmark.h>

#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

t_atom long_atom(t_atom_long v) {
  t_atom a;
  atom_setlong(&a, v);
  return a;
}

kit::Host &host() {
  static kit::Host &h = []() -> kit::Host & {
    kit::Host &h = kit::Host::instance();
    h.add_module_dir(KIT_MODULE_DIR);
    h.set_console_sink([](kit::ConsoleLevel, std::string_view) {});
    return h;
  }();
  return h;
}

t_object *make(const char *name, std::vector<t_atom> args) {
  std::string error;
  t_object *x = host().make(name, args, error);
  if (!x) {
    throw std::runtime_error(error);
  }
  return x;
}

// A packer with buffer ID 1 builds datagrams; one without drops every list,
// which leaves the host's delivery of the list alone.
void pack(benchmark::State &state, t_atom_long id) {
  t_object *pack = make("rkudp-pack", {long_atom(id)});
  std::vector<t_atom> list(256);
  for (std::size_t i = 0; i < list.size(); ++i) {
    list[i] = long_atom((t_atom_long)i);
  }
  t_symbol *s_list = gensym("list");
  t_symbol *s_goto = gensym("goto");
  const t_atom start = long_atom(1);
  long n = 0;
  for (auto _ : state) {
    // Back to index 1 before the 65536 index space is used up.
    if (n++ % 200 == 0) {
      host().send(pack, 0, s_goto, {&start, 1});
    }
    host().send(pack, 0, s_list, list);
  }
  state.SetBytesProcessed(state.iterations() * 256);
  host().free(pack);
}

void BM_Pack256(benchmark::State &state) {
  pack(state, 1);
}
BENCHMARK(BM_Pack256);

void BM_Pack256Dropped(benchmark::State &state) {
  pack(state, 0);
}
BENCHMARK(BM_Pack256Dropped);

void BM_Memcpy256(benchmark::State &state) {
  std::vector<unsigned char> from(256, 7), to(1472);
  for (auto _ : state) {
    std::memcpy(to.data(), from.data(), from.size());
    benchmark::DoNotOptimize(to.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * 256);
}
BENCHMARK(BM_Memcpy256);

std::vector<unsigned char> full_datagram() {
  std::vector<unsigned char> d = {0xC0, 0xB7, 0x00, 0x00, 0xCA, 0x01, 0x05, 0xBC, 0x00, 0x01};
  for (int i = 0; i < 1462; ++i) {
    d.push_back((unsigned char)i);
  }
  return d;
}

void unpack(benchmark::State &state, t_atom_long size) {
  t_object *u = make("rkudp-unpack", {long_atom(size)});
  const std::vector<unsigned char> datagram = full_datagram();
  const t_atom packet[2] = {long_atom((t_atom_long)datagram.size()),
                            long_atom((t_atom_long)(t_ptr_uint)datagram.data())};
  t_symbol *s_full = gensym("FullPacket");
  for (auto _ : state) {
    host().send(u, 0, s_full, packet);
  }
  state.SetBytesProcessed(state.iterations() * (int64_t)datagram.size());
  state.counters["datagrams/s"] =
      benchmark::Counter((double)state.iterations(), benchmark::Counter::kIsRate);
  host().free(u);
}

void BM_UnpackList256(benchmark::State &state) {
  unpack(state, 256);
}
BENCHMARK(BM_UnpackList256);

void BM_UnpackInt(benchmark::State &state) {
  unpack(state, -1);
}
BENCHMARK(BM_UnpackInt);

void BM_Memcpy1472(benchmark::State &state) {
  std::vector<unsigned char> from(1472, 7), to(1472);
  for (auto _ : state) {
    std::memcpy(to.data(), from.data(), from.size());
    benchmark::DoNotOptimize(to.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * 1472);
  state.counters["datagrams/s"] =
      benchmark::Counter((double)state.iterations(), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_Memcpy1472);

} // namespace

BENCHMARK_MAIN();
