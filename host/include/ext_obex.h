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

/// Makes a record of the class, zero-filled, header first; null on failure.
C74_API void *object_alloc(t_class *c);
C74_API t_max_err object_free(void *x);
C74_API t_symbol *object_classname(void *x);

/// An attribute stored at byte `offset` of the record: type "long",
/// "float", "symbol" (or "atom"). Getter and setter may be null.
C74_API t_object *attr_offset_new(const char *name, const t_symbol *type, long flags,
                                  const method mget, const method mset, long offset);
/// Applies "@name value ..." creation arguments to the object's attributes.
C74_API void attr_args_process(void *x, short ac, t_atom *av);
/// Sets an attribute from atoms as the "name value" message does.
C74_API t_max_err object_attr_setvalueof(void *x, t_symbol *s, long argc, t_atom *argv);

#define calcoffset(x, y) offsetof(x, y)

END_USING_C_LINKAGE

#endif
