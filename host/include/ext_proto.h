// The classic host functions: registration, outlets, inlets, clocks,
// symbols, console and the low-priority queue.
//
// Threads: every function here is for the host's main thread (the thread
// that runs messages, clocks and deferred calls), except gensym,
// clock_delay, clock_fdelay, clock_unset, post, error, defer_low and
// getbytes/freebytes, which any thread may call. Debug and sanitizer builds
// of the host report an outlet call or the freeing of a clock from another
// thread on the console ("CLASS: outlet called off the main thread", once
// per object and kind of call) and still make the call: hand work to the
// main thread with a clock or defer_low instead.
#ifndef EXT_PROTO_H
#define EXT_PROTO_H

#include "ext_mess.h"
#include "ext_sysmem.h"

BEGIN_USING_C_LINKAGE

// ---- Registration, older style ---------------------------------------------

/// Registers a class. `ident` receives the class; `size` is the record size;
/// the variable part lists the creation argument types, ending with 0.
C74_API C74_DEPRECATED(void setup(t_messlist **ident, method makefun, method freefun,
                                  t_getbytes_size size, method menufun, short type, ...));
/// Adds a message `s` to the class being set up by the last setup call.
C74_API C74_DEPRECATED(void addmess(method f, char *s, short type, ...));
C74_API C74_DEPRECATED(void addint(method f));
C74_API C74_DEPRECATED(void addfloat(method f));
C74_API C74_DEPRECATED(void addbang(method f));
/// Makes a record of a class registered by setup, zero-filled, header first.
C74_API C74_DEPRECATED(void *newobject(void *maxclass));
/// Frees an object: an object record (its free routine runs first; clocks it
/// still owns and deferred calls queued for it are dropped after) or a clock
/// (cancelled). Anything else is reported and left alone.
C74_API void freeobject(void *op);

// ---- Outlets -----------------------------------------------------------------
// Each new outlet stands left of the ones made before it. Output is
// synchronous: watchers first, then the connections in the order they were
// made. Messages nested more than 1000 deep (a patch looping into itself)
// are dropped with an error.

C74_API void *bangout(void *x);
C74_API void *intout(void *x);
C74_API void *floatout(void *x);
C74_API void *listout(void *x);
/// `type` names the message the outlet sends, or null for any message.
C74_API void *outlet_new(void *x, const char *type);

C74_API void *outlet_bang(void *o);
C74_API void *outlet_int(void *o, t_atom_long n);
C74_API void *outlet_float(void *o, double f);
C74_API void *outlet_list(void *o, t_symbol *s, short ac, t_atom *av);
C74_API void *outlet_anything(void *o, t_symbol *s, short ac, t_atom *av);

// ---- Inlets ------------------------------------------------------------------

// Each new inlet stands just right of the leftmost one, pushing the inlets
// made before it right: make them from right to left.

/// Adds an inlet that turns a number (an int, a float, a list's first
/// number) arriving there into the message `s1` with one argument: a float
/// when `s` is "float", else a long (a float truncated). Anything else
/// arriving there is reported. `w` receives the message (null: `x`).
C74_API void *inlet4(void *x, void *w, char *s, char *s1);
/// An inlet turning a number into the message "inN" with a long (N = `n`,
/// from 1 to 9; anything else is reported and gives null).
C74_API void *intin(void *x, short n);
/// An inlet turning a number into the message "ftN" with a float.
C74_API void *floatin(void *x, short n);
/// An inlet that passes any message on to `x`'s own methods, found by the
/// same rules as at the leftmost inlet. While such a message is delivered,
/// proxy_getinlet(x) returns `id` and `*stuffloc` (when not null) holds it;
/// afterwards both read what they read before (0 outside any proxy's
/// message). `id` must not be 0. Free it with object_free (or freeobject)
/// in the object's free routine; one not freed goes with its object.
C74_API void *proxy_new(void *x, long id, long *stuffloc);
/// The id of the proxy whose message `master` is handling now, 0 for its
/// leftmost inlet.
C74_API long proxy_getinlet(t_object *master);

// ---- Clocks ------------------------------------------------------------------

/// Makes a clock that calls fn(x) on the host's main thread when it fires.
C74_API t_clock *clock_new(void *x, method fn);
/// (Re)arms the clock `n` milliseconds from now (a negative delay means
/// now). Any thread; the loop wakes at once. A pointer that is not a live
/// clock is reported and ignored.
C74_API void clock_delay(void *x, long n);
C74_API void clock_fdelay(void *c, double time);
/// Disarms the clock. Any thread.
C74_API void clock_unset(void *x);
/// The host's logical time in milliseconds.
C74_API double gettime_forobject(t_object *x);
C74_API long gettime(void);

// ---- Symbols and atoms -------------------------------------------------------

/// Interns `s` for the life of the process. Any thread.
C74_API t_symbol *gensym(const char *s);
C74_API t_max_err atom_setlong(t_atom *a, t_atom_long b);
C74_API t_max_err atom_setfloat(t_atom *a, double b);
C74_API t_max_err atom_setsym(t_atom *a, t_symbol *b);
C74_API t_atom_long atom_getlong(const t_atom *a);
C74_API t_atom_float atom_getfloat(const t_atom *a);
C74_API t_symbol *atom_getsym(const t_atom *a);

// ---- Console -----------------------------------------------------------------
// A line is written whole; lines of concurrent callers never interleave.

C74_API void post(const char *fmt, ...) C74_PRINTF(1, 2);
C74_API void error(const char *fmt, ...) C74_PRINTF(1, 2);

// ---- Memory ------------------------------------------------------------------

/// Host memory: null when none could be had. Any thread.
C74_API char *getbytes(t_getbytes_size size);
C74_API void freebytes(void *b, t_getbytes_size size);

/// The host's memory is one: written in an object, getbytes and freebytes
/// are sysmem_newptr and sysmem_freeptr (the size freed is not needed).
#define MM_UNIFIED
#define getbytes(size) ((char *)sysmem_newptr((t_ptr_size)(size)))
#define freebytes(p, size) sysmem_freeptr((char *)(p))

// ---- Low-priority queue ------------------------------------------------------

/// Queues fn(ob, sym, argc, argv) to run later on the host's main thread;
/// the atoms are copied. Any thread. Calls queued for an object that is
/// freed before they run are dropped.
C74_API void *defer_low(void *ob, method fn, t_symbol *sym, short argc, t_atom *argv);
C74_API void *defer(void *ob, method fn, t_symbol *sym, short argc, t_atom *argv);

END_USING_C_LINKAGE

#endif
