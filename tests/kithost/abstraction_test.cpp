// Abstractions and bpatchers in patcher files: a box naming a patcher file
// is built as a subpatcher with #1..#9 replaced by its arguments, found in
// the folder of the patcher naming it or on the search path; a patcher that
// includes itself, or one that is broken, is left out with a clear line.
#include "patcher_json.hpp"
#include "run_kithost.hpp"

#include <gtest/gtest.h>

using namespace kithost_test;
namespace fs = std::filesystem;

namespace {

/// An abstraction: inlet -> message box TEXT -> outlet.
std::string relay(const std::string &text) {
  return file({box("in", "inlet", ""), box("m", "message", text), box("out", "outlet", "")},
              {line("in", 0, "m", 0), line("m", 0, "out", 0)});
}

/// A patch whose loadbang sends `value` into the box with `text` (or the
/// box `extra` describes), printing what comes out as "out".
std::string driver(const std::string &value, const std::string &maxclass, const std::string &text,
                   const std::string &extra = {}) {
  return file({box("lb", "newobj", "loadbang"), box("v", "message", value),
               box("a", maxclass, text, 0, extra), box("p", "newobj", "print out")},
              {line("lb", 0, "v", 0), line("v", 0, "a", 0), line("a", 0, "p", 0)});
}

class Abstraction : public ::testing::Test {
protected:
  Result run(const std::string &top, std::vector<std::string> options = {}) {
    path = dir.write("top.maxpat", top);
    std::vector<std::string> args{"--modules", test_modules()};
    args.insert(args.end(), options.begin(), options.end());
    args.push_back(path.string());
    return run_kithost(args, {}, dir.path());
  }
  std::string where() const { return "kithost: " + path.string() + ": "; }

  TempDir dir;
  fs::path path;
};

TEST_F(Abstraction, ArgumentsReplaceNumberedPlacesAnywhereInItsBoxes) {
  // #1 a float as written, #2 a quoted symbol with a blank, #3 missing;
  // in an object box's name too, and inside a word.
  dir.write("tagger.maxpat",
            file({box("in", "inlet", ""), box("m", "message", "#2 $1 #1 #3 x#1"),
                  box("out", "outlet", ""), box("p", "newobj", "print #2-seen")},
                 {line("in", 0, "m", 0), line("m", 0, "out", 0), line("in", 0, "p", 0)}));
  const Result result = run(driver("7", "newobj", R"(tagger 2. \"a b\")"));
  EXPECT_EQ(result.status, 0) << ::testing::PrintToString(result.err);
  EXPECT_EQ(result.err, Lines{});
  EXPECT_EQ(result.out, (Lines{R"(post: out: "a b" 7 2 0 x2.)", "post: a b-seen: 7"}));
}

TEST_F(Abstraction, IsFoundOnTheSearchPathAndLosesToAClass) {
  const TempDir library;
  library.write("doubler.maxpat", relay("$1 $1"));
  // A patcher file named like a class does not replace the class.
  dir.write("print.maxpat", relay("not this"));
  const std::string top = driver("3", "newobj", "doubler");
  Result result = run(top, {"--path", library.path().string()});
  EXPECT_EQ(result.status, 0) << ::testing::PrintToString(result.err);
  EXPECT_EQ(result.out, Lines{"post: out: 3 3"});
  // Without the folder on the search path the box cannot be made.
  result = run(top);
  EXPECT_EQ(result.out, Lines{});
  ASSERT_EQ(result.err.size(), 2u) << ::testing::PrintToString(result.err);
  EXPECT_EQ(result.err[0].rfind(where() + "box 'a' ('doubler'): no module", 0), 0u)
      << result.err[0];
}

TEST_F(Abstraction, NestedOnesLookInTheirOwnFolderAndFireTheirLoadbangs) {
  const TempDir library;
  library.write("outer.maxpat", file({box("in", "inlet", ""), box("i", "newobj", "inner #1"),
                                      box("out", "outlet", "")},
                                     {line("in", 0, "i", 0), line("i", 0, "out", 0)}));
  library.write(
      "inner.maxpat",
      file({box("in", "inlet", ""), box("m", "message", "inner #1 $1"), box("out", "outlet", ""),
            box("lb", "newobj", "loadbang"), box("p", "newobj", "print loaded")},
           {line("in", 0, "m", 0), line("m", 0, "out", 0), line("lb", 0, "p", 0)}));
  const Result result =
      run(driver("1", "newobj", "outer deep"), {"--path", library.path().string()});
  EXPECT_EQ(result.status, 0) << ::testing::PrintToString(result.err);
  EXPECT_EQ(result.out, (Lines{"post: loaded: bang", "post: out: inner deep 1"}));
}

TEST_F(Abstraction, BpatchersLoadTheirFileOrTheirEmbeddedCopy) {
  dir.write("shown.maxpat", relay("shown #1 $1"));
  Result result = run(driver("4", "bpatcher", "", R"("name": "shown.maxpat", "args": [9, "x y"])"));
  EXPECT_EQ(result.status, 0) << ::testing::PrintToString(result.err);
  EXPECT_EQ(result.out, Lines{"post: out: shown 9 4"});
  const std::string embedded =
      std::string(R"("name": "gone.maxpat", "embed": 1, "args": [5], )") + R"("patcher": )" +
      patcher({box("in", "inlet", ""), box("m", "message", "kept #1 $1"), box("out", "outlet", "")},
              {line("in", 0, "m", 0), line("m", 0, "out", 0)});
  result = run(driver("6", "bpatcher", "", embedded));
  EXPECT_EQ(result.status, 0) << ::testing::PrintToString(result.err);
  EXPECT_EQ(result.out, Lines{"post: out: kept 5 6"});
}

TEST_F(Abstraction, OneThatIncludesItselfIsLeftOutOrRefused) {
  dir.write("selfish.maxpat", file({box("me", "newobj", "selfish")}, {}));
  dir.write("ping.maxpat", file({box("b", "newobj", "pong")}, {}));
  dir.write("pong.maxpat", file({box("b", "newobj", "ping")}, {}));
  const std::string top = file({box("s", "newobj", "selfish"), box("i", "newobj", "ping"),
                                box("lb", "newobj", "loadbang"), box("p", "newobj", "print")},
                               {line("lb", 0, "p", 0)});
  Result result = run(top);
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out, Lines{"post: print: bang"});
  const std::string selfish = (dir.path() / "selfish.maxpat").string();
  ASSERT_EQ(result.err.size(), 3u) << ::testing::PrintToString(result.err);
  EXPECT_EQ(result.err[0], "kithost: " + selfish + ": box 'me' ('selfish'): " + selfish +
                               " includes itself (selfish.maxpat > selfish.maxpat); left out");
  EXPECT_NE(result.err[1].find("includes itself (ping.maxpat > pong.maxpat > ping.maxpat)"),
            std::string::npos)
      << result.err[1];
  // The top patcher counts the boxes that hold the loops.
  EXPECT_EQ(result.err[2], where() + "2 of 7 boxes left out (could not be made here)");
  result = run(top, {"--strict"});
  EXPECT_EQ(result.status, 2);
  ASSERT_EQ(result.err.size(), 1u) << ::testing::PrintToString(result.err);
  EXPECT_NE(result.err[0].find("includes itself"), std::string::npos) << result.err[0];
}

TEST_F(Abstraction, ABrokenOneIsLeftOutWithEverythingItMade) {
  // The subpatcher of the broken one was whole, with its loadbang, before
  // the bad line was read: it goes with the rest and never fires.
  const std::string whole =
      patcher({box("lb", "newobj", "loadbang"), box("p", "newobj", "print inside")},
              {line("lb", 0, "p", 0)});
  dir.write("broken.maxpat", file({box("sub", "newobj", "p whole", 0, R"("patcher": )" + whole),
                                   box("lb", "newobj", "loadbang")},
                                  {line("lb", 0, "lb", 0), line("lb", 0, "nowhere", 0)}));
  dir.write("garbled.maxpat", "{\"patcher\": {\n  \"boxes\": [}}");
  const Result result = run(file({box("b", "newobj", "broken"), box("g", "newobj", "garbled"),
                                  box("lb", "newobj", "loadbang"), box("p", "newobj", "print")},
                                 {line("lb", 0, "p", 0)}));
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out, Lines{"post: print: bang"});
  ASSERT_EQ(result.err.size(), 3u) << ::testing::PrintToString(result.err);
  EXPECT_EQ(result.err[0], where() +
                               "box 'b' ('broken'): " + (dir.path() / "broken.maxpat").string() +
                               ": /patcher/lines/1/patchline/destination: no box 'nowhere' in "
                               "this patcher; left out");
  EXPECT_EQ(result.err[1].rfind(
                where() + "box 'g' ('garbled'): " + (dir.path() / "garbled.maxpat").string() +
                    ":2:13: malformed JSON: ",
                0),
            0u)
      << result.err[1];
  EXPECT_EQ(result.err[2], where() + "2 of 4 boxes left out (could not be made here)");
}

TEST_F(Abstraction, WhatItCannotMakeIsReportedOnceForAllItsCopies) {
  dir.write("part.maxpat", file({box("t", "jsui", ""), box("p", "newobj", "print")}, {}));
  const Result result = run(file(
      {box("a", "newobj", "part"), box("b", "newobj", "part"), box("c", "newobj", "part")}, {}));
  EXPECT_EQ(result.status, 0);
  ASSERT_EQ(result.err.size(), 2u) << ::testing::PrintToString(result.err);
  EXPECT_EQ(result.err[0], "kithost: " + (dir.path() / "part.maxpat").string() +
                               ": box 't': the box kind 'jsui' cannot run here; left out");
  EXPECT_EQ(result.err[1], where() + "3 of 9 boxes left out (could not be made here)");
}

TEST_F(Abstraction, OnesThatMultiplyAreRefusedAtABound) {
  // Ten of the next in each of six files: a million prints asked for.
  for (int level = 0; level < 6; ++level) {
    std::vector<std::string> boxes;
    for (int i = 0; i < 10; ++i)
      boxes.push_back(box("b" + std::to_string(i), "newobj",
                          level == 5 ? "print" : "level" + std::to_string(level + 1)));
    dir.write("level" + std::to_string(level) + ".maxpat", file(boxes, {}));
  }
  const Result result = run(file({box("top", "newobj", "level0")}, {}));
  EXPECT_EQ(result.status, 2);
  ASSERT_EQ(result.err.size(), 1u) << ::testing::PrintToString(result.err);
  EXPECT_NE(result.err[0].find("the patch would make more than 100000 objects"), std::string::npos)
      << result.err[0];
}

} // namespace
