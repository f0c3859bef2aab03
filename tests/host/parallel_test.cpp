// Parallel tasks on the host's pool, lists and tables used from several
// threads at once, and the functions called at exit. Run under
// ThreadSanitizer too.
#include "patch.hpp"

#include "ext.h"
#include "ext_obex.h"
#include "ext_sysparallel.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <numeric>
#include <string>
#include <thread>
#include <vector>

using kittest::Lines;
using kittest::Patch;

namespace {

// ---- Tasks ---------------------------------------------------------------------

struct Squares {
  std::vector<long> out = std::vector<long>(SYSPARALLEL_MAX_WORKERS, -1);
  std::atomic<int> calls{0};
};

void square_worker(t_sysparallel_worker *w) {
  auto *squares = static_cast<Squares *>(w->task->data);
  squares->out[static_cast<size_t>(w->id)] = w->id * w->id;
  ++squares->calls;
}

TEST(Parallel, EveryWorkerRunsOnceWithItsIdAndTheTasksData) {
  Patch p;
  Squares squares;
  t_sysparallel_task *task = sysparallel_task_new(&squares, (method)square_worker, 12);
  ASSERT_NE(task, nullptr);
  EXPECT_EQ(task->workercount, std::min(12L, sysparallel_processorcount()));
  ASSERT_EQ(sysparallel_task_workercount(task, 12), MAX_ERR_NONE);
  for (int run = 1; run <= 20; ++run) {
    squares.calls = 0;
    ASSERT_EQ(sysparallel_task_execute(task), MAX_ERR_NONE);
    EXPECT_EQ(squares.calls.load(), 12);
    EXPECT_EQ(task->iteration, run);
  }
  for (long id = 0; id < 12; ++id)
    EXPECT_EQ(squares.out[static_cast<size_t>(id)], id * id);
  EXPECT_EQ(squares.out[12], -1);
  EXPECT_EQ(object_classname(task), gensym("sysparallel_task"));
  sysparallel_task_free(task);
  EXPECT_TRUE(p.take().empty());
}

// Each worker sums its share of 1..n into its own slot.
struct Sum {
  long n;
  std::vector<long long> parts;
};

void sum_worker(t_sysparallel_worker *w) {
  auto *sum = static_cast<Sum *>(w->task->data);
  long long total = 0;
  for (long i = w->id + 1; i <= sum->n; i += w->task->workercount)
    total += i;
  sum->parts[static_cast<size_t>(w->id)] = total;
}

long long parallel_sum(long n, long workers) {
  Sum sum{n, std::vector<long long>(static_cast<size_t>(workers), 0)};
  t_sysparallel_task *task = sysparallel_task_new(&sum, (method)sum_worker, workers);
  sysparallel_task_workercount(task, workers);
  sysparallel_task_execute(task);
  sysparallel_task_free(task);
  return std::accumulate(sum.parts.begin(), sum.parts.end(), 0LL);
}

// A worker that runs a task of its own, as many at once as the pool has
// threads and more.
void nesting_worker(t_sysparallel_worker *w) {
  auto *results = static_cast<std::vector<long long> *>(w->task->data);
  (*results)[static_cast<size_t>(w->id)] = parallel_sum(1000 + w->id, 5);
}

TEST(Parallel, SumsComeOutTheSameAndWorkersMayRunTasksOfTheirOwn) {
  for (long workers : {1L, 2L, 3L, 7L, 64L})
    EXPECT_EQ(parallel_sum(100000, workers), 100000LL * 100001 / 2) << workers << " workers";
  std::vector<long long> results(16, 0);
  t_sysparallel_task *outer = sysparallel_task_new(&results, (method)nesting_worker, 16);
  sysparallel_task_workercount(outer, 16);
  ASSERT_EQ(sysparallel_task_execute(outer), MAX_ERR_NONE);
  for (long id = 0; id < 16; ++id)
    EXPECT_EQ(results[static_cast<size_t>(id)], (1000LL + id) * (1001 + id) / 2);
  sysparallel_task_free(outer);
}

TEST(Parallel, TasksRunFromSeveralThreadsAtOnce) {
  std::vector<std::thread> threads;
  std::atomic<int> wrong{0};
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([&wrong, t] {
      for (int run = 0; run < 25; ++run)
        if (parallel_sum(5000 + t, 3) != (5000LL + t) * (5001 + t) / 2)
          ++wrong;
    });
  for (std::thread &t : threads)
    t.join();
  EXPECT_EQ(wrong.load(), 0);
}

struct Triggered {
  std::atomic<int> ran_mask{0};
  long signal = 0;
  bool cancel_first = false;
};

void triggered_worker(t_sysparallel_worker *w) {
  auto *state = static_cast<Triggered *>(w->task->data);
  state->ran_mask |= 1 << w->id;
  if (w->id == 0) {
    if (state->cancel_first)
      sysparallel_task_cancel(w->task);
    sysparallel_task_signalworkers(w->task, state->signal);
  }
}

TEST(Parallel, TriggeredWorkersStartWhenSignalledAndCancelledOnesNever) {
  Triggered state;
  t_sysparallel_task *task = sysparallel_task_new(&state, (method)triggered_worker, 4);
  sysparallel_task_workercount(task, 4);
  task->flags = SYSPARALLEL_TASK_FLAG_WORKERTRIGGERS;
  ASSERT_EQ(sysparallel_task_execute(task), MAX_ERR_NONE);
  EXPECT_EQ(state.ran_mask.load(), 0b0001) << "only the first, which signalled none";
  state.ran_mask = 0;
  state.signal = 2;
  ASSERT_EQ(sysparallel_task_execute(task), MAX_ERR_NONE);
  EXPECT_EQ(state.ran_mask.load(), 0b0111);
  state.ran_mask = 0;
  state.signal = 99;
  ASSERT_EQ(sysparallel_task_execute(task), MAX_ERR_NONE);
  EXPECT_EQ(state.ran_mask.load(), 0b1111) << "no more than the task's workers";
  EXPECT_EQ(task->cancel, 0);
  state.ran_mask = 0;
  state.cancel_first = true;
  ASSERT_EQ(sysparallel_task_execute(task), MAX_ERR_NONE);
  EXPECT_EQ(state.ran_mask.load(), 0b0001);
  EXPECT_EQ(task->cancel, 1);
  EXPECT_EQ(sysparallel_task_cancel(task), MAX_ERR_GENERIC) << "outside a run";
  object_free(task);
}

void run_again(t_sysparallel_worker *w) {
  *static_cast<t_max_err *>(w->task->data) = sysparallel_task_execute(w->task);
}

TEST(Parallel, MisuseIsRefusedWithAReason) {
  Patch p;
  t_max_err nested = MAX_ERR_NONE;
  t_sysparallel_task *task = sysparallel_task_new(&nested, (method)run_again, 1);
  EXPECT_EQ(sysparallel_task_workercount(task, 0), MAX_ERR_GENERIC);
  EXPECT_EQ(sysparallel_task_workercount(task, 2), MAX_ERR_GENERIC);
  EXPECT_EQ(sysparallel_task_execute(task), MAX_ERR_NONE);
  EXPECT_EQ(nested, MAX_ERR_GENERIC) << "a running task does not run again inside";
  sysparallel_task_workerproc(task, nullptr);
  EXPECT_EQ(sysparallel_task_execute(task), MAX_ERR_GENERIC);
  sysparallel_task_free(task);
  EXPECT_EQ(sysparallel_task_execute(nullptr), MAX_ERR_INVALID_PTR);
  Lines lines = p.take();
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_NE(lines.back().find("is not a parallel task"), std::string::npos);
  lines.pop_back();
  EXPECT_EQ(lines, (Lines{"error: sysparallel_task_workercount: 0 workers (1 to 1)",
                          "error: sysparallel_task_workercount: 2 workers (1 to 1)",
                          "error: sysparallel_task_execute: the task is running already",
                          "error: sysparallel_task_execute: the task has no workerproc"}));
}

TEST(Parallel, AWorkerOnItsOwnRunsOnTheCallingThread) {
  Squares squares;
  t_sysparallel_task *task = sysparallel_task_new(&squares, (method)square_worker, 1);
  t_sysparallel_worker *w = sysparallel_worker_new(nullptr, (method)square_worker, task);
  w->id = 5;
  EXPECT_EQ(sysparallel_worker_execute(w), MAX_ERR_NONE);
  EXPECT_EQ(squares.out[5], 25);
  sysparallel_worker_free(w);
  sysparallel_task_free(task);
}

// ---- Lists and tables shared by threads ------------------------------------------

TEST(SharedData, ListsAndTablesTakeCallsFromSeveralThreads) {
  t_linklist *list = linklist_new();
  linklist_flags(list, OBJ_FLAG_MEMORY);
  t_hashtab *table = hashtab_new(0);
  hashtab_flags(table, OBJ_FLAG_DATA);
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([=] {
      for (int i = 0; i < 500; ++i) {
        linklist_append(list, sysmem_newptr(4));
        if (i % 2)
          linklist_deleteindex(list, 0);
        const std::string key = std::to_string(t) + ":" + std::to_string(i);
        hashtab_storelong(table, gensym(key.c_str()), i);
        if (i % 3 == 0)
          hashtab_delete(table, gensym(key.c_str()));
      }
    });
  // A reader meanwhile: passes over both while they change.
  std::atomic<bool> done{false};
  std::thread reader([&] {
    while (!done) {
      linklist_funall(
          list, (method) + [](void *, void *) {}, nullptr);
      hashtab_funall(
          table, (method) + [](t_hashtab_entry *, void *) {}, nullptr);
    }
  });
  for (std::thread &t : threads)
    t.join();
  done = true;
  reader.join();
  EXPECT_EQ(linklist_getsize(list), 4 * 250);
  EXPECT_EQ(hashtab_getsize(table), 4 * (500 - 167));
  object_free(list);
  object_free(table);
}

// ---- At exit ---------------------------------------------------------------------

// Texts told apart by their address, as quittask_remove2 tells arguments.
char first[] = "first", second[] = "second", removed[] = "removed", also_removed[] = "also removed",
     installed_at_exit[] = "installed at exit", never[] = "never", nor_this[] = "nor this";

void say(void *text) {
  std::fprintf(stderr, "%s\n", static_cast<const char *>(text));
}
void say_and_install(void *) {
  std::fprintf(stderr, "installs another\n");
  quittask_install((method)say, installed_at_exit);
}

TEST(AtExit, QuitTasksRunLastInstalledFirstAndRemovedOnesNever) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        quittask_install((method)say, first);
        quittask_install((method)say, removed);
        quittask_install((method)say_and_install, nullptr);
        quittask_install((method)say, second);
        quittask_install((method)say, also_removed);
        quittask_remove2((method)say, removed);
        quittask_remove2((method)say, also_removed);
        std::exit(0);
      },
      ::testing::ExitedWithCode(0), "second\ninstalls another\ninstalled at exit\nfirst\n");
  EXPECT_EXIT(
      {
        quittask_install((method)say, never);
        quittask_install((method)say, nor_this);
        quittask_remove((method)say);
        std::fprintf(stderr, "bye\n");
        std::exit(0);
      },
      ::testing::ExitedWithCode(0), "^bye\n$");
}

} // namespace
