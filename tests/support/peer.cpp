#include "peer.hpp"

#include "loopback.hpp"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <stdexcept>

namespace kittest {
namespace {

// Whether fd became readable within ms; false as soon as wake is readable.
bool readable(int fd, int wake, int ms) {
  pollfd p[2] = {{fd, POLLIN, 0}, {wake, POLLIN, 0}};
  return poll(p, 2, ms) > 0 && !(p[1].revents & POLLIN) && (p[0].revents & (POLLIN | POLLHUP));
}

} // namespace

BadPeer::BadPeer(Mode mode, std::size_t bytes) {
  listener_ = socket(AF_INET, SOCK_STREAM, 0);
  // A small receive buffer (inherited by the accepted socket) fills soon.
  const int small = 4096;
  setsockopt(listener_, SOL_SOCKET, SO_RCVBUF, &small, sizeof small);
  port_ = bind_loopback(listener_);
  if (port_ == 0 || listen(listener_, 4) != 0 || pipe(wake_) != 0)
    throw std::runtime_error("bad peer: cannot listen on loopback");
  thread_ = std::thread([this, mode, bytes] { run(mode, bytes); });
}

BadPeer::~BadPeer() {
  const char c = 0;
  [[maybe_unused]] auto n = write(wake_[1], &c, 1);
  thread_.join();
  close(listener_);
  close(wake_[0]);
  close(wake_[1]);
}

void BadPeer::run(Mode mode, std::size_t bytes) {
  if (!readable(listener_, wake_[0], 30000))
    return;
  const int c = accept(listener_, nullptr, nullptr);
  if (c < 0)
    return;
  if (mode == Mode::ResetAfter) {
    char buf[4096];
    std::size_t got = 0;
    while (got < bytes && readable(c, wake_[0], 30000)) {
      const ssize_t n = recv(c, buf, sizeof buf < bytes - got ? sizeof buf : bytes - got, 0);
      if (n <= 0)
        break;
      got += static_cast<std::size_t>(n);
    }
    // A zero linger time turns the close into a reset.
    const linger l{1, 0};
    setsockopt(c, SOL_SOCKET, SO_LINGER, &l, sizeof l);
    close(c);
    done_ = true;
    return;
  }
  done_ = true;
  // Holds the connection unread until the test ends (bounded).
  pollfd p{wake_[0], POLLIN, 0};
  poll(&p, 1, 60000);
  close(c);
}

} // namespace kittest
