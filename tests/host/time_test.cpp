// Time objects and the transport: values in their units, tasks scheduled on
// the transport or the plain clock, pausing, seeking and quantizing, and
// time attributes, driven through an object as an external uses them.
#include "patch.hpp"

#include "ext.h"
#include "ext_obex.h"
#include "ext_time.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <ostream>
#include <string>

using kittest::Lines;
using kittest::Patch;

namespace {

// ---- test-timed: a time object "delaytime" with a task, and "quantize" --------

struct Timed {
  t_object ob;
  t_object *delay;
  t_object *quantize;
};

t_class *timed_class;
double start_time = 0;

void timed_task(Timed *) {
  post("fired at %g", gettime_forobject(nullptr) - start_time);
}

// "test-timed [FLAGS] [@ATTR VALUE...]": FLAGS are the delay time object's
// flags besides USECLOCK.
void *timed_new(t_symbol *, long argc, t_atom *argv) {
  auto *x = static_cast<Timed *>(object_alloc(timed_class));
  const long flags =
      argc > 0 && argv[0].a_type == A_LONG ? static_cast<long>(argv[0].a_w.w_long) : 0;
  x->delay = static_cast<t_object *>(
      time_new(&x->ob, gensym("delaytime"), (method)timed_task, TIME_FLAGS_USECLOCK | flags));
  x->quantize = static_cast<t_object *>(time_new(&x->ob, gensym("quantize"), nullptr, 0));
  attr_args_process(x, static_cast<short>(argc), argv);
  return x;
}

void timed_free(Timed *x) {
  freeobject(x->delay);
  freeobject(x->quantize);
}

void timed_bang(Timed *x) {
  time_schedule(x->delay, x->quantize);
}
void timed_now(Timed *x) {
  time_now(x->delay, x->quantize);
}
void timed_stop(Timed *x) {
  time_stop(x->delay);
}
void timed_tick(Timed *x) {
  time_tick(x->delay);
}
void timed_report(Timed *x) {
  post("%g ms, %g ticks, %s", time_getms(x->delay), time_getticks(x->delay),
       time_isfixedunit(x->delay) ? "fixed" : "tempo-relative");
}
void timed_value(Timed *x, t_symbol *s, long argc, t_atom *argv) {
  time_setvalue(x->delay, s, argc, argv);
}
void timed_list(Timed *x, t_symbol *, long argc, t_atom *argv) {
  time_setvalue(x->delay, nullptr, argc, argv);
}
void timed_float(Timed *x, double f) {
  t_atom a;
  atom_setfloat(&a, f);
  time_setvalue(x->delay, nullptr, 1, &a);
}
void timed_pause(Timed *) {
  itm_pause(static_cast<t_itm *>(itm_getglobal()));
}
void timed_resume(Timed *) {
  itm_resume(static_cast<t_itm *>(itm_getglobal()));
}
void timed_seek(Timed *, double ticks) {
  t_itm *itm = static_cast<t_itm *>(itm_getglobal());
  itm_seek(itm, itm_getticks(itm), ticks, 0);
}

void timed_main() {
  timed_class =
      class_new("test-timed", (method)timed_new, (method)timed_free, sizeof(Timed), 0, A_GIMME, 0);
  class_addmethod(timed_class, (method)timed_bang, "bang", 0);
  class_addmethod(timed_class, (method)timed_now, "now", 0);
  class_addmethod(timed_class, (method)timed_stop, "stop", 0);
  class_addmethod(timed_class, (method)timed_tick, "tick", 0);
  class_addmethod(timed_class, (method)timed_report, "report", 0);
  class_addmethod(timed_class, (method)timed_float, "float", A_FLOAT, 0);
  class_addmethod(timed_class, (method)timed_list, "list", A_GIMME, 0);
  class_addmethod(timed_class, (method)timed_value, "anything", A_GIMME, 0);
  class_addmethod(timed_class, (method)timed_pause, "pause", 0);
  class_addmethod(timed_class, (method)timed_resume, "resume", 0);
  class_addmethod(timed_class, (method)timed_seek, "seek", A_FLOAT, 0);
  class_time_addattr(timed_class, "delaytime", "Delay Time", TIME_FLAGS_TICKSONLY);
  class_time_addattr(timed_class, "quantize", "Quantization", TIME_FLAGS_TICKSONLY);
  class_register(CLASS_BOX, timed_class);
}

class Time : public ::testing::Test {
protected:
  void SetUp() override {
    p.host().define_module("test-timed", timed_main);
    start_time = p.host().now();
    // Every test starts from a running transport at a whole beat.
    t_itm *itm = static_cast<t_itm *>(itm_getglobal());
    itm_resume(itm);
    itm_seek(itm, 0, 0, 0);
  }
  void TearDown() override {
    itm_resume(static_cast<t_itm *>(itm_getglobal()));
    itm_settimesignature(static_cast<t_itm *>(itm_getglobal()), 4, 4, 0);
    itm_setresolution(480);
  }
  Patch p;
};

// ---- Values --------------------------------------------------------------------

struct ValueCase {
  const char *message;
  const char *report; ///< what "report" posts after it
};

void PrintTo(const ValueCase &c, std::ostream *os) {
  *os << '"' << c.message << '"';
}

class TimeValues : public Time, public ::testing::WithParamInterface<ValueCase> {};

TEST_P(TimeValues, AreReadInTheirUnitsAndConvertedAtTheTempo) {
  t_object *t = p.make("t", "test-timed");
  p.send(t, GetParam().message);
  p.send(t, "report");
  EXPECT_EQ(p.take(), Lines{std::string("post: ") + GetParam().report});
}

INSTANTIATE_TEST_SUITE_P(
    Units, TimeValues,
    ::testing::Values(ValueCase{"500", "500 ms, 480 ticks, fixed"},
                      ValueCase{"250.5", "250.5 ms, 240.48 ticks, fixed"},
                      ValueCase{"500 ms", "500 ms, 480 ticks, fixed"},
                      ValueCase{"960 ticks", "1000 ms, 960 ticks, tempo-relative"},
                      ValueCase{"4 hz", "250 ms, 240 ticks, fixed"},
                      ValueCase{"22050 samples", "500 ms, 480 ticks, fixed"},
                      ValueCase{"4n", "500 ms, 480 ticks, tempo-relative"},
                      ValueCase{"1n", "2000 ms, 1920 ticks, tempo-relative"},
                      ValueCase{"128n", "15.625 ms, 15 ticks, tempo-relative"},
                      ValueCase{"8nd", "375 ms, 360 ticks, tempo-relative"},
                      ValueCase{"4nt", "333.333 ms, 320 ticks, tempo-relative"},
                      ValueCase{"1.1.240", "2750 ms, 2640 ticks, tempo-relative"},
                      ValueCase{"0 2 120", "1125 ms, 1080 ticks, tempo-relative"}));

TEST_F(Time, BadValuesAreReportedAndTheOldValueKept) {
  t_object *t = p.make("t", "test-timed");
  p.send(t, "4n");
  for (const char *bad : {"3n", "4x", "4nn", "500 furlongs", "0 hz", "-2 hz", "1.2.", "a.b.c",
                          "1.2.x", "1 2 3 4", "4n 8n"}) {
    p.send(t, bad);
    p.take();
  }
  p.send(t, "report");
  EXPECT_EQ(p.take(), Lines{"post: 500 ms, 480 ticks, tempo-relative"});
  p.send(t, "5n");
  EXPECT_EQ(p.take(), Lines{"error: test-timed: bad time value \"5n\""});
}

TEST_F(Time, FlagsTurnValuesIntoTheirOneForm) {
  // Ticks only: milliseconds become ticks at the tempo of now.
  t_object *ticks = p.make("t", "test-timed 2");
  p.send(ticks, "250");
  p.send(ticks, "report");
  // Fixed only: tempo-relative values become milliseconds.
  t_object *fixed = p.make("f", "test-timed 4");
  p.send(fixed, "2n");
  p.send(fixed, "report");
  // Location: bars and beats count from 1 1 0.
  t_object *located = p.make("l", "test-timed 1");
  p.send(located, "2.1.0");
  p.send(located, "report");
  EXPECT_EQ(p.take(),
            (Lines{"post: 250 ms, 240 ticks, tempo-relative", "post: 1000 ms, 960 ticks, fixed",
                   "post: 2000 ms, 1920 ticks, tempo-relative"}));
}

TEST_F(Time, NoteValuesKeepTheirLengthThroughResolutionAndTimeSignature) {
  t_object *t = p.make("t", "test-timed");
  p.send(t, "4n");
  itm_setresolution(960);
  p.send(t, "report");
  p.send(t, "1.0.0");
  itm_settimesignature(static_cast<t_itm *>(itm_getglobal()), 3, 4, 0);
  p.send(t, "report");
  EXPECT_EQ(p.take(), (Lines{"post: 500 ms, 960 ticks, tempo-relative",
                             "post: 1500 ms, 2880 ticks, tempo-relative"}));
}

TEST_F(Time, BarsBeatsAndTicksConvertBothWays) {
  t_itm *itm = static_cast<t_itm *>(itm_getglobal());
  itm_settimesignature(itm, 6, 8, 0);
  double ticks = 0;
  itm_barbeatunitstoticks(itm, 2, 3, 100, &ticks, 1);
  EXPECT_DOUBLE_EQ(ticks, 1 * 1440 + 2 * 240 + 100);
  long bars = 0, beats = 0;
  double units = 0;
  itm_tickstobarbeatunits(itm, ticks, &bars, &beats, &units, 1);
  EXPECT_EQ(bars, 2);
  EXPECT_EQ(beats, 3);
  EXPECT_DOUBLE_EQ(units, 100);
  itm_tickstobarbeatunits(itm, ticks, &bars, &beats, &units, 0);
  EXPECT_EQ(bars, 1);
  EXPECT_EQ(beats, 2);
  itm_tickstobarbeatunits(itm, 1e300, &bars, &beats, &units, 1);
  EXPECT_GT(bars, 0) << "a huge position clamps instead of overflowing";
  itm_settimesignature(itm, 0, 4, 0);
  long num = 0, denom = 0;
  itm_gettimesignature(itm, &num, &denom);
  EXPECT_EQ(num, 6) << "a bad time signature is refused";
  EXPECT_EQ(itm_isunitfixed(gensym("ms")), 0);
  EXPECT_NE(itm_isunitfixed(gensym("ticks")), 0);
}

// ---- Scheduling ----------------------------------------------------------------

TEST_F(Time, TasksFireAfterTheirIntervalAndStopOrReschedulingCancel) {
  t_object *t = p.make("t", "test-timed");
  p.send(t, "4n");
  p.send(t, "bang");
  p.advance(499);
  EXPECT_TRUE(p.take().empty());
  p.advance(1);
  EXPECT_EQ(p.take(), Lines{"post: fired at 500"});
  p.send(t, "bang");
  p.advance(100);
  p.send(t, "bang"); // replaces the first: one task, 500 ms from here
  p.advance(1000);
  EXPECT_EQ(p.take(), Lines{"post: fired at 1100"});
  p.send(t, "250");
  p.send(t, "bang");
  p.send(t, "stop");
  p.advance(1000);
  EXPECT_TRUE(p.take().empty());
}

TEST_F(Time, PausingHoldsTempoRelativeTasksButNotFixedOnes) {
  t_object *relative = p.make("r", "test-timed");
  t_object *fixed = p.make("f", "test-timed");
  p.send(relative, "4n");
  p.send(fixed, "300");
  p.send(relative, "bang");
  p.send(fixed, "bang");
  p.advance(200);
  p.send(relative, "pause");
  p.advance(1000);
  EXPECT_EQ(p.take(), Lines{"post: fired at 300"});
  p.send(relative, "resume");
  p.advance(299);
  EXPECT_TRUE(p.take().empty());
  p.advance(1);
  EXPECT_EQ(p.take(), Lines{"post: fired at 1500"}) << "the 300 ms left, after the pause";
}

TEST_F(Time, ATaskScheduledWhilePausedWaitsForTheTransport) {
  t_object *t = p.make("t", "test-timed");
  p.send(t, "8n");
  p.send(t, "pause");
  p.send(t, "bang");
  p.advance(5000);
  EXPECT_TRUE(p.take().empty());
  p.send(t, "resume");
  p.advance(250);
  EXPECT_EQ(p.take(), Lines{"post: fired at 5250"});
}

TEST_F(Time, SeekingKeepsTheTimeLeft) {
  t_object *t = p.make("t", "test-timed");
  p.send(t, "4n");
  p.send(t, "bang");
  p.advance(100);
  p.send(t, "seek 96000");
  p.advance(400);
  EXPECT_EQ(p.take(), Lines{"post: fired at 500"});
  EXPECT_DOUBLE_EQ(itm_getticks(static_cast<t_itm *>(itm_getglobal())), 96000 + 384);
}

TEST_F(Time, QuantizingMovesTheTaskToTheNextMultiple) {
  t_object *t = p.make("t", "test-timed");
  p.send(t, "quantize 2n"); // the attribute: 960 ticks, 1000 ms
  p.send(t, "8n");
  p.advance(100);
  p.send(t, "bang"); // due at 350 ms: moved on to 1000
  p.advance(2000);
  p.send(t, "now"); // at 2100: moved on to 3000
  p.advance(2000);
  p.send(t, "quantize 0");
  p.send(t, "now"); // unquantized: at once
  p.advance(0);
  EXPECT_EQ(p.take(), (Lines{"post: fired at 1000", "post: fired at 3000", "post: fired at 4100"}));
}

TEST_F(Time, TickRunsTheTaskNowAndReschedulesWhatWasScheduled) {
  t_object *t = p.make("t", "test-timed");
  p.send(t, "100");
  p.send(t, "tick"); // not scheduled: runs once
  p.send(t, "bang");
  p.advance(50);
  p.send(t, "tick"); // scheduled: runs now and again 100 ms on
  p.advance(200);
  EXPECT_EQ(p.take(), (Lines{"post: fired at 0", "post: fired at 50", "post: fired at 150"}));
}

// ---- Attributes and lifetime -----------------------------------------------------

TEST_F(Time, TheTimeAttributeSetsTheNamedTimeObject) {
  t_object *t = p.make("t", "test-timed @delaytime 2n");
  p.send(t, "report");
  p.send(t, "delaytime 1 0 0");
  p.send(t, "report");
  p.send(t, "delaytime 9q");
  EXPECT_EQ(p.take(), (Lines{"post: 1000 ms, 960 ticks, tempo-relative",
                             "post: 2000 ms, 1920 ticks, tempo-relative",
                             "error: test-timed: bad time value \"9q\""}));
  EXPECT_NE(time_getnamed(t, gensym("delaytime")), nullptr);
  EXPECT_EQ(time_getnamed(t, gensym("nothing")), nullptr);
}

TEST_F(Time, FreeingTheOwnerCancelsWhatItsTimeObjectsScheduled) {
  t_object *t = p.make("t", "test-timed");
  t_object *delay = time_getnamed(t, gensym("delaytime"));
  EXPECT_STREQ(object_classname(delay)->s_name, "timeobject");
  p.send(t, "4n");
  p.send(t, "bang");
  p.free(t);
  p.advance(1000);
  EXPECT_TRUE(p.take().empty());
  EXPECT_EQ(p.host().pending().clocks, 0u);
}

TEST_F(Time, TimeObjectsLeftBehindAreFreedWithTheirOwner) {
  t_object *t = p.make("t", "test-timed");
  // Made without a free of its own: the owner's freeing takes it along.
  void *orphan = time_new(t, gensym("orphan"), (method)timed_task, TIME_FLAGS_USECLOCK);
  t_atom value;
  atom_setsym(&value, gensym("4n"));
  time_setvalue(static_cast<t_object *>(orphan), nullptr, 1, &value);
  time_schedule(static_cast<t_object *>(orphan), nullptr);
  p.free(t);
  p.advance(1000);
  EXPECT_TRUE(p.take().empty());
  EXPECT_EQ(p.host().pending().clocks, 0u);
}

TEST_F(Time, MisuseIsReported) {
  t_object *t = p.make("t", "test-timed");
  t_object *quantize = time_getnamed(t, gensym("quantize"));
  time_schedule(quantize, nullptr);
  t_object not_a_time_object{};
  time_stop(&not_a_time_object);
  EXPECT_EQ(time_new(&not_a_time_object, nullptr, nullptr, 0), nullptr);
  const Lines lines = p.take();
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], "error: test-timed: time object \"quantize\" schedules nothing (made "
                      "without TIME_FLAGS_USECLOCK)");
  EXPECT_NE(lines[1].find("is not a time object"), std::string::npos);
  EXPECT_NE(lines[2].find("time_new: "), std::string::npos);
}

} // namespace
