// rkudp-pack through the host, as a patch drives it.
#include "rkudp_test.hpp"

using namespace rkudptest;
using kittest::Patch;

namespace {

// The recorded lines, which must all be FullPacket datagrams, as bytes.
std::vector<Bytes> datagrams(Patch &p) {
  std::vector<Bytes> out;
  for (const std::string &line : p.take()) {
    out.push_back(packet_bytes(line));
  }
  return out;
}

TEST(RkudpPack, WorkedExampleTwoMessagesWithPad) {
  Patch p;
  auto *x = p.make("p", "rkudp-pack");
  ASSERT_NE(x, nullptr);
  p.send(x, "id 1");
  // Seven datagrams first, so that the example carries sequence number 7.
  for (int i = 0; i < 7; ++i) {
    p.send(x, "goto 1");
    p.send(x, "0");
    p.send(x, "bang");
  }
  EXPECT_EQ(p.take().size(), 7u);

  p.send(x, "goto 1");
  p.send(x, "list 10 20 30");
  p.send(x, "id 254");
  p.send(x, "goto 5");
  p.send(x, "7");
  p.send(x, "bang");
  auto out = datagrams(p);
  ASSERT_EQ(out.size(), 1u);
  ASSERT_EQ(out[0].size(), 21u);
  // The example's bytes as written out; its pad byte (offset 13) may hold
  // anything.
  Bytes actual = out[0];
  actual[13] = 0x00;
  EXPECT_EQ(actual, (Bytes{0xC0, 0xB7, 0x00, 0x07, 0xCA, 0x01, 0x00, 0x09, 0x00, 0x01, 0x0A,
                           0x14, 0x1E, 0x00, 0xCA, 0xFE, 0x00, 0x07, 0x00, 0x05, 0x07}));
}

TEST(RkudpPack, IntsCollectInOneMessageAndBangSendsOnce) {
  Patch p;
  auto *x = p.make("p", "rkudp-pack");
  p.send(x, "goto 1");
  p.send(x, "id 1");
  p.send(x, "10");
  p.send(x, "20");
  p.send(x, "30");
  p.send(x, "bang");
  EXPECT_EQ(p.take(), (Lines{"p.0: FullPacket C0 B7 00 00 CA 01 00 09 00 01 0A 14 1E"}));

  // An empty datagram is not sent and keeps the sequence number.
  p.send(x, "bang");
  EXPECT_EQ(p.take(), Lines{});
  // The start index carried on from the bytes already written.
  p.send(x, "40");
  p.send(x, "bang");
  EXPECT_EQ(p.take(), (Lines{"p.0: FullPacket C0 B7 00 01 CA 01 00 07 00 04 28"}));
}

TEST(RkudpPack, GotoToTheReachedIndexKeepsTheMessageOpen) {
  Patch p;
  auto *x = p.make("p", "rkudp-pack 1");
  p.send(x, "goto 1");
  p.send(x, "list 1 2 3");
  p.send(x, "goto 4");
  p.send(x, "list 4 5");
  p.send(x, "bang");
  auto out = datagrams(p);
  ASSERT_EQ(out.size(), 1u);
  expect_datagram(out[0], 0, {{0xCA, 1, 1, {1, 2, 3, 4, 5}}});

  p.send(x, "goto 1");
  p.send(x, "list 1 2 3");
  p.send(x, "goto 10");
  p.send(x, "list 4 5");
  p.send(x, "bang");
  out = datagrams(p);
  ASSERT_EQ(out.size(), 1u);
  ASSERT_EQ(out[0].size(), 4u + 9 + 1 + 8);
  expect_datagram(out[0], 1, {{0xCA, 1, 1, {1, 2, 3}}, {0xCA, 1, 10, {4, 5}}});
}

TEST(RkudpPack, LongListOverflowsIntoTheNextDatagram) {
  Patch p;
  auto *x = p.make("p", "rkudp-pack 1");
  p.send(x, "goto 1");
  p.send(x, count_list(0, 1500));
  auto out = datagrams(p);
  ASSERT_EQ(out.size(), 1u);
  ASSERT_EQ(out[0].size(), 1472u);
  expect_datagram(out[0], 0, {{0xCA, 1, 1, count_bytes(0, 1462)}});

  // The rest waits in a new message at the advanced start index.
  p.send(x, "bang");
  out = datagrams(p);
  ASSERT_EQ(out.size(), 1u);
  expect_datagram(out[0], 1, {{0xCA, 1, 1463, count_bytes(1462, 38)}});
}

TEST(RkudpPack, ListThatFillsTheDatagramExactlyWaitsForMore) {
  Patch p;
  auto *x = p.make("p", "rkudp-pack 1");
  p.send(x, "goto 1");
  p.send(x, count_list(0, 1462));
  EXPECT_EQ(p.take(), Lines{});
  // The next byte finds no room: the full datagram goes, the byte starts the next.
  p.send(x, "99");
  auto out = datagrams(p);
  ASSERT_EQ(out.size(), 1u);
  expect_datagram(out[0], 0, {{0xCA, 1, 1, count_bytes(0, 1462)}});
  p.send(x, "bang");
  out = datagrams(p);
  ASSERT_EQ(out.size(), 1u);
  expect_datagram(out[0], 1, {{0xCA, 1, 1463, {99}}});
}

TEST(RkudpPack, ParameterChangeSendsOnlyAFullDatagram) {
  // 1465 bytes: fewer than 8 free, the id change sends at once.
  Patch p;
  auto *x = p.make("p", "rkudp-pack 1");
  p.send(x, "goto 1");
  p.send(x, count_list(0, 1455));
  p.send(x, "id 2");
  auto out = datagrams(p);
  ASSERT_EQ(out.size(), 1u);
  EXPECT_EQ(out[0].size(), 1465u);

  // 1464 bytes: the next message joins the same datagram.
  auto *y = p.make("q", "rkudp-pack 1");
  p.send(y, "goto 1");
  p.send(y, count_list(0, 1454));
  p.send(y, "id 2");
  p.send(y, "goto 7");
  p.send(y, "5");
  EXPECT_EQ(p.take(), Lines{});
  p.send(y, "bang");
  out = datagrams(p);
  ASSERT_EQ(out.size(), 1u);
  expect_datagram(out[0], 0, {{0xCA, 1, 1, count_bytes(0, 1454)}, {0xCA, 2, 7, {5}}});
}

TEST(RkudpPack, IndexSpaceEndsAtIndex65535) {
  Patch p;
  auto *x = p.make("p", "rkudp-pack 1");
  p.send(x, "goto 65535");
  p.send(x, "list 1 2");
  p.send(x, "3");
  p.send(x, "bang");
  auto out = datagrams(p);
  ASSERT_EQ(out.size(), 1u);
  expect_datagram(out[0], 0, {{0xCA, 1, 65535, {1}}});

  // Dropped until the next goto.
  p.send(x, "4");
  p.send(x, "bang");
  EXPECT_EQ(p.take(), Lines{});
  p.send(x, "goto 65530");
  p.send(x, count_list(1, 10));
  p.send(x, "bang");
  out = datagrams(p);
  ASSERT_EQ(out.size(), 1u);
  expect_datagram(out[0], 1, {{0xCA, 1, 65530, count_bytes(1, 6)}});
}

TEST(RkudpPack, OutOfRangeParametersUnsetAndDropData) {
  Patch p;
  auto *x = p.make("p", "rkudp-pack 1");
  for (const char *unset : {"type 5", "type -1", "type 4294967498", "id 0", "id 256", "id -255",
                            "id 4294967297", "goto 65536", "goto -1", "goto 4294967297"}) {
    p.send(x, "type 0");
    p.send(x, "id 1");
    p.send(x, "goto 1");
    p.send(x, unset);
    p.send(x, "list 1 2 3");
    p.send(x, "bang");
    EXPECT_EQ(p.take(), Lines{}) << unset;
  }
  // 201 and 202 name the types directly.
  p.send(x, "type 201");
  p.send(x, "id 255");
  p.send(x, "goto 2");
  p.send(x, "9");
  p.send(x, "type 202");
  p.send(x, "8");
  p.send(x, "bang");
  auto out = datagrams(p);
  ASSERT_EQ(out.size(), 1u);
  expect_datagram(out[0], 0, {{0xC9, 255, 2, {9}}, {0xCA, 255, 3, {8}}});
  EXPECT_EQ(p.take(), Lines{});
}

TEST(RkudpPack, CreationArgumentsAndInlets) {
  Patch p;
  auto *x = p.make("p", "rkudp-pack 254 1");
  p.send(x, "goto 3");
  p.send(x, "1");
  p.send(x, "bang");
  EXPECT_EQ(p.take(), (Lines{"p.0: FullPacket C0 B7 00 00 C9 FE 00 07 00 03 01"}));

  // Without arguments the type is 0xCA and the buffer ID unset.
  auto *y = p.make("q", "rkudp-pack");
  p.send(y, "12", 1); // start index
  p.send(y, "1");
  p.send(y, "bang");
  EXPECT_EQ(p.take(), Lines{});
  p.send(y, "7", 2); // buffer ID
  p.send(y, "1", 3); // type 0xC9
  p.send(y, "1");
  p.send(y, "bang");
  EXPECT_EQ(p.take(), (Lines{"q.0: FullPacket C0 B7 00 00 C9 07 00 07 00 0C 01"}));
}

TEST(RkudpPack, ElementsGiveTheirLowByte) {
  Patch p;
  auto *x = p.make("p", "rkudp-pack 1");
  p.send(x, "goto 1");
  p.send(x, "list 300 -1 3.9 -1.5 foo 256.7 -257 1e300 -1e300");
  p.send(x, "bang");
  auto out = datagrams(p);
  ASSERT_EQ(out.size(), 1u);
  // 1e300 is a multiple of 256, so its low byte is 0.
  expect_datagram(out[0], 0, {{0xCA, 1, 1, {44, 255, 3, 255, 0, 0, 255, 0, 0}}});
}

TEST(RkudpPack, ResetDropsTheDatagramAndUnsetsTheStartIndex) {
  Patch p;
  auto *x = p.make("p", "rkudp-pack 9 1");
  p.send(x, "goto 1");
  p.send(x, "list 1 2 3");
  p.send(x, "reset");
  p.send(x, "4");
  p.send(x, "bang");
  EXPECT_EQ(p.take(), Lines{});
  // Type, buffer ID and sequence number stay.
  p.send(x, "goto 2");
  p.send(x, "4");
  p.send(x, "bang");
  EXPECT_EQ(p.take(), (Lines{"p.0: FullPacket C0 B7 00 00 C9 09 00 07 00 02 04"}));
}

TEST(RkudpPack, SequenceNumberCarriesAndWraps) {
  Patch p;
  auto *x = p.make("p", "rkudp-pack 1");
  std::vector<unsigned> seen;
  for (unsigned i = 0; i <= 65536; ++i) {
    p.send(x, "goto 1");
    p.send(x, "0");
    p.send(x, "bang");
    auto out = datagrams(p);
    ASSERT_EQ(out.size(), 1u);
    if (i == 255 || i == 256 || i == 65535 || i == 65536) {
      seen.push_back((out[0][2] << 8) | out[0][3]);
    }
  }
  EXPECT_EQ(seen, (std::vector<unsigned>{255, 256, 65535, 0}));
}

TEST(RkudpPack, AssistTexts) {
  Patch p;
  auto *x = p.make("p", "rkudp-pack");
  auto &host = p.host();
  EXPECT_EQ(host.assist(x, ASSIST_INLET, 0), "Data bytes (int or list), bang for output");
  EXPECT_EQ(host.assist(x, ASSIST_INLET, 1), "Start index (int)");
  EXPECT_EQ(host.assist(x, ASSIST_INLET, 2), "Buffer ID (int), mixer = 254");
  EXPECT_EQ(host.assist(x, ASSIST_INLET, 3), "Message type (int), 0 => 0xCA, 1 => 0xC9");
  EXPECT_EQ(host.assist(x, ASSIST_INLET, 4), "???");
  EXPECT_EQ(host.assist(x, ASSIST_OUTLET, 0), "Datagram (FullPacket)");
  EXPECT_EQ(host.assist(x, ASSIST_OUTLET, 1), "???");
  EXPECT_EQ(host.inlet_count(x), 4);
  EXPECT_EQ(host.outlet_count(x), 1);
}

} // namespace
