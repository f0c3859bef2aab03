// Console lines of an object: the line starts with the object's class name
// ("simplemax: it has 2 arguments"), or is the text alone when `x` is null
// or not an object. Warnings are posted lines marked "warning: ".
//
// Threads: any thread (from another than the main one, `x` must be alive
// during the call).
#ifndef EXT_POST_H
#define EXT_POST_H

#include "ext_mess.h"

BEGIN_USING_C_LINKAGE

C74_API void object_post(t_object *x, const char *s, ...) C74_PRINTF(2, 3);
C74_API void object_error(t_object *x, const char *s, ...) C74_PRINTF(2, 3);
C74_API void object_warn(t_object *x, const char *s, ...) C74_PRINTF(2, 3);
/// Writes a line to the system's console (standard error), not the host's.
C74_API void cpost(const char *fmt, ...) C74_PRINTF(1, 2);

END_USING_C_LINKAGE

#endif
