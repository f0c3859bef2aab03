// The system's clocks and calendar (ext_systime.h) and the real-time timer.
#include "ext.h"
#include "platform.hpp"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>

namespace {

using std::chrono::duration;
using std::chrono::steady_clock;
using std::chrono::system_clock;

// The host's start, for the times counted from it.
const steady_clock::time_point host_start = steady_clock::now();

// From 1 January 1904 to 1 January 1970, in seconds.
constexpr t_ptr_uint seconds_1904_to_1970 = 2082844800;

double ms_since_start() {
  return duration<double, std::milli>(steady_clock::now() - host_start).count();
}

void fill(t_datetime &d, const std::tm &tm, t_uint32 millisecond) {
  d.year = static_cast<t_uint32>(tm.tm_year + 1900);
  d.month = static_cast<t_uint32>(tm.tm_mon + 1);
  d.day = static_cast<t_uint32>(tm.tm_mday);
  d.hour = static_cast<t_uint32>(tm.tm_hour);
  d.minute = static_cast<t_uint32>(tm.tm_min);
  d.second = static_cast<t_uint32>(tm.tm_sec);
  d.millisecond = millisecond;
}

bool valid(const t_datetime &d) {
  return d.year >= 1 && d.year <= 9999 && d.month >= 1 && d.month <= 12 && d.day >= 1 &&
         d.day <= 31 && d.hour <= 23 && d.minute <= 59 && d.second <= 60;
}

// The local date of a time_t, false when the system cannot tell.
bool local_date(std::time_t when, t_datetime &d, t_uint32 millisecond) {
  std::tm tm{};
  if (!kit::platform::local_time(when, tm))
    return false;
  fill(d, tm, millisecond);
  return true;
}

const char *const month_names[] = {"January",   "February", "March",    "April",
                                   "May",       "June",     "July",     "August",
                                   "September", "October",  "November", "December"};

// Whole days from 1970 to a date (proleptic Gregorian): for telling days
// apart without a time zone.
long days_from_civil(long y, unsigned m, unsigned d) {
  y -= m <= 2;
  const long era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<long>(doe) - 719468;
}

} // namespace

t_uint32 systime_ticks(void) {
  return static_cast<t_uint32>(static_cast<unsigned long long>(ms_since_start() * 60 / 1000));
}

t_uint32 systime_ms(void) {
  return static_cast<t_uint32>(static_cast<unsigned long long>(ms_since_start()));
}

t_int64 systime_datetime_milliseconds(void) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             system_clock::now().time_since_epoch())
      .count();
}

void systime_datetime(t_datetime *d) {
  if (!d)
    return;
  const t_int64 ms = systime_datetime_milliseconds();
  *d = {};
  local_date(static_cast<std::time_t>(ms / 1000), *d, static_cast<t_uint32>(ms % 1000));
}

t_ptr_uint systime_seconds(void) {
  return static_cast<t_ptr_uint>(systime_datetime_milliseconds() / 1000) + seconds_1904_to_1970;
}

void systime_secondstodate(t_ptr_uint secs, t_datetime *d) {
  if (!d)
    return;
  *d = {};
  if (secs >= seconds_1904_to_1970)
    local_date(static_cast<std::time_t>(secs - seconds_1904_to_1970), *d, 0);
}

t_ptr_uint systime_datetoseconds(const t_datetime *d) {
  if (!d || !valid(*d))
    return 0;
  std::tm tm{};
  tm.tm_year = static_cast<int>(d->year) - 1900;
  tm.tm_mon = static_cast<int>(d->month) - 1;
  tm.tm_mday = static_cast<int>(d->day);
  tm.tm_hour = static_cast<int>(d->hour);
  tm.tm_min = static_cast<int>(d->minute);
  tm.tm_sec = static_cast<int>(d->second);
  tm.tm_isdst = -1; // the zone's own rule for that date
  const std::time_t when = std::mktime(&tm);
  if (when == static_cast<std::time_t>(-1) || when < 0)
    return 0;
  return static_cast<t_ptr_uint>(when) + seconds_1904_to_1970;
}

void sysdateformat_strftimetodatetime(const char *strf, t_datetime *d) {
  if (!d)
    return;
  *d = {};
  if (!strf)
    return;
  unsigned year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
  int used = 0;
  const int fields = std::sscanf(strf, "%4u-%2u-%2u %2u:%2u:%2u%n", &year, &month, &day, &hour,
                                 &minute, &second, &used);
  int date_used = 0;
  if (fields != 6 && !(std::sscanf(strf, "%4u-%2u-%2u%n", &year, &month, &day, &date_used) == 3 &&
                       strf[date_used] == '\0')) {
    return;
  }
  if (fields == 6 && strf[used] != '\0')
    return;
  if (fields != 6)
    hour = minute = second = 0;
  t_datetime read{year, month, day, hour, minute, second, 0};
  if (valid(read))
    *d = read;
}

void sysdateformat_formatdatetime(const t_datetime *d, long dateflags, long, char *s, long buflen) {
  if (!s || buflen < 1)
    return;
  s[0] = '\0';
  if (!d || !valid(*d))
    return;
  const long style = dateflags & 0x0f;
  char date[64];
  const char *month = month_names[d->month - 1];
  if (dateflags & SYSDATEFORMAT_RELATIVE) {
    t_datetime today{};
    systime_datetime(&today);
    const long distance = days_from_civil(static_cast<long>(d->year), d->month, d->day) -
                          days_from_civil(static_cast<long>(today.year), today.month, today.day);
    const char *const near_days[] = {"Yesterday", "Today", "Tomorrow"};
    if (distance >= -1 && distance <= 1)
      std::snprintf(date, sizeof date, "%s", near_days[distance + 1]);
    else
      std::snprintf(date, sizeof date, "%.3s %u, %u", month, d->day, d->year);
  } else if (style == SYSDATEFORMAT_FLAGS_SHORT) {
    std::snprintf(date, sizeof date, "%u/%u/%02u", d->month, d->day, d->year % 100);
  } else if (style == SYSDATEFORMAT_FLAGS_LONG) {
    std::snprintf(date, sizeof date, "%s %u, %u", month, d->day, d->year);
  } else {
    std::snprintf(date, sizeof date, "%.3s %u, %u", month, d->day, d->year);
  }
  const unsigned hour12 = d->hour % 12 == 0 ? 12 : d->hour % 12;
  const char *half = d->hour < 12 ? "AM" : "PM";
  const char *joint =
      style == SYSDATEFORMAT_FLAGS_SHORT && !(dateflags & SYSDATEFORMAT_RELATIVE) ? ", " : " at ";
  if (style == SYSDATEFORMAT_FLAGS_LONG)
    std::snprintf(s, static_cast<size_t>(buflen), "%s%s%u:%02u:%02u %s", date, joint, hour12,
                  d->minute, d->second, half);
  else
    std::snprintf(s, static_cast<size_t>(buflen), "%s%s%u:%02u %s", date, joint, hour12, d->minute,
                  half);
}

double systimer_gettime(void) {
  return ms_since_start();
}
