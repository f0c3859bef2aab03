// A minimal stand-in for the host, for fuzzing one object source compiled
// together with it: registration is recorded, outlets call back into the
// fuzz target, memory is checked.
#pragma once

#include "ext.h"

#include <string>

namespace stub {

/// What the object's entry point registered.
struct Registered {
  method mnew = nullptr;
  method mfree = nullptr;
  long size = 0;
  /// The method registered under `name`, or null.
  method find(const std::string &name) const;
};
const Registered &registered();

/// Called for every output: the outlet's number (0 leftmost, as the host
/// numbers them) and what went out (count 1 and the value for ints).
using OutputHook = void (*)(int outlet, long count, const t_atom *atoms, t_atom_long value);
void set_output_hook(OutputHook hook);

/// Frees the object: its free routine, then its record.
void free_object(void *x);

/// From now on getbytes (sysmem_newptr) fails (true) or succeeds (false).
void fail_allocations(bool fail);
/// Blocks taken by getbytes (sysmem_newptr) and not yet returned.
long live_blocks();
/// Console errors so far.
long error_count();
/// Clocks made and not yet freed.
long live_clocks();

} // namespace stub
