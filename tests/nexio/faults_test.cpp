// nexio under faults: the host allocator refusing the handle at creation and
// the start block on "bang", and a connection whose socket is numbered above
// the size of a select() set. This program defines and exports sysmem_newptr
// (the host allocator behind getbytes), so the module, loaded later, binds to
// it; it passes calls on to the host's.
#include "fixture.hpp"
#include "resources.hpp"

#include <dlfcn.h>

#include <atomic>

namespace {
std::atomic<bool> refuse_next{false};
std::atomic<long> refused{0};
} // namespace

extern "C" t_ptr sysmem_newptr(t_ptr_size size) {
  using Newptr = t_ptr (*)(t_ptr_size);
  static const Newptr host_newptr = (Newptr)dlsym(RTLD_NEXT, "sysmem_newptr");
  if (refuse_next.exchange(false)) {
    ++refused;
    return nullptr;
  }
  return host_newptr(size);
}

namespace {

using namespace nexiotest;

class NexioFaults : public NexioTest {};

TEST_F(NexioFaults, NoMemoryForTheHandleFailsTheCreationSilently) {
  refused = 0;
  refuse_next = true;
  const std::string why = p.make_error("nexio 127.0.0.1 9");
  refuse_next = false;
  EXPECT_EQ(refused.load(), 1);
  EXPECT_FALSE(why.empty());
  pull();
  EXPECT_TRUE(errors().empty());
}

TEST_F(NexioFaults, NoMemoryForTheStartBlockIsReportedAndChangesNothing) {
  int port = 0;
  Fd listener;
  auto *n = listen_and_make(listener, port);
  ASSERT_TRUE(listener.valid());
  refused = 0;
  refuse_next = true;
  p.send(n, "bang");
  refuse_next = false;
  EXPECT_EQ(refused.load(), 1);
  p.advance(1);
  pull();
  EXPECT_EQ(errors(), Lines{"error: nexio: out of memory"});
  EXPECT_TRUE(with_prefix("n.1: ").empty()) << "the status did not change";

  // The next attempt has its memory and connects.
  Fd peer = bang_and_accept(n, listener);
  ASSERT_TRUE(peer.valid());
  ASSERT_TRUE(until_logged("n.1: 2"));
  p.free(n);
  EXPECT_TRUE(wait_eof(peer.get(), peer_wait_ms));
}

TEST_F(NexioFaults, StreamsWorkOnDescriptorsAboveTheSelectSetSize) {
  kittest::HighDescriptors high(1100);
  if (!high.ok())
    GTEST_SKIP() << "the descriptor limit is too low";
  const int threads = running_threads();
  for (int family : {AF_INET, AF_INET6}) {
    int port = 0;
    Fd listener = tcp_listen(family, 4, port);
    if (!listener.valid() && family == AF_INET6)
      continue; // no IPv6 loopback here
    ASSERT_TRUE(listener.valid());
    ASSERT_GE(listener.get(), 1024);
    log.clear();
    auto *n = p.make("n", box(at(family, port)));
    Fd peer = bang_and_accept(n, listener);
    ASSERT_TRUE(peer.valid());
    ASSERT_TRUE(until_logged("n.1: 2"));
    // Bytes both ways, more than the ring holds at once.
    std::string bytes;
    for (int i = 0; i < 1000; ++i)
      bytes.push_back(static_cast<char>(i * 7));
    ASSERT_TRUE(send_all(peer.get(), bytes, peer_wait_ms));
    ASSERT_TRUE(until([&] { return data_of("n").size() >= bytes.size(); }));
    EXPECT_EQ(data_of("n"), bytes);
    p.send(n, "list 1 2 3 255");
    EXPECT_EQ(recv_upto(peer.get(), 4, peer_wait_ms), std::string("\x01\x02\x03\xff", 4));
    // A reset in the middle of the stream ends it with a report.
    ASSERT_TRUE(send_all(peer.get(), "tail", peer_wait_ms));
    reset_close(peer);
    ASSERT_TRUE(until_logged("n.1: 0"));
    p.free(n);
    ASSERT_TRUE(until([&] { return running_threads() == threads; }, 30000));
  }
}

} // namespace
