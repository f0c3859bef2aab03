// Host memory: pointers that know their size, resizing, and handles.
#include "ext.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>

namespace {

std::string text_of(t_handle h) {
  return std::string(*h, sysmem_handlesize(h));
}

TEST(Memory, PointersKnowTheSizeAskedForAndKeepItWhenResized) {
  // An odd size: an allocator's usable size is rounded up, the answer must not be.
  t_ptr p = sysmem_newptr(13);
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(sysmem_ptrsize(p), 13u);
  EXPECT_EQ(reinterpret_cast<uintptr_t>(p) % alignof(std::max_align_t), 0u);
  std::memcpy(p, "hello, world", 13);
  p = sysmem_resizeptr(p, 100000);
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(sysmem_ptrsize(p), 100000u);
  EXPECT_STREQ(p, "hello, world");
  p = sysmem_resizeptr(p, 5);
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(sysmem_ptrsize(p), 5u);
  EXPECT_EQ(std::string(p, 5), "hello");
  sysmem_freeptr(p);

  // getbytes is the same memory, as the header's macros say.
  char *bytes = getbytes(0xFFFF);
  ASSERT_NE(bytes, nullptr);
  EXPECT_EQ(sysmem_ptrsize(bytes), 0xFFFFu);
  bytes[0xFFFE] = 1;
  freebytes(bytes, 0xFFFF);

  EXPECT_EQ(sysmem_ptrsize(nullptr), 0u);
  sysmem_freeptr(nullptr);
}

TEST(Memory, ClearedPointersAndGrowthAreZero) {
  t_ptr p = sysmem_newptrclear(64);
  ASSERT_NE(p, nullptr);
  for (int i = 0; i < 64; ++i)
    ASSERT_EQ(p[i], 0) << i;
  std::memset(p, 0x55, 64);
  p = sysmem_resizeptrclear(p, 4096);
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(p[63], 0x55);
  for (int i = 64; i < 4096; ++i)
    ASSERT_EQ(p[i], 0) << i;
  sysmem_freeptr(p);
  // Resizing null makes a block.
  t_ptr fresh = sysmem_resizeptrclear(nullptr, 8);
  ASSERT_NE(fresh, nullptr);
  EXPECT_EQ(sysmem_ptrsize(fresh), 8u);
  EXPECT_EQ(fresh[7], 0);
  sysmem_freeptr(fresh);
}

TEST(Memory, ImpossibleSizesFailWithoutHarm) {
  EXPECT_EQ(sysmem_newptr(SIZE_MAX), nullptr);
  EXPECT_EQ(sysmem_newptrclear(SIZE_MAX - 8), nullptr);
  EXPECT_EQ(sysmem_newhandle(SIZE_MAX), nullptr);
  t_ptr p = sysmem_newptr(4);
  ASSERT_NE(p, nullptr);
  std::memcpy(p, "abc", 4);
  EXPECT_EQ(sysmem_resizeptr(p, SIZE_MAX), nullptr);
  EXPECT_EQ(sysmem_ptrsize(p), 4u);
  EXPECT_STREQ(p, "abc");
  sysmem_freeptr(p);
  t_handle h = sysmem_newhandle(3);
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(sysmem_resizehandle(h, SIZE_MAX), MAX_ERR_OUT_OF_MEM);
  EXPECT_EQ(sysmem_ptrandhand(p, h, SIZE_MAX - 1), MAX_ERR_OUT_OF_MEM);
  EXPECT_EQ(sysmem_handlesize(h), 3u);
  sysmem_freehandle(h);
}

TEST(Memory, CopyingAllowsOverlap) {
  char text[] = "abcdefgh";
  sysmem_copyptr(text, text + 2, 5);
  EXPECT_STREQ(text, "ababcdeh");
  sysmem_copyptr(text + 2, text, 5);
  EXPECT_STREQ(text, "abcdedeh");
  sysmem_copyptr(nullptr, text, 3);
  EXPECT_STREQ(text, "abcdedeh");
}

TEST(Memory, HandlesKnowTheirSizeAndGrowZeroFilled) {
  t_handle h = sysmem_newhandle(0);
  ASSERT_NE(h, nullptr);
  EXPECT_NE(*h, nullptr);
  EXPECT_EQ(sysmem_handlesize(h), 0u);
  ASSERT_EQ(sysmem_resizehandle(h, 100), MAX_ERR_NONE);
  EXPECT_EQ(sysmem_handlesize(h), 100u);
  for (int i = 0; i < 100; ++i)
    EXPECT_EQ((*h)[i], 0);
  sysmem_freehandle(h);
  sysmem_freehandle(nullptr);
  EXPECT_EQ(sysmem_handlesize(nullptr), 0u);

  t_handle cleared = sysmem_newhandleclear(16);
  ASSERT_NE(cleared, nullptr);
  EXPECT_EQ(sysmem_handlesize(cleared), 16u);
  EXPECT_EQ((*cleared)[15], 0);
  sysmem_freehandle(cleared);
}

TEST(Memory, BytesGoBehindAndBeforeAHandleAndTerminateItOnce) {
  t_handle h = sysmem_newhandle(0);
  ASSERT_NE(h, nullptr);
  char middle[] = "middle";
  char front[] = "front ";
  char back[] = " back";
  EXPECT_EQ(sysmem_ptrandhand(middle, h, 6), MAX_ERR_NONE);
  EXPECT_EQ(sysmem_ptrbeforehand(front, h, 6), MAX_ERR_NONE);
  EXPECT_EQ(sysmem_ptrandhand(back, h, 5), MAX_ERR_NONE);
  EXPECT_EQ(text_of(h), "front middle back");
  EXPECT_EQ(sysmem_nullterminatehandle(h), MAX_ERR_NONE);
  EXPECT_EQ(sysmem_handlesize(h), 18u);
  EXPECT_STREQ(*h, "front middle back");
  EXPECT_EQ(sysmem_nullterminatehandle(h), MAX_ERR_NONE);
  EXPECT_EQ(sysmem_handlesize(h), 18u);
  EXPECT_EQ(sysmem_ptrandhand(nullptr, h, 0), MAX_ERR_NONE);
  EXPECT_EQ(sysmem_ptrandhand(nullptr, h, 1), MAX_ERR_INVALID_PTR);
  EXPECT_EQ(sysmem_ptrbeforehand(front, nullptr, 1), MAX_ERR_INVALID_PTR);

  EXPECT_EQ(sysmem_lockhandle(h, 1), 0);
  EXPECT_EQ(sysmem_lockhandle(h, 0), 1);
  EXPECT_EQ(sysmem_lockhandle(h, 0), 0);
  sysmem_freehandle(h);
}

} // namespace
