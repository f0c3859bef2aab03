// Output: an outlet calls its watchers, then every connected inlet in the
// order the connections were made, synchronously.
//
// This is the hot path of every patch: an int to an inlet whose method takes
// exactly a long (and a list to an A_GIMME list method) is one indirect call
// per connection, without allocation or lookup.
#include "dispatch.hpp"
#include "nesting.hpp"
#include "symbols.hpp"
#include "thread_rules.hpp"

#include <atomic>
#include <cstdint>

namespace kit::rt {
namespace {

/// One outlet call in the chain; false when the chain is cut here or was
/// cut below (see nesting.hpp).
class DepthGuard {
public:
  explicit DepthGuard(const Outlet &out) {
    if (nesting == 0)
      nesting_limit = max_nesting; // an outlet called outside any delivery
    ok_ = ++nesting <= nesting_limit;
    if (!ok_ && nesting_limit == max_nesting) {
      nesting_limit = 0;
      error("%s: messages nested more than %d deep (a loop in the patch?); the chain is "
            "abandoned",
            class_name_of(out.owner), max_nesting);
    }
  }
  ~DepthGuard() { --nesting; }
  explicit operator bool() const { return ok_; }
  DepthGuard(const DepthGuard &) = delete;
  DepthGuard &operator=(const DepthGuard &) = delete;

private:
  bool ok_;
};

std::atomic<long> outlet_errors{0};

/// What an outlet call returns: 0 when its chain is cut, else 1 (see
/// nesting.hpp).
void *outcome() {
  return chain_cut() ? nullptr : reinterpret_cast<void *>(std::uintptr_t{1});
}

/// Outlets are for the main thread (checked in checking builds).
void check_outlet_thread(const Outlet &out) {
  check_main_thread(MainThreadCall::outlet, out.owner, [&] { return live_class_name(out.owner); });
}

void count_outlet_error() {
  outlet_errors.fetch_add(1, std::memory_order_relaxed);
}

void notify_sinks(Outlet &out, t_symbol *selector, short argc, const t_atom *argv) {
  // By index: a watcher may add another watcher.
  for (size_t i = 0; i < out.sinks.size(); ++i)
    out.sinks[i](selector, std::span<const t_atom>(argv, static_cast<size_t>(argc)));
}

void send_general(Outlet &out, t_symbol *selector, short argc, t_atom *argv) {
  if (!out.sinks.empty())
    notify_sinks(out, selector, argc, argv);
  for (size_t i = 0; i < out.connections.size() && !chain_cut(); ++i)
    deliver(*out.connections[i], selector, argc, argv);
}

// Every other int: watchers, several connections, general delivery.
[[gnu::noinline]] void send_int(Outlet &out, t_atom_long n) {
  DepthGuard guard(out);
  if (!guard)
    return;
  t_symbol *int_selector = common_symbols().int_;
  if (!out.sinks.empty()) {
    t_atom value;
    atom_setlong(&value, n);
    notify_sinks(out, int_selector, 1, &value);
  }
  // By index: a method may connect this outlet further.
  for (size_t i = 0; i < out.connections.size() && !chain_cut(); ++i) {
    Inlet *in = out.connections[i];
    if (in->int_fn) {
      in->int_fn(in->receiver, n);
    } else {
      t_atom value;
      atom_setlong(&value, n);
      deliver(*in, int_selector, 1, &value);
    }
  }
}

} // namespace

long outlet_errors_seen() {
  return outlet_errors.load(std::memory_order_relaxed);
}

} // namespace kit::rt

using namespace kit::rt;

void *outlet_int(void *o, t_atom_long n) {
  auto *out = static_cast<Outlet *>(o);
  if (!out) [[unlikely]]
    return outcome();
  check_outlet_thread(*out);
  // One connection to a method taking a long: nothing else to do, and
  // nothing to keep across the call. A chain being cut takes the guarded
  // way.
  if (IntMethod fn = out->only_int; fn && nesting < nesting_limit) [[likely]] {
    ++nesting;
    fn(out->only_receiver, n);
    --nesting;
    return outcome();
  }
  send_int(*out, n);
  return outcome();
}

void *outlet_float(void *o, double f) {
  auto *out = static_cast<Outlet *>(o);
  if (!out)
    return outcome();
  check_outlet_thread(*out);
  DepthGuard guard(*out);
  if (!guard)
    return outcome();
  t_atom value;
  atom_setfloat(&value, f);
  send_general(*out, common_symbols().float_, 1, &value);
  return outcome();
}

void *outlet_bang(void *o) {
  auto *out = static_cast<Outlet *>(o);
  if (!out)
    return outcome();
  check_outlet_thread(*out);
  DepthGuard guard(*out);
  if (!guard)
    return outcome();
  send_general(*out, common_symbols().bang, 0, nullptr);
  return outcome();
}

void *outlet_list(void *o, t_symbol *, short ac, t_atom *av) {
  auto *out = static_cast<Outlet *>(o);
  if (!out) [[unlikely]]
    return outcome();
  check_outlet_thread(*out);
  if (ac < 0 || (ac > 0 && !av)) [[unlikely]] {
    error("outlet_list: bad list (%d atoms at %p)", ac, static_cast<void *>(av));
    return outcome();
  }
  t_symbol *list = common_symbols().list;
  if (GimmeMethod fn = out->only_list; fn && nesting < nesting_limit) [[likely]] {
    ++nesting;
    fn(out->only_receiver, list, ac, av);
    --nesting;
    return outcome();
  }
  DepthGuard guard(*out);
  if (!guard)
    return outcome();
  if (!out->sinks.empty())
    notify_sinks(*out, list, ac, av);
  for (size_t i = 0; i < out->connections.size() && !chain_cut(); ++i) {
    Inlet *in = out->connections[i];
    if (in->list_fn)
      in->list_fn(in->receiver, list, ac, av);
    else
      deliver(*in, list, ac, av);
  }
  return outcome();
}

void *outlet_anything(void *o, t_symbol *s, short ac, t_atom *av) {
  auto *out = static_cast<Outlet *>(o);
  if (!out)
    return outcome();
  check_outlet_thread(*out);
  if (!s || ac < 0 || (ac > 0 && !av)) {
    error("outlet_anything: bad message (selector %s, %d atoms)", s ? s->s_name : "missing", ac);
    return outcome();
  }
  DepthGuard guard(*out);
  if (!guard)
    return outcome();
  if (s == common_symbols().error)
    count_outlet_error();
  send_general(*out, s, ac, av);
  return outcome();
}
