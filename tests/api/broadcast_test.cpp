// Broadcast and interface listing on real interfaces: each test builds its
// own network namespaces (as root), joined by a veth pair, and removes them.
// Datagrams are only ever sent while the calling thread is inside one of
// them.
#include <arpa/inet.h>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sched.h>
#include <string>
#include <sys/socket.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "communication/network.h"
#include "netns.hpp"

namespace {

constexpr unsigned int probePort = 8001;
const char probe[8] = {'/', 't', 'o', 'v', 'i', 'k', 0, 0};

bool run(const std::string &command) {
  return std::system((command + " >/dev/null 2>&1").c_str()) == 0;
}

// Moves the calling thread into a named namespace for its lifetime and
// checks that it really is inside.
class Inside {
public:
  explicit Inside(const std::string &name) {
    original_ = open("/proc/thread-self/ns/net", O_RDONLY | O_CLOEXEC);
    const std::string path = "/var/run/netns/" + name;
    const int target = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat wanted {
    }, current{};
    entered_ = original_ >= 0 && target >= 0 && setns(target, CLONE_NEWNET) == 0 &&
               fstat(target, &wanted) == 0 && stat("/proc/thread-self/ns/net", &current) == 0 &&
               wanted.st_ino == current.st_ino && wanted.st_dev == current.st_dev;
    if (target >= 0)
      close(target);
  }
  ~Inside() {
    // Staying in a test namespace would be safe but would break later tests.
    if (original_ >= 0 && setns(original_, CLONE_NEWNET) != 0)
      std::abort();
    if (original_ >= 0)
      close(original_);
  }
  bool entered() const { return entered_; }

private:
  int original_ = -1;
  bool entered_ = false;
};

class BroadcastTest : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_EQ(Network::Init(), 1);
    suffix_ = std::to_string(getpid());
  }

  void TearDown() override {
    for (const auto &name : namespaces_)
      run("ip netns delete " + name);
  }

  std::string name(const char *base) const { return std::string("kitapi") + base + suffix_; }

  // Creates a namespace with loopback up; false when it cannot (the test
  // then ends with SKIP_WITHOUT_NETNS).
  bool makeNamespace(const std::string &ns) {
    if (!run("ip netns add " + ns))
      return false;
    namespaces_.push_back(ns);
    return run("ip -n " + ns + " link set lo up");
  }

  // Namespace "A" with 192.168.1.10/24 and "B" with 192.168.1.20/24, joined
  // by a veth pair; brd is "" (no broadcast address configured) or "brd +".
  bool makePair(const std::string &brd) {
    const std::string a = name("A"), b = name("B");
    const std::string va = "kva" + suffix_, vb = "kvb" + suffix_;
    return makeNamespace(a) && makeNamespace(b) &&
           run("ip link add " + va + " netns " + a + " type veth peer name " + vb + " netns " +
               b) &&
           run("ip -n " + a + " addr add 192.168.1.10/24 " + brd + " dev " + va) &&
           run("ip -n " + b + " addr add 192.168.1.20/24 dev " + vb) &&
           run("ip -n " + a + " link set " + va + " up") &&
           run("ip -n " + b + " link set " + vb + " up") && linkUp(a, va) && linkUp(b, vb);
  }

  // Waits, at most about 5 s, until the link `dev` of namespace `ns` is up
  // and has its queueing discipline (the kernel activates it a little after
  // "link set up"): a datagram sent before then is dropped, a broadcast at
  // once, while a unicast waits for its address resolution.
  static bool linkUp(const std::string &ns, const std::string &dev) {
    for (int i = 0; i < 250; ++i) {
      if (run("ip -n " + ns + " -o link show " + dev +
              " | grep 'state UP' | grep -qv 'qdisc noop'"))
        return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
  }

  // Sends the probe as a broadcast from A, then a unicast marker to B, and
  // returns the destinations of the probes B received before the marker.
  void broadcastFromA(std::vector<std::uint32_t> &destinations, int &sent) {
    int receiver = -1;
    {
      Inside inB(name("B"));
      ASSERT_TRUE(inB.entered());
      receiver = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
      ASSERT_GE(receiver, 0);
      const int on = 1;
      ASSERT_EQ(setsockopt(receiver, IPPROTO_IP, IP_PKTINFO, &on, sizeof on), 0);
      sockaddr_in local{};
      local.sin_family = AF_INET;
      local.sin_port = htons(probePort);
      ASSERT_EQ(bind(receiver, reinterpret_cast<sockaddr *>(&local), sizeof local), 0);
    }
    {
      Inside inA(name("A"));
      ASSERT_TRUE(inA.entered());
      Socket *sender = Network::CreateSocket(Network::UDP);
      ASSERT_NE(sender, nullptr);
      sent = Network::SendTo(sender, Network::broadcast, probePort, probe, sizeof probe);
      EXPECT_EQ(Network::SendTo(sender, 0xC0A80114, probePort, "marker", 6), 6);
      Network::CloseSocket(sender);
    }
    for (int i = 0; i < 16; ++i) {
      pollfd entry{receiver, POLLIN, 0};
      ASSERT_EQ(poll(&entry, 1, 10000), 1) << "the marker never came";
      char data[64];
      char control[256];
      sockaddr_in from{};
      iovec vector{data, sizeof data};
      msghdr message{};
      message.msg_name = &from;
      message.msg_namelen = sizeof from;
      message.msg_iov = &vector;
      message.msg_iovlen = 1;
      message.msg_control = control;
      message.msg_controllen = sizeof control;
      const ssize_t size = recvmsg(receiver, &message, 0);
      ASSERT_GT(size, 0);
      if (size == 6 && std::memcmp(data, "marker", 6) == 0)
        break;
      EXPECT_EQ(size, 8);
      EXPECT_EQ(ntohl(from.sin_addr.s_addr), 0xC0A8010Au);
      for (cmsghdr *c = CMSG_FIRSTHDR(&message); c != nullptr; c = CMSG_NXTHDR(&message, c))
        if (c->cmsg_level == IPPROTO_IP && c->cmsg_type == IP_PKTINFO) {
          in_pktinfo info;
          std::memcpy(&info, CMSG_DATA(c), sizeof info);
          destinations.push_back(ntohl(info.ipi_addr.s_addr));
        }
    }
    close(receiver);
  }

  std::string suffix_;
  std::vector<std::string> namespaces_;
};

TEST_F(BroadcastTest, OneDatagramToTheDirectedBroadcastWithoutAConfiguredOne) {
  if (!makePair("")) {
    SKIP_WITHOUT_NETNS("ip could not set them up");
  }
  std::vector<std::uint32_t> destinations;
  int sent = 0;
  broadcastFromA(destinations, sent);
  EXPECT_EQ(sent, 8);
  ASSERT_EQ(destinations.size(), 1u);
  EXPECT_EQ(destinations[0], 0xC0A801FFu);
}

TEST_F(BroadcastTest, OneDatagramToTheConfiguredBroadcast) {
  if (!makePair("brd +")) {
    SKIP_WITHOUT_NETNS("ip could not set them up");
  }
  std::vector<std::uint32_t> destinations;
  int sent = 0;
  broadcastFromA(destinations, sent);
  EXPECT_EQ(sent, 8);
  ASSERT_EQ(destinations.size(), 1u);
  EXPECT_EQ(destinations[0], 0xC0A801FFu);
}

TEST_F(BroadcastTest, InterfacesAreListedInHostOrder) {
  if (!makePair("")) {
    SKIP_WITHOUT_NETNS("ip could not set them up");
  }
  Inside inA(name("A"));
  ASSERT_TRUE(inA.entered());
  ASSERT_EQ(Network::GetLocalInterfacesCount(), 2);
  bool loopbackSeen = false, ethernetSeen = false;
  for (int i = 0; i < 2; ++i) {
    std::uint32_t address = 0, netmask = 0;
    ASSERT_EQ(Network::GetLocalInterface(i, &address, &netmask), 1);
    if (address == 0x7F000001u && netmask == 0xFF000000u)
      loopbackSeen = true;
    if (address == 0xC0A8010Au && netmask == 0xFFFFFF00u)
      ethernetSeen = true;
  }
  EXPECT_TRUE(loopbackSeen);
  EXPECT_TRUE(ethernetSeen);
  std::uint32_t address = 0, netmask = 0;
  EXPECT_EQ(Network::GetLocalInterface(2, &address, &netmask), 0);
}

TEST_F(BroadcastTest, NothingIsSentWithoutABroadcastCapableInterface) {
  // Loopback, and interfaces whose networks (/32, /31) have no broadcast
  // address.
  const std::string c = name("C");
  const std::string v1 = "kvc" + suffix_, v2 = "kvd" + suffix_;
  if (!makeNamespace(c) || !run("ip -n " + c + " link add " + v1 + " type veth peer name " + v2) ||
      !run("ip -n " + c + " addr add 10.9.9.1/32 dev " + v1) ||
      !run("ip -n " + c + " addr add 10.9.8.0/31 dev " + v2) ||
      !run("ip -n " + c + " link set " + v1 + " up") ||
      !run("ip -n " + c + " link set " + v2 + " up")) {
    SKIP_WITHOUT_NETNS("ip could not set them up");
  }
  Inside inC(c);
  ASSERT_TRUE(inC.entered());
  EXPECT_EQ(Network::GetLocalInterfacesCount(), 3);
  Socket *sender = Network::CreateSocket(Network::UDP);
  ASSERT_NE(sender, nullptr);
  EXPECT_EQ(Network::SendTo(sender, Network::broadcast, probePort, probe, sizeof probe), 0);
  Network::CloseSocket(sender);
}

TEST_F(BroadcastTest, OnlyLoopbackSendsNothing) {
  const std::string c = name("L");
  if (!makeNamespace(c)) {
    SKIP_WITHOUT_NETNS("ip could not set them up");
  }
  Inside inC(c);
  ASSERT_TRUE(inC.entered());
  EXPECT_EQ(Network::GetLocalInterfacesCount(), 1);
  Socket *sender = Network::CreateSocket(Network::UDP);
  ASSERT_NE(sender, nullptr);
  EXPECT_EQ(Network::SendTo(sender, Network::broadcast, probePort, probe, sizeof probe), 0);
  Network::CloseSocket(sender);
}

} // namespace
