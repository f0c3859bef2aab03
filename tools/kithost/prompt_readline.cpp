// The prompt on readline's callback interface: the host keeps running (clocks,
// deferred calls, network wake-ups) while the prompt waits for keys, and
// what comes out meanwhile is printed above the line being edited.
#include "prompt.hpp"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include <readline/history.h>
#include <readline/readline.h>
#include <unistd.h>

namespace kithost {

namespace {

// readline calls plain C functions; this is the state they reach.
struct PromptState {
  kit::Host *host = nullptr;
  Runner *runner = nullptr;
  Output *output = nullptr;
  bool done = false;
  int line_number = 0; ///< for diagnostics
  Runner::Status status = Runner::Status::ok;
  std::vector<std::string> candidates;
};
PromptState state;

// Removing the handler here keeps readline from showing one more prompt.
void finish() {
  rl_callback_handler_remove();
  state.done = true;
}

void on_line(char *line) {
  if (!line) {
    std::fputs("\n", stdout);
    finish();
    return;
  }
  const std::string text(line);
  std::free(line);
  const std::string where = "<stdin>:" + std::to_string(++state.line_number);
  if (text.find_first_not_of(" \t") != std::string::npos)
    add_history(text.c_str());
  state.output->hold(false);
  auto outcome = state.runner->run_line(text);
  state.output->flush();
  if (outcome.status == Runner::Status::failed)
    state.output->diagnostic(where, outcome.error);
  if (outcome.status == Runner::Status::quit) {
    state.status = outcome.status;
    finish();
    return;
  }
  state.output->hold(true);
}

// Prints what came out while the prompt waited, then redraws the prompt and
// the line being edited below it.
void show_held() {
  auto lines = state.output->take_held();
  if (lines.empty())
    return;
  rl_clear_visible_line();
  for (const auto &line : lines) {
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fputc('\n', stdout);
  }
  std::fflush(stdout);
  rl_forced_update_display();
}

std::vector<std::string> words_before(int end) {
  std::vector<std::string> words;
  std::string word;
  for (int i = 0; i < end && rl_line_buffer[i]; ++i) {
    const char c = rl_line_buffer[i];
    if (c == ' ' || c == '\t') {
      if (!word.empty())
        words.push_back(std::exchange(word, {}));
    } else {
      word += c;
    }
  }
  if (!word.empty())
    words.push_back(word);
  return words;
}

std::vector<std::string> candidates_for(const std::vector<std::string> &before) {
  static const std::vector<std::string> commands = Runner::command_names();
  if (before.empty())
    return commands;
  const std::string &command = before[0];
  const std::size_t index = before.size();
  if (command == "obj" && index == 2)
    return state.host->available_classes();
  if (((command == "print" || command == "free" || command == "send" || command == "packet") &&
       index == 1) ||
      (command == "connect" && (index == 1 || index == 3)))
    return state.runner->object_names();
  if (command == "send" && index == 2) {
    std::vector<std::string> selectors;
    if (auto info = state.host->describe(state.runner->class_of(before[1])))
      for (const auto &method : info->methods)
        if (method.selector != "anything" &&
            (method.arg_types.empty() || method.arg_types.front() != A_CANT))
          selectors.push_back(method.selector);
    return selectors;
  }
  return {};
}

char *next_candidate(const char *text, int turn) {
  static std::size_t next = 0;
  if (turn == 0)
    next = 0;
  const std::size_t length = std::strlen(text);
  while (next < state.candidates.size()) {
    const std::string &candidate = state.candidates[next++];
    if (candidate.compare(0, length, text) == 0)
      return strdup(candidate.c_str());
  }
  return nullptr;
}

/// Words that may name a file: the arguments of a message (after the
/// selector) and the creation arguments of an object.
bool takes_file_name(const std::vector<std::string> &before) {
  if (before.empty())
    return false;
  return (before[0] == "send" && before.size() >= 3) || (before[0] == "obj" && before.size() >= 3);
}

char **complete(const char *text, int start, int) {
  rl_attempted_completion_over = 1; // only what fits the word's place
  const std::vector<std::string> before = words_before(start);
  if (takes_file_name(before))
    return rl_completion_matches(text, rl_filename_completion_function);
  state.candidates = candidates_for(before);
  return rl_completion_matches(text, next_candidate);
}

} // namespace

Runner::Status run_prompt(kit::Host &host, Runner &runner, Output &output) {
  state = PromptState{&host, &runner, &output, false, 0, Runner::Status::ok, {}};
  rl_readline_name = "kithost";
  rl_attempted_completion_function = complete;
  output.hold(true);
  // Clocks keep running while the prompt waits for a line.
  host.set_clock(kit::Host::Clock::real);
  rl_callback_handler_install("kithost> ", on_line);
  while (!state.done) {
    const bool readable = host.run_until_readable(STDIN_FILENO, std::chrono::milliseconds(50));
    show_held();
    if (readable)
      rl_callback_read_char();
  }
  host.set_clock(kit::Host::Clock::logical);
  output.hold(false);
  for (const auto &line : output.take_held())
    output.line(line);
  return state.status;
}

} // namespace kithost
