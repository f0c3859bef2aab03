// The configuration: creation arguments and "config" take the same forms,
// checked by their console messages and by where the object then connects.
#include "fixture.hpp"

using namespace nexiotest;
using kittest::float_atom;
using kittest::long_atom;
using kittest::sym_atom;

namespace {

const std::string missing_host = "error: nexio: hostname or service not specified";

TEST_F(NexioTest, WithoutHostOrServiceBangOnlyComplains) {
  auto *n = p.make("n", "nexio");
  p.send(n, "bang");
  p.advance(1);
  EXPECT_EQ(p.take(), Lines{missing_host}); // status stays 0: nothing comes out

  // "connect" without atoms clears a configuration that had both.
  p.send(n, "config 127.0.0.1 9");
  p.send(n, "connect");
  p.advance(1);
  EXPECT_EQ(p.take(), Lines{missing_host});

  p.send(n, "config @service 9");
  p.send(n, "bang");
  p.send(n, "config @hostname 127.0.0.1");
  p.send(n, "bang");
  p.advance(1);
  EXPECT_EQ(p.take(), (Lines{missing_host, missing_host}));
}

TEST_F(NexioTest, ParserReportsEachBadWord) {
  struct Case {
    const char *message;
    Lines console;
  };
  const Case cases[] = {
      {"config @hostname",
       {"error: nexio: missing argument for @hostname", "error: nexio: invalid configuration"}},
      {"config @type stream @type",
       {"error: nexio: missing argument for @type", "error: nexio: invalid configuration"}},
      {"config @type raw", {"error: nexio: unknown socket type (raw)"}},
      {"config @family 0", {"error: nexio: unknown family (0)"}},
      {"config @family INET", {"error: nexio: unknown family (INET)"}},
      {"config @protocol sctp", {"error: nexio: unknown protocol (sctp)"}},
      {"config @typo dgram @hx foo",
       {"error: nexio: unknown option (@typo)", "error: nexio: unknown option (@hx)"}},
      {"config @hostnames a @H a @ a @x a",
       {"error: nexio: unknown option (@hostnames)", "error: nexio: unknown option (@H)",
        "error: nexio: unknown option (@)", "error: nexio: unknown option (@x)"}},
      {"config localhost @type dgram", {"error: nexio: invalid configuration"}},
      {"config localhost 80 90 @type dgram", {"error: nexio: invalid configuration"}},
      {"config @type raw @bogus 1 @type", // parsing goes on after each bad value
       {"error: nexio: unknown socket type (raw)", "error: nexio: unknown option (@bogus)",
        "error: nexio: missing argument for @type", "error: nexio: invalid configuration"}},
      // Every option word, cut short anywhere, and every accepted value.
      {"config @a 1 @addr 1 @address 1 @h x @host x @hostname x @s 1 @serv 1 @service 1", {}},
      {"config @f unspec @f * @fam inet @family inet6 @t 0 @t * @ty stream @type dgram", {}},
      {"config @p 0 @p * @proto tcp @protocol udp", {}},
      {"config localhost 80 @type dgram @f inet", {}},
  };
  auto *n = p.make("n", "nexio");
  for (const auto &c : cases) {
    p.send(n, c.message);
    EXPECT_EQ(p.take(), c.console) << c.message;
  }
}

TEST_F(NexioTest, CreationArgumentsTakeTheFormsOfConfig) {
  p.make("a", "nexio @hostname");
  EXPECT_EQ(p.take(), (Lines{"error: nexio: missing argument for @hostname",
                             "error: nexio: invalid configuration"}));
  auto *b = p.make("b", "nexio @typo 1 @service");
  EXPECT_EQ(p.take(), (Lines{"error: nexio: unknown option (@typo)",
                             "error: nexio: missing argument for @service",
                             "error: nexio: invalid configuration"}));
  p.send(b, "bang");
  p.advance(1);
  EXPECT_EQ(p.take(), Lines{missing_host});
}

TEST_F(NexioTest, NumbersBecomeTextAsUnsigned32Bit) {
  auto *n = p.make("n", "nexio");
  const t_atom values[] = {long_atom(-1),        long_atom(65535), float_atom(-2.5),
                           float_atom(3.99),     float_atom(1e12), float_atom(4294967295.5),
                           long_atom(4294967296)};
  for (const auto &value : values) {
    p.send(n, 0, gensym("config"), {sym_atom("@family"), value});
  }
  EXPECT_EQ(
      p.take(),
      (Lines{"error: nexio: unknown family (4294967295)", "error: nexio: unknown family (65535)",
             "error: nexio: unknown family (0)", "error: nexio: unknown family (3)",
             "error: nexio: unknown family (4294967295)",
             "error: nexio: unknown family (4294967295)", "error: nexio: unknown family (0)"}));
}

TEST_F(NexioTest, AssistTexts) {
  auto *n = p.make("n", "nexio");
  auto &host = p.host();
  EXPECT_EQ(host.assist(n, ASSIST_INLET, 0), "Data (int, list), bang to connect");
  EXPECT_EQ(host.assist(n, ASSIST_OUTLET, 0), "Data (int)");
  EXPECT_EQ(host.assist(n, ASSIST_OUTLET, 1), "Status (int)");
  EXPECT_EQ(host.assist(n, ASSIST_INLET, 1), "???");
  EXPECT_EQ(host.assist(n, ASSIST_OUTLET, 2), "???");
  EXPECT_EQ(host.assist(n, ASSIST_INLET, -1), "???");
  EXPECT_EQ(host.inlet_count(n), 1);
  EXPECT_EQ(host.outlet_count(n), 2);
}

// Where each configuration connects to: a listener of 127.0.0.1 (or ::1)
// takes the connection, and a byte each way shows that it is the object's.
class ConfigConnects : public NexioTest {
protected:
  /// Whether `start` makes the object `n` connect to the listener `on`:
  /// a byte from the peer comes out, a byte goes back, and the peer's close
  /// brings the status back to 0.
  bool connects(t_object *n, const std::function<void()> &start, int on) {
    log.clear();
    start();
    Fd peer = accept_within(on, peer_wait_ms);
    if (!peer.valid() || !send_all(peer.get(), "x", peer_wait_ms) || !until_logged("n.0: 120"))
      return false;
    p.send(n, "list 7");
    const bool echoed = recv_upto(peer.get(), 1, peer_wait_ms) == "\x07";
    peer.reset();
    return until_logged("n.1: 0") && echoed;
  }
};

struct StreamConfig {
  const char *name;
  const char *message; ///< "PORT" stands for the listener's port
  int family;          ///< the listener's
  Lines errors;        ///< the console's errors meanwhile
  friend void PrintTo(const StreamConfig &config, std::ostream *os) { *os << config.message; }
};

class StreamConfigConnects : public ConfigConnects,
                             public ::testing::WithParamInterface<StreamConfig> {};

TEST_P(StreamConfigConnects, ToTheListenerItNames) {
  const StreamConfig &c = GetParam();
  int port = 0;
  Fd listener = tcp_listen(c.family, 8, port);
  ASSERT_TRUE(listener.valid());
  std::string message = c.message;
  message.replace(message.find("PORT"), 4, std::to_string(port));
  auto *n = p.make("n", "nexio");
  EXPECT_TRUE(connects(
      n, [&] { p.send(n, message); }, listener.get()));
  EXPECT_EQ(errors(), c.errors);
}

const Lines no_errors;
INSTANTIATE_TEST_SUITE_P(
    Forms, StreamConfigConnects,
    ::testing::Values(
        StreamConfig{"HostAndService", "connect 127.0.0.1 PORT", AF_INET, no_errors},
        StreamConfig{"NamedHostAndProtocol", "connect localhost PORT @protocol tcp", AF_INET,
                     no_errors},
        StreamConfig{"ShortOptions", "connect @a 127.0.0.1 @s PORT", AF_INET, no_errors},
        StreamConfig{"AddressThenHostname",
                     "connect @address localhost @hostname localhost @s PORT", AF_INET, no_errors},
        StreamConfig{"EveryOption", "connect @h localhost @s PORT @f inet @t stream @p tcp",
                     AF_INET, no_errors},
        StreamConfig{"IPv6", "connect @a ::1 @s PORT @f inet6", AF_INET6, no_errors},
        // The settings made before a bad word stay; the type after it is not
        // read.
        StreamConfig{"SettingsBeforeABadWord", "connect @h 127.0.0.1 @s PORT bogus @t dgram",
                     AF_INET, Lines{"error: nexio: invalid configuration"}}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(ConfigConnects, APortGivenAsAFloatIsTruncated) {
  int port = 0;
  Fd listener = tcp_listen(AF_INET, 8, port);
  ASSERT_TRUE(listener.valid());
  auto *n = p.make("n", "nexio");
  EXPECT_TRUE(connects(
      n,
      [&] {
        p.send(n, 0, gensym("connect"), {sym_atom("127.0.0.1"), float_atom(port + 0.9)});
      },
      listener.get()));
  EXPECT_TRUE(errors().empty());
}

// "@type dgram": what the object sends arrives as one datagram.
TEST_F(ConfigConnects, DatagramTypeSendsDatagrams) {
  int uport = 0;
  Fd udp = udp_bind(AF_INET, uport);
  ASSERT_TRUE(udp.valid());
  auto *n = p.make("n", "nexio");
  p.send(n, "connect @h localhost @s " + std::to_string(uport) + " @t dgram @f inet");
  ASSERT_TRUE(until_logged("n.1: 2"));
  p.send(n, "list 1 2 3");
  std::string datagram;
  sockaddr_storage from{};
  ASSERT_TRUE(udp_recv(udp.get(), datagram, from, peer_wait_ms));
  EXPECT_EQ(datagram, std::string("\x01\x02\x03", 3));
  EXPECT_TRUE(errors().empty());
}

TEST_F(NexioTest, LookupFailuresNameTheirReason) {
  auto *n = p.make("n", "nexio");
  const std::string noname = "error: nexio: name lookup failed (" + lookup_text(EAI_NONAME) + ")";
  // "@address" never asks a name service; the later of @address and
  // @hostname decides.
  p.send(n, "connect @address localhost @service 9");
  ASSERT_TRUE(until([&] { return !errors().empty(); }));
  EXPECT_EQ(errors(), Lines{noname});

  log.clear();
  p.send(n, "connect @hostname 127.0.0.1 @address localhost @service 9");
  ASSERT_TRUE(until([&] { return !errors().empty(); }));
  EXPECT_EQ(errors(), Lines{noname});

  // A negative port number is read as its unsigned 32-bit text, which no
  // service has.
  log.clear();
  p.send(n, 0, gensym("connect"), {sym_atom("127.0.0.1"), long_atom(-1)});
  ASSERT_TRUE(until([&] { return !errors().empty(); }));
  EXPECT_EQ(errors(), Lines{"error: nexio: name lookup failed (" + lookup_text(EAI_SERVICE) + ")"});

  log.clear();
  p.send(n, "connect @a 127.0.0.1 @s 9 @family inet6");
  ASSERT_TRUE(until([&] { return !errors().empty(); }));
  ASSERT_EQ(errors().size(), 1u);
  EXPECT_EQ(errors()[0].rfind("error: nexio: name lookup failed (", 0), 0u) << errors()[0];
}

} // namespace
