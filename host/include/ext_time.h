// Time objects: a time value that an object keeps (an interval, in
// milliseconds or tempo-relative), and the task it schedules with it.
//
// Values, as time_setvalue and a time attribute take them:
//   500            milliseconds (a bare number)
//   500 ms, 480 ticks, 2 hz, 22050 samples
//   4n, 8nd, 16nt  note values from 1n to 128n, dotted (d) or triplet (t)
//   1.2.240        bars.beats.ticks; also three numbers, 1 2 240
// Milliseconds, hertz and samples are fixed; the others are tempo-relative
// and follow the transport (ext_itm.h). A value that fits none of these is
// reported ("CLASS: bad time value ...") and the old value kept.
//
// A time object made with TIME_FLAGS_USECLOCK schedules its task: a fixed
// value (or any value with TIME_FLAGS_FIXED) on the host's clock, a
// tempo-relative one on the transport, where it waits while the transport
// is paused. The task is called with the owner, on the main thread.
//
// A time object is freed with freeobject or object_free; one that its owner
// leaves behind is freed with the owner.
//
// Threads: the host's main thread.
#ifndef EXT_TIME_H
#define EXT_TIME_H

#include "ext_itm.h"

BEGIN_USING_C_LINKAGE

/// A time object.
typedef t_object t_timeobject;

/// Cancels the scheduled task.
C74_API void time_stop(t_timeobject *x);
/// Runs the task now; when it was scheduled, schedules it again for the
/// current value.
C74_API void time_tick(t_timeobject *x);
/// The value in milliseconds (at the transport's tempo when tempo-relative).
C74_API double time_getms(t_timeobject *x);
/// The value in ticks.
C74_API double time_getticks(t_timeobject *x);
/// Sets the value from a message: `s`, when not null or empty, is its first
/// word (an object's "anything" method passes its selector), followed by the
/// atoms.
C74_API void time_setvalue(t_timeobject *tx, t_symbol *s, long argc, t_atom *argv);
/// Adds the attribute `attrname` to the class: setting it sets the value of
/// the owner's time object of that name, getting it gives the value as it
/// was set. `attrlabel` and `flags` are not used.
C74_API void class_time_addattr(t_class *c, const char *attrname, const char *attrlabel,
                                long flags);
/// A time object of `owner` (an object) under the name `attrname` (may be
/// null), with `tick` called as tick(owner) when a scheduled task falls due
/// (null: none). Starts at 0 ms. Null when `owner` is not an object.
C74_API void *time_new(t_object *owner, t_symbol *attrname, method tick, long flags);
/// The owner's time object of that name, or null.
C74_API t_object *time_getnamed(t_object *owner, t_symbol *attrname);
/// Non-zero when the value is fixed (milliseconds, hertz or samples).
C74_API long time_isfixedunit(t_timeobject *x);
/// Schedules the task after the value's interval (replacing a scheduled
/// one). With a `quantize` time object of a value above 0, the task falls on
/// the first multiple of its ticks at or after that time on the transport.
/// Reported when the time object was made without TIME_FLAGS_USECLOCK.
C74_API void time_schedule(t_timeobject *x, t_timeobject *quantize);
/// Schedules the task now, or at the next multiple of `quantize`.
C74_API void time_now(t_timeobject *x, t_timeobject *quantize);
/// The transport of the time object (the global one).
C74_API void *time_getitm(t_timeobject *ox);
/// The interval in ticks that time_schedule would wait now, quantized by
/// `oq` (may be null) on the transport `vitm`.
C74_API double time_calcquantize(t_timeobject *ox, t_itm *vitm, t_timeobject *oq);

END_USING_C_LINKAGE

#endif
