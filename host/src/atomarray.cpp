// Atom arrays (ext_atomarray.h): the atoms in a host memory block that grows
// by doubling, so that appending one at a time stays cheap.
#include "ext.h"
#include "ext_atomarray.h"
#include "ext_obex.h"
#include "function_cast.hpp"
#include "records.hpp"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <functional>

namespace kit::rt {
namespace {

void release_atomarray(t_object *ob) {
  auto *x = reinterpret_cast<t_atomarray *>(ob);
  if (x->flags & ATOMARRAY_FLAG_FREECHILDREN)
    for (long i = 0; i < x->ac; ++i)
      if (x->av[i].a_type == A_OBJ && x->av[i].a_w.w_obj)
        object_free(x->av[i].a_w.w_obj);
  sysmem_freeptr(x->av);
}

const RecordKind atomarray_kind{"atomarray", release_atomarray};

t_atomarray *as_array(t_atomarray *x, const char *caller) {
  auto *array = record_cast<t_atomarray>(x, atomarray_kind);
  if (!array)
    error("%s: %p is not an atomarray", caller, static_cast<void *>(x));
  return array;
}

bool bad_atoms(long ac, const t_atom *av) {
  return ac < 0 || (ac > 0 && !av) ||
         static_cast<unsigned long>(ac) > PTRDIFF_MAX / sizeof(t_atom) / 2;
}

size_t room(const t_atomarray *x) {
  return sysmem_ptrsize(x->av) / sizeof(t_atom);
}

// Room for `count` atoms in all; false (the array unchanged) when there is
// no memory.
bool reserve(t_atomarray *x, size_t count) {
  if (count <= room(x))
    return true;
  const size_t grown = std::max(count, 2 * room(x));
  auto *atoms = reinterpret_cast<t_atom *>(sysmem_resizeptr(x->av, grown * sizeof(t_atom)));
  if (!atoms)
    return false;
  x->av = atoms;
  return true;
}

bool append(t_atomarray *x, long ac, const t_atom *av, const char *caller) {
  if (bad_atoms(ac, av) || static_cast<unsigned long>(x->ac) + static_cast<unsigned long>(ac) >
                               PTRDIFF_MAX / sizeof(t_atom) / 2) {
    error("%s: bad atoms", caller);
    return false;
  }
  // Atoms of the array itself are found again where growing moved them.
  const std::less<const t_atom *> before;
  const bool own = x->av && !before(av, x->av) && before(av, x->av + x->ac);
  const ptrdiff_t offset = own ? av - x->av : 0;
  if (!reserve(x, static_cast<size_t>(x->ac) + static_cast<size_t>(ac))) {
    error("%s: out of memory", caller);
    return false;
  }
  if (own)
    av = x->av + offset;
  if (ac > 0)
    std::memmove(x->av + x->ac, av, static_cast<size_t>(ac) * sizeof(t_atom));
  x->ac += ac;
  return true;
}

} // namespace
} // namespace kit::rt

using namespace kit::rt;

t_atomarray *atomarray_new(long ac, t_atom *av) {
  if (bad_atoms(ac, av)) {
    error("atomarray_new: bad atoms");
    return nullptr;
  }
  auto *x = reinterpret_cast<t_atomarray *>(new_record(atomarray_kind, sizeof(t_atomarray)));
  if (!x)
    return nullptr;
  if (!append(x, ac, av, "atomarray_new")) {
    free_record(x);
    return nullptr;
  }
  return x;
}

void atomarray_flags(t_atomarray *x, long flags) {
  if (as_array(x, "atomarray_flags"))
    x->flags = flags;
}

long atomarray_getflags(t_atomarray *x) {
  return as_array(x, "atomarray_getflags") ? x->flags : 0;
}

t_max_err atomarray_setatoms(t_atomarray *x, long ac, t_atom *av) {
  if (!as_array(x, "atomarray_setatoms"))
    return MAX_ERR_INVALID_PTR;
  if (bad_atoms(ac, av)) {
    error("atomarray_setatoms: bad atoms");
    return MAX_ERR_GENERIC;
  }
  // The new atoms may be the array's own: they are kept until copied.
  if (!reserve(x, static_cast<size_t>(ac)))
    return MAX_ERR_OUT_OF_MEM;
  if (ac > 0 && av != x->av)
    std::memmove(x->av, av, static_cast<size_t>(ac) * sizeof(t_atom));
  x->ac = ac;
  return MAX_ERR_NONE;
}

t_max_err atomarray_getatoms(t_atomarray *x, long *ac, t_atom **av) {
  if (!as_array(x, "atomarray_getatoms") || !ac || !av)
    return MAX_ERR_INVALID_PTR;
  *ac = x->ac;
  *av = x->ac ? x->av : nullptr;
  return MAX_ERR_NONE;
}

t_max_err atomarray_copyatoms(t_atomarray *x, long *ac, t_atom **av) {
  if (!as_array(x, "atomarray_copyatoms") || !ac || !av)
    return MAX_ERR_INVALID_PTR;
  *ac = 0;
  *av = nullptr;
  if (x->ac == 0)
    return MAX_ERR_NONE;
  const size_t bytes = static_cast<size_t>(x->ac) * sizeof(t_atom);
  auto *copy = reinterpret_cast<t_atom *>(sysmem_newptr(bytes));
  if (!copy)
    return MAX_ERR_OUT_OF_MEM;
  std::memcpy(copy, x->av, bytes);
  *ac = x->ac;
  *av = copy;
  return MAX_ERR_NONE;
}

t_atom_long atomarray_getsize(t_atomarray *x) {
  return as_array(x, "atomarray_getsize") ? x->ac : 0;
}

t_max_err atomarray_getindex(t_atomarray *x, long index, t_atom *av) {
  if (!as_array(x, "atomarray_getindex") || !av)
    return MAX_ERR_INVALID_PTR;
  if (index < 0 || index >= x->ac)
    return MAX_ERR_GENERIC;
  *av = x->av[index];
  return MAX_ERR_NONE;
}

void *atomarray_duplicate(t_atomarray *x) {
  if (!as_array(x, "atomarray_duplicate"))
    return nullptr;
  t_atomarray *copy = atomarray_new(x->ac, x->av);
  if (copy)
    copy->flags = x->flags & ~static_cast<long>(ATOMARRAY_FLAG_FREECHILDREN);
  return copy;
}

void atomarray_appendatom(t_atomarray *x, t_atom *a) {
  if (as_array(x, "atomarray_appendatom"))
    append(x, 1, a, "atomarray_appendatom");
}

void atomarray_appendatoms(t_atomarray *x, long ac, t_atom *av) {
  if (as_array(x, "atomarray_appendatoms"))
    append(x, ac, av, "atomarray_appendatoms");
}

void atomarray_chuckindex(t_atomarray *x, long index) {
  if (!as_array(x, "atomarray_chuckindex") || index < 0 || index >= x->ac)
    return;
  std::memmove(x->av + index, x->av + index + 1,
               static_cast<size_t>(x->ac - index - 1) * sizeof(t_atom));
  --x->ac;
}

void atomarray_clear(t_atomarray *x) {
  if (as_array(x, "atomarray_clear"))
    x->ac = 0;
}

void atomarray_funall(t_atomarray *x, method fun, void *arg) {
  if (!as_array(x, "atomarray_funall") || !fun)
    return;
  // By index, so that a function that appends does not leave us reading a
  // block that moved; atoms it appends are not visited.
  const long count = x->ac;
  for (long i = 0; i < count && i < x->ac; ++i)
    function_cast<void (*)(t_atom *, void *)>(fun)(&x->av[i], arg);
}
