// Critical regions: recursive locks, one global to the host and any number
// made by objects.
//
// Threads: any thread. A null region stands for the host's global one.
// Keep the code inside a region short, and never call an outlet there.
#ifndef EXT_CRITICAL_H
#define EXT_CRITICAL_H

#include "ext_prefix.h"

BEGIN_USING_C_LINKAGE

#if defined(_WIN32)
typedef struct _RTL_CRITICAL_SECTION *t_critical;
#else
#include <pthread.h>
typedef pthread_mutex_t *t_critical;
#endif

/// Makes a region of the caller's own in *x.
C74_API void critical_new(t_critical *x);
/// Enters the region, waiting while another thread is inside; the thread
/// inside may enter again (as many exits are then needed).
C74_API void critical_enter(t_critical x);
C74_API void critical_exit(t_critical x);
/// Frees a region made by critical_new; the global one is never freed.
C74_API void critical_free(t_critical x);
/// Enters when no other thread is inside: 0 when entered, non-zero if not.
C74_API short critical_tryenter(t_critical x);

END_USING_C_LINKAGE

#endif
