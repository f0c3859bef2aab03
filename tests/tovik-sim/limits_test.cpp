// tovik-sim's bounds, tried by hostile peers on loopback: connections that
// stay, connections that never finish, too many connections, too much
// memory, too few descriptors. Every wait is bounded; the simulator reports
// each bound it applies with a line.
#include "loopback.hpp"
#include "net.hpp"
#include "patch.hpp"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace loadertest;

namespace {

// A client connection on loopback, closed by the destructor.
class Peer {
public:
  explicit Peer(int port) {
    fd_ = socket(AF_INET, SOCK_STREAM, 0);
    connected_ = kittest::connect_loopback(fd_, port) == 0;
  }
  ~Peer() { close(fd_); }
  Peer(const Peer &) = delete;
  Peer &operator=(const Peer &) = delete;
  bool connected() const { return connected_; }
  bool send_all(const std::string &bytes) {
    std::size_t sent = 0;
    while (sent < bytes.size()) {
      const ssize_t n = ::send(fd_, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
      if (n <= 0)
        return false;
      sent += static_cast<std::size_t>(n);
    }
    return true;
  }

private:
  int fd_ = -1;
  bool connected_ = false;
};

std::string be32(std::uint32_t v) {
  return {static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8),
          static_cast<char>(v)};
}

const std::vector<std::string> Loopback = {"--bind", "127.0.0.1",  "--udp-port",
                                           "0",      "--tcp-port", "0"};
std::vector<std::string> with(std::vector<std::string> more) {
  std::vector<std::string> args = Loopback;
  args.insert(args.end(), more.begin(), more.end());
  return args;
}

TEST(SimLimits, APeerThatStaysAfterItsMessageIsClosedWithoutAnError) {
  Sim sim(with({"--idle-timeout", "1"}));
  ASSERT_TRUE(sim.started());
  Peer p(sim.tcp_port);
  ASSERT_TRUE(p.send_all(frame("<RESET/>\n")));
  ASSERT_TRUE(sim.wait_for("message"));
  const auto e = sim.next();
  ASSERT_TRUE(e);
  EXPECT_EQ((*e)["event"], "close") << e->dump();
  EXPECT_EQ((*e)["reason"], "no data for 1 s after its message");
  // Bytes after the message still are an error when the peer then idles.
  Peer q(sim.tcp_port);
  ASSERT_TRUE(q.send_all(frame("<RESET/>\n") + "xy"));
  ASSERT_TRUE(sim.wait_for("message"));
  const auto f = sim.wait_for("error");
  ASSERT_TRUE(f);
  EXPECT_EQ((*f)["error"], "no data for 1 s after the message and 2 bytes after the message");
}

TEST(SimLimits, AMessageThatNeverCompletesIsDroppedAtTheWholeMessageTimeOut) {
  // The peer keeps trickling bytes, so the idle timer never fires.
  Sim sim(with({"--idle-timeout", "60", "--message-timeout", "1"}));
  ASSERT_TRUE(sim.started());
  Peer p(sim.tcp_port);
  ASSERT_TRUE(p.send_all(be32(1000)));
  std::optional<nlohmann::json> e;
  for (int i = 0; i < 40 && !e; ++i) {
    p.send_all("x");
    e = sim.wait_for("error", 250ms);
  }
  ASSERT_TRUE(e);
  const std::string why = (*e)["error"];
  EXPECT_EQ(why.rfind("open for 1 s without a whole message: ", 0), 0u) << why;
}

TEST(SimLimits, AtTheConnectionLimitAnUploadWaitsAndLandsWhenOneEnds) {
  Sim sim(with({"--max-connections", "1"}));
  ASSERT_TRUE(sim.started());
  auto holder = std::make_unique<Peer>(sim.tcp_port);
  ASSERT_TRUE(sim.wait_for("connect"));
  // The upload fits the system's buffers, so the loader is done with it
  // while it still waits to be accepted.
  kittest::Patch p;
  TempDir dir;
  auto *t = p.make("t", "TovikLoader @host 127.0.0.1 @port " + std::to_string(sim.tcp_port));
  p.send(t, "load " + dir.write("f.txt", "waited"));
  EXPECT_EQ(p.take(), (kittest::Lines{"t.1: bang"}));
  auto e = sim.next();
  ASSERT_TRUE(e);
  EXPECT_EQ((*e)["event"], "limit") << e->dump();
  EXPECT_EQ((*e)["connections"], 1);
  // The connection open is served as before; the upload lands once it ends.
  ASSERT_TRUE(holder->send_all(frame("<RESET/>\n")));
  e = sim.next();
  ASSERT_TRUE(e);
  EXPECT_EQ((*e)["event"], "message") << e->dump();
  holder.reset();
  e = sim.next();
  ASSERT_TRUE(e);
  EXPECT_EQ((*e)["event"], "connect") << e->dump();
  e = sim.next();
  ASSERT_TRUE(e);
  EXPECT_EQ((*e)["event"], "message") << e->dump();
  EXPECT_EQ((*e)["payload"], "<RESET/>\nwaited");
}

TEST(SimLimits, MemoryHeldByAllConnectionsIsBounded) {
  Sim sim(with({"--max-memory", "100000"}));
  ASSERT_TRUE(sim.started());
  // A length that could never fit is refused when it arrives.
  {
    Peer p(sim.tcp_port);
    ASSERT_TRUE(p.send_all(be32(200000)));
    const auto e = sim.wait_for("error");
    ASSERT_TRUE(e);
    EXPECT_EQ((*e)["error"],
              "length 200000 exceeds the memory limit of 100000 bytes (--max-memory)");
  }
  {
    // Two that fit alone but not together: the second to grow is dropped.
    Peer a(sim.tcp_port), b(sim.tcp_port);
    ASSERT_TRUE(a.send_all(be32(80000) + std::string(60000, 'a')));
    ASSERT_TRUE(b.send_all(be32(80000) + std::string(60000, 'b')));
    const auto e = sim.wait_for("error");
    ASSERT_TRUE(e);
    const std::string why = (*e)["error"];
    EXPECT_EQ(why.rfind("no room for ", 0), 0u) << why;
    EXPECT_NE(why.find("the limit is 100000 bytes (--max-memory)"), std::string::npos) << why;
  }
  // The other one ends too; the memory comes back: a whole message fits.
  ASSERT_TRUE(sim.wait_for("error"));
  Peer c(sim.tcp_port);
  ASSERT_TRUE(c.send_all(frame("<RESET/>\n" + std::string(50000, ' '))));
  const auto m = sim.wait_for("message");
  ASSERT_TRUE(m);
  EXPECT_EQ((*m)["kind"], "load");
}

TEST(SimLimits, OutOfDescriptorsNewConnectionsWaitAndAreServedLater) {
  // Few descriptors: the standard three, the stop pipe, the two ports and
  // a handful for connections.
  Sim sim(Loopback, {}, {"prlimit", "--nofile=12:12"});
  ASSERT_TRUE(sim.started());
  std::vector<std::unique_ptr<Peer>> first;
  for (int i = 0; i < 12; ++i)
    first.push_back(std::make_unique<Peer>(sim.tcp_port));
  const auto e = sim.wait_for("accept_error");
  ASSERT_TRUE(e);
  EXPECT_EQ((*e)["error"], "Too many open files");
  // Every connection that got in is finished; the ones waiting then get in
  // and are served.
  for (auto &p : first) {
    p->send_all(frame("<RESET/>\n"));
    p.reset();
  }
  int messages = 0;
  while (messages < 12) {
    const auto m = sim.wait_for("message");
    if (!m)
      break;
    ++messages;
  }
  EXPECT_EQ(messages, 12);
}

} // namespace
