// kithost --batch: the same scripts print the same lines with and without
// it, whether only clocks run or a socket can take datagrams meanwhile.
#include "run_kithost.hpp"

#include <gtest/gtest.h>

#include <string>

using namespace kithost_test;

namespace {

/// Runs `script` with and without --batch; both must exit 0, say nothing on
/// standard error and print `expected`.
void expect_same_with_and_without_batch(const std::string &script, const Lines &expected) {
  for (const bool batch : {false, true}) {
    SCOPED_TRACE(batch ? "--batch" : "without --batch");
    TempDir dir;
    const auto file = dir.write("script.kit", script);
    Launch launch;
    launch.kill_after_seconds = 60;
    const Result run = batch ? run_kithost({"--batch", file.string()}, launch)
                             : run_kithost({file.string()}, launch);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, Lines{});
    EXPECT_EQ(run.out, expected);
  }
}

TEST(KithostBatch, ClocksAloneKeepTheirOrderAndTimes) {
  // A metro counts every second; a pipe gives each count back 1.5 s later; a
  // delay at 2.5 s passes through the low-priority queue. Equal due times
  // keep the order of arming (the delay was armed first at 2.5 s).
  const std::string script = "obj m metro 1000\n"
                             "obj count int\n"
                             "obj step + 1\n"
                             "connect m 0 count 0\n"
                             "connect count 0 step 0\n"
                             "connect step 0 count 1\n"
                             "obj p pipe 1500\n"
                             "connect count 0 p 0\n"
                             "obj d delay 2500\n"
                             "obj later deferlow\n"
                             "connect d 0 later 0\n"
                             "print count\n"
                             "print p\n"
                             "print d\n"
                             "print later\n"
                             "send d bang\n"
                             "send m bang\n"
                             "wait 5000\n"
                             "send m stop\n"
                             "wait 1500\n";
  expect_same_with_and_without_batch(script, {"count.0: 0", "count.0: 1", "p.0: 0", "count.0: 2",
                                              "d.0: bang", "later.0: bang", "p.0: 1", "count.0: 3",
                                              "p.0: 2", "count.0: 4", "p.0: 3", "count.0: 5",
                                              "p.0: 4", "p.0: 5"});
}

TEST(KithostBatch, TimeKeepsTheWallClocksPaceWhileADatagramCanArrive) {
  // At 1 s of logical time the patch sends itself a datagram through
  // loopback. The receiving thread hands it over as soon as it arrives, at
  // once in wall time: it must come out between the metro's bangs at 1 s and
  // 1.5 s, as without --batch. Time running ahead meanwhile would have the
  // wait over before the datagram is back.
  const std::string script = "obj rx udpreceive 0 127.0.0.1\n"
                             "obj tx udpsend 127.0.0.1 9\n"
                             "connect rx 1 tx 0\n"
                             "send rx bang\n" // aims tx at the port rx took
                             "obj m metro 500\n"
                             "obj d delay 1000\n"
                             "obj seven trigger 7\n"
                             "connect d 0 seven 0\n"
                             "connect seven 0 tx 0\n"
                             "print m\n"
                             "print rx\n"
                             "send d bang\n"
                             "send m bang\n"
                             "wait 2000\n"
                             "send m stop\n";
  expect_same_with_and_without_batch(script, {"m.0: bang", "m.0: bang", "m.0: bang",
                                              "rx.0: FullPacket 07", "m.0: bang", "m.0: bang"});
}

} // namespace
