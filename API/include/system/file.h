// Files of the support library: open a regular file for reading as bytes,
// and tell a file's size beyond 2 GiB.
//
// Thread rules: any thread; a stream is used by one thread at a time.
#pragma once

#include <cstdio>

class File {
public:
  // Opens the regular file named `name` (the system's own name, not the
  // host's path form) for reading as bytes. Returns null for anything else
  // (a folder, a named pipe, a device) and when it cannot be opened. Never
  // waits for a writer: a named pipe is refused, not opened. The caller
  // closes the stream with std::fclose.
  static std::FILE *OpenRegular(const char *name);

  // The size in bytes of the file behind `file`, or -1 when it cannot be
  // told. Leaves the stream at the file's start.
  static long long Size(std::FILE *file);
};
