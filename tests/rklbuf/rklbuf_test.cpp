// rklbuf through the real module: writes at the cursor, the buffer list on
// outlet 0, the current index on outlet 1.
#include "patch.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using kittest::Lines;
using kittest::Patch;

// "b.0: " followed by `n` elements, those given first and zeros after.
std::string buffer_line(std::vector<std::string> elements, size_t n) {
  elements.resize(n, "0");
  std::string line = "b.0:";
  for (const auto &e : elements) {
    line += " " + e;
  }
  return line;
}

class RkLbuf : public ::testing::Test {
protected:
  Patch p;
  t_object *b = nullptr;

  void make(std::string_view box) {
    b = p.make("b", box);
    ASSERT_NE(b, nullptr);
  }
};

// A buffer made from `box`, then messages sent one after another, each group
// followed by the lines it makes come out.
struct Step {
  std::vector<std::string> messages;
  Lines out;
};
struct Script {
  const char *name;
  const char *box;
  std::vector<Step> steps;
  friend void PrintTo(const Script &script, std::ostream *os) { *os << script.name; }
};

class RkLbufScript : public RkLbuf, public ::testing::WithParamInterface<Script> {};

TEST_P(RkLbufScript, OutputsWhatEachStepMakes) {
  make(GetParam().box);
  EXPECT_EQ(p.take(), Lines{});
  for (const Step &step : GetParam().steps) {
    for (const std::string &message : step.messages)
      p.send(b, message);
    EXPECT_EQ(p.take(), step.out) << step.messages.back();
  }
}

INSTANTIATE_TEST_SUITE_P(
    Messages, RkLbufScript,
    ::testing::Values(Script{"WritesOutputTheBufferThenTheIndex",
                             "rklbuf 4 1",
                             {{{"list 10 20"}, {"b.0: 10 20 0 0", "b.1: 3"}},
                              {{"30"}, {"b.0: 10 20 30 0", "b.1: 4"}},
                              {{"symbol foo"}, {"b.0: 10 20 30 foo", "b.1: 5"}},
                              {{"2.5"}, {"b.1: 6"}}, // element 4 lies beyond the size
                              {{"size 6"}, {"b.0: 10 20 30 foo 2.5 0"}}}},
                      Script{"MixedListKeepsEachElementsType",
                             "rklbuf 5",
                             {{{"list 1 2.5 foo -7"}, {"b.0: 1 2.5 foo -7 0", "b.1: 4"}}}},
                      Script{"WriteBeyondTheSizeOutputsOnlyTheIndex",
                             "rklbuf",
                             {{{"size 4"}, {"b.0: 0 0 0 0"}},
                              {{"goto 6"}, {"b.1: 6"}},
                              {{"list 7"}, {"b.1: 7"}},
                              {{"size 8"}, {"b.0: 0 0 0 0 0 0 7 0"}}}},
                      Script{"StopLeavesOnlyTheIndexAndBang",
                             "rklbuf 3",
                             {{{"stop", "list 1 2"}, {"b.1: 2"}},
                              {{"size 2"}, {}},
                              {{"bang"}, {"b.0: 1 2"}},
                              {{"start"}, {}},
                              {{"list 9"}, {"b.1: 3"}}, // element 2 lies beyond the size
                              {{"goto 0", "9"}, {"b.1: 0", "b.0: 9 2", "b.1: 1"}}}},
                      Script{"ElementsBeforeTheBufferAreDropped",
                             "rklbuf 4",
                             {{{"seek -3"}, {"b.1: -3"}},
                              {{"list 1 2 3 4 5"}, {"b.0: 4 5 0 0", "b.1: 2"}},
                              // Entirely before the buffer: nothing stored, nothing but the
                              // index.
                              {{"goto -10", "list 1 2 3"}, {"b.1: -10", "b.1: -7"}},
                              {{"bang"}, {"b.0: 4 5 0 0"}}}},
                      Script{"UnchangedValuesOutputNothing",
                             "rklbuf 2 5",
                             {{{"goto 5", "seek 0", "base 5", "size 2"}, {}}, {{"list"}, {}}}},
                      Script{"BaseMovesEveryIndexButNotTheCursor",
                             "rklbuf 4",
                             {{{"list 1"}, {"b.0: 1 0 0 0", "b.1: 1"}},
                              {{"base 100"}, {"b.1: 101"}},
                              {{"list 2"}, {"b.0: 1 2 0 0", "b.1: 102"}},
                              {{"goto 100", "list 3"}, {"b.1: 100", "b.0: 3 2 0 0", "b.1: 101"}},
                              {{"seek 2"}, {"b.1: 103"}},
                              {{"base -1"}, {"b.1: 2"}}}},
                      // The cursor, the base and the index are 32-bit and wrap around.
                      Script{"IndexWrapsAtTheThirtyTwoBitLimits",
                             "rklbuf 2 2147483647",
                             {{{"list 1"}, {"b.0: 1 0", "b.1: -2147483648"}},
                              {{"seek -1"}, {"b.1: 2147483647"}},
                              // cursor -2147483648 - 2147483647, which wraps to 1
                              {{"goto -2147483648"}, {"b.1: -2147483648"}},
                              {{"base -2147483648"}, {"b.1: -2147483647"}},
                              {{"seek 2147483647"}, {"b.1: 0"}},
                              {{"seek 2147483647"}, {"b.1: 2147483647"}},
                              {{"seek 1"}, {"b.1: -2147483648"}}}},
                      // Longs wider than 32 bits are taken modulo 2^32, as the index is.
                      Script{"WideArgumentsAreTakenModuloTwoToThe32",
                             "rklbuf 2 4294967297",
                             {{{"list 1"}, {"b.0: 1 0", "b.1: 2"}},
                              {{"seek 4294967296", "goto 4294967298", "base 1"}, {}},
                              {{"goto 4294967299"}, {"b.1: 3"}},
                              {{"seek -4294967297"}, {"b.1: 2"}}}}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(RkLbuf, WithoutArgumentsTheListIsEmpty) {
  make("rklbuf");
  p.send(b, "list 1 2 3");
  EXPECT_EQ(p.take(), Lines{"b.1: 3"});
  p.send(b, "bang");
  const Lines lines = p.take();
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].rfind("b.0:", 0), 0u);
  EXPECT_EQ(lines[0].find_first_not_of(' ', 4), std::string::npos) << lines[0];
  p.send(b, "size 3");
  EXPECT_EQ(p.take(), Lines{"b.0: 1 2 3"});
}

// Which writes output the buffer is decided at its first element: a write
// that ends just before it outputs only the index, and so does a write that
// reaches into a buffer of size 0 from before it.
TEST_F(RkLbuf, WritesAtTheBufferStartOutputOnlyWhatTheyReach) {
  make("rklbuf 2");
  p.send(b, "goto -3");
  p.send(b, "list 1 2 3"); // elements -3 .. -1
  EXPECT_EQ(p.take(), (Lines{"b.1: -3", "b.1: 0"}));
  p.send(b, "goto -1");
  p.send(b, "list 4 5"); // elements -1 and 0
  EXPECT_EQ(p.take(), (Lines{"b.1: -1", "b.0: 5 0", "b.1: 1"}));

  p.send(b, "size 0");
  p.take();
  p.send(b, "goto -1");
  p.send(b, "list 6 7");
  EXPECT_EQ(p.take(), (Lines{"b.1: -1", "b.1: 1"}));
  p.send(b, "size 1");
  EXPECT_EQ(p.take(), Lines{"b.0: 7"});
}

TEST_F(RkLbuf, ElementsAfterTheBufferAreDropped) {
  make("rklbuf 256 1");
  p.send(b, "goto 256"); // element 255
  p.take();
  p.send(b, "list 1 2 3");
  const Lines lines = p.take();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], buffer_line(std::vector<std::string>(255, "0"), 255) + " 1");
  EXPECT_EQ(lines[1], "b.1: 259");
  // Past the end: only the cursor moves.
  p.send(b, "list 4 5");
  EXPECT_EQ(p.take(), Lines{"b.1: 261"});
  p.send(b, "goto 1");
  p.send(b, "list 8");
  EXPECT_EQ(p.take(), (Lines{"b.1: 1", buffer_line({"8"}, 255) + " 1", "b.1: 2"}));
}

TEST_F(RkLbuf, InvalidSizesAreReportedAndChangeNothing) {
  make("rklbuf 2");
  p.send(b, "size 300");
  p.send(b, "size -1");
  p.send(b, "size 4294967298");
  p.send(b, "size 257");
  EXPECT_EQ(p.take(), (Lines{"error: lbuf: invalid buffer size (300)",
                             "error: lbuf: invalid buffer size (-1)",
                             "error: lbuf: invalid buffer size (4294967298)",
                             "error: lbuf: invalid buffer size (257)"}));
  p.send(b, "bang");
  EXPECT_EQ(p.take(), Lines{"b.0: 0 0"});
  p.send(b, "size 256");
  EXPECT_EQ(p.take(), Lines{buffer_line({}, 256)});
  p.send(b, "size 0");
  p.take();
  p.send(b, "list 5");
  EXPECT_EQ(p.take(), Lines{"b.1: 1"});
}

TEST_F(RkLbuf, InvalidCreationSizeStartsEmpty) {
  make("rklbuf 300 7");
  EXPECT_EQ(p.take(), Lines{"error: lbuf: invalid buffer size (300)"});
  p.send(b, "list 1");
  EXPECT_EQ(p.take(), Lines{"b.1: 8"});

  auto *n = p.make("n", "rklbuf -1");
  ASSERT_NE(n, nullptr);
  EXPECT_EQ(p.take(), Lines{"error: lbuf: invalid buffer size (-1)"});
}

TEST_F(RkLbuf, FloatsAreKeptInSinglePrecision) {
  make("rklbuf 3");
  std::vector<t_atom> seen;
  p.host().watch(b, 0, [&](t_symbol *, std::span<const t_atom> atoms) {
    seen.assign(atoms.begin(), atoms.end());
  });
  p.send(b, 0, gensym("float"), {kittest::float_atom(0.1)});
  p.send(b, 0, gensym("list"), {kittest::float_atom(1.0 / 3), kittest::float_atom(1e300)});
  ASSERT_EQ(seen.size(), 3u);
  ASSERT_EQ(seen[0].a_type, A_FLOAT);
  EXPECT_EQ(seen[0].a_w.w_float, static_cast<double>(0.1f));
  EXPECT_NE(seen[0].a_w.w_float, 0.1);
  ASSERT_EQ(seen[1].a_type, A_FLOAT);
  EXPECT_EQ(seen[1].a_w.w_float, static_cast<double>(1.0f / 3));
  // Beyond the range of a single-precision float: infinity, as the
  // conversion rounds it.
  ASSERT_EQ(seen[2].a_type, A_FLOAT);
  EXPECT_GT(seen[2].a_w.w_float, 3.5e38);
}

TEST_F(RkLbuf, ProxyInletsTakeGotoSizeAndBase) {
  make("rklbuf");
  auto &host = p.host();
  EXPECT_EQ(host.inlet_count(b), 4);
  EXPECT_EQ(host.outlet_count(b), 2);
  p.send(b, "2", 1);
  EXPECT_EQ(p.take(), Lines{"b.1: 2"});
  p.send(b, "3", 2);
  EXPECT_EQ(p.take(), Lines{"b.0: 0 0 0"});
  p.send(b, "10", 3);
  EXPECT_EQ(p.take(), Lines{"b.1: 12"});
  p.send(b, "300", 2);
  EXPECT_EQ(p.take(), Lines{"error: lbuf: invalid buffer size (300)"});
  p.send(b, "12", 1);
  p.send(b, "10", 3);
  EXPECT_EQ(p.take(), Lines{});
  p.send(b, "list 6");
  EXPECT_EQ(p.take(), (Lines{"b.0: 0 0 6", "b.1: 13"}));
}

TEST_F(RkLbuf, AssistTexts) {
  make("rklbuf");
  auto &host = p.host();
  EXPECT_EQ(host.assist(b, ASSIST_INLET, 0), "Elements (list, int, float, symbol)");
  EXPECT_EQ(host.assist(b, ASSIST_INLET, 1), "Set current index (int)");
  EXPECT_EQ(host.assist(b, ASSIST_INLET, 2), "Buffer size (int)");
  EXPECT_EQ(host.assist(b, ASSIST_INLET, 3), "Buffer base (int)");
  EXPECT_EQ(host.assist(b, ASSIST_INLET, 4), "???");
  EXPECT_EQ(host.assist(b, ASSIST_OUTLET, 0), "Entire buffer (list)");
  EXPECT_EQ(host.assist(b, ASSIST_OUTLET, 1), "Current index (int)");
  EXPECT_EQ(host.assist(b, ASSIST_OUTLET, 2), "???");
  EXPECT_EQ(host.assist(b, ASSIST_INLET, -1), "???");
}

TEST_F(RkLbuf, CursorWrapsWhileWritingAtTheTop) {
  make("rklbuf 2");
  p.send(b, "goto 2147483646");
  p.take();
  p.send(b, "list 1 2 3 4"); // elements 2147483646 .. 2147483649: none in the buffer
  EXPECT_EQ(p.take(), Lines{"b.1: -2147483646"});
  p.send(b, "seek 2147483646"); // back to element 0
  EXPECT_EQ(p.take(), Lines{"b.1: 0"});
  p.send(b, "list 5");
  EXPECT_EQ(p.take(), (Lines{"b.0: 5 0", "b.1: 1"}));
  p.send(b, "goto -2147483648");
  p.send(b, "list 6 7");
  EXPECT_EQ(p.take(), (Lines{"b.1: -2147483648", "b.1: -2147483646"}));
  p.send(b, "bang");
  EXPECT_EQ(p.take(), Lines{"b.0: 5 0"});
}

TEST(RkLbufChain, IndexDrivesAnotherBuffer) {
  Patch p;
  auto *src = p.make("s", "rklbuf 2");
  auto *dst = p.make("d", "rklbuf 3");
  ASSERT_NE(src, nullptr);
  ASSERT_NE(dst, nullptr);
  p.connect(src, 1, dst, 0);
  p.send(src, "list 4 5");
  EXPECT_EQ(p.take(), (Lines{"s.0: 4 5", "s.1: 2", "d.0: 2 0 0", "d.1: 1"}));
}

} // namespace
