// Object records, their outlets, and freeing (inlets: inlets.cpp).
#include "objects.hpp"
#include "function_cast.hpp"
#include "records.hpp"
#include "registry.hpp"
#include "scheduler.hpp"
#include "symbols.hpp"
#include "thread_rules.hpp"

#include <algorithm>
#include <cstdlib>
#include <unordered_set>

namespace kit::rt {
namespace {

std::unordered_set<const void *> &live_objects() {
  static auto *objects = new std::unordered_set<const void *>;
  return *objects;
}

CreationScope *current_scope = nullptr;

// Undoes everything the host keeps for `x` and releases its record.
void release(t_object *x, ObjectState *state) {
  for (auto &in : state->inlets) {
    disconnect_inlet(*in);
    if (in->proxy_id)
      forget_proxy(*in);
  }
  for (auto &out : state->outlets) {
    for (Inlet *target : out->connections) {
      auto found = std::find(target->sources.begin(), target->sources.end(), out.get());
      if (found != target->sources.end())
        target->sources.erase(found);
    }
  }
  // A clock or deferred call left behind would run on freed memory.
  Scheduler &scheduler = Scheduler::get();
  scheduler.drop_deferred(x);
  scheduler.free_clocks_of(x);
  forget_registered(x);
  free_records_of(x);
  live_objects().erase(x);
#ifdef KIT_CHECK_THREADS
  forget_off_main_thread_reports(x);
#endif
  x->o_magic = 0;
  x->o_inlet = nullptr;
  delete state;
  std::free(x);
}

} // namespace

ObjectState *object_state(const void *x) {
  if (!x || !live_objects().contains(x))
    return nullptr;
  return reinterpret_cast<ObjectState *>(static_cast<const t_object *>(x)->o_inlet);
}

t_object *allocate_object(maxclass *c) {
  auto *x = static_cast<t_object *>(std::calloc(1, static_cast<size_t>(c->size)));
  if (!x)
    return nullptr;
  auto *state = new ObjectState{c, {}, {}};
  auto own = std::make_unique<Inlet>();
  own->owner = x;
  own->receiver = x;
  state->inlets.push_back(std::move(own));
  x->o_messlist = reinterpret_cast<t_messlist *>(c);
  x->o_magic = object_magic;
  x->o_inlet = reinterpret_cast<struct inlet *>(state);
  live_objects().insert(x);
  resolve_fast_paths(*state->inlets.front());
  if (current_scope)
    current_scope->made_.push_back(x);
  return x;
}

void free_object(t_object *x) {
  ObjectState *state = object_state(x);
  if (!state)
    return;
  // Marks the object as being freed, so that a free routine freeing itself
  // again does nothing.
  if (x->o_magic != object_magic)
    return;
  x->o_magic = 0;
  notify_freeing(x);
  if (state->cls->free_fn)
    function_cast<void (*)(void *)>(state->cls->free_fn)(x);
  release(x, state);
}

CreationScope::CreationScope() : outer_(current_scope) {
  current_scope = this;
}

CreationScope::~CreationScope() {
  current_scope = outer_;
  if (kept_)
    return;
  // The creation routine refused: records it made are of no use to anyone,
  // and their free routine must not see a half-made object.
  for (t_object *x : made_) {
    if (ObjectState *state = object_state(x))
      release(x, state);
  }
}

void CreationScope::keep(t_object *x) {
  kept_ = x;
}

void disconnect_inlet(Inlet &in) {
  for (Outlet *source : in.sources) {
    std::erase(source->connections, &in);
    update_shortcut(*source);
  }
  in.sources.clear();
}

void resolve_fast_paths(Inlet &in) {
  in.int_fn = nullptr;
  in.list_fn = nullptr;
  ObjectState *state = object_state(in.receiver);
  // A proxy, and the own inlet of an object with proxies, must note the
  // inlet of each message (dispatch.cpp): no direct call skips that.
  if (!state || in.proxy_id || (state->has_proxies && !in.proxy_selector))
    return;
  const maxclass &cls = *state->cls;
  const Method *int_method = in.proxy_selector ? cls.find(in.proxy_selector) : cls.int_method;
  if (int_method && !in.proxy_float && int_method->signature.kind == MethodKind::typed &&
      int_method->signature.count == 1 &&
      (int_method->signature.types[0] == A_LONG || int_method->signature.types[0] == A_DEFLONG))
    in.int_fn = function_cast<IntMethod>(int_method->fn);
  if (!in.proxy_selector && cls.list_method && cls.list_method->signature.kind == MethodKind::gimme)
    in.list_fn = function_cast<GimmeMethod>(cls.list_method->fn);
}

void connect_outlet(Outlet &out, Inlet &in) {
  out.connections.push_back(&in);
  in.sources.push_back(&out);
  update_shortcut(out);
}

void update_shortcut(Outlet &out) {
  Inlet *only =
      out.connections.size() == 1 && out.sinks.empty() ? out.connections.front() : nullptr;
  out.only_int = only ? only->int_fn : nullptr;
  out.only_list = only ? only->list_fn : nullptr;
  out.only_receiver = only ? only->receiver : nullptr;
}

} // namespace kit::rt

using namespace kit::rt;

void *object_alloc(t_class *c) {
  if (!c) {
    error("object_alloc: no class");
    return nullptr;
  }
  return allocate_object(c);
}

void *newobject(void *maxclass_ptr) {
  if (!maxclass_ptr) {
    error("newobject: no class");
    return nullptr;
  }
  return allocate_object(static_cast<maxclass *>(maxclass_ptr));
}

void freeobject(void *x) {
  auto *op = static_cast<t_object *>(x);
  if (!op)
    return;
  if (Scheduler::get().free_clock(op) || free_proxy(op) || free_record(op))
    return;
  if (!object_state(op)) {
    error("freeobject: %p is not an object, clock, proxy or record of the host",
          static_cast<void *>(op));
    return;
  }
  free_object(op);
}

t_max_err object_free(void *x) {
  if (!x)
    return MAX_ERR_INVALID_PTR;
  freeobject(x);
  return MAX_ERR_NONE;
}

t_symbol *object_classname(void *x) {
  if (ObjectState *state = object_state(x))
    return state->cls->name;
  if (const RecordKind *kind = record_kind(x))
    return gensym(kind->name);
  return common_symbols().empty;
}

t_class *object_class(void *x) {
  ObjectState *state = object_state(x);
  return state ? state->cls : nullptr;
}

namespace {

void *new_outlet(void *x, const char *maker) {
  ObjectState *state = object_state(x);
  if (!state) {
    error("%s: not an object", maker);
    return nullptr;
  }
  auto out = std::make_unique<Outlet>();
  out->owner = static_cast<t_object *>(x);
  Outlet *made = out.get();
  // Outlets are made right to left: each new one stands left of the others.
  state->outlets.insert(state->outlets.begin(), std::move(out));
  return made;
}

} // namespace

void *bangout(void *x) {
  return new_outlet(x, "bangout");
}
void *intout(void *x) {
  return new_outlet(x, "intout");
}
void *floatout(void *x) {
  return new_outlet(x, "floatout");
}
void *listout(void *x) {
  return new_outlet(x, "listout");
}
void *outlet_new(void *x, const char *) {
  return new_outlet(x, "outlet_new");
}
