// Atoms as text, and attribute macros: declare an attribute of a record field in one line, and
// give it filters, accessors and the attributes of attributes (label,
// style, order, save...) that a host's inspector shows. This host keeps the
// attributes of attributes (class_attr_attr_getvalueof reads them) but has
// no inspector; they change nothing else.
//
// Threads: the host's main thread, in the module's entry point.
#ifndef EXT_OBEX_UTIL_H
#define EXT_OBEX_UTIL_H

#include "ext_mess.h"

BEGIN_USING_C_LINKAGE

/// How atom_gettext writes atoms.
typedef enum {
  OBEX_UTIL_ATOM_GETTEXT_DEFAULT = 0x00000000,
  OBEX_UTIL_ATOM_GETTEXT_TRUNCATE_ZEROS = 0x00000001,
  OBEX_UTIL_ATOM_GETTEXT_SYM_NO_QUOTE = 0x00000002, ///< symbols as they are, never quoted
  OBEX_UTIL_ATOM_GETTEXT_SYM_FORCE_QUOTE = 0x00000004,
  OBEX_UTIL_ATOM_GETTEXT_COMMA_DELIM = 0x00000008, ///< ", " between atoms
  OBEX_UTIL_ATOM_GETTEXT_FORCE_ZEROS = 0x00000010,
  OBEX_UTIL_ATOM_GETTEXT_NUM_HI_RES = 0x00000020,
  OBEX_UTIL_ATOM_GETTEXT_NUM_LO_RES = 0x00000040,
  OBEX_UTIL_ATOM_GETTEXT_NOESCAPE = 0x00000080,
  OBEX_UTIL_ATOM_GETTEXT_LINEBREAK_NODELIM = 0x00000100,
} e_max_atom_gettext_flags;

/// The atoms as text, as kithost prints them (a blank between atoms,
/// symbols quoted when they hold a blank or a quote). With *text null or
/// *textsize 0 the text is allocated (free it with sysmem_freeptr) and
/// *textsize becomes its size with the terminating zero; otherwise it is
/// cut to the caller's *textsize bytes, always terminated. Of the flags,
/// SYM_NO_QUOTE and COMMA_DELIM are followed. Any thread.
C74_API t_max_err atom_gettext(long ac, t_atom *av, long *textsize, char **text, long flags);

/// The values of the first atoms, converted as atom_getlong, atom_getfloat,
/// atom_getsym and atom_getobj convert (a char is a long cut to its low
/// byte): as many as there are both atoms (`ac`) and values (`count`); the
/// rest of `vals` is left as it was. MAX_ERR_INVALID_PTR for a null array.
C74_API t_max_err atom_getchar_array(long ac, t_atom *av, long count, unsigned char *vals);
C74_API t_max_err atom_getlong_array(long ac, t_atom *av, long count, t_atom_long *vals);
C74_API t_max_err atom_getfloat_array(long ac, t_atom *av, long count, float *vals);
C74_API t_max_err atom_getdouble_array(long ac, t_atom *av, long count, double *vals);
C74_API t_max_err atom_getsym_array(long ac, t_atom *av, long count, t_symbol **vals);
C74_API t_max_err atom_getatom_array(long ac, t_atom *av, long count, t_atom *vals);
C74_API t_max_err atom_getobj_array(long ac, t_atom *av, long count, t_object **vals);
/// Sets the first atoms to the values (chars as longs), as many as there
/// are both atoms and values; the rest of `av` is left as it was.
C74_API t_max_err atom_setchar_array(long ac, t_atom *av, long count, unsigned char *vals);
C74_API t_max_err atom_setlong_array(long ac, t_atom *av, long count, t_atom_long *vals);
C74_API t_max_err atom_setfloat_array(long ac, t_atom *av, long count, float *vals);
C74_API t_max_err atom_setdouble_array(long ac, t_atom *av, long count, double *vals);
C74_API t_max_err atom_setsym_array(long ac, t_atom *av, long count, t_symbol **vals);
C74_API t_max_err atom_setatom_array(long ac, t_atom *av, long count, t_atom *vals);
C74_API t_max_err atom_setobj_array(long ac, t_atom *av, long count, t_object **vals);

/// Adds to attribute `attrname` of the class an attribute `attrname2` with
/// the given atoms, text (split into atoms at blanks: numbers become longs
/// and floats) or format ("c l f d s o a" take one value of that type; "C L
/// F D S O A" a count and a pointer to that many).
C74_API t_max_err class_attr_addattr_atoms(t_class *c, const char *attrname, const char *attrname2,
                                           t_symbol *type, long flags, long ac, t_atom *av);
C74_API t_max_err class_attr_addattr_parse(t_class *c, const char *attrname, const char *attrname2,
                                           t_symbol *type, long flags, const char *parsestr);
C74_API t_max_err class_attr_addattr_format(t_class *c, const char *attrname, const char *attrname2,
                                            const t_symbol *type, long flags, const char *fmt, ...);
/// The atoms of attribute `attrname2` of attribute `attrname` (allocated:
/// free them with sysmem_freeptr); MAX_ERR_GENERIC when there is none.
C74_API t_max_err class_attr_attr_getvalueof(t_class *c, t_symbol *attrname, t_symbol *attrname2,
                                             long *argc, t_atom **argv);
/// Adds an attribute given as text to an attribute (from class_attr_get);
/// any other object is refused: this host keeps no attributes per object.
C74_API t_max_err object_addattr_parse(t_object *x, const char *attrname, t_symbol *type,
                                       long flags, const char *parsestr);

END_USING_C_LINKAGE

#define USESYM(x) gensym(#x)

// A field of the wrong size for its attribute type fails the build.
#ifdef __cplusplus
#define KIT_ATTR_FIELD_CHECK(structname, member, size)                                             \
  static_assert(sizeof(((structname *)0)->member) == (size), "attribute field of the wrong size")
#else
#define KIT_ATTR_FIELD_CHECK(structname, member, size)                                             \
  _Static_assert(sizeof(((structname *)0)->member) == (size), "attribute field of the wrong size")
#endif

#define KIT_CLASS_ATTR(c, attrname, flags, type, structname, member, size)                         \
  {                                                                                                \
    KIT_ATTR_FIELD_CHECK(structname, member, size);                                                \
    class_addattr((c), attr_offset_new(attrname, USESYM(type), (flags), (method)0L, (method)0L,    \
                                       calcoffset(structname, member)));                           \
  }

/// An attribute whose value lives nowhere: it needs a getter and a setter.
#define CLASS_ATTR_OFFSET_DUMMY(c, attrname, flags, typesym)                                       \
  class_addattr((c), attr_offset_new(attrname, typesym, (flags), (method)0L, (method)0L, 0));

#define CLASS_ATTR_CHAR(c, attrname, flags, structname, member)                                    \
  KIT_CLASS_ATTR(c, attrname, flags, char, structname, member, sizeof(char))
#define CLASS_ATTR_LONG(c, attrname, flags, structname, member)                                    \
  KIT_CLASS_ATTR(c, attrname, flags, long, structname, member, sizeof(long))
#define CLASS_ATTR_ATOM_LONG(c, attrname, flags, structname, member)                               \
  KIT_CLASS_ATTR(c, attrname, flags, atom_long, structname, member, sizeof(t_atom_long))
#define CLASS_ATTR_INT32(c, attrname, flags, structname, member)                                   \
  KIT_CLASS_ATTR(c, attrname, flags, int32, structname, member, sizeof(int32_t))
#define CLASS_ATTR_FLOAT(c, attrname, flags, structname, member)                                   \
  KIT_CLASS_ATTR(c, attrname, flags, float32, structname, member, sizeof(float))
#define CLASS_ATTR_DOUBLE(c, attrname, flags, structname, member)                                  \
  KIT_CLASS_ATTR(c, attrname, flags, float64, structname, member, sizeof(double))
#define CLASS_ATTR_SYM(c, attrname, flags, structname, member)                                     \
  KIT_CLASS_ATTR(c, attrname, flags, symbol, structname, member, sizeof(t_symbol *))
#define CLASS_ATTR_ATOM(c, attrname, flags, structname, member)                                    \
  KIT_CLASS_ATTR(c, attrname, flags, atom, structname, member, sizeof(t_atom))
#define CLASS_ATTR_OBJ(c, attrname, flags, structname, member)                                     \
  KIT_CLASS_ATTR(c, attrname, flags, object, structname, member, sizeof(t_object *))

// The same, named after the field.
#define STRUCT_ATTR_CHAR(c, flags, structname, member)                                             \
  CLASS_ATTR_CHAR(c, #member, flags, structname, member)
#define STRUCT_ATTR_LONG(c, flags, structname, member)                                             \
  CLASS_ATTR_LONG(c, #member, flags, structname, member)
#define STRUCT_ATTR_ATOM_LONG(c, flags, structname, member)                                        \
  CLASS_ATTR_ATOM_LONG(c, #member, flags, structname, member)
#define STRUCT_ATTR_FLOAT(c, flags, structname, member)                                            \
  CLASS_ATTR_FLOAT(c, #member, flags, structname, member)
#define STRUCT_ATTR_DOUBLE(c, flags, structname, member)                                           \
  CLASS_ATTR_DOUBLE(c, #member, flags, structname, member)
#define STRUCT_ATTR_SYM(c, flags, structname, member)                                              \
  CLASS_ATTR_SYM(c, #member, flags, structname, member)
#define STRUCT_ATTR_ATOM(c, flags, structname, member)                                             \
  CLASS_ATTR_ATOM(c, #member, flags, structname, member)
#define STRUCT_ATTR_OBJ(c, flags, structname, member)                                              \
  CLASS_ATTR_OBJ(c, #member, flags, structname, member)

/// Replaces the attribute's getter and setter (null: the stored value).
#define CLASS_ATTR_ACCESSORS(c, attrname, getter, setter)                                          \
  {                                                                                                \
    t_object *theattr = (t_object *)class_attr_get(c, gensym(attrname));                           \
    object_method(theattr, gensym("setmethod"), USESYM(get), getter);                              \
    object_method(theattr, gensym("setmethod"), USESYM(set), setter);                              \
  }
#define CLASS_ATTR_ADD_FLAGS(c, attrname, flags)                                                   \
  {                                                                                                \
    t_object *theattr = (t_object *)class_attr_get(c, gensym(attrname));                           \
    long oldflags = (long)(t_ptr_int)object_method(theattr, gensym("getflags"));                   \
    object_method(theattr, gensym("setflags"), oldflags | (flags));                                \
  }
#define CLASS_ATTR_REMOVE_FLAGS(c, attrname, flags)                                                \
  {                                                                                                \
    t_object *theattr = (t_object *)class_attr_get(c, gensym(attrname));                           \
    long oldflags = (long)(t_ptr_int)object_method(theattr, gensym("getflags"));                   \
    object_method(theattr, gensym("setflags"), oldflags &(~(flags)));                              \
  }

/// Values set are held at or above minval, at or below maxval, or both.
#define CLASS_ATTR_FILTER_MIN(c, attrname, minval)                                                 \
  attr_addfilter_clip(class_attr_get(c, gensym(attrname)), minval, 0, 1, 0)
#define CLASS_ATTR_FILTER_MAX(c, attrname, maxval)                                                 \
  attr_addfilter_clip(class_attr_get(c, gensym(attrname)), 0, maxval, 0, 1)
#define CLASS_ATTR_FILTER_CLIP(c, attrname, minval, maxval)                                        \
  attr_addfilter_clip(class_attr_get(c, gensym(attrname)), minval, maxval, 1, 1)

#define CLASS_ATTR_ATTR_ATOMS class_attr_addattr_atoms
#define CLASS_ATTR_ATTR_PARSE class_attr_addattr_parse
#define CLASS_ATTR_ATTR_FORMAT class_attr_addattr_format

// Attributes of attributes for a host's inspector and its saving of patches.
#define KIT_ATTR_TYPE(c, attrname)                                                                 \
  ((t_symbol *)object_method(class_attr_get(c, gensym(attrname)), USESYM(gettype)))
#define CLASS_ATTR_DEFAULT(c, attrname, flags, parsestr)                                           \
  CLASS_ATTR_ATTR_PARSE(c, attrname, "default", KIT_ATTR_TYPE(c, attrname), flags, parsestr)
#define CLASS_ATTR_SAVE(c, attrname, flags)                                                        \
  CLASS_ATTR_ATTR_PARSE(c, attrname, "save", USESYM(long), flags, "1")
#define CLASS_ATTR_SELFSAVE(c, attrname, flags)                                                    \
  CLASS_ATTR_ATTR_PARSE(c, attrname, "selfsave", USESYM(long), flags, "1")
#define CLASS_ATTR_DEFAULT_SAVE(c, attrname, flags, parsestr)                                      \
  {                                                                                                \
    CLASS_ATTR_DEFAULT(c, attrname, flags, parsestr);                                              \
    CLASS_ATTR_SAVE(c, attrname, flags);                                                           \
  }
#define CLASS_ATTR_DEFAULTNAME(c, attrname, flags, parsestr)                                       \
  CLASS_ATTR_ATTR_PARSE(c, attrname, "defaultname", KIT_ATTR_TYPE(c, attrname), flags, parsestr)
#define CLASS_ATTR_DEFAULTNAME_SAVE(c, attrname, flags, parsestr)                                  \
  {                                                                                                \
    CLASS_ATTR_DEFAULTNAME(c, attrname, flags, parsestr);                                          \
    CLASS_ATTR_SAVE(c, attrname, flags);                                                           \
  }
#define CLASS_ATTR_MIN(c, attrname, flags, parsestr)                                               \
  CLASS_ATTR_ATTR_PARSE(c, attrname, "min", KIT_ATTR_TYPE(c, attrname), flags, parsestr)
#define CLASS_ATTR_MAX(c, attrname, flags, parsestr)                                               \
  CLASS_ATTR_ATTR_PARSE(c, attrname, "max", KIT_ATTR_TYPE(c, attrname), flags, parsestr)
#define CLASS_ATTR_PAINT(c, attrname, flags)                                                       \
  CLASS_ATTR_ATTR_PARSE(c, attrname, "paint", USESYM(long), flags, "1")
#define CLASS_ATTR_STYLE(c, attrname, flags, parsestr)                                             \
  CLASS_ATTR_ATTR_PARSE(c, attrname, "style", USESYM(symbol), flags, parsestr)
#define CLASS_ATTR_LABEL(c, attrname, flags, labelstr)                                             \
  CLASS_ATTR_ATTR_FORMAT(c, attrname, "label", USESYM(symbol), flags, "s", gensym(labelstr))
#define CLASS_ATTR_ENUM(c, attrname, flags, parsestr)                                              \
  {                                                                                                \
    CLASS_ATTR_STYLE(c, attrname, flags, "enum");                                                  \
    CLASS_ATTR_ATTR_PARSE(c, attrname, "enumvals", USESYM(atom), flags, parsestr);                 \
  }
#define CLASS_ATTR_ENUMINDEX(c, attrname, flags, parsestr)                                         \
  {                                                                                                \
    CLASS_ATTR_STYLE(c, attrname, flags, "enumindex");                                             \
    CLASS_ATTR_ATTR_PARSE(c, attrname, "enumvals", USESYM(atom), flags, parsestr);                 \
  }
#define CLASS_ATTR_CATEGORY(c, attrname, flags, parsestr)                                          \
  CLASS_ATTR_ATTR_PARSE(c, attrname, "category", USESYM(symbol), flags, parsestr)
#define CLASS_ATTR_STYLE_LABEL(c, attrname, flags, stylestr, labelstr)                             \
  {                                                                                                \
    CLASS_ATTR_STYLE(c, attrname, flags, stylestr);                                                \
    CLASS_ATTR_LABEL(c, attrname, flags, labelstr);                                                \
  }
#define CLASS_ATTR_INVISIBLE(c, attrname, flags)                                                   \
  CLASS_ATTR_ATTR_PARSE(c, attrname, "invisible", USESYM(long), flags, "1")
#define CLASS_ATTR_ORDER(c, attrname, flags, parsestr)                                             \
  CLASS_ATTR_ATTR_PARSE(c, attrname, "order", USESYM(long), flags, parsestr)
#define CLASS_ATTR_BASIC(c, attrname, flags)                                                       \
  CLASS_ATTR_ATTR_PARSE(c, attrname, "basic", USESYM(long), flags, "1")
#define CLASS_ATTR_DONTSAVE(c, attrname, flags)                                                    \
  CLASS_ATTR_ATTR_PARSE(c, attrname, "nosave", USESYM(long), flags, "1")

/// Attributes of a method document it in a host's reference; this host has
/// none, so they are dropped.
#define CLASS_METHOD_ATTR_PARSE(c, methodname, attrname, type, flags, parsestring)                 \
  do {                                                                                             \
    (void)(c);                                                                                     \
  } while (0)

#endif
