// Fuzz target for the support library's string: random sequences of
// operations on two strings over storage of random sizes. The storage is a
// block of exactly its size, so a write past it is caught; the bytes between
// the capacity and the end of the block must stay as they were, and after
// every operation the text is terminated and padded as promised. The simple
// copies and appends are also checked against a model.
//
// Input: bytes 0-1 the storage sizes of the two strings, then operations:
// one byte picks the operation, the next bytes are its numbers and texts
// (a text is a length byte and that many bytes).
#include "check.hpp"
#include "types/string.h"
#include "types/text.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

namespace {

struct Input {
  const std::uint8_t *p;
  std::size_t left;
  std::uint8_t byte() {
    if (left == 0)
      return 0;
    --left;
    return *p++;
  }
  int small() { return (int)(std::int8_t)byte(); }
  int number() { return (int)(std::int16_t)((byte() << 8) | byte()); }
  std::string text() {
    std::size_t n = std::min<std::size_t>(byte(), left);
    std::string s(reinterpret_cast<const char *>(p), n);
    p += n;
    left -= n;
    return s.substr(0, s.find('\0'));
  }
};

constexpr unsigned char guard_byte = 0xA5;

struct Checked {
  std::unique_ptr<char[]> storage;
  int size;
  string s;
  explicit Checked(int n) : storage(new char[(std::size_t)n]), size(n) {
    std::memset(storage.get(), guard_byte, (std::size_t)n);
    s = string(storage.get(), n);
  }
  void verify() const {
    check(s.buffer == storage.get());
    check(s.capacity >= 4 && s.capacity <= size && s.capacity % 4 == 0);
    check(s.length >= 0 && s.length < s.capacity);
    check(s.buffer[s.length] == 0);
    const int padded = std::min((s.length + 4) & ~3, s.capacity);
    for (int i = s.length; i < padded; ++i)
      check(s.buffer[i] == 0);
    for (int i = s.capacity; i < size; ++i)
      check((unsigned char)storage[(std::size_t)i] == guard_byte);
  }
  std::string text() const { return std::string(s.buffer, (std::size_t)s.length); }
};

// A text in a block of exactly its length plus the terminator.
struct Text {
  std::unique_ptr<char[]> data;
  explicit Text(const std::string &s) : data(new char[s.size() + 1]) {
    std::memcpy(data.get(), s.c_str(), s.size() + 1);
  }
  const char *c_str() const { return data.get(); }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  if (size < 2)
    return 0;
  Checked a(4 + data[0] % 160), b(4 + data[1] % 160);
  Input in{data + 2, size - 2};
  for (int step = 0; step < 64 && in.left > 0; ++step) {
    const bool swap = in.left & 1;
    Checked &x = swap ? b : a;
    Checked &y = swap ? a : b;
    const std::string before = x.text();
    const int cap = x.s.capacity;
    const std::uint8_t op = in.byte() % 32;
    // What the simple operations must leave, or nothing to compare.
    bool modelled = true;
    std::string expect;
    int r = 0;
    switch (op) {
    case 0: {
      const std::string t = in.text();
      r = x.s.strcpy(Text(t).c_str());
      expect = t.substr(0, (std::size_t)cap - 1);
      break;
    }
    case 1: {
      const std::string t = in.text();
      r = x.s.strcat(Text(t).c_str());
      expect = (before + t).substr(0, (std::size_t)cap - 1);
      break;
    }
    case 2: {
      const std::string t = in.text();
      const int n = in.small();
      r = x.s.strncpy(Text(t).c_str(), n);
      expect = t.substr(0, (std::size_t)std::max(0, std::min(n, cap - 1)));
      break;
    }
    case 3: {
      const std::string t = in.text();
      const int n = in.small();
      r = x.s.strncat(Text(t).c_str(), n);
      expect = (before + t.substr(0, (std::size_t)std::max(0, n))).substr(0, (std::size_t)cap - 1);
      break;
    }
    case 4:
      r = x.s.strcpy(&y.s);
      expect = y.text().substr(0, (std::size_t)cap - 1);
      break;
    case 5:
      r = x.s.strcat(&y.s);
      expect = (before + y.text()).substr(0, (std::size_t)cap - 1);
      break;
    case 6: {
      const int n = in.small();
      r = x.s.strncpy(&y.s, n);
      modelled = false;
      break;
    }
    case 7: {
      const int n = in.small();
      r = x.s.strncat(&y.s, n);
      modelled = false;
      break;
    }
    case 8: {
      const int start = in.small(), count = in.small();
      x.s.substr(&y.s, start, count);
      r = x.s.length;
      modelled = false;
      break;
    }
    case 9: {
      const std::string t = in.text();
      r = x.s.printf("%s:%d", Text(t).c_str(), in.number());
      modelled = false;
      break;
    }
    case 10: {
      const std::string t = in.text();
      r = x.s.catf("%s%*d", Text(t).c_str(), in.small(), in.number());
      modelled = false;
      break;
    }
    case 11: {
      const std::uint32_t ip = ((std::uint32_t)in.number() << 16) | (std::uint16_t)in.number();
      r = in.byte() & 1 ? x.s.putip(ip) : x.s.catip(ip);
      modelled = false;
      break;
    }
    case 12: {
      const std::uint32_t hi = ((std::uint32_t)in.number() << 16) | (std::uint16_t)in.number();
      const std::uint32_t lo = (std::uint16_t)in.number();
      r = in.byte() & 1 ? x.s.putmac(hi, lo) : x.s.catmac(hi, lo);
      modelled = false;
      break;
    }
    case 13: {
      std::uint32_t bits = ((std::uint32_t)in.number() << 16) | (std::uint16_t)in.number();
      float f;
      std::memcpy(&f, &bits, sizeof f);
      if (in.byte() & 1)
        x.s.catreal(f);
      else
        x.s.putreal(f);
      r = x.s.length;
      modelled = false;
      break;
    }
    case 14: {
      const std::string t = in.text();
      const std::string d = in.text();
      const Text src(t), delims(d);
      const char *next = x.s.getword(src.c_str(), d.empty() ? nullptr : delims.c_str());
      check(next >= src.c_str() && next <= src.c_str() + t.size());
      r = x.s.length;
      modelled = false;
      break;
    }
    case 15: {
      const int c = in.byte();
      if (c == 0)
        continue;
      r = x.s.putc(c);
      expect = (int)before.size() < cap - 1 ? before + (char)c : before;
      break;
    }
    case 16:
      r = x.s.unputc();
      check(r == (before.empty() ? 0 : (int)(unsigned char)before.back()));
      r = x.s.length;
      expect = before.empty() ? before : before.substr(0, before.size() - 1);
      break;
    case 17: {
      const int pos = in.small(), count = in.small();
      r = x.s.strdelete(pos, count);
      modelled = false;
      break;
    }
    case 18: {
      const std::string t = in.text();
      const int pos = in.small(), n = in.small();
      r = x.s.strinsert(pos, Text(t).c_str(), n);
      modelled = false;
      break;
    }
    case 19:
      r = x.s.remove_endspace();
      expect = before.substr(0, before.find_last_not_of(' ') + 1);
      break;
    case 20: {
      const int c = in.byte(), from = in.small();
      const int at = x.s.strchr(c, from);
      const int back = x.s.strrchr(c, from);
      check(at == -1 || (at >= 0 && at < x.s.length && (unsigned char)x.s.buffer[at] == c));
      check(back == -1 || (back >= 0 && back < x.s.length && (unsigned char)x.s.buffer[back] == c));
      r = x.s.length;
      break;
    }
    case 21: {
      const std::string t = in.text();
      const int at = x.s.strpbrk(Text(t).c_str());
      check(at == -1 ||
            (at >= 0 && at < x.s.length && t.find(x.s.buffer[at]) != std::string::npos));
      const int cmp = x.s.strcmp(Text(t).c_str());
      // Texts compare as C texts: up to their first zero byte.
      const std::string mine = before.substr(0, before.find('\0'));
      check((cmp == 0) == (mine == t));
      const int cmp2 = x.s.strcmp(&y.s);
      const std::string other = y.text();
      check((cmp2 == 0) == (mine == other.substr(0, other.find('\0'))));
      r = x.s.length;
      break;
    }
    case 22: {
      const std::string t = in.text();
      const int start = in.small();
      const int at = x.s.strpos(Text(t).c_str(), start);
      check(at == -1 || (at >= 0 && before.compare((std::size_t)at, t.size(), t) == 0));
      r = x.s.length;
      break;
    }
    case 23: {
      const std::string src = in.text(), find = in.text(), with = in.text();
      r = x.s.strreplace(Text(src).c_str(), Text(find).c_str(), Text(with).c_str());
      check(r <= std::max(0, cap - 2));
      modelled = false;
      break;
    }
    case 24: {
      const std::string src = in.text(), with = in.text();
      const int pos = in.small(), count = in.small();
      r = x.s.substrreplace(Text(src).c_str(), Text(with).c_str(), pos, count);
      modelled = false;
      break;
    }
    case 25: {
      const int n = in.number();
      r = x.s.setlength(n);
      check(r == std::max(0, std::min(n, cap - 1)));
      modelled = false;
      break;
    }
    case 26:
      x.s.clear();
      r = 0;
      expect.clear();
      break;
    case 27: {
      // The free functions over plain blocks of random sizes.
      const std::string src = in.text(), find = in.text(), with = in.text();
      const int n = in.byte() % 80;
      std::unique_ptr<char[]> out(new char[(std::size_t)n + 1]);
      const int w =
          _strreplace(out.get(), Text(src).c_str(), Text(find).c_str(), Text(with).c_str(), n);
      check(w >= 0 && (n == 0 || (w < n && (int)std::strlen(out.get()) == w)));
      const int pos = in.small(), count = in.small();
      const int w2 =
          _substrreplace(out.get(), Text(src).c_str(), Text(with).c_str(), pos, count, n);
      check(w2 >= 0 && (n == 0 || (w2 < n && (int)std::strlen(out.get()) == w2)));
      const int at = _strpos(Text(src).c_str(), Text(find).c_str(), pos);
      check(at == -1 || (at >= 0 && src.compare((std::size_t)at, find.size(), find) == 0));
      r = x.s.length;
      break;
    }
    case 28: {
      // Re-adopts its own storage with a claimed length.
      r = x.s.setbuffer(x.storage.get(), x.size & ~3, in.number());
      modelled = false;
      break;
    }
    default: {
      // A string over storage of yet another size takes this one's text.
      Checked z(4 + in.byte() % 40);
      z.s.strcpy(&x.s);
      z.verify();
      check(z.text() == before.substr(0, (std::size_t)z.s.capacity - 1));
      r = x.s.length;
      break;
    }
    }
    x.verify();
    y.verify();
    check(r == x.s.length);
    if (modelled && op <= 19)
      check(x.text() == expect);
  }
  return 0;
}
