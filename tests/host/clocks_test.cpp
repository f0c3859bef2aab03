// Clocks and deferred calls under the manual clock, and the logical and real
// clocks' time.
#include "patch.hpp"
#include "probe.hpp"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <thread>
#include <unistd.h>

using kittest::Lines;
using kittest::Patch;

namespace {

class Clocks : public ::testing::Test {
protected:
  void SetUp() override {
    hosttest::define_test_classes();
    start = p.host().now();
  }
  // Lines with logical times made relative to the test's start.
  Lines fired() {
    Lines lines = p.take();
    for (std::string &line : lines) {
      auto at = line.find(" fired at ");
      if (at != std::string::npos) {
        // Rounded off the printed digits; + 0.0 turns -0 into 0.
        const double t = std::round((std::stod(line.substr(at + 10)) - start) * 1e5) / 1e5 + 0.0;
        char text[64];
        std::snprintf(text, sizeof text, "%g", t);
        line = line.substr(0, at + 10) + text;
      }
    }
    return lines;
  }
  Patch p;
  double start = 0;
};

TEST_F(Clocks, FireInTimeOrderWithTiesInArmingOrder) {
  t_object *a = p.make("a", "test-timer a");
  t_object *b = p.make("b", "test-timer b");
  t_object *c = p.make("c", "test-timer c");
  p.send(a, "delay 30");
  p.send(b, "fdelay 10.5");
  p.send(c, "delay 30");
  p.advance(10);
  EXPECT_TRUE(fired().empty());
  p.advance(100);
  EXPECT_EQ(fired(),
            (Lines{"post: b fired at 10.5", "post: a fired at 30", "post: c fired at 30"}));
  EXPECT_DOUBLE_EQ(p.host().now() - start, 110);
}

TEST_F(Clocks, RearmingMovesAClockAndUnsetCancelsIt) {
  t_object *a = p.make("a", "test-timer a");
  t_object *b = p.make("b", "test-timer b");
  p.send(a, "delay 5");
  p.send(a, "delay 20");
  p.send(b, "delay 10");
  p.send(b, "unset");
  p.send(b, "unset");
  p.advance(50);
  EXPECT_EQ(fired(), Lines{"post: a fired at 20"});
}

TEST_F(Clocks, NegativeDelaysMeanNow) {
  t_object *a = p.make("a", "test-timer a");
  p.send(a, "delay -5");
  p.advance(0);
  EXPECT_EQ(fired(), Lines{"post: a fired at 0"});
}

TEST_F(Clocks, FreeobjectOnAClockCancelsAndFreesIt) {
  t_object *a = p.make("a", "test-timer a");
  p.send(a, "delay 5");
  p.send(a, "kill");
  p.advance(10);
  EXPECT_TRUE(fired().empty());
}

TEST_F(Clocks, FreeingAnObjectCancelsClocksItForgotToFree) {
  t_object *leaky = p.make("l", "test-timer leaky");
  t_object *tidy = p.make("t", "test-timer tidy");
  p.send(leaky, "delay 5");
  p.send(tidy, "delay 5");
  p.free(leaky);
  p.free(tidy);
  p.advance(10);
  EXPECT_TRUE(fired().empty());
}

TEST_F(Clocks, UsingAFreedClockIsReportedNotFollowed) {
  t_clock *clock = clock_new(nullptr, reinterpret_cast<method>(+[](void *) {}));
  freeobject(static_cast<t_object *>(clock));
  p.take();
  clock_delay(clock, 1);
  Lines lines = p.take();
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_TRUE(lines[0].starts_with("error: clock_delay: ")) << lines[0];
  EXPECT_TRUE(lines[0].ends_with(" is not a clock")) << lines[0];
}

TEST_F(Clocks, DeferredCallsRunLaterWithACopyOfTheirAtoms) {
  t_object *a = p.make("a", "test-timer a");
  p.send(a, "defer 1 two 3.5");
  p.send(a, "defer");
  EXPECT_TRUE(p.take().empty());
  p.advance(0);
  EXPECT_EQ(p.take(), (Lines{"post: a deferred later [1 two 3.5]", "post: a deferred later []"}));
}

TEST_F(Clocks, DeferredCallsOfAFreedObjectAreDropped) {
  t_object *a = p.make("a", "test-timer a");
  t_object *b = p.make("b", "test-timer b");
  p.send(a, "defer 1");
  p.send(b, "defer 2");
  p.free(a);
  p.advance(0);
  EXPECT_EQ(p.take(), Lines{"post: b deferred later [2]"});
}

TEST_F(Clocks, AZeroDelayArmedInsideTheLoopFallsDueAtTheNextTick) {
  // a arms itself again from a deferred call, with no delay, far more often
  // than the run has milliseconds: each time it falls due one interval (1 ms)
  // later, so the run ends on time, and b's clock beside it runs at its own
  // time, after the clock armed before it.
  t_object *a = p.make("a", "test-timer a");
  t_object *b = p.make("b", "test-timer b");
  p.send(a, "bounce 100000");
  p.send(a, "delay 0");
  p.send(b, "delay 2");
  p.advance(3);
  EXPECT_EQ(fired(), (Lines{"post: a fired at 0", "post: a fired at 1", "post: b fired at 2",
                            "post: a fired at 2", "post: a fired at 3"}));
  EXPECT_EQ(p.host().now() - start, 3);
  p.send(a, "unset");
}

TEST_F(Clocks, LogicalTimeMovesOnlyInRunsByExactlyTheirLength) {
  t_object *a = p.make("a", "test-timer a");
  t_object *b = p.make("b", "test-timer b");
  p.host().set_clock(kit::Host::Clock::logical);
  start = p.host().now();
  // Time spent outside a run does not count, for clocks armed before or after.
  p.send(a, "chain 20");
  p.send(a, "delay 10");
  std::this_thread::sleep_for(std::chrono::milliseconds(30));
  EXPECT_EQ(p.host().now(), start);
  p.send(b, "fdelay 15.5");
  p.host().run_for(0);
  EXPECT_TRUE(fired().empty());
  p.host().run_for(20);
  EXPECT_EQ(fired(), (Lines{"post: a fired at 10", "post: b fired at 15.5"}));
  EXPECT_EQ(p.host().now() - start, 20);
  // The chained clock counts from the due time of the one that armed it.
  p.host().run_for(10);
  EXPECT_EQ(fired(), Lines{"post: a fired at 30"});
  EXPECT_EQ(p.host().now() - start, 30);
  p.host().set_clock(kit::Host::Clock::manual);
}

TEST_F(Clocks, ALateClockRunsAtItsDueTimeOnTheRealClock) {
  t_object *a = p.make("a", "test-timer a");
  p.host().set_clock(kit::Host::Clock::real);
  p.send(a, "chain 10");
  p.send(a, "delay 1");
  // The loop does not run meanwhile: the clock is late when it does.
  std::this_thread::sleep_for(std::chrono::milliseconds(30));
  Lines lines;
  EXPECT_TRUE(p.run_until(
      [&] {
        for (auto &line : p.take())
          lines.push_back(line);
        return lines.size() >= 2;
      },
      5000));
  ASSERT_EQ(lines.size(), 2u);
  auto time_of = [](const std::string &line) { return std::stod(line.substr(line.rfind(' '))); };
  // Both ran at their due time, so the chained one is exactly 10 ms on.
  EXPECT_NEAR(time_of(lines[1]) - time_of(lines[0]), 10, 1e-5) << lines[0] << "; " << lines[1];
}

TEST_F(Clocks, WaitingForInputStillRunsClocksAndSeesInput) {
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  t_object *a = p.make("a", "test-timer a");
  p.host().set_manual_clock(false);
  p.send(a, "delay 1");
  // Nothing to read: the wait ends for the clock, which has run by then.
  bool readable = false;
  Lines lines;
  for (int i = 0; i < 100 && lines.empty(); ++i) {
    readable = p.host().run_until_readable(fds[0], std::chrono::milliseconds(5000));
    lines = p.take();
  }
  EXPECT_FALSE(readable);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_TRUE(lines[0].starts_with("post: a fired at ")) << lines[0];
  ASSERT_EQ(write(fds[1], "x", 1), 1);
  EXPECT_TRUE(p.host().run_until_readable(fds[0], std::chrono::milliseconds(5000)));
  p.host().set_manual_clock(true);
  close(fds[0]);
  close(fds[1]);
}

TEST_F(Clocks, RealTimeRunFiresDueClocks) {
  t_object *a = p.make("a", "test-timer a");
  p.send(a, "delay 1");
  EXPECT_TRUE(p.run_until([&] { return !p.take().empty(); }, 5000));
}

} // namespace
