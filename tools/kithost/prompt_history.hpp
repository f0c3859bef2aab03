// The prompt's history kept across sessions, in the user's state folder:
// readline's history list, loaded at the start and written line by line,
// so that a session that ends in any way keeps what it typed.
//
// Threads: the host's main thread (readline's history is process-wide).
#pragma once

#include "output.hpp"

#include <filesystem>
#include <string>

namespace kithost {

/// $XDG_STATE_HOME/kithost/history, or ~/.local/state/kithost/history when
/// that is not set; empty when neither that nor HOME is set.
std::filesystem::path history_file();

class PromptHistory {
public:
  /// Keeps at most `limit` lines in `file` (none when empty): loads those
  /// there, making the file and its folders when missing. A file that cannot
  /// be read or written is reported once; the session goes on without it.
  PromptHistory(std::filesystem::path file, int limit, Output &output);
  /// Cuts the file down to the newest `limit` lines.
  ~PromptHistory();
  PromptHistory(const PromptHistory &) = delete;
  PromptHistory &operator=(const PromptHistory &) = delete;

  /// Adds a line typed (not a blank one, nor one equal to the line before)
  /// to the history and to the end of the file.
  void add(const std::string &line);

private:
  void give_up(const std::string &why);

  std::filesystem::path file_; ///< empty once it cannot be kept
  int limit_;
  Output &output_;
};

} // namespace kithost
