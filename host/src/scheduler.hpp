// The host's loop: logical time, clocks and the low-priority queue.
//
// Clocks fire in the order of their due time, clocks due at the same time in
// the order they were armed. Deferred calls run in the order they were
// queued, before the clocks that fall due after them. Everything runs on the
// thread that drives the loop (advance, run_for, run_until_readable); other
// threads may arm and unset clocks and queue deferred calls, which wakes the
// loop at once.
//
// Logical time is the time the loop has reached. While a clock's method runs
// it is the clock's due time, so chained clocks keep their period however
// late they run. Otherwise it follows the steady clock, but never beyond the
// ceiling of the mode: none for the real clock, the end of the running
// run_for for the logical and batch clocks (outside run_for it stands
// still), and the reached time itself for the manual clock. The batch clock
// also jumps to the next clock's due time while no thread but those the
// process had when the scheduler was made lives: no other thread can hand
// the loop work then, so nothing is worth waiting for.
//
// A clock armed for the very instant the loop runs at, from a clock's method
// or a deferred call, falls due one scheduler interval later, as the visual
// host runs a zero delay at its next tick: a clock that re-arms itself
// without delay moves time on by an interval each run, so every pass of due
// clocks ends and the clocks beside it keep their turn.
#pragma once

#include "ext.h"
#include "kit/host.hpp"
#include "main_thread_call.hpp"
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
  /// Arms the clock to run now unless it is armed already (a qelem): ahead
  /// of the clocks due now when `front`. False for a pointer that is not a
  /// live clock.
  bool arm_if_idle(void *clock, bool front);
  bool unset(void *clock);
  /// Cancels and frees a clock; false when `clock` is not one. Main thread
  /// (checked in checking builds, see thread_rules.hpp, reported as `call`).
  bool free_clock(void *clock, MainThreadCall call = MainThreadCall::clock_release);
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
  /// Whether the caller is another thread than the main one; false while
  /// there is no main thread yet (no host made, no loop run).
  bool off_main_thread() const {
    const std::thread::id main = main_thread_.load(std::memory_order_relaxed);
    return main != std::thread::id() && main != std::this_thread::get_id();
  }

  /// Clocks armed and deferred calls queued, not yet run. Any thread.
  std::size_t armed_clocks();
  std::size_t queued_calls();

  // ---- Time and the loop (main thread) ---------------------------------------------
  /// Logical time in milliseconds. Any thread.
  double now();
  void set_mode(Host::Clock mode);
  void advance(double ms);
  void run_for(double ms);
  bool run_until_readable(int fd, std::chrono::milliseconds max_wait);
  /// Ends the run_for under way; wakes the loop. Any thread, signal
  /// handlers too: atomics and a write only.
  void interrupt();

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
    int64_t order;
    Clock *clock;
    bool operator<(const Due &other) const {
      return time != other.time ? time < other.time : order < other.order;
    }
  };
  using SteadyTime = std::chrono::steady_clock::time_point;

  double now_locked(SteadyTime at) const;
  /// Logical time starts following the steady clock from here.
  void rebase_locked(SteadyTime at);
  void disarm_locked(Clock &clock);
  /// (Re)arms the clock `delay_ms` from now, in `order` among clocks due at
  /// the same time.
  void schedule_locked(Clock &clock, double delay_ms, int64_t order);
  /// Runs the deferred calls queued now, then the clocks due by `until`,
  /// returning the due time of the next clock (infinity when none).
  double run_due(double until);
  void run_deferred();
  /// Runs what is due by the time reached now, which becomes logical time;
  /// returns how long the loop may sleep before the next clock (ms,
  /// infinity when none) or 0 when deferred calls are waiting.
  double run_reached();
  /// The one place where the loop sleeps: until another thread wakes it (a
  /// clock armed, a call deferred), `fd` (when >= 0) is readable or `ms`
  /// passed. Far times are clamped: the caller loops. True when `fd` is
  /// readable.
  bool wait_for_wake_up(int fd, double ms);
  /// Batch clock: whether a thread that may hand the loop work lives (or
  /// threads cannot be counted).
  bool outside_can_deliver() const;

  std::mutex mutex_;
  std::set<Due> queue_;
  std::unordered_set<Clock *> clocks_;
  int64_t next_order_ = 0;
  int64_t front_order_ = -1; ///< orders of clocks armed ahead of the others: below zero
  std::deque<Deferred> deferred_;
  Host::Clock mode_ = Host::Clock::real;
  double reached_ = 0;           ///< logical time the loop has reached
  double ceiling_ = 0;           ///< how far the steady clock may take logical time
  bool in_clock_method_ = false; ///< the main thread runs a clock's method: time stands
  bool in_loop_call_ = false;    ///< the main thread runs a clock's method or a deferred call
  double logical_at_base_ = 0;
  SteadyTime steady_base_;
  std::atomic<std::thread::id> main_thread_;
  std::atomic<bool> interrupted_{false}; ///< lock-free, for signal handlers
  /// The threads of the process when the scheduler was made (the main one,
  /// a sanitizer's): none of them hands the loop work.
  std::optional<std::size_t> first_threads_;
  static_assert(std::atomic<bool>::is_always_lock_free);
  platform::Waker waker_;
};

} // namespace kit::rt
