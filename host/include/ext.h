// The host API: include this (and ext_obex.h for class_new and attributes).
#ifndef EXT_H
#define EXT_H

#include "ext_atomarray.h"
#include "ext_expr.h"
#include "ext_hashtab.h"
#include "ext_mess.h"
#include "ext_obex_util.h"
#include "ext_path.h"
#include "ext_prefix.h"
#include "ext_proto.h"
#include "ext_strings.h"
#include "ext_sysfile.h"
#include "ext_sysmem.h"
#include "ext_systime.h"

/// What an assist method is asked about.
enum t_assist_function { ASSIST_INLET = 1, ASSIST_OUTLET };
/// The longest hint an assist method should write.
enum { ASSIST_MAX_STRING_LEN = 500 };

#endif
