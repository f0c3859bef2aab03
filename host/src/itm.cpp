// Transports: ticks that follow logical time at a tempo, and the clocks of
// time objects waiting on them (see ext_itm.h).
//
// A transport counts in quarter notes, so that values survive a change of
// the ticks' resolution; ticks are quarters times the resolution. While it
// runs, its position moves with the host's logical time at its tempo.
#include "itm.hpp"
#include "ext.h"
#include "scheduler.hpp"
#include "symbols.hpp"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <limits>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

struct _itm {
  t_object ob; ///< o_magic tells a transport from anything else
  t_symbol *name = nullptr;
  mutable std::mutex mutex;
  double tempo = 120; ///< beats per minute; a beat is a quarter note
  long numerator = 4;
  long denominator = 4;
  bool running = true;
  double quarters_at_base = 0; ///< position when logical time was ms_at_base
  double ms_at_base = 0;
  long references = 0;
  struct Waiting {
    void *clock;
    double due_quarters;
  };
  std::vector<Waiting> waiting;
};

namespace kit::rt {
namespace {

constexpr t_ptr_int itm_magic = 0x6b6974697470; // "kititp"
constexpr double sample_rate = 44100;

std::atomic<double> resolution{480};

double logical_now() {
  return Scheduler::get().now();
}

double quarters_locked(const t_itm &x, double now_ms) {
  if (!x.running)
    return x.quarters_at_base;
  return x.quarters_at_base + (now_ms - x.ms_at_base) * x.tempo / 60000;
}

double quarters_to_ms(const t_itm &x, double quarters) {
  return quarters * 60000 / x.tempo;
}

// The position moves from here on from (now, where it stands now).
void rebase_locked(t_itm &x, double now_ms) {
  x.quarters_at_base = quarters_locked(x, now_ms);
  x.ms_at_base = now_ms;
}

void arm_locked(const t_itm &x, const t_itm::Waiting &w, double now_ms) {
  const double left = w.due_quarters - quarters_locked(x, now_ms);
  Scheduler::get().arm(w.clock, quarters_to_ms(x, std::max(left, 0.0)));
}

t_itm *make_itm(t_symbol *name) {
  auto *x = new t_itm;
  x->ob.o_magic = itm_magic;
  x->name = name;
  x->ms_at_base = logical_now();
  return x;
}

struct Transports {
  t_itm *global = make_itm(gensym("global"));
  std::unordered_map<t_symbol *, t_itm *> named;
};

Transports &transports() {
  // Never destroyed, as the transports are kept for the process's life.
  static Transports *instance = new Transports;
  return *instance;
}

} // namespace

t_itm *as_itm(void *x, const char *caller) {
  if (!x)
    return transports().global;
  auto *itm = static_cast<t_itm *>(x);
  if (itm->ob.o_magic != itm_magic) {
    error("%s: %p is not a transport", caller, x);
    return nullptr;
  }
  return itm;
}

void itm_schedule(t_itm *itm, void *clock, double interval_ticks) {
  std::lock_guard lock(itm->mutex);
  const double now = logical_now();
  const double due = quarters_locked(*itm, now) + interval_ticks / resolution.load();
  auto found = std::find_if(itm->waiting.begin(), itm->waiting.end(),
                            [clock](const t_itm::Waiting &w) { return w.clock == clock; });
  if (found == itm->waiting.end())
    found = itm->waiting.insert(itm->waiting.end(), {clock, due});
  found->due_quarters = due;
  if (itm->running)
    arm_locked(*itm, *found, now);
}

void itm_unschedule(t_itm *itm, void *clock) {
  std::lock_guard lock(itm->mutex);
  std::erase_if(itm->waiting, [clock](const t_itm::Waiting &w) { return w.clock == clock; });
  Scheduler::get().unset(clock);
}

} // namespace kit::rt

using namespace kit::rt;

void *itm_getglobal(void) {
  return transports().global;
}

void *itm_getnamed(t_symbol *s, void *, t_symbol *, long create) {
  Transports &t = transports();
  if (!s || s == common_symbols().empty || s == t.global->name)
    return t.global;
  auto found = t.named.find(s);
  if (found != t.named.end())
    return found->second;
  if (!create)
    return nullptr;
  return t.named.emplace(s, make_itm(s)).first->second;
}

void *itm_getfromarg(t_object *, t_symbol *s) {
  return itm_getnamed(s, nullptr, nullptr, 1);
}

void itm_reference(t_itm *x) {
  if (t_itm *itm = as_itm(x, "itm_reference")) {
    std::lock_guard lock(itm->mutex);
    ++itm->references;
  }
}

void itm_dereference(t_itm *x) {
  if (t_itm *itm = as_itm(x, "itm_dereference")) {
    std::lock_guard lock(itm->mutex);
    if (itm->references > 0)
      --itm->references;
  }
}

double itm_gettime(t_itm *) {
  return logical_now();
}

double itm_getticks(t_itm *x) {
  t_itm *itm = as_itm(x, "itm_getticks");
  if (!itm)
    return 0;
  std::lock_guard lock(itm->mutex);
  return quarters_locked(*itm, logical_now()) * resolution.load();
}

void itm_dump(t_itm *x) {
  t_itm *itm = as_itm(x, "itm_dump");
  if (!itm)
    return;
  std::lock_guard lock(itm->mutex);
  post("transport %s: %s, %g bpm, %ld/%ld, %g ticks, %zu waiting", itm->name->s_name,
       itm->running ? "running" : "paused", itm->tempo, itm->numerator, itm->denominator,
       quarters_locked(*itm, logical_now()) * resolution.load(), itm->waiting.size());
}

void itm_settimesignature(t_itm *x, long num, long denom, long) {
  t_itm *itm = as_itm(x, "itm_settimesignature");
  if (!itm)
    return;
  if (num < 1 || denom < 1) {
    error("itm_settimesignature: bad time signature %ld/%ld", num, denom);
    return;
  }
  std::lock_guard lock(itm->mutex);
  itm->numerator = num;
  itm->denominator = denom;
}

void itm_gettimesignature(t_itm *x, long *num, long *denom) {
  t_itm *itm = as_itm(x, "itm_gettimesignature");
  if (!itm)
    return;
  std::lock_guard lock(itm->mutex);
  if (num)
    *num = itm->numerator;
  if (denom)
    *denom = itm->denominator;
}

void itm_seek(t_itm *x, double, double newticks, long) {
  t_itm *itm = as_itm(x, "itm_seek");
  if (!itm || !std::isfinite(newticks))
    return;
  std::lock_guard lock(itm->mutex);
  const double now = logical_now();
  const double shift = newticks / resolution.load() - quarters_locked(*itm, now);
  itm->quarters_at_base += shift;
  // What waits keeps the time it has left: its clock needs no change.
  for (t_itm::Waiting &w : itm->waiting)
    w.due_quarters += shift;
}

void itm_pause(t_itm *x) {
  t_itm *itm = as_itm(x, "itm_pause");
  if (!itm)
    return;
  std::lock_guard lock(itm->mutex);
  if (!itm->running)
    return;
  rebase_locked(*itm, logical_now());
  itm->running = false;
  for (const t_itm::Waiting &w : itm->waiting)
    Scheduler::get().unset(w.clock);
}

void itm_resume(t_itm *x) {
  t_itm *itm = as_itm(x, "itm_resume");
  if (!itm)
    return;
  std::lock_guard lock(itm->mutex);
  if (itm->running)
    return;
  const double now = logical_now();
  rebase_locked(*itm, now);
  itm->running = true;
  for (const t_itm::Waiting &w : itm->waiting)
    arm_locked(*itm, w, now);
}

long itm_getstate(t_itm *x) {
  t_itm *itm = as_itm(x, "itm_getstate");
  if (!itm)
    return 0;
  std::lock_guard lock(itm->mutex);
  return itm->running ? 1 : 0;
}

void itm_setresolution(double res) {
  if (!(res > 0) || !std::isfinite(res)) {
    error("itm_setresolution: bad resolution %g", res);
    return;
  }
  resolution = res;
}

double itm_getresolution(void) {
  return resolution.load();
}

t_symbol *itm_getname(t_itm *x) {
  t_itm *itm = as_itm(x, "itm_getname");
  return itm ? itm->name : common_symbols().empty;
}

double itm_tickstoms(t_itm *x, double ticks) {
  t_itm *itm = as_itm(x, "itm_tickstoms");
  if (!itm)
    return 0;
  std::lock_guard lock(itm->mutex);
  return quarters_to_ms(*itm, ticks / resolution.load());
}

double itm_mstoticks(t_itm *x, double ms) {
  t_itm *itm = as_itm(x, "itm_mstoticks");
  if (!itm)
    return 0;
  std::lock_guard lock(itm->mutex);
  return ms * itm->tempo / 60000 * resolution.load();
}

double itm_mstosamps(t_itm *, double ms) {
  return ms * sample_rate / 1000;
}

double itm_sampstoms(t_itm *, double samps) {
  return samps * 1000 / sample_rate;
}

namespace {

// A whole number as a long, clamped to the long's range (leaving room for
// the 1 a location adds).
long clamped_long(double whole) {
  constexpr double lowest = static_cast<double>(std::numeric_limits<long>::min() / 2);
  constexpr double highest = static_cast<double>(std::numeric_limits<long>::max() / 2);
  return static_cast<long>(std::clamp(whole, lowest, highest));
}

// Ticks of one beat and one bar under the transport's time signature.
void bar_and_beat_ticks(t_itm *itm, double &bar, double &beat) {
  std::lock_guard lock(itm->mutex);
  beat = resolution.load() * 4 / static_cast<double>(itm->denominator);
  bar = beat * static_cast<double>(itm->numerator);
}

} // namespace

void itm_barbeatunitstoticks(t_itm *x, long bars, long beats, double units, double *ticks,
                             char position) {
  t_itm *itm = as_itm(x, "itm_barbeatunitstoticks");
  if (!itm || !ticks)
    return;
  double bar, beat;
  bar_and_beat_ticks(itm, bar, beat);
  const long from = position ? 1 : 0;
  *ticks =
      static_cast<double>(bars - from) * bar + static_cast<double>(beats - from) * beat + units;
}

void itm_tickstobarbeatunits(t_itm *x, double ticks, long *bars, long *beats, double *units,
                             char position) {
  t_itm *itm = as_itm(x, "itm_tickstobarbeatunits");
  if (!itm)
    return;
  double bar, beat;
  bar_and_beat_ticks(itm, bar, beat);
  const long from = position ? 1 : 0;
  const double whole_bars = std::isfinite(ticks) ? std::floor(ticks / bar) : 0;
  const double rest = std::isfinite(ticks) ? ticks - whole_bars * bar : 0;
  const double whole_beats = std::floor(rest / beat);
  if (bars)
    *bars = clamped_long(whole_bars) + from;
  if (beats)
    *beats = clamped_long(whole_beats) + from;
  if (units)
    *units = rest - whole_beats * beat;
}

long itm_isunitfixed(t_symbol *u) {
  if (!u)
    return 0;
  const std::string_view unit = u->s_name;
  return unit == "ms" || unit == "hz" || unit == "samples" ? 0 : 1;
}

double itm_getsr(t_itm *) {
  return sample_rate;
}

double itm_gettempo(t_itm *x) {
  t_itm *itm = as_itm(x, "itm_gettempo");
  if (!itm)
    return 0;
  std::lock_guard lock(itm->mutex);
  return itm->tempo;
}
