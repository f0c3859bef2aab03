// Linked lists (ext_linklist.h) over the list's own record: elements
// chained head to tail, a recursive mutex behind `lock`.
//
// A pass (funall, findfirst...) works on the elements as they were when it
// began, so that the function it calls may change the list: an element
// removed during a pass is only marked, kept on the `pending` chain and
// freed when the last pass ends, and a marked element is skipped.
#include "datastore.hpp"
#include "ext.h"
#include "ext_linklist.h"
#include "ext_obex.h"
#include "function_cast.hpp"
#include "records.hpp"

#include <algorithm>
#include <mutex>
#include <optional>
#include <random>
#include <unordered_set>
#include <vector>

namespace kit::rt {
namespace {

void release_linklist(t_object *x);

const RecordKind linklist_kind{"linklist", release_linklist};

t_linklist *as_list(t_linklist *x, const char *caller) {
  auto *list = record_cast<t_linklist>(x, linklist_kind);
  if (!list)
    error("%s: %p is not a linklist", caller, static_cast<void *>(x));
  return list;
}

std::recursive_mutex &mutex_of(t_linklist *x) {
  return *static_cast<std::recursive_mutex *>(x->lock);
}

/// Holds the list's lock for a call, unless the list is read-only.
class Locked {
public:
  explicit Locked(t_linklist *x) {
    if (x && !x->readonly)
      lock_.emplace(mutex_of(x));
  }

private:
  std::optional<std::unique_lock<std::recursive_mutex>> lock_;
};

void free_pending(t_linklist *x) {
  for (t_llelem *e = x->pending; e;) {
    t_llelem *next = e->next;
    delete e;
    e = next;
  }
  x->pending = nullptr;
}

/// One pass: the elements as they are now. Ends by freeing what was removed
/// meanwhile, once no other pass runs.
class Pass {
public:
  explicit Pass(t_linklist *x) : x_(x) {
    // The field is the list's, under its lock; volatile only by its type.
    x_->iterating = x_->iterating + 1;
    for (t_llelem *e = x_->head; e; e = e->next)
      elements_.push_back(e);
  }
  ~Pass() {
    x_->iterating = x_->iterating - 1;
    if (x_->iterating == 0)
      free_pending(x_);
  }
  Pass(const Pass &) = delete;
  Pass &operator=(const Pass &) = delete;

  /// Calls f(element) for every element still in the list, until it
  /// returns true; returns that element, or null.
  template <class F> t_llelem *until(F f) {
    for (t_llelem *e : elements_)
      if (!e->marked && f(e))
        return e;
    return nullptr;
  }

private:
  t_linklist *x_;
  std::vector<t_llelem *> elements_;
};

t_llelem *element_at(t_linklist *x, long index) {
  if (index < 0 || index >= x->count)
    return nullptr;
  t_llelem *e = x->head;
  for (long i = 0; i < index; ++i)
    e = e->next;
  return e;
}

t_llelem *element_of(t_linklist *x, const void *item, long *index = nullptr) {
  long i = 0;
  for (t_llelem *e = x->head; e; e = e->next, ++i) {
    if (e->thing == item) {
      if (index)
        *index = i;
      return e;
    }
  }
  return nullptr;
}

void unlink(t_linklist *x, t_llelem *e) {
  (e->prev ? e->prev->next : x->head) = e->next;
  (e->next ? e->next->prev : x->tail) = e->prev;
  e->next = e->prev = nullptr;
  --x->count;
}

// Links `e` in before `before` (at the end for null).
void link_before(t_linklist *x, t_llelem *e, t_llelem *before) {
  e->next = before;
  e->prev = before ? before->prev : x->tail;
  (e->prev ? e->prev->next : x->head) = e;
  (before ? before->prev : x->tail) = e;
  ++x->count;
}

t_llelem *insert_before(t_linklist *x, void *item, t_llelem *before) {
  auto *e = new t_llelem{};
  e->thing = static_cast<t_object *>(item);
  link_before(x, e, before);
  return e;
}

// Takes an element out; frees the item when `free_item`. During a pass the
// element waits on the pending chain.
void remove(t_linklist *x, t_llelem *e, bool free_item) {
  t_object *item = e->thing;
  unlink(x, e);
  if (x->iterating) {
    e->marked = 1;
    e->next = x->pending;
    x->pending = e;
  } else {
    delete e;
  }
  // Last: freeing an item may come back to this list.
  if (free_item)
    free_item_by_flags(item, x->flags);
}

void clear(t_linklist *x, bool free_items) {
  while (x->head)
    remove(x, x->head, free_items);
}

void release_linklist(t_object *ob) {
  auto *x = reinterpret_cast<t_linklist *>(ob);
  {
    Locked lock(x);
    clear(x, true);
    free_pending(x);
  }
  delete &mutex_of(x);
}

// Puts the items back in the order given, reusing the elements.
void relink(t_linklist *x, const std::vector<t_llelem *> &order) {
  x->head = x->tail = nullptr;
  x->count = 0;
  for (t_llelem *e : order)
    link_before(x, e, nullptr);
}

std::vector<t_llelem *> elements(t_linklist *x) {
  std::vector<t_llelem *> all;
  for (t_llelem *e = x->head; e; e = e->next)
    all.push_back(e);
  return all;
}

// A stable merge sort that asks only "does b go before a?", so that a
// comparison contradicting itself can only give some order.
void merge_sort(std::vector<t_llelem *> &v, long cmpfn(void *, void *)) {
  std::vector<t_llelem *> merged(v.size());
  for (size_t width = 1; width < v.size(); width *= 2) {
    for (size_t start = 0; start < v.size(); start += 2 * width) {
      const size_t middle = std::min(start + width, v.size());
      const size_t end = std::min(start + 2 * width, v.size());
      size_t a = start, b = middle, out = start;
      while (a < middle && b < end)
        merged[out++] = cmpfn(v[b]->thing, v[a]->thing) ? v[b++] : v[a++];
      while (a < middle)
        merged[out++] = v[a++];
      while (b < end)
        merged[out++] = v[b++];
    }
    v.swap(merged);
  }
}

std::mt19937 &shuffler() {
  thread_local std::mt19937 engine{std::random_device{}()};
  return engine;
}

} // namespace
} // namespace kit::rt

using namespace kit::rt;

t_linklist *linklist_new(void) {
  auto *mutex = new std::recursive_mutex;
  auto *x = reinterpret_cast<t_linklist *>(new_record(linklist_kind, sizeof(t_linklist)));
  if (!x) {
    delete mutex;
    return nullptr;
  }
  x->lock = mutex;
  x->flags = OBJ_FLAG_OBJ;
  return x;
}

void linklist_chuck(t_linklist *x) {
  if (!as_list(x, "linklist_chuck"))
    return;
  {
    Locked lock(x);
    clear(x, false);
  }
  free_record(x);
}

t_atom_long linklist_getsize(t_linklist *x) {
  if (!as_list(x, "linklist_getsize"))
    return 0;
  Locked lock(x);
  return x->count;
}

void *linklist_getindex(t_linklist *x, long index) {
  if (!as_list(x, "linklist_getindex"))
    return nullptr;
  Locked lock(x);
  t_llelem *e = element_at(x, index);
  return e ? e->thing : nullptr;
}

t_atom_long linklist_objptr2index(t_linklist *x, void *p) {
  if (!as_list(x, "linklist_objptr2index"))
    return MAX_ERR_GENERIC;
  Locked lock(x);
  long index = 0;
  return element_of(x, p, &index) ? index : static_cast<long>(MAX_ERR_GENERIC);
}

t_atom_long linklist_append(t_linklist *x, void *o) {
  if (!as_list(x, "linklist_append"))
    return -1;
  Locked lock(x);
  insert_before(x, o, nullptr);
  return x->count;
}

t_atom_long linklist_insertindex(t_linklist *x, void *o, long index) {
  if (!as_list(x, "linklist_insertindex") || index < 0)
    return -1;
  Locked lock(x);
  const long at = std::min(index, x->count);
  insert_before(x, o, element_at(x, at));
  return at;
}

long linklist_insert_sorted(t_linklist *x, void *o, long cmpfn(void *, void *)) {
  if (!as_list(x, "linklist_insert_sorted") || !cmpfn)
    return -1;
  Locked lock(x);
  t_llelem *before = nullptr;
  {
    Pass pass(x);
    before = pass.until([&](t_llelem *e) { return cmpfn(o, e->thing) != 0; });
  }
  // The comparison may have changed the list: count again where it stands.
  if (before && before->marked)
    before = nullptr;
  t_llelem *inserted = insert_before(x, o, before);
  long at = 0;
  for (t_llelem *e = x->head; e != inserted; e = e->next)
    ++at;
  return at;
}

t_llelem *linklist_insertafterobjptr(t_linklist *x, void *o, void *objptr) {
  if (!as_list(x, "linklist_insertafterobjptr"))
    return nullptr;
  Locked lock(x);
  t_llelem *e = element_of(x, objptr);
  return e ? insert_before(x, o, e->next) : nullptr;
}

t_llelem *linklist_insertbeforeobjptr(t_linklist *x, void *o, void *objptr) {
  if (!as_list(x, "linklist_insertbeforeobjptr"))
    return nullptr;
  Locked lock(x);
  t_llelem *e = element_of(x, objptr);
  return e ? insert_before(x, o, e) : nullptr;
}

namespace {

t_llelem *move(t_linklist *x, void *o, void *objptr, bool after) {
  t_llelem *moving = element_of(x, o);
  t_llelem *anchor = element_of(x, objptr);
  if (!moving || !anchor || moving == anchor)
    return nullptr;
  unlink(x, moving);
  link_before(x, moving, after ? anchor->next : anchor);
  return moving;
}

} // namespace

t_llelem *linklist_moveafterobjptr(t_linklist *x, void *o, void *objptr) {
  if (!as_list(x, "linklist_moveafterobjptr"))
    return nullptr;
  Locked lock(x);
  return move(x, o, objptr, true);
}

t_llelem *linklist_movebeforeobjptr(t_linklist *x, void *o, void *objptr) {
  if (!as_list(x, "linklist_movebeforeobjptr"))
    return nullptr;
  Locked lock(x);
  return move(x, o, objptr, false);
}

t_atom_long linklist_deleteindex(t_linklist *x, long index) {
  if (!as_list(x, "linklist_deleteindex"))
    return -1;
  Locked lock(x);
  t_llelem *e = element_at(x, index);
  if (!e)
    return -1;
  remove(x, e, true);
  return index;
}

long linklist_chuckindex(t_linklist *x, long index) {
  if (!as_list(x, "linklist_chuckindex"))
    return MAX_ERR_GENERIC;
  Locked lock(x);
  t_llelem *e = element_at(x, index);
  if (!e)
    return MAX_ERR_GENERIC;
  remove(x, e, false);
  return MAX_ERR_NONE;
}

long linklist_chuckobject(t_linklist *x, void *o) {
  if (!as_list(x, "linklist_chuckobject"))
    return MAX_ERR_GENERIC;
  Locked lock(x);
  t_llelem *e = element_of(x, o);
  if (!e)
    return MAX_ERR_GENERIC;
  remove(x, e, false);
  return MAX_ERR_NONE;
}

long linklist_deleteobject(t_linklist *x, void *o) {
  if (!as_list(x, "linklist_deleteobject"))
    return MAX_ERR_GENERIC;
  Locked lock(x);
  t_llelem *e = element_of(x, o);
  if (!e)
    return MAX_ERR_GENERIC;
  remove(x, e, true);
  return MAX_ERR_NONE;
}

void linklist_clear(t_linklist *x) {
  if (!as_list(x, "linklist_clear"))
    return;
  Locked lock(x);
  clear(x, true);
}

t_atom_long linklist_makearray(t_linklist *x, void **a, long max) {
  if (!as_list(x, "linklist_makearray") || !a)
    return 0;
  Locked lock(x);
  long n = 0;
  for (t_llelem *e = x->head; e && n < max; e = e->next)
    a[n++] = e->thing;
  return n;
}

void linklist_reverse(t_linklist *x) {
  if (!as_list(x, "linklist_reverse"))
    return;
  Locked lock(x);
  std::vector<t_llelem *> order = elements(x);
  std::reverse(order.begin(), order.end());
  relink(x, order);
}

void linklist_rotate(t_linklist *x, long i) {
  if (!as_list(x, "linklist_rotate"))
    return;
  Locked lock(x);
  if (x->count < 2)
    return;
  std::vector<t_llelem *> order = elements(x);
  const long n = x->count;
  const long shift = ((i % n) + n) % n;
  std::rotate(order.begin(), order.end() - shift, order.end());
  relink(x, order);
}

void linklist_shuffle(t_linklist *x) {
  if (!as_list(x, "linklist_shuffle"))
    return;
  Locked lock(x);
  std::vector<t_llelem *> order = elements(x);
  std::shuffle(order.begin(), order.end(), shuffler());
  relink(x, order);
}

void linklist_swap(t_linklist *x, long a, long b) {
  if (!as_list(x, "linklist_swap"))
    return;
  Locked lock(x);
  t_llelem *first = element_at(x, a);
  t_llelem *second = element_at(x, b);
  if (first && second)
    std::swap(first->thing, second->thing);
}

t_atom_long linklist_findfirst(t_linklist *x, void **o, long cmpfn(void *, void *), void *cmpdata) {
  if (o)
    *o = nullptr;
  if (!as_list(x, "linklist_findfirst") || !cmpfn)
    return -1;
  Locked lock(x);
  t_object *found = nullptr;
  {
    Pass pass(x);
    if (t_llelem *e = pass.until([&](t_llelem *e) { return cmpfn(e->thing, cmpdata) != 0; }))
      found = e->thing;
  }
  if (!found)
    return -1;
  if (o)
    *o = found;
  long index = -1;
  return element_of(x, found, &index) ? index : -1;
}

void linklist_findall(t_linklist *x, t_linklist **out, long cmpfn(void *, void *), void *cmpdata) {
  if (!out)
    return;
  *out = nullptr;
  if (!as_list(x, "linklist_findall") || !cmpfn)
    return;
  t_linklist *found = linklist_new();
  if (!found)
    return;
  found->flags = OBJ_FLAG_REF;
  Locked lock(x);
  Pass pass(x);
  pass.until([&](t_llelem *e) {
    if (cmpfn(e->thing, cmpdata))
      insert_before(found, e->thing, nullptr);
    return false;
  });
  *out = found;
}

void linklist_sort(t_linklist *x, long cmpfn(void *, void *)) {
  if (!as_list(x, "linklist_sort") || !cmpfn)
    return;
  Locked lock(x);
  std::vector<t_llelem *> order = elements(x);
  {
    Pass pass(x);
    merge_sort(order, cmpfn);
  }
  // Elements the comparison removed are gone from the sorted order too, and
  // those it added follow it.
  std::erase_if(order, [](t_llelem *e) { return e->marked != 0; });
  const std::unordered_set<t_llelem *> sorted(order.begin(), order.end());
  for (t_llelem *e = x->head; e; e = e->next)
    if (!sorted.contains(e))
      order.push_back(e);
  relink(x, order);
}

void linklist_funall(t_linklist *x, method fun, void *arg) {
  if (!as_list(x, "linklist_funall") || !fun)
    return;
  Locked lock(x);
  Pass pass(x);
  pass.until([&](t_llelem *e) {
    function_cast<void (*)(void *, void *)>(fun)(e->thing, arg);
    return false;
  });
}

t_atom_long linklist_funall_break(t_linklist *x, method fun, void *arg) {
  if (!as_list(x, "linklist_funall_break") || !fun)
    return 0;
  Locked lock(x);
  Pass pass(x);
  t_atom_long result = 0;
  pass.until([&](t_llelem *e) {
    result = function_cast<t_atom_long (*)(void *, void *)>(fun)(e->thing, arg);
    return result != 0;
  });
  return result;
}

void *linklist_funindex(t_linklist *x, long i, method fun, void *arg) {
  if (!as_list(x, "linklist_funindex") || !fun)
    return nullptr;
  Locked lock(x);
  t_llelem *e = element_at(x, i);
  if (!e)
    return nullptr;
  Pass pass(x);
  return function_cast<void *(*)(void *, void *)>(fun)(e->thing, arg);
}

void *linklist_substitute(t_linklist *x, void *p, void *newp) {
  if (!as_list(x, "linklist_substitute"))
    return nullptr;
  Locked lock(x);
  if (t_llelem *e = element_of(x, p))
    e->thing = static_cast<t_object *>(newp);
  return nullptr;
}

void *linklist_next(t_linklist *x, void *p, void **next) {
  if (next)
    *next = nullptr;
  if (!as_list(x, "linklist_next") || !next)
    return nullptr;
  Locked lock(x);
  t_llelem *e = element_of(x, p);
  if (e && e->next)
    *next = e->next->thing;
  return nullptr;
}

void *linklist_prev(t_linklist *x, void *p, void **prev) {
  if (prev)
    *prev = nullptr;
  if (!as_list(x, "linklist_prev") || !prev)
    return nullptr;
  Locked lock(x);
  t_llelem *e = element_of(x, p);
  if (e && e->prev)
    *prev = e->prev->thing;
  return nullptr;
}

void *linklist_last(t_linklist *x, void **item) {
  if (item)
    *item = nullptr;
  if (!as_list(x, "linklist_last") || !item)
    return nullptr;
  Locked lock(x);
  if (x->tail)
    *item = x->tail->thing;
  return nullptr;
}

void linklist_readonly(t_linklist *x, long readonly) {
  if (!as_list(x, "linklist_readonly"))
    return;
  // Taken as the list was: a switch to read-only must still unlock.
  std::lock_guard lock(mutex_of(x));
  x->readonly = readonly ? 1 : 0;
}

void linklist_flags(t_linklist *x, long flags) {
  if (!as_list(x, "linklist_flags"))
    return;
  Locked lock(x);
  x->flags = flags;
}

t_atom_long linklist_getflags(t_linklist *x) {
  if (!as_list(x, "linklist_getflags"))
    return 0;
  Locked lock(x);
  return x->flags;
}

long linklist_match(void *a, void *b) {
  return a == b ? 1 : 0;
}
