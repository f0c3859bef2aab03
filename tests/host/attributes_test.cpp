// Attributes as the SDK's macros declare them: each type stored in its own
// field width, filters, read-only flags, custom accessors and attributes of
// attributes.
#include "patch.hpp"

#include "ext.h"
#include "ext_obex.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

using kittest::Lines;
using kittest::Patch;

namespace {

// test-attrs: one field of each attribute type, each between two guard
// bytes that a store of the wrong width would change.
struct Attrs {
  t_object ob;
  char guard0;
  char c;
  char guard1;
  long l;
  char guard2;
  t_atom_long al;
  char guard3;
  int32_t i32;
  char guard4;
  float f32;
  char guard5;
  double f64;
  char guard6;
  t_symbol *sym;
  t_atom atom;
  long clipped;
  long scaled;
  long fixed;
  long hidden;
  long viaaccessors;
  long stored_by_setter;
  void *out;
};
t_class *attrs_class;

void *attrs_new(t_symbol *, long argc, t_atom *argv) {
  auto *x = static_cast<Attrs *>(object_alloc(attrs_class));
  x->sym = gensym("none");
  x->out = outlet_new(x, nullptr);
  attr_args_process(x, static_cast<short>(argc), argv);
  return x;
}

t_max_err doubled_get(Attrs *x, void *, long *ac, t_atom **av) {
  if (!*ac || !*av) {
    *ac = 1;
    *av = reinterpret_cast<t_atom *>(getbytes(sizeof(t_atom)));
  }
  atom_setlong(*av, x->stored_by_setter * 2);
  return MAX_ERR_NONE;
}
t_max_err odd_only_set(Attrs *x, void *, long ac, t_atom *av) {
  if (ac && av && atom_getlong(av) % 2)
    x->stored_by_setter = atom_getlong(av);
  return MAX_ERR_NONE;
}
// Rounds every value set to the nearest ten.
t_max_err tens(void *, void *, long ac, t_atom *av) {
  for (long i = 0; i < ac; ++i)
    atom_setlong(av + i, (atom_getlong(av + i) + 5) / 10 * 10);
  return MAX_ERR_NONE;
}

void attrs_main() {
  t_class *c =
      class_new("test-attrs", (method)attrs_new, nullptr, sizeof(Attrs), nullptr, A_GIMME, 0);
  CLASS_ATTR_CHAR(c, "c", 0, Attrs, c);
  CLASS_ATTR_LONG(c, "l", 0, Attrs, l);
  CLASS_ATTR_ATOM_LONG(c, "al", 0, Attrs, al);
  CLASS_ATTR_INT32(c, "i32", 0, Attrs, i32);
  CLASS_ATTR_FLOAT(c, "f32", 0, Attrs, f32);
  CLASS_ATTR_DOUBLE(c, "f64", 0, Attrs, f64);
  CLASS_ATTR_SYM(c, "sym", 0, Attrs, sym);
  CLASS_ATTR_ATOM(c, "atom", 0, Attrs, atom);
  CLASS_ATTR_LONG(c, "clipped", 0, Attrs, clipped);
  CLASS_ATTR_FILTER_CLIP(c, "clipped", -5, 5);
  CLASS_ATTR_LONG(c, "scaled", 0, Attrs, scaled);
  attr_addfilter_clip_scale(class_attr_get(c, gensym("scaled")), 10, 0, 1000, 1, 1);
  CLASS_ATTR_LONG(c, "fixed", ATTR_SET_OPAQUE_USER, Attrs, fixed);
  CLASS_ATTR_LONG(c, "hidden", ATTR_SET_OPAQUE, Attrs, hidden);
  CLASS_ATTR_LONG(c, "viaaccessors", 0, Attrs, viaaccessors);
  CLASS_ATTR_ACCESSORS(c, "viaaccessors", (method)doubled_get, (method)odd_only_set);
  CLASS_ATTR_LABEL(c, "viaaccessors", 0, "Odd Numbers");
  CLASS_ATTR_ENUMINDEX(c, "viaaccessors", 0, "zero one \"two three\"");
  CLASS_ATTR_ORDER(c, "viaaccessors", 0, "2");
  CLASS_ATTR_SAVE(c, "viaaccessors", 0);
  class_addattr(
      c, attr_offset_new("rounded", gensym("long"), 0, nullptr, nullptr, calcoffset(Attrs, fixed)));
  attr_addfilterset_proc(class_attr_get(c, gensym("rounded")), (method)tens);
  class_register(CLASS_BOX, c);
  attrs_class = c;
}

class Attributes : public ::testing::Test {
protected:
  void SetUp() override {
    p.host().define_module("test-attrs", attrs_main);
    x = reinterpret_cast<Attrs *>(p.make("x", "test-attrs"));
    ASSERT_NE(x, nullptr);
  }
  bool guards_intact() const {
    return !x->guard0 && !x->guard1 && !x->guard2 && !x->guard3 && !x->guard4 && !x->guard5 &&
           !x->guard6;
  }
  /// The attribute's value as kithost would print it.
  std::string value_of(const char *name) {
    long ac = 0;
    t_atom *av = nullptr;
    if (object_attr_getvalueof(x, gensym(name), &ac, &av) != MAX_ERR_NONE)
      return "(error)";
    std::string text = kit::format_atoms(std::span<const t_atom>(av, static_cast<size_t>(ac)));
    sysmem_freeptr(av);
    return text;
  }
  Patch p;
  Attrs *x = nullptr;
};

struct TypeCase {
  const char *attribute;
  const char *message_value; ///< as typed in a message
  const char *read_back;
};

class AttributeTypes : public Attributes, public ::testing::WithParamInterface<TypeCase> {};

TEST_P(AttributeTypes, AValueSetByMessageIsStoredInItsFieldAloneAndReadBack) {
  const TypeCase &c = GetParam();
  p.send(&x->ob, std::string(c.attribute) + " " + c.message_value);
  EXPECT_EQ(p.take(), Lines{});
  EXPECT_EQ(value_of(c.attribute), c.read_back);
  EXPECT_TRUE(guards_intact());
}

INSTANTIATE_TEST_SUITE_P(
    EachType, AttributeTypes,
    ::testing::Values(TypeCase{"c", "65", "65"}, TypeCase{"c", "300", "44"},
                      TypeCase{"l", "-7.9", "-7"}, TypeCase{"l", "2147483648", "2147483648"},
                      TypeCase{"al", "123456789012", "123456789012"}, TypeCase{"i32", "-2", "-2"},
                      TypeCase{"f32", "0.25", "0.25"}, TypeCase{"f64", "3", "3"},
                      TypeCase{"sym", "hello", "hello"}, TypeCase{"atom", "4.5", "4.5"},
                      TypeCase{"atom", "word", "word"}),
    [](const auto &info) {
      return std::string(info.param.attribute) + std::to_string(info.index);
    });

TEST_F(Attributes, CreationArgumentsAndCCallsSetThemToo) {
  Patch other;
  other.host().define_module("test-attrs", attrs_main);
  auto *y = reinterpret_cast<Attrs *>(other.make("y", "test-attrs 1 2 @l 9 @sym there @nope 1"));
  ASSERT_NE(y, nullptr);
  EXPECT_EQ(other.take(), Lines{"error: test-attrs: no attribute \"nope\""});
  EXPECT_EQ(y->l, 9);
  EXPECT_EQ(y->sym, gensym("there"));
  EXPECT_EQ(object_attr_setfloat(y, gensym("f64"), 1.5), MAX_ERR_NONE);
  EXPECT_EQ(object_attr_getfloat(y, gensym("f64")), 1.5);
  EXPECT_EQ(object_attr_setsym(y, gensym("sym"), gensym("abc")), MAX_ERR_NONE);
  EXPECT_EQ(object_attr_getsym(y, gensym("sym")), gensym("abc"));
  EXPECT_EQ(object_attr_setchar(y, gensym("c"), 7), MAX_ERR_NONE);
  EXPECT_EQ(object_attr_getchar(y, gensym("c")), 7);
  EXPECT_EQ(object_attr_getlong(y, gensym("nope")), 0);
  EXPECT_EQ(other.take(), Lines{"error: test-attrs: no attribute \"nope\""});
}

TEST_F(Attributes, FiltersClipAndScaleOnTheWayInAndOut) {
  p.send(&x->ob, "clipped 9");
  EXPECT_EQ(x->clipped, 5);
  p.send(&x->ob, "clipped -9.5");
  EXPECT_EQ(x->clipped, -5);
  // Scaled by ten when set, by a tenth when read; clipped to 0..1000.
  p.send(&x->ob, "scaled 7");
  EXPECT_EQ(x->scaled, 70);
  EXPECT_EQ(value_of("scaled"), "7");
  p.send(&x->ob, "scaled 500");
  EXPECT_EQ(x->scaled, 1000);
  p.send(&x->ob, "rounded 44");
  EXPECT_EQ(x->fixed, 40);
  EXPECT_EQ(p.take(), Lines{});
}

TEST_F(Attributes, ReadOnlyFlagsRefuseMessagesOrEverything) {
  p.send(&x->ob, "fixed 3");
  EXPECT_EQ(x->fixed, 0);
  EXPECT_EQ(object_attr_setlong(x, gensym("fixed"), 4), MAX_ERR_NONE);
  EXPECT_EQ(x->fixed, 4);
  EXPECT_EQ(object_attr_setlong(x, gensym("hidden"), 4), MAX_ERR_GENERIC);
  EXPECT_EQ(x->hidden, 0);
  EXPECT_EQ(object_attr_usercanset(x, gensym("fixed")), 0);
  EXPECT_EQ(object_attr_usercanset(x, gensym("l")), 1);
  EXPECT_EQ(p.take(), (Lines{"error: test-attrs: attribute \"fixed\" is read-only",
                             "error: test-attrs: attribute \"hidden\" is read-only"}));
}

TEST_F(Attributes, AccessorsReplaceTheStoredValueAndAttributesOfAttributesAreKept) {
  p.send(&x->ob, "viaaccessors 3");
  p.send(&x->ob, "viaaccessors 4"); // refused by the setter
  EXPECT_EQ(x->stored_by_setter, 3);
  EXPECT_EQ(x->viaaccessors, 0);
  EXPECT_EQ(value_of("viaaccessors"), "6");
  auto attr_attr = [&](const char *name) {
    long ac = 0;
    t_atom *av = nullptr;
    if (class_attr_attr_getvalueof(attrs_class, gensym("viaaccessors"), gensym(name), &ac, &av) !=
        MAX_ERR_NONE)
      return std::string("(none)");
    std::string text = kit::format_atoms(std::span<const t_atom>(av, static_cast<size_t>(ac)));
    sysmem_freeptr(av);
    return text;
  };
  EXPECT_EQ(attr_attr("label"), "\"Odd Numbers\"");
  EXPECT_EQ(attr_attr("style"), "enumindex");
  EXPECT_EQ(attr_attr("enumvals"), "zero one \"two three\"");
  EXPECT_EQ(attr_attr("order"), "2");
  EXPECT_EQ(attr_attr("save"), "1");
  EXPECT_EQ(attr_attr("category"), "(none)");
  void *attr = class_attr_get(attrs_class, gensym("viaaccessors"));
  EXPECT_EQ(object_method(attr, gensym("gettype")), gensym("long"));
  EXPECT_EQ(object_method(attr, gensym("getname")), gensym("viaaccessors"));
  EXPECT_EQ(p.take(), Lines{});
}

TEST(AttributeArguments, TheOffsetIsTheFirstAttributeName) {
  t_atom atoms[4] = {kittest::long_atom(1), kittest::sym_atom("a"), kittest::sym_atom("@b"),
                     kittest::long_atom(2)};
  EXPECT_EQ(attr_args_offset(4, atoms), 2);
  EXPECT_EQ(attr_args_offset(2, atoms), 2);
  EXPECT_EQ(attr_args_offset(0, atoms), 0);
}

} // namespace
