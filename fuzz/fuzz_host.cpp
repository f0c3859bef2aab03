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

using Make = t_ptr (*)(t_ptr_size);
using Resize = t_ptr (*)(void *, t_ptr_size);

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
  static const auto host = host_function<Make>("sysmem_newptr");
  return failing ? nullptr : counted(host(size));
}

extern "C" t_ptr sysmem_newptrclear(t_ptr_size size) {
  static const auto host = host_function<Make>("sysmem_newptrclear");
  return failing ? nullptr : counted(host(size));
}

// A resize of null makes a new block.
extern "C" t_ptr sysmem_resizeptr(void *block, t_ptr_size size) {
  static const auto host = host_function<Resize>("sysmem_resizeptr");
  return failing ? nullptr : block ? host(block, size) : counted(host(block, size));
}

extern "C" t_ptr sysmem_resizeptrclear(void *block, t_ptr_size size) {
  static const auto host = host_function<Resize>("sysmem_resizeptrclear");
  return failing ? nullptr : block ? host(block, size) : counted(host(block, size));
}

extern "C" void sysmem_freeptr(void *block) {
  static const auto host = host_function<void (*)(void *)>("sysmem_freeptr");
  if (block)
    --taken;
  host(block);
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
