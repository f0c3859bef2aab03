// Message delivery: from an inlet to the method (see dispatch.hpp).
#include "dispatch.hpp"
#include "arguments.hpp"
#include "conversions.hpp"
#include "function_cast.hpp"
#include "symbols.hpp"

namespace kit::rt {

const char *class_name_of(const t_object *x) {
  const ObjectState *state = object_state(x);
  return state ? state->cls->name->s_name : "(freed object)";
}

namespace {

void call_method(t_object *x, const Method &m, t_symbol *selector, short argc, t_atom *argv) {
  if (m.signature.kind == MethodKind::gimme) {
    function_cast<GimmeMethod>(m.fn)(x, selector, argc, argv);
    return;
  }
  Word words[max_typed_args];
  switch (convert_arguments(m.signature, std::span<const t_atom>(argv, static_cast<size_t>(argc)),
                            words)) {
  case Fit::bad:
    error("%s: bad arguments for message \"%s\"", class_name_of(x), selector->s_name);
    return;
  case Fit::extra:
    error("%s: extra arguments for message \"%s\"", class_name_of(x), selector->s_name);
    break;
  case Fit::ok:
    break;
  }
  m.signature.caller(m.fn, x, words);
}

bool is_callable(const Method *m) {
  return m && m->signature.kind != MethodKind::cant;
}

} // namespace

void dispatch_message(t_object *x, t_symbol *selector, short argc, t_atom *argv) {
  ObjectState *state = object_state(x);
  if (!state) {
    error("message \"%s\" sent to an object that no longer exists", selector->s_name);
    return;
  }
  const maxclass &cls = *state->cls;
  const CommonSymbols &s = common_symbols();
  if (argc < 0)
    argc = 0;

  if (const Method *m = cls.find(selector)) {
    if (is_callable(m))
      call_method(x, *m, selector, argc, argv);
    else
      error("%s: doesn't understand \"%s\"", cls.name->s_name, selector->s_name);
    return;
  }

  const bool leads_with_number = argc >= 1 && is_number(argv[0]);
  if ((selector == s.int_ || selector == s.float_) && leads_with_number) {
    const Method *other = selector == s.int_ ? cls.float_method : cls.int_method;
    if (is_callable(other)) {
      call_method(x, *other, other->selector, argc, argv);
      return;
    }
    if (is_callable(cls.list_method)) {
      call_method(x, *cls.list_method, s.list, argc, argv);
      return;
    }
  } else if (selector == s.list) {
    if (leads_with_number) {
      const bool is_long = argv[0].a_type == A_LONG;
      const Method *first = is_long ? cls.int_method : cls.float_method;
      const Method *second = is_long ? cls.float_method : cls.int_method;
      const Method *target = is_callable(first) ? first : is_callable(second) ? second : nullptr;
      if (target) {
        call_method(x, *target, target->selector, 1, argv);
        return;
      }
    } else if (argc == 0 && is_callable(cls.bang_method)) {
      call_method(x, *cls.bang_method, s.bang, 0, argv);
      return;
    }
  }

  if (Attribute *attribute = cls.find_attribute(selector)) {
    set_attribute(x, attribute, argc, argv);
    return;
  }
  if (cls.anything_method) {
    call_method(x, *cls.anything_method, selector, argc, argv);
    return;
  }
  error("%s: doesn't understand \"%s\"", cls.name->s_name, selector->s_name);
}

namespace {

// While a message from this inlet is delivered, proxy_getinlet reads the
// inlet's id and only its stuffloc holds an id: the stuffloc of a proxy whose
// call this one nests in reads 0 meanwhile, as outside any proxy's call.
// Afterwards everything reads what it read before.
void deliver_noting_inlet(Inlet &in, ObjectState &state, t_symbol *selector, short argc,
                          t_atom *argv) {
  // Copies: the method may free the proxy it was called through.
  long *const stuffloc = in.stuffloc;
  t_object *const owner = in.owner;
  const long outer_inlet = state.current_inlet;
  long *const outer_stuffloc = state.current_stuffloc;
  const bool hides_outer = outer_stuffloc && outer_stuffloc != stuffloc;
  const long outer_stuffed = hides_outer ? *outer_stuffloc : 0;
  const long own_stuffed = stuffloc ? *stuffloc : 0;
  if (hides_outer)
    *outer_stuffloc = 0;
  if (stuffloc)
    *stuffloc = in.proxy_id;
  state.current_inlet = in.proxy_id;
  state.current_stuffloc = stuffloc;
  dispatch_message(in.receiver, selector, argc, argv);
  // Or even its object.
  if (object_state(owner) != &state)
    return;
  state.current_inlet = outer_inlet;
  state.current_stuffloc = outer_stuffloc;
  if (stuffloc)
    *stuffloc = own_stuffed;
  if (hides_outer)
    *outer_stuffloc = outer_stuffed;
}

} // namespace

void deliver(Inlet &in, t_symbol *selector, short argc, t_atom *argv) {
  if (!in.proxy_selector) {
    ObjectState *state = object_state(in.owner);
    if (state && state->has_proxies)
      deliver_noting_inlet(in, *state, selector, argc, argv);
    else
      dispatch_message(in.receiver, selector, argc, argv);
    return;
  }
  const CommonSymbols &s = common_symbols();
  const bool numeric = selector == s.int_ || selector == s.float_ || selector == s.list;
  if (numeric && argc >= 1 && is_number(argv[0])) {
    t_atom value;
    if (in.proxy_float)
      atom_setfloat(&value, atom_getfloat(&argv[0]));
    else
      atom_setlong(&value, atom_getlong(&argv[0]));
    dispatch_message(in.receiver, in.proxy_selector, 1, &value);
    return;
  }
  int index = 0;
  if (ObjectState *state = object_state(in.owner)) {
    for (size_t i = 0; i < state->inlets.size(); ++i)
      if (state->inlets[i].get() == &in)
        index = static_cast<int>(i);
  }
  error("%s: inlet %d doesn't understand \"%s\"", class_name_of(in.owner), index, selector->s_name);
}

} // namespace kit::rt
