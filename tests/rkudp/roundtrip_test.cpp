// rkudp-pack connected to rkudp-unpack: random data at random parameters
// must arrive byte for byte at its buffer index.
#include "rkudp_test.hpp"

#include <map>
#include <random>
#include <sstream>
#include <tuple>

using namespace rkudptest;
using kittest::Patch;

namespace {

// (type, buffer ID, index) -> the last byte written there.
using Buffers = std::map<std::tuple<int, int, long>, int>;

// Reads the unpacker's lines (u.3 type, u.2 buffer ID, u.1 start index,
// u.0 data) into buffers; checks the packer's datagrams on the way.
void read_lines(const Lines &lines, Buffers &got) {
  int type = -1;
  int id = -1;
  long index = -1;
  for (const std::string &line : lines) {
    if (line.rfind("k.0: FullPacket", 0) == 0) {
      const Bytes bytes = packet_bytes(line);
      EXPECT_GE(bytes.size(), 11u);
      EXPECT_LE(bytes.size(), 1472u);
      continue;
    }
    ASSERT_EQ(line.rfind("u.", 0), 0u) << line;
    std::istringstream values(line.substr(5));
    const char outlet = line[2];
    long v;
    if (outlet == '3') {
      values >> type;
    } else if (outlet == '2') {
      values >> id;
    } else if (outlet == '1') {
      values >> index;
    } else {
      while (values >> v) {
        got[{type, id, index++}] = (int)v;
      }
    }
  }
}

void round_trip(unsigned seed, const std::string &unpack_box) {
  std::mt19937 random(seed);
  auto pick = [&](long lo, long hi) { return std::uniform_int_distribution<long>(lo, hi)(random); };

  Patch p;
  auto *k = p.make("k", "rkudp-pack");
  auto *u = p.make("u", unpack_box);
  p.connect(k, 0, u, 0);

  Buffers expected;
  Buffers got;
  int type = 0xCA;
  int id = 0;
  long reached = 0; // next index the packer writes; 0 when unset
  for (int round = 0; round < 200; ++round) {
    if (id == 0 || pick(0, 3) == 0) {
      id = (int)pick(1, 255);
      p.send(k, "id " + std::to_string(id));
    }
    if (pick(0, 3) == 0) {
      type = pick(0, 1) ? 0xC9 : 0xCA;
      p.send(k, "type " + std::to_string(type == 0xCA ? 0 : 1));
    }
    // Mostly a fresh start index, sometimes the one reached, sometimes near the end.
    const long choice = pick(0, 9);
    if (reached == 0 || choice < 6) {
      reached = choice < 2 ? pick(65000, 65535) : pick(1, 65535);
    }
    if (pick(0, 1)) {
      p.send(k, "goto " + std::to_string(reached));
    } else {
      p.send(k, std::to_string(reached), 1);
    }
    std::string list = "list";
    for (long n = pick(1, 700); n > 0; --n) {
      const int byte = (int)pick(0, 255);
      list += ' ' + std::to_string(byte);
      if (reached != 0) {
        expected[{type, id, reached}] = byte;
        reached = reached == 65535 ? 0 : reached + 1;
      }
    }
    p.send(k, list);
    if (pick(0, 4) == 0) {
      p.send(k, "bang");
    }
    read_lines(p.take(), got);
  }
  p.send(k, "bang");
  read_lines(p.take(), got);
  EXPECT_EQ(got, expected);
}

TEST(RkudpRoundTrip, RandomDataArrivesAtItsIndex) {
  round_trip(1, "rkudp-unpack");
  round_trip(2, "rkudp-unpack 1");
  round_trip(3, "rkudp-unpack 37");
  round_trip(4, "rkudp-unpack -1");
}

} // namespace
