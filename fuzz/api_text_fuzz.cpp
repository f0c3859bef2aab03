// Fuzz target for the support library's text readers: the number readers,
// the vectors, the line helpers, autoincrement and the natural-order
// comparison, over texts that end exactly where their storage ends so that
// any read past the terminator is caught.
//
// Input: byte 0 picks the reader, bytes 1-12 three 32-bit parameters
// (minimum, maximum, default; for the vectors the low byte of the first is
// the capacity of the array), the rest is the text (cut at its first zero
// byte). For _strsort the text holds up to three texts separated by zero
// bytes.
#include "check.hpp"
#include "types/string.h"
#include "types/text.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

std::uint32_t read32(const std::uint8_t *p) {
  return (std::uint32_t(p[0]) << 24) | (std::uint32_t(p[1]) << 16) | (std::uint32_t(p[2]) << 8) |
         std::uint32_t(p[3]);
}

// A text in a block of exactly its length plus the terminator.
struct Text {
  std::unique_ptr<char[]> data;
  std::size_t length = 0;
  explicit Text(const std::string &s) : data(new char[s.size() + 1]), length(s.size()) {
    std::memcpy(data.get(), s.c_str(), s.size() + 1);
  }
  const char *begin() const { return data.get(); }
  // A reader's result must lie within the text, terminator included.
  void check_inside(const char *p) const {
    check(p != nullptr && p >= data.get() && p <= data.get() + length);
  }
};

template <class T> void check_in_range(T v, T lo, T hi) {
  if (lo <= hi)
    check(v >= lo && v <= hi);
}

// A comparison result and its mirror image agree and stay in -1 … 1.
void check_order(const std::string &a, const std::string &b) {
  const Text ta(a), tb(b);
  const int ab = _strsort(ta.begin(), tb.begin());
  const int ba = _strsort(tb.begin(), ta.begin());
  check(ab >= -1 && ab <= 1);
  check(ab == -ba);
  check(_strsort(ta.begin(), ta.begin()) == 0);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  if (size < 13)
    return 0;
  const int which = data[0] % 12;
  const std::uint32_t p1 = read32(data + 1), p2 = read32(data + 5), p3 = read32(data + 9);
  const std::string raw(reinterpret_cast<const char *>(data + 13), size - 13);
  const Text text(raw.substr(0, raw.find('\0')));
  const char *t = text.begin();

  switch (which) {
  case 0: {
    std::uint32_t ip = 0xDEADBEEF;
    text.check_inside(String::getip(t, &ip));
    // The exact reader takes a text exactly when it is the dotted form that
    // putip writes for its address: what getip reads from a text in that
    // form is that address.
    std::uint32_t exact = 0xDEADBEEF;
    const int taken = String::getexactip(t, &exact);
    check(taken == 0 || taken == 1);
    check(taken || exact == 0);
    char storage[16];
    string dotted(storage, sizeof storage);
    dotted.putip(taken ? exact : ip);
    check(taken == (std::strcmp(storage, t) == 0));
    break;
  }
  case 1: {
    int v = 0;
    const int lo = (int)p1, hi = (int)p2;
    text.check_inside(String::getint(t, &v, lo, hi, (int)p3));
    check_in_range(v, lo, hi);
    text.check_inside(String::getint(t, nullptr, lo, hi, (int)p3));
    break;
  }
  case 2: {
    std::uint32_t v = 0;
    text.check_inside(String::getdword(t, &v, p1, p2, p3));
    check_in_range(v, p1, p2);
    break;
  }
  case 3: {
    // Small whole bounds: the reader's clamping is what is checked, not the
    // float rounding of huge bounds.
    float v = 0;
    const float lo = (float)(std::int16_t)p1, hi = (float)(std::int16_t)p2;
    text.check_inside(String::getreal(t, &v, lo, hi, (float)(std::int16_t)p3));
    check_in_range(v, lo, hi);
    break;
  }
  case 4:
  case 5:
  case 6: {
    const int maxcount = (int)(p1 & 0xFF) - 8; // a few negative capacities too
    const std::size_t cells = maxcount > 0 ? (std::size_t)maxcount : 0;
    int count = -1;
    const char *end = nullptr;
    if (which == 4) {
      std::vector<int> a(cells);
      const int lo = (int)(std::int16_t)(p2 >> 16), hi = (int)(std::int16_t)p2;
      end = String::getintvector(t, a.data(), &count, maxcount, lo, hi, (int)p3);
      for (int i = 0; i < count; ++i)
        check_in_range(a[(std::size_t)i], lo, hi);
    } else if (which == 5) {
      std::vector<std::uint32_t> a(cells);
      end = String::getdwordvector(t, a.data(), &count, maxcount, p2 >> 16, p2 & 0xFFFF, p3);
      for (int i = 0; i < count; ++i)
        check_in_range(a[(std::size_t)i], p2 >> 16, p2 & 0xFFFF);
    } else {
      std::vector<float> a(cells);
      const float lo = (float)(std::int16_t)(p2 >> 16), hi = (float)(std::int16_t)p2;
      end = String::getrealvector(t, a.data(), &count, maxcount, lo, hi, (float)(std::int16_t)p3);
      for (int i = 0; i < count; ++i)
        check_in_range(a[(std::size_t)i], lo, hi);
    }
    text.check_inside(end);
    check(count >= 0 && count <= (maxcount > 0 ? maxcount : 0));
    // Without an array the same values are only stepped over.
    int again = -1;
    if (which == 4)
      String::getintvector(t, nullptr, &again, maxcount, 0, 1, 0);
    else if (which == 5)
      String::getdwordvector(t, nullptr, &again, maxcount, 0, 1, 0);
    else
      String::getrealvector(t, nullptr, &again, maxcount, 0, 1, 0);
    check(again >= 0 && again <= (maxcount > 0 ? maxcount : 0));
    break;
  }
  case 7: {
    text.check_inside(String::skipspace(t));
    text.check_inside(String::endofline(t));
    text.check_inside(String::skipline(t));
    check(String::strlen(t) == (int)text.length);
    break;
  }
  case 8:
  case 9: {
    // Up to three texts: the comparison is antisymmetric, and transitive.
    std::vector<std::string> parts;
    std::size_t from = 0;
    while (parts.size() < 3) {
      const std::size_t zero = raw.find('\0', from);
      parts.push_back(
          raw.substr(from, zero == std::string::npos ? std::string::npos : zero - from));
      if (zero == std::string::npos)
        break;
      from = zero + 1;
    }
    while (parts.size() < 3)
      parts.emplace_back();
    check_order(parts[0], parts[1]);
    check_order(parts[1], parts[2]);
    check_order(parts[0], parts[2]);
    const Text a(parts[0]), b(parts[1]), c(parts[2]);
    const int ab = _strsort(a.begin(), b.begin()), bc = _strsort(b.begin(), c.begin());
    const int ac = _strsort(a.begin(), c.begin());
    if (ab <= 0 && bc <= 0)
      check(ac <= 0);
    if (ab >= 0 && bc >= 0)
      check(ac >= 0);
    break;
  }
  case 10: {
    // autoincrement into storage of a random size, the text as the name.
    const int storage = 4 + (int)(p1 % 64);
    std::unique_ptr<char[]> buffer(new char[(std::size_t)storage]);
    string s(buffer.get(), storage);
    s.strcpy(t);
    String::autoincrement(&s, (int)(p2 & 1));
    check(s.length >= 0 && s.length < s.capacity && s.buffer[s.length] == 0);
    break;
  }
  default: {
    // The string forms of the readers.
    const int storage = 4 + (int)(p1 % 64);
    std::unique_ptr<char[]> buffer(new char[(std::size_t)storage]);
    string s(buffer.get(), storage);
    s.strcpy(t);
    int v = 0;
    const int r = String::getint(&s, &v, (int)p2, (int)p3, 0);
    check(r == v);
    check_in_range(v, (int)p2, (int)p3);
    float f = 0;
    String::getfloat(&s, &f, -100.0f, 100.0f, 0.0f);
    check_in_range(f, -100.0f, 100.0f);
    break;
  }
  }
  return 0;
}
