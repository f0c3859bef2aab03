// The support library under faults: every allocation it makes failing in
// turn, and descriptor numbers above the size of a select() set for every
// socket wait. The C allocator is wrapped by the linker (--wrap=malloc), so
// only the calls of this program's own code, the library included, can be
// made to fail.
#include "resources.hpp"

#include "communication/network.h"
#include "system/memory.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {
// Allocations still allowed before the next one fails; negative: no limit.
std::atomic<long> allowed{-1};

// Makes the allocations after the next n fail until the scope ends.
struct FailAfter {
  explicit FailAfter(long n) { allowed = n; }
  ~FailAfter() { allowed = -1; }
};
} // namespace

extern "C" {
void *__real_malloc(std::size_t size);
void *__wrap_malloc(std::size_t size) {
  long left = allowed.load();
  while (left >= 0) {
    if (left == 0)
      return nullptr;
    if (allowed.compare_exchange_weak(left, left - 1))
      break;
  }
  return __real_malloc(size);
}
}

namespace {

using kittest::HighDescriptors;
using kittest::open_descriptors;

struct SocketFaults : ::testing::Test {
  static void SetUpTestSuite() { ASSERT_EQ(Network::Init(), 1); }
};

TEST(MemoryFaults, AllocAndTheOperatorsGiveNullWhenNoMemoryIsLeft) {
  struct Record : MemoryObject {
    char bytes[64];
  };
  FailAfter none(0);
  EXPECT_EQ(Memory::Alloc(16), nullptr);
  EXPECT_EQ(Memory::Alloc(0), nullptr);
  EXPECT_EQ(new Record, nullptr);
  EXPECT_EQ(new Record[4], nullptr);
}

TEST_F(SocketFaults, CreateSocketFailsCleanlyAtEveryAllocation) {
  // Each allocation of CreateSocket fails in turn until it needs no more;
  // every failure is a null handle and leaves no descriptor open.
  const int before = open_descriptors();
  bool made = false;
  for (long n = 0; n < 16 && !made; ++n) {
    for (int kind : {Network::UDP, Network::TCP}) {
      Socket *s = nullptr;
      {
        FailAfter fail(n);
        s = Network::CreateSocket(kind);
      }
      if (s) {
        made = true;
        Network::CloseSocket(s);
      }
      EXPECT_EQ(open_descriptors(), before) << "after " << n << " allocations";
    }
  }
  EXPECT_TRUE(made);
}

TEST_F(SocketFaults, RecvIntoNothingSurvivesAFailedScratchBlock) {
  Socket *a = Network::CreateSocket(Network::UDP);
  Socket *b = Network::CreateSocket(Network::UDP);
  ASSERT_TRUE(a && b);
  ASSERT_EQ(Network::Bind(b, 0), 1);
  const unsigned port = Network::GetPort(b);
  ASSERT_EQ(Network::SendTo(a, 0x7F000001, port, "dropped", 7), 7);
  Network::Time wait{10, 0};
  ASSERT_EQ(Network::Select(b, 1, 0, &wait), 1);
  {
    FailAfter none(0);
    EXPECT_LE(Network::Recv(b, nullptr, 64), 64);
  }
  Network::CloseSocket(a);
  Network::CloseSocket(b);
}

TEST_F(SocketFaults, EveryWaitWorksOnDescriptorsAboveTheSelectSetSize) {
  HighDescriptors high(1100);
  if (!high.ok())
    GTEST_SKIP() << "the descriptor limit is too low";

  Socket *listener = Network::CreateSocket(Network::TCP);
  Socket *client = Network::CreateSocket(Network::TCP);
  ASSERT_TRUE(listener && client);
  EXPECT_GE(listener->fd, 1024);
  EXPECT_GE(client->fd, 1024);
  ASSERT_EQ(Network::Bind(listener, 0), 1);
  ASSERT_EQ(Network::Listen(listener, 4), 1);
  const unsigned port = Network::GetPort(listener);

  ASSERT_EQ(Network::Connect(client, 0x7F000001, port), 1);
  Network::Time wait{10, 0};
  ASSERT_EQ(Network::Select(listener, 1, 0, &wait), 1);
  Socket *server = Network::Accept(listener, nullptr, nullptr);
  ASSERT_NE(server, nullptr);
  EXPECT_GE(server->fd, 1024);

  ASSERT_EQ(Network::Select(client, 0, 1, &wait), 1);
  ASSERT_EQ(Network::Send(client, "high", 4), 4);
  ASSERT_EQ(Network::Select(server, 1, 0, &wait), 1);
  char got[8] = {};
  EXPECT_EQ(Network::Recv(server, got, sizeof got), 4);
  EXPECT_STREQ(got, "high");

  // A wait that times out on a high descriptor: nothing to read.
  Network::Time short_wait{0, 10000};
  EXPECT_EQ(Network::Select(server, 1, 0, &short_wait), 0);

  // Datagrams too.
  Socket *udp = Network::CreateSocket(Network::UDP);
  ASSERT_NE(udp, nullptr);
  EXPECT_GE(udp->fd, 1024);
  ASSERT_EQ(Network::Bind(udp, 0), 1);
  ASSERT_EQ(Network::SendTo(udp, 0x7F000001, Network::GetPort(udp), "dgram", 5), 5);
  ASSERT_EQ(Network::Select(udp, 1, 0, &wait), 1);
  std::uint32_t from = 0;
  EXPECT_EQ(Network::RecvFrom(udp, &from, nullptr, got, sizeof got), 5);
  EXPECT_EQ(from, 0x7F000001u);

  Network::CloseSocket(udp);
  Network::CloseSocket(server);
  Network::CloseSocket(client);
  Network::CloseSocket(listener);
}

} // namespace
