// The thread rules as debug and sanitizer builds check them: an outlet,
// Host::send or the freeing of a clock reached from a worker thread is
// reported once per object and kind of call, and still happens; handing
// work to the main thread through a clock or a deferred call is not
// reported. Other builds carry no check: there the tests are skipped.
#include "patch.hpp"

#include "ext.h"
#include "ext_critical.h"
#include "ext_obex.h"
#include "ext_systhread.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <thread>

using kittest::Lines;
using kittest::Patch;

namespace {

const std::string reported = "error: test-worker: outlet called off the main thread";

// test-worker: one outlet and one clock, handed to the test's threads.
struct Worker {
  t_object ob;
  void *out;
  t_clock *clock;
};

t_class *worker_class;

void *worker_new() {
  auto *x = static_cast<Worker *>(object_alloc(worker_class));
  x->out = outlet_new(x, nullptr);
  x->clock = clock_new(
      x, (method) + [](Worker *w) { outlet_bang(w->out); });
  return x;
}
void worker_free(Worker *x) {
  if (x->clock)
    freeobject(static_cast<t_object *>(x->clock));
}
void worker_bang(Worker *) {
  post("test-worker: bang");
}
void worker_main() {
  worker_class =
      class_new("test-worker", (method)worker_new, (method)worker_free, sizeof(Worker), nullptr, 0);
  class_addmethod(worker_class, (method)worker_bang, "bang", 0);
  class_register(gensym("box"), worker_class);
}

/// Runs `work` on a thread of its own, to its end.
void on_worker_thread(const std::function<void()> &work) {
  std::thread(work).join();
}

class ThreadRules : public ::testing::Test {
protected:
  void SetUp() override {
#ifndef KIT_CHECK_THREADS
    GTEST_SKIP() << "the thread rules are checked in Debug and sanitizer builds only";
#endif
    p.host().define_module("test-worker", worker_main);
  }
  Worker *make_worker() {
    return reinterpret_cast<Worker *>(p.make("w", "test-worker"));
  }
  Patch p;
};

TEST_F(ThreadRules, EveryOutletCallOffTheMainThreadIsReportedOncePerObjectAndStillMade) {
  struct Case {
    const char *name;
    void (*call)(void *out, t_atom *atoms);
    const char *line;
  };
  const Case cases[] = {
      {"outlet_int", [](void *out, t_atom *) { outlet_int(out, 5); }, "w.0: 5"},
      {"outlet_float", [](void *out, t_atom *) { outlet_float(out, 1.5); }, "w.0: 1.5"},
      {"outlet_bang", [](void *out, t_atom *) { outlet_bang(out); }, "w.0: bang"},
      {"outlet_list", [](void *out, t_atom *atoms) { outlet_list(out, nullptr, 2, atoms); },
       "w.0: 1 b"},
      {"outlet_anything",
       [](void *out, t_atom *atoms) { outlet_anything(out, gensym("go"), 2, atoms); },
       "w.0: go 1 b"},
  };
  t_atom atoms[2];
  atom_setlong(&atoms[0], 1);
  atom_setsym(&atoms[1], gensym("b"));
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    Worker *w = make_worker();
    ASSERT_NE(w, nullptr);
    on_worker_thread([&] { c.call(w->out, atoms); });
    EXPECT_EQ(p.take(), (Lines{reported, c.line}));
    // Once per object: the same call again is made without a report.
    on_worker_thread([&] { c.call(w->out, atoms); });
    EXPECT_EQ(p.take(), Lines{c.line});
    // On the main thread nothing is reported.
    c.call(w->out, atoms);
    EXPECT_EQ(p.take(), Lines{c.line});
    p.free(&w->ob);
  }
}

TEST_F(ThreadRules, SendingOffTheMainThreadIsReportedAndDelivered) {
  Worker *w = make_worker();
  ASSERT_NE(w, nullptr);
  for (int i = 0; i < 2; ++i)
    on_worker_thread([&] { p.host().send(&w->ob, 0, gensym("bang"), {}); });
  EXPECT_EQ(p.take(), (Lines{"error: test-worker: Host::send called off the main thread",
                             "post: test-worker: bang", "post: test-worker: bang"}));
  // A receiver that is no object has no class to name.
  t_object *freed = &w->ob;
  p.free(freed);
  on_worker_thread([&] { EXPECT_FALSE(p.host().send(freed, 0, gensym("bang"), {})); });
  EXPECT_EQ(p.take(), Lines{"error: Host::send called off the main thread"});
}

TEST_F(ThreadRules, FreeingAClockOffTheMainThreadIsReportedAndFreesIt) {
  Worker *w = make_worker();
  ASSERT_NE(w, nullptr);
  clock_delay(w->clock, 10);
  on_worker_thread([&] {
    freeobject(static_cast<t_object *>(w->clock));
    w->clock = nullptr;
  });
  EXPECT_EQ(p.take(), Lines{"error: test-worker: clock freed off the main thread"});
  EXPECT_EQ(p.host().pending().clocks, 0u);
  p.advance(20);
  EXPECT_EQ(p.take(), Lines{});

  // A clock whose owner is no object has no class to name.
  int owner = 0;
  t_clock *plain = clock_new(
      &owner, (method) + [](int *) {});
  on_worker_thread([&] { freeobject(static_cast<t_object *>(plain)); });
  EXPECT_EQ(p.take(), Lines{"error: clock freed off the main thread"});
}

TEST_F(ThreadRules, HandingWorkToTheMainThreadIsNotReported) {
  Worker *w = make_worker();
  ASSERT_NE(w, nullptr);
  on_worker_thread([&] {
    clock_delay(w->clock, 0);
    defer_low(
        w, (method) + [](Worker *x, t_symbol *, short, t_atom *) { outlet_int(x->out, 7); },
        nullptr, 0, nullptr);
  });
  p.advance(1);
  EXPECT_EQ(p.take(), (Lines{"w.0: 7", "w.0: bang"}));
}

TEST_F(ThreadRules, QelemsThreadsAndCriticalRegionsServeAnyThreadWithoutAReport) {
  Worker *w = make_worker();
  ASSERT_NE(w, nullptr);
  void *qelem = qelem_new(
      w, (method) + [](Worker *x) { outlet_int(x->out, 3); });
  ASSERT_NE(qelem, nullptr);
  on_worker_thread([&] {
    qelem_set(qelem);
    qelem_unset(qelem);
    qelem_front(qelem);
    qelem_set(qelem);

    t_systhread_mutex mutex = nullptr;
    t_systhread_cond cond = nullptr;
    t_systhread_key key = nullptr;
    EXPECT_EQ(systhread_mutex_new(&mutex, SYSTHREAD_MUTEX_NORMAL), MAX_ERR_NONE);
    EXPECT_EQ(systhread_cond_new(&cond, 0), MAX_ERR_NONE);
    EXPECT_EQ(systhread_key_create(&key, nullptr), MAX_ERR_NONE);
    systhread_mutex_lock(mutex);
    systhread_cond_signal(cond);
    systhread_mutex_unlock(mutex);
    systhread_setspecific(key, w);
    EXPECT_EQ(systhread_getspecific(key), w);
    EXPECT_EQ(systhread_ismainthread(), 0);

    // A thread of its own, made and joined from this one.
    systhread_set_name("worker");
    t_systhread inner = nullptr;
    EXPECT_EQ(systhread_create((method) + [](void *) -> void * { return nullptr; }, nullptr, 0, 0,
                               0, &inner),
              MAX_ERR_NONE);
    EXPECT_EQ(systhread_join(inner, nullptr), MAX_ERR_NONE);
    systhread_sleep(0);

    t_critical region = nullptr;
    critical_new(&region);
    critical_enter(region);
    critical_exit(region);
    critical_free(region);
    critical_enter(nullptr);
    critical_exit(nullptr);

    EXPECT_EQ(systhread_key_delete(key), MAX_ERR_NONE);
    EXPECT_EQ(systhread_cond_free(cond), MAX_ERR_NONE);
    EXPECT_EQ(systhread_mutex_free(mutex), MAX_ERR_NONE);
  });
  EXPECT_EQ(p.take(), Lines{});
  // The qelem's function runs once, on the main thread, and its outlet is not reported.
  p.advance(0);
  EXPECT_EQ(p.take(), Lines{"w.0: 3"});
  p.free(&w->ob);
}

} // namespace
