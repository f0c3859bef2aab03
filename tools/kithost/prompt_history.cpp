#include "prompt_history.hpp"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <system_error>

#include <readline/history.h>

namespace kithost {

namespace fs = std::filesystem;

fs::path history_file() {
  const char *state = std::getenv("XDG_STATE_HOME");
  // The XDG base directory rules ask for an absolute path; a relative
  // one is ignored as if unset.
  if (state && *state && fs::path(state).is_absolute())
    return fs::path(state) / "kithost" / "history";
  const char *home = std::getenv("HOME");
  if (home && *home)
    return fs::path(home) / ".local" / "state" / "kithost" / "history";
  return {};
}

PromptHistory::PromptHistory(fs::path file, int limit, Output &output)
    : file_(std::move(file)), limit_(limit), output_(output) {
  stifle_history(limit_);
  if (file_.empty())
    return;
  std::error_code error;
  fs::create_directories(file_.parent_path(), error);
  if (error) {
    give_up(error.message());
    return;
  }
  // append_history writes only to a file that exists.
  if (!std::ofstream(file_, std::ios::app)) {
    give_up(std::strerror(errno));
    return;
  }
  if (const int failed = read_history(file_.c_str()); failed != 0)
    give_up(std::strerror(failed));
}

PromptHistory::~PromptHistory() {
  if (!file_.empty())
    history_truncate_file(file_.c_str(), limit_);
}

void PromptHistory::add(const std::string &line) {
  if (line.find_first_not_of(" \t") == std::string::npos)
    return;
  if (const HIST_ENTRY *last = history_get(history_base + history_length - 1);
      last && line == last->line)
    return;
  add_history(line.c_str());
  if (file_.empty())
    return;
  if (const int failed = append_history(1, file_.c_str()); failed != 0)
    give_up(std::strerror(failed));
}

void PromptHistory::give_up(const std::string &why) {
  output_.diagnostic(file_.string(), "the prompt's history cannot be kept there (" + why + ")");
  file_.clear();
}

} // namespace kithost
