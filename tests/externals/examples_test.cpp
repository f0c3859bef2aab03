// The visual host SDK's example externals, run in kithost as a user would
// run them: a script makes the object, sends what its help patch sends and
// the test reads what kithost printed.
#include "run_kithost.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

using namespace kithost_test;

namespace {

/// Runs a script (standard input) with the example modules.
Result run_script(const std::string &script, const std::vector<std::string> &options = {}) {
  std::vector<std::string> args{"--modules", SDK_EXAMPLE_MODULES, "--fail-on-error"};
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

TEST(SdkExamples, SimplemaxAnswersAssistForItsInlet) {
  Result run = run_kithost({"--modules", SDK_EXAMPLE_MODULES, "--describe", "simplemax"});
  EXPECT_EQ(run.status, 0);
  const Lines inlet = starting_with(run.out, "  0: ");
  EXPECT_EQ(inlet, (Lines{"  0: I am inlet 0"}));
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

} // namespace
