// Atom accessors and helpers. A getter given an atom of another type
// converts numbers (a float to a long truncates toward zero, clamped to the
// long's range) and answers 0 or the empty symbol otherwise.
#include "conversions.hpp"
#include "ext.h"
#include "ext_obex.h"
#include "kit/text.hpp"
#include "symbols.hpp"

#include <algorithm>
#include <cstring>
#include <string>

t_max_err atom_setlong(t_atom *a, t_atom_long b) {
  if (!a)
    return MAX_ERR_INVALID_PTR;
  a->a_type = A_LONG;
  a->a_w.w_long = b;
  return MAX_ERR_NONE;
}

t_max_err atom_setfloat(t_atom *a, double b) {
  if (!a)
    return MAX_ERR_INVALID_PTR;
  a->a_type = A_FLOAT;
  a->a_w.w_float = b;
  return MAX_ERR_NONE;
}

t_max_err atom_setsym(t_atom *a, t_symbol *b) {
  if (!a)
    return MAX_ERR_INVALID_PTR;
  a->a_type = A_SYM;
  a->a_w.w_sym = b ? b : kit::rt::common_symbols().empty;
  return MAX_ERR_NONE;
}

t_atom_long atom_getlong(const t_atom *a) {
  if (!a)
    return 0;
  if (a->a_type == A_LONG)
    return a->a_w.w_long;
  if (a->a_type == A_FLOAT)
    return kit::rt::float_to_long(a->a_w.w_float);
  return 0;
}

t_atom_float atom_getfloat(const t_atom *a) {
  if (!a)
    return 0;
  if (a->a_type == A_FLOAT)
    return a->a_w.w_float;
  if (a->a_type == A_LONG)
    return static_cast<t_atom_float>(a->a_w.w_long);
  return 0;
}

t_symbol *atom_getsym(const t_atom *a) {
  if (a && a->a_type == A_SYM && a->a_w.w_sym)
    return a->a_w.w_sym;
  return kit::rt::common_symbols().empty;
}

t_max_err atom_setobj(t_atom *a, void *b) {
  if (!a)
    return MAX_ERR_INVALID_PTR;
  a->a_type = A_OBJ;
  a->a_w.w_obj = static_cast<t_object *>(b);
  return MAX_ERR_NONE;
}

void *atom_getobj(const t_atom *a) {
  return a && a->a_type == A_OBJ ? a->a_w.w_obj : nullptr;
}

long atom_getcharfix(const t_atom *a) {
  if (!a)
    return 0;
  if (a->a_type == A_LONG)
    return static_cast<long>(std::clamp<t_atom_long>(a->a_w.w_long, 0, 255));
  if (a->a_type == A_FLOAT)
    return static_cast<long>(
        std::clamp<t_atom_long>(kit::rt::float_to_long(a->a_w.w_float * 255), 0, 255));
  return 0;
}

long atom_gettype(const t_atom *a) {
  return a ? a->a_type : static_cast<long>(A_NOTHING);
}

namespace {

// The atom at `idx` of the list when there is one and it is a number.
const t_atom *number_at(long idx, long ac, const t_atom *av) {
  if (!av || idx < 0 || idx >= ac || !kit::rt::is_number(av[idx]))
    return nullptr;
  return &av[idx];
}

} // namespace

t_max_err atom_arg_getlong(t_atom_long *c, long idx, long ac, const t_atom *av) {
  const t_atom *a = number_at(idx, ac, av);
  if (!c || !a)
    return MAX_ERR_GENERIC;
  *c = atom_getlong(a);
  return MAX_ERR_NONE;
}

long atom_arg_getfloat(float *c, long idx, long ac, const t_atom *av) {
  const t_atom *a = number_at(idx, ac, av);
  if (!c || !a)
    return MAX_ERR_GENERIC;
  *c = static_cast<float>(atom_getfloat(a));
  return MAX_ERR_NONE;
}

long atom_arg_getdouble(double *c, long idx, long ac, const t_atom *av) {
  const t_atom *a = number_at(idx, ac, av);
  if (!c || !a)
    return MAX_ERR_GENERIC;
  *c = atom_getfloat(a);
  return MAX_ERR_NONE;
}

long atom_arg_getsym(t_symbol **c, long idx, long ac, const t_atom *av) {
  if (!c || !av || idx < 0 || idx >= ac || av[idx].a_type != A_SYM || !av[idx].a_w.w_sym)
    return MAX_ERR_GENERIC;
  *c = av[idx].a_w.w_sym;
  return MAX_ERR_NONE;
}

namespace {

// The first of `ac` atoms and `count` values handed over, each converted;
// the rest of the longer array is left as it is.
template <class From, class To, class Convert>
t_max_err copy_converted(long ac, long count, From *from, To *to, Convert convert) {
  if (ac < 0 || count < 0)
    return MAX_ERR_GENERIC;
  const long n = std::min(ac, count);
  if (n > 0 && (!from || !to))
    return MAX_ERR_INVALID_PTR;
  for (long i = 0; i < n; ++i)
    convert(from[i], to[i]);
  return MAX_ERR_NONE;
}

template <class T, class Get>
t_max_err get_values(long ac, const t_atom *av, long count, T *vals, Get get) {
  return copy_converted(ac, count, av, vals,
                        [&](const t_atom &a, T &value) { value = static_cast<T>(get(&a)); });
}

template <class T, class Set>
t_max_err set_values(long ac, t_atom *av, long count, const T *vals, Set set) {
  return copy_converted(ac, count, vals, av, [&](const T &value, t_atom &a) { set(&a, value); });
}

} // namespace

t_max_err atom_getchar_array(long ac, t_atom *av, long count, unsigned char *vals) {
  return get_values(ac, av, count, vals, atom_getlong);
}

t_max_err atom_getlong_array(long ac, t_atom *av, long count, t_atom_long *vals) {
  return get_values(ac, av, count, vals, atom_getlong);
}

t_max_err atom_getfloat_array(long ac, t_atom *av, long count, float *vals) {
  return get_values(ac, av, count, vals, atom_getfloat);
}

t_max_err atom_getdouble_array(long ac, t_atom *av, long count, double *vals) {
  return get_values(ac, av, count, vals, atom_getfloat);
}

t_max_err atom_getsym_array(long ac, t_atom *av, long count, t_symbol **vals) {
  return get_values(ac, av, count, vals, atom_getsym);
}

t_max_err atom_getatom_array(long ac, t_atom *av, long count, t_atom *vals) {
  return get_values(ac, av, count, vals, [](const t_atom *a) { return *a; });
}

t_max_err atom_getobj_array(long ac, t_atom *av, long count, t_object **vals) {
  return get_values(ac, av, count, vals, atom_getobj);
}

t_max_err atom_setchar_array(long ac, t_atom *av, long count, unsigned char *vals) {
  return set_values(ac, av, count, vals, atom_setlong);
}

t_max_err atom_setlong_array(long ac, t_atom *av, long count, t_atom_long *vals) {
  return set_values(ac, av, count, vals, atom_setlong);
}

t_max_err atom_setfloat_array(long ac, t_atom *av, long count, float *vals) {
  return set_values(ac, av, count, vals, atom_setfloat);
}

t_max_err atom_setdouble_array(long ac, t_atom *av, long count, double *vals) {
  return set_values(ac, av, count, vals, atom_setfloat);
}

t_max_err atom_setsym_array(long ac, t_atom *av, long count, t_symbol **vals) {
  return set_values(ac, av, count, vals, atom_setsym);
}

t_max_err atom_setatom_array(long ac, t_atom *av, long count, t_atom *vals) {
  return set_values(ac, av, count, vals, [](t_atom *a, const t_atom &value) { *a = value; });
}

t_max_err atom_setobj_array(long ac, t_atom *av, long count, t_object **vals) {
  return set_values(ac, av, count, vals, atom_setobj);
}

t_max_err atom_alloc(long *ac, t_atom **av, char *alloc) {
  return atom_alloc_array(1, ac, av, alloc);
}

t_max_err atom_alloc_array(long minsize, long *ac, t_atom **av, char *alloc) {
  if (!ac || !av || minsize < 0)
    return MAX_ERR_INVALID_PTR;
  if (*ac > 0 && *av) {
    if (alloc)
      *alloc = 0;
    // The caller's atoms: too few for what is to be written would overflow.
    return *ac >= minsize ? MAX_ERR_NONE : MAX_ERR_GENERIC;
  }
  const size_t count = minsize > 0 ? static_cast<size_t>(minsize) : 1;
  auto *atoms = reinterpret_cast<t_atom *>(sysmem_newptrclear(count * sizeof(t_atom)));
  if (!atoms)
    return MAX_ERR_OUT_OF_MEM;
  *av = atoms;
  *ac = minsize;
  if (alloc)
    *alloc = 1;
  return MAX_ERR_NONE;
}

t_max_err atom_gettext(long ac, t_atom *av, long *textsize, char **text, long flags) {
  if (!textsize || !text || ac < 0 || (ac > 0 && !av))
    return MAX_ERR_INVALID_PTR;
  std::string out;
  for (long i = 0; i < ac; ++i) {
    if (i)
      out += (flags & OBEX_UTIL_ATOM_GETTEXT_COMMA_DELIM) ? ", " : " ";
    if (av[i].a_type == A_SYM && (flags & OBEX_UTIL_ATOM_GETTEXT_SYM_NO_QUOTE))
      out += atom_getsym(&av[i])->s_name;
    else
      out += kit::format_atoms(std::span<const t_atom>(&av[i], 1));
  }
  if (!*text || *textsize <= 0) {
    char *made = sysmem_newptr(out.size() + 1);
    if (!made)
      return MAX_ERR_OUT_OF_MEM;
    *text = made;
    *textsize = static_cast<long>(out.size() + 1);
  }
  // The caller's buffer takes what fits, always terminated.
  const size_t length = std::min(out.size(), static_cast<size_t>(*textsize - 1));
  std::memcpy(*text, out.data(), length);
  (*text)[length] = '\0';
  return MAX_ERR_NONE;
}
