// The visual host SDK's example externals, run in kithost as a user would
// run them: a script makes the object, sends what its help patch sends and
// the test reads what kithost printed.
#include "run_kithost.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

using namespace kithost_test;

namespace {

/// Runs a script (standard input) with the example modules; any console
/// error then fails the run.
Result run_script(const std::string &script, const std::vector<std::string> &options = {}) {
  std::vector<std::string> args{"--modules", SDK_EXAMPLE_MODULES, "--fail-on-error"};
  args.insert(args.end(), options.begin(), options.end());
  return run_kithost(args, script);
}

/// Runs a script whose errors are part of what it checks.
Result run_with_errors(const std::string &script, const std::vector<std::string> &options = {}) {
  std::vector<std::string> args{"--modules", SDK_EXAMPLE_MODULES};
  args.insert(args.end(), options.begin(), options.end());
  return run_kithost(args, script);
}

/// The lines that start with `prefix`.
Lines starting_with(const Lines &lines, const std::string &prefix) {
  Lines found;
  std::copy_if(lines.begin(), lines.end(), std::back_inserter(found),
               [&](const std::string &line) { return line.rfind(prefix, 0) == 0; });
  return found;
}

/// The assist texts kithost --describe prints for an object of the class.
Lines described_places(const std::string &class_name) {
  Result run = run_kithost({"--modules", SDK_EXAMPLE_MODULES, "--describe", class_name});
  EXPECT_EQ(run.status, 0);
  Lines places;
  // "  INDEX: TEXT", after the messages.
  std::copy_if(run.out.begin(), run.out.end(), std::back_inserter(places),
               [](const std::string &line) {
                 return line.size() > 3 && line.rfind("  ", 0) == 0 &&
                        std::isdigit(static_cast<unsigned char>(line[2]));
               });
  return places;
}

/// The numbers of "NAME.OUTLET: N" lines, in order.
std::vector<long> numbers_of(const Lines &lines, const std::string &outlet) {
  std::vector<long> numbers;
  for (const std::string &line : starting_with(lines, outlet + ": ")) {
    const std::string text = line.substr(outlet.size() + 2);
    if (!text.empty() && (std::isdigit(static_cast<unsigned char>(text[0])) || text[0] == '-'))
      numbers.push_back(std::stol(text));
  }
  return numbers;
}

TEST(SdkExamples, SimplemaxPostsItsArgumentsByType) {
  Result run = run_script("obj s simplemax 7 2.5 foo\nfree s\n");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.err, Lines{});
  ASSERT_EQ(run.out.size(), 6u);
  EXPECT_EQ(run.out[0], "post: I am the simplemax object");
  // The object's lines carry its class name; the address differs per run.
  EXPECT_EQ(run.out[1].rfind("post: simplemax: a new simplemax object was instantiated: 0x", 0), 0u)
      << run.out[1];
  EXPECT_EQ(
      Lines(run.out.begin() + 2, run.out.end()),
      (Lines{"post: simplemax: it has 3 arguments", "post: simplemax: arg 0: long (7)",
             "post: simplemax: arg 1: float (2.500000)", "post: simplemax: arg 2: symbol (foo)"}));
}

TEST(SdkExamples, AssistTextsOfTheirInletsAndOutlets) {
  EXPECT_EQ(described_places("simplemax"), (Lines{"  0: I am inlet 0"}));
  EXPECT_EQ(described_places("plussz"), (Lines{"  0: Inlet 0: Left Operand (Causes Output)",
                                               "  1: Inlet 1: Right Operand (Added to Left)",
                                               "  0: Sum of Left and Right Inlets"}));
  EXPECT_EQ(described_places("plussz2"), (Lines{"  0: Inlet 0: Left Operand (Causes Output)",
                                                "  1: Inlet 1: Right Operand (Added to Left)",
                                                "  0: Sum of Left and Right Inlets"}));
  EXPECT_EQ(described_places("delay2"),
            (Lines{"  0: bang Gets Delayed, stop Cancels", "  1: Set Delay Time",
                   "  0: Delayed bang", "  1: Another Delayed bang"}));
}

// dummy: a number in is stored and sent out, a symbol too; "identify" tells
// its name (an argument, the attribute "name", or a unique symbol).
TEST(SdkExamples, DummyStoresWhatComesInAndKnowsItsName) {
  Result run = run_with_errors("obj d dummy foo\nprint d\nsend d 5\nsend d 2.5\n"
                               "send d identify\nsend d xyzzy\nsend d hello\nsend d bang\n"
                               "send d name bar\nsend d identify\nsend d blooop\n"
                               "obj e dummy\nsend e identify\n");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.err, Lines{});
  ASSERT_EQ(run.out.size(), 9u) << testing::PrintToString(run.out);
  EXPECT_EQ(Lines(run.out.begin(), run.out.begin() + 8),
            (Lines{"d.0: 5", "d.0: 2.5", "post: dummy: my name is foo",
                   "post: dummy: A hollow voice says 'Plugh'", "d.0: hello", "d.0: hello",
                   "post: dummy: my name is bar",
                   // A_CANT methods are the host's to call, never a message's.
                   "error: dummy: doesn't understand \"blooop\""}));
  EXPECT_EQ(run.out[8].rfind("post: dummy: my name is u", 0), 0u) << run.out[8];
}

// attrtester: attributes set by "@max 2" and by messages; max clipped to
// 0..100 by a filter, min through its own setter (never above max).
TEST(SdkExamples, AttrtesterClipsThroughItsAttributes) {
  Result run = run_script("obj a attrtester @max 2\nprint a\n"
                          "send a 5\n"                                  // no limits used: 5
                          "send a usemax 1\nsend a 5\n"                 // max 2
                          "send a max 500\nsend a 500\n"                // max clipped to 100
                          "send a min 3\nsend a usemin 1\nsend a -10\n" // min 3
                          "send a min 200\nsend a -10\n" // refused by the setter: still 3
                          "send a 7.9\n"                 // floats are truncated
                          "send a val 9\nsend a bang\n");
  EXPECT_EQ(run.status, 0) << testing::PrintToString(run.out);
  EXPECT_EQ(run.out, (Lines{"post: I am the attrtester object", "a.0: 5", "a.0: 2", "a.0: 100",
                            "a.0: 3", "a.0: 3", "a.0: 7", "a.0: 9"}));
}

// collect: numbers (arguments, ints, floats, lists) are kept until a bang
// sends them as one list and clears them.
TEST(SdkExamples, CollectGathersNumbersUntilABang) {
  Result run = run_script("obj c collect 101 102 103\nprint c\nsend c count\nsend c bang\n"
                          "send c count\nsend c 21 -9.1\nsend c 3\nsend c 6.5\nsend c bang\n"
                          "send c 1\nsend c clear\nsend c bang\nsend c count\n");
  EXPECT_EQ(run.status, 0) << testing::PrintToString(run.out);
  EXPECT_EQ(run.out,
            (Lines{"c.0: 3", "c.0: 101 102 103", "c.0: 0", "c.0: 21 -9.1 3 6.5", "c.0: 0"}));
}

// plussz adds its right inlet (an int inlet) to the left one; plussz2's
// right inlet is a proxy that takes floats too, and it says which inlet a
// number came in by.
TEST(SdkExamples, PlusszAddsItsInlets) {
  Result run = run_script("obj p plussz 5\nprint p\nsend p 3\nsend p:1 10\nsend p 1\n"
                          "send p bang\nsend p:1 2.7\nsend p bang\n");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(starting_with(run.out, "p.0: "), (Lines{"p.0: 8", "p.0: 11", "p.0: 11", "p.0: 3"}));

  run = run_script("obj p plussz2 5\nprint p\nsend p 3\nsend p:1 2.5\nsend p 1\n"
                   "send p:1 4\nsend p bang\n");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(Lines(run.out.begin() + 2, run.out.end()),
            (Lines{"post: int came in via inlet 0", "p.0: 3", "post: float came in via inlet 1",
                   "post: int came in via inlet 0", "p.0: 3.5", "post: int came in via inlet 1",
                   "p.0: 5"}));
}

// urner: each bang draws a number not drawn before; when all are drawn the
// right outlet bangs; reset puts them back. Without a size it refuses.
TEST(SdkExamples, UrnerDrawsEachNumberOnce) {
  std::string script = "obj u urner 5\nprint u\n";
  for (int i = 0; i < 6; ++i)
    script += "send u bang\n";
  script += "send u reset\nsend u bang\n";
  Result run = run_script(script);
  EXPECT_EQ(run.status, 0);
  const std::vector<long> drawn = numbers_of(run.out, "u.0");
  ASSERT_EQ(drawn.size(), 6u) << testing::PrintToString(run.out);
  std::vector<long> first(drawn.begin(), drawn.begin() + 5);
  std::sort(first.begin(), first.end());
  EXPECT_EQ(first, (std::vector<long>{0, 1, 2, 3, 4}));
  EXPECT_GE(drawn[5], 0);
  EXPECT_LT(drawn[5], 5);
  EXPECT_EQ(starting_with(run.out, "u.1: "), Lines{"u.1: bang"});

  run = run_with_errors("obj v urner\n");
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.err, Lines{"kithost: <stdin>:1: obj v: urner: could not create object"});
}

// simpletext: "read FILE" finds the file on the search path and reads it
// (later, on the low-priority queue); "read" alone asks the open dialog.
TEST(SdkExamples, SimpletextReadsFilesFoundOrChosen) {
  TempDir dir;
  const auto file = dir.write("notes.txt", "one\ntwo\n");
  Result run = run_script("obj t simpletext\nsend t read notes.txt\nwait 0\nsend t read\nwait 0\n",
                          {"--path", dir.path().string(), "--dialog", file.string()});
  EXPECT_EQ(run.status, 0) << testing::PrintToString(run.out);
  EXPECT_EQ(run.out, Lines{});

  run = run_with_errors("obj t simpletext\nsend t read nothere.txt\nwait 0\n",
                        {"--path", dir.path().string()});
  EXPECT_EQ(run.out, Lines{"error: simpletext: can't find file nothere.txt"});
}

// delay2: a bang comes out of both outlets the delay time later (a note
// value on the transport's tempo, 120 bpm: a quarter note is 500 ms); a
// number sets the time and starts it; stop cancels.
TEST(SdkExamples, Delay2BangsAfterItsDelayTime) {
  Result run = run_script(
      "obj d delay2\nprint d\nsend d delaytime 4n\nsend d bang\nwait 499\nsend d stop\n");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, Lines{});
  run = run_script("obj d delay2\nprint d\nsend d delaytime 4n\nsend d bang\nwait 500\n");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, (Lines{"d.0: bang", "d.1: bang"}));

  run = run_script("obj d delay2\nprint d\nsend d 100\nwait 100\nsend d bang\nwait 50\n"
                   "send d stop\nwait 1000\n");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, (Lines{"d.0: bang", "d.1: bang"}));
}

// The help patch: "sleeptime", "foo", a button to start the thread and
// "cancel" to stop it; the thread counts "foo" up and the main thread sends
// each count out, through the qelem the thread sets.
TEST(SdkExamples, SimplethreadCountsOnItsThreadAndOutputsOnTheMainOne) {
  Result run = run_script("obj t simplethread\n"
                          "print t\n"
                          "send t sleeptime 10\n"
                          "send t foo 100\n"
                          "send t bang\n"
                          "wait 1000\n"
                          "send t cancel\n"
                          "wait 50\n"
                          "free t\n");
  // --fail-on-error: no console error, so no outlet was called off the main
  // thread (checking builds report it).
  EXPECT_EQ(run.status, 0) << testing::PrintToString(run.out);
  EXPECT_EQ(run.err, Lines{});
  EXPECT_EQ(starting_with(run.out, "post: "),
            (Lines{"post: starting a new thread", "post: stopping our thread"}));
  const std::vector<long> counts = numbers_of(run.out, "t.0");
  ASSERT_FALSE(counts.empty()) << "no count came out in a second";
  EXPECT_GT(counts.front(), 100);
  EXPECT_TRUE(std::is_sorted(counts.begin(), counts.end()) &&
              std::adjacent_find(counts.begin(), counts.end()) == counts.end())
      << "counts must rise: " << testing::PrintToString(counts);
  EXPECT_EQ(std::count(run.out.begin(), run.out.end(), "t.0: cancelled"), 1);
}

TEST(SdkExamples, SimplethreadRestartsAndIsFreedWhileItsThreadRuns) {
  Result run = run_script("obj t simplethread\n"
                          "send t sleeptime 10\n"
                          "send t bang\n"
                          "wait 30\n"
                          "send t bang\n"
                          "wait 30\n"
                          "free t\n"
                          "wait 30\n");
  EXPECT_EQ(run.status, 0) << testing::PrintToString(run.out);
  EXPECT_EQ(run.err, Lines{});
  EXPECT_EQ(run.out, (Lines{"post: starting a new thread", "post: stopping our thread",
                            "post: starting a new thread", "post: stopping our thread"}));
}

// Each help patch loads with the example's box made: boxes kithost has no
// stand-in for (number boxes, the transport) are left out, the rest runs.
class HelpPatches : public ::testing::TestWithParam<const char *> {};

TEST_P(HelpPatches, LoadWithTheExamplesBoxMade) {
  const std::string path = GetParam();
  const std::string class_name = path.substr(path.rfind('/') + 1);
  Result run = run_kithost({"--modules", SDK_EXAMPLE_MODULES, "--run", "0",
                            std::string(SDK_EXAMPLES_DIR) + "/" + path + ".maxhelp"});
  EXPECT_EQ(run.status, 0) << testing::PrintToString(run.err);
  for (const std::string &line : run.err)
    EXPECT_EQ(line.find("('" + class_name), std::string::npos) << line;
  for (const std::string &line : run.out)
    EXPECT_EQ(line.rfind("error: ", 0), std::string::npos) << line;
}

INSTANTIATE_TEST_SUITE_P(SdkExamples, HelpPatches,
                         ::testing::Values("basics/attrtester/attrtester", "basics/delay2/delay2",
                                           "basics/dummy/dummy", "basics/plussz/plussz",
                                           "basics/plussz2/plussz2", "basics/simplemax/simplemax",
                                           "basics/simpletext/simpletext", "basics/urner/urner",
                                           "advanced/collect/collect",
                                           "advanced/simplethread/simplethread"),
                         [](const auto &info) {
                           const std::string path = info.param;
                           return path.substr(path.rfind('/') + 1);
                         });

} // namespace
