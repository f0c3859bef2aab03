// A misbehaving device on 127.0.0.1: it accepts one connection and then
// either never reads from it or reads a little and resets it. Every wait is
// bounded; the peer's thread ends when the object is destroyed.
#pragma once

#include <atomic>
#include <cstddef>
#include <thread>

namespace kittest {

class BadPeer {
public:
  enum class Mode { NeverRead, ResetAfter };
  /// `bytes`: with ResetAfter, how many bytes to read before the reset.
  explicit BadPeer(Mode mode, std::size_t bytes = 0);
  ~BadPeer();
  BadPeer(const BadPeer &) = delete;
  BadPeer &operator=(const BadPeer &) = delete;

  int port() const { return port_; }
  /// Whether a connection was accepted (and, with ResetAfter, reset).
  bool done() const { return done_; }

private:
  void run(Mode mode, std::size_t bytes);

  int listener_ = -1;
  int port_ = 0;
  int wake_[2] = {-1, -1};
  std::atomic<bool> done_{false};
  std::thread thread_;
};

} // namespace kittest
