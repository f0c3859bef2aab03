// TovikLoader under faults: a device that accepts and never reads, one that
// resets the connection in the middle of an upload, a message block that
// cannot be had, and sockets numbered above the size of a select() set. Each
// ends in the loader's report, the pending-message slot free again and the
// next upload going out whole.
#include "net.hpp"
#include "patch.hpp"
#include "peer.hpp"
#include "resources.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <cstddef>
#include <cstdlib>
#include <string>

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define LOADER_FAIL_MALLOC 0
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define LOADER_FAIL_MALLOC 0
#endif
#endif
#ifndef LOADER_FAIL_MALLOC
#define LOADER_FAIL_MALLOC 1
#endif

#if LOADER_FAIL_MALLOC
namespace {
// The size of the one C allocation to refuse, 0 for none. The module binds
// to this program's malloc, which passes every other call on.
std::atomic<std::size_t> refuse_size{0};
} // namespace
extern "C" void *__libc_malloc(std::size_t size);
extern "C" void *malloc(std::size_t size) {
  std::size_t wanted = size;
  if (size != 0 && refuse_size.compare_exchange_strong(wanted, 0))
    return nullptr;
  return __libc_malloc(size);
}
#endif

namespace {

using kittest::BadPeer;
using kittest::Lines;
using loadertest::Listener;
using loadertest::TempDir;

const std::string CannotSend = "t.0: error 4 \"couldn't send data to Tovik\"";

class LoaderFaults : public ::testing::Test {
protected:
  t_object *make(int port) {
    return p.make("t", "TovikLoader @host 127.0.0.1 @port " + std::to_string(port));
  }
  // After a fault the slot is free: an upload to a good device goes out.
  void expect_next_upload_works(t_object *t) {
    t_object *u = make(good.port());
    ASSERT_NE(u, nullptr);
    (void)t;
    p.send(u, "load " + dir.write("next.txt", "next"));
    EXPECT_EQ(p.take(), Lines{"t.1: bang"});
    EXPECT_EQ(good.wait(1).size(), 1u);
  }

  kittest::Patch p;
  Listener good;
  TempDir dir;
};

TEST_F(LoaderFaults, ADeviceThatNeverReadsEndsInErrorFour) {
  BadPeer device(BadPeer::Mode::NeverRead);
  auto *t = make(device.port());
  // Far more than the socket buffers of both ends can hold.
  p.send(t, "load " + dir.write("big.txt", std::string(32 << 20, 'b')));
  EXPECT_TRUE(device.done());
  EXPECT_EQ(p.take(), Lines{CannotSend});
  expect_next_upload_works(t);
}

TEST_F(LoaderFaults, AResetInTheMiddleOfAnUploadEndsInErrorFour) {
  BadPeer device(BadPeer::Mode::ResetAfter, 64 << 10);
  auto *t = make(device.port());
  p.send(t, "load " + dir.write("big.txt", std::string(32 << 20, 'r')));
  EXPECT_TRUE(device.done());
  EXPECT_EQ(p.take(), Lines{CannotSend});
  expect_next_upload_works(t);
}

TEST_F(LoaderFaults, UploadsWorkOnDescriptorsAboveTheSelectSetSize) {
  kittest::HighDescriptors high(1100);
  if (!high.ok())
    GTEST_SKIP() << "the descriptor limit is too low";
  Listener device; // its sockets are high too
  auto *t = make(device.port());
  p.send(t, "load " + dir.write("f.txt", std::string(300000, 'h')));
  EXPECT_EQ(p.take(), Lines{"t.1: bang"});
  const auto got = device.wait(1);
  ASSERT_EQ(got.size(), 1u);
  EXPECT_EQ(got[0].size(), 300000u + 9 + 24 - (300000 + 9 + 24) % 4);
}

#if LOADER_FAIL_MALLOC
TEST_F(LoaderFaults, AMessageThatCannotBeAllocatedIsRefusedAndFreesTheSlot) {
  // Tools that bring their own allocator (valgrind) take malloc over.
  void *(*volatile allocate)(std::size_t) = std::malloc;
  refuse_size = 4093;
  void *probe = allocate(4093);
  refuse_size = 0;
  if (probe) {
    std::free(probe);
    GTEST_SKIP() << "malloc is not this program's here";
  }
  auto *t = make(good.port());
  const std::size_t file = 1000003;
  const std::string name = dir.write("f.txt", std::string(file, 'm'));
  refuse_size = (file + 9 + 24) & ~std::size_t(3);
  p.send(t, "load " + name);
  EXPECT_EQ(refuse_size.load(), 0u) << "the message block was not asked for";
  refuse_size = 0;
  EXPECT_EQ(p.take(), Lines{"t.0: error 3 \"couldn't open file\""});
  EXPECT_TRUE(good.received().empty());

  // A target message whose block cannot be had is dropped without a report.
  refuse_size = (std::string("<OSC target=\"1\" ip=\"127.0.0.1\" port=\"9000\"/>").size() + 24) &
                ~std::size_t(3);
  p.send(t, "target 1 127.0.0.1 9000");
  const bool refused = refuse_size.load() == 0;
  refuse_size = 0;
  EXPECT_TRUE(refused);
  EXPECT_EQ(p.take(), Lines{});

  p.send(t, "load " + name);
  EXPECT_EQ(p.take(), Lines{"t.1: bang"});
  EXPECT_EQ(good.wait(1).size(), 1u);
}
#endif

} // namespace
