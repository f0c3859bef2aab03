// Hash tables (ext_hashtab.h): a map from key to entry for lookups, and the
// entries chained in the order their keys were first stored, for passes.
// The table's state lives behind the record's `reserved` field.
//
// A pass works on the entries as they were when it began: an entry removed
// during one is marked, kept aside and freed when the last pass ends.
#include "datastore.hpp"
#include "ext.h"
#include "ext_hashtab.h"
#include "ext_obex.h"
#include "function_cast.hpp"
#include "records.hpp"

#include <mutex>
#include <optional>
#include <unordered_map>
#include <vector>

namespace kit::rt {
namespace {

struct Entry {
  t_hashtab_entry pub; ///< first: a pass hands out a pointer to it
  Entry *prev = nullptr;
  Entry *next = nullptr;
  bool removed = false;
};

struct Table {
  std::recursive_mutex mutex;
  std::unordered_map<t_symbol *, Entry *> by_key;
  Entry *first = nullptr; ///< in the order keys were first stored
  Entry *last = nullptr;
  unsigned passes = 0;
  std::vector<Entry *> removed_in_pass;
};

void release_hashtab(t_object *x);

const RecordKind hashtab_kind{"hashtab", release_hashtab};

Table &table_of(t_hashtab *x) {
  return *static_cast<Table *>(x->reserved);
}

t_hashtab *as_table(t_hashtab *x, const char *caller) {
  auto *table = record_cast<t_hashtab>(x, hashtab_kind);
  if (!table)
    error("%s: %p is not a hashtab", caller, static_cast<void *>(x));
  return table;
}

class Locked {
public:
  explicit Locked(t_hashtab *x) {
    if (!x->readonly)
      lock_.emplace(table_of(x).mutex);
  }

private:
  std::optional<std::unique_lock<std::recursive_mutex>> lock_;
};

/// One pass over the entries as they are now.
class Pass {
public:
  explicit Pass(t_hashtab *x) : table_(table_of(x)) {
    ++table_.passes;
    for (Entry *e = table_.first; e; e = e->next)
      entries_.push_back(e);
  }
  ~Pass() {
    if (--table_.passes == 0) {
      for (Entry *e : table_.removed_in_pass)
        delete e;
      table_.removed_in_pass.clear();
    }
  }
  Pass(const Pass &) = delete;
  Pass &operator=(const Pass &) = delete;

  /// Calls f(entry) for every entry still in the table until it returns
  /// true; returns that entry, or null.
  template <class F> Entry *until(F f) {
    for (Entry *e : entries_)
      if (!e->removed && f(e))
        return e;
    return nullptr;
  }

private:
  Table &table_;
  std::vector<Entry *> entries_;
};

Entry *find(t_hashtab *x, t_symbol *key) {
  Table &t = table_of(x);
  auto found = t.by_key.find(key);
  return found == t.by_key.end() ? nullptr : found->second;
}

// What a value's freeing follows: the table's flags and the entry's.
void free_value(t_hashtab *x, t_object *value, long entry_flags) {
  free_item_by_flags(value, x->flags | entry_flags);
}

void remove(t_hashtab *x, Entry *e, bool free) {
  Table &t = table_of(x);
  t.by_key.erase(e->pub.key);
  (e->prev ? e->prev->next : t.first) = e->next;
  (e->next ? e->next->prev : t.last) = e->prev;
  t_object *value = e->pub.value;
  const long flags = e->pub.flags;
  if (t.passes) {
    e->removed = true;
    t.removed_in_pass.push_back(e);
  } else {
    delete e;
  }
  // Last: freeing a value may come back to this table.
  if (free)
    free_value(x, value, flags);
}

enum class Replaced { freed, kept };

t_max_err store(t_hashtab *x, t_symbol *key, t_object *val, long flags, Replaced replaced,
                const char *caller) {
  if (!as_table(x, caller))
    return MAX_ERR_INVALID_PTR;
  if (!key) {
    error("%s: no key", caller);
    return MAX_ERR_INVALID_PTR;
  }
  Locked lock(x);
  Table &t = table_of(x);
  if (Entry *e = find(x, key)) {
    t_object *old = e->pub.value;
    const long old_flags = e->pub.flags;
    e->pub.value = val;
    e->pub.flags = flags;
    // Storing a value over itself frees nothing.
    if (replaced == Replaced::freed && old != val)
      free_value(x, old, old_flags);
    return MAX_ERR_NONE;
  }
  auto *e = new Entry{};
  e->pub.key = key;
  e->pub.value = val;
  e->pub.flags = flags;
  e->pub.parent = x;
  e->prev = t.last;
  (t.last ? t.last->next : t.first) = e;
  t.last = e;
  t.by_key.emplace(key, e);
  return MAX_ERR_NONE;
}

void clear(t_hashtab *x, bool free) {
  Table &t = table_of(x);
  while (t.first)
    remove(x, t.first, free);
}

void release_hashtab(t_object *ob) {
  auto *x = reinterpret_cast<t_hashtab *>(ob);
  {
    Locked lock(x);
    clear(x, true);
  }
  delete &table_of(x);
}

t_max_err lookup(t_hashtab *x, t_symbol *key, t_object **val, long *flags, const char *caller) {
  if (val)
    *val = nullptr;
  if (!as_table(x, caller))
    return MAX_ERR_INVALID_PTR;
  Locked lock(x);
  Entry *e = find(x, key);
  if (!e)
    return MAX_ERR_GENERIC;
  if (val)
    *val = e->pub.value;
  if (flags)
    *flags = e->pub.flags;
  return MAX_ERR_NONE;
}

} // namespace
} // namespace kit::rt

using namespace kit::rt;

t_hashtab *hashtab_new(long slotcount) {
  auto *table = new Table;
  auto *x = reinterpret_cast<t_hashtab *>(new_record(hashtab_kind, sizeof(t_hashtab)));
  if (!x) {
    delete table;
    return nullptr;
  }
  x->slotcount = slotcount > 0 ? slotcount : static_cast<long>(HASH_DEFSLOTS);
  x->flags = OBJ_FLAG_OBJ;
  x->reserved = table;
  table->by_key.reserve(static_cast<size_t>(x->slotcount));
  return x;
}

t_max_err hashtab_store(t_hashtab *x, t_symbol *key, t_object *val) {
  return store(x, key, val, 0, Replaced::freed, "hashtab_store");
}

t_max_err hashtab_storelong(t_hashtab *x, t_symbol *key, t_atom_long val) {
  return store(x, key, reinterpret_cast<t_object *>(val), OBJ_FLAG_DATA, Replaced::freed,
               "hashtab_storelong");
}

t_max_err hashtab_storesym(t_hashtab *x, t_symbol *key, t_symbol *val) {
  return store(x, key, reinterpret_cast<t_object *>(val), OBJ_FLAG_DATA, Replaced::freed,
               "hashtab_storesym");
}

t_max_err hashtab_store_safe(t_hashtab *x, t_symbol *key, t_object *val) {
  return store(x, key, val, 0, Replaced::kept, "hashtab_store_safe");
}

t_max_err hashtab_storeflags(t_hashtab *x, t_symbol *key, t_object *val, long flags) {
  return store(x, key, val, flags, Replaced::freed, "hashtab_storeflags");
}

t_max_err hashtab_lookup(t_hashtab *x, t_symbol *key, t_object **val) {
  return lookup(x, key, val, nullptr, "hashtab_lookup");
}

t_max_err hashtab_lookuplong(t_hashtab *x, t_symbol *key, t_atom_long *val) {
  t_object *value = nullptr;
  const t_max_err err = lookup(x, key, &value, nullptr, "hashtab_lookuplong");
  if (val)
    *val = reinterpret_cast<t_atom_long>(value);
  return err;
}

t_max_err hashtab_lookupsym(t_hashtab *x, t_symbol *key, t_symbol **val) {
  t_object *value = nullptr;
  const t_max_err err = lookup(x, key, &value, nullptr, "hashtab_lookupsym");
  if (val)
    *val = reinterpret_cast<t_symbol *>(value);
  return err;
}

t_max_err hashtab_lookupflags(t_hashtab *x, t_symbol *key, t_object **val, long *flags) {
  return lookup(x, key, val, flags, "hashtab_lookupflags");
}

t_max_err hashtab_delete(t_hashtab *x, t_symbol *key) {
  if (!as_table(x, "hashtab_delete"))
    return MAX_ERR_INVALID_PTR;
  Locked lock(x);
  Entry *e = find(x, key);
  if (!e)
    return MAX_ERR_GENERIC;
  remove(x, e, true);
  return MAX_ERR_NONE;
}

t_max_err hashtab_clear(t_hashtab *x) {
  if (!as_table(x, "hashtab_clear"))
    return MAX_ERR_INVALID_PTR;
  Locked lock(x);
  clear(x, true);
  return MAX_ERR_NONE;
}

t_max_err hashtab_chuckkey(t_hashtab *x, t_symbol *key) {
  if (!as_table(x, "hashtab_chuckkey"))
    return MAX_ERR_INVALID_PTR;
  Locked lock(x);
  Entry *e = find(x, key);
  if (!e)
    return MAX_ERR_GENERIC;
  remove(x, e, false);
  return MAX_ERR_NONE;
}

t_max_err hashtab_chuck(t_hashtab *x) {
  if (!as_table(x, "hashtab_chuck"))
    return MAX_ERR_INVALID_PTR;
  {
    Locked lock(x);
    clear(x, false);
  }
  free_record(x);
  return MAX_ERR_NONE;
}

t_max_err hashtab_findfirst(t_hashtab *x, void **o, long cmpfn(void *, void *), void *cmpdata) {
  if (o)
    *o = nullptr;
  if (!as_table(x, "hashtab_findfirst") || !cmpfn)
    return MAX_ERR_INVALID_PTR;
  Locked lock(x);
  Pass pass(x);
  Entry *found = pass.until([&](Entry *e) { return cmpfn(e->pub.value, cmpdata) != 0; });
  if (!found)
    return MAX_ERR_GENERIC;
  if (o)
    *o = found->pub.value;
  return MAX_ERR_NONE;
}

t_max_err hashtab_funall(t_hashtab *x, method fun, void *arg) {
  if (!as_table(x, "hashtab_funall") || !fun)
    return MAX_ERR_INVALID_PTR;
  Locked lock(x);
  Pass pass(x);
  pass.until([&](Entry *e) {
    function_cast<void (*)(t_hashtab_entry *, void *)>(fun)(&e->pub, arg);
    return false;
  });
  return MAX_ERR_NONE;
}

t_atom_long hashtab_getsize(t_hashtab *x) {
  if (!as_table(x, "hashtab_getsize"))
    return 0;
  Locked lock(x);
  return static_cast<t_atom_long>(table_of(x).by_key.size());
}

void hashtab_print(t_hashtab *x) {
  if (!as_table(x, "hashtab_print"))
    return;
  Locked lock(x);
  const Table &t = table_of(x);
  post("hashtab: %zu entries in %zu slots", t.by_key.size(), t.by_key.bucket_count());
}

void hashtab_readonly(t_hashtab *x, long readonly) {
  if (!as_table(x, "hashtab_readonly"))
    return;
  // Taken as the table was: a switch to read-only must still unlock.
  std::lock_guard lock(table_of(x).mutex);
  x->readonly = readonly ? 1 : 0;
}

void hashtab_flags(t_hashtab *x, long flags) {
  if (!as_table(x, "hashtab_flags"))
    return;
  Locked lock(x);
  x->flags = flags;
}

t_atom_long hashtab_getflags(t_hashtab *x) {
  if (!as_table(x, "hashtab_getflags"))
    return 0;
  Locked lock(x);
  return x->flags;
}

t_max_err hashtab_keyflags(t_hashtab *x, t_symbol *key, long flags) {
  if (!as_table(x, "hashtab_keyflags"))
    return MAX_ERR_INVALID_PTR;
  Locked lock(x);
  Entry *e = find(x, key);
  if (!e)
    return MAX_ERR_GENERIC;
  e->pub.flags = flags;
  return MAX_ERR_NONE;
}

t_atom_long hashtab_getkeyflags(t_hashtab *x, t_symbol *key) {
  if (!as_table(x, "hashtab_getkeyflags"))
    return 0;
  Locked lock(x);
  Entry *e = find(x, key);
  return e ? e->pub.flags : 0;
}

t_max_err hashtab_getkeys(t_hashtab *x, long *kc, t_symbol ***kv) {
  if (!as_table(x, "hashtab_getkeys") || !kc || !kv)
    return MAX_ERR_INVALID_PTR;
  Locked lock(x);
  const Table &t = table_of(x);
  const size_t count = t.by_key.size();
  t_symbol **keys = *kv;
  size_t room = *kc > 0 ? static_cast<size_t>(*kc) : 0;
  if (!keys) {
    room = count;
    if (count) {
      keys = reinterpret_cast<t_symbol **>(sysmem_newptr(count * sizeof(t_symbol *)));
      if (!keys)
        return MAX_ERR_OUT_OF_MEM;
    }
  }
  size_t n = 0;
  for (Entry *e = t.first; e && n < room; e = e->next)
    keys[n++] = e->pub.key;
  *kv = keys;
  *kc = static_cast<long>(n);
  return MAX_ERR_NONE;
}
