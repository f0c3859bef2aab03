// The interactive prompt, used when standard input is a terminal. A line
// that fails is reported and the prompt goes on; the prompt ends at the end
// of input (Ctrl-D) or with `quit`. Where the line editor is built in,
// Ctrl-C drops the line being edited or ends the `wait` running, and the
// lines typed are kept across sessions.
#pragma once

#include "output.hpp"
#include "runner.hpp"

#include "kit/host.hpp"

#include <string>

namespace kithost {

struct PromptOptions {
  std::string banner; ///< one line shown before the first prompt; empty: none
};

/// Reads and runs lines from standard input until its end (ok) or `quit`.
Runner::Status run_prompt(kit::Host &host, Runner &runner, Output &output,
                          const PromptOptions &options);

} // namespace kithost
