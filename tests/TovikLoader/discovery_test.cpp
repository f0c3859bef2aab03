// Discovery for real: the test process moves into a network namespace of
// its own, and every device lives in a namespace of its own joined to it by
// a veth pair (10.77.N.1 on our side, 10.77.N.2 on the device's). Probes are
// broadcast only on these links. Needs root: without it the tests skip, or
// fail when CI=true.
#include "net.hpp"
#include "netns.hpp"
#include "patch.hpp"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

using kittest::Lines;
using kittest::long_atom;
using kittest::sym_atom;
using namespace loadertest;

namespace {

// Why the process could not isolate its network, or empty when it did.
std::string isolation_failure = "not tried";

// A device's network: a namespace and the veth pair that joins it to ours.
class DeviceNet {
public:
  explicit DeviceNet(int n) : n_(n) {
    name_ = "tovik-test-" + std::to_string(getpid()) + "-" + std::to_string(n);
    const std::string link = "tvk" + std::to_string(n);
    const std::string net = "10.77." + std::to_string(n);
    ok_ = sh("ip netns add " + name_) == 0 &&
          sh("ip link add " + link + " type veth peer name eth0 netns " + name_) == 0 &&
          sh("ip addr add " + net + ".1/24 brd + dev " + link) == 0 &&
          sh("ip link set " + link + " up") == 0 &&
          sh("ip -n " + name_ + " addr add " + net + ".2/24 brd + dev eth0") == 0 &&
          sh("ip -n " + name_ + " link set eth0 up") == 0 &&
          sh("ip -n " + name_ + " link set lo up") == 0;
  }
  ~DeviceNet() {
    sh("ip link del tvk" + std::to_string(n_) + " 2>/dev/null");
    sh("ip netns del " + name_);
  }
  bool ok() const { return ok_; }
  const std::string &name() const { return name_; }
  std::string device_ip() const { return "10.77." + std::to_string(n_) + ".2"; }
  std::string our_ip() const { return "10.77." + std::to_string(n_) + ".1"; }

  // A UDP socket made inside the device's namespace, bound to port 8001 on
  // every address there (it receives the probes).
  int probe_socket() const {
    int fd = -1;
    std::thread([&] {
      const int ns = open(("/run/netns/" + name_).c_str(), O_RDONLY);
      if (ns >= 0 && setns(ns, CLONE_NEWNET) == 0) {
        fd = socket(AF_INET, SOCK_DGRAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(8001);
        if (bind(fd, reinterpret_cast<sockaddr *>(&a), sizeof a) != 0) {
          close(fd);
          fd = -1;
        }
      }
      if (ns >= 0)
        close(ns);
    }).join();
    return fd;
  }

private:
  int n_;
  std::string name_;
  bool ok_ = false;
};

// Receives one probe on a device's socket (bounded); returns the sender.
std::optional<sockaddr_in> receive_probe(int fd, std::string *bytes = nullptr) {
  pollfd p{fd, POLLIN, 0};
  if (poll(&p, 1, 5000) != 1)
    return std::nullopt;
  char buf[512];
  sockaddr_in from{};
  socklen_t len = sizeof from;
  const ssize_t n = recvfrom(fd, buf, sizeof buf, 0, reinterpret_cast<sockaddr *>(&from), &len);
  if (n < 0)
    return std::nullopt;
  if (bytes)
    bytes->assign(buf, static_cast<std::size_t>(n));
  return from;
}

// The IPv4 UDP sockets of this process that are bound to a port: the
// module's discovery socket among them (the tests close their own).
std::vector<int> bound_udp_sockets() {
  std::vector<int> found;
  DIR *d = opendir("/proc/self/fd");
  if (!d)
    return found;
  while (dirent *e = readdir(d)) {
    const int fd = std::atoi(e->d_name);
    int type = 0, domain = 0;
    socklen_t len = sizeof type;
    if (fd <= 2 || getsockopt(fd, SOL_SOCKET, SO_TYPE, &type, &len) != 0 || type != SOCK_DGRAM)
      continue;
    len = sizeof domain;
    if (getsockopt(fd, SOL_SOCKET, SO_DOMAIN, &domain, &len) != 0 || domain != AF_INET)
      continue;
    sockaddr_in a{};
    len = sizeof a;
    if (getsockname(fd, reinterpret_cast<sockaddr *>(&a), &len) == 0 && a.sin_port != 0)
      found.push_back(fd);
  }
  closedir(d);
  return found;
}

// Bytes waiting on the module's discovery socket (the one that sent probes
// from `port`).
int waiting_on_discovery_socket(int port) {
  for (const int fd : bound_udp_sockets()) {
    sockaddr_in a{};
    socklen_t len = sizeof a;
    getsockname(fd, reinterpret_cast<sockaddr *>(&a), &len);
    int waiting = 0;
    if (ntohs(a.sin_port) == port && ioctl(fd, FIONREAD, &waiting) == 0)
      return waiting;
  }
  return -1;
}

// Drops the answers that wait on the module's discovery socket, so that
// what one test's devices sent late is not read in the next.
void drain_discovery_socket() {
  for (const int fd : bound_udp_sockets()) {
    char buf[512];
    for (int i = 0; i < 1000 && recv(fd, buf, sizeof buf, MSG_DONTWAIT) >= 0; ++i) {
    }
  }
}

void answer(int fd, const sockaddr_in &to, const std::string &bytes) {
  sendto(fd, bytes.data(), bytes.size(), 0, reinterpret_cast<const sockaddr *>(&to), sizeof to);
}

class Discovery : public ::testing::Test {
protected:
  void SetUp() override {
    if (!isolation_failure.empty())
      SKIP_WITHOUT_NETNS(isolation_failure);
    // Discovery needs real time: the thread collects while the clock runs.
    p.host().set_manual_clock(false);
    // The module, and with it the device list, outlives each test: a scan
    // with no interface to broadcast on empties the list and sends nothing.
    auto *clear = p.make("clear", "TovikLoader");
    p.send(clear, "scan");
    p.free(clear);
    drain_discovery_socket();
  }

  std::unique_ptr<DeviceNet> net(int n) {
    auto d = std::make_unique<DeviceNet>(n);
    EXPECT_TRUE(d->ok()) << "could not make the device network " << n;
    return d;
  }

  // Runs the host until a recorded line satisfies `match` (bounded); returns
  // every line recorded meanwhile.
  Lines run_until_line(const std::function<bool(const std::string &)> &match,
                       double timeout_ms = 8000) {
    Lines all;
    p.run_until(
        [&] {
          for (auto &l : p.take())
            all.push_back(l);
          for (auto &l : all) {
            if (match(l))
              return true;
          }
          return false;
        },
        timeout_ms);
    for (auto &l : p.take())
      all.push_back(l);
    return all;
  }
  Lines run_until_line(const std::string &line, double timeout_ms = 8000) {
    return run_until_line([&](const std::string &l) { return l == line; }, timeout_ms);
  }

  kittest::Patch p;
  TempDir dir;
};

TEST_F(Discovery, ScanWithNoAnswerReportsAnEmptyList) {
  auto d = net(1);
  auto *t = p.make("t", "TovikLoader");
  p.send(t, "scan");
  EXPECT_EQ(p.take(), Lines{}) << "the report waits for the pause";
  EXPECT_EQ(run_until_line("t.0: scan done"), (Lines{"t.0: scan start", "t.0: scan done"}));
}

TEST_F(Discovery, ScanWithoutAnyInterfaceOutputsNothing) {
  // Only loopback: the probe goes nowhere, so there is no report at all.
  auto *t = p.make("t", "TovikLoader");
  p.send(t, "scan");
  EXPECT_EQ(run_until_line("t.0: scan done", 1500), Lines{});
}

TEST_F(Discovery, ScanFindsASimulatedDevice) {
  auto d = net(1);
  Sim sim({"--udp-port", "8001", "--tcp-port", "8002"}, d->name());
  ASSERT_TRUE(sim.started());
  auto *t = p.make("t", "TovikLoader");
  p.send(t, "scan");
  EXPECT_EQ(run_until_line("t.0: scan done"),
            (Lines{"t.0: scan start", "t.0: scan 10.77.1.2 8002", "t.0: scan done"}));
  auto probe = sim.wait_for("probe");
  ASSERT_TRUE(probe);
  EXPECT_EQ((*probe)["from"].get<std::string>().rfind("10.77.1.1:", 0), 0u);
}

TEST_F(Discovery, DevicesAreListedOnceInTheOrderOfTheirFirstAnswers) {
  auto one = net(1), two = net(2);
  const int a = one->probe_socket(), b = two->probe_socket();
  ASSERT_GE(a, 0);
  ASSERT_GE(b, 0);
  auto *t = p.make("t", "TovikLoader");
  p.send(t, "scan");
  std::string probe;
  auto from_b = receive_probe(b, &probe);
  auto from_a = receive_probe(a);
  ASSERT_TRUE(from_b && from_a);
  EXPECT_EQ(hex(probe), hex(std::string("/tovik\0\0", 8)));
  // Any datagram counts as an answer, whatever it holds; repeats add nothing.
  answer(b, *from_b, "x");
  answer(a, *from_a, std::string("\0\1\2", 3));
  answer(b, *from_b, "again");
  answer(a, *from_a, "again");
  EXPECT_EQ(run_until_line("t.0: scan done"),
            (Lines{"t.0: scan start", "t.0: scan 10.77.2.2 8002", "t.0: scan 10.77.1.2 8002",
                   "t.0: scan done"}));
  close(a);
  close(b);
}

TEST_F(Discovery, ADeviceAnsweringTwiceIsListedOnce) {
  auto d = net(1);
  Sim sim({"--answers", "3"}, d->name());
  ASSERT_TRUE(sim.started());
  auto *t = p.make("t", "TovikLoader");
  p.send(t, "scan");
  EXPECT_EQ(run_until_line("t.0: scan done"),
            (Lines{"t.0: scan start", "t.0: scan 10.77.1.2 8002", "t.0: scan done"}));
  // A new scan starts from an empty list and finds it again.
  p.send(t, "scan");
  EXPECT_EQ(run_until_line("t.0: scan done"),
            (Lines{"t.0: scan start", "t.0: scan 10.77.1.2 8002", "t.0: scan done"}));
}

TEST_F(Discovery, AutoUploadGoesToTheFirstDeviceOnItsUploadPort) {
  auto d = net(1);
  Sim sim({}, d->name());
  ASSERT_TRUE(sim.started());
  // The port attribute is not used for a device found by discovery.
  auto *t = p.make("t", "TovikLoader @host auto @port 1234");
  const std::string f = dir.write("p.txt", "<WINDOW text=\"Main\">\n</WINDOW>\n");
  p.send(t, "load " + f);
  EXPECT_EQ(p.take(), Lines{}) << "the upload waits for the device";
  EXPECT_EQ(run_until_line("t.1: bang"), (Lines{"t.1: bang"}));
  auto m = sim.wait_for("message");
  ASSERT_TRUE(m);
  EXPECT_EQ((*m)["kind"], "load");
  EXPECT_EQ((*m)["payload"], "<RESET/>\n<WINDOW text=\"Main\">\n</WINDOW>\n");
  EXPECT_EQ((*m)["from"].get<std::string>().rfind("10.77.1.1:", 0), 0u);
  // The device is known now: the next message goes at once.
  p.send(t, 0, gensym("import"), {sym_atom(f.c_str()), sym_atom("Main")});
  EXPECT_EQ(p.take(), (Lines{"t.1: bang"}));
  m = sim.wait_for("message");
  ASSERT_TRUE(m);
  EXPECT_EQ((*m)["kind"], "import");
  EXPECT_EQ((*m)["path"], "/Main");
}

TEST_F(Discovery, AutoTargetFillsInOurAddressOnTheDevicesNetwork) {
  auto one = net(1), two = net(2);
  Sim sim({}, two->name());
  ASSERT_TRUE(sim.started());
  auto *t = p.make("t", "TovikLoader @host auto");
  p.send(t, 0, gensym("target"), {long_atom(4), long_atom(9000)});
  EXPECT_EQ(run_until_line("t.1: bang"), (Lines{"t.1: bang"}));
  auto m = sim.wait_for("message");
  ASSERT_TRUE(m);
  EXPECT_EQ((*m)["payload"], "<OSC target=\"4\" ip=\"10.77.2.1\" port=\"9000\"/>");
}

TEST_F(Discovery, OnlyTheInterfaceOnTheDevicesNetworkIsChosen) {
  auto one = net(1), two = net(2);
  Sim sim({}, two->name());
  ASSERT_TRUE(sim.started());
  auto *t = p.make("t", "TovikLoader @host 10.77.2.2");
  p.send(t, 0, gensym("target"), {long_atom(5), long_atom(7000)});
  EXPECT_EQ(p.take(), (Lines{"t.1: bang"}));
  auto m = sim.wait_for("message");
  ASSERT_TRUE(m);
  EXPECT_EQ((*m)["target"], 5);
  EXPECT_EQ((*m)["ip"], "10.77.2.1");
  EXPECT_EQ((*m)["port"], 7000);
}

TEST_F(Discovery, NoLocalInterfaceOnTheDevicesNetwork) {
  auto one = net(1);
  auto *t = p.make("t", "TovikLoader @host 10.99.0.5");
  p.send(t, 0, gensym("target"), {long_atom(1), long_atom(9000)});
  EXPECT_EQ(p.take(), (Lines{"t.0: error 5 \"couldn't find matching local IP\""}));
}

TEST_F(Discovery, AnUnroutedAddressFailsToConnectAtOnce) {
  auto one = net(1);
  auto *t = p.make("t", "TovikLoader @host 10.99.0.5");
  testing::internal::CaptureStdout();
  p.send(t, "load " + dir.write("f.txt", "x"));
  p.send(t, 0, gensym("target"), {long_atom(1), sym_atom("10.77.1.1"), long_atom(9000)});
  const std::string out = testing::internal::GetCapturedStdout();
  EXPECT_EQ(out, "connection failed\nconnection failed\n");
  EXPECT_EQ(p.take(), Lines{});
}

TEST_F(Discovery, NoDeviceFoundIsReportedAfterThePauseAndFreesTheSlot) {
  auto d = net(1);
  auto *t = p.make("t", "TovikLoader @host auto");
  const std::string f = dir.write("f.txt", "x");
  const std::string queue_full = "t.0: error 4 \"sending queue is full\"";
  const std::string none = "t.0: error 2 \"no Tovik found\"";
  p.send(t, "load " + f);
  // The load waits in the slot: nothing may overwrite it.
  p.send(t, "load " + f);
  p.send(t, 0, gensym("import"), {sym_atom(f.c_str())});
  p.send(t, 0, gensym("target"), {long_atom(1), long_atom(9000)});
  EXPECT_EQ(p.take(), (Lines{queue_full, queue_full, queue_full}));
  EXPECT_EQ(run_until_line(none), (Lines{none}));
  // The slot is free again; a target waits for its device the same way.
  p.send(t, 0, gensym("target"), {long_atom(1), long_atom(9000)});
  EXPECT_EQ(p.take(), Lines{});
  EXPECT_EQ(run_until_line(none), (Lines{none}));
}

TEST_F(Discovery, ATargetWaitingWhenALoadTakesTheSlotIsRefused) {
  auto d = net(1);
  Sim sim({"--answers", "0"}, d->name());
  ASSERT_TRUE(sim.started());
  auto *t = p.make("t", "TovikLoader @host auto");
  p.send(t, 0, gensym("target"), {long_atom(1), long_atom(9000)});
  p.send(t, "load " + dir.write("f.txt", "x"));
  EXPECT_EQ(p.take(), Lines{});
  // The target's pause ends first, with the load in the slot; then the load
  // finds no device, since nobody answers.
  const std::string none = "t.0: error 2 \"no Tovik found\"";
  EXPECT_EQ(run_until_line(none), (Lines{"t.0: error 4 \"sending queue is full\"", none}));
}

TEST_F(Discovery, FreeingAnObjectCancelsItsWaitingMessage) {
  auto d = net(1);
  Sim sim({}, d->name());
  ASSERT_TRUE(sim.started());
  auto *t = p.make("t", "TovikLoader @host auto");
  p.send(t, "load " + dir.write("f.txt", "x"));
  p.send(t, 0, gensym("target"), {long_atom(1), long_atom(9000)});
  auto *u = p.make("u", "TovikLoader @host auto");
  p.send(u, 0, gensym("target"), {long_atom(2), long_atom(9000)});
  p.send(u, "scan");
  EXPECT_EQ(p.take(), (Lines{"t.0: error 4 \"sending queue is full\""}));
  p.free(t);
  p.free(u);
  auto *v = p.make("v", "TovikLoader");
  p.send(v, "scan");
  EXPECT_EQ(run_until_line("v.0: scan done"),
            (Lines{"v.0: scan start", "v.0: scan 10.77.1.2 8002", "v.0: scan done"}));
  for (const auto &e : sim.stop())
    EXPECT_NE(e["event"], "message") << e.dump();
}

TEST_F(Discovery, ScansRaceTheDiscoveryThreadSafely) {
  // Answers keep coming while two objects clear the list and report it.
  auto one = net(1), two = net(2);
  const int a = one->probe_socket(), b = two->probe_socket();
  ASSERT_GE(a, 0);
  ASSERT_GE(b, 0);
  auto *t = p.make("t", "TovikLoader");
  auto *u = p.make("u", "TovikLoader");
  for (int round = 0; round < 3; ++round) {
    p.send(t, "scan");
    auto from_a = receive_probe(a);
    auto from_b = receive_probe(b);
    ASSERT_TRUE(from_a && from_b);
    for (int i = 0; i < 20; ++i) {
      answer(a, *from_a, "a");
      answer(b, *from_b, "b");
    }
    p.send(u, "scan");
    receive_probe(a);
    receive_probe(b);
    const Lines got = run_until_line("u.0: scan done");
    EXPECT_EQ(got.front(), "t.0: scan start");
    EXPECT_EQ(got.back(), "u.0: scan done");
  }
  close(a);
  close(b);
}

TEST_F(Discovery, TheDiscoverySocketHasAPortBeforeAnyProbe) {
  // The module's stop wakes its thread with a byte to this port; with no
  // interface to broadcast on, no probe ever binds it.
  p.make("t", "TovikLoader @host auto");
  EXPECT_FALSE(bound_udp_sockets().empty());
}

TEST_F(Discovery, AnswersAfterThePauseAreNotListed) {
  auto d = net(1);
  const int a = d->probe_socket();
  ASSERT_GE(a, 0);
  auto *t = p.make("t", "TovikLoader @host auto");
  const std::string f = dir.write("f.txt", "x");
  const std::string none = "t.0: error 2 \"no Tovik found\"";
  // A device that answers only after the pause, once the collection has
  // ended. Whether the thread took the answer shows in the socket: it stays
  // waiting there when nobody collects.
  auto answer_late = [&](const sockaddr_in &from) {
    answer(a, from, "late");
    const int port = ntohs(from.sin_port);
    for (int i = 0; i < 20 && waiting_on_discovery_socket(port) == 0; ++i)
      usleep(10000); // the datagram on its way
    for (int i = 0; i < 10 && waiting_on_discovery_socket(port) > 0; ++i)
      usleep(100000); // a thread still collecting takes it
    drain_discovery_socket();
  };
  auto load_finds_no_device = [&] {
    p.send(t, "load " + f);
    const auto probe = receive_probe(a);
    EXPECT_TRUE(probe) << "no probe: the late answer was listed";
    EXPECT_EQ(run_until_line(none), (Lines{none}));
    return probe;
  };

  // The end of a scan's pause.
  p.send(t, "scan");
  auto from = receive_probe(a);
  ASSERT_TRUE(from);
  EXPECT_EQ(run_until_line("t.0: scan done"), (Lines{"t.0: scan start", "t.0: scan done"}));
  answer_late(*from);
  // The end of a load's pause.
  from = load_finds_no_device();
  ASSERT_TRUE(from);
  answer_late(*from);
  // The end of a target's pause.
  p.send(t, 0, gensym("target"), {long_atom(1), long_atom(9000)});
  from = receive_probe(a);
  ASSERT_TRUE(from);
  EXPECT_EQ(run_until_line(none), (Lines{none}));
  answer_late(*from);
  // An object freed during its pause.
  auto *u = p.make("u", "TovikLoader");
  p.send(u, "scan");
  from = receive_probe(a);
  ASSERT_TRUE(from);
  p.free(u);
  answer_late(*from);
  load_finds_no_device();
  close(a);
}

} // namespace

int main(int argc, char **argv) {
  testing::InitGoogleTest(&argc, argv);
  // Everything this process sends stays in its own network namespace.
  if (unshare(CLONE_NEWNET) != 0)
    isolation_failure = std::string("unshare: ") + std::strerror(errno);
  else if (sh("ip link set lo up") != 0)
    isolation_failure = "cannot bring up loopback";
  else
    isolation_failure.clear();
  return RUN_ALL_TESTS();
}
