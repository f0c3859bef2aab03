// Floats that kithost's built-ins take as integers: past a long's range they
// count as the nearest long, as everywhere in the host, never by a
// conversion the language leaves undefined (the sanitizer build aborts on
// one).
#include "run_kithost.hpp"

#include <gtest/gtest.h>

using namespace kithost_test;

namespace {

TEST(BuiltinNumbers, SelectComparesHugeFloatsAsTheLongsTheyStandFor) {
  Result run = run_kithost({}, "obj s select 1e30 -1e30 65\n"
                               "print s\n"
                               "send s 1e30\nsend s -1e30\nsend s 2e30\nsend s 65.9\nsend s 7.5\n"
                               "send s -7.5\n");
  EXPECT_EQ(run.status, 0) << ::testing::PrintToString(run.err);
  EXPECT_EQ(run.out,
            (Lines{"s.0: bang", "s.1: bang", "s.0: bang", "s.2: bang", "s.3: 7", "s.3: -7"}));
}

TEST(BuiltinNumbers, ItoaLeavesOutHugeFloatsLikeOtherCodesOutOfRange) {
  Result run = run_kithost({}, "obj i itoa\nprint i\nsend i 72 1e30 105.9 -1e30 33\n");
  EXPECT_EQ(run.status, 0) << ::testing::PrintToString(run.err);
  EXPECT_EQ(run.out, (Lines{"i.0: symbol Hi!"}));
}

} // namespace
