// Soak runs: many cycles of one job, with the process's descriptors, threads
// and (outside sanitizer builds) resident memory compared before and after.
// A warm-up before the first count lets the host and the C library make what
// they make once.
#pragma once

#include "resources.hpp"

#include <gtest/gtest.h>

namespace kittest {

/// Resident memory may move by this much between the counts: allocator
/// bookkeeping and page reuse, far below what one leaked block per cycle
/// over a soak run adds up to.
constexpr long kResidentSlackKb = 2048;

inline void expect_no_growth(const Holdings &before, const Holdings &after) {
  EXPECT_EQ(after.descriptors, before.descriptors) << "descriptors";
  EXPECT_EQ(after.threads, before.threads) << "threads";
  if (!sanitized_build()) {
    EXPECT_LE(after.resident - before.resident, kResidentSlackKb)
        << "resident memory grew from " << before.resident << " kB to " << after.resident << " kB";
  }
  ::testing::Test::RecordProperty("resident_kb_before", static_cast<int>(before.resident));
  ::testing::Test::RecordProperty("resident_kb_after", static_cast<int>(after.resident));
}

} // namespace kittest
