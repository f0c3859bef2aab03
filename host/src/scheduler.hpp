// The host's loop: logical time, clocks and the low-priority queue.
//
// Clocks fire in the order of their due time, clocks due at the same time in
// the order they were armed. Deferred calls run in the order they were
// queued, before the clocks that fall due after them. Everything runs on the
// thread that drives the loop (advance, run_for, run_until_readable); other
// threads may arm and unset clocks and queue deferred calls, which wakes the
// loop at once.
#pragma once

#include "ext.h"
#include "platform.hpp"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <deque>
#include <mutex>
#include <set>
#include <thread>
#include <unordered_set>
#include <vector>

namespace kit::rt {

class Scheduler {
public:
  /// The process's scheduler.
  static Scheduler &get();

  // ---- Clocks (any thread unless noted) -----------------------------------------
  /// A new, unarmed clock calling fn(owner).
  t_clock *make_clock(void *owner, method fn);
  /// Arms (or re-arms) the clock `delay_ms` after now. False for a pointer
  /// that is not a live clock.
  bool arm(void *clock, double delay_ms);
  bool unset(void *clock);
  /// Cancels and frees a clock; false when `clock` is not one.
  bool free_clock(void *clock);
  /// Frees the clocks still owned by a freed object.
  void free_clocks_of(const void *owner);

  // ---- Deferred calls -------------------------------------------------------------
  /// Queues fn(ob, selector, argc, argv) with a copy of the atoms. Any thread.
  void defer(void *ob, method fn, t_symbol *selector, short argc, const t_atom *argv);
  /// Drops the calls queued for a freed object.
  void drop_deferred(const void *ob);
  /// Whether the caller is the main thread: the one that made the host or
  /// last ran the loop.
  bool on_main_thread() const {
    return std::this_thread::get_id() == main_thread_.load(std::memory_order_relaxed);
  }
  void set_main_thread() { main_thread_.store(std::this_thread::get_id()); }

  /// Clocks armed and deferred calls queued, not yet run. Any thread.
  std::size_t armed_clocks();
  std::size_t queued_calls();

  // ---- Time and the loop (main thread) ---------------------------------------------
  double now();
  void set_manual(bool manual);
  void advance(double ms);
  void run_for(double ms);
  bool run_until_readable(int fd, std::chrono::milliseconds max_wait);

private:
  Scheduler();
  struct Clock;
  struct Deferred {
    void *ob;
    method fn;
    t_symbol *selector;
    std::vector<t_atom> atoms;
  };
  struct Due {
    double time;
    uint64_t order;
    Clock *clock;
    bool operator<(const Due &other) const {
      return time != other.time ? time < other.time : order < other.order;
    }
  };
  using SteadyTime = std::chrono::steady_clock::time_point;

  double now_locked(SteadyTime at) const;
  void disarm_locked(Clock &clock);
  /// Runs the deferred calls queued now, then the clocks due by `until`,
  /// returning the due time of the next clock (infinity when none).
  double run_due(double until, bool move_time);
  void run_deferred();

  std::mutex mutex_;
  std::set<Due> queue_;
  std::unordered_set<Clock *> clocks_;
  uint64_t next_order_ = 0;
  std::deque<Deferred> deferred_;
  bool manual_ = false;
  double logical_at_base_ = 0;
  SteadyTime steady_base_;
  std::atomic<std::thread::id> main_thread_;
  platform::Waker waker_;
};

} // namespace kit::rt
