// Hash tables from symbols to values (objects, memory, longs or symbols).
//
// A table frees the values it deletes (hashtab_delete, hashtab_clear,
// storing over a value with hashtab_store, object_free on the table) as
// its flags and the entry's flags say (ext_obex.h's e_max_datastore_flags):
// OBJ_FLAG_OBJ, the default, with object_free; OBJ_FLAG_MEMORY with
// sysmem_freeptr; not at all when either holds OBJ_FLAG_REF or
// OBJ_FLAG_DATA. Longs and symbols are stored as data. A table grows as it
// fills: the slot count is where it starts. Passes (funall, findfirst,
// getkeys) go in the order the keys were first stored.
//
// The function a pass calls may change the table: an entry removed
// meanwhile is not handed on (nor freed under the caller's feet), one added
// is not handed on in the same pass. A table must not be freed from inside
// its own pass.
//
// Threads: any. A table locks itself for each call (and for a whole pass)
// unless hashtab_readonly(x, 1) says that one thread at a time uses it.
#ifndef EXT_HASHTAB_H
#define EXT_HASHTAB_H

#include "ext_linklist.h"

BEGIN_USING_C_LINKAGE

/// The slot count of hashtab_new(0).
enum { HASH_DEFSLOTS = 59 };

/// An entry, as a pass hands it over. Its fields belong to the host.
typedef struct _hashtab_entry {
  t_object ob;
  t_symbol *key;
  t_object *value;
  long flags;
  struct _hashtab *parent;
} t_hashtab_entry;

/// A table. Its fields belong to the host.
typedef struct _hashtab {
  t_object ob;
  long slotcount;
  t_linklist **slots;
  long readonly;
  long flags;
  void *reserved;
} t_hashtab;

/// A new, empty table with OBJ_FLAG_OBJ (0 slots: HASH_DEFSLOTS); null
/// when there is no memory.
C74_API t_hashtab *hashtab_new(long slotcount);
/// Stores `val` under `key`, freeing a value stored there before.
/// MAX_ERR_NONE, or MAX_ERR_INVALID_PTR without a table or key.
C74_API t_max_err hashtab_store(t_hashtab *x, t_symbol *key, t_object *val);
C74_API t_max_err hashtab_storelong(t_hashtab *x, t_symbol *key, t_atom_long val);
C74_API t_max_err hashtab_storesym(t_hashtab *x, t_symbol *key, t_symbol *val);
/// Stores `val`, leaving a value stored there before as it is.
C74_API t_max_err hashtab_store_safe(t_hashtab *x, t_symbol *key, t_object *val);
/// hashtab_store with the entry's own flags.
C74_API t_max_err hashtab_storeflags(t_hashtab *x, t_symbol *key, t_object *val, long flags);
/// The value under `key` in *val: MAX_ERR_NONE, or MAX_ERR_GENERIC (and
/// *val null or 0) when there is none.
C74_API t_max_err hashtab_lookup(t_hashtab *x, t_symbol *key, t_object **val);
C74_API t_max_err hashtab_lookuplong(t_hashtab *x, t_symbol *key, t_atom_long *val);
C74_API t_max_err hashtab_lookupsym(t_hashtab *x, t_symbol *key, t_symbol **val);
C74_API t_max_err hashtab_lookupflags(t_hashtab *x, t_symbol *key, t_object **val, long *flags);
/// Removes and frees the value under `key`; MAX_ERR_GENERIC when none.
C74_API t_max_err hashtab_delete(t_hashtab *x, t_symbol *key);
/// Removes and frees every value.
C74_API t_max_err hashtab_clear(t_hashtab *x);
/// Removes the value under `key` without freeing it.
C74_API t_max_err hashtab_chuckkey(t_hashtab *x, t_symbol *key);
/// Frees the table but not its values.
C74_API t_max_err hashtab_chuck(t_hashtab *x);
/// The first value for which cmpfn(value, cmpdata) is non-zero, in *o (null
/// when none): MAX_ERR_NONE, or MAX_ERR_GENERIC when none matched.
C74_API t_max_err hashtab_findfirst(t_hashtab *x, void **o, long cmpfn(void *, void *),
                                    void *cmpdata);
/// Calls fun(entry, arg) for every entry (a t_hashtab_entry *).
C74_API t_max_err hashtab_funall(t_hashtab *x, method fun, void *arg);
C74_API t_atom_long hashtab_getsize(t_hashtab *x);
/// Posts the table's size and slots to the console.
C74_API void hashtab_print(t_hashtab *x);
/// 1: one thread at a time uses the table, which then takes no lock.
C74_API void hashtab_readonly(t_hashtab *x, long readonly);
C74_API void hashtab_flags(t_hashtab *x, long flags);
C74_API t_atom_long hashtab_getflags(t_hashtab *x);
/// Sets the flags of the entry under `key`; MAX_ERR_GENERIC when none.
C74_API t_max_err hashtab_keyflags(t_hashtab *x, t_symbol *key, long flags);
/// The flags of the entry under `key`; 0 when none.
C74_API t_atom_long hashtab_getkeyflags(t_hashtab *x, t_symbol *key);
/// The keys: with *kv null they are allocated (free them with
/// sysmem_freeptr; none when the table is empty) and *kc becomes their
/// count; otherwise up to *kc of them go into the caller's *kv, and *kc
/// becomes how many.
C74_API t_max_err hashtab_getkeys(t_hashtab *x, long *kc, t_symbol ***kv);

END_USING_C_LINKAGE

#endif
