// The embedding interface of the host runtime: what kithost and the tests
// use to load modules, make and connect objects, deliver messages, run the
// clock and capture what comes out. The objects themselves see only the C
// API of ext.h.
//
// There is one host per process (the C API has no host argument), reached
// through kit::Host::instance(). All members are for the host's main thread
// (the thread that calls them and runs the loop) unless they say otherwise;
// debug and sanitizer builds report a send from another thread as they
// report outlets (see ext_proto.h).
#pragma once

#include "ext.h"
#include "kit/text.hpp"

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kit {

/// A message as it travels along a connection: a selector and its atoms.
struct Message {
  t_symbol *selector = nullptr;
  std::vector<t_atom> atoms;
};

enum class ConsoleLevel { post, error };

/// Receives console lines (post and error), one whole line per call, from
/// any thread; calls are serialised by the host.
using ConsoleSink = std::function<void(ConsoleLevel, std::string_view text)>;

/// Receives what comes out of a watched outlet, on the main thread.
using OutletSink = std::function<void(t_symbol *selector, std::span<const t_atom> atoms)>;

/// What a class registered: for --describe and completion.
struct ClassInfo {
  std::string name;
  struct MethodInfo {
    std::string selector;
    std::vector<int> arg_types; ///< A_* codes
  };
  std::vector<MethodInfo> methods;
  std::vector<int> creation_arg_types;
  struct AttrInfo {
    std::string name;
    std::string type;
  };
  std::vector<AttrInfo> attributes;
};

class C74_API Host {
public:
  /// The process's host. Made on first use.
  static Host &instance();

  // ---- Configuration ---------------------------------------------------------

  /// Folders searched for modules, in order of calls.
  void add_module_dir(const std::filesystem::path &dir);
  /// The file search path for locatefile_extended, in order of calls.
  void add_search_path(const std::filesystem::path &dir);
  void clear_search_path();
  /// What open_dialog answers; nullopt cancels every dialog.
  void set_dialog_answer(std::optional<std::filesystem::path> file);
  /// Where console lines go. The default writes "post: TEXT" / "error: TEXT"
  /// lines to standard output; an empty sink restores it. Any thread.
  void set_console_sink(ConsoleSink sink);
  /// Makes `entry` the entry point of the class `class_name`, run (once) the
  /// first time the class is named, as a module's would be; found before the
  /// module folders. For tests and classes built into the program.
  void define_module(std::string_view class_name, void (*entry)());

  // ---- Classes -----------------------------------------------------------------

  /// The class, loading its module the first time. Null with a reason in
  /// `error` when it cannot be loaded.
  t_class *load_class(std::string_view name, std::string &error);
  /// Class names of the modules found in the module folders, sorted.
  std::vector<std::string> available_classes() const;
  /// The class's registration, or nullopt when it is not loaded.
  std::optional<ClassInfo> describe(std::string_view name) const;
  /// The class's assist text for an inlet (ASSIST_INLET) or outlet, as the
  /// object answers it; empty when it has no assist method.
  std::string assist(t_object *x, long kind, long index) const;

  // ---- Objects -----------------------------------------------------------------

  /// Makes an object as a box "CLASS ARGS..." would (creation arguments as
  /// described in ext_obex.h). Null with a reason in `error` when the class
  /// cannot be loaded, the arguments do not fit or the object refused
  /// creation.
  t_object *make(std::string_view class_name, std::span<const t_atom> args, std::string &error);
  /// Frees the object: its free routine, its inlets, outlets and connections.
  void free(t_object *x);
  int inlet_count(t_object *x) const;
  int outlet_count(t_object *x) const;
  /// Connects outlet `outlet` of `src` to inlet `inlet` of `dst`; false with
  /// a reason when either index does not exist. Fan-out from one outlet runs
  /// in the order the connections were made; connecting the same outlet and
  /// inlet again changes nothing.
  bool connect(t_object *src, int outlet, t_object *dst, int inlet, std::string &error);
  /// Calls `sink` with everything that comes out of the outlet; more than one
  /// sink per outlet is allowed. Watching runs before connections.
  void watch(t_object *x, int outlet, OutletSink sink);

  /// Delivers a message to an inlet as a message box would, by the rules in
  /// ext_obex.h (how a message finds its method, converts its arguments and
  /// what is reported). False when the inlet does not exist; an unknown
  /// selector or wrong arguments are reported on the console as the real
  /// host does, and give true.
  bool send(t_object *x, int inlet, t_symbol *selector, std::span<const t_atom> atoms);

  // ---- Time and the loop -------------------------------------------------------

  /// How logical time moves. In every mode a clock's method runs at the
  /// clock's due time: a clock armed there counts from that time, however
  /// late the method ran.
  enum class Clock {
    /// Follows the steady clock, also between runs of the loop (a prompt).
    real,
    /// Moves only inside run_for, by exactly the time run (a script): what
    /// a script prints does not depend on how fast its lines arrive.
    logical,
    /// As logical, but without waiting while nothing can arrive from
    /// outside: run_for then goes from clock to clock at once. Something
    /// can arrive while a thread other than the host's own lives (a
    /// connection's, a socket reader's, a module's that listens); run_for
    /// keeps the steady clock's pace while one does. Where threads cannot
    /// be counted it always keeps that pace.
    batch,
    /// Moves only by advance(), without sleeping (unit tests).
    manual,
  };
  /// Logical time goes on from where it is. The default is real.
  void set_clock(Clock clock);
  /// set_clock(manual) or set_clock(real).
  void set_manual_clock(bool manual);
  /// Manual and logical clock: moves logical time by `ms` at once, running
  /// every clock that falls due in time order (and deferred calls). Real
  /// clock: run_for(ms).
  void advance(double ms);
  /// Runs the loop for `ms` of real time on this thread: clocks, deferred
  /// calls, wake-ups from other threads, served as they come. Logical clock:
  /// logical time moves by exactly `ms`, paced by the steady clock, and
  /// every clock due by its end has run on return. Manual clock: serves
  /// wake-ups only. With 0, runs what is due now.
  void run_for(double ms);
  /// Runs what is due, then waits up to `max_wait` for more work or for `fd`
  /// (when >= 0) to become readable; returns true when `fd` is readable.
  /// For an interactive prompt that keeps the host running (real clock).
  bool run_until_readable(int fd, std::chrono::milliseconds max_wait);
  /// Ends the run_for under way as soon as the method running returns, and
  /// wakes a waiting run_until_readable: for a person's Ctrl-C. Logical
  /// time stays where the run reached. Any thread, and safe in a signal
  /// handler; an interrupt while no run_for is under way is dropped when
  /// the next one starts.
  void interrupt();
  /// Logical time in milliseconds. Any thread.
  double now() const;

  /// What the loop still holds: clocks armed and deferred calls queued that
  /// have not run yet. Any thread.
  struct PendingWork {
    std::size_t clocks = 0;
    std::size_t deferred = 0;
  };
  PendingWork pending() const;
  /// How many messages with the selector "error" came out of any outlet so
  /// far: objects report failures to the patch that way. Any thread.
  long outlet_errors() const;

private:
  Host();
  ~Host();
  Host(const Host &) = delete;
  Host &operator=(const Host &) = delete;
};

} // namespace kit
