// check(condition) for fuzz targets: a failed one names the file and line and
// aborts, which libFuzzer reports as a finding.
#pragma once

#include <cstdio>
#include <cstdlib>

#define check(ok) ((ok) ? (void)0 : fuzz_check_failed(__FILE__, __LINE__, #ok))

[[noreturn]] inline void fuzz_check_failed(const char *file, int line, const char *what) {
  std::fprintf(stderr, "%s:%d: check failed: %s\n", file, line, what);
  std::abort();
}
