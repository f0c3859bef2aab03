// Network fixtures of the loader tests: a loopback listener that records
// what each connection delivered, a running tovik-sim read as JSON events,
// and small helpers. Every wait is bounded.
#pragma once

#include <nlohmann/json.hpp>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace loadertest {

using namespace std::chrono_literals;

/// A TCP listener on 127.0.0.1 (any free port). With `serve` it accepts
/// connections one after the other on its own thread and keeps the bytes of
/// each until the peer closes; without, it never accepts (the backlog fills).
class Listener {
public:
  explicit Listener(bool serve = true, int backlog = 16);
  ~Listener();
  Listener(const Listener &) = delete;
  Listener &operator=(const Listener &) = delete;

  int port() const { return port_; }
  /// Waits until `count` connections have ended; returns the bytes of every
  /// connection ended so far (fewer on time-out).
  std::vector<std::string> wait(std::size_t count, std::chrono::milliseconds timeout = 10s);
  /// Connections ended so far.
  std::vector<std::string> received();

private:
  void serve();

  int fd_ = -1;
  int port_ = 0;
  int wake_[2] = {-1, -1};
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<std::string> done_;
  std::thread thread_;
};

/// A loopback port on which nothing listens: connections to it are refused.
int refused_port();

/// A running tovik-sim (this build's), optionally inside a network namespace
/// (`ip netns exec`) or under a launcher command (`prlimit --nofile=16`).
/// Started with --json; stopped with SIGTERM at the end.
class Sim {
public:
  explicit Sim(const std::vector<std::string> &args, const std::string &netns = {},
               const std::vector<std::string> &launcher = {});
  ~Sim();
  Sim(const Sim &) = delete;
  Sim &operator=(const Sim &) = delete;

  bool started() const { return tcp_port > 0; }
  /// The next event line, or nothing after `timeout` or at the end of output.
  std::optional<nlohmann::json> next(std::chrono::milliseconds timeout = 10s);
  /// Skips events until one whose "event" is `name`; nothing on time-out.
  std::optional<nlohmann::json> wait_for(const std::string &name,
                                         std::chrono::milliseconds timeout = 10s);
  /// Stops the simulator and returns its remaining events (the last is
  /// "state").
  std::vector<nlohmann::json> stop();
  /// After stop(): the process's wait status (as waitpid reports it).
  int exit_status() const { return exit_status_; }
  /// The process id while it runs, else -1.
  int pid() const { return pid_; }

  int tcp_port = 0;
  int udp_port = 0;

private:
  int pid_ = -1;
  int out_ = -1;
  int exit_status_ = -1;
  std::string pending_;
};

/// The framed upload message for a payload, as the device expects it.
std::string frame(const std::string &payload);

/// Bytes as space-separated upper-case hex, for readable failures.
std::string hex(const std::string &bytes);

/// A fresh folder under the system's temporary folder, removed by the
/// destructor.
class TempDir {
public:
  TempDir();
  ~TempDir();
  const std::string &path() const { return path_; }
  /// Writes a file in the folder and returns its full name.
  std::string write(const std::string &name, const std::string &content) const;

private:
  std::string path_;
};

/// Runs `command` with /bin/sh; returns its exit status.
int sh(const std::string &command);

} // namespace loadertest
