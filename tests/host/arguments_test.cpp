// Typed arguments: a message and a box's creation arguments fit a long or a
// symbol argument by the same rules, so the same atoms give the same value
// or the same refusal on both ways.
#include "patch.hpp"
#include "probe.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using kittest::Lines;
using kittest::Patch;

namespace {

struct Row {
  const char *what;
  std::vector<t_atom> atoms;
  const char *value; ///< what the argument became; null when refused
  bool extra = false;
};

t_atom symbol_without_name() {
  t_atom a;
  a.a_type = A_SYM;
  a.a_w.w_sym = nullptr;
  return a;
}

class Arguments : public ::testing::Test {
protected:
  void SetUp() override { hosttest::define_test_classes(); }
  Patch p;
};

TEST_F(Arguments, ALongArgumentFitsAlikeInMessagesAndCreation) {
  using kittest::float_atom;
  using kittest::long_atom;
  using kittest::sym_atom;
  const Row rows[] = {
      {"long", {long_atom(3)}, "3"},
      {"float truncated", {float_atom(-2.7)}, "-2"},
      {"float clamped", {float_atom(1e300)}, "9223372036854775807"},
      {"symbol", {sym_atom("x")}, nullptr},
      {"missing", {}, nullptr},
      {"extra", {long_atom(4), long_atom(5)}, "4", true},
  };
  t_object *probe = p.make("p", "test-probe");
  ASSERT_NE(probe, nullptr);
  p.take();
  for (const Row &row : rows) {
    SCOPED_TRACE(row.what);
    p.send(probe, 0, gensym("goto"), row.atoms);
    Lines message;
    if (row.extra)
      message.push_back("error: test-probe: extra arguments for message \"goto\"");
    message.push_back(row.value ? std::string("post: test-probe: goto ") + row.value
                                : "error: test-probe: bad arguments for message \"goto\"");
    EXPECT_EQ(p.take(), message);

    // test-old's creation routine takes the long it adds to what comes in.
    std::string refusal;
    t_object *old = p.host().make("test-old", row.atoms, refusal);
    EXPECT_EQ(old != nullptr, row.value != nullptr) << refusal;
    if (!old) {
      EXPECT_EQ(refusal, "test-old: bad creation arguments");
      continue;
    }
    std::string value;
    p.host().watch(old, 0, [&value](t_symbol *, std::span<const t_atom> atoms) {
      value = std::to_string(atom_getlong(atoms.data()));
    });
    p.host().send(old, 0, gensym("int"), std::vector<t_atom>{long_atom(0)});
    EXPECT_EQ(value, row.value);
    EXPECT_EQ(p.take(),
              row.extra ? Lines{"error: test-old: extra creation arguments ignored"} : Lines{});
    p.host().free(old);
  }
}

TEST_F(Arguments, ASymbolAtomWithoutASymbolFitsNoSymbolArgument) {
  t_object *probe = p.make("p", "test-probe");
  ASSERT_NE(probe, nullptr);
  p.take();
  p.send(probe, 0, gensym("name"), {symbol_without_name()});
  EXPECT_EQ(p.take(), Lines{"error: test-probe: bad arguments for message \"name\""});
  std::string refusal;
  EXPECT_EQ(p.host().make("test-timer", std::vector<t_atom>{symbol_without_name()}, refusal),
            nullptr);
  EXPECT_EQ(refusal, "test-timer: bad creation arguments");
}

} // namespace
