// Tables of kithost scripts for the built-in classes: each case runs one
// script in a kithost of its own, as a user runs it, and compares what it
// printed (outlet lines and console lines, in order).
#pragma once

#include "run_kithost.hpp"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace kithost_test {

struct BuiltinCase {
  std::string title; ///< the test's name
  Lines script;      ///< script lines
  Lines printed;     ///< what kithost prints on standard output
};

inline void PrintTo(const BuiltinCase &c, std::ostream *os) {
  *os << c.title;
}

/// The table of each family instantiates this suite with its cases
/// (INSTANTIATE_TEST_SUITE_P(Family, BuiltinScripts, ...)); each case runs
/// its script (builtins_test.cpp) and must print what it gives, without a
/// diagnostic.
class BuiltinScripts : public ::testing::TestWithParam<BuiltinCase> {};

/// Runs the script with standard input; the run must succeed and leave no
/// diagnostic.
inline void expect_printed(const BuiltinCase &c) {
  std::string input;
  for (const auto &line : c.script)
    input += line + "\n";
  // A script that never ends is a fault too: it is stopped and fails.
  Launch launch;
  launch.input = input;
  launch.kill_after_seconds = 60;
  const Result run = run_kithost({"--modules", test_modules(), "-"}, launch);
  EXPECT_EQ(run.status, 0) << ::testing::PrintToString(run.err);
  EXPECT_EQ(run.err, Lines{});
  EXPECT_EQ(run.out, c.printed);
}

/// The name of a case in a TEST_P table.
inline std::string case_title(const ::testing::TestParamInfo<BuiltinCase> &info) {
  return info.param.title;
}

} // namespace kithost_test
