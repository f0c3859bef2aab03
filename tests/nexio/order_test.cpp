// What comes out while the patch is busy: bytes and status changes that wait
// for the host keep their order, and a replaced connection adds nothing to
// them. The host's loop is held while the connection threads work, so that
// everything they hand over is waiting when it runs.
#include "fixture.hpp"

#include <algorithm>

using namespace nexiotest;

namespace {

const double leave_ms = 30000; // a thread's end, after its socket closed
const int ring_capacity = 255; // the object's ring keeps one slot empty

// An object that connects to a loopback listener, and the number of
// connection threads running before it made any.
class NexioOrder : public NexioTest {
protected:
  int port = 0;
  Fd listener;
  t_object *n = nullptr;
  int threads = 0;

  void SetUp() override {
    NexioTest::SetUp();
    n = listen_and_make(listener, port);
    ASSERT_TRUE(listener.valid());
    threads = running_threads();
  }
  Fd bang_and_accept() { return NexioTest::bang_and_accept(n, listener); }
  /// The peer sends `bytes` and closes; returns once the connection's thread
  /// has taken them all and left, with the loop held the whole time.
  void send_and_close(Fd peer, const std::string &bytes) {
    ASSERT_TRUE(peer.valid());
    ASSERT_TRUE(send_all(peer.get(), bytes, peer_wait_ms));
    peer.reset();
    ASSERT_TRUE(while_host_busy([&] { return running_threads() == threads; }, leave_ms));
  }
};

TEST_F(NexioOrder, StatusAndDataLinesKeepTheirOrder) {
  // Bytes and the peer's close both wait when the host first runs: the
  // status 2 comes before the first byte, the status 0 after the last.
  send_and_close(bang_and_accept(), "hi");
  // One run of the object's clock hands everything over.
  ASSERT_TRUE(until([&] { return data_of("n").size() == 2; }));
  EXPECT_EQ(log, (Lines{"n.1: 2", "n.0: 104", "n.0: 105", "n.1: 0"}));

  // A connection that its peer ended is made again by "bang". Its bytes fill
  // the ring to the last slot, across the ring's end (the first connection
  // left the read position at 2): the status 0 still waits for all of them.
  log.clear();
  std::string full;
  Lines expected{"n.1: 2"};
  for (int i = 0; i < ring_capacity; i++) {
    full.push_back(static_cast<char>(i));
    expected.push_back("n.0: " + std::to_string(i));
  }
  expected.push_back("n.1: 0");
  send_and_close(bang_and_accept(), full);
  ASSERT_TRUE(until([&] { return data_of("n").size() == full.size(); }));
  EXPECT_EQ(log, expected);
}

TEST_F(NexioOrder, AChainCutByTheHostLosesNoOtherByteNorTheStatus) {
  // Every byte and every status change sets off a loop that the host cuts
  // (rk+cmd answers each number with four, into itself): only that one's own
  // chain is abandoned. The loop's object is not recorded, only nexio's
  // outlets.
  std::string why;
  t_object *loop = p.host().make("rk+cmd", {}, why);
  ASSERT_NE(loop, nullptr) << why;
  ASSERT_TRUE(p.host().connect(loop, 0, loop, 0, why)) << why;
  ASSERT_TRUE(p.host().connect(n, 0, loop, 0, why)) << why;
  ASSERT_TRUE(p.host().connect(n, 1, loop, 0, why)) << why;
  const std::string cut = "error: rk+cmd: messages nested more than 1000 deep (a loop in the "
                          "patch?); the chain is abandoned";
  const std::string bytes = "abX" + std::string(100, '7');
  Lines expected{"n.1: 2", cut};
  for (char c : bytes)
    expected.insert(expected.end(), {"n.0: " + std::to_string(c), cut});
  expected.insert(expected.end(), {"n.1: 0", cut});

  send_and_close(bang_and_accept(), bytes);
  EXPECT_TRUE(until_logged("n.1: 0"));
  EXPECT_EQ(log, expected);
  p.host().free(loop);
}

TEST_F(NexioOrder, ReplacedConnectionWhoseOldPeerKeepsSending) {
  Fd old_peer = bang_and_accept();
  ASSERT_TRUE(old_peer.valid());

  // The thread takes more than the ring holds: the rest waits in its hands
  // for the host to make room.
  const std::string old_bytes(ring_capacity + 200, 'o');
  ASSERT_TRUE(send_all(old_peer.get(), old_bytes, peer_wait_ms));
  ASSERT_TRUE(while_host_busy([&] {
    const int unread = unread_at_other_end(old_peer.get());
    return unread >= 0 && static_cast<int>(old_bytes.size()) - unread > ring_capacity;
  }));

  // Replaced while it holds them; its peer goes on sending.
  p.send(n, "connect " + at(AF_INET, port));
  Fd new_peer = accept_within(listener.get(), peer_wait_ms);
  ASSERT_TRUE(new_peer.valid());
  // Refused or dropped, for the object's end of it is shut down.
  send_all(old_peer.get(), std::string(1000, 'O'), peer_wait_ms);
  ASSERT_TRUE(send_all(new_peer.get(), "new", peer_wait_ms));

  // Only what was in the ring at the replacement comes out before the new
  // connection's bytes; the old thread leaves without adding any.
  auto other_bytes = [&] {
    const std::string data = data_of("n");
    return std::count_if(data.begin(), data.end(), [](char c) { return c != 'o'; });
  };
  ASSERT_TRUE(until([&] { return other_bytes() >= 3; }));
  ASSERT_TRUE(until([&] { return running_threads() == threads + 1; }, leave_ms));
  pull();
  const std::string data = data_of("n");
  const size_t kept = data.find_first_not_of('o');
  EXPECT_LE(kept, static_cast<size_t>(ring_capacity)) << data;
  EXPECT_EQ(data.substr(std::min(kept, data.size())), "new");
  // The status may show the new connection's attempt (1) once the ring is
  // empty; the old thread never reports its end.
  const Lines statuses = with_prefix("n.1: ");
  EXPECT_FALSE(logged("n.1: 0"));
  ASSERT_FALSE(statuses.empty());
  EXPECT_EQ(statuses.back(), "n.1: 2");
  EXPECT_TRUE(errors().empty());
}

} // namespace
