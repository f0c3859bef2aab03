#include <climits>
#include <cstdint>
#include <gtest/gtest.h>

#include "types/string.h"
#include "types/text.h"

namespace {

TEST(TextReaders, GetipReadsDottedAddresses) {
  const struct {
    const char *text;
    std::uint32_t address;
    int consumed;
  } cases[] = {
      {"192.168.1.5", 0xC0A80105, 11},
      {"10.0.0", 0x0A000000, 6},
      {"256.1.2.3", 0xFF010203, 9},
      {"-1.2.3.4", 0x00020304, 8},
      {"0x7f.0.0.1", 0x7F000001, 10},
      {"  \"10.1.2.3\"  rest", 0x0A010203, 14},
      {"abc", 0, 0},
      {"  abc", 0, 2},
      {"1.2.3.4.5", 0x01020304, 7},
      {"4294967296.1.1.1", 0x00010101, 16}, // wraps to 0
  };
  for (const auto &c : cases) {
    std::uint32_t address = 0xDEADBEEF;
    const char *end = String::getip(c.text, &address);
    EXPECT_EQ(address, c.address) << c.text;
    EXPECT_EQ(end - c.text, c.consumed) << c.text;
    EXPECT_EQ(String::getip(c.text, nullptr), end) << c.text;
  }
  std::uint32_t address = 7;
  EXPECT_EQ(String::getip(nullptr, &address), nullptr);
  EXPECT_EQ(address, 0u);
}

// Texts that look like an address but are not exactly one: each must be
// refused, not read as some nearby address.
class ExactAddress : public ::testing::TestWithParam<const char *> {};

TEST_P(ExactAddress, OtherTextsAreRefused) {
  std::uint32_t address = 0xDEADBEEF;
  EXPECT_EQ(String::getexactip(GetParam(), &address), 0);
  EXPECT_EQ(address, 0u);
  EXPECT_EQ(String::getexactip(GetParam(), nullptr), 0);
}

INSTANTIATE_TEST_SUITE_P(TextReaders, ExactAddress,
                         ::testing::Values("127.0.0.999", "127.0.0.256", "127.0.0.4294967297",
                                           "127.0.0.1000", "127.0.0", "127.0.0.", ".127.0.0.1",
                                           "127..0.1", "127.0.0.1.5", "127.0.0.1.", "127.0.0.01",
                                           "127.00.0.1", "0127.0.0.1", "0x7f.0.0.1", "127.0.0.0x1",
                                           "-127.0.0.1", "127.0.0.-1", "+127.0.0.1", " 127.0.0.1",
                                           "127.0.0.1 ", "\"127.0.0.1\"", "127.0.0.1x",
                                           "127.0.0.1/8", "127.0.0.1:80", "localhost", "",
                                           nullptr));

TEST(TextReaders, GetexactipReadsWholeAddresses) {
  const struct {
    const char *text;
    std::uint32_t address;
  } cases[] = {
      {"127.0.0.1", 0x7F000001},       {"192.168.1.5", 0xC0A80105}, {"0.0.0.0", 0},
      {"255.255.255.255", 0xFFFFFFFF}, {"10.200.30.4", 0x0AC81E04}, {"127.100.0.250", 0x7F6400FA},
  };
  for (const auto &c : cases) {
    std::uint32_t address = 0xDEADBEEF;
    EXPECT_EQ(String::getexactip(c.text, &address), 1) << c.text;
    EXPECT_EQ(address, c.address) << c.text;
  }
}

TEST(TextReaders, GetintSignsHexDefaultsAndClamps) {
  const struct {
    const char *text;
    int value;
    int consumed;
  } cases[] = {
      {"-0x10", -16, 5},  {"-", -7, 1}, {"x", 7, 0},   {"500", 100, 3},
      {"-500", -100, 4},  {"0x", 7, 2}, {"0xg", 7, 2}, {"\"42\" z", 42, 5},
      {"12 , 13", 12, 3}, {"+5", 7, 0}, {" 5", 7, 1},  {"0XfF", 100, 4},
  };
  for (const auto &c : cases) {
    int value = 0;
    const char *end = String::getint(c.text, &value, -100, 100, 7);
    EXPECT_EQ(value, c.value) << c.text;
    EXPECT_EQ(end - c.text, c.consumed) << c.text;
  }
  int value = 0;
  // Overflow wraps in 32 bits without undefined behaviour.
  String::getint("4294967297", &value, INT_MIN, INT_MAX, 0);
  EXPECT_EQ(value, 1);
  String::getint("-2147483648", &value, INT_MIN, INT_MAX, 0);
  EXPECT_EQ(value, INT_MIN);
  String::getint("-x", &value, INT_MIN, INT_MAX, INT_MIN);
  EXPECT_EQ(value, INT_MIN); // the negated default wraps
  // An empty range: the minimum wins.
  String::getint("5", &value, 10, 0, 0);
  EXPECT_EQ(value, 10);
  EXPECT_EQ(String::getint(static_cast<const char *>(nullptr), &value, 0, 10, 20), nullptr);
  EXPECT_EQ(value, 10);

  alignas(4) char storage[16];
  string s(storage, sizeof storage);
  s.strcpy("33");
  EXPECT_EQ(String::getint(&s, &value, 0, 100, 1), 33);
  EXPECT_EQ(value, 33);
  EXPECT_EQ(String::getint(&s, nullptr, 0, 10, 1), 10);
  EXPECT_EQ(String::getint(static_cast<const string *>(nullptr), &value, 0, 10, 20), 10);
  string none;
  EXPECT_EQ(String::getint(&none, nullptr, 0, 10, 5), 5);
}

TEST(TextReaders, GetdwordIsUnsigned) {
  std::uint32_t value = 0;
  const char *text = "4294967295";
  EXPECT_EQ(String::getdword(text, &value, 0, UINT32_MAX, 0), text + 10);
  EXPECT_EQ(value, 0xFFFFFFFFu);
  text = "-5";
  EXPECT_EQ(String::getdword(text, &value, 0, UINT32_MAX, 9), text);
  EXPECT_EQ(value, 9u);
  String::getdword("0x80000000", &value, 0, 0x90000000u, 0);
  EXPECT_EQ(value, 0x80000000u);
  String::getdword("4000000000", &value, 0, 3000000000u, 0);
  EXPECT_EQ(value, 3000000000u);
  EXPECT_EQ(String::getdword(nullptr, &value, 5, 10, 1), nullptr);
  EXPECT_EQ(value, 5u);
}

TEST(TextReaders, GetrealReadsDecimalsOnly) {
  const struct {
    const char *text;
    float value;
    int consumed;
  } cases[] = {
      {"2.5", 2.5f, 3}, {"-.5", -0.5f, 3}, {"1e3", 1.0f, 1}, {".", 9.0f, 1},
      {"x", 9.0f, 0},   {"7.", 7.0f, 2},   {"-", -9.0f, 1},  {"2000", 1000.0f, 4},
  };
  for (const auto &c : cases) {
    float value = 0;
    const char *end = String::getreal(c.text, &value, -1000.0f, 1000.0f, 9.0f);
    EXPECT_FLOAT_EQ(value, c.value) << c.text;
    EXPECT_EQ(end - c.text, c.consumed) << c.text;
  }
  float value = 0;
  String::getfloat("0.125", &value, 0.5f, 1.0f, 0.0f);
  EXPECT_FLOAT_EQ(value, 0.5f);
  alignas(4) char storage[16];
  string s(storage, sizeof storage);
  s.strcpy("1.25");
  EXPECT_FLOAT_EQ(String::getfloat(&s, &value, 0, 10, 0), 1.25f);
  EXPECT_FLOAT_EQ(value, 1.25f);
  EXPECT_FLOAT_EQ(String::getfloat(static_cast<const string *>(nullptr), nullptr, 0, 10, 3), 3);
}

TEST(TextReaders, Vectors) {
  int values[4] = {0, 0, 0, 0};
  int count = -1;
  const char *text = "12 , 13,14";
  EXPECT_EQ(String::getintvector(text, values, &count, 2, -100, 100, 0), text + 8);
  EXPECT_EQ(count, 2);
  EXPECT_EQ(values[0], 12);
  EXPECT_EQ(values[1], 13);
  EXPECT_EQ(values[2], 0); // never written past the maximum count

  text = "1,2,x";
  EXPECT_EQ(String::getintvector(text, values, &count, 4, -100, 100, 0), text + 4);
  EXPECT_EQ(count, 2);
  EXPECT_EQ(String::getintvector(text, nullptr, nullptr, 4, -100, 100, 0), text + 4);
  EXPECT_EQ(String::getintvector(nullptr, values, &count, 4, 0, 1, 0), nullptr);
  EXPECT_EQ(count, 0);
  EXPECT_EQ(String::getintvector(text, values, &count, -1, 0, 1, 0), text);

  std::uint32_t dwords[3];
  String::getdwordvector("1, 0xFFFFFFFF,3", dwords, &count, 3, 0, UINT32_MAX, 0);
  EXPECT_EQ(count, 3);
  EXPECT_EQ(dwords[1], 0xFFFFFFFFu);
  float reals[3];
  String::getrealvector("0.5,-1.5", reals, &count, 3, -10, 10, 0);
  EXPECT_EQ(count, 2);
  EXPECT_FLOAT_EQ(reals[1], -1.5f);
}

TEST(TextReaders, SteppingAndCharacters) {
  const char *text = "ab\n\rcd";
  EXPECT_EQ(String::skipline(text), text + 4);
  text = "ab\r\ncd";
  EXPECT_EQ(String::endofline(text), text + 3);
  EXPECT_EQ(String::skipline(text), text + 4);
  text = "ab";
  EXPECT_EQ(String::skipline(text), text + 2);
  text = " \t x";
  EXPECT_EQ(String::skipspace(text), text + 3);
  EXPECT_EQ(String::skipspace(nullptr), nullptr);
  EXPECT_EQ(String::endofline(nullptr), nullptr);
  EXPECT_EQ(String::skipline(nullptr), nullptr);

  EXPECT_EQ(String::hexdigit('g'), 0);
  EXPECT_EQ(String::hexdigit('F'), 15);
  EXPECT_EQ(String::hexdigit('a'), 10);
  EXPECT_EQ(String::uppercase('z'), 'Z');
  EXPECT_EQ(String::uppercase('{'), '{');
  EXPECT_EQ(String::is_hexdigit('G'), 0);
  EXPECT_EQ(String::is_letter('_'), 0);
  EXPECT_EQ(String::is_digit('9'), 1);
  EXPECT_EQ(String::strlen(nullptr), 0);
  EXPECT_EQ(String::strlen("abc"), 3);
  char out[4] = "xyz";
  EXPECT_EQ(String::strcpy(out, nullptr), out);
  EXPECT_STREQ(out, "xyz");
}

TEST(TextReaders, AutoincrementNumbersNames) {
  alignas(4) char storage[16];
  string s(storage, sizeof storage);
  const struct {
    const char *name;
    int addspace;
    const char *result;
  } cases[] = {{"take9", 0, "take10"}, {"x099", 0, "x100"}, {"name", 0, "name2"},
               {"name", 1, "name 2"},  {"", 0, "2"},        {"4294967295", 0, "0"}};
  for (const auto &c : cases) {
    s.strcpy(c.name);
    String::autoincrement(&s, c.addspace);
    EXPECT_STREQ(s.buffer, c.result) << c.name;
    EXPECT_EQ(s.length, static_cast<int>(std::strlen(c.result))) << c.name;
  }
  // Near the capacity the number still fits at the end, cut as needed.
  alignas(4) char small[8];
  string t(small, sizeof small);
  t.strcpy("abcdef9");
  String::autoincrement(&t, 0);
  EXPECT_EQ(t.length, 7);
  EXPECT_STREQ(t.buffer, "abcdef1");
  t.strcpy("abcdefg");
  String::autoincrement(&t, 1);
  EXPECT_STREQ(t.buffer, "abcdefg");
  String::autoincrement(nullptr, 1);
}

TEST(TextReaders, NaturalOrder) {
  EXPECT_EQ(_strsort("a1", "a01"), -1);
  EXPECT_EQ(_strsort("abc", "ABC"), 1);
  EXPECT_EQ(_strsort("abc", "abcd"), -1);
  EXPECT_EQ(_strsort("abcd", "abc"), 1);
  EXPECT_EQ(_strsort("same", "same"), 0);
  EXPECT_EQ(_strsort("file2", "file10"), -1);
  EXPECT_EQ(_strsort("Apple", "apple"), -1);
  EXPECT_EQ(_strsort("apple", "Banana"), -1);
  EXPECT_EQ(_strsort("\xE9t\xE9", "a"), -1);
  EXPECT_EQ(_strsort("x99999999999", "x1"), 1); // wraps, no undefined behaviour
  EXPECT_EQ(_strsort(nullptr, ""), 0);
  EXPECT_EQ(_strsort(nullptr, "a"), -1);
}

} // namespace
