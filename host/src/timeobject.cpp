// Time objects: a value as its owner's user gave it, converted on demand at
// the transport's tempo, and a clock for the task (see ext_time.h).
//
// A value keeps its unit (notes, bars and beats, ms...), so it follows a
// change of tempo, time signature or resolution. A task on the transport
// waits there (itm.cpp arms and holds its clock); one with a fixed value
// waits on the host's clock alone.
#include "classes.hpp"
#include "conversions.hpp"
#include "ext.h"
#include "ext_obex.h"
#include "ext_time.h"
#include "function_cast.hpp"
#include "itm.hpp"
#include "kit/text.hpp"
#include "objects.hpp"
#include "records.hpp"
#include "symbols.hpp"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kit::rt {
namespace {

enum class Unit : unsigned char { ms, ticks, notes, bars, hz, samples };

/// A value in the unit it was given in. `amount` counts the unit (notes in
/// quarter notes); bars, beats and ticks make a bars value.
struct TimeValue {
  Unit unit = Unit::ms;
  double amount = 0;
  long bars = 0;
  long beats = 0;
};

/// As many atoms as a value is written with at most (bars beats ticks).
constexpr long max_value_atoms = 3;

struct TimeObject {
  t_object ob;
  t_object *owner;
  t_symbol *name;
  method task;
  long flags;
  t_itm *itm;
  void *clock; ///< with TIME_FLAGS_USECLOCK
  TimeValue value;
  t_atom as_set[max_value_atoms]; ///< the value as it was given, for the attribute
  long as_set_count;
  bool scheduled;
  bool on_transport; ///< its clock waits on the transport
};

const char *owner_name(const TimeObject &t) {
  return object_classname(t.owner)->s_name;
}

// Time objects by owner and name, for time_getnamed and time attributes.
std::map<std::pair<const void *, t_symbol *>, TimeObject *> &named() {
  static auto *table = new std::map<std::pair<const void *, t_symbol *>, TimeObject *>;
  return *table;
}

void release_time_object(t_object *x) {
  auto *t = reinterpret_cast<TimeObject *>(x);
  if (t->on_transport)
    itm_unschedule(t->itm, t->clock);
  if (t->clock)
    freeobject(t->clock);
  auto found = named().find({t->owner, t->name});
  if (found != named().end() && found->second == t)
    named().erase(found);
}

const RecordKind time_object_kind{"timeobject", release_time_object};

TimeObject *as_time(void *x, const char *caller) {
  auto *t = record_cast<TimeObject>(x, time_object_kind);
  if (!t)
    error("%s: %p is not a time object", caller, x);
  return t;
}

bool is_fixed(const TimeValue &v) {
  return v.unit == Unit::ms || v.unit == Unit::hz || v.unit == Unit::samples;
}

double value_ms(const TimeObject &t, const TimeValue &v);

double value_ticks(const TimeObject &t, const TimeValue &v) {
  switch (v.unit) {
  case Unit::ticks:
    return v.amount;
  case Unit::notes:
    return v.amount * itm_getresolution();
  case Unit::bars: {
    double ticks = 0;
    itm_barbeatunitstoticks(t.itm, v.bars, v.beats, v.amount, &ticks,
                            (t.flags & TIME_FLAGS_LOCATION) ? 1 : 0);
    return ticks;
  }
  default:
    return itm_mstoticks(t.itm, value_ms(t, v));
  }
}

double value_ms(const TimeObject &t, const TimeValue &v) {
  switch (v.unit) {
  case Unit::ms:
    return v.amount;
  case Unit::hz:
    return 1000 / v.amount;
  case Unit::samples:
    return itm_sampstoms(t.itm, v.amount);
  default:
    return itm_tickstoms(t.itm, value_ticks(t, v));
  }
}

// A whole number written in all of `text`.
bool whole_number(std::string_view text, long &out) {
  const std::string copy(text);
  if (copy.empty())
    return false;
  char *end = nullptr;
  errno = 0;
  const long n = std::strtol(copy.c_str(), &end, 10);
  if (errno || *end)
    return false;
  out = n;
  return true;
}

// "4n", "8nd", "16nt": a note value, as quarter notes.
std::optional<double> note_value(std::string_view text) {
  double factor = 1;
  if (text.ends_with('d') || text.ends_with('t')) {
    factor = text.back() == 'd' ? 1.5 : 2.0 / 3.0;
    text.remove_suffix(1);
  }
  if (!text.ends_with('n'))
    return std::nullopt;
  text.remove_suffix(1);
  long division = 0;
  if (!whole_number(text, division))
    return std::nullopt;
  for (long allowed = 1; allowed <= 128; allowed *= 2)
    if (division == allowed)
      return 4.0 / static_cast<double>(division) * factor;
  return std::nullopt;
}

// "1.2.240": bars, beats and ticks.
std::optional<TimeValue> bars_value(std::string_view text) {
  const size_t first = text.find('.');
  const size_t second = first == std::string_view::npos ? first : text.find('.', first + 1);
  if (second == std::string_view::npos)
    return std::nullopt;
  TimeValue v{Unit::bars};
  const t_atom ticks = word_to_atom(text.substr(second + 1));
  if (!whole_number(text.substr(0, first), v.bars) ||
      !whole_number(text.substr(first + 1, second - first - 1), v.beats) || !is_number(ticks))
    return std::nullopt;
  v.amount = atom_getfloat(&ticks);
  return v;
}

std::optional<Unit> unit_named(std::string_view name) {
  if (name == "ms")
    return Unit::ms;
  if (name == "ticks")
    return Unit::ticks;
  if (name == "hz")
    return Unit::hz;
  if (name == "samples")
    return Unit::samples;
  return std::nullopt;
}

std::optional<TimeValue> parse_value(std::span<const t_atom> words) {
  for (const t_atom &w : words)
    if (w.a_type == A_FLOAT && !std::isfinite(w.a_w.w_float))
      return std::nullopt;
  if (words.size() == 1 && is_number(words[0]))
    return TimeValue{Unit::ms, atom_getfloat(&words[0])};
  if (words.size() == 1 && words[0].a_type == A_SYM) {
    const std::string_view text = atom_getsym(&words[0])->s_name;
    if (std::optional<double> quarters = note_value(text))
      return TimeValue{Unit::notes, *quarters};
    return bars_value(text);
  }
  if (words.size() == 2 && is_number(words[0]) && words[1].a_type == A_SYM) {
    std::optional<Unit> unit = unit_named(atom_getsym(&words[1])->s_name);
    const double amount = atom_getfloat(&words[0]);
    if (!unit || (*unit == Unit::hz && !(amount > 0)))
      return std::nullopt;
    return TimeValue{*unit, amount};
  }
  if (words.size() == 3 && is_number(words[0]) && is_number(words[1]) && is_number(words[2]) &&
      words[0].a_type == A_LONG && words[1].a_type == A_LONG)
    return TimeValue{Unit::bars, atom_getfloat(&words[2]),
                     static_cast<long>(atom_getlong(&words[0])),
                     static_cast<long>(atom_getlong(&words[1]))};
  return std::nullopt;
}

// Sets the value from words; false (reported) when they are no time value.
bool set_value(TimeObject &t, std::span<const t_atom> words) {
  std::optional<TimeValue> parsed = parse_value(words);
  if (!parsed) {
    error("%s: bad time value \"%s\"", owner_name(t), format_atoms(words).c_str());
    return false;
  }
  TimeValue v = *parsed;
  // The flags' one form, taken at the tempo of now.
  if ((t.flags & TIME_FLAGS_TICKSONLY) && is_fixed(v))
    v = TimeValue{Unit::ticks, value_ticks(t, v)};
  else if ((t.flags & TIME_FLAGS_FIXEDONLY) && !is_fixed(v))
    v = TimeValue{Unit::ms, value_ms(t, v)};
  if ((t.flags & TIME_FLAGS_POSITIVE) && v.unit != Unit::bars && v.amount < 0)
    v.amount = 0;
  t.value = v;
  t.as_set_count = static_cast<long>(words.size());
  std::copy(words.begin(), words.end(), t.as_set);
  return true;
}

// The quantization step in ticks of a quantize time object; 0 for none.
double quantize_step(const TimeObject *quantize) {
  if (!quantize)
    return 0;
  const double step = value_ticks(*quantize, quantize->value);
  return step > 0 && std::isfinite(step) ? step : 0;
}

// The interval in ticks that scheduling now would wait: `base` ticks, moved
// on to the next multiple of the quantization step (when not 0).
double quantized_interval(const TimeObject &t, double base, double step) {
  const double interval = std::max(base, 0.0);
  if (step == 0)
    return interval;
  const double now = itm_getticks(t.itm);
  // A hair's tolerance: a due time on a multiple stays there despite rounding.
  const double due = std::ceil((now + interval) / step - 1e-9) * step;
  return std::max(due - now, 0.0);
}

void fire(TimeObject *t) {
  t->scheduled = false;
  if (t->on_transport) {
    t->on_transport = false;
    itm_unschedule(t->itm, t->clock);
  }
  if (t->task)
    function_cast<void (*)(void *)>(t->task)(t->owner);
}

// Schedules the task after the value's interval (`of_value`) or now,
// quantized.
void schedule(TimeObject &t, bool of_value, const TimeObject *quantize) {
  if (!t.clock) {
    error("%s: time object \"%s\" schedules nothing (made without TIME_FLAGS_USECLOCK)",
          owner_name(t), t.name ? t.name->s_name : "");
    return;
  }
  const double step = quantize_step(quantize);
  const double interval = quantized_interval(t, of_value ? value_ticks(t, t.value) : 0, step);
  const bool fixed_value = of_value && is_fixed(t.value);
  if (t.on_transport)
    itm_unschedule(t.itm, t.clock);
  t.on_transport = !fixed_value && !(t.flags & TIME_FLAGS_FIXED);
  if (t.on_transport) {
    itm_schedule(t.itm, t.clock, interval);
  } else {
    // Unquantized, a fixed value waits its own milliseconds, exact as given.
    clock_fdelay(t.clock,
                 fixed_value && step == 0 ? value_ms(t, t.value) : itm_tickstoms(t.itm, interval));
  }
  t.scheduled = true;
}

t_max_err set_time_attribute(t_object *x, void *attr, long argc, t_atom *argv) {
  t_symbol *name = reinterpret_cast<Attribute *>(attr)->name;
  auto *t = reinterpret_cast<TimeObject *>(time_getnamed(x, name));
  if (!t) {
    error("%s: no time object for attribute \"%s\"", object_classname(x)->s_name, name->s_name);
    return MAX_ERR_GENERIC;
  }
  if (argc < 0 || argc > max_value_atoms || (argc > 0 && !argv)) {
    error("%s: bad time value for attribute \"%s\"", object_classname(x)->s_name, name->s_name);
    return MAX_ERR_GENERIC;
  }
  return set_value(*t, std::span<const t_atom>(argv, static_cast<size_t>(argc))) ? MAX_ERR_NONE
                                                                                 : MAX_ERR_GENERIC;
}

t_max_err get_time_attribute(t_object *x, void *attr, long *ac, t_atom **av) {
  t_symbol *name = reinterpret_cast<Attribute *>(attr)->name;
  auto *t = reinterpret_cast<TimeObject *>(time_getnamed(x, name));
  if (!t || !ac || !av)
    return MAX_ERR_GENERIC;
  char allocated = 0;
  if (t_max_err err = atom_alloc_array(t->as_set_count, ac, av, &allocated))
    return err;
  std::copy(t->as_set, t->as_set + t->as_set_count, *av);
  *ac = t->as_set_count;
  return MAX_ERR_NONE;
}

} // namespace
} // namespace kit::rt

using namespace kit::rt;

void *time_new(t_object *owner, t_symbol *attrname, method tick, long flags) {
  if (!object_state(owner)) {
    error("time_new: %p is not an object", static_cast<void *>(owner));
    return nullptr;
  }
  auto *t = reinterpret_cast<TimeObject *>(new_record(time_object_kind, sizeof(TimeObject), owner));
  if (!t)
    return nullptr;
  t->owner = owner;
  t->name = attrname;
  t->task = tick;
  t->flags = flags;
  t->itm = static_cast<t_itm *>(itm_getglobal());
  atom_setlong(&t->as_set[0], 0);
  t->as_set_count = 1;
  if (flags & TIME_FLAGS_USECLOCK)
    t->clock = clock_new(t, to_method(fire));
  if (attrname)
    named()[{owner, attrname}] = t;
  return t;
}

t_object *time_getnamed(t_object *owner, t_symbol *attrname) {
  auto found = named().find({owner, attrname});
  return found == named().end() ? nullptr : &found->second->ob;
}

void time_setvalue(t_timeobject *tx, t_symbol *s, long argc, t_atom *argv) {
  TimeObject *t = as_time(tx, "time_setvalue");
  if (!t)
    return;
  std::vector<t_atom> words;
  // An "anything" method's selector is the value's first word; the selectors
  // of plain numbers and lists are not.
  const CommonSymbols &common = common_symbols();
  if (s && s != common.empty && s != common.list && s != common.int_ && s != common.float_) {
    words.emplace_back();
    atom_setsym(&words.back(), s);
  }
  if (argc > 0 && argv)
    words.insert(words.end(), argv, argv + argc);
  set_value(*t, words);
}

void class_time_addattr(t_class *c, const char *attrname, const char *, long) {
  t_object *attr = attr_offset_new(attrname, gensym("atom"), 0, to_method(get_time_attribute),
                                   to_method(set_time_attribute), 0);
  if (attr)
    class_addattr(c, attr);
}

void time_stop(t_timeobject *x) {
  TimeObject *t = as_time(x, "time_stop");
  if (!t || !t->clock)
    return;
  if (t->on_transport)
    itm_unschedule(t->itm, t->clock);
  else
    clock_unset(t->clock);
  t->on_transport = false;
  t->scheduled = false;
}

void time_tick(t_timeobject *x) {
  TimeObject *t = as_time(x, "time_tick");
  if (!t)
    return;
  const bool was_scheduled = t->scheduled;
  time_stop(x);
  if (t->task)
    function_cast<void (*)(void *)>(t->task)(t->owner);
  if (was_scheduled)
    schedule(*t, true, nullptr);
}

double time_getms(t_timeobject *x) {
  TimeObject *t = as_time(x, "time_getms");
  return t ? value_ms(*t, t->value) : 0;
}

double time_getticks(t_timeobject *x) {
  TimeObject *t = as_time(x, "time_getticks");
  return t ? value_ticks(*t, t->value) : 0;
}

long time_isfixedunit(t_timeobject *x) {
  TimeObject *t = as_time(x, "time_isfixedunit");
  return t && is_fixed(t->value) ? 1 : 0;
}

void time_schedule(t_timeobject *x, t_timeobject *quantize) {
  TimeObject *t = as_time(x, "time_schedule");
  TimeObject *q = quantize ? as_time(quantize, "time_schedule") : nullptr;
  if (t)
    schedule(*t, true, q);
}

void time_now(t_timeobject *x, t_timeobject *quantize) {
  TimeObject *t = as_time(x, "time_now");
  TimeObject *q = quantize ? as_time(quantize, "time_now") : nullptr;
  if (t)
    schedule(*t, false, q);
}

void *time_getitm(t_timeobject *ox) {
  TimeObject *t = as_time(ox, "time_getitm");
  return t ? t->itm : itm_getglobal();
}

double time_calcquantize(t_timeobject *ox, t_itm *, t_timeobject *oq) {
  TimeObject *t = as_time(ox, "time_calcquantize");
  if (!t)
    return 0;
  TimeObject *q = oq ? as_time(oq, "time_calcquantize") : nullptr;
  return quantized_interval(*t, value_ticks(*t, t->value), quantize_step(q));
}
