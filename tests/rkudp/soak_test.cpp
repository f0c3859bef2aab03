// Soak: a million datagrams from rkudp-pack through rkudp-unpack, in both of
// the unpacker's output modes, with the last ones checked byte for byte.
#include "soak_test.hpp"
#include "pack_chain.hpp"
#include "patch.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using kittest::Lines;
using kittest::long_atom;

TEST(Soak, AMillionDatagramsThroughPackAndUnpack) {
  kittest::Patch p;
  kit::Host &host = p.host();
  std::string error;
  t_object *pack = nullptr, *lists = nullptr, *ints = nullptr;
  ASSERT_TRUE(rkudptest::make_pack_chain(host, 3, pack, lists, ints, error)) << error;

  t_symbol *list = gensym("list");
  t_symbol *bang = gensym("bang");
  t_symbol *go = gensym("goto");
  std::vector<t_atom> data(24);
  // One datagram per cycle: a goto, a list of 1 to 24 bytes, a bang.
  auto cycle = [&](long i) {
    const t_atom start = long_atom(i % 60000);
    host.send(pack, 0, go, {&start, 1});
    const std::size_t n = 1 + static_cast<std::size_t>(i % 24);
    for (std::size_t k = 0; k < n; ++k)
      data[k] = long_atom((i + (long)k) & 0xFF);
    host.send(pack, 0, list, {data.data(), n});
    host.send(pack, 0, bang, {});
  };

  for (long i = 0; i < 1000; ++i)
    cycle(i);
  const auto before = kittest::Holdings::now();
  constexpr long kDatagrams = 1000000;
  for (long i = 0; i < kDatagrams; ++i)
    cycle(i);
  const auto after = kittest::Holdings::now();
  kittest::expect_no_growth(before, after);

  // Still exact after the run: a recorded unpacker sees the next datagram.
  t_object *seen = p.make("u", "rkudp-unpack");
  ASSERT_TRUE(host.connect(pack, 0, seen, 0, error)) << error;
  const t_atom start = long_atom(500);
  host.send(pack, 0, go, {&start, 1});
  std::vector<t_atom> bytes = {long_atom(1), long_atom(2), long_atom(255)};
  host.send(pack, 0, list, bytes);
  host.send(pack, 0, bang, {});
  EXPECT_EQ(p.take(), (Lines{"u.3: 202", "u.2: 3", "u.1: 500", "u.0: 1 2 255"}));

  host.free(pack);
  host.free(lists);
  host.free(ints);
}

} // namespace
