// Attributes: values stored at an offset of the object record, set by a
// message of the attribute's name ("host 1.2.3.4") or by "@name value"
// creation arguments. A long attribute takes a long or a float (truncated
// toward zero), a float one a number, a symbol one a symbol, an atom one
// any atom. With a setter, the setter gets the atoms instead.
#include "classes.hpp"
#include "conversions.hpp"
#include "function_cast.hpp"
#include "objects.hpp"
#include "symbols.hpp"

#include <cstring>
#include <string_view>

namespace kit::rt {
namespace {

constexpr t_ptr_int attribute_magic = 0x6b6974617474; // "kitatt"

size_t stored_size(const t_symbol *type) {
  const CommonSymbols &s = common_symbols();
  if (type == s.long_)
    return sizeof(t_atom_long);
  if (type == s.float_)
    return sizeof(double);
  if (type == s.symbol)
    return sizeof(t_symbol *);
  if (type == s.atom)
    return sizeof(t_atom);
  return 0;
}

Attribute *as_attribute(t_object *attr) {
  if (!attr || attr->o_magic != attribute_magic)
    return nullptr;
  return reinterpret_cast<Attribute *>(attr);
}

bool store(char *field, const t_symbol *type, const t_atom &value) {
  const CommonSymbols &s = common_symbols();
  if (type == s.long_) {
    if (!is_number(value))
      return false;
    const t_atom_long n = atom_getlong(&value);
    std::memcpy(field, &n, sizeof n);
  } else if (type == s.float_) {
    if (!is_number(value))
      return false;
    const double f = atom_getfloat(&value);
    std::memcpy(field, &f, sizeof f);
  } else if (type == s.symbol) {
    if (value.a_type != A_SYM || !value.a_w.w_sym)
      return false;
    std::memcpy(field, &value.a_w.w_sym, sizeof(t_symbol *));
  } else {
    std::memcpy(field, &value, sizeof value);
  }
  return true;
}

} // namespace

t_max_err set_attribute(t_object *x, Attribute *a, long argc, const t_atom *argv) {
  ObjectState *state = object_state(x);
  if (!state)
    return MAX_ERR_INVALID_PTR;
  const char *class_name = state->cls->name->s_name;
  if (a->setter) {
    return function_cast<t_max_err (*)(void *, void *, long, t_atom *)>(a->setter)(
        x, a, argc, const_cast<t_atom *>(argv));
  }
  if (argc < 1 || !store(reinterpret_cast<char *>(x) + a->offset, a->type, argv[0])) {
    error("%s: bad value for attribute \"%s\" (%s expected)", class_name, a->name->s_name,
          a->type->s_name);
    return MAX_ERR_GENERIC;
  }
  if (argc > 1)
    error("%s: extra values for attribute \"%s\" ignored", class_name, a->name->s_name);
  return MAX_ERR_NONE;
}

} // namespace kit::rt

using namespace kit::rt;

t_object *attr_offset_new(const char *name, const t_symbol *type, long, const method mget,
                          const method mset, long offset) {
  if (!name || !*name || !type) {
    error("attr_offset_new: an attribute needs a name and a type");
    return nullptr;
  }
  if (!stored_size(type)) {
    error("attr_offset_new: attribute \"%s\": unknown type \"%s\"", name, type->s_name);
    return nullptr;
  }
  auto *a = new Attribute{};
  a->header.o_magic = attribute_magic;
  a->name = gensym(name);
  a->type = const_cast<t_symbol *>(type);
  a->getter = mget;
  a->setter = mset;
  a->offset = offset;
  return &a->header;
}

t_max_err class_addattr(t_class *c, t_object *attr) {
  Attribute *a = as_attribute(attr);
  if (!c || !a) {
    error("class_addattr: not a class or not an attribute");
    return MAX_ERR_INVALID_PTR;
  }
  // A stored value must lie inside the record, past the host's header.
  if (!a->setter && (a->offset < static_cast<long>(sizeof(t_object)) ||
                     a->offset + static_cast<long>(stored_size(a->type)) > c->size)) {
    error("%s: attribute \"%s\" lies outside the object record (offset %ld)", c->name->s_name,
          a->name->s_name, a->offset);
    delete a;
    return MAX_ERR_GENERIC;
  }
  for (Attribute *&existing : c->attributes) {
    if (existing->name == a->name) {
      delete existing;
      existing = a;
      return MAX_ERR_NONE;
    }
  }
  c->attributes.push_back(a);
  return MAX_ERR_NONE;
}

t_max_err object_attr_setvalueof(void *x, t_symbol *s, long argc, t_atom *argv) {
  ObjectState *state = object_state(x);
  if (!state || !s)
    return MAX_ERR_INVALID_PTR;
  Attribute *a = state->cls->find_attribute(s);
  if (!a) {
    error("%s: no attribute \"%s\"", state->cls->name->s_name, s->s_name);
    return MAX_ERR_GENERIC;
  }
  return set_attribute(static_cast<t_object *>(x), a, argc, argv);
}

void attr_args_process(void *x, short ac, t_atom *av) {
  ObjectState *state = object_state(x);
  if (!state || ac <= 0 || !av)
    return;
  auto names_attribute = [](const t_atom &a) {
    return a.a_type == A_SYM && a.a_w.w_sym && a.a_w.w_sym->s_name[0] == '@';
  };
  // Atoms before the first "@name" are ordinary creation arguments.
  for (short i = 0; i < ac;) {
    if (!names_attribute(av[i])) {
      ++i;
      continue;
    }
    t_symbol *name = gensym(av[i].a_w.w_sym->s_name + 1);
    short first = ++i;
    while (i < ac && !names_attribute(av[i]))
      ++i;
    Attribute *a = state->cls->find_attribute(name);
    if (!a) {
      error("%s: no attribute \"%s\"", state->cls->name->s_name, name->s_name);
      continue;
    }
    set_attribute(static_cast<t_object *>(x), a, i - first, av + first);
  }
}
