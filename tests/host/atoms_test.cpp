// Atom helpers: types, arguments taken only when they fit, room for atoms,
// atoms as text; unique and translated symbols.
#include "ext.h"
#include "ext_obex.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <thread>
#include <vector>

namespace {

std::vector<t_atom> atoms(std::initializer_list<t_atom> list) {
  return list;
}

t_atom long_atom(t_atom_long n) {
  t_atom a;
  atom_setlong(&a, n);
  return a;
}
t_atom float_atom(double f) {
  t_atom a;
  atom_setfloat(&a, f);
  return a;
}
t_atom sym_atom(const char *s) {
  t_atom a;
  atom_setsym(&a, gensym(s));
  return a;
}

TEST(Atoms, ArgumentsAreTakenOnlyWhenThereAndOfAFittingType) {
  const std::vector<t_atom> list = atoms({long_atom(7), float_atom(2.5), sym_atom("name")});
  const long n = static_cast<long>(list.size());
  t_atom_long l = -1;
  double d = -1;
  float f = -1;
  t_symbol *s = nullptr;
  EXPECT_EQ(atom_arg_getlong(&l, 1, n, list.data()), MAX_ERR_NONE);
  EXPECT_EQ(l, 2);
  EXPECT_EQ(atom_arg_getdouble(&d, 0, n, list.data()), MAX_ERR_NONE);
  EXPECT_EQ(d, 7);
  EXPECT_EQ(atom_arg_getfloat(&f, 1, n, list.data()), MAX_ERR_NONE);
  EXPECT_EQ(f, 2.5f);
  EXPECT_EQ(atom_arg_getsym(&s, 2, n, list.data()), MAX_ERR_NONE);
  EXPECT_EQ(s, gensym("name"));
  // Missing, out of range or of another type: left as it was.
  l = -1;
  s = nullptr;
  EXPECT_NE(atom_arg_getlong(&l, 2, n, list.data()), MAX_ERR_NONE);
  EXPECT_NE(atom_arg_getlong(&l, 3, n, list.data()), MAX_ERR_NONE);
  EXPECT_NE(atom_arg_getlong(&l, -1, n, list.data()), MAX_ERR_NONE);
  EXPECT_NE(atom_arg_getsym(&s, 0, n, list.data()), MAX_ERR_NONE);
  EXPECT_NE(atom_arg_getdouble(&d, 0, 0, nullptr), MAX_ERR_NONE);
  EXPECT_EQ(l, -1);
  EXPECT_EQ(s, nullptr);
}

TEST(Atoms, TypesObjectsAndCharacters) {
  t_atom a;
  int thing = 0;
  atom_setobj(&a, &thing);
  EXPECT_EQ(atom_gettype(&a), A_OBJ);
  EXPECT_EQ(atom_getobj(&a), &thing);
  EXPECT_EQ(atom_gettype(nullptr), A_NOTHING);
  const t_atom number = long_atom(3);
  EXPECT_EQ(atom_getobj(&number), nullptr);
  for (auto [value, expected] : {std::pair{long_atom(300), 255L},
                                 {long_atom(-4), 0L},
                                 {float_atom(0.5), 127L},
                                 {float_atom(7.0), 255L},
                                 {float_atom(-1e300), 0L},
                                 {sym_atom("x"), 0L}})
    EXPECT_EQ(atom_getcharfix(&value), expected) << atom_getfloat(&value);
}

TEST(Atoms, RoomForAtomsIsAllocatedOrTheCallersIsUsed) {
  long ac = 0;
  t_atom *av = nullptr;
  char alloc = 0;
  ASSERT_EQ(atom_alloc_array(5, &ac, &av, &alloc), MAX_ERR_NONE);
  EXPECT_EQ(ac, 5);
  EXPECT_EQ(alloc, 1);
  ASSERT_NE(av, nullptr);
  EXPECT_EQ(sysmem_ptrsize(av), 5 * sizeof(t_atom));
  // The caller's atoms, enough of them: used as they are.
  t_atom *mine = av;
  EXPECT_EQ(atom_alloc_array(3, &ac, &av, &alloc), MAX_ERR_NONE);
  EXPECT_EQ(av, mine);
  EXPECT_EQ(alloc, 0);
  // Too few: an error rather than an overflow.
  EXPECT_NE(atom_alloc_array(6, &ac, &av, &alloc), MAX_ERR_NONE);
  EXPECT_EQ(av, mine);
  sysmem_freeptr(av);
  long one = 0;
  t_atom *single = nullptr;
  ASSERT_EQ(atom_alloc(&one, &single, &alloc), MAX_ERR_NONE);
  EXPECT_EQ(one, 1);
  sysmem_freeptr(single);
  EXPECT_NE(atom_alloc_array(-1, &one, &single, &alloc), MAX_ERR_NONE);
}

TEST(Atoms, AtomsAsTextAllocatedOrCutToTheCallersBuffer) {
  std::vector<t_atom> list = atoms({long_atom(-3), float_atom(0.25), sym_atom("two words")});
  long size = 0;
  char *text = nullptr;
  ASSERT_EQ(atom_gettext(3, list.data(), &size, &text, 0), MAX_ERR_NONE);
  EXPECT_STREQ(text, "-3 0.25 \"two words\"");
  EXPECT_EQ(size, 20);
  sysmem_freeptr(text);
  text = nullptr;
  size = 0;
  ASSERT_EQ(atom_gettext(3, list.data(), &size, &text,
                         OBEX_UTIL_ATOM_GETTEXT_SYM_NO_QUOTE | OBEX_UTIL_ATOM_GETTEXT_COMMA_DELIM),
            MAX_ERR_NONE);
  EXPECT_STREQ(text, "-3, 0.25, two words");
  sysmem_freeptr(text);
  char small[6];
  char *into = small;
  long capacity = sizeof small;
  ASSERT_EQ(atom_gettext(3, list.data(), &capacity, &into, 0), MAX_ERR_NONE);
  EXPECT_EQ(into, small);
  EXPECT_STREQ(small, "-3 0.");
  EXPECT_NE(atom_gettext(1, nullptr, &capacity, &into, 0), MAX_ERR_NONE);
}

TEST(AtomArrays, ValuesGoInAndOutConvertedAsFarAsBothArraysReach) {
  std::vector<t_atom> list = atoms({sym_atom("keep"), sym_atom("keep"), sym_atom("keep")});
  t_atom_long two[2] = {7, 300};
  EXPECT_EQ(atom_setlong_array(3, list.data(), 2, two), MAX_ERR_NONE);
  EXPECT_EQ(atom_getsym(&list[2]), gensym("keep"));
  double doubles[4] = {-1, -1, -1, -1};
  EXPECT_EQ(atom_getdouble_array(3, list.data(), 4, doubles), MAX_ERR_NONE);
  EXPECT_EQ(doubles[0], 7.0);
  EXPECT_EQ(doubles[2], 0.0); // a symbol is no number
  EXPECT_EQ(doubles[3], -1.0);
  unsigned char bytes[2] = {0, 0};
  EXPECT_EQ(atom_getchar_array(2, list.data(), 2, bytes), MAX_ERR_NONE);
  EXPECT_EQ(bytes[1], 44); // 300 cut to its low byte

  float floats[2] = {0.5f, 1.25f};
  EXPECT_EQ(atom_setfloat_array(1, list.data(), 2, floats), MAX_ERR_NONE);
  EXPECT_EQ(atom_gettype(&list[0]), A_FLOAT);
  EXPECT_EQ(atom_getlong(&list[1]), 300);
  t_atom_long longs[1] = {0};
  EXPECT_EQ(atom_getlong_array(1, list.data(), 1, longs), MAX_ERR_NONE);
  EXPECT_EQ(longs[0], 0);

  t_symbol *words[2] = {gensym("a"), gensym("b")};
  EXPECT_EQ(atom_setsym_array(2, list.data(), 2, words), MAX_ERR_NONE);
  t_symbol *read[3] = {nullptr, nullptr, nullptr};
  EXPECT_EQ(atom_getsym_array(3, list.data(), 3, read), MAX_ERR_NONE);
  EXPECT_EQ(read[1], gensym("b"));
  EXPECT_EQ(read[2], gensym("keep"));
  int object = 0;
  t_object *objects[1] = {reinterpret_cast<t_object *>(&object)};
  EXPECT_EQ(atom_setobj_array(1, list.data(), 1, objects), MAX_ERR_NONE);
  t_atom copied[2];
  EXPECT_EQ(atom_getatom_array(2, list.data(), 2, copied), MAX_ERR_NONE);
  EXPECT_EQ(atom_getobj(&copied[0]), &object);
  EXPECT_EQ(atom_getsym(&copied[1]), gensym("b"));
  EXPECT_EQ(atom_setatom_array(1, list.data() + 2, 1, copied + 1), MAX_ERR_NONE);
  t_object *found[1] = {nullptr};
  EXPECT_EQ(atom_getobj_array(1, list.data(), 1, found), MAX_ERR_NONE);
  EXPECT_EQ(found[0], objects[0]);

  // Nothing to copy needs no array; a missing one or a negative count is refused.
  EXPECT_EQ(atom_getlong_array(0, nullptr, 5, longs), MAX_ERR_NONE);
  EXPECT_EQ(atom_getlong_array(2, list.data(), 2, nullptr), MAX_ERR_INVALID_PTR);
  EXPECT_EQ(atom_setsym_array(2, nullptr, 2, words), MAX_ERR_INVALID_PTR);
  EXPECT_NE(atom_setlong_array(-1, list.data(), 1, two), MAX_ERR_NONE);
  EXPECT_EQ(atom_getsym(&list[2]), gensym("b"));
}

TEST(Symbols, UniqueSymbolsAreNewEvenWhenANameWasTakenAndAcrossThreads) {
  t_symbol *first = symbol_unique();
  ASSERT_EQ(first->s_name[0], 'u');
  // Take the next few names the way a user could, before they come up.
  const unsigned long next = std::stoul(first->s_name + 1) + 1;
  for (unsigned long i = next; i < next + 3; ++i)
    gensym(("u" + std::to_string(i)).c_str());
  t_symbol *second = symbol_unique();
  EXPECT_NE(second, first);
  EXPECT_GE(std::stoul(second->s_name + 1), next + 3);

  std::vector<t_symbol *> made[2];
  std::thread a([&] {
    for (int i = 0; i < 200; ++i)
      made[0].push_back(symbol_unique());
  });
  for (int i = 0; i < 200; ++i)
    made[1].push_back(symbol_unique());
  a.join();
  for (t_symbol *s : made[0])
    EXPECT_EQ(std::find(made[1].begin(), made[1].end(), s), made[1].end());
}

TEST(Symbols, StrippingQuotesTakesOnlyAPairAroundTheName) {
  EXPECT_EQ(symbol_stripquotes(gensym("\"two words\"")), gensym("two words"));
  EXPECT_EQ(symbol_stripquotes(gensym("\"\"")), gensym(""));
  for (const char *kept : {"plain", "\"", "\"open", "close\"", "in\"side", ""})
    EXPECT_EQ(symbol_stripquotes(gensym(kept)), gensym(kept)) << kept;
  EXPECT_EQ(symbol_stripquotes(nullptr), nullptr);
}

TEST(Symbols, TranslationGivesTheTextBack) {
  EXPECT_EQ(gensym_tr("Delay Time"), gensym("Delay Time"));
  const char *label = "Quantization";
  EXPECT_EQ(str_tr(label), label);
  EXPECT_EQ(symbol_tr(gensym("x")), gensym("x"));
}

} // namespace
