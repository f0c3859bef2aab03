// The host API: include this (and ext_obex.h for class_new and attributes).
#ifndef EXT_H
#define EXT_H

#include "ext_assist.h"
#include "ext_atomarray.h"
#include "ext_byteorder.h"
#include "ext_common.h"
#include "ext_expr.h"
#include "ext_hashtab.h"
#include "ext_mess.h"
#include "ext_obex_util.h"
#include "ext_path.h"
#include "ext_post.h"
#include "ext_prefix.h"
#include "ext_proto.h"
#include "ext_strings.h"
#include "ext_sysfile.h"
#include "ext_sysmem.h"
#include "ext_systhread.h"
#include "ext_systime.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

/// A clock is freed as any object is.
#define clock_free freeobject

BEGIN_USING_C_LINKAGE
/// The entry point of a module: registers its class. The host calls it once,
/// on the main thread, the first time the class is named.
C74_EXPORT void ext_main(void *r);
END_USING_C_LINKAGE

BEGIN_USING_C_LINKAGE
/// The entry point every module defines: registers its class. The host
/// calls it once, on its main thread, when a patch first names the class;
/// `resources` is the host's handle of the module's resources (null here).
/// Modules also export `main`, calling this, for hosts that look for that.
C74_EXPORT void ext_main(void *resources);
END_USING_C_LINKAGE

#endif
