// The string buffer and the text readers never allocate: every global
// allocation operator and (through the linker's --wrap) every C allocator
// call of the program's own code is counted around them.
#include <atomic>
#include <cstdlib>
#include <gtest/gtest.h>
#include <new>

#include "types/string.h"
#include "types/text.h"

namespace {
std::atomic<long> allocations{0};
// Keeps the compiler from removing allocations whose blocks are not used.
void *volatile sink;
} // namespace

extern "C" {
void *__real_malloc(std::size_t size);
void *__real_calloc(std::size_t count, std::size_t size);
void *__real_realloc(void *block, std::size_t size);
void *__wrap_malloc(std::size_t size) {
  ++allocations;
  return __real_malloc(size);
}
void *__wrap_calloc(std::size_t count, std::size_t size) {
  ++allocations;
  return __real_calloc(count, size);
}
void *__wrap_realloc(void *block, std::size_t size) {
  ++allocations;
  return __real_realloc(block, size);
}
}

void *operator new(std::size_t size) {
  ++allocations;
  if (void *block = std::malloc(size != 0 ? size : 1))
    return block;
  throw std::bad_alloc();
}
void *operator new[](std::size_t size) {
  return operator new(size);
}
void operator delete(void *block) noexcept {
  std::free(block);
}
void operator delete[](void *block) noexcept {
  std::free(block);
}
void operator delete(void *block, std::size_t) noexcept {
  std::free(block);
}
void operator delete[](void *block, std::size_t) noexcept {
  std::free(block);
}

namespace {

TEST(Allocation, CounterSeesAllocations) {
  const long before = allocations.load();
  int *block = new int(5);
  sink = block;
  delete static_cast<int *>(sink);
  sink = std::malloc(4);
  std::free(sink);
  EXPECT_EQ(allocations.load() - before, 3);
}

TEST(Allocation, StringOperationsNeverAllocate) {
  alignas(4) char storage[256];
  alignas(4) char other[32];
  char out[64];
  const long before = allocations.load();
  for (int round = 0; round < 100; ++round) {
    string s(storage, sizeof storage);
    string t(other, sizeof other);
    s.strcpy("alpha beta");
    s.strcat(" gamma");
    s.printf("%s %d %f %x %c %u", "text", round, 2.5, 0xBEEF, 'c', 4000000000u);
    s.catf("%08.3f|%-5s|%lld", -1.25, "ab", 123456789012LL);
    s.putip(0xC0A80105);
    s.catip(0x0A000001);
    s.putmac(0x0012AB34, 0x56CD);
    s.putreal(3.25);
    s.catreal(-0.5);
    const char *rest = t.getword("\"quoted word\" next");
    t.getword(rest, "/");
    t.strcpy(&s);
    t.strcat(&s);
    t.substr(&s, 2, 5);
    t.strinsert(1, "xyz", -1);
    t.strdelete(0, 2);
    t.putc('!');
    t.unputc();
    t.remove_endspace();
    s.strreplace("a b a", "a", "c");
    s.substrreplace("hello", "J", 0, 1);
    s.strchr('l');
    s.strrchr('l');
    s.strpbrk("lo");
    s.strcmp(&t);
    s.strpos("l");
    _strreplace(out, "ab ab", "ab", "x", sizeof out);
    _substrreplace(out, "hello", "J", 0, 1, sizeof out);
    _strpos("abcabc", "c", 3);
    std::uint32_t address = 0;
    String::getip("192.168.1.5", &address);
    int values[3];
    int count = 0;
    String::getintvector("1, 2, 3", values, &count, 3, 0, 10, 0);
    float real = 0;
    String::getreal("2.5", &real, 0, 10, 0);
    s.strcpy("take9");
    String::autoincrement(&s, 1);
    _strsort("file2", "file10");
  }
  EXPECT_EQ(allocations.load() - before, 0);
}

} // namespace
