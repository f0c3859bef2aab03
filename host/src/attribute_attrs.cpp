// Attributes of attributes: what a host's inspector shows of an attribute
// (label, style, order, save...), given as atoms, text or a format, kept
// with the attribute and read back (ext_obex_util.h).
#include "classes.hpp"
#include "kit/text.hpp"

#include <algorithm>
#include <cstdarg>
#include <vector>

namespace kit::rt {
namespace {

// A later value of an attribute's attribute replaces the earlier one.
void keep_attr_attr(Attribute &a, t_symbol *name, std::vector<t_atom> atoms) {
  for (auto &[existing, values] : a.attr_attrs) {
    if (existing == name) {
      values = std::move(atoms);
      return;
    }
  }
  a.attr_attrs.emplace_back(name, std::move(atoms));
}

t_max_err add_attr_attr(t_class *c, const char *attrname, const char *attrname2,
                        std::vector<t_atom> atoms) {
  if (!c || !attrname || !attrname2) {
    error("class_attr_addattr: needs a class and two attribute names");
    return MAX_ERR_INVALID_PTR;
  }
  Attribute *a = c->find_attribute(gensym(attrname));
  if (!a) {
    error("%s: no attribute \"%s\" to add \"%s\" to", c->name->s_name, attrname, attrname2);
    return MAX_ERR_GENERIC;
  }
  keep_attr_attr(*a, gensym(attrname2), std::move(atoms));
  return MAX_ERR_NONE;
}

std::vector<t_atom> parsed(const char *text, const char *caller) {
  std::string reason;
  auto atoms = parse_atoms(text ? text : "", reason);
  if (!atoms) {
    error("%s: cannot read \"%s\" (%s)", caller, text ? text : "", reason.c_str());
    return {};
  }
  return std::move(*atoms);
}

// One value per letter of the format, or a count and an array for a capital.
bool read_format(const char *fmt, va_list args, std::vector<t_atom> &out) {
  for (const char *p = fmt; *p; ++p) {
    const char letter = *p;
    const bool array = letter >= 'A' && letter <= 'Z';
    const long count = array ? va_arg(args, long) : 1;
    const void *values = array ? va_arg(args, const void *) : nullptr;
    for (long i = 0; i < count; ++i) {
      t_atom a{};
      switch (letter) {
      case 'c':
      case 'l':
        atom_setlong(&a, letter == 'c' ? va_arg(args, int) : va_arg(args, long));
        break;
      case 'f':
      case 'd':
        atom_setfloat(&a, va_arg(args, double));
        break;
      case 's':
        atom_setsym(&a, va_arg(args, t_symbol *));
        break;
      case 'o':
        a.a_type = A_OBJ;
        a.a_w.w_obj = va_arg(args, t_object *);
        break;
      case 'a':
        a = *va_arg(args, t_atom *);
        break;
      case 'C':
        atom_setlong(&a, static_cast<const unsigned char *>(values)[i]);
        break;
      case 'L':
        atom_setlong(&a, static_cast<const t_atom_long *>(values)[i]);
        break;
      case 'F':
        atom_setfloat(&a, static_cast<const float *>(values)[i]);
        break;
      case 'D':
        atom_setfloat(&a, static_cast<const double *>(values)[i]);
        break;
      case 'S':
        atom_setsym(&a, static_cast<t_symbol *const *>(values)[i]);
        break;
      case 'O':
        a.a_type = A_OBJ;
        a.a_w.w_obj = static_cast<t_object *const *>(values)[i];
        break;
      case 'A':
        a = static_cast<const t_atom *>(values)[i];
        break;
      default:
        return false;
      }
      out.push_back(a);
    }
  }
  return true;
}

} // namespace
} // namespace kit::rt

using namespace kit::rt;

// ---- Attributes of attributes ---------------------------------------------------------

t_max_err class_attr_addattr_atoms(t_class *c, const char *attrname, const char *attrname2,
                                   t_symbol *, long, long ac, t_atom *av) {
  std::vector<t_atom> atoms;
  if (ac > 0 && av)
    atoms.assign(av, av + ac);
  return add_attr_attr(c, attrname, attrname2, std::move(atoms));
}

t_max_err class_attr_addattr_parse(t_class *c, const char *attrname, const char *attrname2,
                                   t_symbol *, long, const char *parsestr) {
  return add_attr_attr(c, attrname, attrname2, parsed(parsestr, "class_attr_addattr_parse"));
}

t_max_err class_attr_addattr_format(t_class *c, const char *attrname, const char *attrname2,
                                    const t_symbol *, long, const char *fmt, ...) {
  std::vector<t_atom> atoms;
  va_list args;
  va_start(args, fmt);
  const bool ok = fmt && read_format(fmt, args, atoms);
  va_end(args);
  if (!ok) {
    error("class_attr_addattr_format: unknown format \"%s\"", fmt ? fmt : "");
    return MAX_ERR_GENERIC;
  }
  return add_attr_attr(c, attrname, attrname2, std::move(atoms));
}

t_max_err class_attr_attr_getvalueof(t_class *c, t_symbol *attrname, t_symbol *attrname2,
                                     long *argc, t_atom **argv) {
  if (!c || !attrname || !attrname2 || !argc || !argv)
    return MAX_ERR_INVALID_PTR;
  *argc = 0;
  *argv = nullptr;
  Attribute *a = c->find_attribute(attrname);
  if (!a)
    return MAX_ERR_GENERIC;
  for (const auto &[name, values] : a->attr_attrs) {
    if (name != attrname2)
      continue;
    *argv = reinterpret_cast<t_atom *>(
        sysmem_newptr(sizeof(t_atom) * std::max<size_t>(1, values.size())));
    if (!*argv)
      return MAX_ERR_OUT_OF_MEM;
    std::copy(values.begin(), values.end(), *argv);
    *argc = static_cast<long>(values.size());
    return MAX_ERR_NONE;
  }
  return MAX_ERR_GENERIC;
}

t_max_err object_addattr_parse(t_object *x, const char *attrname, t_symbol *, long,
                               const char *parsestr) {
  Attribute *a = as_attribute(x);
  if (!a || !attrname) {
    error("object_addattr_parse: only attributes take attributes here");
    return MAX_ERR_GENERIC;
  }
  keep_attr_attr(*a, gensym(attrname), parsed(parsestr, "object_addattr_parse"));
  return MAX_ERR_NONE;
}
