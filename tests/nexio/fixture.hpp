// The patch of a nexio test: the recorded lines so far, and bounded waits
// for lines to appear while the host's loop runs in real time.
#pragma once

#include "loopback.hpp"
#include "patch.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <functional>
#include <span>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace nexiotest {

using kittest::Lines;

/// What came out of an object counted by sinks rather than recorded line by
/// line (for streams of megabytes).
struct StreamCount {
  size_t received = 0;   // bytes out of the data outlet
  size_t mismatches = 0; // bytes that were not the one expected at their position
  std::vector<std::pair<long, size_t>> statuses; // each status, with the bytes before it
  /// The last status, -1 before the first.
  long status() const { return statuses.empty() ? -1 : statuses.back().first; }
};

constexpr double wait_ms = 10000;   // for events that come at once
constexpr int peer_wait_ms = 10000; // the same, for a peer socket

class NexioTest : public ::testing::Test {
protected:
  kittest::Patch p;
  Lines log; // every line recorded so far, in order

  // Connection threads of an earlier test in the same process end on their
  // own; counts of threads and descriptors start once they have.
  void SetUp() override {
    until([] { return running_threads() == 0; }, 30000);
  }

  void pull() {
    Lines lines = p.take();
    log.insert(log.end(), lines.begin(), lines.end());
  }
  /// Runs the loop until `done` holds (looking at `log`), within `ms`. The
  /// loop runs in short slices so that a condition met by work that ran at
  /// the start of a slice is seen without waiting for more work.
  bool until(const std::function<bool()> &done, double ms = wait_ms) {
    auto check = [&] {
      pull();
      return done();
    };
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::duration<double, std::milli>(ms);
    while (!check()) {
      auto left =
          std::chrono::duration<double, std::milli>(deadline - std::chrono::steady_clock::now());
      if (left.count() <= 0) {
        return false;
      }
      p.run_until(check, std::min(left.count(), 10.0));
    }
    return true;
  }
  /// Waits until `done` holds, within `ms`, without running the loop: what
  /// the connection threads hand over waits for the host, as it does while
  /// the patch is busy.
  static bool while_host_busy(const std::function<bool()> &done, double ms = wait_ms) {
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::duration<double, std::milli>(ms);
    while (!done()) {
      if (std::chrono::steady_clock::now() >= deadline) {
        return false;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
  }
  bool until_logged(const std::string &line, double ms = wait_ms) {
    return until([&] { return logged(line); }, ms);
  }
  bool logged(const std::string &line) const {
    return std::find(log.begin(), log.end(), line) != log.end();
  }
  /// The recorded lines that begin with `prefix` ("n.1: ", "error: ").
  Lines with_prefix(const std::string &prefix) const {
    Lines out;
    for (const auto &line : log) {
      if (line.rfind(prefix, 0) == 0) {
        out.push_back(line);
      }
    }
    return out;
  }
  /// The bytes that came out of the data outlet of the object named `name`.
  std::string data_of(const std::string &name) const {
    std::string out;
    std::string prefix = name + ".0: ";
    for (const auto &line : log) {
      if (line.rfind(prefix, 0) == 0) {
        out.push_back(static_cast<char>(std::stoi(line.substr(prefix.size()))));
      }
    }
    return out;
  }
  Lines errors() const { return with_prefix("error: "); }

  static std::string box(const std::string &args) { return "nexio " + args; }
  static std::string at(int family, int port) {
    return std::string(loopback(family)) + " " + std::to_string(port);
  }

  /// The set-up of a connected test: makes `listener`, a stream listener on
  /// the loopback address of `family` (invalid when none could be made), its
  /// port in `port`, and returns the object "n" made to connect to it.
  t_object *listen_and_make(Fd &listener, int &port, int family = AF_INET, int backlog = 4) {
    listener = tcp_listen(family, backlog, port);
    return p.make("n", box(at(family, port)));
  }
  /// Makes a nexio aimed at 127.0.0.1 `port` whose outlets feed `count`,
  /// each byte compared with `expected(position)` (called once a byte, in
  /// order). Null, with a failure, when it cannot be made.
  t_object *make_counted(int port, StreamCount &count, std::function<long(size_t)> expected) {
    auto &host = p.host();
    std::string why;
    std::vector<t_atom> args{kittest::sym_atom("127.0.0.1"), kittest::long_atom(port)};
    t_object *n = host.make("nexio", args, why);
    if (n == nullptr) {
      ADD_FAILURE() << why;
      return nullptr;
    }
    host.watch(n, 0,
               [&count, expected = std::move(expected)](t_symbol *, std::span<const t_atom> atoms) {
                 if (atoms.size() != 1 || atoms[0].a_w.w_long != expected(count.received)) {
                   count.mismatches++;
                 }
                 count.received++;
               });
    host.watch(n, 1, [&count](t_symbol *, std::span<const t_atom> atoms) {
      count.statuses.emplace_back(static_cast<long>(atoms[0].a_w.w_long), count.received);
    });
    return n;
  }
  /// Sends "bang" to `n` and accepts the connection it makes on `listener`;
  /// invalid when none came within the wait.
  Fd bang_and_accept(t_object *n, const Fd &listener) {
    p.send(n, "bang");
    return accept_within(listener.get(), peer_wait_ms);
  }
};

} // namespace nexiotest
