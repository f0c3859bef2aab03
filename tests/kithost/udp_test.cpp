// kithost's udpsend and udpreceive end to end, on 127.0.0.1 only: datagrams
// leave as sent, arrive as FullPacket, and carry the controller's packets
// between rkudp-pack and rkudp-unpack.
#include "loopback.hpp"
#include "run_kithost.hpp"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>
#include <thread>
#include <vector>

using namespace kithost_test;

namespace {

/// A UDP socket of the test's own on 127.0.0.1, on a port the system chose.
class LoopbackSocket {
public:
  LoopbackSocket() {
    fd_ = socket(AF_INET, SOCK_DGRAM, 0);
    port_ = kittest::bind_loopback(fd_);
    if (port_ == 0)
      ADD_FAILURE() << "no loopback socket";
  }
  ~LoopbackSocket() { close(); }
  LoopbackSocket(const LoopbackSocket &) = delete;
  LoopbackSocket &operator=(const LoopbackSocket &) = delete;

  int port() const { return port_; }
  void close() {
    if (fd_ >= 0)
      ::close(fd_);
    fd_ = -1;
  }
  /// The datagrams already waiting, without blocking.
  std::vector<std::vector<unsigned char>> waiting() {
    std::vector<std::vector<unsigned char>> datagrams;
    for (int i = 0; i < 100; ++i) {
      unsigned char buffer[2048];
      const ssize_t size = recv(fd_, buffer, sizeof buffer, MSG_DONTWAIT);
      if (size < 0)
        break;
      datagrams.emplace_back(buffer, buffer + size);
    }
    return datagrams;
  }

private:
  int fd_ = -1;
  int port_ = 0;
};

/// A port free at the time of asking.
int free_port() {
  LoopbackSocket probe;
  return probe.port();
}

TEST(Udp, EachMessageLeavesAsOneDatagram) {
  LoopbackSocket listener;
  const std::string port = std::to_string(listener.port());
  Result run = run_kithost({}, "obj tx udpsend 127.0.0.1 " + port +
                                   "\nsend tx 1 2 255\npacket tx C0 B7 00\nsend tx 7\npacket tx\n"
                                   "send tx 256\nsend tx 1 2.5\nsend tx hello\n"
                                   "send tx port 0\nsend tx 9\n");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, (Lines{"error: udpsend: a list to send holds whole numbers from 0 to 255 only",
                            "error: udpsend: a list to send holds whole numbers from 0 to 255 only",
                            "error: udpsend: doesn't understand \"hello\"",
                            "error: udpsend: port 0 is out of range (1 to 65535)",
                            "error: udpsend: no destination (host and port)"}));
  using Bytes = std::vector<unsigned char>;
  EXPECT_EQ(listener.waiting(),
            (std::vector<Bytes>{{1, 2, 255}, {0xC0, 0xB7, 0x00}, {7}, Bytes{}}));
}

TEST(Udp, PackerToUnpackerThroughTheNetwork) {
  const std::string port = std::to_string(free_port());
  Result run =
      run_kithost({"--fail-on-error"}, "obj rx udpreceive " + port +
                                           " 127.0.0.1\n"
                                           "print rx\nobj u rkudp-unpack\nconnect rx 0 u 0\n"
                                           "print u\nobj pk rkudp-pack 1\n"
                                           "obj tx udpsend 127.0.0.1 " +
                                           port +
                                           "\nconnect pk 0 tx 0\nsend pk goto 1\n"
                                           "send pk list 10 20 30\nsend pk bang\n"
                                           "wait 1000\nfree rx\n");
  EXPECT_EQ(run.status, 0) << ::testing::PrintToString(run.err);
  EXPECT_EQ(run.out, (Lines{"rx.0: FullPacket C0 B7 00 00 CA 01 00 09 00 01 0A 14 1E", "u.3: 202",
                            "u.2: 1", "u.1: 1", "u.0: 10 20 30"}));
}

TEST(Udp, ReceiverRefusesAPortItCannotHave) {
  LoopbackSocket taken;
  const std::string port = std::to_string(taken.port());
  Result busy = run_kithost({}, "obj rx udpreceive " + port + " 127.0.0.1\n");
  EXPECT_EQ(busy.status, 2);
  EXPECT_EQ(busy.out,
            Lines{"error: udpreceive: cannot listen on port " + port + ": Address already in use"});
  for (const char *line : {"obj rx udpreceive", "obj rx udpreceive 65536",
                           "obj rx udpreceive 9000 no.such.host.invalid", "obj tx udpsend",
                           "obj tx udpsend 127.0.0.1", "obj tx udpsend 127.0.0.1 -1"}) {
    Result refused = run_kithost({}, std::string(line) + "\n");
    EXPECT_EQ(refused.status, 2) << line;
    EXPECT_EQ(refused.err.size(), 1u) << line;
  }
}

TEST(Udp, AFloatIsTakenAloneAsInAList) {
  LoopbackSocket listener;
  const std::string port = std::to_string(listener.port());
  Result run = run_kithost({}, "obj tx udpsend 127.0.0.1 " + port +
                                   "\nsend tx 65.0\nsend tx list 65.0 66\nsend tx 65.5\n"
                                   "send tx list 65.5\nsend tx 256.0\n");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out,
            Lines(3, "error: udpsend: a list to send holds whole numbers from 0 to 255 only"));
  using Bytes = std::vector<unsigned char>;
  EXPECT_EQ(listener.waiting(), (std::vector<Bytes>{{65}, {65, 66}}));
}

// Two runs at once: each takes a port of its own and gets its own packets.
TEST(Udp, LoopbackExampleRunsTwiceAtOnce) {
  const auto example = [] {
    return run_kithost({"--fail-on-error", std::string(KIT_EXAMPLES_DIR) + "/udp-loopback.kit"});
  };
  Result other;
  std::thread beside([&] { other = example(); });
  Result run = example();
  beside.join();
  for (const Result *r : {&run, &other}) {
    EXPECT_EQ(r->status, 0) << ::testing::PrintToString(r->out);
    EXPECT_EQ(r->out, (Lines{"unpack.3: 202", "unpack.2: 1", "unpack.1: 1", "unpack.0: 10 20 30"}));
  }
}

TEST(Udp, AReceiverOnAFreePortSaysWhichOnBang) {
  Result run = run_kithost({}, "obj rx udpreceive 0 127.0.0.1\nprint rx 1\nsend rx bang\n");
  EXPECT_EQ(run.status, 0);
  ASSERT_EQ(run.out.size(), 1u);
  const std::string said = run.out[0];
  ASSERT_EQ(said.rfind("rx.1: port ", 0), 0u) << said;
  const int port = std::stoi(said.substr(11));
  EXPECT_GT(port, 0);
  EXPECT_LE(port, 65535);
}

} // namespace
