// The patch of a nexio test: the recorded lines so far, and bounded waits
// for lines to appear while the host's loop runs in real time.
#pragma once

#include "loopback.hpp"
#include "patch.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace nexiotest {

using kittest::Lines;

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
};

} // namespace nexiotest
