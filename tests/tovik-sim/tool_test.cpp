// tovik-sim as a running tool on loopback: probes, uploads, the framing
// errors it reports, saved payloads and its final state.
#include "loopback.hpp"
#include "net.hpp"
#include "patch.hpp"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <fstream>
#include <netinet/in.h>
#include <poll.h>
#include <sstream>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace loadertest;

namespace {

// Opens a connection, writes the bytes, and closes it.
void deliver(int port, const std::string &bytes) {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  ASSERT_EQ(kittest::connect_loopback(fd, port), 0);
  ASSERT_EQ(send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL), ssize_t(bytes.size()));
  close(fd);
}

class Tool : public ::testing::Test {
protected:
  TempDir dir;
  Sim sim{{"--bind", "127.0.0.1", "--udp-port", "0", "--tcp-port", "0", "--answer", "tovik-42",
           "--save", dir.path()}};
};

TEST_F(Tool, AnswersAProbeAndIgnoresOtherDatagrams) {
  ASSERT_TRUE(sim.started());
  const int fd = socket(AF_INET, SOCK_DGRAM, 0);
  const auto to = kittest::loopback_address(sim.udp_port);
  sendto(fd, "hello", 5, 0, reinterpret_cast<const sockaddr *>(&to), sizeof to);
  auto e = sim.wait_for("datagram");
  ASSERT_TRUE(e);
  EXPECT_EQ((*e)["bytes"], 5);
  sendto(fd, "/tovik\0\0", 8, 0, reinterpret_cast<const sockaddr *>(&to), sizeof to);
  pollfd p{fd, POLLIN, 0};
  ASSERT_EQ(poll(&p, 1, 10000), 1);
  char buf[64];
  const ssize_t n = recv(fd, buf, sizeof buf, 0);
  EXPECT_EQ(std::string(buf, static_cast<std::size_t>(std::max<ssize_t>(n, 0))), "tovik-42");
  e = sim.wait_for("probe");
  ASSERT_TRUE(e);
  EXPECT_EQ((*e)["answers"], 1);
  close(fd);
}

TEST_F(Tool, ReportsEachMalformedMessageAndKeepsServing) {
  ASSERT_TRUE(sim.started());
  const std::pair<std::string, std::string> cases[] = {
      {std::string("\0\0\0\x1C/vxdl\0\0\0,b\0\0\0\0\0\x09<RESET/>\n\0\0", 31),
       "connection closed after 31 of 32 bytes"},
      {std::string("\0\0", 2), "connection closed after 2 bytes of the length field"},
      {"", "connection closed without a message"},
      {std::string("\0\0\0\x1D", 4), "length 29 is not a multiple of 4"},
      {std::string("\x7F\0\0\0", 4), "length 2130706432 exceeds the limit of 1073741824 bytes"},
      {std::string("\0\0\0\x1C/vxdl\0\0\0,b\0\0\0\0\0\x09<RESET/>\n\0\x01\0", 32),
       "closing byte 1 after the blob is not zero"},
      {frame("<RESET/>\n") + "x", "1 bytes after the message"},
  };
  for (const auto &[bytes, why] : cases) {
    deliver(sim.tcp_port, bytes);
    auto e = sim.wait_for("error");
    ASSERT_TRUE(e) << why;
    EXPECT_EQ((*e)["error"], why);
  }
  deliver(sim.tcp_port, frame("<RESET/>\n<WINDOW text=\"W\">\n</WINDOW>\n"));
  auto e = sim.wait_for("message");
  ASSERT_TRUE(e);
  EXPECT_EQ((*e)["windows"], 1);
}

TEST_F(Tool, SavesEachPayloadAndReportsTheStateAtTheEnd) {
  ASSERT_TRUE(sim.started());
  deliver(sim.tcp_port, frame("<RESET/>\n<WINDOW text=\"Main\">\n</WINDOW>\n"));
  deliver(sim.tcp_port, frame("<OSC target=\"3\" ip=\"10.0.0.2\" port=\"8000\"/>"));
  deliver(sim.tcp_port, frame("nonsense"));
  std::vector<nlohmann::json> messages;
  for (int i = 0; i < 3; ++i) {
    auto e = sim.wait_for("message");
    ASSERT_TRUE(e);
    messages.push_back(*e);
  }
  EXPECT_EQ(messages[2]["kind"], "unknown");
  EXPECT_TRUE(messages[2].contains("error"));
  std::ifstream saved(messages[1]["saved"].get<std::string>(), std::ios::binary);
  std::stringstream content;
  content << saved.rdbuf();
  EXPECT_EQ(content.str(), "<OSC target=\"3\" ip=\"10.0.0.2\" port=\"8000\"/>");
  EXPECT_EQ(messages[0]["saved"], dir.path() + "/0001-load.txt");
  const auto rest = sim.stop();
  ASSERT_FALSE(rest.empty());
  EXPECT_EQ(rest.back()["event"], "state");
  EXPECT_EQ(rest.back()["messages"], 3);
  EXPECT_EQ(rest.back()["windows"], (std::vector<std::string>{"/Main"}));
  EXPECT_EQ(rest.back()["targets"][0]["target"], 3);
}

TEST(ToolOptions, BadOptionsAreRefusedWithAReason) {
  // Bad usage or bad input: status 2, as kithost's.
  for (const std::string args : {"--bind nowhere", "--tcp-port 70000", "--answer ''",
                                 "--save /no/such/folder", "--bogus", "extra"}) {
    const std::string command =
        kittest::bin_dir() + "/tovik-sim -u 0 -t 0 " + args + " </dev/null >/dev/null 2>&1";
    EXPECT_EQ(sh(command), 2) << args;
  }
}

TEST(ToolOptions, VersionAndARunThatFails) {
  const std::string sim = kittest::bin_dir() + "/tovik-sim";
  EXPECT_EQ(sh(sim + " --version | grep -qx 'tovik-sim [0-9][0-9.]*'"), 0);
  EXPECT_EQ(sh(sim + " --help | grep -q 'Exit status'"), 0);
  // A port already taken: the run fails (1), the options were fine.
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  const int port = kittest::bind_loopback(fd);
  ASSERT_NE(port, 0);
  ASSERT_EQ(listen(fd, 1), 0);
  EXPECT_EQ(
      sh(sim + " -b 127.0.0.1 -u 0 -t " + std::to_string(port) + " </dev/null >/dev/null 2>&1"), 1);
  close(fd);
}

} // namespace
