// Attributes: values of an object record set by a message of the attribute's
// name ("host 1.2.3.4"), by "@name value" creation arguments or from C, and
// read back from C, through the attribute's filters and accessors (the rules
// are in ext_obex.h). Attributes of attributes: attribute_attrs.cpp.
#include "classes.hpp"
#include "conversions.hpp"
#include "function_cast.hpp"
#include "objects.hpp"
#include "symbols.hpp"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <unordered_set>

namespace kit::rt {
namespace {

constexpr t_ptr_int attribute_magic = 0x6b6974617474; // "kitatt"

// Attributes made and not deleted: a pointer handed back to the C API is
// looked up here before it is read.
std::unordered_set<const void *> &live_attributes() {
  static auto *attributes = new std::unordered_set<const void *>;
  return *attributes;
}

void delete_attribute(Attribute *a) {
  live_attributes().erase(a);
  delete a;
}

using Getter = t_max_err (*)(void *, void *, long *, t_atom **);
using Setter = t_max_err (*)(void *, void *, long, t_atom *);
using FilterProc = t_max_err (*)(void *, void *, long, t_atom *);

// How a type of attribute keeps its value in the record.
enum class Storage : uint8_t {
  none,
  char_,
  long_,
  atom_long,
  int32,
  float32,
  float64,
  symbol,
  atom,
  object
};

Storage storage_of(const t_symbol *type) {
  const std::string_view name = type->s_name;
  if (name == "char")
    return Storage::char_;
  if (name == "long")
    return Storage::long_;
  if (name == "atom_long")
    return Storage::atom_long;
  if (name == "int32")
    return Storage::int32;
  if (name == "float32")
    return Storage::float32;
  if (name == "float64" || name == "float")
    return Storage::float64;
  if (name == "symbol")
    return Storage::symbol;
  if (name == "atom")
    return Storage::atom;
  if (name == "object")
    return Storage::object;
  return Storage::none;
}

size_t stored_size(Storage storage) {
  switch (storage) {
  case Storage::char_:
    return sizeof(char);
  case Storage::long_:
    return sizeof(long);
  case Storage::atom_long:
    return sizeof(t_atom_long);
  case Storage::int32:
    return sizeof(int32_t);
  case Storage::float32:
    return sizeof(float);
  case Storage::float64:
    return sizeof(double);
  case Storage::symbol:
    return sizeof(t_symbol *);
  case Storage::atom:
    return sizeof(t_atom);
  case Storage::object:
    return sizeof(t_object *);
  case Storage::none:
    break;
  }
  return 0;
}

template <class T> void put(char *field, T value) {
  std::memcpy(field, &value, sizeof value);
}

template <class T> T get(const char *field) {
  T value;
  std::memcpy(&value, field, sizeof value);
  return value;
}

// Whole types take the number truncated toward zero and cut to their width,
// as a C assignment of the long would.
bool store(char *field, Storage storage, const t_atom &value) {
  switch (storage) {
  case Storage::char_:
  case Storage::long_:
  case Storage::atom_long:
  case Storage::int32: {
    if (!is_number(value))
      return false;
    const t_atom_long n = atom_getlong(&value);
    if (storage == Storage::char_)
      put(field, static_cast<char>(n));
    else if (storage == Storage::long_)
      put(field, static_cast<long>(n));
    else if (storage == Storage::int32)
      put(field, static_cast<int32_t>(n));
    else
      put(field, n);
    return true;
  }
  case Storage::float32:
  case Storage::float64:
    if (!is_number(value))
      return false;
    if (storage == Storage::float32)
      put(field, static_cast<float>(atom_getfloat(&value)));
    else
      put(field, atom_getfloat(&value));
    return true;
  case Storage::symbol:
    if (value.a_type != A_SYM || !value.a_w.w_sym)
      return false;
    put(field, value.a_w.w_sym);
    return true;
  case Storage::object:
    if (value.a_type != A_OBJ)
      return false;
    put(field, value.a_w.w_obj);
    return true;
  case Storage::atom:
    put(field, value);
    return true;
  case Storage::none:
    break;
  }
  return false;
}

t_atom load(const char *field, Storage storage) {
  t_atom a{};
  switch (storage) {
  case Storage::char_:
    atom_setlong(&a, get<char>(field));
    break;
  case Storage::long_:
    atom_setlong(&a, get<long>(field));
    break;
  case Storage::atom_long:
    atom_setlong(&a, get<t_atom_long>(field));
    break;
  case Storage::int32:
    atom_setlong(&a, get<int32_t>(field));
    break;
  case Storage::float32:
    atom_setfloat(&a, get<float>(field));
    break;
  case Storage::float64:
    atom_setfloat(&a, get<double>(field));
    break;
  case Storage::symbol:
    atom_setsym(&a, get<t_symbol *>(field));
    break;
  case Storage::object:
    a.a_type = A_OBJ;
    a.a_w.w_obj = get<t_object *>(field);
    break;
  case Storage::atom:
    a = get<t_atom>(field);
    break;
  case Storage::none:
    break;
  }
  return a;
}

// A long stays a long unless a scale makes a fraction of it.
void apply_clip(const ClipFilter &clip, std::vector<t_atom> &atoms) {
  if (!clip.active)
    return;
  for (t_atom &a : atoms) {
    if (!is_number(a))
      continue;
    const bool whole = a.a_type == A_LONG && clip.scale == 1;
    double v = atom_getfloat(&a) * clip.scale;
    if (clip.use_min)
      v = std::max(v, clip.min);
    if (clip.use_max)
      v = std::min(v, clip.max);
    if (whole)
      atom_setlong(&a, float_to_long(v));
    else
      atom_setfloat(&a, v);
  }
}

bool has_field(const Attribute &a) {
  return a.offset >= static_cast<long>(sizeof(t_object));
}

t_max_err get_values(t_object *x, Attribute &a, std::vector<t_atom> &out) {
  out.clear();
  if (a.getter) {
    long ac = 0;
    t_atom *av = nullptr;
    const t_max_err err = function_cast<Getter>(a.getter)(x, &a, &ac, &av);
    if (ac > 0 && av)
      out.assign(av, av + ac);
    if (av)
      sysmem_freeptr(av);
    if (err != MAX_ERR_NONE)
      return err;
  } else {
    if (!has_field(a)) {
      error("%s: attribute \"%s\" has neither a getter nor a field", object_classname(x)->s_name,
            a.name->s_name);
      return MAX_ERR_GENERIC;
    }
    out.push_back(load(reinterpret_cast<const char *>(x) + a.offset, storage_of(a.type)));
  }
  apply_clip(a.get_clip, out);
  if (a.get_proc && !out.empty())
    function_cast<FilterProc>(a.get_proc)(x, &a, static_cast<long>(out.size()), out.data());
  return MAX_ERR_NONE;
}

// The attribute `s` of a live object, reported under `caller` when missing.
Attribute *object_attribute(void *x, t_symbol *s, const char *caller) {
  ObjectState *state = object_state(x);
  if (!state || !s) {
    error("%s: not an object or no attribute name", caller);
    return nullptr;
  }
  Attribute *a = state->cls->find_attribute(s);
  if (!a)
    error("%s: no attribute \"%s\"", state->cls->name->s_name, s->s_name);
  return a;
}

t_max_err set_one(void *x, t_symbol *s, const t_atom &value) {
  Attribute *a = object_attribute(x, s, "object_attr_set");
  if (!a)
    return MAX_ERR_GENERIC;
  return set_attribute(static_cast<t_object *>(x), a, 1, &value, SetBy::code);
}

// The attribute's values as object_attr_get* read them: none when there
// is no such attribute or it cannot be read.
std::vector<t_atom> values_of(void *x, t_symbol *s) {
  Attribute *a = object_attribute(x, s, "object_attr_get");
  std::vector<t_atom> values;
  if (!a || get_values(static_cast<t_object *>(x), *a, values) != MAX_ERR_NONE)
    values.clear();
  return values;
}

// The first value of the attribute, or an A_NOTHING atom.
t_atom first_value(void *x, t_symbol *s) {
  const std::vector<t_atom> values = values_of(x, s);
  if (values.empty()) {
    t_atom none{};
    none.a_type = A_NOTHING;
    return none;
  }
  return values.front();
}

// At most `max` values of the attribute into `vals`, converted by `get`
// (an atom_get*_array); the count written.
template <class T>
long get_array(void *x, t_symbol *s, long max, T *vals,
               t_max_err (*get)(long, t_atom *, long, T *)) {
  if (max <= 0 || !vals)
    return 0;
  std::vector<t_atom> values = values_of(x, s);
  const long count = std::min(max, static_cast<long>(values.size()));
  get(count, values.data(), count, vals);
  return count;
}

// Sets the attribute to `count` values, made into atoms by `set` (an
// atom_set*_array).
template <class T>
t_max_err set_array(void *x, t_symbol *s, long count, T *vals,
                    t_max_err (*set)(long, t_atom *, long, T *)) {
  if (count < 0 || (count > 0 && !vals)) {
    error("object_attr_set: %ld values at %p", count, static_cast<const void *>(vals));
    return MAX_ERR_INVALID_PTR;
  }
  Attribute *a = object_attribute(x, s, "object_attr_set");
  if (!a)
    return MAX_ERR_GENERIC;
  std::vector<t_atom> atoms(static_cast<size_t>(count));
  set(count, atoms.data(), count, vals);
  return set_attribute(static_cast<t_object *>(x), a, count, atoms.data(), SetBy::code);
}

void set_clip(ClipFilter &clip, double scale, double min, double max, long usemin, long usemax) {
  clip = ClipFilter{true, scale, min, max, usemin != 0, usemax != 0};
}

} // namespace

Attribute *as_attribute(void *attr) {
  if (!attr || !live_attributes().contains(attr))
    return nullptr;
  return reinterpret_cast<Attribute *>(attr);
}

t_max_err set_attribute(t_object *x, Attribute *a, long argc, const t_atom *argv, SetBy by) {
  ObjectState *state = object_state(x);
  if (!state)
    return MAX_ERR_INVALID_PTR;
  const char *class_name = state->cls->name->s_name;
  const long refused =
      by == SetBy::message ? (ATTR_SET_OPAQUE | ATTR_SET_OPAQUE_USER) : ATTR_SET_OPAQUE;
  if (a->flags & refused) {
    error("%s: attribute \"%s\" is read-only", class_name, a->name->s_name);
    return MAX_ERR_GENERIC;
  }
  // Filters and setters may change their atoms: they get a copy.
  std::vector<t_atom> values(argv, argv + std::max(argc, 0L));
  apply_clip(a->set_clip, values);
  if (a->set_proc && !values.empty())
    function_cast<FilterProc>(a->set_proc)(x, a, static_cast<long>(values.size()), values.data());
  if (a->setter) {
    return function_cast<Setter>(a->setter)(x, a, static_cast<long>(values.size()),
                                            values.empty() ? nullptr : values.data());
  }
  if (!has_field(*a)) {
    error("%s: attribute \"%s\" has neither a setter nor a field", class_name, a->name->s_name);
    return MAX_ERR_GENERIC;
  }
  if (values.empty() ||
      !store(reinterpret_cast<char *>(x) + a->offset, storage_of(a->type), values[0])) {
    error("%s: bad value for attribute \"%s\" (%s expected)", class_name, a->name->s_name,
          a->type->s_name);
    return MAX_ERR_GENERIC;
  }
  if (values.size() > 1)
    error("%s: extra values for attribute \"%s\" ignored", class_name, a->name->s_name);
  return MAX_ERR_NONE;
}

void *attribute_method(Attribute &a, t_symbol *selector, void *const *words) {
  const std::string_view name = selector->s_name;
  if (name == "setmethod") {
    auto *which = static_cast<t_symbol *>(words[0]);
    const method fn = reinterpret_cast<method>(words[1]);
    if (which == gensym("get"))
      a.getter = fn;
    else if (which == gensym("set"))
      a.setter = fn;
    else
      error("attribute \"%s\": setmethod takes get or set", a.name->s_name);
    return nullptr;
  }
  if (name == "getflags")
    return reinterpret_cast<void *>(static_cast<t_ptr_int>(a.flags));
  if (name == "setflags") {
    a.flags = static_cast<long>(reinterpret_cast<t_ptr_int>(words[0]));
    return nullptr;
  }
  if (name == "gettype")
    return a.type;
  if (name == "getname")
    return a.name;
  error("attribute \"%s\" doesn't understand \"%s\"", a.name->s_name, selector->s_name);
  return nullptr;
}

} // namespace kit::rt

using namespace kit::rt;

t_object *attr_offset_new(const char *name, const t_symbol *type, long flags, const method mget,
                          const method mset, long offset) {
  if (!name || !*name || !type) {
    error("attr_offset_new: an attribute needs a name and a type");
    return nullptr;
  }
  if (storage_of(type) == Storage::none) {
    error("attr_offset_new: attribute \"%s\": unknown type \"%s\"", name, type->s_name);
    return nullptr;
  }
  auto *a = new Attribute{};
  a->header.o_magic = attribute_magic;
  a->name = gensym(name);
  a->type = const_cast<t_symbol *>(type);
  a->flags = flags;
  a->getter = mget;
  a->setter = mset;
  a->offset = offset;
  live_attributes().insert(a);
  return &a->header;
}

t_max_err class_addattr(t_class *c, t_object *attr) {
  Attribute *a = as_attribute(attr);
  if (!c || !a) {
    error("class_addattr: not a class or not an attribute");
    return MAX_ERR_INVALID_PTR;
  }
  // A stored value must lie inside the record, past the host's header; an
  // offset of 0 stands for none (accessors come later).
  if (a->offset != 0 &&
      (a->offset < static_cast<long>(sizeof(t_object)) ||
       a->offset + static_cast<long>(stored_size(storage_of(a->type))) > c->size)) {
    error("%s: attribute \"%s\" lies outside the object record (offset %ld)", c->name->s_name,
          a->name->s_name, a->offset);
    delete_attribute(a);
    return MAX_ERR_GENERIC;
  }
  for (Attribute *&existing : c->attributes) {
    if (existing->name == a->name) {
      delete_attribute(existing);
      existing = a;
      return MAX_ERR_NONE;
    }
  }
  c->attributes.push_back(a);
  return MAX_ERR_NONE;
}

void *class_attr_get(t_class *x, t_symbol *attrname) {
  if (!x || !attrname)
    return nullptr;
  Attribute *a = x->find_attribute(attrname);
  return a ? &a->header : nullptr;
}

t_max_err object_attr_setvalueof(void *x, t_symbol *s, long argc, t_atom *argv) {
  Attribute *a = object_attribute(x, s, "object_attr_setvalueof");
  if (!a)
    return object_state(x) ? MAX_ERR_GENERIC : MAX_ERR_INVALID_PTR;
  return set_attribute(static_cast<t_object *>(x), a, argc, argv, SetBy::code);
}

long attr_args_offset(short ac, t_atom *av) {
  if (!av || ac <= 0)
    return 0;
  for (short i = 0; i < ac; ++i)
    if (av[i].a_type == A_SYM && av[i].a_w.w_sym && av[i].a_w.w_sym->s_name[0] == '@')
      return i;
  return ac;
}

void attr_args_process(void *x, short ac, t_atom *av) {
  ObjectState *state = object_state(x);
  if (!state || ac <= 0 || !av)
    return;
  auto names_attribute = [](const t_atom &a) {
    return a.a_type == A_SYM && a.a_w.w_sym && a.a_w.w_sym->s_name[0] == '@';
  };
  // Atoms before the first "@name" are ordinary creation arguments.
  for (short i = static_cast<short>(attr_args_offset(ac, av)); i < ac;) {
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

void *object_attr_get(void *x, t_symbol *attrname) {
  ObjectState *state = object_state(x);
  if (!state || !attrname)
    return nullptr;
  return class_attr_get(state->cls, attrname);
}

long object_attr_usercanset(void *x, t_symbol *s) {
  Attribute *a = as_attribute(object_attr_get(x, s));
  return a && !(a->flags & (ATTR_SET_OPAQUE | ATTR_SET_OPAQUE_USER)) ? 1 : 0;
}

long object_attr_usercanget(void *x, t_symbol *s) {
  Attribute *a = as_attribute(object_attr_get(x, s));
  return a && !(a->flags & (ATTR_GET_OPAQUE | ATTR_GET_OPAQUE_USER)) ? 1 : 0;
}

t_max_err object_attr_getvalueof(void *x, t_symbol *s, long *argc, t_atom **argv) {
  if (!argc || !argv) {
    error("object_attr_getvalueof: no place for the values");
    return MAX_ERR_INVALID_PTR;
  }
  Attribute *a = object_attribute(x, s, "object_attr_getvalueof");
  if (!a)
    return MAX_ERR_GENERIC;
  if (a->flags & ATTR_GET_OPAQUE) {
    error("%s: attribute \"%s\" cannot be read", object_classname(x)->s_name, s->s_name);
    return MAX_ERR_GENERIC;
  }
  std::vector<t_atom> values;
  const t_max_err err = get_values(static_cast<t_object *>(x), *a, values);
  if (err != MAX_ERR_NONE)
    return err;
  if (*argc > 0 && *argv) {
    *argc = std::min(*argc, static_cast<long>(values.size()));
  } else {
    *argc = static_cast<long>(values.size());
    *argv = reinterpret_cast<t_atom *>(
        sysmem_newptr(sizeof(t_atom) * std::max<size_t>(1, values.size())));
    if (!*argv) {
      *argc = 0;
      return MAX_ERR_OUT_OF_MEM;
    }
  }
  std::copy_n(values.begin(), *argc, *argv);
  return MAX_ERR_NONE;
}

t_atom_long object_attr_getlong(void *x, t_symbol *s) {
  const t_atom value = first_value(x, s);
  return atom_getlong(&value);
}

t_atom_float object_attr_getfloat(void *x, t_symbol *s) {
  const t_atom value = first_value(x, s);
  return atom_getfloat(&value);
}

t_symbol *object_attr_getsym(void *x, t_symbol *s) {
  const t_atom value = first_value(x, s);
  return atom_getsym(&value);
}

char object_attr_getchar(void *x, t_symbol *s) {
  const t_atom value = first_value(x, s);
  return static_cast<char>(atom_getlong(&value));
}

t_object *object_attr_getobj(void *x, t_symbol *s) {
  const t_atom value = first_value(x, s);
  return value.a_type == A_OBJ ? value.a_w.w_obj : nullptr;
}

t_max_err object_attr_setlong(void *x, t_symbol *s, t_atom_long c) {
  t_atom value;
  atom_setlong(&value, c);
  return set_one(x, s, value);
}

t_max_err object_attr_setfloat(void *x, t_symbol *s, t_atom_float c) {
  t_atom value;
  atom_setfloat(&value, c);
  return set_one(x, s, value);
}

t_max_err object_attr_setsym(void *x, t_symbol *s, t_symbol *c) {
  t_atom value;
  atom_setsym(&value, c);
  return set_one(x, s, value);
}

t_max_err object_attr_setchar(void *x, t_symbol *s, char c) {
  t_atom value;
  atom_setlong(&value, c);
  return set_one(x, s, value);
}

t_max_err object_attr_setobj(void *x, t_symbol *s, t_object *o) {
  t_atom value{};
  value.a_type = A_OBJ;
  value.a_w.w_obj = o;
  return set_one(x, s, value);
}

long object_attr_getlong_array(void *x, t_symbol *s, long max, t_atom_long *vals) {
  return get_array(x, s, max, vals, atom_getlong_array);
}

long object_attr_getchar_array(void *x, t_symbol *s, long max, t_uint8 *vals) {
  return get_array(x, s, max, vals, atom_getchar_array);
}

long object_attr_getfloat_array(void *x, t_symbol *s, long max, float *vals) {
  return get_array(x, s, max, vals, atom_getfloat_array);
}

long object_attr_getdouble_array(void *x, t_symbol *s, long max, double *vals) {
  return get_array(x, s, max, vals, atom_getdouble_array);
}

long object_attr_getsym_array(void *x, t_symbol *s, long max, t_symbol **vals) {
  return get_array(x, s, max, vals, atom_getsym_array);
}

t_max_err object_attr_setlong_array(void *x, t_symbol *s, long count, t_atom_long *vals) {
  return set_array(x, s, count, vals, atom_setlong_array);
}

t_max_err object_attr_setchar_array(void *x, t_symbol *s, long count, const t_uint8 *vals) {
  // atom_setchar_array only reads the values.
  return set_array(x, s, count, const_cast<t_uint8 *>(vals), atom_setchar_array);
}

t_max_err object_attr_setfloat_array(void *x, t_symbol *s, long count, float *vals) {
  return set_array(x, s, count, vals, atom_setfloat_array);
}

t_max_err object_attr_setdouble_array(void *x, t_symbol *s, long count, double *vals) {
  return set_array(x, s, count, vals, atom_setdouble_array);
}

t_max_err object_attr_setsym_array(void *x, t_symbol *s, long count, t_symbol **vals) {
  return set_array(x, s, count, vals, atom_setsym_array);
}

// ---- Filters -------------------------------------------------------------------------

namespace {
t_max_err add_clip(void *x, bool on_set, bool on_get, double scale, double min, double max,
                   long usemin, long usemax) {
  Attribute *a = as_attribute(x);
  if (!a) {
    error("attr_addfilter: not an attribute");
    return MAX_ERR_INVALID_PTR;
  }
  if (on_set)
    set_clip(a->set_clip, scale, min, max, usemin, usemax);
  if (on_get)
    set_clip(a->get_clip, on_set && scale != 0 ? 1 / scale : scale, min, max, usemin, usemax);
  return MAX_ERR_NONE;
}
} // namespace

t_max_err attr_addfilterset_clip(void *x, double min, double max, long usemin, long usemax) {
  return add_clip(x, true, false, 1, min, max, usemin, usemax);
}

t_max_err attr_addfilterset_clip_scale(void *x, double scale, double min, double max, long usemin,
                                       long usemax) {
  return add_clip(x, true, false, scale, min, max, usemin, usemax);
}

t_max_err attr_addfilterget_clip(void *x, double min, double max, long usemin, long usemax) {
  return add_clip(x, false, true, 1, min, max, usemin, usemax);
}

t_max_err attr_addfilterget_clip_scale(void *x, double scale, double min, double max, long usemin,
                                       long usemax) {
  return add_clip(x, false, true, scale, min, max, usemin, usemax);
}

t_max_err attr_addfilter_clip(void *x, double min, double max, long usemin, long usemax) {
  return add_clip(x, true, true, 1, min, max, usemin, usemax);
}

t_max_err attr_addfilter_clip_scale(void *x, double scale, double min, double max, long usemin,
                                    long usemax) {
  return add_clip(x, true, true, scale, min, max, usemin, usemax);
}

t_max_err attr_addfilterset_proc(void *x, method proc) {
  Attribute *a = as_attribute(x);
  if (!a)
    return MAX_ERR_INVALID_PTR;
  a->set_proc = proc;
  return MAX_ERR_NONE;
}

t_max_err attr_addfilterget_proc(void *x, method proc) {
  Attribute *a = as_attribute(x);
  if (!a)
    return MAX_ERR_INVALID_PTR;
  a->get_proc = proc;
  return MAX_ERR_NONE;
}
