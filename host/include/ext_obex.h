// Classes in the newer style: class_new, class_addmethod, attributes.
#ifndef EXT_OBEX_H
#define EXT_OBEX_H

#include "ext.h"

BEGIN_USING_C_LINKAGE

/// The name spaces of classes, as symbols: made in a patch, or hidden.
#define CLASS_BOX gensym("box")
#define CLASS_NOBOX gensym("nobox")

// How messages and creation arguments reach a class's routines.
//
// Typed arguments. A method registered with argument types (A_LONG, A_FLOAT,
// A_SYM, A_DEFLONG, A_DEFFLOAT, A_DEFSYM; at most five) is called with the
// atoms converted to them: a long argument takes a long or a float
// (truncated toward zero, clamped to the long's range, NaN as 0), a float
// argument a float or a long, a symbol argument only a symbol. A missing
// optional argument is 0, 0.0 or the empty symbol. A wrong type or a
// missing required argument is reported ("CLASS: bad arguments for message
// "SEL"") and the method is not called; extra atoms are reported ("CLASS:
// extra arguments for message "SEL"") and dropped, and the method is called.
// An A_GIMME method gets (x, selector, count, atoms) as they came; an A_CANT
// method (assist) is called by the host only, never by a message.
//
// Creation. A box "CLASS ARGS..." calls the creation routine of class_new
// (or setup) by the same rules for its creation argument types: a wrong type
// or a missing required argument refuses the box ("CLASS: bad creation
// arguments"); extra atoms are reported ("CLASS: extra creation arguments
// ignored") and dropped. An A_GIMME creation routine gets (class name,
// count, atoms).
//
// A message without a method of its selector:
//   - "int" / "float" goes to the float / int method (converted), else to
//     the list method as a one-atom list;
//   - "list" whose first atom is a number goes to the int or float method
//     with that atom (a long prefers the int method, a float the float
//     method); an empty list goes to the bang method;
//   - a selector naming an attribute sets it ("host 1.2.3.4");
//   - anything else goes to the "anything" method (A_GIMME) when there is
//     one, else is reported as "CLASS: doesn't understand "SEL"".
// A typed inlet (inlet4, intin, floatin) turns an int, a float or a list's
// first number into its selector with one long (a float truncated) or one
// float; anything else is reported. A proxy (proxy_new) passes every message
// on by the rules above, as the leftmost inlet does.

/// Attribute flags. ATTR_SET_OPAQUE_USER makes an attribute read-only for
/// messages from the patch, ATTR_SET_OPAQUE also for C code; the others are
/// kept for a host's inspector and change nothing here.
typedef enum {
  ATTR_FLAGS_NONE = 0x0000000,
  ATTR_GET_OPAQUE = 0x00000001,
  ATTR_SET_OPAQUE = 0x00000002,
  ATTR_GET_OPAQUE_USER = 0x00000100,
  ATTR_SET_OPAQUE_USER = 0x00000200,
  ATTR_GET_DEFER = 0x00010000,
  ATTR_GET_USURP = 0x00020000,
  ATTR_GET_DEFER_LOW = 0x00040000,
  ATTR_GET_USURP_LOW = 0x00080000,
  ATTR_SET_DEFER = 0x01000000,
  ATTR_SET_USURP = 0x02000000,
  ATTR_SET_DEFER_LOW = 0x04000000,
  ATTR_SET_USURP_LOW = 0x08000000,
  ATTR_IS_JBOXATTR = 0x10000000,
  ATTR_DIRTY = 0x20000000
} e_max_attrflags;

/// Makes a class; the variable part lists creation argument types, ending 0.
C74_API t_class *class_new(const char *name, const method mnew, const method mfree, long size,
                           const method mmenu, short type, ...);
/// Adds the message `name` with argument types (ending with 0).
C74_API t_max_err class_addmethod(t_class *c, const method m, const char *name, ...);
C74_API t_max_err class_addattr(t_class *c, t_object *attr);
/// Registers the class under a name space ("box"): from then on it can be made.
C74_API t_max_err class_register(t_symbol *name_space, t_class *c);
/// Makes `aliasname` a second name of the class: a box of that name makes
/// an object of the class. MAX_ERR_DUPLICATE (reported) when another class
/// has the name.
C74_API t_max_err class_alias(t_class *c, t_symbol *aliasname);
C74_API t_max_err class_free(t_class *c);
/// The attribute of that name, as a t_object for object_method and the
/// attr_addfilter calls, or null.
C74_API void *class_attr_get(t_class *x, t_symbol *attrname);
/// Keeps `o` with the class under the name `s` (replacing any before);
/// class_extra_lookup gives it back, or null.
C74_API t_max_err class_extra_store(t_class *x, t_symbol *s, t_object *o);
C74_API void *class_extra_lookup(t_class *x, t_symbol *s);

/// Makes a record of the class, zero-filled, header first; null on failure.
C74_API void *object_alloc(t_class *c);
C74_API t_max_err object_free(void *x);
C74_API t_symbol *object_classname(void *x);
/// The class of a live object, or null.
C74_API t_class *object_class(void *x);

// ---- Making objects and sending them messages from C ---------------------------
// Threads: the host's main thread.
//
// object_new and object_method take untyped arguments: each is passed as a
// pointer-sized word (a number is converted to an integer, so a fraction is
// lost: send floats with object_method_typed). A creation routine or method
// declared A_CANT gets the words as they are; a typed one gets each word as
// its declared type (a long, a symbol pointer, or the integer as a double);
// an A_GIMME one is refused (use object_new_typed, object_method_typed).

/// Makes an object of `classname` (loading its module the first time) in
/// `name_space` (CLASS_BOX or CLASS_NOBOX, as the class registered): null,
/// reported, when there is no such class or it refused.
#define object_new(...) KIT_UNTYPED_CALL(object_new_imp, __VA_ARGS__)
C74_API void *object_new_imp(void *p1, void *p2, void *p3, void *p4, void *p5, void *p6, void *p7,
                             void *p8, void *p9, void *p10);
/// Makes an object as a box with the atoms as its arguments would.
C74_API void *object_new_typed(t_symbol *name_space, t_symbol *classname, long ac, t_atom *av);
/// Calls the method of selector `s` of `x` (an object, or an attribute from
/// class_attr_get). Returns what an A_CANT method returns, else null; null
/// too when `x` has no such method.
#define object_method(...) KIT_UNTYPED_CALL(object_method_imp, __VA_ARGS__)
C74_API void *object_method_imp(void *x, void *sym, void *p1, void *p2, void *p3, void *p4,
                                void *p5, void *p6, void *p7, void *p8);
/// Sends the message `s` with atoms to `x` as a message from the patch
/// would arrive (ext_obex.h's rules above). MAX_ERR_NONE when something
/// took it, MAX_ERR_GENERIC (reported) when not; *rv, when given, becomes
/// an A_NOTHING atom (no method here returns atoms).
C74_API t_max_err object_method_typed(void *x, t_symbol *s, long ac, t_atom *av, t_atom *rv);

// ---- Registered objects and their clients ------------------------------------------
// Threads: the host's main thread.
//
// An object registered under a name in a name space (any symbol) can be found
// by that name, and clients attached to it receive what it sends with
// object_notify through their "notify" method (A_CANT):
//   void client_notify(t_client *x, t_symbol *name, t_symbol *msg, void *sender, void *data);
// When a registered object is freed its clients get the message "free"
// first; a freed client is detached from everything.

/// Registers `x` as `s` in `name_space` and returns it; null (reported)
/// when the name is another object's or `x` has a name already. Clients
/// that subscribed to the name are attached.
C74_API void *object_register(t_symbol *name_space, t_symbol *s, void *x);
/// Removes the registration of `x` (its clients are detached).
C74_API t_max_err object_unregister(void *x);
C74_API void *object_findregistered(t_symbol *name_space, t_symbol *s);
/// The name space and name `x` is registered under; MAX_ERR_GENERIC when none.
C74_API t_max_err object_findregisteredbyptr(t_symbol **name_space, t_symbol **s, void *x);
/// Attaches client `x` to the object registered as `s`; returns that object,
/// or null when nothing is registered there.
C74_API void *object_attach(t_symbol *name_space, t_symbol *s, void *x);
C74_API t_max_err object_detach(t_symbol *name_space, t_symbol *s, void *x);
C74_API t_max_err object_attach_byptr(void *x, void *registeredobject);
C74_API t_max_err object_detach_byptr(void *x, void *registeredobject);
/// Attaches `x` to `s` whenever an object (of `classname`, when not null) is
/// registered there, now or later. Returns the object registered now, or null.
C74_API void *object_subscribe(t_symbol *name_space, t_symbol *s, t_symbol *classname, void *x);
C74_API t_max_err object_unsubscribe(t_symbol *name_space, t_symbol *s, t_symbol *classname,
                                     void *x);
/// Calls the "notify" method of every client attached to `x` (in the order
/// they attached) with `s` and `data`.
C74_API t_max_err object_notify(void *x, t_symbol *s, void *data);

// Counts the arguments of an untyped call (2 to 10) and pads them to ten
// pointer-sized words.
#define KIT_ARG_COUNT(...) KIT_ARG_COUNT_(__VA_ARGS__, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0)
#define KIT_ARG_COUNT_(a1, a2, a3, a4, a5, a6, a7, a8, a9, a10, n, ...) n
#define KIT_JOIN(a, b) KIT_JOIN_(a, b)
#define KIT_JOIN_(a, b) a##b
#define KIT_UNTYPED_CALL(fn, ...) KIT_JOIN(KIT_WORDS_, KIT_ARG_COUNT(__VA_ARGS__))(fn, __VA_ARGS__)
#define KIT_W(p) ((void *)(t_ptr_int)(p))
#define KIT_0 ((void *)(t_ptr_int)0)
#define KIT_WORDS_2(fn, a, b)                                                                      \
  fn(KIT_W(a), KIT_W(b), KIT_0, KIT_0, KIT_0, KIT_0, KIT_0, KIT_0, KIT_0, KIT_0)
#define KIT_WORDS_3(fn, a, b, c)                                                                   \
  fn(KIT_W(a), KIT_W(b), KIT_W(c), KIT_0, KIT_0, KIT_0, KIT_0, KIT_0, KIT_0, KIT_0)
#define KIT_WORDS_4(fn, a, b, c, d)                                                                \
  fn(KIT_W(a), KIT_W(b), KIT_W(c), KIT_W(d), KIT_0, KIT_0, KIT_0, KIT_0, KIT_0, KIT_0)
#define KIT_WORDS_5(fn, a, b, c, d, e)                                                             \
  fn(KIT_W(a), KIT_W(b), KIT_W(c), KIT_W(d), KIT_W(e), KIT_0, KIT_0, KIT_0, KIT_0, KIT_0)
#define KIT_WORDS_6(fn, a, b, c, d, e, f)                                                          \
  fn(KIT_W(a), KIT_W(b), KIT_W(c), KIT_W(d), KIT_W(e), KIT_W(f), KIT_0, KIT_0, KIT_0, KIT_0)
#define KIT_WORDS_7(fn, a, b, c, d, e, f, g)                                                       \
  fn(KIT_W(a), KIT_W(b), KIT_W(c), KIT_W(d), KIT_W(e), KIT_W(f), KIT_W(g), KIT_0, KIT_0, KIT_0)
#define KIT_WORDS_8(fn, a, b, c, d, e, f, g, h)                                                    \
  fn(KIT_W(a), KIT_W(b), KIT_W(c), KIT_W(d), KIT_W(e), KIT_W(f), KIT_W(g), KIT_W(h), KIT_0, KIT_0)
#define KIT_WORDS_9(fn, a, b, c, d, e, f, g, h, i)                                                 \
  fn(KIT_W(a), KIT_W(b), KIT_W(c), KIT_W(d), KIT_W(e), KIT_W(f), KIT_W(g), KIT_W(h), KIT_W(i),     \
     KIT_0)
#define KIT_WORDS_10(fn, a, b, c, d, e, f, g, h, i, j)                                             \
  fn(KIT_W(a), KIT_W(b), KIT_W(c), KIT_W(d), KIT_W(e), KIT_W(f), KIT_W(g), KIT_W(h), KIT_W(i),     \
     KIT_W(j))

// ---- Attributes ----------------------------------------------------------------------
// Threads: the host's main thread.
//
// An attribute is set by a message of its name ("min 3"), by "@name value"
// creation arguments (attr_args_process) or from C (object_attr_set*). The
// value passes the attribute's set filters (scale, then clip), then goes to
// its setter, or is stored at its offset: "char", "long" (a C long),
// "atom_long", "int32", "float32", "float64" (also "float"), "symbol",
// "atom", "object". A number is converted to a whole type by truncation
// toward zero. A getter or the stored value, through the get filters, is
// what object_attr_get* read. Custom accessors are declared
//   t_max_err get(t_object *x, void *attr, long *ac, t_atom **av);
//   t_max_err set(t_object *x, void *attr, long ac, t_atom *av);
// and a getter given *ac and *av of 0 allocates the atoms with getbytes.

/// An attribute stored at byte `offset` of the record, of one of the types
/// above. Getter and setter may be null (the stored value is used).
C74_API t_object *attr_offset_new(const char *name, const t_symbol *type, long flags,
                                  const method mget, const method mset, long offset);
/// Applies "@name value ..." creation arguments to the object's attributes.
C74_API void attr_args_process(void *x, short ac, t_atom *av);
/// Sets an attribute from atoms, as C code (ATTR_SET_OPAQUE_USER does not
/// stop it).
C74_API t_max_err object_attr_setvalueof(void *x, t_symbol *s, long argc, t_atom *argv);
/// The index of the first "@name" atom, or `ac` when there is none: the
/// creation arguments before the attributes.
C74_API long attr_args_offset(short ac, t_atom *av);
/// The attribute of object `x`, or null.
C74_API void *object_attr_get(void *x, t_symbol *attrname);
/// Whether a message from the patch may set (read) the attribute: 1 or 0.
C74_API long object_attr_usercanset(void *x, t_symbol *s);
C74_API long object_attr_usercanget(void *x, t_symbol *s);
/// The attribute's value as atoms. With *argc and *argv 0 the atoms are
/// allocated (free them with sysmem_freeptr); otherwise at most *argc are
/// written into *argv. *argc becomes the count.
C74_API t_max_err object_attr_getvalueof(void *x, t_symbol *s, long *argc, t_atom **argv);
/// The first value of the attribute, converted; 0 or the empty symbol when
/// there is no such attribute or value.
C74_API t_atom_long object_attr_getlong(void *x, t_symbol *s);
C74_API t_atom_float object_attr_getfloat(void *x, t_symbol *s);
C74_API t_symbol *object_attr_getsym(void *x, t_symbol *s);
C74_API char object_attr_getchar(void *x, t_symbol *s);
C74_API t_object *object_attr_getobj(void *x, t_symbol *s);
/// Sets the attribute to one value, as object_attr_setvalueof does.
C74_API t_max_err object_attr_setlong(void *x, t_symbol *s, t_atom_long c);
C74_API t_max_err object_attr_setfloat(void *x, t_symbol *s, t_atom_float c);
C74_API t_max_err object_attr_setsym(void *x, t_symbol *s, t_symbol *c);
C74_API t_max_err object_attr_setchar(void *x, t_symbol *s, char c);
C74_API t_max_err object_attr_setobj(void *x, t_symbol *s, t_object *o);
/// At most `max` of the attribute's values, converted, into `vals`; the
/// count written (0 when there is no such attribute).
C74_API long object_attr_getlong_array(void *x, t_symbol *s, long max, t_atom_long *vals);
C74_API long object_attr_getchar_array(void *x, t_symbol *s, long max, t_uint8 *vals);
C74_API long object_attr_getfloat_array(void *x, t_symbol *s, long max, float *vals);
C74_API long object_attr_getdouble_array(void *x, t_symbol *s, long max, double *vals);
C74_API long object_attr_getsym_array(void *x, t_symbol *s, long max, t_symbol **vals);
/// Sets the attribute to `count` values, as object_attr_setvalueof does.
C74_API t_max_err object_attr_setlong_array(void *x, t_symbol *s, long count, t_atom_long *vals);
C74_API t_max_err object_attr_setchar_array(void *x, t_symbol *s, long count, const t_uint8 *vals);
C74_API t_max_err object_attr_setfloat_array(void *x, t_symbol *s, long count, float *vals);
C74_API t_max_err object_attr_setdouble_array(void *x, t_symbol *s, long count, double *vals);
C74_API t_max_err object_attr_setsym_array(void *x, t_symbol *s, long count, t_symbol **vals);

// Filters of an attribute `x` (from class_attr_get): numbers set (filterset),
// read (filterget) or both are multiplied by `scale` (read values of both:
// divided), then held within min..max where usemin / usemax are non-zero.
// A proc filter gets (object, attr, ac, av) and may change the atoms.
C74_API t_max_err attr_addfilterset_clip(void *x, double min, double max, long usemin, long usemax);
C74_API t_max_err attr_addfilterset_clip_scale(void *x, double scale, double min, double max,
                                               long usemin, long usemax);
C74_API t_max_err attr_addfilterget_clip(void *x, double min, double max, long usemin, long usemax);
C74_API t_max_err attr_addfilterget_clip_scale(void *x, double scale, double min, double max,
                                               long usemin, long usemax);
C74_API t_max_err attr_addfilter_clip(void *x, double min, double max, long usemin, long usemax);
C74_API t_max_err attr_addfilter_clip_scale(void *x, double scale, double min, double max,
                                            long usemin, long usemax);
C74_API t_max_err attr_addfilterset_proc(void *x, method proc);
C74_API t_max_err attr_addfilterget_proc(void *x, method proc);

#define calcoffset(x, y) offsetof(x, y)

// ---- Data structures: how a list or table frees what it holds -------------------

/// Flags of linklists and hashtabs (linklist_flags, hashtab_flags).
typedef enum {
  OBJ_FLAG_OBJ = 0x00000000,    ///< items are objects: freed with object_free
  OBJ_FLAG_REF = 0x00000001,    ///< items are not freed
  OBJ_FLAG_DATA = 0x00000002,   ///< items are not freed (plain data)
  OBJ_FLAG_MEMORY = 0x00000004, ///< items are memory: freed with sysmem_freeptr
  OBJ_FLAG_SILENT = 0x00000100,
  OBJ_FLAG_INHERITABLE = 0x00000200,
  OBJ_FLAG_ITERATING = 0x00001000,
  OBJ_FLAG_CLONE = 0x00002000,
  OBJ_FLAG_DANGER = 0x20000000,
  OBJ_FLAG_DEBUG = 0x40000000
} e_max_datastore_flags;

// ---- Atoms ---------------------------------------------------------------------
// Any thread.

/// Makes the atom an A_OBJ holding `b`.
C74_API t_max_err atom_setobj(t_atom *a, void *b);
/// The pointer of an A_OBJ atom; null for any other.
C74_API void *atom_getobj(const t_atom *a);
/// A number as 0 to 255: a long clamped, a float times 255 truncated and
/// clamped; 0 for anything else.
C74_API long atom_getcharfix(const t_atom *a);
/// The atom's type (A_LONG, A_FLOAT, A_SYM, A_OBJ, ...); A_NOTHING for null.
C74_API long atom_gettype(const t_atom *a);

// The argument `idx` of a list, stored in *c only when it is there and of a
// fitting type (a number for long, float and double, a symbol for sym):
// MAX_ERR_NONE then, else MAX_ERR_GENERIC and *c unchanged.
C74_API t_max_err atom_arg_getlong(t_atom_long *c, long idx, long ac, const t_atom *av);
C74_API long atom_arg_getfloat(float *c, long idx, long ac, const t_atom *av);
C74_API long atom_arg_getdouble(double *c, long idx, long ac, const t_atom *av);
C74_API long atom_arg_getsym(t_symbol **c, long idx, long ac, const t_atom *av);

/// atom_alloc_array(1, ...).
C74_API t_max_err atom_alloc(long *ac, t_atom **av, char *alloc);
/// Room for `minsize` atoms, as an attribute getter needs it: with *ac and
/// *av both set, the caller's atoms are used (*alloc becomes 0; an error
/// when *ac is below `minsize`); otherwise `minsize` atoms set to zero are
/// allocated (free them with sysmem_freeptr), *ac becomes `minsize` and
/// *alloc 1. MAX_ERR_OUT_OF_MEM when there is no memory.
C74_API t_max_err atom_alloc_array(long minsize, long *ac, t_atom **av, char *alloc);

/// A symbol that no one has interned yet ("u" and a number).
C74_API t_symbol *symbol_unique(void);
/// The symbol without the double quotes it begins and ends with; `s` itself
/// when it is not quoted so (null for null).
C74_API t_symbol *symbol_stripquotes(t_symbol *s);

END_USING_C_LINKAGE

#endif
