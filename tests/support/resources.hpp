// What a process holds, read from /proc/self, and a way to make every new
// descriptor number exceed the size of a select() descriptor set.
#pragma once

#include <vector>

namespace kittest {

/// Open descriptors of this process (entries of /proc/self/fd).
int open_descriptors();
/// Threads of this process (Threads: of /proc/self/status).
int thread_count();
/// Resident memory in kB (VmRSS: of /proc/self/status).
long resident_kb();

/// While it lives, every descriptor below `above` is taken (by /dev/null),
/// so the next socket, pipe or file the process opens gets a number of at
/// least `above`. Raises the soft descriptor limit when it must. ok() is
/// false when the limit does not allow it.
class HighDescriptors {
public:
  explicit HighDescriptors(int above = 1100);
  ~HighDescriptors();
  HighDescriptors(const HighDescriptors &) = delete;
  HighDescriptors &operator=(const HighDescriptors &) = delete;
  bool ok() const { return ok_; }

private:
  std::vector<int> held_;
  bool ok_ = false;
};

} // namespace kittest

namespace kittest {

/// Whether this build runs under a sanitizer, whose allocator keeps freed
/// memory in quarantine: resident memory says nothing about leaks there (the
/// leak checker does).
bool sanitized_build();

/// What the process holds at one moment.
struct Holdings {
  int descriptors;
  int threads;
  long resident;
  static Holdings now() { return {open_descriptors(), thread_count(), kittest::resident_kb()}; }
};

} // namespace kittest
