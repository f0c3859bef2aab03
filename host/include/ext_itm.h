// Tempo-based time: the transport ("ITM") that time objects schedule on.
//
// A transport counts ticks (itm_getresolution() per quarter note, 480 unless
// set) at its tempo while it runs, following the host's logical time. This
// host has one global transport and named ones made on request; every one
// starts running at 120 beats per minute in 4/4 at tick 0, and keeps that
// tempo (no object here sets it). Pausing a transport holds its ticks and
// the time objects scheduled on it; resuming goes on from there.
//
// Threads: the conversions and queries (itm_tickstoms ... itm_getstate) on
// any thread; the rest on the host's main thread.
#ifndef EXT_ITM_H
#define EXT_ITM_H

#include "ext_mess.h"

BEGIN_USING_C_LINKAGE

/// A transport (opaque).
typedef struct _itm t_itm;

/// Flags of time objects and their attributes (class_time_addattr).
enum {
  TIME_FLAGS_LOCATION = 0x0001,  ///< bar/beat/unit values count from 1 1 0
  TIME_FLAGS_TICKSONLY = 0x0002, ///< fixed values are turned into ticks when set
  TIME_FLAGS_FIXEDONLY = 0x0004, ///< tempo-relative values are turned into ms when set
  TIME_FLAGS_LOOKAHEAD = 0x0008, ///< (not supported)
  TIME_FLAGS_USECLOCK = 0x0010,  ///< the time object schedules its task
  TIME_FLAGS_USEQELEM = 0x0020,  ///< (the task runs on the main thread here anyway)
  TIME_FLAGS_FIXED = 0x0040,     ///< schedule on the plain clock, never on the transport
  TIME_FLAGS_PERMANENT = 0x0080, ///< (not supported)
  TIME_FLAGS_TRANSPORT = 0x0100, ///< (not supported: one transport per time object)
  TIME_FLAGS_EVENTLIST = 0x0200, ///< (not supported)
  TIME_FLAGS_CHECKSCHEDULE = 0x0400,
  TIME_FLAGS_LISTENTICKS = 0x0800,
  TIME_FLAGS_NOUNITS = 0x1000,
  TIME_FLAGS_BBUSOURCE = 0x2000,
  TIME_FLAGS_POSITIVE = 0x4000 ///< values below 0 become 0
};

/// The global transport.
C74_API void *itm_getglobal(void);
/// The transport named `s` (the global one for null or the empty name),
/// made when `create` is non-zero and it does not exist yet; else null.
/// `scheduler` and `defaultclocksourcename` are not used.
C74_API void *itm_getnamed(t_symbol *s, void *scheduler, t_symbol *defaultclocksourcename,
                           long create);
/// itm_getnamed(s, null, null, 1).
C74_API void *itm_getfromarg(t_object *o, t_symbol *s);
/// Counts a use of the transport. Transports are kept for the process's life
/// whatever the count.
C74_API void itm_reference(t_itm *x);
C74_API void itm_dereference(t_itm *x);

/// The host's logical time in milliseconds.
C74_API double itm_gettime(t_itm *x);
/// The transport's position in ticks.
C74_API double itm_getticks(t_itm *x);
/// Posts the transport's state to the console.
C74_API void itm_dump(t_itm *x);

/// Sets the time signature; `num` and `denom` must be at least 1 (reported
/// otherwise). `flags` is unused.
C74_API void itm_settimesignature(t_itm *x, long num, long denom, long flags);
C74_API void itm_gettimesignature(t_itm *x, long *num, long *denom);
/// Moves the transport to `newticks`. Time objects scheduled on it keep the
/// time left to them. `oldticks` and `chase` are not used.
C74_API void itm_seek(t_itm *x, double oldticks, double newticks, long chase);
C74_API void itm_pause(t_itm *x);
C74_API void itm_resume(t_itm *x);
/// 1 while the transport runs, 0 while it is paused.
C74_API long itm_getstate(t_itm *x);

/// Ticks per quarter note for every transport; must be above 0. Values held
/// in notes or bars keep their length in notes.
C74_API void itm_setresolution(double res);
C74_API double itm_getresolution(void);
/// The transport's name ("global" for the global one).
C74_API t_symbol *itm_getname(t_itm *x);

/// Conversions at the transport's tempo, time signature and sample rate.
C74_API double itm_tickstoms(t_itm *x, double ticks);
C74_API double itm_mstoticks(t_itm *x, double ms);
C74_API double itm_mstosamps(t_itm *x, double ms);
C74_API double itm_sampstoms(t_itm *x, double samps);
/// Bars, beats and ticks to ticks: counted from 1 1 0 when `position` is
/// non-zero (TIME_FLAGS_LOCATION), from 0 0 0 (an interval) otherwise.
C74_API void itm_barbeatunitstoticks(t_itm *x, long bars, long beats, double units, double *ticks,
                                     char position);
/// The reverse of itm_barbeatunitstoticks.
C74_API void itm_tickstobarbeatunits(t_itm *x, double ticks, long *bars, long *beats, double *units,
                                     char position);
/// 0 for a unit whose length does not change with the tempo ("ms", "hz",
/// "samples"), non-zero for the others ("ticks", "bbu", note values).
C74_API long itm_isunitfixed(t_symbol *u);
/// The sample rate for samples (44100: there is no audio here).
C74_API double itm_getsr(t_itm *x);
/// The tempo in beats per minute.
C74_API double itm_gettempo(t_itm *x);

END_USING_C_LINKAGE

#endif
