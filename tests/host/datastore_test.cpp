// Lists, tables and atom arrays: order and indexes, sorting, what is freed
// by which flags, growth, and changes made from inside a pass.
#include "patch.hpp"

#include "ext.h"
#include "ext_obex.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

using kittest::Lines;
using kittest::Patch;

namespace {

// ---- test-item: an object that says when it is freed ----------------------------

struct Item {
  t_object ob;
  t_symbol *name;
};

t_class *item_class;

void *item_new(t_symbol *name) {
  auto *x = static_cast<Item *>(object_alloc(item_class));
  x->name = name;
  return x;
}
void item_free(Item *x) {
  post("%s freed", x->name->s_name);
}
void item_main() {
  item_class =
      class_new("test-item", (method)item_new, (method)item_free, sizeof(Item), 0, A_SYM, 0);
  class_register(CLASS_BOX, item_class);
}

class DataStore : public ::testing::Test {
protected:
  void SetUp() override { p.host().define_module("test-item", item_main); }
  // An object made as an external would make it, outside the patch's
  // bookkeeping: whoever holds it frees it.
  void *item(const char *name) {
    std::string error;
    t_atom a;
    atom_setsym(&a, gensym(name));
    return p.host().make("test-item", std::span<const t_atom>(&a, 1), error);
  }
  Patch p;
};

// Items that are plain numbers, as names: "a b c".
int values[8] = {0, 1, 2, 3, 4, 5, 6, 7};
void *v(int i) {
  return &values[i];
}
std::string order_of(t_linklist *x) {
  std::string out;
  for (long i = 0; i < linklist_getsize(x); ++i)
    out += static_cast<char>('a' + *static_cast<int *>(linklist_getindex(x, i)));
  return out;
}
t_linklist *list_of(const char *letters) {
  t_linklist *x = linklist_new();
  linklist_flags(x, OBJ_FLAG_REF);
  for (const char *c = letters; *c; ++c)
    linklist_append(x, v(*c - 'a'));
  return x;
}

// ---- Lists ---------------------------------------------------------------------

TEST_F(DataStore, ListsKeepTheirOrderThroughInsertsAndMoves) {
  t_linklist *x = list_of("bd");
  EXPECT_EQ(linklist_insertindex(x, v(0), 0), 0);
  EXPECT_EQ(linklist_insertindex(x, v(2), 2), 2);
  EXPECT_EQ(linklist_insertindex(x, v(4), 99), 4) << "past the end: appended";
  EXPECT_EQ(linklist_insertindex(x, v(7), -1), -1);
  EXPECT_EQ(order_of(x), "abcde");
  EXPECT_NE(linklist_insertafterobjptr(x, v(5), v(4)), nullptr);
  EXPECT_NE(linklist_insertbeforeobjptr(x, v(6), v(0)), nullptr);
  EXPECT_EQ(linklist_insertafterobjptr(x, v(7), v(7)), nullptr) << "anchor not in the list";
  EXPECT_EQ(order_of(x), "gabcdef");
  EXPECT_NE(linklist_moveafterobjptr(x, v(6), v(5)), nullptr);
  EXPECT_NE(linklist_movebeforeobjptr(x, v(3), v(0)), nullptr);
  EXPECT_EQ(linklist_movebeforeobjptr(x, v(3), v(3)), nullptr);
  EXPECT_EQ(order_of(x), "dabcefg");
  EXPECT_EQ(linklist_objptr2index(x, v(2)), 3);
  EXPECT_EQ(linklist_objptr2index(x, v(7)), MAX_ERR_GENERIC);
  EXPECT_EQ(linklist_getindex(x, 7), nullptr);
  EXPECT_EQ(linklist_getindex(x, -1), nullptr);
  void *items[3];
  EXPECT_EQ(linklist_makearray(x, items, 3), 3);
  EXPECT_EQ(items[2], v(1));
  void *next = nullptr, *prev = nullptr, *last = nullptr;
  linklist_next(x, v(4), &next);
  linklist_prev(x, v(3), &prev);
  linklist_last(x, &last);
  EXPECT_EQ(next, v(5));
  EXPECT_EQ(prev, nullptr);
  EXPECT_EQ(last, v(6));
  linklist_chuck(x);
}

TEST_F(DataStore, ListsReverseRotateSwapAndSubstitute) {
  t_linklist *x = list_of("abcde");
  linklist_reverse(x);
  EXPECT_EQ(order_of(x), "edcba");
  linklist_rotate(x, 1);
  EXPECT_EQ(order_of(x), "aedcb");
  linklist_rotate(x, -2);
  EXPECT_EQ(order_of(x), "dcbae");
  linklist_rotate(x, 11);
  EXPECT_EQ(order_of(x), "edcba");
  linklist_swap(x, 0, 4);
  linklist_swap(x, 0, 9);
  EXPECT_EQ(order_of(x), "adcbe");
  linklist_substitute(x, v(2), v(7));
  EXPECT_EQ(order_of(x), "adhbe");
  linklist_shuffle(x);
  std::string shuffled = order_of(x);
  std::sort(shuffled.begin(), shuffled.end());
  EXPECT_EQ(shuffled, "abdeh");
  EXPECT_EQ(linklist_chuckindex(x, 9), MAX_ERR_GENERIC);
  EXPECT_EQ(linklist_deleteindex(x, -1), -1);
  linklist_chuck(x);
}

long by_value(void *a, void *b) {
  return *static_cast<int *>(a) / 2 < *static_cast<int *>(b) / 2;
}
long always(void *, void *) {
  return 1;
}
long is_value(void *item, void *data) {
  return *static_cast<int *>(item) == *static_cast<int *>(data);
}

TEST_F(DataStore, SortingIsStableAndAContradictoryComparisonDoesNoHarm) {
  // Sorted by value / 2: "fe" tie, as do "dc", "ba": their order stays.
  t_linklist *x = list_of("gfedcba");
  linklist_sort(x, by_value);
  EXPECT_EQ(order_of(x), "badcfeg");
  EXPECT_EQ(linklist_insert_sorted(x, v(3), by_value), 4) << "after its equals";
  EXPECT_EQ(order_of(x), "badcdfeg");
  // "Everything goes first" contradicts itself: some order, every item kept.
  linklist_sort(x, always);
  std::string all = order_of(x);
  std::sort(all.begin(), all.end());
  EXPECT_EQ(all, "abcddefg");
  void *found = nullptr;
  int wanted = 4;
  EXPECT_GE(linklist_findfirst(x, &found, is_value, &wanted), 0);
  EXPECT_EQ(found, v(4));
  t_linklist *matches = nullptr;
  wanted = 3;
  linklist_findall(x, &matches, is_value, &wanted);
  ASSERT_NE(matches, nullptr);
  EXPECT_EQ(order_of(matches), "dd");
  object_free(matches); // OBJ_FLAG_REF: the items stay
  EXPECT_EQ(linklist_getsize(x), 8);
  wanted = 7;
  EXPECT_EQ(linklist_findfirst(x, &found, is_value, &wanted), -1);
  EXPECT_EQ(found, nullptr);
  linklist_chuck(x);
}

TEST_F(DataStore, ListsFreeWhatTheyDeleteAsTheirFlagsSay) {
  t_linklist *objects = linklist_new();
  linklist_append(objects, item("one"));
  linklist_append(objects, item("two"));
  linklist_append(objects, item("three"));
  void *kept = linklist_getindex(objects, 2);
  EXPECT_EQ(linklist_chuckindex(objects, 2), MAX_ERR_NONE);
  EXPECT_EQ(linklist_deleteindex(objects, 0), 0);
  EXPECT_EQ(p.take(), Lines{"post: one freed"});
  object_free(objects);
  EXPECT_EQ(p.take(), Lines{"post: two freed"});
  object_free(kept);
  p.take();

  // Memory items go back with sysmem_freeptr (a leak would show under the
  // address sanitizer), references stay.
  t_linklist *memory = linklist_new();
  linklist_flags(memory, OBJ_FLAG_MEMORY);
  linklist_append(memory, sysmem_newptr(10));
  linklist_append(memory, sysmem_newptr(20));
  EXPECT_EQ(linklist_getflags(memory), OBJ_FLAG_MEMORY);
  linklist_clear(memory);
  EXPECT_EQ(linklist_getsize(memory), 0);
  linklist_chuck(memory);
  t_linklist *refs = linklist_new();
  linklist_flags(refs, OBJ_FLAG_REF);
  void *held = item("held");
  linklist_append(refs, held);
  object_free(refs);
  EXPECT_TRUE(p.take().empty());
  object_free(held);
  EXPECT_EQ(p.take(), Lines{"post: held freed"});
}

struct PassLog {
  t_linklist *list;
  std::string seen;
};

// Removes the item after 'b' and the current 'c' itself, adds 'h' at 'd'.
void meddle(void *item, void *arg) {
  auto *log = static_cast<PassLog *>(arg);
  const int value = *static_cast<int *>(item);
  log->seen += static_cast<char>('a' + value);
  if (value == 1)
    linklist_chuckobject(log->list, v(2));
  if (value == 3) {
    linklist_chuckobject(log->list, v(3));
    linklist_append(log->list, v(7));
  }
}

// Inside a pass, runs another pass over the same list.
void nested(void *item, void *arg) {
  auto *log = static_cast<PassLog *>(arg);
  if (*static_cast<int *>(item) == 0) {
    PassLog inner{log->list, ""};
    linklist_funall(log->list, (method)meddle, &inner);
    log->seen += "[" + inner.seen + "]";
  }
  log->seen += static_cast<char>('a' + *static_cast<int *>(item));
}

t_atom_long stop_at_c(void *item, void *) {
  return *static_cast<int *>(item) == 2 ? 42 : 0;
}

TEST_F(DataStore, ListsStaySoundWhenAPassChangesThem) {
  t_linklist *x = list_of("abcde");
  PassLog log{x, ""};
  linklist_funall(x, (method)meddle, &log);
  EXPECT_EQ(log.seen, "abde") << "c, removed before its turn, is skipped; h, added, is not seen";
  EXPECT_EQ(order_of(x), "abeh");
  linklist_chuck(x);

  x = list_of("abcde");
  log = {x, ""};
  linklist_funall(x, (method)nested, &log);
  EXPECT_EQ(log.seen, "[abde]abe") << "the outer pass skips what the inner one removed";
  EXPECT_EQ(order_of(x), "abeh");
  EXPECT_EQ(linklist_funall_break(x, (method)stop_at_c, nullptr), 0);
  linklist_chuck(x);

  x = list_of("abc");
  EXPECT_EQ(linklist_funall_break(x, (method)stop_at_c, nullptr), 42);
  linklist_chuck(x);

  // Objects deleted during a pass are freed at once, and not handed on.
  t_linklist *objects = linklist_new();
  void *first = item("first");
  void *second = item("second");
  linklist_append(objects, first);
  linklist_append(objects, second);
  struct Deleter {
    static void run(void *it, void *list) {
      post("visit %s", reinterpret_cast<Item *>(it)->name->s_name);
      linklist_clear(static_cast<t_linklist *>(list));
    }
  };
  linklist_funall(objects, (method)Deleter::run, objects);
  EXPECT_EQ(p.take(), (Lines{"post: visit first", "post: first freed", "post: second freed"}));
  linklist_chuck(objects);
}

TEST_F(DataStore, MisuseOfAListIsReported) {
  t_atomarray *notalist = atomarray_new(0, nullptr);
  EXPECT_EQ(linklist_append(reinterpret_cast<t_linklist *>(notalist), v(0)), -1);
  EXPECT_EQ(linklist_getsize(nullptr), 0);
  object_free(notalist);
  const Lines lines = p.take();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_NE(lines[0].find("linklist_append: "), std::string::npos);
  EXPECT_NE(lines[0].find(" is not a linklist"), std::string::npos);
}

// ---- Tables --------------------------------------------------------------------

TEST_F(DataStore, TablesStoreLookUpReplaceAndDelete) {
  t_hashtab *x = hashtab_new(0);
  EXPECT_EQ(x->slotcount, HASH_DEFSLOTS);
  t_object *one = static_cast<t_object *>(item("one"));
  t_object *two = static_cast<t_object *>(item("two"));
  EXPECT_EQ(hashtab_store(x, gensym("k"), one), MAX_ERR_NONE);
  t_object *found = nullptr;
  EXPECT_EQ(hashtab_lookup(x, gensym("k"), &found), MAX_ERR_NONE);
  EXPECT_EQ(found, one);
  EXPECT_EQ(hashtab_store(x, gensym("k"), one), MAX_ERR_NONE) << "over itself: nothing freed";
  EXPECT_TRUE(p.take().empty());
  EXPECT_EQ(hashtab_store(x, gensym("k"), two), MAX_ERR_NONE);
  EXPECT_EQ(p.take(), Lines{"post: one freed"});
  t_object *three = static_cast<t_object *>(item("three"));
  EXPECT_EQ(hashtab_store_safe(x, gensym("k"), three), MAX_ERR_NONE);
  EXPECT_TRUE(p.take().empty()) << "two is the caller's again";
  object_free(two);
  p.take();

  EXPECT_EQ(hashtab_storelong(x, gensym("n"), -12), MAX_ERR_NONE);
  EXPECT_EQ(hashtab_storesym(x, gensym("s"), gensym("text")), MAX_ERR_NONE);
  t_atom_long n = 0;
  t_symbol *s = nullptr;
  EXPECT_EQ(hashtab_lookuplong(x, gensym("n"), &n), MAX_ERR_NONE);
  EXPECT_EQ(hashtab_lookupsym(x, gensym("s"), &s), MAX_ERR_NONE);
  EXPECT_EQ(n, -12);
  EXPECT_EQ(s, gensym("text"));
  EXPECT_EQ(hashtab_getkeyflags(x, gensym("n")), OBJ_FLAG_DATA);
  EXPECT_EQ(hashtab_lookup(x, gensym("missing"), &found), MAX_ERR_GENERIC);
  EXPECT_EQ(found, nullptr);
  EXPECT_EQ(hashtab_delete(x, gensym("missing")), MAX_ERR_GENERIC);
  EXPECT_EQ(hashtab_store(x, nullptr, three), MAX_ERR_INVALID_PTR);
  EXPECT_EQ(p.take(), Lines{"error: hashtab_store: no key"});

  // Keys come in the order they were first stored.
  long count = 0;
  t_symbol **keys = nullptr;
  ASSERT_EQ(hashtab_getkeys(x, &count, &keys), MAX_ERR_NONE);
  ASSERT_EQ(count, 3);
  EXPECT_EQ(keys[0], gensym("k"));
  EXPECT_EQ(keys[2], gensym("s"));
  sysmem_freeptr(keys);
  t_symbol *two_keys[2];
  t_symbol **into = two_keys;
  count = 2;
  EXPECT_EQ(hashtab_getkeys(x, &count, &into), MAX_ERR_NONE);
  EXPECT_EQ(count, 2);
  EXPECT_EQ(two_keys[1], gensym("n"));

  EXPECT_EQ(hashtab_delete(x, gensym("n")), MAX_ERR_NONE);
  EXPECT_EQ(hashtab_getsize(x), 2);
  object_free(x);
  EXPECT_EQ(p.take(), Lines{"post: three freed"});
}

TEST_F(DataStore, TablesFreeByTheirFlagsAndTheEntrys) {
  t_hashtab *x = hashtab_new(3);
  hashtab_flags(x, OBJ_FLAG_MEMORY);
  hashtab_store(x, gensym("a"), reinterpret_cast<t_object *>(sysmem_newptr(8)));
  hashtab_store(x, gensym("b"), reinterpret_cast<t_object *>(sysmem_newptr(8)));
  t_object *object = static_cast<t_object *>(item("object"));
  // The entry says: data, not to be freed.
  hashtab_storeflags(x, gensym("c"), object, OBJ_FLAG_DATA);
  long flags = 0;
  t_object *found = nullptr;
  EXPECT_EQ(hashtab_lookupflags(x, gensym("c"), &found, &flags), MAX_ERR_NONE);
  EXPECT_EQ(flags, OBJ_FLAG_DATA);
  EXPECT_EQ(hashtab_clear(x), MAX_ERR_NONE);
  EXPECT_EQ(hashtab_getsize(x), 0);
  EXPECT_TRUE(p.take().empty());
  hashtab_flags(x, OBJ_FLAG_OBJ);
  hashtab_store(x, gensym("d"), object);
  EXPECT_EQ(hashtab_keyflags(x, gensym("d"), OBJ_FLAG_REF), MAX_ERR_NONE);
  EXPECT_EQ(hashtab_chuck(x), MAX_ERR_NONE);
  EXPECT_TRUE(p.take().empty());
  object_free(object);
  EXPECT_EQ(p.take(), Lines{"post: object freed"});
}

TEST_F(DataStore, TablesGrowWithoutLosingAnEntry) {
  t_hashtab *x = hashtab_new(2);
  hashtab_flags(x, OBJ_FLAG_DATA);
  const long n = 20000;
  for (long i = 0; i < n; ++i)
    hashtab_storelong(x, gensym(("key" + std::to_string(i)).c_str()), i * 3);
  EXPECT_EQ(hashtab_getsize(x), n);
  for (long i = 0; i < n; i += 2)
    hashtab_delete(x, gensym(("key" + std::to_string(i)).c_str()));
  EXPECT_EQ(hashtab_getsize(x), n / 2);
  long wrong = 0;
  for (long i = 0; i < n; ++i) {
    t_atom_long value = -1;
    const t_max_err err =
        hashtab_lookuplong(x, gensym(("key" + std::to_string(i)).c_str()), &value);
    if (i % 2 ? (err != MAX_ERR_NONE || value != i * 3) : err != MAX_ERR_GENERIC)
      ++wrong;
  }
  EXPECT_EQ(wrong, 0);
  hashtab_print(x);
  EXPECT_EQ(p.take().size(), 1u);
  object_free(x);
}

struct TablePass {
  t_hashtab *table;
  std::string seen;
};

void meddle_entry(t_hashtab_entry *e, void *arg) {
  auto *log = static_cast<TablePass *>(arg);
  log->seen += e->key->s_name;
  if (e->key == gensym("a")) {
    hashtab_delete(log->table, gensym("a")); // itself
    hashtab_delete(log->table, gensym("c")); // one to come
    hashtab_storelong(log->table, gensym("z"), 1);
  }
}

TEST_F(DataStore, TablesStaySoundWhenAPassChangesThem) {
  t_hashtab *x = hashtab_new(0);
  hashtab_flags(x, OBJ_FLAG_DATA);
  for (const char *key : {"a", "b", "c", "d"})
    hashtab_storelong(x, gensym(key), 0);
  TablePass log{x, ""};
  EXPECT_EQ(hashtab_funall(x, (method)meddle_entry, &log), MAX_ERR_NONE);
  EXPECT_EQ(log.seen, "abd");
  long count = 0;
  t_symbol **keys = nullptr;
  hashtab_getkeys(x, &count, &keys);
  std::string now;
  for (long i = 0; i < count; ++i)
    now += keys[i]->s_name;
  sysmem_freeptr(keys);
  EXPECT_EQ(now, "bdz");

  // A value freed from inside the pass is freed once, and not looked at.
  hashtab_flags(x, OBJ_FLAG_OBJ);
  hashtab_store(x, gensym("obj"), static_cast<t_object *>(item("value")));
  struct Clearer {
    static void run(t_hashtab_entry *e, void *table) {
      post("visit %s", e->key->s_name);
      hashtab_chuckkey(static_cast<t_hashtab *>(table), gensym("b"));
      hashtab_chuckkey(static_cast<t_hashtab *>(table), gensym("d"));
      hashtab_chuckkey(static_cast<t_hashtab *>(table), gensym("z"));
      hashtab_clear(static_cast<t_hashtab *>(table));
    }
  };
  hashtab_funall(x, (method)Clearer::run, x);
  EXPECT_EQ(p.take(), (Lines{"post: visit b", "post: value freed"}));
  EXPECT_EQ(hashtab_getsize(x), 0);
  object_free(x);
}

// ---- Atom arrays ---------------------------------------------------------------

TEST_F(DataStore, AtomArraysCopyGrowAndShrink) {
  t_atom three[3];
  atom_setlong(&three[0], 1);
  atom_setfloat(&three[1], 2.5);
  atom_setsym(&three[2], gensym("x"));
  t_atomarray *x = atomarray_new(3, three);
  ASSERT_NE(x, nullptr);
  atom_setlong(&three[0], 99); // a copy was taken
  for (int i = 0; i < 1000; ++i)
    atomarray_appendatom(x, &three[0]);
  EXPECT_EQ(atomarray_getsize(x), 1003);
  t_atom a;
  EXPECT_EQ(atomarray_getindex(x, 0, &a), MAX_ERR_NONE);
  EXPECT_EQ(atom_getlong(&a), 1);
  EXPECT_EQ(atomarray_getindex(x, 1003, &a), MAX_ERR_GENERIC);
  atomarray_chuckindex(x, 0);
  atomarray_chuckindex(x, 5000);
  EXPECT_EQ(atomarray_getindex(x, 0, &a), MAX_ERR_NONE);
  EXPECT_EQ(atom_getfloat(&a), 2.5);
  // Its own atoms as the new ones: kept, not read after being freed.
  long ac = 0;
  t_atom *av = nullptr;
  atomarray_getatoms(x, &ac, &av);
  EXPECT_EQ(atomarray_setatoms(x, 2, av), MAX_ERR_NONE);
  EXPECT_EQ(atomarray_getsize(x), 2);
  atomarray_appendatoms(x, 2, x->av);
  EXPECT_EQ(atomarray_getsize(x), 4);
  // Appending its own atoms where the block must move to grow.
  t_atomarray *small = atomarray_new(2, x->av);
  atomarray_appendatoms(small, 2, small->av);
  atomarray_appendatoms(small, 4, small->av);
  ASSERT_EQ(atomarray_getsize(small), 8);
  EXPECT_EQ(atom_getsym(&small->av[7]), gensym("x"));
  object_free(small);
  t_atom *copy = nullptr;
  EXPECT_EQ(atomarray_copyatoms(x, &ac, &copy), MAX_ERR_NONE);
  ASSERT_EQ(ac, 4);
  EXPECT_EQ(atom_getsym(&copy[3]), gensym("x"));
  sysmem_freeptr(copy);
  auto *twin = static_cast<t_atomarray *>(atomarray_duplicate(x));
  atomarray_clear(x);
  EXPECT_EQ(atomarray_getsize(x), 0);
  EXPECT_EQ(atomarray_copyatoms(x, &ac, &copy), MAX_ERR_NONE);
  EXPECT_EQ(copy, nullptr);
  EXPECT_EQ(atomarray_getsize(twin), 4);
  struct Sum {
    static void run(t_atom *atom, void *total) {
      *static_cast<double *>(total) += atom_getfloat(atom);
    }
  };
  double total = 0;
  atomarray_funall(twin, (method)Sum::run, &total);
  EXPECT_EQ(total, 5.0);
  object_free(twin);
  object_free(x);
  EXPECT_EQ(atomarray_new(-1, nullptr), nullptr);
  EXPECT_EQ(atomarray_new(2, nullptr), nullptr);
  EXPECT_EQ(p.take().size(), 2u);
}

TEST_F(DataStore, AtomArraysFreeTheirObjectsOnlyWhenAsked) {
  t_atom objects[2];
  atom_setobj(&objects[0], item("first"));
  atom_setobj(&objects[1], item("second"));
  t_atomarray *owner = atomarray_new(2, objects);
  atomarray_flags(owner, ATOMARRAY_FLAG_FREECHILDREN);
  t_atomarray *viewer = static_cast<t_atomarray *>(atomarray_duplicate(owner));
  EXPECT_EQ(atomarray_getflags(viewer), 0);
  object_free(viewer);
  EXPECT_TRUE(p.take().empty());
  object_free(owner);
  EXPECT_EQ(p.take(), (Lines{"post: first freed", "post: second freed"}));
}

} // namespace
