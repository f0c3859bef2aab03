// Inlets beyond an object's own: numbered ones (intin, floatin) and proxies
// (proxy_new, proxy_getinlet), as a class of the visual host's SDK makes them.
#include "patch.hpp"
#include "probe.hpp"

#include "ext.h"

#include <gtest/gtest.h>

using kittest::Lines;
using kittest::Patch;

namespace {

class Inlets : public ::testing::Test {
protected:
  void SetUp() override {
    hosttest::define_test_classes();
    x = p.make("x", "test-proxied");
    p.take();
  }
  Patch p;
  t_object *x = nullptr;
};

TEST_F(Inlets, NumberedInletsStandInTheirOrderAndTurnNumbersIntoTheirMessage) {
  ASSERT_EQ(p.host().inlet_count(x), 5);
  p.send(x, "5", 3);
  p.send(x, "2.7", 3);
  p.send(x, "2", 4);
  p.send(x, "list 1.5 2", 4);
  p.send(x, "bang", 3);
  EXPECT_EQ(p.take(), (Lines{"post: test-proxied: in3 5", "post: test-proxied: in3 2",
                             "post: test-proxied: ft4 2", "post: test-proxied: ft4 1.5",
                             "error: test-proxied: inlet 3 doesn't understand \"bang\""}));
}

TEST_F(Inlets, AProxyPassesAnyMessageAndNamesItsInletDuringTheCall) {
  p.send(x, "scan 1 2", 1);
  p.send(x, "3.5", 2);
  p.send(x, "bang", 2);
  p.send(x, "list 0 9", 1);
  p.send(x, "scan", 0);
  EXPECT_EQ(p.take(), (Lines{"post: test-proxied: scan [1 2] at inlet 1, stuffed 1",
                             "post: test-proxied: float 3.5 at inlet 2, stuffed 2",
                             "post: test-proxied: bang at inlet 2, stuffed 2",
                             "post: test-proxied: int 0 at inlet 1, stuffed 1",
                             "post: test-proxied: scan [] at inlet 0, stuffed 0"}));
}

TEST_F(Inlets, AMessageNestedInAProxysCallSeesItsOwnInletAndThenTheProxysAgain) {
  // Out of the object into its own left inlet, by a connection (the direct
  // way an int takes along a single connection).
  p.connect(x, 0, x, 0);
  p.take();
  p.send(x, "1", 2);
  EXPECT_EQ(p.take(), (Lines{"post: test-proxied: int 1 at inlet 2, stuffed 2", "x.0: 0",
                             "post: test-proxied: int 0 at inlet 0, stuffed 0",
                             "post: test-proxied: after the output at inlet 2, stuffed 2"}));
}

TEST_F(Inlets, AFreedProxyTakesItsInletAndConnectionsAway) {
  t_object *source = p.make("source", "test-inty");
  p.connect(source, 0, x, 1);
  p.connect(source, 0, x, 2);
  p.take();
  p.send(x, "drop", 1); // through the proxy it frees
  ASSERT_EQ(p.host().inlet_count(x), 4);
  Lines lines = p.take();
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_TRUE(lines[0].starts_with("error: freeobject: ")) << lines[0];
  EXPECT_TRUE(lines[0].ends_with(" is not an object, clock, proxy or record of the host"))
      << lines[0];
  // The connection to the freed proxy went with it; proxy 2 now stands at 1.
  p.send(source, "4");
  EXPECT_EQ(p.take(), (Lines{"post: test-inty: int 4", "source.0: 5",
                             "post: test-proxied: int 5 at inlet 2, stuffed 2", "x.0: 4",
                             "post: test-proxied: after the output at inlet 2, stuffed 2"}));
}

TEST_F(Inlets, InletsThatCannotBeMadeAreReported) {
  p.send(x, "misuse");
  EXPECT_EQ(p.take(), (Lines{"error: test-proxied: intin: inlet number 0 is not from 1 to 9",
                             "error: test-proxied: floatin: inlet number 10 is not from 1 to 9",
                             "error: test-proxied: proxy_new: the id must not be 0",
                             "post: test-proxied: made 0 0 0"}));
  EXPECT_EQ(p.host().inlet_count(x), 5);
  EXPECT_EQ(proxy_getinlet(nullptr), 0);
  EXPECT_EQ(p.take(), Lines{"error: proxy_getinlet: not an object"});
}

TEST(InletInfo, EveryInletButTheLeftmostIsCold) {
  for (long inlet : {0L, 1L, 4L}) {
    char cold = 0;
    stdinletinfo(nullptr, nullptr, inlet, &cold);
    EXPECT_EQ(cold, inlet == 0 ? 0 : 1) << inlet;
  }
}

} // namespace
