// Parallel tasks (ext_sysparallel.h) on a bounded pool of threads.
//
// A run queues one job per worker. Pool threads take jobs from the front;
// the thread that runs the task takes its own jobs back from the queue and
// runs them, and only waits once none of them is left unstarted. So a run
// always progresses, even when every pool thread is busy in runs of its own
// (a worker that executes a task).
//
// The pool starts on first use and is joined when the process exits, from
// an exit handler registered then: after whatever the host's embedder set up
// before, before that is torn down.
#include "ext.h"
#include "ext_sysparallel.h"
#include "function_cast.hpp"
#include "records.hpp"

#include <algorithm>
#include <condition_variable>
#include <cstdlib>
#include <deque>
#include <mutex>
#include <thread>
#include <unordered_map>
#include <vector>

namespace kit::rt {
namespace {

constexpr long most_pool_threads = 8;

long processors() {
  const unsigned n = std::thread::hardware_concurrency();
  return n ? static_cast<long>(n) : 1;
}

/// One run of a task.
struct Run {
  explicit Run(t_sysparallel_task *of) : task(of) {}
  t_sysparallel_task *task;
  long next_id = 0; ///< the first worker not handed out yet
  long queued = 0;  ///< workers handed out (to the queue or run at once)
  long finished = 0;
  std::condition_variable all_finished;
};

struct Job {
  Run *run;
  long id;
};

class Pool {
public:
  static Pool &get() {
    static Pool *pool = [] {
      auto *made = new Pool;
      std::atexit([] { Pool::get().stop(); });
      return made;
    }();
    return *pool;
  }

  /// Runs the task's workers and returns when all have finished.
  bool execute(t_sysparallel_task *task) {
    Run run{task};
    std::unique_lock lock(mutex_);
    if (runs_.contains(task))
      return false;
    runs_.emplace(task, &run);
    task->cancel = 0;
    const bool triggered = task->flags & SYSPARALLEL_TASK_FLAG_WORKERTRIGGERS;
    queue_locked(run, triggered ? 1 : task->workercount);
    for (;;) {
      // Our own jobs, taken back from the queue, before any waiting.
      auto mine =
          std::find_if(jobs_.begin(), jobs_.end(), [&](const Job &j) { return j.run == &run; });
      if (mine != jobs_.end()) {
        const Job job = *mine;
        jobs_.erase(mine);
        work(lock, job);
        continue;
      }
      if (run.finished == run.queued)
        break;
      run.all_finished.wait(lock);
    }
    runs_.erase(task);
    return true;
  }

  /// Starts up to `count` more workers of the task's run.
  void signal(t_sysparallel_task *task, long count) {
    std::lock_guard lock(mutex_);
    auto found = runs_.find(task);
    if (found != runs_.end() && count > 0)
      queue_locked(*found->second, count);
  }

  /// Drops the run's workers that have not started. False outside a run.
  bool cancel(t_sysparallel_task *task) {
    std::lock_guard lock(mutex_);
    auto found = runs_.find(task);
    if (found == runs_.end())
      return false;
    Run &run = *found->second;
    const auto dropped = std::erase_if(jobs_, [&](const Job &j) { return j.run == &run; });
    run.queued -= static_cast<long>(dropped);
    run.next_id = task->workercount;
    task->cancel = 1;
    if (run.finished == run.queued)
      run.all_finished.notify_all();
    return true;
  }

private:
  Pool() = default;

  void queue_locked(Run &run, long count) {
    const long last = std::min(run.task->workercount, run.next_id + count);
    const long added = last - run.next_id;
    for (; run.next_id < last; ++run.next_id)
      jobs_.push_back({&run, run.next_id});
    run.queued += std::max(added, 0L);
    start_threads_locked();
    if (added > 0) {
      wake_.notify_all();
      // The run's own thread may wait: it takes its new jobs itself too.
      run.all_finished.notify_all();
    }
  }

  void start_threads_locked() {
    if (!threads_.empty() || stopping_)
      return;
    const long count = std::min(processors(), most_pool_threads);
    for (long i = 0; i < count; ++i)
      threads_.emplace_back([this] { serve(); });
  }

  // Runs one worker, the lock released meanwhile.
  void work(std::unique_lock<std::mutex> &lock, const Job &job) {
    t_sysparallel_task *task = job.run->task;
    t_sysparallel_worker *worker = task->workers[job.id];
    worker->workerproc = task->workerproc;
    const method proc = task->workerproc;
    lock.unlock();
    worker->begintime = systimer_gettime();
    function_cast<void (*)(t_sysparallel_worker *)>(proc)(worker);
    worker->endtime = systimer_gettime();
    lock.lock();
    if (++job.run->finished == job.run->queued)
      job.run->all_finished.notify_all();
  }

  void serve() {
    std::unique_lock lock(mutex_);
    for (;;) {
      wake_.wait(lock, [this] { return stopping_ || !jobs_.empty(); });
      if (stopping_)
        return;
      const Job job = jobs_.front();
      jobs_.pop_front();
      work(lock, job);
    }
  }

  void stop() {
    std::vector<std::thread> threads;
    {
      std::lock_guard lock(mutex_);
      stopping_ = true;
      threads.swap(threads_);
    }
    wake_.notify_all();
    for (std::thread &t : threads)
      t.join();
  }

  std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<Job> jobs_;
  std::unordered_map<const t_sysparallel_task *, Run *> runs_;
  std::vector<std::thread> threads_;
  bool stopping_ = false;
};

const RecordKind worker_kind{"sysparallel_worker", nullptr};

void release_task(t_object *ob) {
  auto *x = reinterpret_cast<t_sysparallel_task *>(ob);
  for (long i = 0; i < x->maxworkercount && x->workers; ++i)
    free_record(x->workers[i]);
  sysmem_freeptr(x->workers);
}

const RecordKind task_kind{"sysparallel_task", release_task};

t_sysparallel_task *as_task(t_sysparallel_task *x, const char *caller) {
  auto *task = record_cast<t_sysparallel_task>(x, task_kind);
  if (!task)
    error("%s: %p is not a parallel task", caller, static_cast<void *>(x));
  return task;
}

t_sysparallel_worker *make_worker(void *data, method workerproc, t_sysparallel_task *task,
                                  long id) {
  auto *w = reinterpret_cast<t_sysparallel_worker *>(
      new_record(worker_kind, sizeof(t_sysparallel_worker)));
  if (!w)
    return nullptr;
  w->data = data;
  w->workerproc = workerproc;
  w->task = task;
  w->id = id;
  return w;
}

} // namespace
} // namespace kit::rt

using namespace kit::rt;

void sysparallel_init(void) {}

long sysparallel_processorcount(void) {
  return processors();
}

long sysparallel_physical_processorcount(void) {
  return processors();
}

t_sysparallel_task *sysparallel_task_new(void *data, method workerproc, long maxworkercount) {
  const long most = std::clamp(maxworkercount, 1L, static_cast<long>(SYSPARALLEL_MAX_WORKERS));
  auto *x =
      reinterpret_cast<t_sysparallel_task *>(new_record(task_kind, sizeof(t_sysparallel_task)));
  if (!x)
    return nullptr;
  x->data = data;
  x->workerproc = workerproc;
  x->maxworkercount = most;
  x->workercount = std::min(most, processors());
  x->workers = reinterpret_cast<t_sysparallel_worker **>(
      sysmem_newptrclear(static_cast<size_t>(most) * sizeof(t_sysparallel_worker *)));
  bool complete = x->workers != nullptr;
  for (long i = 0; complete && i < most; ++i)
    complete = (x->workers[i] = make_worker(nullptr, workerproc, x, i)) != nullptr;
  if (!complete) {
    free_record(x);
    error("sysparallel_task_new: out of memory");
    return nullptr;
  }
  return x;
}

t_max_err sysparallel_task_workercount(t_sysparallel_task *x, long workercount) {
  if (!as_task(x, "sysparallel_task_workercount"))
    return MAX_ERR_INVALID_PTR;
  if (workercount < 1 || workercount > x->maxworkercount) {
    error("sysparallel_task_workercount: %ld workers (1 to %ld)", workercount, x->maxworkercount);
    return MAX_ERR_GENERIC;
  }
  x->workercount = workercount;
  return MAX_ERR_NONE;
}

t_max_err sysparallel_task_execute(t_sysparallel_task *x) {
  if (!as_task(x, "sysparallel_task_execute"))
    return MAX_ERR_INVALID_PTR;
  if (!x->workerproc) {
    error("sysparallel_task_execute: the task has no workerproc");
    return MAX_ERR_GENERIC;
  }
  const double begin = systimer_gettime();
  if (!Pool::get().execute(x)) {
    error("sysparallel_task_execute: the task is running already");
    return MAX_ERR_GENERIC;
  }
  x->begintime = begin;
  x->endtime = systimer_gettime();
  ++x->iteration;
  return MAX_ERR_NONE;
}

void sysparallel_task_signalworkers(t_sysparallel_task *x, long count) {
  if (as_task(x, "sysparallel_task_signalworkers"))
    Pool::get().signal(x, count);
}

t_max_err sysparallel_task_cancel(t_sysparallel_task *x) {
  if (!as_task(x, "sysparallel_task_cancel"))
    return MAX_ERR_INVALID_PTR;
  return Pool::get().cancel(x) ? MAX_ERR_NONE : MAX_ERR_GENERIC;
}

void sysparallel_task_free(t_sysparallel_task *x) {
  if (as_task(x, "sysparallel_task_free"))
    free_record(x);
}

void sysparallel_task_benchprint(t_sysparallel_task *x) {
  if (!as_task(x, "sysparallel_task_benchprint"))
    return;
  post("sysparallel task: run %ld took %.3f ms on %ld workers", x->iteration,
       x->endtime - x->begintime, x->workercount);
  for (long i = 0; i < x->workercount; ++i)
    post("  worker %ld: %.3f ms", i, x->workers[i]->endtime - x->workers[i]->begintime);
}

void sysparallel_task_data(t_sysparallel_task *x, void *data) {
  if (as_task(x, "sysparallel_task_data"))
    x->data = data;
}

void sysparallel_task_workerproc(t_sysparallel_task *x, method workerproc) {
  if (as_task(x, "sysparallel_task_workerproc"))
    x->workerproc = workerproc;
}

t_sysparallel_worker *sysparallel_worker_new(void *data, method workerproc,
                                             t_sysparallel_task *task) {
  return make_worker(data, workerproc, task, 0);
}

t_max_err sysparallel_worker_execute(t_sysparallel_worker *x) {
  auto *w = record_cast<t_sysparallel_worker>(x, worker_kind);
  if (!w || !w->workerproc) {
    error("sysparallel_worker_execute: %p is not a worker with a workerproc",
          static_cast<void *>(x));
    return MAX_ERR_GENERIC;
  }
  w->begintime = systimer_gettime();
  function_cast<void (*)(t_sysparallel_worker *)>(w->workerproc)(w);
  w->endtime = systimer_gettime();
  return MAX_ERR_NONE;
}

void sysparallel_worker_free(t_sysparallel_worker *x) {
  if (record_cast<t_sysparallel_worker>(x, worker_kind))
    free_record(x);
  else
    error("sysparallel_worker_free: %p is not a worker", static_cast<void *>(x));
}
