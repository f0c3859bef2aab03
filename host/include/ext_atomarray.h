// Atom arrays: a growing array of atoms as an object.
//
// Threads: any, one thread at a time per array (an array takes no lock).
#ifndef EXT_ATOMARRAY_H
#define EXT_ATOMARRAY_H

#include "ext_mess.h"

BEGIN_USING_C_LINKAGE

/// With ATOMARRAY_FLAG_FREECHILDREN, freeing the array frees the objects
/// of its A_OBJ atoms with object_free.
enum t_atomarray_flags { ATOMARRAY_FLAG_FREECHILDREN = 1 };

typedef t_atom t_atom64;

/// An atom array. Its fields belong to the host: av holds ac atoms.
typedef struct _atomarray {
  t_object ob;
  long ac;
  t_atom *av;
  long flags;
} t_atomarray;

/// A new array holding a copy of the atoms; null when there is no memory
/// (or `ac` is negative, or `av` null with atoms to copy).
C74_API t_atomarray *atomarray_new(long ac, t_atom *av);
C74_API void atomarray_flags(t_atomarray *x, long flags);
C74_API long atomarray_getflags(t_atomarray *x);
/// Replaces the atoms with a copy of these. MAX_ERR_NONE, or an error (the
/// array unchanged).
C74_API t_max_err atomarray_setatoms(t_atomarray *x, long ac, t_atom *av);
/// The array's own atoms (valid until it next changes), not a copy.
C74_API t_max_err atomarray_getatoms(t_atomarray *x, long *ac, t_atom **av);
/// A copy of the atoms in *av (free it with sysmem_freeptr; null when there
/// are none) and their count in *ac.
C74_API t_max_err atomarray_copyatoms(t_atomarray *x, long *ac, t_atom **av);
C74_API t_atom_long atomarray_getsize(t_atomarray *x);
/// A copy of the atom at `index` in *av; MAX_ERR_GENERIC when there is none.
C74_API t_max_err atomarray_getindex(t_atomarray *x, long index, t_atom *av);
/// A new array with the same atoms (without ATOMARRAY_FLAG_FREECHILDREN:
/// the objects stay the first array's).
C74_API void *atomarray_duplicate(t_atomarray *x);
C74_API void atomarray_appendatom(t_atomarray *x, t_atom *a);
C74_API void atomarray_appendatoms(t_atomarray *x, long ac, t_atom *av);
/// Removes the atom at `index`, closing the gap; nothing when there is none.
C74_API void atomarray_chuckindex(t_atomarray *x, long index);
/// Removes every atom; objects of A_OBJ atoms are not freed.
C74_API void atomarray_clear(t_atomarray *x);
/// Calls fun(atom, arg) for every atom (a t_atom *).
C74_API void atomarray_funall(t_atomarray *x, method fun, void *arg);

#define atom64_setfloat(x, f) atom_setfloat(x, f)
#define atom64_getfloat(x) atom_getfloat(x)

END_USING_C_LINKAGE

#endif
