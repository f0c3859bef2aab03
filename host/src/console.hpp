// The console: post and error lines, whole, to one sink at a time.
//
// Threads: any thread; lines are serialised, so the sink sees one call at
// a time and lines never interleave.
#pragma once

#include "kit/host.hpp"

#include <string_view>

namespace kit::rt {

/// Replaces the sink; an empty one restores the default (standard output,
/// "post: TEXT" / "error: TEXT").
void set_console_sink(ConsoleSink sink);
void console_write(ConsoleLevel level, std::string_view text);

} // namespace kit::rt
