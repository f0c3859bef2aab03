// Work handed to the loop by another thread, one piece at a time, at every
// pace: at once (the loop is still polling after the last piece), around
// the end of its polling, and after it has gone to sleep. No hand-over may
// be lost: a lost wake-up leaves the loop asleep until its wait runs out.
#include "patch.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

using kittest::Patch;

namespace {

struct Served {
  std::atomic<int> count{0};
};

TEST(HandOver, EveryWakeUpReachesTheLoopAtAnyPace) {
  Patch p;
  Served served;
  t_clock *clock =
      clock_new(&served, reinterpret_cast<method>(+[](Served *s) { s->count.fetch_add(1); }));
  ASSERT_NE(clock, nullptr);

  constexpr int pieces = 3000;
  std::atomic<bool> stop{false};
  std::thread worker([&] {
    for (int i = 0; i < pieces && !stop; ++i) {
      // 0 to 119 µs: on both sides of the loop's polling time.
      std::this_thread::sleep_for(std::chrono::microseconds((i * 37) % 120));
      clock_delay(clock, 0);
      // The next piece only once this one was served.
      while (served.count.load() <= i && !stop)
        std::this_thread::yield();
    }
  });

  // Each wait may last up to ten seconds; the next piece comes within
  // microseconds and ends it, so a wait that runs to its limit has lost a
  // wake-up (the piece is then served after it).
  const auto limit = std::chrono::seconds(10);
  int lost = 0;
  while (served.count.load() < pieces && lost == 0) {
    const auto start = std::chrono::steady_clock::now();
    p.host().run_until_readable(-1, std::chrono::duration_cast<std::chrono::milliseconds>(limit));
    if (std::chrono::steady_clock::now() - start >= limit)
      ++lost;
  }
  stop = true;
  worker.join();
  EXPECT_EQ(lost, 0);
  EXPECT_EQ(served.count.load(), pieces);
  freeobject(static_cast<t_object *>(clock));
}

} // namespace
