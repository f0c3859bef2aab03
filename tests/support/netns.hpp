// The guard of the tests that need network namespaces of their own (root
// and iproute2): where none can be made such a test is skipped, except in
// CI (CI=true), which runs as root and must run it: there it fails.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <string_view>

namespace kittest {

/// Whether this is a CI run (CI=true), where every namespace test must run.
inline bool in_ci() {
  const char *ci = std::getenv("CI");
  return ci != nullptr && std::string_view(ci) == "true";
}

} // namespace kittest

/// Ends the running test (its body or SetUp), which needs a network
/// namespace that could not be made for the reason `why`: fails it in CI,
/// skips it elsewhere.
#define SKIP_WITHOUT_NETNS(why)                                                                    \
  do {                                                                                             \
    if (::kittest::in_ci())                                                                        \
      FAIL() << "cannot make a network namespace (root and iproute2 are needed): " << (why);       \
    GTEST_SKIP() << "network namespaces unavailable (needs root and iproute2): " << (why);         \
  } while (0)
