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

/// Runs the script with standard input; the run must succeed and leave no
/// diagnostic.
inline void expect_printed(const BuiltinCase &c) {
  std::string input;
  for (const auto &line : c.script)
    input += line + "\n";
  const Result run = run_kithost({"--modules", test_modules(), "-"}, input);
  EXPECT_EQ(run.status, 0) << ::testing::PrintToString(run.err);
  EXPECT_EQ(run.err, Lines{});
  EXPECT_EQ(run.out, c.printed);
}

/// The name of a case in a TEST_P table.
inline std::string case_title(const ::testing::TestParamInfo<BuiltinCase> &info) {
  return info.param.title;
}

} // namespace kithost_test
