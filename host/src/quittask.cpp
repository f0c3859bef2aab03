// Functions to call when the host exits (quittask_install). They run from
// an exit handler that the first installation registers: after whatever
// the embedder set up before (its console), before that is torn down.
#include "ext.h"
#include "function_cast.hpp"

#include <algorithm>
#include <cstdlib>
#include <mutex>
#include <utility>
#include <vector>

namespace {

struct QuitTasks {
  std::mutex mutex;
  std::vector<std::pair<method, void *>> tasks; ///< in order of installation
  bool registered = false;
};

QuitTasks &quit_tasks() {
  // Never destroyed: the exit handler runs among the static destructors.
  static QuitTasks *instance = new QuitTasks;
  return *instance;
}

// Last installed, first called, as exit handlers go; a task may install or
// remove others meanwhile.
void run_quit_tasks() {
  QuitTasks &q = quit_tasks();
  for (;;) {
    std::pair<method, void *> task;
    {
      std::lock_guard lock(q.mutex);
      if (q.tasks.empty())
        return;
      task = q.tasks.back();
      q.tasks.pop_back();
    }
    kit::rt::function_cast<void (*)(void *)>(task.first)(task.second);
  }
}

} // namespace

void quittask_install(method m, void *a) {
  if (!m) {
    error("quittask_install: no function to call");
    return;
  }
  QuitTasks &q = quit_tasks();
  std::lock_guard lock(q.mutex);
  if (!q.registered) {
    std::atexit(run_quit_tasks);
    q.registered = true;
  }
  q.tasks.emplace_back(m, a);
}

void quittask_remove(method m) {
  QuitTasks &q = quit_tasks();
  std::lock_guard lock(q.mutex);
  std::erase_if(q.tasks, [m](const std::pair<method, void *> &t) { return t.first == m; });
}

void quittask_remove2(method m, void *a) {
  QuitTasks &q = quit_tasks();
  std::lock_guard lock(q.mutex);
  std::erase_if(q.tasks, [m, a](const std::pair<method, void *> &t) {
    return t.first == m && t.second == a;
  });
}
