// Clocks, deferred calls and the loop that runs them (see scheduler.hpp).
#include "scheduler.hpp"
#include "function_cast.hpp"

#include <algorithm>
#include <cmath>
#include <limits>

namespace kit::rt {

struct Scheduler::Clock {
  void *owner;
  method fn;
  bool armed = false;
  Due due{};
};

namespace {
constexpr double never = std::numeric_limits<double>::infinity();
using Milliseconds = std::chrono::duration<double, std::milli>;
} // namespace

Scheduler &Scheduler::get() {
  // Never destroyed: threads of modules may arm clocks while the process exits.
  static Scheduler *instance = new Scheduler;
  return *instance;
}

Scheduler::Scheduler() : steady_base_(std::chrono::steady_clock::now()) {}

double Scheduler::now_locked(SteadyTime at) const {
  if (manual_)
    return logical_at_base_;
  return logical_at_base_ + Milliseconds(at - steady_base_).count();
}

double Scheduler::now() {
  std::lock_guard lock(mutex_);
  return now_locked(std::chrono::steady_clock::now());
}

void Scheduler::set_manual(bool manual) {
  std::lock_guard lock(mutex_);
  const SteadyTime at = std::chrono::steady_clock::now();
  // Logical time goes on from where it is, whichever way it moves next.
  logical_at_base_ = now_locked(at);
  steady_base_ = at;
  manual_ = manual;
}

t_clock *Scheduler::make_clock(void *owner, method fn) {
  auto *clock = new Clock{owner, fn};
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

bool Scheduler::arm(void *handle, double delay_ms) {
  {
    std::lock_guard lock(mutex_);
    auto found = clocks_.find(static_cast<Clock *>(handle));
    if (found == clocks_.end())
      return false;
    Clock &clock = **found;
    disarm_locked(clock);
    // A negative or NaN delay means now.
    const double delay = delay_ms > 0 ? delay_ms : 0;
    clock.due = Due{now_locked(std::chrono::steady_clock::now()) + delay, next_order_++, &clock};
    queue_.insert(clock.due);
    clock.armed = true;
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

bool Scheduler::free_clock(void *handle) {
  std::lock_guard lock(mutex_);
  auto found = clocks_.find(static_cast<Clock *>(handle));
  if (found == clocks_.end())
    return false;
  Clock *clock = *found;
  disarm_locked(*clock);
  clocks_.erase(found);
  delete clock;
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
    {
      std::lock_guard lock(mutex_);
      if (deferred_.empty())
        return;
      call = std::move(deferred_.front());
      deferred_.pop_front();
    }
    function_cast<void (*)(void *, t_symbol *, short, t_atom *)>(call.fn)(
        call.ob, call.selector, static_cast<short>(call.atoms.size()),
        call.atoms.empty() ? nullptr : call.atoms.data());
  }
}

double Scheduler::run_due(double until, bool move_time) {
  run_deferred();
  for (;;) {
    void *owner;
    method fn;
    {
      std::lock_guard lock(mutex_);
      if (queue_.empty())
        return never;
      const Due first = *queue_.begin();
      if (first.time > until)
        return first.time;
      queue_.erase(queue_.begin());
      first.clock->armed = false;
      if (move_time && manual_)
        logical_at_base_ = std::max(logical_at_base_, first.time);
      owner = first.clock->owner;
      fn = first.clock->fn;
    }
    // The clock may be re-armed or freed by its own method: it is not
    // touched after this call.
    function_cast<void (*)(void *)>(fn)(owner);
    run_deferred();
  }
}

void Scheduler::advance(double ms) {
  set_main_thread();
  bool manual;
  {
    std::lock_guard lock(mutex_);
    manual = manual_;
  }
  if (!manual) {
    run_for(ms);
    return;
  }
  const double target = now() + (ms > 0 ? ms : 0);
  run_due(target, true);
  {
    std::lock_guard lock(mutex_);
    logical_at_base_ = std::max(logical_at_base_, target);
  }
  run_deferred();
}

void Scheduler::run_for(double ms) {
  set_main_thread();
  using std::chrono::steady_clock;
  const auto deadline =
      steady_clock::now() + std::chrono::duration_cast<steady_clock::duration>(
                                Milliseconds(std::isfinite(ms) && ms > 0 ? ms : 0));
  for (;;) {
    const double logical = now();
    const double next = run_due(logical, false);
    bool manual, more;
    {
      std::lock_guard lock(mutex_);
      manual = manual_;
      more = !deferred_.empty();
    }
    const auto at = steady_clock::now();
    if (at >= deadline)
      return;
    if (more)
      continue;
    auto wait = std::chrono::duration_cast<std::chrono::nanoseconds>(deadline - at);
    if (!manual && next != never) {
      const auto until_next = std::chrono::duration_cast<std::chrono::nanoseconds>(
          Milliseconds(std::max(0.0, next - logical)));
      wait = std::min(wait, until_next);
    }
    waker_.wait(-1, wait);
  }
}

bool Scheduler::run_until_readable(int fd, std::chrono::milliseconds max_wait) {
  set_main_thread();
  const double logical = now();
  const double next = run_due(logical, false);
  bool manual, more;
  {
    std::lock_guard lock(mutex_);
    manual = manual_;
    more = !deferred_.empty();
  }
  std::chrono::nanoseconds wait = more ? std::chrono::nanoseconds(0) : max_wait;
  if (!manual && next != never) {
    wait = std::min(wait, std::chrono::duration_cast<std::chrono::nanoseconds>(
                              Milliseconds(std::max(0.0, next - logical))));
  }
  const bool readable = waker_.wait(fd, wait);
  run_due(now(), false);
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
