// What an object tells the host about its inlets and outlets: assist texts
// (hints) and which inlets are cold.
#ifndef EXT_ASSIST_H
#define EXT_ASSIST_H

#include "ext_mess.h"

/// What an assist method is asked about.
enum t_assist_function { ASSIST_INLET = 1, ASSIST_OUTLET };
/// The longest hint an assist method should write.
enum { ASSIST_MAX_STRING_LEN = 500 };

BEGIN_USING_C_LINKAGE

/// An "inletinfo" method (A_CANT) for classes whose inlets are all cold but
/// the leftmost: sets `*t` to 1 for inlet `a` other than 0 (the host has set
/// it to 0, hot).
C74_API void stdinletinfo(t_object *s, void *b, long a, char *t);

END_USING_C_LINKAGE

#endif
