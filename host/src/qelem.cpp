// Queue elements: a qelem is a clock of the host's loop that is only ever
// armed to run now, and setting it again while it waits changes nothing, so
// many qelem_set calls between two runs of the loop give one call.
#include "ext.h"
#include "scheduler.hpp"

using kit::rt::MainThreadCall;
using kit::rt::Scheduler;

void *qelem_new(void *obj, method fn) {
  if (!fn) {
    error("qelem_new: no function to call");
    return nullptr;
  }
  return Scheduler::get().make_clock(obj, fn);
}

void qelem_set(t_qelem *x) {
  if (x && !Scheduler::get().arm_if_idle(x, false))
    error("qelem_set: %p is not a qelem", x);
}

void qelem_front(t_qelem *x) {
  if (x && !Scheduler::get().arm_if_idle(x, true))
    error("qelem_front: %p is not a qelem", x);
}

void qelem_unset(t_qelem *x) {
  if (x && !Scheduler::get().unset(x))
    error("qelem_unset: %p is not a qelem", x);
}

void qelem_free(t_qelem *x) {
  if (x && !Scheduler::get().free_clock(x, MainThreadCall::qelem_release))
    error("qelem_free: %p is not a qelem", x);
}
