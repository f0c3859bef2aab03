// The interactive prompt, used when standard input is a terminal. A line
// that fails is reported and the prompt goes on; the prompt ends at the end
// of input or with `quit`.
#pragma once

#include "output.hpp"
#include "runner.hpp"

#include "kit/host.hpp"

namespace kithost {

/// Reads and runs lines from standard input until its end (ok) or `quit`.
Runner::Status run_prompt(kit::Host &host, Runner &runner, Output &output);

} // namespace kithost
