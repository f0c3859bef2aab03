// The prompt without a line editor (builds without readline): the host runs
// only while a `wait` runs, as for a script.
#include "prompt.hpp"

#include <cstdio>
#include <iostream>

namespace kithost {

Runner::Status run_prompt(kit::Host &, Runner &runner, Output &output,
                          const PromptOptions &options) {
  if (!options.banner.empty())
    output.line(options.banner);
  LineSource source(std::cin, "<stdin>");
  for (;;) {
    std::fputs("kithost> ", stdout);
    output.flush();
    auto text = source.next();
    if (!text)
      return Runner::Status::ok;
    auto outcome = runner.run_line(*text);
    output.flush();
    if (outcome.status == Runner::Status::quit)
      return outcome.status;
    if (outcome.status == Runner::Status::failed)
      output.diagnostic(source.where(), outcome.error);
  }
}

} // namespace kithost
