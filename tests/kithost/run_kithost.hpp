// Runs the built kithost as a separate process, as a user or an outside
// script would, and collects what it printed.
#pragma once

#include <chrono>
#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

namespace kithost_test {

using Lines = std::vector<std::string>;

struct Result {
  Lines out;              ///< standard output, one entry per line
  Lines err;              ///< standard error
  int status = -1;        ///< exit status; -1 when it did not exit normally
  double cpu_seconds = 0; ///< user and system CPU time of the process (feed_kithost)
};

/// A fresh folder, removed with everything in it at the end of the test.
class TempDir {
public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir &) = delete;
  TempDir &operator=(const TempDir &) = delete;
  const std::filesystem::path &path() const { return path_; }
  /// Writes a file (making its folders) and returns its path.
  std::filesystem::path write(const std::string &name, const std::string &text) const;

private:
  std::filesystem::path path_;
};

/// Runs kithost with `args`, `input` on its standard input, in the folder
/// `cwd` (the current one when empty).
Result run_kithost(const std::vector<std::string> &args, const std::string &input = {},
                   const std::filesystem::path &cwd = {});

/// Runs kithost with `args`, writing `lines` to its standard input through a
/// pipe with `pause` after each, as a user or a slow producer would. Killed
/// (status -1, a test failure) when it has not ended 60 s after its input
/// closed.
Result feed_kithost(const std::vector<std::string> &args, const Lines &lines,
                    std::chrono::milliseconds pause);

/// How to start kithost, beyond its arguments.
struct Launch {
  std::string input;               ///< standard input
  std::filesystem::path cwd;       ///< working folder; the current one when empty
  std::filesystem::path stdout_to; ///< standard output goes there, uncollected, when set
  std::size_t stack_bytes = 0;     ///< the main thread's stack limit; 0: as inherited
  /// A run still going then is killed (status -1) and fails the test; 0:
  /// never. Far beyond any run the tests make: it only bounds a hang.
  int kill_after_seconds = 240;
};
Result run_kithost(const std::vector<std::string> &args, const Launch &launch);

/// The folder of the test modules (kt-echo).
std::string test_modules();

} // namespace kithost_test
