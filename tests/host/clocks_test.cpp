// Clocks and deferred calls under the manual clock.
#include "patch.hpp"
#include "probe.hpp"

#include <gtest/gtest.h>

#include <cmath>
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
