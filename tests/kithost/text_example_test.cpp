// examples/nexio/text-lines.kit against a line server on 127.0.0.1 that the
// test runs: the line the script sends arrives whole, and the lines the
// server sends come back out of itoa one symbol each, in order.
#include "loopback.hpp"
#include "run_kithost.hpp"

#include "patch.hpp"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <thread>

using namespace kithost_test;
namespace fs = std::filesystem;

namespace {

/// A server on an ephemeral port of 127.0.0.1 that takes one connection,
/// sends `reply`, keeps what arrives until a newline (at most 10 s of
/// waiting in all), and closes.
class LineServer {
public:
  explicit LineServer(std::string reply) : reply_(std::move(reply)) {
    listener_ = socket(AF_INET, SOCK_STREAM, 0);
    const int port = kittest::bind_loopback(listener_);
    if (port == 0 || listen(listener_, 1) != 0)
      return;
    port_ = port;
    thread_ = std::thread([this] { serve(); });
  }
  ~LineServer() {
    if (thread_.joinable())
      thread_.join();
    if (listener_ >= 0)
      close(listener_);
  }
  LineServer(const LineServer &) = delete;
  LineServer &operator=(const LineServer &) = delete;

  int port() const { return port_; }
  /// What arrived; read after the client is done (joins the server).
  std::string received() {
    if (thread_.joinable())
      thread_.join();
    return received_;
  }

private:
  void serve() {
    pollfd waiting{listener_, POLLIN, 0};
    if (poll(&waiting, 1, 10000) != 1)
      return;
    const int peer = accept(listener_, nullptr, nullptr);
    if (peer < 0)
      return;
    if (send(peer, reply_.data(), reply_.size(), MSG_NOSIGNAL) ==
        static_cast<ssize_t>(reply_.size())) {
      for (int round = 0; round < 100 && received_.find('\n') == std::string::npos; ++round) {
        pollfd reading{peer, POLLIN, 0};
        if (poll(&reading, 1, 100) != 1)
          continue;
        char bytes[256];
        const ssize_t n = recv(peer, bytes, sizeof bytes, 0);
        if (n <= 0)
          break;
        received_.append(bytes, static_cast<std::size_t>(n));
      }
    }
    close(peer);
  }

  std::string reply_;
  int listener_ = -1;
  int port_ = 0;
  std::thread thread_;
  std::string received_;
};

TEST(TextExample, SendsALineAndRebuildsTheLinesItGets) {
  ASSERT_TRUE(kittest::module_built("nexio"));
  ASSERT_TRUE(kittest::module_built("rklbuf"));
  LineServer server("first line\n\nsecond, with a comma\n");
  ASSERT_NE(server.port(), 0);

  // The example with the server's port in place of its own.
  std::ifstream file(std::string(KIT_EXAMPLES_DIR) + "/nexio/text-lines.kit");
  std::stringstream text;
  text << file.rdbuf();
  std::string script = text.str();
  const auto at = script.find("@service 48010");
  ASSERT_NE(at, std::string::npos);
  script.replace(at, 14, "@service " + std::to_string(server.port()));
  TempDir dir;
  Result run = run_kithost({dir.write("text-lines.kit", script).string()});

  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.err, Lines{});
  EXPECT_EQ(server.received(), "hello kit\n");
  // Status 1 shows only when the host looks before the connection is made.
  Lines lines;
  for (auto &line : run.out)
    if (line.rfind("post: ", 0) != 0 && line != "n.1: 1")
      lines.push_back(line);
  EXPECT_EQ(lines, (Lines{"n.1: 2", R"(text.0: symbol "first line")", R"(text.0: symbol "")",
                          R"(text.0: symbol "second, with a comma")", "n.1: 0"}));
}

} // namespace
