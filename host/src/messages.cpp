// Objects made and messages sent from C: object_new, object_new_typed,
// object_method and object_method_typed (the rules are in ext_obex.h).
#include "creation.hpp"
#include "dispatch.hpp"
#include "function_cast.hpp"
#include "modules.hpp"
#include "objects.hpp"

#include <limits>
#include <vector>

namespace kit::rt {
namespace {

using UntypedMethod = void *(*)(void *, void *, void *, void *, void *, void *, void *, void *,
                                void *);

// The class `name` (its module loaded the first time) when it registered
// in `name_space`; null, reported as `caller`, otherwise.
maxclass *class_in(t_symbol *name_space, t_symbol *name, const char *caller) {
  if (!name) {
    error("%s: no class name", caller);
    return nullptr;
  }
  std::string reason;
  maxclass *c = Modules::get().load(name->s_name, reason);
  if (!c) {
    error("%s: %s", caller, reason.c_str());
    return nullptr;
  }
  if (name_space && c->name_space && name_space != c->name_space) {
    error("%s: class \"%s\" is in name space \"%s\", not \"%s\"", caller, name->s_name,
          c->name_space->s_name, name_space->s_name);
    return nullptr;
  }
  return c;
}

void *reported(t_object *made, const std::string &reason, const char *caller) {
  if (!made)
    error("%s: %s", caller, reason.c_str());
  return made;
}

} // namespace
} // namespace kit::rt

using namespace kit::rt;

void *object_new_imp(void *p1, void *p2, void *p3, void *p4, void *p5, void *p6, void *p7, void *p8,
                     void *p9, void *p10) {
  maxclass *c = class_in(static_cast<t_symbol *>(p1), static_cast<t_symbol *>(p2), "object_new");
  if (!c)
    return nullptr;
  void *const words[untyped_words] = {p3, p4, p5, p6, p7, p8, p9, p10};
  std::string reason;
  return reported(create_object(c, words, reason), reason, "object_new");
}

void *object_new_typed(t_symbol *name_space, t_symbol *classname, long ac, t_atom *av) {
  maxclass *c = class_in(name_space, classname, "object_new_typed");
  if (!c)
    return nullptr;
  if (ac < 0 || (ac > 0 && !av)) {
    error("object_new_typed: bad arguments (%ld atoms at %p)", ac, static_cast<void *>(av));
    return nullptr;
  }
  std::string reason;
  return reported(create_object(c, std::span<const t_atom>(av, static_cast<size_t>(ac)), reason),
                  reason, "object_new_typed");
}

void *object_method_imp(void *x, void *sym, void *p1, void *p2, void *p3, void *p4, void *p5,
                        void *p6, void *p7, void *p8) {
  auto *selector = static_cast<t_symbol *>(sym);
  if (!x || !selector) {
    error("object_method: no object or no message");
    return nullptr;
  }
  void *const words[untyped_words] = {p1, p2, p3, p4, p5, p6, p7, p8};
  ObjectState *state = object_state(x);
  if (!state) {
    if (Attribute *a = as_attribute(x))
      return attribute_method(*a, selector, words);
    error("object_method: %p is not an object (message \"%s\")", x, selector->s_name);
    return nullptr;
  }
  const Method *m = state->cls->find(selector);
  if (!m)
    return nullptr;
  switch (m->signature.kind) {
  case MethodKind::cant:
    return function_cast<UntypedMethod>(m->fn)(x, p1, p2, p3, p4, p5, p6, p7, p8);
  case MethodKind::gimme:
    error("%s: message \"%s\" takes atoms: send it with object_method_typed",
          state->cls->name->s_name, selector->s_name);
    return nullptr;
  case MethodKind::typed:
    break;
  }
  Word typed[max_typed_args];
  words_to_typed(m->signature, words, typed);
  m->signature.caller(m->fn, x, typed);
  return nullptr;
}

t_max_err object_method_typed(void *x, t_symbol *s, long ac, t_atom *av, t_atom *rv) {
  if (rv) {
    rv->a_type = A_NOTHING;
    rv->a_w.w_long = 0;
  }
  if (!object_state(x) || !s) {
    error("object_method_typed: %p is not an object, or no message", x);
    return MAX_ERR_INVALID_PTR;
  }
  if (ac < 0 || ac > std::numeric_limits<short>::max() || (ac > 0 && !av)) {
    error("object_method_typed: bad arguments (%ld atoms at %p)", ac, static_cast<void *>(av));
    return MAX_ERR_GENERIC;
  }
  // The method may change its atoms: it gets a copy, as from a message box.
  std::vector<t_atom> atoms(av, av + ac);
  const bool taken = dispatch_message(static_cast<t_object *>(x), s, static_cast<short>(ac),
                                      atoms.empty() ? nullptr : atoms.data());
  return taken ? MAX_ERR_NONE : MAX_ERR_GENERIC;
}
