// Console lines that an object's own thread posts while kithost prints
// outlet lines on the main thread: every line comes out whole, none is lost.
#include "run_kithost.hpp"

#include <gtest/gtest.h>

#include <string>

using namespace kithost_test;

TEST(KithostThreads, ConsoleLinesFromAnotherThreadStayWhole) {
  TempDir dir;
  constexpr int chatter = 300;
  constexpr int sends = 100;
  std::string script = "obj e kt-echo\nprint e\nsend e chatter " + std::to_string(chatter) + "\n";
  for (int i = 1; i <= sends; ++i)
    script += "send e " + std::to_string(i) + "\n";
  // kithost frees the object at the end, which joins its thread.
  Result run =
      run_kithost({"--modules", test_modules(), dir.write("chatter.kit", script).string()});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.err, Lines{});
  Lines chatter_lines, echo_lines;
  for (const auto &line : run.out)
    (line.rfind("error: ", 0) == 0 ? chatter_lines : echo_lines).push_back(line);
  Lines expected_chatter, expected_echo;
  for (int i = 1; i <= chatter; ++i)
    expected_chatter.push_back("error: kt-echo: chatter " + std::to_string(i));
  for (int i = 1; i <= sends; ++i)
    expected_echo.push_back("e.0: " + std::to_string(i));
  EXPECT_EQ(chatter_lines, expected_chatter);
  EXPECT_EQ(echo_lines, expected_echo);
}
