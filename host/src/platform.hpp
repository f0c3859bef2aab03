// The few things that differ between platforms, each implemented in a small
// file under posix/ or win32/ chosen by the build.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <optional>
#include <string>

namespace kit::platform {

// ---- Shared libraries (posix/library.cpp, win32/library.cpp) ----------------

/// File name suffix of a module: ".so", ".mxe64" (the visual host's on Windows).
extern const char *const module_suffix;

/// Loads a shared library; null with the system's reason in `error`.
void *open_library(const std::filesystem::path &file, std::string &error);
/// The address of an exported symbol of the library, or null.
void *library_symbol(void *library, const char *name);
/// The file of the library that holds `address`, or nullopt.
std::optional<std::filesystem::path> file_of_address(const void *address);

// ---- Files (posix/open_file.cpp, win32/open_file.cpp) -----------------------

/// Opens a regular file as bytes, for reading, or for reading and writing
/// when `write`, without waiting on the way (a named pipe would wait for a
/// writer). Null with an errno value in `error` when it cannot be opened,
/// EISDIR for a folder and EINVAL for anything else that is not a regular
/// file. Any thread.
std::FILE *open_regular_file(const std::filesystem::path &file, bool write, int &error);

// ---- Local time (posix/local_time.cpp, win32/local_time.cpp) -----------------

/// The local date and time of `when`; false when the system cannot say.
/// Any thread.
bool local_time(std::time_t when, std::tm &out);

// ---- Threads (posix/thread_count.cpp, win32/thread_count.cpp) ----------------

/// How many threads the process has now, or nullopt where that cannot be
/// told. Any thread; one system call on Linux, a snapshot of the system's
/// threads on Windows.
std::optional<std::size_t> thread_count();

// ---- Waking the loop (posix/waker.cpp, win32/waker.cpp) ---------------------

/// Lets any thread wake the loop thread from its wait.
class Waker {
public:
  Waker();
  ~Waker();
  Waker(const Waker &) = delete;
  Waker &operator=(const Waker &) = delete;

  /// Wakes the waiting thread, or makes its next wait return at once. Any
  /// thread; cheap when a wake-up is already pending.
  void wake();
  /// Waits until wake(), until `fd` (when >= 0; POSIX only) is readable, or
  /// until `timeout` passes (none: no limit). Returns true when `fd` is
  /// readable. The loop thread only. On POSIX, a wait that follows one that
  /// a wake-up ended first polls for up to 50 µs (yielding the processor
  /// while the last waker shares it), since handed-over work comes in runs.
  bool wait(int fd, std::optional<std::chrono::nanoseconds> timeout);

private:
  std::atomic<bool> pending_{false};
  std::atomic<bool> polling_{false}; ///< the loop polls pending_ before it sleeps (POSIX)
  std::atomic<int> waker_cpu_{-2};   ///< the processor of the last wake() (POSIX)
  bool woken_ = false;               ///< the last wait ended by a wake-up (loop thread only)
  intptr_t native_[2] = {-1, -1};    ///< the platform's handles
};

} // namespace kit::platform
