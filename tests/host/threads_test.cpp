// The functions other threads may call: gensym, clock_delay, clock_unset,
// error, post, defer_low, getbytes. Run under ThreadSanitizer too.
#include "patch.hpp"
#include "probe.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <set>
#include <thread>

using kittest::Lines;
using kittest::Patch;

namespace {

constexpr int thread_count = 4;

TEST(Threads, ConcurrentGensymInternsEachNameOnce) {
  constexpr int names = 500;
  std::vector<std::vector<t_symbol *>> seen(thread_count);
  std::vector<std::thread> threads;
  for (int t = 0; t < thread_count; ++t) {
    threads.emplace_back([t, &seen] {
      for (int i = 0; i < names; ++i)
        seen[t].push_back(gensym(("thread-name-" + std::to_string(i)).c_str()));
    });
  }
  for (auto &thread : threads)
    thread.join();
  for (int t = 1; t < thread_count; ++t)
    EXPECT_EQ(seen[t], seen[0]);
  EXPECT_STREQ(seen[0][7]->s_name, "thread-name-7");
}

TEST(Threads, ConsoleLinesFromManyThreadsStayWhole) {
  Patch p;
  constexpr int lines_each = 200;
  const std::string long_text(3000, 'x'); // longer than any fixed buffer
  std::vector<std::thread> threads;
  for (int t = 0; t < thread_count; ++t) {
    threads.emplace_back([t, &long_text] {
      for (int i = 0; i < lines_each; ++i) {
        if (i % 2)
          error("thread %d line %d %s", t, i, long_text.c_str());
        else
          post("thread %d line %d", t, i);
      }
    });
  }
  for (auto &thread : threads)
    thread.join();
  Lines lines = p.take();
  ASSERT_EQ(lines.size(), static_cast<size_t>(thread_count * lines_each));
  std::set<std::string> distinct(lines.begin(), lines.end());
  EXPECT_EQ(distinct.size(), lines.size());
  for (const std::string &line : lines) {
    int t = -1, i = -1;
    if (line.starts_with("error: ")) {
      ASSERT_EQ(std::sscanf(line.c_str(), "error: thread %d line %d", &t, &i), 2) << line;
      EXPECT_TRUE(line.ends_with(" " + long_text));
      EXPECT_EQ(i % 2, 1);
    } else {
      ASSERT_EQ(std::sscanf(line.c_str(), "post: thread %d line %d", &t, &i), 2) << line;
      EXPECT_EQ(i % 2, 0);
    }
  }
}

TEST(Threads, ClocksArmedFromOtherThreadsWakeTheLoop) {
  hosttest::define_test_classes();
  Patch p;
  std::atomic<int> fired{0};
  struct Counter {
    std::atomic<int> *fired;
  } counter{&fired};
  // One clock per thread, armed again and again while the loop runs.
  std::vector<t_clock *> clocks;
  for (int t = 0; t < thread_count; ++t)
    clocks.push_back(
        clock_new(&counter, reinterpret_cast<method>(+[](Counter *c) { c->fired->fetch_add(1); })));
  std::atomic<bool> stop{false};
  std::vector<std::thread> threads;
  for (int t = 0; t < thread_count; ++t) {
    threads.emplace_back([t, &clocks, &stop] {
      for (int i = 0; i < 2000 && !stop; ++i) {
        clock_delay(clocks[t], 0);
        if (i % 3 == 0)
          clock_unset(clocks[t]);
        clock_fdelay(clocks[t], 0.0);
        error("arming thread %d", t);
        gensym("shared-by-threads");
        freebytes(getbytes(64), 64);
      }
    });
  }
  EXPECT_TRUE(p.run_until([&] { return fired.load() >= thread_count; }, 10000));
  stop = true;
  for (auto &thread : threads)
    thread.join();
  p.run_until([] { return false; }, 0);
  for (t_clock *clock : clocks)
    freeobject(static_cast<t_object *>(clock));
}

TEST(Threads, DeferredCallsFromOtherThreadsRunOnTheLoopThread) {
  Patch p;
  struct Seen {
    std::thread::id loop = std::this_thread::get_id();
    std::atomic<int> calls{0};
    std::atomic<int> wrong_thread{0};
  } seen;
  auto call = +[](Seen *s, t_symbol *, short argc, t_atom *argv) {
    if (std::this_thread::get_id() != s->loop)
      s->wrong_thread.fetch_add(1);
    if (argc == 1 && atom_getlong(argv) == 7)
      s->calls.fetch_add(1);
  };
  std::vector<std::thread> threads;
  for (int t = 0; t < thread_count; ++t) {
    threads.emplace_back([&seen, call] {
      for (int i = 0; i < 100; ++i) {
        t_atom a;
        atom_setlong(&a, 7);
        defer_low(&seen, reinterpret_cast<method>(call), nullptr, 1, &a);
      }
    });
  }
  for (auto &thread : threads)
    thread.join();
  EXPECT_TRUE(p.run_until([&] { return seen.calls.load() == thread_count * 100; }, 10000));
  EXPECT_EQ(seen.wrong_thread.load(), 0);
}

} // namespace
