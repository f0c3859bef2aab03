// The wrapped allocator: this program defines sysmem_newptr and
// sysmem_freeptr, which the object compiled into it (and the host library,
// through its symbol table) then call; they pass every request on to the
// host library's own.
#include "fuzz_host.hpp"

#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

bool failing = false;
long taken = 0;

template <class Fn> Fn host_function(const char *name) {
  auto *fn = reinterpret_cast<Fn>(dlsym(RTLD_NEXT, name));
  if (!fn) {
    std::fprintf(stderr, "fuzz host: the host library has no %s\n", name);
    std::abort();
  }
  return fn;
}

t_ptr counted(t_ptr block) {
  if (block)
    ++taken;
  return block;
}

} // namespace

// Every call that can make a block is wrapped, so that the count stays
// whole whichever of them the host library uses inside.
extern "C" t_ptr sysmem_newptr(t_ptr_size size) {
  using Newptr = t_ptr (*)(t_ptr_size);
  static const Newptr host_newptr = host_function<Newptr>("sysmem_newptr");
  return failing ? nullptr : counted(host_newptr(size));
}

extern "C" t_ptr sysmem_newptrclear(t_ptr_size size) {
  using Newptr = t_ptr (*)(t_ptr_size);
  static const Newptr host_newptrclear = host_function<Newptr>("sysmem_newptrclear");
  return failing ? nullptr : counted(host_newptrclear(size));
}

extern "C" t_ptr sysmem_resizeptr(void *block, t_ptr_size size) {
  using Resizeptr = t_ptr (*)(void *, t_ptr_size);
  static const Resizeptr host_resizeptr = host_function<Resizeptr>("sysmem_resizeptr");
  if (failing)
    return nullptr;
  return block ? host_resizeptr(block, size) : counted(host_resizeptr(block, size));
}

extern "C" t_ptr sysmem_resizeptrclear(void *block, t_ptr_size size) {
  using Resizeptr = t_ptr (*)(void *, t_ptr_size);
  static const Resizeptr host_resizeptrclear = host_function<Resizeptr>("sysmem_resizeptrclear");
  if (failing)
    return nullptr;
  return block ? host_resizeptrclear(block, size) : counted(host_resizeptrclear(block, size));
}

extern "C" void sysmem_freeptr(void *block) {
  using Freeptr = void (*)(void *);
  static const Freeptr host_freeptr = host_function<Freeptr>("sysmem_freeptr");
  if (block)
    --taken;
  host_freeptr(block);
}

namespace fuzzhost {

kit::Host &start(std::string_view name, void (*entry)()) {
  kit::Host &host = kit::Host::instance();
  static const bool started = [&] {
    host.set_manual_clock(true);
    host.set_console_sink([](kit::ConsoleLevel, std::string_view) {});
    host.define_module(name, entry);
    return true;
  }();
  (void)started;
  return host;
}

t_object *make(std::string_view name, std::span<const t_atom> atoms) {
  std::string why;
  return kit::Host::instance().make(name, atoms, why);
}

void send(t_object *x, const char *selector, std::span<const t_atom> atoms) {
  kit::Host::instance().send(x, 0, gensym(selector), atoms);
}

void fail_allocations(bool fail) {
  failing = fail;
}

long live_blocks() {
  return taken;
}

} // namespace fuzzhost
