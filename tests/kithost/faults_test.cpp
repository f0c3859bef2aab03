// kithost's readers on inputs the fuzzers found: each is refused with a
// diagnostic and a failing status, never a crash.
#include "run_kithost.hpp"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace kithost_test;

std::string all(const Lines &lines) {
  std::string out;
  for (const auto &line : lines)
    out += line + "\n";
  return out;
}

TEST(KithostFaults, PatcherNumbersBeyondEveryTypeAreMalformedJson) {
  TempDir dir;
  // A number too large even for a double: the JSON reader reports it as out
  // of range rather than as a parse error.
  for (const char *text :
       {"4E0404", "{\"patcher\": {\"boxes\": [], \"rect\": [1e999]}}", "[-1E400]"}) {
    const auto file = dir.write("big.maxpat", text);
    const Result result = run_kithost({file.string()});
    EXPECT_EQ(result.status, 2) << text << "\n" << all(result.err);
    EXPECT_NE(all(result.err).find("malformed JSON"), std::string::npos) << text << "\n"
                                                                         << all(result.err);
  }
}

} // namespace
