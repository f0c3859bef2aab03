// rkudp-unpack through the host: what each datagram gives on which outlet.
// Datagrams are kept in vectors of exactly their length, so that the
// sanitizer build catches any read past their last byte.
#include "rkudp_test.hpp"

using namespace rkudptest;
using kittest::Patch;

namespace {

const Bytes kShortest = {0xC0, 0xB7, 0x00, 0x00, 0xCA, 0x01, 0x00, 0x07, 0x00, 0x01, 0x2A};

// A datagram with sequence number 0 and these raw message bytes.
Bytes datagram(std::initializer_list<Bytes> messages) {
  Bytes bytes = {0xC0, 0xB7, 0x00, 0x00};
  for (const Bytes &m : messages) {
    bytes.insert(bytes.end(), m.begin(), m.end());
  }
  return bytes;
}

// A 0xCA message of buffer 1 at start index `start` with `count` data bytes
// counting from 1.
Bytes ca_message(unsigned start, unsigned count) {
  const unsigned length = 6 + count;
  Bytes m = {0xCA,
             0x01,
             (unsigned char)(length >> 8),
             (unsigned char)length,
             (unsigned char)(start >> 8),
             (unsigned char)start};
  for (unsigned i = 1; i <= count; ++i) {
    m.push_back((unsigned char)i);
  }
  return m;
}

TEST(RkudpUnpack, ShortestDatagramInOutletOrder) {
  Patch p;
  auto *u = p.make("u", "rkudp-unpack");
  ASSERT_NE(u, nullptr);
  p.packet(u, kShortest);
  EXPECT_EQ(p.take(), (Lines{"u.3: 202", "u.2: 1", "u.1: 1", "u.0: 42"}));
}

TEST(RkudpUnpack, WorkedExampleWithAnyPadByte) {
  for (unsigned char pad : {0x00, 0xEE, 0xFF}) {
    Patch p;
    auto *u = p.make("u", "rkudp-unpack");
    const Bytes bytes = {0xC0, 0xB7, 0x00, 0x07, 0xCA, 0x01, 0x00, 0x09, 0x00, 0x01, 0x0A,
                         0x14, 0x1E, pad,  0xCA, 0xFE, 0x00, 0x07, 0x00, 0x05, 0x07};
    p.packet(u, bytes);
    EXPECT_EQ(p.take(), (Lines{"u.3: 202", "u.2: 1", "u.1: 1", "u.0: 10 20 30", "u.3: 202",
                               "u.2: 254", "u.1: 5", "u.0: 7"}));
  }
}

TEST(RkudpUnpack, ListSizeSplitsDataAndIntModeStreams) {
  Patch p;
  auto *l = p.make("l", "rkudp-unpack 2");
  auto *i = p.make("i", "rkudp-unpack -1");
  const Bytes bytes = datagram({ca_message(100, 5)});
  p.packet(l, bytes);
  EXPECT_EQ(p.take(), (Lines{"l.3: 202", "l.2: 1", "l.1: 100", "l.0: 1 2", "l.0: 3 4", "l.0: 5"}));
  p.packet(i, bytes);
  EXPECT_EQ(p.take(), (Lines{"i.3: 202", "i.2: 1", "i.1: 100", "i.0: 1", "i.0: 2", "i.0: 3",
                             "i.0: 4", "i.0: 5"}));

  // The list size persists; the default is 256.
  auto *d = p.make("d", "rkudp-unpack");
  const Bytes big = datagram({ca_message(1, 300)});
  p.packet(d, big);
  auto lines = p.take();
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[3].substr(0, 12), "d.0: 1 2 3 4");
  EXPECT_EQ(lines[4].substr(0, 12), "d.0: 1 2 3 4"); // bytes 257..300 wrap to 1..44
  p.send(d, "size 100");
  p.packet(d, big);
  EXPECT_EQ(p.take().size(), 6u);
  p.send(d, "150", 1);
  p.packet(d, big);
  EXPECT_EQ(p.take().size(), 5u);
}

TEST(RkudpUnpack, OtherMessageTypesHaveAFourByteHeader) {
  Patch p;
  auto *u = p.make("u", "rkudp-unpack");
  p.packet(u, datagram({{0x10, 0x00, 0x00, 0x08, 1, 2, 3, 4}}));
  EXPECT_EQ(p.take(), (Lines{"u.3: 16", "u.2: 0", "u.1: 0", "u.0: 1 2 3 4"}));
  // Length 3 or less is skipped; 4 reports an empty message without data.
  p.packet(u, datagram({{0x10, 0x05, 0x00, 0x03}, ca_message(1, 1)}));
  EXPECT_EQ(p.take(), (Lines{"u.3: 202", "u.2: 1", "u.1: 1", "u.0: 1"}));
  p.packet(u, datagram({{0x11, 0x05, 0x00, 0x04}, ca_message(1, 1)}));
  EXPECT_EQ(p.take(), (Lines{"u.3: 17", "u.2: 5", "u.3: 202", "u.2: 1", "u.1: 1", "u.0: 1"}));
}

TEST(RkudpUnpack, SkippedMessages) {
  Patch p;
  auto *u = p.make("u", "rkudp-unpack");
  const Bytes next = ca_message(9, 1);
  const Lines next_lines = {"u.3: 202", "u.2: 1", "u.1: 9", "u.0: 1"};

  // Buffer ID 0, a 6-byte 0xC9 header without data, and a run past 65535.
  Bytes id0 = ca_message(1, 1);
  id0[1] = 0;
  p.packet(u, datagram({id0, {0}, next}));
  EXPECT_EQ(p.take(), next_lines);
  p.packet(u, datagram({{0xC9, 0x01, 0x00, 0x06, 0x00, 0x01}, next}));
  EXPECT_EQ(p.take(), next_lines);
  p.packet(u, datagram({ca_message(65534, 3), {0}, next}));
  EXPECT_EQ(p.take(), next_lines);

  // A run ending exactly at 65535 is read.
  p.packet(u, datagram({ca_message(65534, 2)}));
  EXPECT_EQ(p.take(), (Lines{"u.3: 202", "u.2: 1", "u.1: 65534", "u.0: 1 2"}));
}

TEST(RkudpUnpack, WhereReadingStops) {
  Patch p;
  auto *u = p.make("u", "rkudp-unpack");
  const Lines first = {"u.3: 202", "u.2: 1", "u.1: 1", "u.0: 1 2 3"};

  // A length field of 0 ends the datagram.
  p.packet(u,
           datagram({ca_message(1, 3), {0}, {0xCA, 0x01, 0x00, 0x00, 0, 1, 5}, ca_message(2, 1)}));
  EXPECT_EQ(p.take(), first);
  // A message starting 6 bytes or fewer before the end is not read.
  p.packet(u, datagram({ca_message(1, 3), {0}, {0x10, 0x01, 0x00, 0x06, 7, 7}}));
  EXPECT_EQ(p.take(), first);
  // A length reaching past the end ends the datagram without reading beyond it.
  p.packet(u, datagram({ca_message(1, 3), {0}, {0xCA, 0x01, 0x00, 0x0A, 0, 1, 5, 6}}));
  EXPECT_EQ(p.take(), first);
  // Even by a single byte, alone or after another message.
  p.packet(u, datagram({ca_message(1, 3), {0}, {0xCA, 0x01, 0x00, 0x09, 0, 1, 5, 6}}));
  EXPECT_EQ(p.take(), first);
  p.packet(u, datagram({{0xCA, 0x01, 0x00, 0x0B, 0, 1, 5, 6, 7, 8}}));
  EXPECT_EQ(p.take(), Lines{});
  p.packet(u, datagram({{0xCA, 0x01, 0xFF, 0xFF, 0, 1, 5, 6}}));
  EXPECT_EQ(p.take(), Lines{});
  // The last message may end on an odd byte without its pad.
  p.packet(u, datagram({ca_message(1, 3)}));
  EXPECT_EQ(p.take(), first);
}

TEST(RkudpUnpack, PacketLengthsAndSignature) {
  Patch p;
  auto *u = p.make("u", "rkudp-unpack");
  const Bytes bytes = datagram({ca_message(1, 1)});
  auto address = (t_atom_long)(t_ptr_uint)bytes.data();
  t_symbol *full = gensym("FullPacket");
  for (t_atom_long bogus : {0L, -1L, 65536L, (long)INT64_MIN}) {
    p.send(u, 0, full, {kittest::long_atom(bogus), kittest::long_atom(address)});
    EXPECT_EQ(p.take(),
              (Lines{"error: rkudp-unpack: bogus packet length (" + std::to_string(bogus) + ")"}));
  }
  // Lengths up to 10 and null addresses are ignored without a message.
  p.send(u, 0, full, {kittest::long_atom(10), kittest::long_atom(address)});
  p.send(u, 0, full, {kittest::long_atom(11), kittest::long_atom(0)});
  p.send(u, 0, full, {kittest::long_atom(70000), kittest::long_atom(0)});
  EXPECT_EQ(p.take(), (Lines{"error: rkudp-unpack: bogus packet length (70000)"}));

  for (int at : {0, 1}) {
    Bytes wrong = bytes;
    wrong[at] ^= 0x01;
    p.packet(u, wrong);
    EXPECT_EQ(p.take(), Lines{});
  }
  // The sequence number is not looked at.
  Bytes sequence = bytes;
  sequence[2] = 0xAB;
  sequence[3] = 0xCD;
  p.packet(u, sequence);
  EXPECT_EQ(p.take().size(), 4u);
}

TEST(RkudpUnpack, CreationArgument) {
  Patch p;
  auto *big = p.make("b", "rkudp-unpack 300");
  EXPECT_EQ(p.take(), (Lines{"error: rkudp: invalid list size (300)"}));
  const Bytes bytes = datagram({ca_message(1, 257)});
  p.packet(big, bytes);
  EXPECT_EQ(p.take().size(), 5u); // 256 + 1

  auto *one = p.make("o", "rkudp-unpack 1");
  p.packet(one, datagram({ca_message(1, 2)}));
  EXPECT_EQ(p.take(), (Lines{"o.3: 202", "o.2: 1", "o.1: 1", "o.0: 1", "o.0: 2"}));
  EXPECT_EQ(p.host().inlet_count(one), 3);
  EXPECT_EQ(p.host().outlet_count(one), 4);
}

TEST(RkudpUnpack, SizeMessages) {
  Patch p;
  auto *u = p.make("u", "rkudp-unpack");
  const Bytes bytes = datagram({ca_message(1, 2)});
  const Lines heads = {"u.3: 202", "u.2: 1", "u.1: 1"};

  // Size 0 keeps the heads and stops the data until a size is set again.
  p.send(u, "size 0");
  p.packet(u, bytes);
  EXPECT_EQ(p.take(), heads);
  for (const char *illegal : {"size 257", "size -1", "size 4294967297"}) {
    p.send(u, "size 1");
    p.send(u, illegal);
    auto lines = p.take();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].rfind("error: rkudp-unpack: illegal list size (", 0), 0u) << lines[0];
    p.packet(u, bytes);
    EXPECT_EQ(p.take(), heads) << illegal;
  }
  p.send(u, "1", 1);
  p.packet(u, bytes);
  EXPECT_EQ(p.take(), (Lines{"u.3: 202", "u.2: 1", "u.1: 1", "u.0: 1", "u.0: 2"}));

  auto *i = p.make("i", "rkudp-unpack -5");
  p.send(i, "size 2");
  EXPECT_EQ(p.take(), (Lines{"error: rkudp-unpack: can't change list size in int-mode"}));
  p.send(i, "size 0");
  p.packet(i, bytes);
  EXPECT_EQ(p.take(), (Lines{"i.3: 202", "i.2: 1", "i.1: 1"}));
  p.send(i, "size 1");
  p.packet(i, bytes);
  EXPECT_EQ(p.take(), (Lines{"i.3: 202", "i.2: 1", "i.1: 1", "i.0: 1", "i.0: 2"}));
}

TEST(RkudpUnpack, SeekAndCancelOutsideADatagramDoNotLast) {
  Patch p;
  auto *u = p.make("u", "rkudp-unpack");
  p.send(u, "seek 5");
  p.send(u, "seek 2147483647");
  EXPECT_EQ(p.take(), (Lines{"error: rkudp-unpack: seek out of bounds"}));
  // Cancelled: seeks are ignored until the next message begins.
  p.send(u, "seek 2147483647");
  p.send(u, "3", 2);
  EXPECT_EQ(p.take(), Lines{});
  p.send(u, "cancel");
  p.packet(u, kShortest);
  EXPECT_EQ(p.take(), (Lines{"u.3: 202", "u.2: 1", "u.1: 1", "u.0: 42"}));
}

TEST(RkudpUnpack, AssistTexts) {
  Patch p;
  auto *u = p.make("u", "rkudp-unpack");
  auto &host = p.host();
  EXPECT_EQ(host.assist(u, ASSIST_INLET, 0), "Datagram (FullPacket)");
  EXPECT_EQ(host.assist(u, ASSIST_INLET, 1), "Output list size (int)");
  EXPECT_EQ(host.assist(u, ASSIST_INLET, 2), "Data seek (int)");
  EXPECT_EQ(host.assist(u, ASSIST_INLET, 3), "???");
  EXPECT_EQ(host.assist(u, ASSIST_OUTLET, 0), "Data bytes (int or list)");
  EXPECT_EQ(host.assist(u, ASSIST_OUTLET, 1), "Start index (int)");
  EXPECT_EQ(host.assist(u, ASSIST_OUTLET, 2), "Buffer ID (int)");
  EXPECT_EQ(host.assist(u, ASSIST_OUTLET, 3), "Message type (int)");
  EXPECT_EQ(host.assist(u, ASSIST_OUTLET, 4), "???");
}

} // namespace
