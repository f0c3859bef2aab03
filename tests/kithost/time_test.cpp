// kithost's time: scripts run on logical time, a loop in a patch ends, and
// an idle host sleeps. kithost runs as a separate process whose standard
// input the test feeds, at once or line by line, and whose CPU time it reads.
#include "run_kithost.hpp"

#include <gtest/gtest.h>

#include <chrono>
#include <string>

using namespace kithost_test;

namespace {

/// Runs kithost with the kit's modules and the test modules, feeding it
/// `lines` with `pause` after each.
Result feed(const Lines &lines, std::chrono::milliseconds pause) {
  return feed_kithost({"--modules", KIT_MODULE_DIR, "--modules", test_modules()}, lines, pause);
}

Result feed_at_once(const Lines &lines) {
  return feed(lines, std::chrono::milliseconds(0));
}

TEST(KithostTime, ScriptOutputDoesNotDependOnHowFastLinesArrive) {
  // clang-format off
  const Lines script{
      "obj d delay 100",
      "obj m metro 30",
      "obj e kt-echo",
      "print d",
      "print m",
      "print e",
      "send d bang",
      "send m bang", // bangs at once, then every 30 ms of logical time
      "wait 0",      // the delay is not due: no time has passed
      "send e 1",
      "wait 99",
      "send e 2",
      "wait 1",      // the delay falls due at the end of this wait
      "send e 3",
      "send m stop",
      "send d bang",
      "wait 0",
      "free d",      // due in 100 ms: never fires
      "send e 4",
  };
  const Lines expected{
      "m.0: bang",
      "e.0: 1",
      "m.0: bang", "m.0: bang", "m.0: bang",
      "e.0: 2",
      "d.0: bang",
      "e.0: 3",
      "e.0: 4",
  };
  // clang-format on
  const Result at_once = feed_at_once(script);
  EXPECT_EQ(at_once.status, 0);
  EXPECT_EQ(at_once.err, Lines{});
  EXPECT_EQ(at_once.out, expected);
  // The pauses are longer than every wait: time between lines must not count.
  const Result slowly = feed(script, std::chrono::milliseconds(150));
  EXPECT_EQ(slowly.status, 0);
  EXPECT_EQ(slowly.err, Lines{});
  EXPECT_EQ(slowly.out, expected);
}

TEST(KithostTime, ChainedClocksFireAtTheirDueLogicalTime) {
  // Each round: a delay of 50 ms sets off another of 50 ms, and a wait of
  // 100 ms must see both, however late the first one ran.
  constexpr int rounds = 40;
  Lines script{"obj a delay 50",  "obj b delay 50", "obj e kt-echo",
               "connect a 0 b 0", "print b",        "print e"};
  Lines expected;
  for (int round = 1; round <= rounds; ++round) {
    script.insert(script.end(), {"send a bang", "wait 100", "send e " + std::to_string(round)});
    expected.insert(expected.end(), {"b.0: bang", "e.0: " + std::to_string(round)});
  }
  const Result fed = feed_at_once(script);
  EXPECT_EQ(fed.status, 0);
  EXPECT_EQ(fed.err, Lines{});
  EXPECT_EQ(fed.out, expected);
}

TEST(KithostTime, AZeroDelayLoopMovesTimeOnByOneMillisecondARun) {
  // The delay bangs itself with no delay: each bang comes at the next tick,
  // a millisecond on, so the wait ends, and the metro beside it keeps its
  // times (before the delay's bang at the same time, as it was armed first).
  const Lines bang_every_ms{"d.0: bang", "d.0: bang", "d.0: bang", "d.0: bang", "d.0: bang"};
  Lines expected{"m.0: bang"};
  for (int stretch = 0; stretch < 2; ++stretch) {
    expected.insert(expected.end(), bang_every_ms.begin(), bang_every_ms.end());
    expected.push_back("m.0: bang");
  }
  expected.push_back("d.0: bang");
  const Result fed =
      feed_at_once({"obj d delay 0", "obj m metro 5", "connect d 0 d 0", "print d", "print m",
                    "send m bang", "send d bang", "wait 10", "send d stop", "send m stop"});
  EXPECT_EQ(fed.status, 0);
  EXPECT_EQ(fed.err, Lines{});
  EXPECT_EQ(fed.out, expected);
}

TEST(KithostTime, AFeedbackLoopWithFanOutEndsAndTheHostGoesOn) {
  // Every int in makes several out, each of which comes back in.
  const std::string cut = "error: rk+cmd: messages nested more than 1000 deep (a loop in the "
                          "patch?); the chain is abandoned";
  const Result fed = feed_at_once({
      "obj c rk+cmd",
      "connect c 0 c 0",
      "send c 1",
      "obj d rk+cmd",
      "print d",
      "send d 1",
      "send c 2", // cut again: the limit holds for every delivery
      "send d bang",
  });
  EXPECT_EQ(fed.status, 0);
  EXPECT_EQ(fed.err, Lines{});
  EXPECT_EQ(fed.out, (Lines{cut, "d.0: 42", "d.0: 48", "d.0: 49", cut, "d.0: 35"}));
}

TEST(KithostTime, AFarClockLetsTheHostSleep) {
  // The CPU time of a one-second wait, less that of starting and ending, is
  // a small part of the second: the loop sleeps until the wait ends instead
  // of spinning on a wait it cannot compute. (Sleeping costs next to
  // nothing; a spinning loop gets a good part of a core even on a machine
  // shared with much other work.)
  auto cpu_for = [](const std::string &wait) {
    // The clock is stopped at the end, so that nothing is left pending.
    const Result fed = feed_at_once({"obj d delay 1e15", "send d bang", wait, "send d stop"});
    EXPECT_EQ(fed.status, 0);
    EXPECT_EQ(fed.err, Lines{});
    EXPECT_EQ(fed.out, Lines{});
    return fed.cpu_seconds;
  };
  const double idle = cpu_for("wait 1000") - cpu_for("wait 0");
  EXPECT_LT(idle, 0.1) << "CPU seconds spent in a one-second wait";
}

} // namespace
