// kithost's udpreceive in the test's own process, on 127.0.0.1 only. The
// host's manual clock holds the deliveries while the object's thread queues
// what arrives, so each test knows exactly what waits when the clock runs.
#include "builtins/builtins.hpp"
#include "loopback.hpp"
#include "patch.hpp"

#include <gtest/gtest.h>

#include <dirent.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <span>
#include <string>
#include <thread>
#include <vector>

using kittest::Lines;

namespace {

constexpr auto drain_wait = std::chrono::seconds(10);

/// The test's own UDP socket on 127.0.0.1, sending to one port there.
class Sender {
public:
  explicit Sender(int to_port)
      : fd_(socket(AF_INET, SOCK_DGRAM, 0)), to_(kittest::loopback_address(to_port)) {}
  ~Sender() { close(fd_); }
  Sender(const Sender &) = delete;
  Sender &operator=(const Sender &) = delete;
  bool send(const std::vector<unsigned char> &bytes) const {
    return sendto(fd_, bytes.data(), bytes.size(), 0, reinterpret_cast<const sockaddr *>(&to_),
                  sizeof to_) == static_cast<ssize_t>(bytes.size());
  }

private:
  int fd_;
  sockaddr_in to_;
};

/// A port of 127.0.0.1 free at the time of asking.
int free_port() {
  const int fd = socket(AF_INET, SOCK_DGRAM, 0);
  const int port = kittest::bind_loopback(fd);
  close(fd);
  return port;
}

/// Whether a datagram waits on the process's UDP socket bound to `port`
/// (the object's): true too when no such socket is found.
bool datagram_waits(int port) {
  DIR *d = opendir("/proc/self/fd");
  if (!d)
    return true;
  bool waits = true;
  while (dirent *e = readdir(d)) {
    const int fd = std::atoi(e->d_name);
    sockaddr_in a{};
    socklen_t len = sizeof a;
    int type = 0;
    socklen_t type_len = sizeof type;
    int next = 0;
    if (e->d_name[0] != '.' && fd != dirfd(d) &&
        getsockopt(fd, SOL_SOCKET, SO_TYPE, &type, &type_len) == 0 && type == SOCK_DGRAM &&
        getsockname(fd, reinterpret_cast<sockaddr *>(&a), &len) == 0 && a.sin_family == AF_INET &&
        ntohs(a.sin_port) == port && ioctl(fd, FIONREAD, &next) == 0)
      waits = next > 0;
  }
  closedir(d);
  return waits;
}

/// Sends each datagram once the object's thread has taken the one before,
/// so none is lost to a full socket buffer: every one reaches the queue.
/// False when the thread did not take one within the bound.
bool send_each_taken(const Sender &sender, int port,
                     const std::vector<std::vector<unsigned char>> &datagrams) {
  for (const auto &bytes : datagrams) {
    if (!sender.send(bytes))
      return false;
    const auto deadline = std::chrono::steady_clock::now() + drain_wait;
    while (datagram_waits(port)) {
      if (std::chrono::steady_clock::now() >= deadline)
        return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  }
  return true;
}

class UdpReceive : public ::testing::Test {
protected:
  void SetUp() override {
    kithost::builtins::define_all(p.host());
    port = free_port();
    ASSERT_NE(port, 0);
  }
  /// A receiver on `port` whose datagrams are only counted (`sizes`).
  t_object *make_counted() {
    std::string why;
    std::vector<t_atom> args{kittest::long_atom(port), kittest::sym_atom("127.0.0.1")};
    t_object *rx = p.host().make("udpreceive", args, why);
    if (!rx) {
      ADD_FAILURE() << why;
      return nullptr;
    }
    p.host().watch(rx, 0, [this](t_symbol *, std::span<const t_atom> atoms) {
      sizes.push_back(atoms[0].a_w.w_long);
    });
    return rx;
  }
  /// Runs the clocks, a millisecond at a time, until `done` holds (within a
  /// bound): the thread may still be queueing the last datagram it took.
  bool run_until(const std::function<bool()> &done) {
    const auto deadline = std::chrono::steady_clock::now() + drain_wait;
    for (p.advance(0); !done(); p.advance(1)) {
      if (std::chrono::steady_clock::now() >= deadline)
        return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
  }
  kittest::Patch p;
  int port = 0;
  std::vector<long> sizes;
};

TEST_F(UdpReceive, AChainCutByTheHostLosesNoOtherDatagram) {
  // Every datagram sets off a loop (an inlet box sending into itself) that
  // the host cuts: only that datagram's own chain is abandoned, while the
  // ones queued behind it come out, in order.
  std::string why;
  t_object *rx = p.make("rx", "udpreceive " + std::to_string(port) + " 127.0.0.1");
  t_object *loop = p.host().make("inlet", {}, why);
  ASSERT_TRUE(rx && loop) << why;
  ASSERT_TRUE(p.host().connect(rx, 0, loop, 0, why)) << why;
  ASSERT_TRUE(p.host().connect(loop, 0, loop, 0, why)) << why;
  Sender sender(port);
  std::vector<std::vector<unsigned char>> datagrams;
  Lines expected;
  const std::string cut = "error: inlet: messages nested more than 1000 deep (a loop in the "
                          "patch?); the chain is abandoned";
  for (unsigned char i = 1; i <= 5; ++i) {
    datagrams.push_back({i});
    expected.insert(expected.end(), {"rx.0: FullPacket 0" + std::to_string(i), cut});
  }
  ASSERT_TRUE(send_each_taken(sender, port, datagrams));
  Lines lines;
  EXPECT_TRUE(run_until([&] {
    for (auto &line : p.take())
      lines.push_back(line);
    return lines.size() >= expected.size();
  }));
  EXPECT_EQ(lines, expected);
  p.host().free(loop);
}

TEST_F(UdpReceive, TheQueueIsBoundedInBytesAndCountsWhatItDrops) {
  t_object *rx = make_counted();
  ASSERT_NE(rx, nullptr);
  Sender sender(port);
  // 200 large datagrams while the host is held: 8 MiB of them fit. A small
  // one last still fits, and shows that the thread has queued all before.
  constexpr int large = 60000, sent = 200, fitting = (8 << 20) / large;
  std::vector<std::vector<unsigned char>> datagrams(sent, std::vector<unsigned char>(large, 7));
  datagrams.push_back({1});
  ASSERT_TRUE(send_each_taken(sender, port, datagrams));
  EXPECT_TRUE(run_until([&] { return sizes.size() > fitting; }));
  std::vector<long> expected(fitting, large);
  expected.push_back(1);
  EXPECT_EQ(sizes, expected);
  EXPECT_EQ(p.take(), Lines{"error: udpreceive: " + std::to_string(sent - fitting) +
                            " datagrams dropped (the queue was full)"});
  p.host().free(rx);
}

} // namespace
