#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>
#include <string>

#include "communication/network.h"

#ifdef _WIN32
#include <winsock2.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace {

constexpr std::uint32_t loopback = 0x7F000001;
const Network::Time shortWait{0, 1000};
const Network::Time longWait{10, 0}; // bounds waits for events that do come

class NetworkTest : public ::testing::Test {
protected:
  static void SetUpTestSuite() { ASSERT_EQ(Network::Init(), 1); }

  // A TCP listener on an ephemeral loopback port.
  static Socket *listener(int backlog) {
    Socket *socket = Network::CreateSocket(Network::TCP);
    if (socket == nullptr || !Network::Bind(socket, 0) || !Network::Listen(socket, backlog))
      return Network::CloseSocket(socket);
    return socket;
  }

  // A connected pair: client and the accepted server side.
  static void connectPair(Socket *&listening, Socket *&client, Socket *&server) {
    listening = listener(4);
    ASSERT_NE(listening, nullptr);
    client = Network::CreateSocket(Network::TCP);
    ASSERT_NE(client, nullptr);
    ASSERT_EQ(Network::Connect(client, loopback, Network::GetPort(listening)), 1);
    ASSERT_EQ(Network::Select(listening, 1, 0, &longWait), 1);
    std::uint32_t address = 0;
    unsigned int port = 0;
    server = Network::Accept(listening, &address, &port);
    ASSERT_NE(server, nullptr);
    EXPECT_EQ(address, loopback);
    EXPECT_NE(port, 0u);
  }
};

TEST_F(NetworkTest, NullHandlesFailAtOnce) {
  char buffer[4] = {};
  std::uint32_t address = 0;
  unsigned int port = 0;
  EXPECT_EQ(Network::SetOption(nullptr, Network::Blocking, 1), 0);
  EXPECT_EQ(Network::GetOption(nullptr, 1), 0);
  EXPECT_EQ(Network::Connect(nullptr, loopback, 1), 0);
  EXPECT_EQ(Network::Select(nullptr, 1, 1, &shortWait), 0);
  EXPECT_EQ(Network::Send(nullptr, buffer, 4), 0);
  EXPECT_EQ(Network::SendTo(nullptr, loopback, 1, buffer, 4), 0);
  EXPECT_EQ(Network::RecvFrom(nullptr, &address, &port, buffer, 4), 0);
  EXPECT_EQ(Network::Recv(nullptr, buffer, 4), 0);
  EXPECT_EQ(Network::CloseSocket(nullptr), nullptr);
  EXPECT_EQ(Network::Bind(nullptr, 0), 0);
  EXPECT_EQ(Network::Listen(nullptr, 1), 0);
  EXPECT_EQ(Network::Accept(nullptr, &address, &port), nullptr);
  EXPECT_EQ(Network::GetPort(nullptr), 0u);
  Network::Release();
}

TEST_F(NetworkTest, SocketKindsAndBlockingMode) {
  EXPECT_EQ(Network::CreateSocket(2), nullptr);
  EXPECT_EQ(Network::CreateSocket(-1), nullptr);
  for (int kind : {Network::UDP, Network::TCP}) {
    Socket *socket = Network::CreateSocket(kind, 16384, 16384);
    ASSERT_NE(socket, nullptr);
    EXPECT_NE(socket->fd, -1);
    EXPECT_EQ(Network::GetOption(socket, Network::Blocking), 0);
#ifndef _WIN32
    EXPECT_NE(fcntl(socket->fd, F_GETFL) & O_NONBLOCK, 0);
#endif
    EXPECT_EQ(Network::SetOption(socket, Network::Blocking, 1), 1);
    EXPECT_EQ(Network::GetOption(socket, Network::Blocking), 1);
#ifndef _WIN32
    EXPECT_EQ(fcntl(socket->fd, F_GETFL) & O_NONBLOCK, 0);
#endif
    EXPECT_EQ(Network::SetOption(socket, 2, 0), 0);
    EXPECT_EQ(Network::GetOption(socket, Network::Blocking), 1);
    EXPECT_EQ(Network::SetOption(socket, Network::Blocking, 0), 1);
    EXPECT_EQ(Network::GetOption(socket, Network::Blocking), 0);
    EXPECT_EQ(Network::CloseSocket(socket), nullptr);
  }
}

TEST_F(NetworkTest, DatagramsOnLoopback) {
  Socket *receiver = Network::CreateSocket(Network::UDP);
  Socket *sender = Network::CreateSocket(Network::UDP);
  ASSERT_NE(receiver, nullptr);
  ASSERT_NE(sender, nullptr);
  ASSERT_EQ(Network::Bind(receiver, 0), 1);
  const unsigned int port = Network::GetPort(receiver);
  ASSERT_NE(port, 0u);

  char buffer[16];
  // Nothing waiting: 0, outputs untouched.
  std::uint32_t address = 1;
  unsigned int from = 1;
  EXPECT_EQ(Network::RecvFrom(receiver, &address, &from, buffer, sizeof buffer), 0);
  EXPECT_EQ(address, 1u);
  EXPECT_EQ(from, 1u);
  EXPECT_EQ(Network::Select(receiver, 1, 0, &shortWait), 0);

  // Only the low 16 bits of the port count.
  ASSERT_EQ(Network::SendTo(sender, loopback, port | 0x10000, "/tovik\0\0", 8), 8);
  ASSERT_EQ(Network::Select(receiver, 1, 0, nullptr), 1); // no limit: ready
  EXPECT_EQ(Network::RecvFrom(receiver, &address, &from, buffer, sizeof buffer), 8);
  EXPECT_EQ(std::memcmp(buffer, "/tovik\0\0", 8), 0);
  EXPECT_EQ(address, loopback);
  EXPECT_EQ(from, Network::GetPort(sender));

  // Null outputs are skipped; long datagrams are cut to the buffer.
  ASSERT_EQ(Network::SendTo(sender, loopback, port, "0123456789", 10), 10);
  ASSERT_EQ(Network::Select(receiver, 1, 0, &longWait), 1);
  EXPECT_EQ(Network::RecvFrom(receiver, nullptr, nullptr, buffer, 4), 4);
  EXPECT_EQ(std::memcmp(buffer, "0123", 4), 0);
  // Recv cuts them alike, on every platform (Windows reports an error there).
  ASSERT_EQ(Network::SendTo(sender, loopback, port, "abcdefghij", 10), 10);
  ASSERT_EQ(Network::Select(receiver, 1, 0, &longWait), 1);
  EXPECT_EQ(Network::Recv(receiver, buffer, 4), 4);
  EXPECT_EQ(std::memcmp(buffer, "abcd", 4), 0);

  EXPECT_EQ(Network::SendTo(sender, loopback, port, nullptr, 4), -1);
  EXPECT_EQ(Network::SendTo(sender, loopback, port, buffer, -1), -1);
  EXPECT_EQ(Network::RecvFrom(receiver, nullptr, nullptr, nullptr, 4), 0);
  EXPECT_EQ(Network::RecvFrom(receiver, nullptr, nullptr, buffer, 0), 0);
  Network::CloseSocket(receiver);
  Network::CloseSocket(sender);
}

TEST_F(NetworkTest, SelectWithoutFlagsOnlyWaitsOutTheTimeout) {
  Socket *socket = Network::CreateSocket(Network::UDP);
  ASSERT_NE(socket, nullptr);
  EXPECT_EQ(Network::Select(socket, 0, 0, &shortWait), 0);
  EXPECT_EQ(Network::Select(socket, 0, 0, nullptr), 0); // would wait forever
  const Network::Time negative{-1, 0};
  EXPECT_EQ(Network::Select(socket, 0, 1, &negative), 0);
  EXPECT_EQ(Network::Select(socket, 0, 1, &shortWait), 1); // a datagram socket can write
  Network::CloseSocket(socket);
}

TEST_F(NetworkTest, ConnectSendRecvAcceptOnLoopback) {
  Socket *listening = nullptr, *client = nullptr, *server = nullptr;
  connectPair(listening, client, server);
  EXPECT_EQ(Network::GetOption(server, Network::Blocking), 0);

  char buffer[16];
  EXPECT_EQ(Network::Recv(server, buffer, sizeof buffer), 0); // nothing waiting
  EXPECT_EQ(Network::Send(client, "hello", 5), 5);
  ASSERT_EQ(Network::Select(server, 1, 0, &longWait), 1);
  EXPECT_EQ(Network::Recv(server, buffer, sizeof buffer), 5);
  EXPECT_EQ(std::memcmp(buffer, "hello", 5), 0);

  // Received into a temporary array and discarded.
  EXPECT_EQ(Network::Send(client, "abc", 3), 3);
  ASSERT_EQ(Network::Select(server, 1, 0, &longWait), 1);
  EXPECT_EQ(Network::Recv(server, nullptr, 16), 3);
  EXPECT_EQ(Network::Recv(server, nullptr, 0), 0);
  EXPECT_EQ(Network::Send(client, nullptr, 3), -1);
  EXPECT_EQ(Network::Send(client, "abc", -1), -1);

  // The peer closes: Recv reports -1, and sending fails with a result, never
  // a broken-pipe signal.
  server = Network::CloseSocket(server);
  ASSERT_EQ(Network::Select(client, 1, 0, &longWait), 1);
  EXPECT_EQ(Network::Recv(client, buffer, sizeof buffer), -1);
  int result = 0;
  for (int i = 0; i < 100 && result >= 0; ++i) {
    Network::Select(client, 0, 1, &longWait);
    result = Network::Send(client, "x", 1);
  }
  EXPECT_EQ(result, -1);
  Network::CloseSocket(client);
  Network::CloseSocket(listening);
}

TEST_F(NetworkTest, AcceptWithoutAWaitingConnectionFails) {
  Socket *listening = listener(1);
  ASSERT_NE(listening, nullptr);
  std::uint32_t address = 5;
  EXPECT_EQ(Network::Accept(listening, &address, nullptr), nullptr);
  EXPECT_EQ(address, 5u);
  Network::CloseSocket(listening);
}

TEST_F(NetworkTest, ConnectWhereNothingAnswersTimesOut) {
  // A listener whose queue is full drops new connection requests without an
  // answer, as a host that is not there would.
  Socket *listening = listener(0);
  ASSERT_NE(listening, nullptr);
  const unsigned int port = Network::GetPort(listening);
  Socket *clients[8] = {};
  int result = 1;
  for (int i = 0; i < 8 && result == 1; ++i) {
    clients[i] = Network::CreateSocket(Network::TCP);
    ASSERT_NE(clients[i], nullptr);
    result = Network::Connect(clients[i], loopback, port);
  }
  EXPECT_EQ(result, 0);
  for (Socket *client : clients)
    Network::CloseSocket(client);
  Network::CloseSocket(listening);
}

TEST_F(NetworkTest, ConnectRefusedIsReadinessAndFailsAtSend) {
  // A port without a listener refuses at once; Connect reports readiness, and
  // the failure shows at the first Send.
  Socket *probe = listener(1);
  ASSERT_NE(probe, nullptr);
  const unsigned int port = Network::GetPort(probe);
  Network::CloseSocket(probe);
  Socket *client = Network::CreateSocket(Network::TCP);
  ASSERT_NE(client, nullptr);
  EXPECT_EQ(Network::Connect(client, loopback, port), 1);
  EXPECT_EQ(Network::Send(client, "x", 1), -1);
  Network::CloseSocket(client);
}

TEST_F(NetworkTest, LocalInterfacesIncludeLoopback) {
  const int count = Network::GetLocalInterfacesCount();
  ASSERT_GT(count, 0);
  bool loopbackFound = false;
  for (int i = 0; i < count; ++i) {
    std::uint32_t address = 0, netmask = 0;
    ASSERT_EQ(Network::GetLocalInterface(i, &address, &netmask), 1);
    if (address == loopback) {
      loopbackFound = true;
      EXPECT_EQ(netmask, 0xFF000000u);
    }
  }
  EXPECT_TRUE(loopbackFound);
  std::uint32_t address = 9, netmask = 9;
  EXPECT_EQ(Network::GetLocalInterface(count, &address, &netmask), 0);
  EXPECT_EQ(Network::GetLocalInterface(-1, &address, &netmask), 0);
  EXPECT_EQ(Network::GetLocalInterface(0, &address, nullptr), 0);
  EXPECT_EQ(Network::GetLocalInterface(0, nullptr, &netmask), 0);
  EXPECT_EQ(address, 9u);
  EXPECT_EQ(netmask, 9u);
}

TEST_F(NetworkTest, HostName) {
  alignas(4) char storage[64];
  string copy(storage, sizeof storage);
  string *name = Network::GetHostName(&copy);
  EXPECT_EQ(name, &Network::hostname);
  EXPECT_GT(name->length, 0);
  EXPECT_EQ(copy.strcmp(name), 0);
  char expected[256] = {};
  gethostname(expected, sizeof expected - 1);
  EXPECT_STREQ(name->buffer, expected);
  EXPECT_EQ(Network::GetHostName(nullptr), &Network::hostname);
}

// Run only by windows-broadcast.sh, inside the network namespaces it makes:
// a broadcast is never sent anywhere else.
TEST_F(NetworkTest, BroadcastInsideTestNamespace) {
  const char *inside = std::getenv("KIT_NETNS_BROADCAST");
  if (inside == nullptr || std::string(inside) != "1")
    GTEST_SKIP() << "only inside the test's own network namespace";
  bool found = false;
  for (int i = 0; i < Network::GetLocalInterfacesCount(); ++i) {
    std::uint32_t address = 0, netmask = 0;
    ASSERT_EQ(Network::GetLocalInterface(i, &address, &netmask), 1);
    found = found || (address == 0xC0A8010Au && netmask == 0xFFFFFF00u);
  }
  EXPECT_TRUE(found);
  Socket *sender = Network::CreateSocket(Network::UDP);
  ASSERT_NE(sender, nullptr);
  EXPECT_EQ(Network::SendTo(sender, Network::broadcast, 8001, "/tovik\0\0", 8), 8);
  EXPECT_EQ(Network::SendTo(sender, 0xC0A80114, 8001, "marker", 6), 6);
  Network::CloseSocket(sender);
}

} // namespace
