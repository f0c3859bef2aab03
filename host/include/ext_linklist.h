// Linked lists of pointers (items), in order.
//
// A list frees the items it deletes (linklist_delete*, linklist_clear,
// object_free on the list) as its flags say (linklist_flags, ext_obex.h's
// e_max_datastore_flags): OBJ_FLAG_OBJ, the default, with object_free;
// OBJ_FLAG_MEMORY with sysmem_freeptr; OBJ_FLAG_REF or OBJ_FLAG_DATA not at
// all. The chuck calls remove without freeing. Indexes count from 0.
//
// Calls that hand items to a function (funall, findfirst, sort...) may be
// made again from inside that function, on the same list too: an item
// removed meanwhile is not handed on, one added is not handed on in the same
// pass, and nothing removed is freed under the caller's feet. A list must
// not be freed from inside its own pass.
//
// Threads: any. A list locks itself for each call (and for a whole pass)
// unless linklist_readonly(x, 1) says that one thread at a time uses it.
#ifndef EXT_LINKLIST_H
#define EXT_LINKLIST_H

#include "ext_mess.h"

BEGIN_USING_C_LINKAGE

typedef volatile uint32_t t_uint32_atomic;

/// A list element. Its fields belong to the host.
typedef struct _llelem {
  t_object *thing;
  struct _llelem *next;
  struct _llelem *prev;
  long flags;
  long marked;
} t_llelem;

/// A list. Its fields belong to the host.
typedef struct _linklist {
  t_object ob;
  long count;
  t_llelem *head;
  t_llelem *tail;
  long readonly;
  void *lock;
  t_llelem *cache;
  long flags;
  t_llelem *pending;
  t_uint32_atomic iterating;
  long sweep;
  long locktype;
} t_linklist;

enum { LINKLIST_PRUNE_CHUCK = 0x00000001L };

/// A comparison: for sorting, non-zero when the first item goes before the
/// second; for finding, non-zero for a match (the second is the caller's
/// data).
typedef long (*t_cmpfn)(void *, void *);

/// A new, empty list with OBJ_FLAG_OBJ; null when there is no memory.
C74_API t_linklist *linklist_new(void);
/// Frees the list but not its items.
C74_API void linklist_chuck(t_linklist *x);
C74_API t_atom_long linklist_getsize(t_linklist *x);
/// The item at `index`, or null.
C74_API void *linklist_getindex(t_linklist *x, long index);
/// The index of the first item `p`, or MAX_ERR_GENERIC (-1).
C74_API t_atom_long linklist_objptr2index(t_linklist *x, void *p);
/// Adds `o` at the end. The new size, or -1.
C74_API t_atom_long linklist_append(t_linklist *x, void *o);
/// Inserts `o` at `index` (the end for an index past it). Its index, or -1
/// for a negative index.
C74_API t_atom_long linklist_insertindex(t_linklist *x, void *o, long index);
/// Inserts `o` before the first item that cmpfn(o, item) puts it before (at
/// the end when none). Its index, or -1.
C74_API long linklist_insert_sorted(t_linklist *x, void *o, long cmpfn(void *, void *));
/// Inserts `o` after / before the first item `objptr`; null (and nothing
/// inserted) when `objptr` is not in the list.
C74_API t_llelem *linklist_insertafterobjptr(t_linklist *x, void *o, void *objptr);
C74_API t_llelem *linklist_insertbeforeobjptr(t_linklist *x, void *o, void *objptr);
/// Moves the item `o` to just after / before the item `objptr`; null when
/// either is not in the list, or they are the same.
C74_API t_llelem *linklist_moveafterobjptr(t_linklist *x, void *o, void *objptr);
C74_API t_llelem *linklist_movebeforeobjptr(t_linklist *x, void *o, void *objptr);
/// Removes and frees the item at `index`. Returns the index, or -1.
C74_API t_atom_long linklist_deleteindex(t_linklist *x, long index);
/// Removes the item at `index` without freeing it. MAX_ERR_NONE or
/// MAX_ERR_GENERIC.
C74_API long linklist_chuckindex(t_linklist *x, long index);
/// Removes the first item `o` without freeing it. MAX_ERR_NONE or
/// MAX_ERR_GENERIC.
C74_API long linklist_chuckobject(t_linklist *x, void *o);
/// Removes and frees the first item `o`. MAX_ERR_NONE or MAX_ERR_GENERIC.
C74_API long linklist_deleteobject(t_linklist *x, void *o);
/// Removes and frees every item.
C74_API void linklist_clear(t_linklist *x);
/// Copies up to `max` items into `a`; returns how many.
C74_API t_atom_long linklist_makearray(t_linklist *x, void **a, long max);
C74_API void linklist_reverse(t_linklist *x);
/// Moves every item `i` places towards the end, the last ones coming round
/// to the front (a negative `i` moves towards the front).
C74_API void linklist_rotate(t_linklist *x, long i);
C74_API void linklist_shuffle(t_linklist *x);
/// Swaps the items at indexes `a` and `b`; nothing when either is not there.
C74_API void linklist_swap(t_linklist *x, long a, long b);
/// The first item for which cmpfn(item, cmpdata) is non-zero, in *o (null
/// when none); returns its index, or -1.
C74_API t_atom_long linklist_findfirst(t_linklist *x, void **o, long cmpfn(void *, void *),
                                       void *cmpdata);
/// Every such item, in a new list in *out (OBJ_FLAG_REF: it does not free
/// them); free it with linklist_chuck or object_free.
C74_API void linklist_findall(t_linklist *x, t_linklist **out, long cmpfn(void *, void *),
                              void *cmpdata);
/// Sorts the items by cmpfn, keeping the order of items it does not tell
/// apart. A comparison that contradicts itself gives some order, never
/// harm.
C74_API void linklist_sort(t_linklist *x, long cmpfn(void *, void *));
/// Calls fun(item, arg) for every item.
C74_API void linklist_funall(t_linklist *x, method fun, void *arg);
/// Calls fun(item, arg) for every item until one returns non-zero; returns
/// that value, or 0.
C74_API t_atom_long linklist_funall_break(t_linklist *x, method fun, void *arg);
/// Calls fun(item, arg) for the item at `i`; returns what it returns, or
/// null when there is no such item.
C74_API void *linklist_funindex(t_linklist *x, long i, method fun, void *arg);
/// Puts `newp` in the place of the first item `p`. Returns null.
C74_API void *linklist_substitute(t_linklist *x, void *p, void *newp);
/// The item after / before the first item `p` in *next / *prev (null when
/// none). Returns null.
C74_API void *linklist_next(t_linklist *x, void *p, void **next);
C74_API void *linklist_prev(t_linklist *x, void *p, void **prev);
/// The last item in *item (null when empty). Returns null.
C74_API void *linklist_last(t_linklist *x, void **item);
/// 1: one thread at a time uses the list, which then takes no lock.
C74_API void linklist_readonly(t_linklist *x, long readonly);
C74_API void linklist_flags(t_linklist *x, long flags);
C74_API t_atom_long linklist_getflags(t_linklist *x);
/// 1 when `a` and `b` are the same pointer: a cmpfn for findfirst.
C74_API long linklist_match(void *a, void *b);

END_USING_C_LINKAGE

#endif
