// Fuzz targets drive an object through the host library, as a patch does:
// the object's sources are compiled into the target, its class is defined
// with Host::define_module, and messages go to its inlets with Host::send.
// The host's allocator is wrapped so that a target can make it fail and can
// count the blocks still taken. Everything here is for the fuzz target's one
// thread, which is the host's main thread.
#pragma once

#include "kit/host.hpp"

#include <span>
#include <string_view>

namespace fuzzhost {

/// The host on a manual clock with the console silenced (a fuzz run posts a
/// great many lines), the class `name` defined from `entry` (the object's
/// ext_main, which the target calls with null). The first call sets the host
/// up; later calls only return it.
kit::Host &start(std::string_view name, void (*entry)());

/// Makes an object of the class `name` with the creation atoms; null when
/// the host or the object refuses.
t_object *make(std::string_view name, std::span<const t_atom> atoms);

/// Sends `selector` with the atoms to inlet 0.
void send(t_object *x, const char *selector, std::span<const t_atom> atoms = {});

/// From now on sysmem_newptr (and with it getbytes) fails (true) or passes
/// the request on to the host's (false).
void fail_allocations(bool fail);
/// Blocks taken by sysmem_newptr and not yet given back with sysmem_freeptr,
/// since the program started.
long live_blocks();

} // namespace fuzzhost
