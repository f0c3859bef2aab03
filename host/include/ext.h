// The host API: include this (and ext_obex.h for class_new and attributes).
#ifndef EXT_H
#define EXT_H

#include "ext_assist.h"
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

#endif
