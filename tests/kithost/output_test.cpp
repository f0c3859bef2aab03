// What kithost prints and how a run ends: every symbol written so that it
// reads back (selectors too) on one line, numbers past a float's range, the
// classes --list names, the reference page's escapes, and the exit status
// when standard output cannot be written or a script quits.
#include "run_kithost.hpp"

#include "patch.hpp"

#include <gtest/gtest.h>

#include <algorithm>

using namespace kithost_test;
namespace fs = std::filesystem;

namespace {

bool contains(const Lines &lines, const std::string &line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

class Output : public ::testing::Test {
protected:
  fs::path script_file(const std::string &text) { return dir.write("script.kit", text); }
  Result script(const std::string &text, std::vector<std::string> options = {}) {
    std::vector<std::string> args{"--modules", test_modules()};
    args.insert(args.end(), options.begin(), options.end());
    args.push_back(script_file(text).string());
    return run_kithost(args, {}, dir.path());
  }

  TempDir dir;
};

TEST_F(Output, SelectorsAreSymbolsAndEverySymbolStaysOnItsLine) {
  const fs::path chosen = dir.write("two\nlines.txt", "x");
  Result run = script(R"(obj e kt-echo
print e
send e "a b" 1
send e "" 2
send e "q\"x" "b\\s"
send e dialog
)",
                      {"--dialog", chosen.string()});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.err, Lines{});
  EXPECT_EQ(run.out, (Lines{R"(e.0: "a b" 1)", R"(e.0: "" 2)", R"(e.0: "q\"x" "b\\s")",
                            R"(e.1: chosen "two\nlines.txt")"}));

  // The patcher's print box writes messages the same way.
  const fs::path patch = dir.write(
      "test.maxpat",
      R"({"patcher": {"boxes": [{"box": {"id": "l", "maxclass": "newobj", "text": "loadbang"}},
        {"box": {"id": "m", "maxclass": "message", "text": "\"two\nlines\" \"a\rb\" 1"}},
        {"box": {"id": "p", "maxclass": "newobj", "text": "print"}}],
        "lines": [{"patchline": {"source": ["l", 0], "destination": ["m", 0]}},
                  {"patchline": {"source": ["m", 0], "destination": ["p", 0]}}]}})");
  run = run_kithost({"--modules", test_modules(), patch.string()});
  EXPECT_EQ(run.status, 0) << ::testing::PrintToString(run.err);
  EXPECT_EQ(run.out, Lines{R"(post: print: "two\nlines" "a\rb" 1)"});
}

TEST_F(Output, NumbersPastAFloatsRangeAreZeroOrInfinite) {
  Result run = script(R"(obj e kt-echo
print e
send e 1e-400 1e999 -1e999 1e308 4e-320
send e 1e999
send e x -0.5e-999
)");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, (Lines{"e.0: 0 inf -inf 1e+308 3.99996e-320", "e.0: inf", "e.0: x -0"}));
}

TEST_F(Output, QuitEndsTheRunBeforeTheRunTime) {
  Result run = script("obj e kt-echo\nprint e 1\nsend e later 5\nquit\n", {"--run", "100"});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, Lines{});
  // Without quit, the run time lets the clock fire.
  run = script("obj e kt-echo\nprint e 1\nsend e later 5\n", {"--run", "100"});
  EXPECT_EQ(run.out, Lines{"e.1: tick 1"});
}

TEST_F(Output, AFullStandardOutputFailsTheRun) {
  const std::string script_path = script_file("obj e kt-echo\nprint e\nsend e 1\n").string();
  const std::string failed = "kithost: cannot write standard output (No space left on device)";
  Launch to_full;
  to_full.stdout_to = "/dev/full";
  for (const std::vector<std::string> &args :
       {std::vector<std::string>{"--modules", test_modules(), script_path},
        {"--modules", test_modules(), "--list"},
        {"--modules", test_modules(), "--describe", "kt-echo"},
        {"--help"}}) {
    Result run = run_kithost(args, to_full);
    EXPECT_EQ(run.status, 2) << args.back();
    EXPECT_EQ(run.err, Lines{failed}) << args.back();
  }
  // Nothing written, nothing lost.
  Result run =
      run_kithost({"--modules", test_modules(), script_file("# quiet\n").string()}, to_full);
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.err, Lines{});
}

TEST_F(Output, ListNamesOnlyTheClassesThatLoad) {
  TempDir broken;
  broken.write("kt-garbage.so", "not a library");
  fs::copy_file(fs::path(test_modules()) / "kt-echo.so", broken.path() / "kt-renamed.so");
  Result run =
      run_kithost({"--modules", test_modules(), "--modules", broken.path().string(), "--list"});
  EXPECT_EQ(run.status, 0);
  EXPECT_TRUE(contains(run.out, "kt-echo")) << ::testing::PrintToString(run.out);
  EXPECT_FALSE(contains(run.out, "kt-garbage"));
  EXPECT_FALSE(contains(run.out, "kt-renamed"));
  ASSERT_EQ(run.err.size(), 2u) << ::testing::PrintToString(run.err);
  EXPECT_EQ(run.err[0].rfind("kithost: not listed: cannot load module " +
                                 (broken.path() / "kt-garbage.so").string() + ": ",
                             0),
            0u)
      << run.err[0];
  EXPECT_EQ(run.err[1], "kithost: not listed: module " +
                            (broken.path() / "kt-renamed.so").string() +
                            " did not register a class named \"kt-renamed\"");
}

TEST_F(Output, DescribeWantsAClassName) {
  Result run = run_kithost({"--modules", test_modules(), "--describe", ""}, "obj e kt-echo\n");
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.out, Lines{});
  EXPECT_EQ(run.err, Lines{"kithost: --describe: the class name is empty (see --help)"});
}

TEST_F(Output, TheReferencePageShowsAssistTextsAsWritten) {
  ASSERT_TRUE(kittest::module_built("mensor"));
  Result run = run_kithost({"--describe", "mensor", "--markdown"});
  EXPECT_EQ(run.status, 0);
  EXPECT_TRUE(contains(run.out, R"(| 0 | mensor \<int> |)")) << ::testing::PrintToString(run.out);
}

} // namespace
