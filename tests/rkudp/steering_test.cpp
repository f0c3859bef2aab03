// Steering rkudp-unpack from the patch: `steer` objects connected from an
// outlet of the unpacker back to one of its inlets answer outputs with
// seek, cancel and size, as a patch would.
#include "rkudp_test.hpp"

using namespace rkudptest;
using kittest::Patch;

namespace {

class Steering : public ::testing::Test {
protected:
  Steering() { p.host().add_module_dir(test_module_dir()); }

  // A steer object named `name`, fed by outlet `from` of `u`, answering into
  // inlet `to` of `u` with `answers` in turn ("" for no answer).
  t_object *answer(t_object *u, int from, int to, const std::vector<std::string> &answers,
                   const char *name = "s") {
    t_object *s = p.make(name, "steer");
    for (const std::string &a : answers) {
      p.send(s, a.empty() ? std::string("answer") : "answer " + a);
    }
    p.connect(u, from, s, 0);
    p.connect(s, 0, u, to);
    return s;
  }

  Patch p;
};

// Buffer 1, start index 100, data bytes 1 to 5; then buffer 2, start 7, byte 9.
const Bytes kTwoMessages = {0xC0, 0xB7, 0x00, 0x00, 0xCA, 0x01, 0x00, 0x0B, 0x00, 0x64, 1, 2,
                            3,    4,    5,    0x00, 0xCA, 0x02, 0x00, 0x07, 0x00, 0x07, 9};
const Lines kSecond = {"u.3: 202", "u.2: 2", "u.1: 7", "u.0: 9"};

Lines then_second(Lines lines) {
  lines.insert(lines.end(), kSecond.begin(), kSecond.end());
  return lines;
}

// A patch of its own: the unpacker `box`, its data outlet feeding a steer
// that answers into its left inlet; returns what kTwoMessages gives.
Lines answering_data(const char *box, const std::vector<std::string> &answers) {
  Patch patch;
  patch.host().add_module_dir(test_module_dir());
  auto *u = patch.make("u", box);
  auto *s = patch.make("s", "steer");
  for (const std::string &a : answers) {
    patch.send(s, a.empty() ? std::string("answer") : "answer " + a);
  }
  patch.connect(u, 0, s, 0);
  patch.connect(s, 0, u, 0);
  patch.packet(u, kTwoMessages);
  return patch.take();
}

TEST_F(Steering, CancelAnsweringTheTypeDropsThatMessageOnly) {
  auto *u = p.make("u", "rkudp-unpack");
  answer(u, 3, 0, {"cancel"});
  p.packet(u, kTwoMessages);
  EXPECT_EQ(p.take(), then_second({"u.3: 202", "s.0: cancel"}));
}

TEST_F(Steering, SeekAnsweringTypeOrBufferIdMovesTheStart) {
  auto *u = p.make("u", "rkudp-unpack");
  answer(u, 3, 0, {"seek 1"}, "t");
  answer(u, 2, 2, {"1"}, "b"); // an int into the seek inlet
  p.packet(u, kTwoMessages);
  EXPECT_EQ(p.take(),
            then_second({"u.3: 202", "t.0: seek 1", "u.2: 1", "b.0: 1", "u.1: 102", "u.0: 3 4 5"}));

  // A seek to the end of the data leaves out start index and data.
  auto *v = p.make("v", "rkudp-unpack");
  answer(v, 2, 0, {"seek 5"}, "c");
  p.packet(v, kTwoMessages);
  EXPECT_EQ(p.take(),
            (Lines{"v.3: 202", "v.2: 1", "c.0: seek 5", "v.3: 202", "v.2: 2", "v.1: 7", "v.0: 9"}));
}

TEST_F(Steering, SeekAnsweringTheStartIndexMovesOnlyTheData) {
  auto *u = p.make("u", "rkudp-unpack");
  answer(u, 1, 0, {"seek 2"});
  p.packet(u, kTwoMessages);
  EXPECT_EQ(p.take(), then_second({"u.3: 202", "u.2: 1", "u.1: 100", "s.0: seek 2", "u.0: 3 4 5"}));
}

TEST(SteeringData, SeekAnsweringAListCountsFromTheNextByte) {
  struct Case {
    std::vector<std::string> answers;
    Lines data;
  };
  const std::vector<Case> cases = {
      {{"seek 1"}, {"u.0: 1 2", "s.0: seek 1", "u.0: 4 5"}},
      {{"seek -2"}, {"u.0: 1 2", "s.0: seek -2", "u.0: 1 2", "u.0: 3 4", "u.0: 5"}},
      {{"seek -3"}, {"u.0: 1 2", "s.0: seek -3"}},
      {{"seek 1", "seek -4"},
       {"u.0: 1 2", "s.0: seek 1", "u.0: 4 5", "s.0: seek -4", "u.0: 2 3", "u.0: 4 5"}},
      {{"", "seek 0"}, {"u.0: 1 2", "u.0: 3 4", "s.0: seek 0", "u.0: 5"}},
      {{"seek 3"}, {"u.0: 1 2", "s.0: seek 3"}},
      {{"cancel"}, {"u.0: 1 2", "s.0: cancel"}},
  };
  for (const Case &c : cases) {
    Lines expected = {"u.3: 202", "u.2: 1", "u.1: 100"};
    expected.insert(expected.end(), c.data.begin(), c.data.end());
    EXPECT_EQ(answering_data("rkudp-unpack 2", c.answers), then_second(expected))
        << c.answers.back();
  }
}

TEST_F(Steering, SizeAnsweringAListAppliesFromTheNextList) {
  auto *u = p.make("u", "rkudp-unpack 2");
  answer(u, 0, 1, {"3"});
  p.packet(u, kTwoMessages);
  EXPECT_EQ(p.take(),
            then_second({"u.3: 202", "u.2: 1", "u.1: 100", "u.0: 1 2", "s.0: 3", "u.0: 3 4 5"}));

  // Size 0 in answer to the type: no data from here on, heads still come.
  auto *v = p.make("v", "rkudp-unpack");
  answer(v, 3, 0, {"size 0"}, "z");
  p.packet(v, kTwoMessages);
  EXPECT_EQ(p.take(), (Lines{"v.3: 202", "z.0: size 0", "v.3: 202", "v.2: 2", "v.1: 7"}));
}

TEST(SteeringData, IntModeSteering) {
  struct Case {
    std::vector<std::string> answers;
    Lines data;
  };
  const std::vector<Case> cases = {
      {{"seek 1"}, {"u.0: 1", "s.0: seek 1", "u.0: 3", "u.0: 4", "u.0: 5"}},
      {{"", "seek -1"},
       {"u.0: 1", "u.0: 2", "s.0: seek -1", "u.0: 2", "u.0: 3", "u.0: 4", "u.0: 5"}},
      {{"", "cancel"}, {"u.0: 1", "u.0: 2", "s.0: cancel"}},
      {{"seek -2"}, {"u.0: 1", "s.0: seek -2"}},
      // The position after the byte plus the seek leaves the 32-bit range.
      {{"seek 2147483647"},
       {"u.0: 1", "s.0: seek 2147483647", "error: rkudp-unpack: seek out of bounds"}},
  };
  for (const Case &c : cases) {
    Lines expected = {"u.3: 202", "u.2: 1", "u.1: 100"};
    expected.insert(expected.end(), c.data.begin(), c.data.end());
    EXPECT_EQ(answering_data("rkudp-unpack -1", c.answers), then_second(expected))
        << c.answers.back();
  }
  // Size 0 stops the data of this and every later message.
  EXPECT_EQ(answering_data("rkudp-unpack -1", {"size 0"}),
            (Lines{"u.3: 202", "u.2: 1", "u.1: 100", "u.0: 1", "s.0: size 0", "u.3: 202", "u.2: 2",
                   "u.1: 7"}));
}

TEST_F(Steering, SeekOverflowCancelsTheMessage) {
  auto *u = p.make("u", "rkudp-unpack 2");
  answer(u, 0, 0, {"seek 2147483647"});
  p.packet(u, kTwoMessages);
  EXPECT_EQ(p.take(),
            then_second({"u.3: 202", "u.2: 1", "u.1: 100", "u.0: 1 2", "s.0: seek 2147483647",
                         "error: rkudp-unpack: seek out of bounds"}));
}

TEST_F(Steering, DatagramFedBackFromAListLeavesThatListIntact) {
  // The data outlet goes first to a steer that feeds a second datagram back
  // in, then to a packer: the packer must still get the outer list's bytes.
  auto *u = p.make("u", "rkudp-unpack 2");
  auto *s = answer(u, 0, 0, {"resend"});
  p.send(s, "datagram 192 183 0 0 202 2 0 16 0 7 11 12 13 14 15 16 17 18 19 20");
  auto *pk = p.make("k", "rkudp-pack 9");
  p.send(pk, "goto 1");
  p.connect(u, 0, pk, 0);
  p.packet(u, kTwoMessages);
  Lines lines = p.take();
  const Lines expected =
      then_second({"u.3: 202", "u.2: 1", "u.1: 100", "u.0: 1 2",
                   "s.0: FullPacket C0 B7 00 00 CA 02 00 10 00 07 0B 0C 0D 0E 0F 10 11 12 13 14",
                   "u.3: 202", "u.2: 2", "u.1: 7", "u.0: 11 12", "u.0: 13 14", "u.0: 15 16",
                   "u.0: 17 18", "u.0: 19 20", "u.0: 3 4", "u.0: 5"});
  EXPECT_EQ(lines, expected);

  p.send(pk, "bang");
  lines = p.take();
  ASSERT_EQ(lines.size(), 1u);
  expect_datagram(packet_bytes(lines[0]), 0,
                  {{0xCA, 9, 1, {11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 1, 2, 3, 4, 5, 9}}});
}

} // namespace
