// Flow control: a patch that stops taking bytes holds the peer back through
// the connection (the object keeps only its ring and a bounded read-ahead),
// and everything the peer managed to send arrives afterwards, exact and in
// order.
#include "fixture.hpp"

#include <sys/socket.h>

#include <cerrno>
#include <chrono>
#include <poll.h>

using namespace nexiotest;

namespace {

// The byte at a position of the stream: changes from byte to byte and from
// one 256-byte block to the next, so a lost, doubled or moved block shows.
unsigned char byte_at(size_t i) {
  return static_cast<unsigned char>(i * 7 + (i >> 8));
}

// Far more than loopback's socket buffers on both ends can hold.
constexpr size_t offered = size_t{64} << 20;

// Writes the stream without blocking until the peer takes nothing for
// `quiet_ms` (held back) or all of `offered` went out (not held back).
// Returns the bytes written.
size_t write_until_held_back(int fd, int quiet_ms, bool &held_back) {
  std::vector<unsigned char> chunk(65536);
  size_t sent = 0;
  held_back = false;
  while (sent < offered) {
    for (size_t k = 0; k < chunk.size(); k++) {
      chunk[k] = byte_at(sent + k);
    }
    const ssize_t r =
        send(fd, chunk.data(), std::min(chunk.size(), offered - sent), MSG_DONTWAIT | MSG_NOSIGNAL);
    if (r > 0) {
      sent += static_cast<size_t>(r);
      continue;
    }
    if (r < 0 && errno == EINTR) {
      continue;
    }
    if (r < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      pollfd p{fd, POLLOUT, 0};
      if (poll(&p, 1, quiet_ms) == 0) {
        held_back = true;
        return sent;
      }
      continue;
    }
    return sent; // an error: the test fails on the counts
  }
  return sent;
}

TEST_F(NexioTest, StalledPatchHoldsThePeerBackAndLosesNothing) {
  int port = 0;
  Fd listener = tcp_listen(AF_INET, 4, port);
  ASSERT_TRUE(listener.valid());

  auto &host = p.host();
  StreamCount count;
  t_object *n = make_counted(port, count, byte_at);
  ASSERT_NE(n, nullptr);
  host.send(n, 0, gensym("bang"), {});
  Fd peer = accept_within(listener.get(), peer_wait_ms);
  ASSERT_TRUE(peer.valid());
  ASSERT_TRUE(p.run_until([&] { return count.status() == 2; }, wait_ms));

  // The host's loop does not run: no byte leaves the ring, the thread stops
  // reading, and the socket's buffers fill until the peer can send no more.
  bool held_back = false;
  const size_t sent = write_until_held_back(peer.get(), 500, held_back);
  EXPECT_TRUE(held_back) << sent << " bytes went out without the patch taking any";
  EXPECT_LT(sent, offered);
  EXPECT_EQ(count.received, 0u);

  // Once the loop runs again, every byte written comes out, in order, and
  // then the end of the connection.
  shutdown(peer.get(), SHUT_WR);
  EXPECT_TRUE(p.run_until([&] { return count.status() == 0; }, 120000));
  host.free(n);
  EXPECT_EQ(count.received, sent);
  EXPECT_EQ(count.mismatches, 0u);
  pull();
  EXPECT_TRUE(errors().empty());
}

} // namespace
