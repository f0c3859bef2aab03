// Clocks, deferred calls and the loop that runs them (see scheduler.hpp).
#include "scheduler.hpp"
#include "function_cast.hpp"
#include "nesting.hpp"
#include "objects.hpp"
#include "thread_rules.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

namespace kit::rt {

struct Scheduler::Clock {
  void *owner;
  method fn;
  bool armed = false;
  Due due{};
#ifdef KIT_CHECK_THREADS
  /// The owner's class name when the owner was an object at the making of
  /// the clock on the main thread: names the owner in thread reports.
  const char *owner_class = nullptr;
#endif
};

namespace {
constexpr double never = std::numeric_limits<double>::infinity();
/// The visual host's tick: where a zero delay armed inside the loop falls due.
constexpr double scheduler_interval_ms = 1;
using Milliseconds = std::chrono::duration<double, std::milli>;
} // namespace

Scheduler &Scheduler::get() {
  // Never destroyed: threads of modules may arm clocks while the process exits.
  static Scheduler *instance = new Scheduler;
  return *instance;
}

Scheduler::Scheduler()
    : ceiling_(never), steady_base_(std::chrono::steady_clock::now()),
      first_threads_(platform::thread_count()) {}

bool Scheduler::outside_can_deliver() const {
  const auto threads = platform::thread_count();
  return !threads || !first_threads_ || *threads > *first_threads_;
}

double Scheduler::now_locked(SteadyTime at) const {
  if (mode_ == Host::Clock::manual || (in_clock_method_ && on_main_thread()))
    return reached_;
  const double steady = logical_at_base_ + Milliseconds(at - steady_base_).count();
  return std::min(std::max(steady, reached_), ceiling_);
}

void Scheduler::rebase_locked(SteadyTime at) {
  reached_ = now_locked(at);
  logical_at_base_ = reached_;
  steady_base_ = at;
}

double Scheduler::now() {
  std::lock_guard lock(mutex_);
  return now_locked(std::chrono::steady_clock::now());
}

void Scheduler::set_mode(Host::Clock mode) {
  std::lock_guard lock(mutex_);
  // Logical time goes on from where it is, whichever way it moves next.
  rebase_locked(std::chrono::steady_clock::now());
  if (mode != Host::Clock::real) {
    // From a whole millisecond: sums of whole delays are then exact, and a
    // clock chained after one of 50 ms falls due exactly 100 ms on.
    reached_ = std::ceil(reached_);
    logical_at_base_ = reached_;
  }
  mode_ = mode;
  ceiling_ = mode == Host::Clock::real ? never : reached_;
}

t_clock *Scheduler::make_clock(void *owner, method fn) {
  auto *clock = new Clock{owner, fn};
#ifdef KIT_CHECK_THREADS
  // Objects are looked up on the main thread only.
  if (!off_main_thread())
    if (const ObjectState *state = object_state(owner))
      clock->owner_class = state->cls->name->s_name;
#endif
  std::lock_guard lock(mutex_);
  clocks_.insert(clock);
  return clock;
}

void Scheduler::disarm_locked(Clock &clock) {
  if (clock.armed) {
    queue_.erase(clock.due);
    clock.armed = false;
  }
}

void Scheduler::schedule_locked(Clock &clock, double delay_ms, int64_t order) {
  disarm_locked(clock);
  // A negative or NaN delay means now.
  const double delay = delay_ms > 0 ? delay_ms : 0;
  const double now = now_locked(std::chrono::steady_clock::now());
  double due = now + delay;
  // Now, from inside the loop, is its next tick: due at the same instant,
  // the clock would run again in the same pass, and a clock re-arming
  // itself so would hold the loop (and time) there for good.
  if (!(due > now) && in_loop_call_ && on_main_thread())
    due = now + scheduler_interval_ms;
  clock.due = Due{due, order, &clock};
  queue_.insert(clock.due);
  clock.armed = true;
}

bool Scheduler::arm(void *handle, double delay_ms) {
  {
    std::lock_guard lock(mutex_);
    auto found = clocks_.find(static_cast<Clock *>(handle));
    if (found == clocks_.end())
      return false;
    schedule_locked(**found, delay_ms, next_order_++);
  }
  if (!on_main_thread())
    waker_.wake();
  return true;
}

bool Scheduler::arm_if_idle(void *handle, bool front) {
  {
    std::lock_guard lock(mutex_);
    auto found = clocks_.find(static_cast<Clock *>(handle));
    if (found == clocks_.end())
      return false;
    if ((*found)->armed)
      return true;
    schedule_locked(**found, 0, front ? front_order_-- : next_order_++);
  }
  if (!on_main_thread())
    waker_.wake();
  return true;
}

bool Scheduler::unset(void *handle) {
  std::lock_guard lock(mutex_);
  auto found = clocks_.find(static_cast<Clock *>(handle));
  if (found == clocks_.end())
    return false;
  disarm_locked(**found);
  return true;
}

bool Scheduler::free_clock(void *handle, MainThreadCall call) {
  [[maybe_unused]] const void *owner = nullptr;
  [[maybe_unused]] const char *owner_class = nullptr;
  {
    std::lock_guard lock(mutex_);
    auto found = clocks_.find(static_cast<Clock *>(handle));
    if (found == clocks_.end())
      return false;
    Clock *clock = *found;
#ifdef KIT_CHECK_THREADS
    owner = clock->owner ? clock->owner : clock;
    owner_class = clock->owner_class;
#endif
    disarm_locked(*clock);
    clocks_.erase(found);
    delete clock;
  }
  check_main_thread(call, owner, [&] { return owner_class; });
  return true;
}

void Scheduler::free_clocks_of(const void *owner) {
  std::lock_guard lock(mutex_);
  for (auto it = clocks_.begin(); it != clocks_.end();) {
    Clock *clock = *it;
    if (clock->owner == owner) {
      disarm_locked(*clock);
      it = clocks_.erase(it);
      delete clock;
    } else {
      ++it;
    }
  }
}

void Scheduler::defer(void *ob, method fn, t_symbol *selector, short argc, const t_atom *argv) {
  Deferred call{ob, fn, selector, {}};
  if (argc > 0 && argv)
    call.atoms.assign(argv, argv + argc);
  {
    std::lock_guard lock(mutex_);
    deferred_.push_back(std::move(call));
  }
  if (!on_main_thread())
    waker_.wake();
}

void Scheduler::drop_deferred(const void *ob) {
  std::lock_guard lock(mutex_);
  std::erase_if(deferred_, [ob](const Deferred &call) { return call.ob == ob; });
}

std::size_t Scheduler::armed_clocks() {
  std::lock_guard lock(mutex_);
  return queue_.size();
}

std::size_t Scheduler::queued_calls() {
  std::lock_guard lock(mutex_);
  return deferred_.size();
}

void Scheduler::run_deferred() {
  // Only the calls queued so far: one that queues another leaves it for the
  // next round instead of running forever here.
  size_t count;
  {
    std::lock_guard lock(mutex_);
    count = deferred_.size();
  }
  for (size_t i = 0; i < count; ++i) {
    Deferred call;
    bool outer_loop_call;
    {
      std::lock_guard lock(mutex_);
      if (deferred_.empty())
        return;
      call = std::move(deferred_.front());
      deferred_.pop_front();
      outer_loop_call = std::exchange(in_loop_call_, true);
    }
    {
      const Delivery delivery;
      function_cast<void (*)(void *, t_symbol *, short, t_atom *)>(call.fn)(
          call.ob, call.selector, static_cast<short>(call.atoms.size()),
          call.atoms.empty() ? nullptr : call.atoms.data());
    }
    std::lock_guard lock(mutex_);
    in_loop_call_ = outer_loop_call;
  }
}

double Scheduler::run_due(double until) {
  run_deferred();
  for (;;) {
    void *owner;
    method fn;
    bool outer_clock_method; // a clock's method that runs the loop itself
    bool outer_loop_call;
    {
      std::lock_guard lock(mutex_);
      if (queue_.empty())
        return never;
      const Due first = *queue_.begin();
      if (first.time > until)
        return first.time;
      queue_.erase(queue_.begin());
      first.clock->armed = false;
      reached_ = std::max(reached_, first.time);
      outer_clock_method = std::exchange(in_clock_method_, true);
      outer_loop_call = std::exchange(in_loop_call_, true);
      owner = first.clock->owner;
      fn = first.clock->fn;
    }
    // The clock may be re-armed or freed by its own method: it is not
    // touched after this call.
    {
      const Delivery delivery;
      function_cast<void (*)(void *)>(fn)(owner);
    }
    {
      std::lock_guard lock(mutex_);
      in_clock_method_ = outer_clock_method;
      in_loop_call_ = outer_loop_call;
    }
    run_deferred();
  }
}

double Scheduler::run_reached() {
  double reached;
  {
    std::lock_guard lock(mutex_);
    reached = now_locked(std::chrono::steady_clock::now());
  }
  const double next = run_due(reached);
  std::lock_guard lock(mutex_);
  reached_ = std::max(reached_, reached);
  if (!deferred_.empty())
    return 0;
  // The manual clock never reaches a clock by waiting.
  return mode_ == Host::Clock::manual ? never : next - reached;
}

bool Scheduler::wait_for_wake_up(int fd, double ms) {
  // An hour at most: far clocks and long runs wait in several steps, and no
  // duration arithmetic comes near its limits.
  constexpr double longest_sleep = 3600e3;
  const double bounded = std::isnan(ms) ? 0 : std::clamp(ms, 0.0, longest_sleep);
  return waker_.wait(fd, std::chrono::ceil<std::chrono::nanoseconds>(Milliseconds(bounded)));
}

void Scheduler::advance(double ms) {
  Host::Clock mode;
  double target;
  {
    std::lock_guard lock(mutex_);
    mode = mode_;
    target = reached_ + (ms > 0 ? ms : 0);
  }
  if (mode == Host::Clock::real) {
    run_for(ms);
    return;
  }
  set_main_thread();
  run_due(target);
  {
    std::lock_guard lock(mutex_);
    reached_ = std::max(reached_, target);
    if (mode_ != Host::Clock::manual)
      ceiling_ = reached_;
  }
  run_deferred();
}

void Scheduler::run_for(double ms) {
  set_main_thread();
  using std::chrono::steady_clock;
  const double length = std::isnan(ms) ? 0 : std::max(ms, 0.0);
  const SteadyTime start = steady_clock::now();
  interrupted_.store(false);
  double end = never; // logical and batch clocks: where logical time stands on return
  bool batch = false;
  {
    std::lock_guard lock(mutex_);
    if (mode_ == Host::Clock::logical || mode_ == Host::Clock::batch) {
      rebase_locked(start);
      end = ceiling_ = reached_ + length;
      batch = mode_ == Host::Clock::batch;
    }
  }
  // A batch run that waits for a thread looks again this often whether it
  // has ended: a thread ending wakes no one.
  constexpr double batch_recheck_ms = 10;
  bool interrupted = false;
  for (;;) {
    const double until_next = run_reached();
    interrupted = interrupted_.exchange(false);
    if (interrupted)
      break;
    if (batch) {
      const SteadyTime now = steady_clock::now();
      std::unique_lock lock(mutex_);
      const double at = now_locked(now);
      if (at >= end)
        break;
      if (!deferred_.empty())
        continue;
      lock.unlock();
      if (!outside_can_deliver()) {
        lock.lock();
        // Logical time goes on from the next clock (or the end) at once,
        // and follows the steady clock from there should a thread start.
        const double next = queue_.empty() ? end : std::min(queue_.begin()->time, end);
        reached_ = std::max(reached_, next);
        logical_at_base_ = reached_;
        steady_base_ = now;
        continue;
      }
      wait_for_wake_up(-1, std::min({end - at, until_next, batch_recheck_ms}));
      continue;
    }
    const double left = length - Milliseconds(steady_clock::now() - start).count();
    if (left <= 0)
      break;
    wait_for_wake_up(-1, std::min(left, until_next));
  }
  if (end != never && !interrupted) {
    // The logical end of the run, whatever the steady clock says: every clock
    // due by then runs.
    run_due(end);
    {
      std::lock_guard lock(mutex_);
      reached_ = std::max(reached_, end);
      ceiling_ = reached_;
    }
    run_deferred();
  } else if (end != never) {
    std::lock_guard lock(mutex_);
    ceiling_ = reached_;
  }
}

void Scheduler::interrupt() {
  interrupted_.store(true);
  waker_.wake();
}

bool Scheduler::run_until_readable(int fd, std::chrono::milliseconds max_wait) {
  set_main_thread();
  const double until_next = run_reached();
  const bool readable = wait_for_wake_up(fd, std::min(Milliseconds(max_wait).count(), until_next));
  run_reached();
  return readable;
}

} // namespace kit::rt

using kit::rt::function_cast;
using kit::rt::Scheduler;

t_clock *clock_new(void *x, method fn) {
  if (!fn) {
    error("clock_new: no method to call");
    return nullptr;
  }
  return Scheduler::get().make_clock(x, fn);
}

void clock_delay(void *x, long n) {
  if (x && !Scheduler::get().arm(x, static_cast<double>(n)))
    error("clock_delay: %p is not a clock", x);
}

void clock_fdelay(void *c, double time) {
  if (c && !Scheduler::get().arm(c, time))
    error("clock_fdelay: %p is not a clock", c);
}

void clock_unset(void *x) {
  if (x && !Scheduler::get().unset(x))
    error("clock_unset: %p is not a clock", x);
}

double gettime_forobject(t_object *) {
  return Scheduler::get().now();
}

long gettime(void) {
  return static_cast<long>(Scheduler::get().now());
}

void *defer_low(void *ob, method fn, t_symbol *sym, short argc, t_atom *argv) {
  if (!fn) {
    error("defer_low: no method to call");
    return nullptr;
  }
  Scheduler::get().defer(ob, fn, sym, argc, argv);
  return nullptr;
}

void *defer(void *ob, method fn, t_symbol *sym, short argc, t_atom *argv) {
  if (!fn) {
    error("defer: no method to call");
    return nullptr;
  }
  Scheduler &scheduler = Scheduler::get();
  // On the main thread the call runs at once, from others it is queued.
  if (scheduler.on_main_thread())
    function_cast<void (*)(void *, t_symbol *, short, t_atom *)>(fn)(ob, sym, argc, argv);
  else
    scheduler.defer(ob, fn, sym, argc, argv);
  return nullptr;
}
