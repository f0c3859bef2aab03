// The host functions that the fuzzed object uses, and nothing more.
#include "host_stub.hpp"

#include "ext_obex.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <set>
#include <vector>

namespace stub {
namespace {

struct Outlet {
  void *owner;
  int created; // 0 for the first outlet made
};

struct Symbol {
  std::string name;
  t_symbol sym;
};

struct State {
  Registered reg;
  std::map<std::string, method> methods;
  std::map<std::string, std::unique_ptr<Symbol>> symbols;
  std::map<void *, int> outlet_counts;
  std::vector<std::unique_ptr<Outlet>> outlets;
  std::set<void *> blocks;
  OutputHook hook = nullptr;
  bool fail = false;
  long errors = 0;
};

State &state() {
  static State s;
  return s;
}

void *new_outlet(void *x) {
  State &s = state();
  s.outlets.push_back(std::make_unique<Outlet>(Outlet{x, s.outlet_counts[x]++}));
  return s.outlets.back().get();
}

void output(void *o, long count, const t_atom *atoms, t_atom_long value) {
  const Outlet *outlet = static_cast<const Outlet *>(o);
  State &s = state();
  if (s.hook) {
    s.hook(s.outlet_counts[outlet->owner] - 1 - outlet->created, count, atoms, value);
  }
}

} // namespace

method Registered::find(const std::string &name) const {
  auto it = state().methods.find(name);
  return it == state().methods.end() ? nullptr : it->second;
}

const Registered &registered() {
  return state().reg;
}
void set_output_hook(OutputHook hook) {
  state().hook = hook;
}
void fail_allocations(bool fail) {
  state().fail = fail;
}
long live_blocks() {
  return (long)state().blocks.size();
}
long error_count() {
  return state().errors;
}

void free_object(void *x) {
  State &s = state();
  if (s.reg.mfree) {
    reinterpret_cast<void (*)(void *)>(s.reg.mfree)(x);
  }
  std::free(x);
  s.outlet_counts.erase(x);
  std::erase_if(s.outlets, [x](const std::unique_ptr<Outlet> &o) { return o->owner == x; });
}

} // namespace stub

using stub::state;

t_class *class_new(const char *, const method mnew, const method mfree, long size, const method,
                   short, ...) {
  stub::State &s = state();
  s.reg.mnew = mnew;
  s.reg.mfree = mfree;
  s.reg.size = size;
  static char token;
  return reinterpret_cast<t_class *>(&token);
}

t_max_err class_addmethod(t_class *, const method m, const char *name, ...) {
  state().methods[name] = m;
  return MAX_ERR_NONE;
}

t_max_err class_register(t_symbol *, t_class *) {
  return MAX_ERR_NONE;
}

void *object_alloc(t_class *) {
  return std::calloc(1, (size_t)state().reg.size);
}

t_symbol *gensym(const char *name) {
  auto &slot = state().symbols[name];
  if (!slot) {
    slot = std::make_unique<stub::Symbol>();
    slot->name = name;
    slot->sym.s_name = slot->name.data();
    slot->sym.s_thing = nullptr;
  }
  return &slot->sym;
}

void *inlet4(void *, void *, char *, char *) {
  static char token;
  return &token;
}

void *intout(void *x) {
  return stub::new_outlet(x);
}
void *listout(void *x) {
  return stub::new_outlet(x);
}
void *outlet_new(void *x, const char *) {
  return stub::new_outlet(x);
}

void *outlet_int(void *o, t_atom_long n) {
  stub::output(o, 1, nullptr, n);
  return nullptr;
}

void *outlet_list(void *o, t_symbol *, short ac, t_atom *av) {
  stub::output(o, ac, av, 0);
  return nullptr;
}

void *outlet_anything(void *o, t_symbol *, short ac, t_atom *av) {
  stub::output(o, ac, av, 0);
  return nullptr;
}

t_max_err atom_setlong(t_atom *a, t_atom_long b) {
  a->a_type = A_LONG;
  a->a_w.w_long = b;
  return MAX_ERR_NONE;
}

t_max_err atom_setfloat(t_atom *a, double b) {
  a->a_type = A_FLOAT;
  a->a_w.w_float = b;
  return MAX_ERR_NONE;
}

void error(const char *fmt, ...) {
  char line[512];
  va_list args;
  va_start(args, fmt);
  std::vsnprintf(line, sizeof line, fmt, args);
  va_end(args);
  ++state().errors;
}

void post(const char *, ...) {}

t_ptr sysmem_newptr(t_ptr_size size) {
  stub::State &s = state();
  if (s.fail) {
    return nullptr;
  }
  auto p = static_cast<t_ptr>(std::malloc(size ? size : 1));
  s.blocks.insert(p);
  return p;
}

void sysmem_freeptr(void *b) {
  if (state().blocks.erase(b) != 1) {
    std::fprintf(stderr, "host stub: sysmem_freeptr(%p) of a block it did not give\n", b);
    std::abort();
  }
  std::free(b);
}

// ---- Clocks ------------------------------------------------------------------

namespace {
// A clock: armed or not; the fuzz targets never run the scheduler.
struct StubClock {
  void *owner;
  method fn;
  bool armed;
};
std::set<void *> &clocks() {
  static std::set<void *> c;
  return c;
}
} // namespace

t_clock *clock_new(void *x, method fn) {
  auto *c = new StubClock{x, fn, false};
  clocks().insert(c);
  return c;
}

void clock_delay(void *x, long) {
  static_cast<StubClock *>(x)->armed = true;
}

void clock_unset(void *x) {
  static_cast<StubClock *>(x)->armed = false;
}

void freeobject(void *op) {
  if (clocks().erase(op)) {
    delete reinterpret_cast<StubClock *>(op);
    return;
  }
  stub::free_object(op);
}

namespace stub {
long live_clocks() {
  return (long)clocks().size();
}
} // namespace stub
