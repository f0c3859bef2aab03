// Where kithost's lines go. Outlet and console lines go to standard output
// through stdio, the same stream that objects write to themselves, so that
// everything appears in the order it happened; diagnostics go to standard
// error. Each line is written whole and flushed.
#pragma once

#include "kit/host.hpp"

#include <atomic>
#include <mutex>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kithost {

class Output {
public:
  /// Writes one line to standard output and flushes. Any thread.
  void line(std::string_view text);
  /// Flushes standard output, so that what objects wrote so far comes out
  /// before kithost's next line or diagnostic.
  void flush();
  /// "kithost: WHERE: MESSAGE" on standard error ("kithost: MESSAGE" when
  /// `where` is empty), after flushing standard output.
  void diagnostic(std::string_view where, std::string_view message);

  /// Routes the host's console lines ("post: TEXT", "error: TEXT") through
  /// line(), or to standard error when `to_stderr` (for --describe, whose
  /// standard output is the reference alone). With `quiet`, post lines are
  /// dropped and only errors remain; print boxes are routed past that (see
  /// builtins::set_print_sink).
  void attach_console(kit::Host &host, bool to_stderr = false, bool quiet = false);

  /// Console error lines seen so far (for --fail-on-error). Any thread.
  long errors_seen() const { return errors_seen_.load(); }

  /// While holding, line() queues instead of writing: the interactive prompt
  /// owns the terminal line and prints queued lines around its redisplay.
  void hold(bool on);
  /// The lines queued while holding, oldest first.
  std::vector<std::string> take_held();

private:
  std::atomic<long> errors_seen_{0};
  std::mutex mutex_;
  bool holding_ = false;
  std::vector<std::string> held_;
};

/// Flushes standard output at the end of a run and checks that everything
/// written to it (kithost's lines, the objects' own writes, --list and
/// --describe) got out: when some write failed (a full disk, a closed
/// stream), says so on standard error and returns `failed_status`, else
/// `status`.
int check_standard_output(int status, int failed_status);

/// "NAME.OUTLET: TEXT", or "NAME.OUTLET:" when the text is empty (an empty
/// list).
std::string outlet_line(std::string_view name, int outlet, t_symbol *selector,
                        std::span<const t_atom> atoms);

} // namespace kithost
