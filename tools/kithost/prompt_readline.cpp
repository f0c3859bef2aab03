// The prompt on readline's callback interface: the host keeps running (clocks,
// deferred calls, network wake-ups) while the prompt waits for keys, and
// what comes out meanwhile is printed above the line being edited. Ctrl-C is
// the prompt's own: it drops the line being edited, or ends the `wait`
// running, and the session goes on.
#include "prompt.hpp"
#include "prompt_history.hpp"

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include <readline/readline.h>
#include <signal.h>
#include <unistd.h>

namespace kithost {

namespace {

// The lines kept across sessions.
constexpr int history_lines = 1000;

// readline calls plain C functions; this is the state they reach.
struct PromptState {
  kit::Host *host = nullptr;
  Runner *runner = nullptr;
  Output *output = nullptr;
  PromptHistory *history = nullptr;
  bool done = false;
  int line_number = 0; ///< for diagnostics
  Runner::Status status = Runner::Status::ok;
  std::vector<std::string> candidates;
};
PromptState state;

// Set by the signal handler, taken by the loop. The handler reaches the host
// only through its signal-safe interrupt().
std::atomic<bool> interrupted{false};
kit::Host *interrupted_host = nullptr;
static_assert(std::atomic<bool>::is_always_lock_free);

extern "C" void on_interrupt(int) {
  interrupted.store(true);
  if (interrupted_host)
    interrupted_host->interrupt();
}

/// Ctrl-C goes to the prompt while it runs; the handler before it comes
/// back after.
class InterruptHandler {
public:
  explicit InterruptHandler(kit::Host &host) {
    interrupted_host = &host;
    interrupted.store(false);
    struct sigaction action {};
    action.sa_handler = on_interrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, &previous_);
  }
  ~InterruptHandler() {
    sigaction(SIGINT, &previous_, nullptr);
    interrupted_host = nullptr;
  }
  InterruptHandler(const InterruptHandler &) = delete;
  InterruptHandler &operator=(const InterruptHandler &) = delete;

private:
  struct sigaction previous_ {};
};

// Drops the line being edited and shows a fresh prompt below it, as a shell
// does.
void abandon_line() {
  rl_echo_signal_char(SIGINT);
  rl_free_line_state();
  rl_callback_sigcleanup();
  rl_replace_line("", 0);
  rl_crlf();
  rl_on_new_line();
  rl_redisplay();
}
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
  state.history->add(text);
  state.output->hold(false);
  auto outcome = state.runner->run_line(text);
  state.output->flush();
  // A Ctrl-C that ended the line's wait: the prompt comes back on a line
  // of its own.
  if (interrupted.exchange(false))
    std::fputs("\n", stdout);
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

Runner::Status run_prompt(kit::Host &host, Runner &runner, Output &output,
                          const PromptOptions &options) {
  if (!options.banner.empty())
    output.line(options.banner);
  PromptHistory history(history_file(), history_lines, output);
  state = PromptState{&host, &runner, &output, &history, false, 0, Runner::Status::ok, {}};
  rl_readline_name = "kithost";
  rl_attempted_completion_function = complete;
  // readline's own handlers would end the process on Ctrl-C.
  rl_catch_signals = 0;
  InterruptHandler interrupt(host);
  output.hold(true);
  // Clocks keep running while the prompt waits for a line.
  host.set_clock(kit::Host::Clock::real);
  rl_callback_handler_install("kithost> ", on_line);
  while (!state.done) {
    const bool readable = host.run_until_readable(STDIN_FILENO, std::chrono::milliseconds(50));
    show_held();
    if (interrupted.exchange(false))
      abandon_line();
    else if (readable)
      rl_callback_read_char();
  }
  host.set_clock(kit::Host::Clock::logical);
  output.hold(false);
  for (const auto &line : output.take_held())
    output.line(line);
  return state.status;
}

} // namespace kithost
