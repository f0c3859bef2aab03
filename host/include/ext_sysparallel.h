// Parallel tasks: one function run by several workers at once, on a small
// pool of the host's threads.
//
// sysparallel_task_execute runs the task's workerproc once per worker, each
// called with its t_sysparallel_worker (its id from 0, its task and so the
// task's data), and returns when every one has returned. The calling thread
// runs workers too, so a worker may execute a task of its own. The pool has
// as many threads as the machine has processors (at most 8); it starts on
// first use and is joined when the process exits.
//
// Threads: any. A task executes on one thread at a time; a worker must not
// free its task.
#ifndef EXT_SYSPARALLEL_H
#define EXT_SYSPARALLEL_H

#include "ext_mess.h"

BEGIN_USING_C_LINKAGE

enum t_sysparallel_priority {
  SYSPARALLEL_PRIORITY_DEFAULT = 0x00,
  SYSPARALLEL_PRIORITY_LOW = 0x00,
  SYSPARALLEL_PRIORITY_MEDIUM = 0x04,
  SYSPARALLEL_PRIORITY_HIGH = 0x08,
  SYSPARALLEL_PRIORITY_TASK_LOCAL = 0xa0
};

enum {
  SYSPARALLEL_STATE_IDLE = 0,
  SYSPARALLEL_STATE_RUN = 1,
  SYSPARALLEL_STATE_DONE = 0,
  SYSPARALLEL_STATE_QUIT = 3
};

enum {
  SYSPARALLEL_MAX_WORKERS = 64,
  /// Only worker 0 starts; it starts others with sysparallel_task_signalworkers.
  SYSPARALLEL_TASK_FLAG_WORKERTRIGGERS = 0x00000001
};

/// A task. `data`, `workerproc`, `workercount` and `flags` are the caller's
/// to read; `cancel` is 1 once the task was cancelled in its run; the
/// benchmark times are in milliseconds (systimer_gettime). The other fields
/// belong to the host.
typedef struct _sysparallel_task {
  t_object ob;
  void *obex;
  void *data;
  method workerproc;
  long workercount;
  struct _sysparallel_worker **workers;
  unsigned char priority;
  char benchmark;
  long iteration;
  double begintime;
  double endtime;
  long cancel;
  struct _sysparallel_thread_pool *pool;
  long maxworkercount;
  long flags;
} t_sysparallel_task;

/// A worker, as its workerproc gets it: `data` is its own (null unless the
/// caller sets it), `task` its task, `id` its number from 0.
typedef struct _sysparallel_worker {
  t_object ob;
  void *obex;
  void *data;
  method workerproc;
  t_sysparallel_task *task;
  long id;
  double begintime;
  double endtime;
} t_sysparallel_worker;

/// Nothing to do: the pool starts on first use.
C74_API void sysparallel_init(void);
/// The processors of the machine (at least 1).
C74_API long sysparallel_processorcount(void);
/// The same: the host cannot tell cores from hardware threads.
C74_API long sysparallel_physical_processorcount(void);
/// A task of up to `maxworkercount` workers (1 to SYSPARALLEL_MAX_WORKERS;
/// others are clamped) running workerproc(worker) with `data`; it starts
/// with as many workers as there are processors, at most that many. Free it
/// with sysparallel_task_free or object_free.
C74_API t_sysparallel_task *sysparallel_task_new(void *data, method workerproc,
                                                 long maxworkercount);
/// How many workers the next run uses: 1 to the task's maximum (reported
/// otherwise, MAX_ERR_GENERIC).
C74_API t_max_err sysparallel_task_workercount(t_sysparallel_task *x, long workercount);
/// Runs the workers and waits for all of them. MAX_ERR_NONE, or an error
/// when the task has no workerproc or is running already.
C74_API t_max_err sysparallel_task_execute(t_sysparallel_task *x);
/// In a run with SYSPARALLEL_TASK_FLAG_WORKERTRIGGERS: starts up to `count`
/// more of its workers. Nothing outside a run.
C74_API void sysparallel_task_signalworkers(t_sysparallel_task *x, long count);
/// In a run: workers not started yet are not started, and `cancel` becomes
/// 1 (running workers may look at it). MAX_ERR_GENERIC outside a run.
C74_API t_max_err sysparallel_task_cancel(t_sysparallel_task *x);
C74_API void sysparallel_task_free(t_sysparallel_task *x);
/// Posts the last run's time and each worker's.
C74_API void sysparallel_task_benchprint(t_sysparallel_task *x);
C74_API void sysparallel_task_data(t_sysparallel_task *x, void *data);
C74_API void sysparallel_task_workerproc(t_sysparallel_task *x, method workerproc);

/// A worker on its own, for sysparallel_worker_execute.
C74_API t_sysparallel_worker *sysparallel_worker_new(void *data, method workerproc,
                                                     t_sysparallel_task *task);
/// Runs workerproc(worker) on the calling thread. MAX_ERR_GENERIC without
/// a workerproc.
C74_API t_max_err sysparallel_worker_execute(t_sysparallel_worker *x);
C74_API void sysparallel_worker_free(t_sysparallel_worker *x);

END_USING_C_LINKAGE

#endif
