// Message delivery through the host: an int from an outlet to a connected
// inlet, and a 256-atom list, each against a direct C call of the same
// receiving function (the cost of the call itself).
#include "ext.h"
#include "ext_obex.h"
#include "kit/host.hpp"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

struct Source {
  t_object ob;
  void *out;
};

struct Sink {
  t_object ob;
  t_atom_long sum;
};

t_class *source_class;
t_class *sink_class;

void *source_new() {
  auto *x = static_cast<Source *>(object_alloc(source_class));
  x->out = outlet_new(x, nullptr);
  return x;
}

void *sink_new() {
  return object_alloc(sink_class);
}

// The receiving methods, kept out of line as a module's would be.
__attribute__((noinline)) void sink_int(Sink *x, t_atom_long n) {
  x->sum += n;
}

__attribute__((noinline)) void sink_list(Sink *x, t_symbol *, short argc, t_atom *argv) {
  x->sum += argc + argv[argc - 1].a_w.w_long;
}

void bench_main() {
  source_class = class_new("bench-source", (method)source_new, nullptr, sizeof(Source), nullptr, 0);
  class_register(gensym("box"), source_class);
}

void bench_sink_main() {
  sink_class = class_new("bench-sink", (method)sink_new, nullptr, sizeof(Sink), nullptr, 0);
  class_addmethod(sink_class, (method)sink_int, "int", A_LONG, 0);
  class_addmethod(sink_class, (method)sink_list, "list", A_GIMME, 0);
  class_register(gensym("box"), sink_class);
}

struct Patch {
  Source *source;
  Sink *sink;
};

Patch &patch() {
  static Patch made = [] {
    kit::Host &host = kit::Host::instance();
    host.set_manual_clock(true);
    host.define_module("bench-source", bench_main);
    host.define_module("bench-sink", bench_sink_main);
    std::string error;
    Patch p{};
    p.source = reinterpret_cast<Source *>(host.make("bench-source", {}, error));
    p.sink = reinterpret_cast<Sink *>(host.make("bench-sink", {}, error));
    if (!p.source || !p.sink || !host.connect(&p.source->ob, 0, &p.sink->ob, 0, error)) {
      std::fprintf(stderr, "bench: cannot build the patch: %s\n", error.c_str());
      std::exit(1);
    }
    return p;
  }();
  return made;
}

void BM_DirectCallInt(benchmark::State &state) {
  Sink *sink = patch().sink;
  auto *fn = &sink_int;
  benchmark::DoNotOptimize(fn);
  t_atom_long n = 0;
  for (auto _ : state)
    fn(sink, ++n);
  benchmark::DoNotOptimize(sink->sum);
}
BENCHMARK(BM_DirectCallInt);

void BM_OutletInt(benchmark::State &state) {
  Patch &p = patch();
  void *out = p.source->out;
  t_atom_long n = 0;
  for (auto _ : state)
    outlet_int(out, ++n);
  benchmark::DoNotOptimize(p.sink->sum);
}
BENCHMARK(BM_OutletInt);

std::vector<t_atom> list_of_256() {
  std::vector<t_atom> atoms(256);
  for (size_t i = 0; i < atoms.size(); ++i)
    atom_setlong(&atoms[i], static_cast<t_atom_long>(i));
  return atoms;
}

void BM_DirectCallList256(benchmark::State &state) {
  Sink *sink = patch().sink;
  std::vector<t_atom> atoms = list_of_256();
  t_symbol *list = gensym("list");
  auto *fn = &sink_list;
  benchmark::DoNotOptimize(fn);
  for (auto _ : state)
    fn(sink, list, 256, atoms.data());
  benchmark::DoNotOptimize(sink->sum);
}
BENCHMARK(BM_DirectCallList256);

void BM_OutletList256(benchmark::State &state) {
  Patch &p = patch();
  std::vector<t_atom> atoms = list_of_256();
  void *out = p.source->out;
  for (auto _ : state)
    outlet_list(out, nullptr, 256, atoms.data());
  benchmark::DoNotOptimize(p.sink->sum);
}
BENCHMARK(BM_OutletList256);

// For comparison: a message from outside the patch, which copies its atoms
// and looks its method up (kithost's send).
void BM_HostSendInt(benchmark::State &state) {
  Patch &p = patch();
  kit::Host &host = kit::Host::instance();
  t_symbol *int_selector = gensym("int");
  t_atom value;
  atom_setlong(&value, 1);
  for (auto _ : state)
    host.send(&p.sink->ob, 0, int_selector, {&value, 1});
  benchmark::DoNotOptimize(p.sink->sum);
}
BENCHMARK(BM_HostSendInt);

void BM_HostSendList256(benchmark::State &state) {
  Patch &p = patch();
  kit::Host &host = kit::Host::instance();
  t_symbol *list = gensym("list");
  std::vector<t_atom> atoms = list_of_256();
  for (auto _ : state)
    host.send(&p.sink->ob, 0, list, atoms);
  benchmark::DoNotOptimize(p.sink->sum);
}
BENCHMARK(BM_HostSendList256);

} // namespace
