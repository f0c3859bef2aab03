// Objects as the host keeps them: the record a module sees (t_object header
// first) and, behind its header, the host's state of the object: class,
// inlets and outlets.
//
// Threads: everything here is for the host's main thread.
#pragma once

#include "classes.hpp"
#include "kit/host.hpp"

#include <memory>
#include <vector>

namespace kit::rt {

struct Inlet;

using IntMethod = void (*)(void *x, t_atom_long n);
// The count goes out as a whole long: a method that declares it short reads
// the low bits of the same register, one that declares it long reads it all.
using GimmeMethod = void (*)(void *x, t_symbol *s, long argc, t_atom *argv);

struct Outlet {
  /// With exactly one connection and no watcher (the common case), the
  /// receiving method copied here, so an int or a list is delivered with one
  /// load and one call; null otherwise.
  IntMethod only_int = nullptr;
  GimmeMethod only_list = nullptr;
  t_object *only_receiver = nullptr;

  t_object *owner = nullptr;
  /// Inlets in the order the connections were made: fan-out runs in this order.
  std::vector<Inlet *> connections;
  /// Watchers (kithost's print, the tests' recorders) run before connections.
  std::vector<OutletSink> sinks;
};

struct Inlet {
  t_object *owner;    ///< the object the inlet stands on
  t_object *receiver; ///< the object its messages go to
  /// The selector that a number arriving here becomes (inlet4, intin,
  /// floatin); null for the object's own inlet and for proxies.
  t_symbol *proxy_selector = nullptr;
  bool proxy_float = false; ///< a "float" inlet passes a double, not a long
  /// Non-zero for a proxy_new inlet: any message goes to the receiver's
  /// methods, with this id readable by proxy_getinlet (and written to
  /// `stuffloc`, when given) during the call.
  long proxy_id = 0;
  long *stuffloc = nullptr;
  /// Direct calls for the common messages when the receiver's method has
  /// exactly that C signature; null sends the message the general way.
  IntMethod int_fn = nullptr;
  GimmeMethod list_fn = nullptr;
  /// Outlets connected here, one entry per connection (to undo them on free).
  std::vector<Outlet *> sources;
};

struct ObjectState {
  maxclass *cls;
  std::vector<std::unique_ptr<Inlet>> inlets;   ///< left to right
  std::vector<std::unique_ptr<Outlet>> outlets; ///< left to right
  /// Whether a proxy_new inlet stands on the object: its own inlet then
  /// takes the general way too, so that proxy_getinlet reads 0 there.
  bool has_proxies = false;
  /// What proxy_getinlet answers: the id of the proxy whose message is
  /// being delivered, 0 for the object's own inlet; and that proxy's
  /// stuffloc.
  long current_inlet = 0;
  long *current_stuffloc = nullptr;
};

/// Header magic of live objects.
inline constexpr t_ptr_int object_magic = 0x6b69746f626a; // "kitobj"

/// The host state of `x`, or null when `x` is not a live object.
ObjectState *object_state(const void *x);
/// The class name of `x`, which must be a live object, without the lookup
/// of object_state: any thread may ask while the object lives (its state is
/// set before the record is handed out and kept until it is freed).
inline const char *live_class_name(const t_object *x) {
  return reinterpret_cast<const ObjectState *>(x->o_inlet)->cls->name->s_name;
}

/// Makes a zero-filled record of the class with its own inlet; null when
/// out of memory.
t_object *allocate_object(maxclass *c);
/// Calls the class's free routine, then undoes the host's side of the object.
void free_object(t_object *x);
/// Spans one call of a creation routine. When the routine refuses (returns
/// null without keep()), the records it made are released at the end of
/// the scope, without their free routine, which must not see a half-made
/// object.
class CreationScope {
public:
  CreationScope();
  ~CreationScope();
  /// The routine returned `x`: nothing is released.
  void keep(t_object *x);
  CreationScope(const CreationScope &) = delete;
  CreationScope &operator=(const CreationScope &) = delete;

private:
  CreationScope *outer_;
  std::vector<t_object *> made_;
  t_object *kept_ = nullptr;
  friend t_object *allocate_object(maxclass *c);
};

/// Computes the inlet's direct-call shortcuts from its receiver's class.
void resolve_fast_paths(Inlet &in);

/// Undoes the connections that reach the inlet.
void disconnect_inlet(Inlet &in);

/// Frees `p` when it is a live proxy_new inlet (it leaves its object and its
/// connections); false when it is not one.
bool free_proxy(void *p);
/// The proxy goes with its object: a later free_proxy of it is refused.
void forget_proxy(const Inlet &in);

/// Connects; both exist.
void connect_outlet(Outlet &out, Inlet &in);
/// Recomputes the outlet's only_* shortcut after its connections or
/// watchers changed.
void update_shortcut(Outlet &out);

} // namespace kit::rt
