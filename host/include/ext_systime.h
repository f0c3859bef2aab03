// The system's clocks and calendar: time since the host started, the date
// and time of day, and dates as text.
//
// Threads: any thread.
#ifndef EXT_SYSTIME_H
#define EXT_SYSTIME_H

#include "ext_prefix.h"

BEGIN_USING_C_LINKAGE

/// A date and time of day, in the local time zone.
typedef struct _datetime {
  t_uint32 year;
  t_uint32 month; ///< 1 to 12
  t_uint32 day;   ///< 1 to 31
  t_uint32 hour;  ///< 0 to 23
  t_uint32 minute;
  t_uint32 second;
  t_uint32 millisecond;
} t_datetime;

/// Styles of sysdateformat_formatdatetime.
typedef enum {
  SYSDATEFORMAT_FLAGS_SHORT = 1,  ///< "12/17/20, 10:48 AM"
  SYSDATEFORMAT_FLAGS_MEDIUM = 2, ///< "Dec 17, 2020 at 10:48 AM"
  SYSDATEFORMAT_FLAGS_LONG = 3,   ///< "December 17, 2020 at 10:48:05 AM"
  SYSDATEFORMAT_RELATIVE = 16     ///< "Today", "Yesterday" or "Tomorrow" for the date
} e_max_dateflags;

/// Sixtieths of a second since the host library was loaded (wraps around).
C74_API t_uint32 systime_ticks(void);
/// Milliseconds since the host library was loaded (wraps around).
C74_API t_uint32 systime_ms(void);
/// Milliseconds since 1 January 1970, GMT.
C74_API t_int64 systime_datetime_milliseconds(void);
/// The date and time of now.
C74_API void systime_datetime(t_datetime *d);
/// Seconds since midnight, 1 January 1904, GMT.
C74_API t_ptr_uint systime_seconds(void);
/// The date and time of `secs` seconds since 1904 (all zero when the system
/// cannot tell).
C74_API void systime_secondstodate(t_ptr_uint secs, t_datetime *d);
/// The seconds since 1904 of a date and time (0 for one the system cannot
/// place).
C74_API t_ptr_uint systime_datetoseconds(const t_datetime *d);
/// Reads "YYYY-MM-DD HH:MM:SS" (the time may be left out); all zero when
/// `strf` is not of that form.
C74_API void sysdateformat_strftimetodatetime(const char *strf, t_datetime *d);
/// Writes the date and time in a style of e_max_dateflags (MEDIUM for
/// others), in English, cut to `buflen` bytes with the terminating zero.
/// `timeflags` is unused.
C74_API void sysdateformat_formatdatetime(const t_datetime *d, long dateflags, long timeflags,
                                          char *s, long buflen);

END_USING_C_LINKAGE

#endif
