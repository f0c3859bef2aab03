// The system's clocks and calendar: dates to seconds and back, dates read
// from and written as text, and clocks that only move forward.
#include "ext.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string formatted(const t_datetime &d, long flags) {
  char text[64];
  sysdateformat_formatdatetime(&d, flags, 0, text, sizeof text);
  return text;
}

TEST(SystemTime, DatesGoToSecondsSince1904AndBack) {
  const t_datetime date{2007, 12, 24, 12, 21, 5, 0};
  const t_ptr_uint seconds = systime_datetoseconds(&date);
  // 2007 lies between these in any time zone.
  EXPECT_GT(seconds, 3281000000u);
  EXPECT_LT(seconds, 3282000000u);
  t_datetime back{};
  systime_secondstodate(seconds, &back);
  EXPECT_EQ(back.year, 2007u);
  EXPECT_EQ(back.month, 12u);
  EXPECT_EQ(back.day, 24u);
  EXPECT_EQ(back.hour, 12u);
  EXPECT_EQ(back.minute, 21u);
  EXPECT_EQ(back.second, 5u);
  const t_datetime impossible{2007, 13, 1, 0, 0, 0, 0};
  EXPECT_EQ(systime_datetoseconds(&impossible), 0u);
  // Now, both ways round: the seconds since 1904 match the date of now.
  const t_ptr_uint now = systime_seconds();
  EXPECT_NEAR(static_cast<double>(now - 2082844800),
              static_cast<double>(systime_datetime_milliseconds() / 1000), 2);
  t_datetime today{};
  systime_datetime(&today);
  EXPECT_GE(today.year, 2024u);
}

TEST(SystemTime, DatesAreReadFromTextOrLeftZero) {
  t_datetime d{};
  sysdateformat_strftimetodatetime("2007-12-24 12:21:00", &d);
  EXPECT_EQ(d.year, 2007u);
  EXPECT_EQ(d.day, 24u);
  EXPECT_EQ(d.minute, 21u);
  sysdateformat_strftimetodatetime("2020-02-29", &d);
  EXPECT_EQ(d.month, 2u);
  EXPECT_EQ(d.hour, 0u);
  for (const char *bad : {"", "yesterday", "2007-13-01 00:00:00", "2007-12-24 25:00:00",
                          "2007-12-24 12:21:00 and more"}) {
    sysdateformat_strftimetodatetime(bad, &d);
    EXPECT_EQ(d.year, 0u) << bad;
  }
}

TEST(SystemTime, DatesAreWrittenInTheirStyleAndCutToTheBuffer) {
  const t_datetime d{2020, 12, 17, 22, 48, 5, 0};
  EXPECT_EQ(formatted(d, SYSDATEFORMAT_FLAGS_SHORT), "12/17/20, 10:48 PM");
  EXPECT_EQ(formatted(d, SYSDATEFORMAT_FLAGS_MEDIUM), "Dec 17, 2020 at 10:48 PM");
  EXPECT_EQ(formatted(d, SYSDATEFORMAT_FLAGS_LONG), "December 17, 2020 at 10:48:05 PM");
  const t_datetime midnight{2020, 1, 2, 0, 5, 0, 0};
  EXPECT_EQ(formatted(midnight, 0), "Jan 2, 2020 at 12:05 AM");
  t_datetime today{};
  systime_datetime(&today);
  EXPECT_EQ(formatted(today, SYSDATEFORMAT_RELATIVE).substr(0, 8), "Today at");
  char small[8];
  sysdateformat_formatdatetime(&d, SYSDATEFORMAT_FLAGS_MEDIUM, 0, small, sizeof small);
  EXPECT_STREQ(small, "Dec 17,");
  const t_datetime bad{2020, 0, 17, 0, 0, 0, 0};
  EXPECT_EQ(formatted(bad, 0), "");
}

TEST(SystemTime, ClocksOnlyMoveForward) {
  const double timer = systimer_gettime();
  const t_uint32 ms = systime_ms();
  const t_uint32 ticks = systime_ticks();
  EXPECT_GE(timer, 0);
  EXPECT_GE(systimer_gettime(), timer);
  EXPECT_GE(systime_ms(), ms);
  EXPECT_GE(systime_ticks(), ticks);
}

} // namespace
