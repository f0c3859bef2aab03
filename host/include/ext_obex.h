// Classes in the newer style: class_new, class_addmethod, attributes.
#ifndef EXT_OBEX_H
#define EXT_OBEX_H

#include "ext.h"

BEGIN_USING_C_LINKAGE

/// The name spaces of classes, as symbols: made in a patch, or hidden.
#define CLASS_BOX gensym("box")
#define CLASS_NOBOX gensym("nobox")

/// Makes a class; the variable part lists creation argument types, ending 0.
C74_API t_class *class_new(const char *name, const method mnew, const method mfree, long size,
                           const method mmenu, short type, ...);
/// Adds the message `name` with argument types (ending with 0).
C74_API t_max_err class_addmethod(t_class *c, const method m, const char *name, ...);
C74_API t_max_err class_addattr(t_class *c, t_object *attr);
/// Registers the class under a name space ("box"): from then on it can be made.
C74_API t_max_err class_register(t_symbol *name_space, t_class *c);
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
