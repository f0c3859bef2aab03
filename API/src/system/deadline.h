// Times of the platform's timed waits, shared by the POSIX and Windows builds
// of Condition.
#pragma once

#include <chrono>
#include <ctime>

// A duration (not negative) as a timespec.
inline timespec timespecOf(std::chrono::nanoseconds time) {
  const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(time);
  return {static_cast<std::time_t>(seconds.count()), static_cast<long>((time - seconds).count())};
}

// The clock's time now plus a duration (not negative), normalised.
inline timespec deadlineAfter(clockid_t clock, std::chrono::nanoseconds time) {
  constexpr long second = 1000000000;
  const timespec wait = timespecOf(time);
  timespec until{};
  clock_gettime(clock, &until);
  until.tv_sec += wait.tv_sec;
  until.tv_nsec += wait.tv_nsec;
  if (until.tv_nsec >= second) {
    until.tv_nsec -= second;
    until.tv_sec++;
  }
  return until;
}
