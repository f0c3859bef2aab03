// Soak: 10,000 nexio connect/disconnect cycles against a loopback listener,
// every cycle a real connection made, accepted, used and ended.
#include "soak_test.hpp"
#include "fixture.hpp"

namespace {

using namespace nexiotest;

class NexioSoak : public NexioTest {};

TEST_F(NexioSoak, TenThousandConnectDisconnectCycles) {
  int port = 0;
  Fd listener = tcp_listen(AF_INET, 64, port);
  ASSERT_TRUE(listener.valid());
  const int threads = running_threads();
  auto *n = p.make("n", box(at(AF_INET, port)));

  // One cycle: connect, one byte each way, then disconnect (even cycles) or
  // the peer closes (odd ones); the status returns to 0 before the next.
  auto cycle = [&](int i) {
    log.clear();
    Fd peer = bang_and_accept(n, listener);
    if (!peer.valid())
      return false;
    if (!until_logged("n.1: 2"))
      return false;
    p.send(n, "int 7");
    if (recv_upto(peer.get(), 1, peer_wait_ms) != "\x07")
      return false;
    if (!send_all(peer.get(), "x", peer_wait_ms) || !until_logged("n.0: 120"))
      return false;
    if (i % 2 == 0) {
      p.send(n, "disconnect");
      if (!wait_eof(peer.get(), peer_wait_ms))
        return false;
    } else {
      peer.reset();
    }
    return until_logged("n.1: 0");
  };

  for (int i = 0; i < 20; ++i)
    ASSERT_TRUE(cycle(i)) << "warm-up cycle " << i;
  ASSERT_TRUE(until([&] { return running_threads() == threads; }, 30000));
  const auto before = kittest::Holdings::now();
  constexpr int kCycles = 10000;
  for (int i = 0; i < kCycles; ++i)
    ASSERT_TRUE(cycle(i)) << "cycle " << i << ": " << ::testing::PrintToString(log);
  // Threads of the last cycles leave on their own, within a bounded wait.
  ASSERT_TRUE(until([&] { return running_threads() == threads; }, 30000))
      << running_threads() << " connection threads still running";
  p.free(n);
  listener.reset();
  auto after = kittest::Holdings::now();
  after.descriptors += 1; // the listener, counted before
  kittest::expect_no_growth(before, after);
  EXPECT_TRUE(errors().empty()) << ::testing::PrintToString(errors());
}

} // namespace
