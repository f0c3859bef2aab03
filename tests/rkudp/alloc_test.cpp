// Memory per datagram: after the first lists, packing and unpacking take no
// memory at all.
//
// This program counts two ways of taking memory while datagrams flow from
// rkudp-pack into two rkudp-unpack objects (list and int mode):
// - sysmem_newptr, the host allocator the objects use (getbytes, as they
//   write it, stands for it): this executable defines sysmem_newptr itself
//   and exports it, so the modules, loaded later, bind to it; it counts and
//   passes the call on to the host's;
// - the global operator new, replaced here (not under the sanitizers, which
//   bring their own).
// The objects are driven through the host directly, without the recording
// patch objects, which would allocate for every line they record. What the
// host takes to deliver a message sent from outside is measured apart, with
// the same messages to a packer that drops them, and must be all there is.
#include "pack_chain.hpp"
#include "patch.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <dlfcn.h>
#include <new>

namespace {
std::atomic<long> getbytes_calls{0};
std::atomic<long> new_calls{0};
std::atomic<bool> refuse_getbytes{false};
} // namespace

extern "C" t_ptr sysmem_newptr(t_ptr_size size) {
  using Newptr = t_ptr (*)(t_ptr_size);
  static const Newptr host_newptr = (Newptr)dlsym(RTLD_NEXT, "sysmem_newptr");
  ++getbytes_calls;
  return refuse_getbytes ? nullptr : host_newptr(size);
}

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define RKUDP_COUNT_NEW 0
#else
#define RKUDP_COUNT_NEW 1

// The replacements below pair malloc with free themselves.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

void *operator new(std::size_t size) {
  ++new_calls;
  if (void *p = std::malloc(size ? size : 1)) {
    return p;
  }
  throw std::bad_alloc();
}
void *operator new[](std::size_t size) {
  return operator new(size);
}
void operator delete(void *p) noexcept {
  std::free(p);
}
void operator delete[](void *p) noexcept {
  std::free(p);
}
void operator delete(void *p, std::size_t) noexcept {
  std::free(p);
}
void operator delete[](void *p, std::size_t) noexcept {
  std::free(p);
}
#endif

namespace {

using kittest::Lines;
using kittest::long_atom;

TEST(RkudpAllocation, NoMemoryForTheListsSkipsOnlyTheData) {
  kittest::Patch p;
  auto *u = p.make("u", "rkudp-unpack");
  // Buffer 1 from index 100: bytes 1 to 5; buffer 2 at index 7: byte 9.
  const std::vector<unsigned char> datagram = {0xC0, 0xB7, 0x00, 0x00, 0xCA, 0x01, 0x00, 0x0B,
                                               0x00, 0x64, 1,    2,    3,    4,    5,    0x00,
                                               0xCA, 0x02, 0x00, 0x07, 0x00, 0x07, 9};
  refuse_getbytes = true;
  p.packet(u, datagram);
  refuse_getbytes = false;
  EXPECT_EQ(p.take(),
            (Lines{"u.3: 202", "u.2: 1", "u.1: 100",
                   "error: rkudp-unpack: error allocating memory (5 atoms)", "u.3: 202", "u.2: 2",
                   "u.1: 7", "error: rkudp-unpack: error allocating memory (1 atoms)"}));
  p.packet(u, datagram);
  EXPECT_EQ(p.take(), (Lines{"u.3: 202", "u.2: 1", "u.1: 100", "u.0: 1 2 3 4 5", "u.3: 202",
                             "u.2: 2", "u.1: 7", "u.0: 9"}));
}

TEST(RkudpAllocation, NoMemoryTakenPerDatagram) {
  kittest::Patch p;
  kit::Host &host = p.host();
  std::string error;
  t_object *pack = nullptr, *lists = nullptr, *ints = nullptr;
  ASSERT_TRUE(rkudptest::make_pack_chain(host, 1, pack, lists, ints, error)) << error;

  std::vector<t_atom> data(256);
  for (std::size_t i = 0; i < data.size(); ++i) {
    data[i] = long_atom((t_atom_long)i);
  }
  t_symbol *list = gensym("list");
  t_symbol *go = gensym("goto");
  const t_atom start = long_atom(1);
  auto flow = [&](t_object *target, int count) {
    for (int i = 0; i < count; ++i) {
      if (i % 200 == 0) {
        host.send(target, 0, go, {&start, 1});
      }
      host.send(target, 0, list, data);
    }
  };

  getbytes_calls = 0;
  flow(pack, 20);
  // The first lists take the unpacker's atom array, through the counted hook.
  EXPECT_EQ(getbytes_calls.load(), 1);

  // The same messages sent from outside to a packer without a buffer ID,
  // which drops them: what the host's own delivery takes.
  t_object *idle = host.make("rkudp-pack", {}, error);
  ASSERT_NE(idle, nullptr) << error;
  new_calls = 0;
  flow(idle, 2000);
  const long delivery = new_calls.load();

  // 2000 lists of 256 bytes make about 350 datagrams, each unpacked twice.
  getbytes_calls = 0;
  new_calls = 0;
  flow(pack, 2000);
  EXPECT_EQ(getbytes_calls.load(), 0);
  if (RKUDP_COUNT_NEW) {
    EXPECT_EQ(new_calls.load(), delivery);
  }

  host.free(idle);
  host.free(pack);
  host.free(lists);
  host.free(ints);
}

} // namespace
