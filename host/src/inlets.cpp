// Inlets beyond an object's own: typed inlets (inlet4, intin, floatin), which
// turn a number into a message of their own, and proxies (proxy_new), which
// pass any message to the owner's methods and note which inlet it came in.
#include "objects.hpp"
#include "symbols.hpp"

#include <string>
#include <unordered_set>

namespace kit::rt {
namespace {

// Proxies handed out and not yet freed, so that freeobject can tell one from
// any other pointer, and a proxy whose object is gone from a live one.
std::unordered_set<const void *> &live_proxies() {
  static auto *proxies = new std::unordered_set<const void *>;
  return *proxies;
}

// Each inlet stands just right of the leftmost one, pushing earlier ones
// right: a class makes its inlets from right to left, as its outlets.
Inlet *add_inlet(ObjectState &state, std::unique_ptr<Inlet> in) {
  Inlet *made = in.get();
  state.inlets.insert(state.inlets.begin() + 1, std::move(in));
  return made;
}

Inlet *add_typed_inlet(void *x, void *receiver, const char *selector, bool is_float,
                       const char *maker) {
  ObjectState *state = object_state(x);
  if (!state) {
    error("%s: not an object", maker);
    return nullptr;
  }
  auto in = std::make_unique<Inlet>();
  in->owner = static_cast<t_object *>(x);
  in->receiver = object_state(receiver) ? static_cast<t_object *>(receiver) : in->owner;
  in->proxy_selector = gensym(selector);
  in->proxy_float = is_float;
  resolve_fast_paths(*in);
  return add_inlet(*state, std::move(in));
}

// intin and floatin name their message after their number, 1 to 9.
Inlet *add_numbered_inlet(void *x, short n, const char *prefix, bool is_float, const char *maker) {
  if (n < 1 || n > 9) {
    const ObjectState *state = object_state(x);
    error("%s: %s: inlet number %d is not from 1 to 9", state ? state->cls->name->s_name : maker,
          maker, n);
    return nullptr;
  }
  const std::string selector = prefix + std::to_string(n);
  return add_typed_inlet(x, x, selector.c_str(), is_float, maker);
}

} // namespace

bool free_proxy(void *p) {
  if (!live_proxies().erase(p))
    return false;
  auto *in = static_cast<Inlet *>(p);
  disconnect_inlet(*in);
  // Its object lives: a proxy of a freed object is no longer live.
  ObjectState *state = object_state(in->owner);
  std::erase_if(state->inlets,
                [in](const std::unique_ptr<Inlet> &each) { return each.get() == in; });
  return true;
}

void forget_proxy(const Inlet &in) {
  live_proxies().erase(&in);
}

} // namespace kit::rt

using namespace kit::rt;

void *inlet4(void *x, void *w, char *s, char *s1) {
  if (!s1 || !*s1) {
    const ObjectState *state = object_state(x);
    error("%s: inlet4 needs the message the inlet sends",
          state ? state->cls->name->s_name : "inlet4");
    return nullptr;
  }
  return add_typed_inlet(x, w, s1, s && std::string_view(s) == "float", "inlet4");
}

void *intin(void *x, short n) {
  return add_numbered_inlet(x, n, "in", false, "intin");
}

void *floatin(void *x, short n) {
  return add_numbered_inlet(x, n, "ft", true, "floatin");
}

void *proxy_new(void *x, long id, long *stuffloc) {
  ObjectState *state = object_state(x);
  if (!state) {
    error("proxy_new: not an object");
    return nullptr;
  }
  // 0 is what the object's own inlet reads: a proxy needs another id.
  if (id == 0) {
    error("%s: proxy_new: the id must not be 0", state->cls->name->s_name);
    return nullptr;
  }
  auto in = std::make_unique<Inlet>();
  in->owner = static_cast<t_object *>(x);
  in->receiver = in->owner;
  in->proxy_id = id;
  in->stuffloc = stuffloc;
  Inlet *made = add_inlet(*state, std::move(in));
  live_proxies().insert(made);
  if (!state->has_proxies) {
    state->has_proxies = true;
    // Connections made so far to the own inlet lose their direct call.
    Inlet &own = *state->inlets.front();
    resolve_fast_paths(own);
    for (Outlet *source : own.sources)
      update_shortcut(*source);
  }
  return made;
}

long proxy_getinlet(t_object *master) {
  const ObjectState *state = object_state(master);
  if (!state) {
    error("proxy_getinlet: not an object");
    return 0;
  }
  return state->current_inlet;
}

void stdinletinfo(t_object *, void *, long a, char *t) {
  // Every inlet but the leftmost is cold; the host has set *t to 0 (hot).
  if (a != 0 && t)
    *t = 1;
}
