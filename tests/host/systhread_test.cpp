// Threads of externals: systhread threads, mutexes, conditions and keys,
// critical regions, and qelems that hand work from a thread to the main one.
#include "patch.hpp"

#include "ext.h"
#include "ext_critical.h"
#include "ext_obex.h"
#include "ext_systhread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

using kittest::Lines;
using kittest::Patch;

namespace {

struct Shared {
  t_systhread_mutex mutex = nullptr;
  t_systhread_cond cond = nullptr;
  int value = 0;
  bool ready = false;
  t_systhread *handle = nullptr; ///< where systhread_create stores the thread's handle
  long self_is_handle = -1;
  short was_main = -1;
};

void *exits_with_seven(Shared *s) {
  // The handle is stored before the thread starts.
  s->self_is_handle = systhread_equal(systhread_self(), *s->handle);
  s->was_main = systhread_ismainthread();
  systhread_exit(7);
  return nullptr;
}

void *marks_ran(std::atomic<bool> *ran) {
  ran->store(true);
  return nullptr;
}

void *waits_for_ready(Shared *s) {
  systhread_mutex_lock(s->mutex);
  while (!s->ready)
    systhread_cond_wait(s->cond, s->mutex);
  s->value = 42;
  systhread_mutex_unlock(s->mutex);
  return nullptr;
}

TEST(Systhread, AThreadEndsWithTheStatusItExitsWithAndIsJoinedOnce) {
  Patch p;
  Shared s;
  t_systhread thread = nullptr;
  s.handle = &thread;
  ASSERT_EQ(systhread_create((method)exits_with_seven, &s, 0, 0, 0, &thread), MAX_ERR_NONE);
  ASSERT_NE(thread, nullptr);
  EXPECT_FALSE(systhread_equal(systhread_self(), thread));
  unsigned int status = 0;
  EXPECT_EQ(systhread_join(thread, &status), MAX_ERR_NONE);
  EXPECT_EQ(status, 7u);
  EXPECT_EQ(s.self_is_handle, 1);
  EXPECT_EQ(s.was_main, 0);
  EXPECT_EQ(systhread_ismainthread(), 1);
  // The handle is gone: a second join is refused, not undefined.
  EXPECT_EQ(systhread_join(thread, &status), MAX_ERR_INVALID_PTR);
  const Lines lines = p.take();
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_NE(lines[0].find("is not a thread made by systhread_create"), std::string::npos);
}

TEST(Systhread, ExitOutsideItsThreadsIsRefusedAndDetachedThreadsReleaseThemselves) {
  Patch p;
  systhread_exit(1); // the main thread goes on
  EXPECT_EQ(p.take(), (Lines{"error: systhread_exit: called from a thread that "
                             "systhread_create did not make; it goes on"}));
  // Static: the detached thread may outlive this test's frame.
  static std::atomic<bool> ran{false};
  t_systhread thread = nullptr;
  ASSERT_EQ(systhread_create((method)marks_ran, &ran, 0, 0, 0, &thread), MAX_ERR_NONE);
  EXPECT_EQ(systhread_detach(thread), MAX_ERR_NONE);
  EXPECT_NE(systhread_join(thread, nullptr), MAX_ERR_NONE);
  for (int i = 0; i < 10000 && !ran; ++i)
    systhread_sleep(1);
  EXPECT_TRUE(ran);
  p.take();
}

TEST(Systhread, AConditionWakesTheThreadThatWaitsOnItsMutex) {
  Patch p;
  Shared s;
  ASSERT_EQ(systhread_mutex_new(&s.mutex, SYSTHREAD_MUTEX_NORMAL), MAX_ERR_NONE);
  ASSERT_EQ(systhread_cond_new(&s.cond, 0), MAX_ERR_NONE);
  t_systhread thread = nullptr;
  ASSERT_EQ(systhread_create((method)waits_for_ready, &s, 0, 0, 0, &thread), MAX_ERR_NONE);
  systhread_mutex_lock(s.mutex);
  s.ready = true;
  systhread_cond_signal(s.cond);
  systhread_mutex_unlock(s.mutex);
  EXPECT_EQ(systhread_join(thread, nullptr), MAX_ERR_NONE);
  EXPECT_EQ(s.value, 42);
  EXPECT_EQ(systhread_cond_free(s.cond), MAX_ERR_NONE);
  EXPECT_EQ(systhread_mutex_free(s.mutex), MAX_ERR_NONE);
}

TEST(Systhread, MutexesLockByTheirKindAndBadHandlesAreReported) {
  Patch p;
  t_systhread_mutex recursive = nullptr;
  ASSERT_EQ(systhread_mutex_newlock(&recursive, SYSTHREAD_MUTEX_RECURSIVE), MAX_ERR_NONE);
  EXPECT_EQ(systhread_mutex_trylock(recursive), 0); // the owner again
  long other_thread_try = -1;
  std::thread([&] { other_thread_try = systhread_mutex_trylock(recursive); }).join();
  EXPECT_NE(other_thread_try, 0);
  // Still locked: freeing it is refused rather than leaving a lock on freed memory.
  EXPECT_EQ(systhread_mutex_free(recursive), MAX_ERR_GENERIC);
  systhread_mutex_unlock(recursive);
  systhread_mutex_unlock(recursive);
  EXPECT_EQ(systhread_mutex_free(recursive), MAX_ERR_NONE);

  t_systhread_mutex checking = nullptr;
  ASSERT_EQ(systhread_mutex_newlock(&checking, SYSTHREAD_MUTEX_ERRORCHECK), MAX_ERR_NONE);
  EXPECT_NE(systhread_mutex_lock(checking), MAX_ERR_NONE); // a second lock fails, no deadlock
  systhread_mutex_unlock(checking);
  systhread_mutex_free(checking);

  EXPECT_EQ(systhread_mutex_lock(nullptr), MAX_ERR_INVALID_PTR);
  const Lines lines = p.take();
  EXPECT_EQ(lines, (Lines{"error: systhread_mutex_free: the mutex is locked; it is kept",
                          "error: systhread_mutex_lock: no handle (null)"}));
}

TEST(Systhread, KeysHoldAValuePerThread) {
  Patch p;
  t_systhread_key key = nullptr;
  ASSERT_EQ(systhread_key_create(&key, nullptr), MAX_ERR_NONE);
  int mine = 1;
  int theirs = 2;
  systhread_setspecific(key, &mine);
  void *seen_there = &mine;
  std::thread([&] {
    seen_there = systhread_getspecific(key);
    systhread_setspecific(key, &theirs);
  }).join();
  EXPECT_EQ(seen_there, nullptr);
  EXPECT_EQ(systhread_getspecific(key), &mine);
  EXPECT_EQ(systhread_key_delete(key), MAX_ERR_NONE);
}

TEST(Critical, RegionsAreRecursiveAndKeepOtherThreadsOut) {
  Patch p;
  t_critical region = nullptr;
  critical_new(&region);
  ASSERT_NE(region, nullptr);
  for (t_critical r : {region, static_cast<t_critical>(nullptr)}) {
    critical_enter(r);
    EXPECT_EQ(critical_tryenter(r), 0); // again, by the same thread
    short other = 0;
    std::thread([&] { other = critical_tryenter(r); }).join();
    EXPECT_NE(other, 0);
    critical_exit(r);
    critical_exit(r);
    std::thread([&] {
      other = critical_tryenter(r);
      if (other == 0)
        critical_exit(r);
    }).join();
    EXPECT_EQ(other, 0);
  }
  critical_free(region);
}

// test-qworker: a qelem that outputs how often a thread set it.
struct QWorker {
  t_object ob;
  void *out;
  void *qelem;
  std::atomic<int> sets;
};
t_class *qworker_class;

void qworker_output(QWorker *x) {
  outlet_int(x->out, x->sets.load());
}
void *qworker_new() {
  auto *x = static_cast<QWorker *>(object_alloc(qworker_class));
  x->out = outlet_new(x, nullptr);
  x->qelem = qelem_new(x, (method)qworker_output);
  return x;
}
void qworker_main() {
  qworker_class =
      class_new("test-qworker", (method)qworker_new, nullptr, sizeof(QWorker), nullptr, 0);
  class_register(CLASS_BOX, qworker_class);
}

class Qelems : public ::testing::Test {
protected:
  void SetUp() override {
    p.host().define_module("test-qworker", qworker_main);
    x = reinterpret_cast<QWorker *>(p.make("q", "test-qworker"));
    ASSERT_NE(x, nullptr);
  }
  Patch p;
  QWorker *x = nullptr;
};

TEST_F(Qelems, SetsFromAThreadRunOnceOnTheMainThreadWithoutAReport) {
  std::thread([&] {
    for (int i = 0; i < 100; ++i) {
      x->sets.fetch_add(1);
      qelem_set(x->qelem);
    }
  }).join();
  EXPECT_EQ(p.take(), Lines{}); // nothing runs until the loop does
  p.advance(0);
  EXPECT_EQ(p.take(), Lines{"q.0: 100"});
  p.advance(10);
  EXPECT_EQ(p.take(), Lines{});
}

TEST_F(Qelems, UnsetCancelsFrontGoesFirstAndFreeingTheObjectFreesItsQelem) {
  qelem_set(x->qelem);
  qelem_unset(x->qelem);
  p.advance(0);
  EXPECT_EQ(p.take(), Lines{});
  t_object *y = p.make("r", "test-qworker");
  auto *second = reinterpret_cast<QWorker *>(y);
  second->sets = 2;
  qelem_set(x->qelem);
  qelem_front(second->qelem);
  p.advance(0);
  EXPECT_EQ(p.take(), (Lines{"r.0: 2", "q.0: 0"}));
  // The object never frees its qelem: freed with it, it is no longer called.
  qelem_set(second->qelem);
  p.free(y);
  p.advance(0);
  EXPECT_EQ(p.take(), Lines{});
}

#ifdef KIT_CHECK_THREADS
TEST_F(Qelems, FreeingAQelemOffTheMainThreadIsReported) {
  std::thread([&] { qelem_free(x->qelem); }).join();
  x->qelem = nullptr;
  EXPECT_EQ(p.take(), Lines{"error: test-qworker: qelem freed off the main thread"});
}
#endif

} // namespace
