// rk+cmd through the real module: data bytes in, the characters of
// "*HEX...#" out, one int per character.
#include "patch.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

namespace {

using kittest::Lines;
using kittest::Patch;

// The characters that the recorded "c.0: CODE" lines carry, as a string.
std::string chars(const Lines &lines) {
  std::string text;
  for (const auto &line : lines) {
    const std::string prefix = "c.0: ";
    EXPECT_EQ(line.rfind(prefix, 0), 0u) << line;
    if (line.rfind(prefix, 0) == 0) {
      text += static_cast<char>(std::stoi(line.substr(prefix.size())));
    }
  }
  return text;
}

class RkCmd : public ::testing::Test {
protected:
  Patch p;
  t_object *c = nullptr;

  void SetUp() override {
    c = p.make("c", "rk+cmd");
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(p.take(), Lines{});
  }

  std::string out() { return chars(p.take()); }
};

TEST_F(RkCmd, EncodesAMessageAsCharacterCodes) {
  p.send(c, "1");
  p.send(c, "171");
  p.send(c, "bang");
  EXPECT_EQ(p.take(), (Lines{"c.0: 42", "c.0: 48", "c.0: 49", "c.0: 65", "c.0: 66", "c.0: 35"}));
}

// Messages sent one after another, and the characters each group of them
// makes come out.
struct Step {
  std::vector<std::string> messages;
  std::string out;
};
struct Sequence {
  const char *name;
  std::vector<Step> steps;
  friend void PrintTo(const Sequence &sequence, std::ostream *os) { *os << sequence.name; }
};

class RkCmdSequence : public RkCmd, public ::testing::WithParamInterface<Sequence> {};

TEST_P(RkCmdSequence, PrintsTheCharactersOfEachStep) {
  for (const Step &step : GetParam().steps) {
    for (const std::string &message : step.messages)
      p.send(c, message);
    EXPECT_EQ(out(), step.out) << step.messages.back();
  }
}

INSTANTIATE_TEST_SUITE_P(
    Messages, RkCmdSequence,
    ::testing::Values(
        Sequence{"ListEncodesEveryElementAfterOneAsterisk",
                 {{{"list 0 255 16"}, "*00FF10"}, {{"list 1 2"}, "0102"}, {{"bang"}, "#"}}},
        Sequence{"OnlyTheLowEightBitsCount", {{{"256", "-1", "4294967297", "-129"}, "*00FF017F"}}},
        Sequence{"BangClosesOnlyAnOpenMessage",
                 {{{"bang"}, ""}, {{"5", "bang", "bang"}, "*05#"}, {{"6"}, "*06"}}},
        Sequence{"EmptyListOpensTheMessage",
                 {{{"list"}, "*"}, {{"list"}, ""}, {{"10", "bang"}, "0A#"}}},
        Sequence{"ResetDropsTheMessageSilently",
                 {{{"1", "reset"}, "*01"},
                  {{"bang"}, ""},
                  {{"2", "bang"}, "*02#"},
                  {{"reset", "reset"}, ""}}}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(RkCmd, FloatElementsTruncateTowardZeroAndSymbolsCountAsZero) {
  p.send(c, 0, gensym("list"),
         {kittest::float_atom(1.9), kittest::float_atom(-1.5), kittest::float_atom(255.99),
          kittest::sym_atom("x"), kittest::float_atom(-0.5)});
  EXPECT_EQ(out(), "*01FFFF0000");
}

// Values a long cannot hold saturate (the low byte of the largest long is
// FF, of the smallest 00); NaN counts as 0.
TEST_F(RkCmd, FloatElementsOutOfRangeSaturate) {
  const double inf = std::numeric_limits<double>::infinity();
  p.send(c, 0, gensym("list"),
         {kittest::float_atom(1e300), kittest::float_atom(-1e300), kittest::float_atom(inf),
          kittest::float_atom(-inf), kittest::float_atom(std::nan("")), kittest::float_atom(9.3e18),
          kittest::float_atom(-9.3e18)});
  EXPECT_EQ(out(), "*FF00FF0000FF00");
}

TEST_F(RkCmd, AssistTextsAndLayout) {
  auto &host = p.host();
  EXPECT_EQ(host.inlet_count(c), 1);
  EXPECT_EQ(host.outlet_count(c), 1);
  EXPECT_EQ(host.assist(c, ASSIST_INLET, 0), "Message data bytes (int or list), bang for EOM");
  EXPECT_EQ(host.assist(c, ASSIST_OUTLET, 0), "Encoded data bytes (int)");
  EXPECT_EQ(host.assist(c, ASSIST_INLET, 3), "Message data bytes (int or list), bang for EOM");
  EXPECT_EQ(host.assist(c, ASSIST_OUTLET, 1), "Encoded data bytes (int)");
}

TEST(RkCmdObjects, EachObjectKeepsItsOwnMessageState) {
  Patch p;
  auto *a = p.make("a", "rk+cmd");
  auto *b = p.make("b", "rk+cmd");
  ASSERT_NE(a, nullptr);
  ASSERT_NE(b, nullptr);
  p.send(a, "1");
  p.send(b, "bang");
  p.send(b, "2");
  p.send(a, "bang");
  EXPECT_EQ(p.take(),
            (Lines{"a.0: 42", "a.0: 48", "a.0: 49", "b.0: 42", "b.0: 48", "b.0: 50", "a.0: 35"}));
}

} // namespace
