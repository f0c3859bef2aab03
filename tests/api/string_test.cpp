#include <cstring>
#include <gtest/gtest.h>
#include <limits>

#include "types/string.h"

namespace {

// Storage aligned like the library expects, filled with a marker so that
// stray writes and missing padding show.
struct Storage {
  alignas(4) char bytes[64];
  Storage() { std::memset(bytes, '#', sizeof bytes); }
};

// The text, its terminator and the zero padding up to the next multiple of
// four, with nothing written at or past the capacity.
void expectText(const string &s, const char *text, const Storage &storage) {
  ASSERT_EQ(s.length, static_cast<int>(std::strlen(text)));
  EXPECT_EQ(std::memcmp(s.buffer, text, s.length), 0);
  for (int i = s.length; i < (s.length / 4 + 1) * 4 && i < s.capacity; ++i)
    EXPECT_EQ(s.buffer[i], 0) << "padding byte " << i;
  for (int i = s.capacity; i < static_cast<int>(sizeof storage.bytes); ++i)
    EXPECT_EQ(storage.bytes[i], '#') << "byte " << i << " past the capacity";
}

TEST(StringBuffer, ConstructorsRoundTheCapacityAndZeroTheStart) {
  Storage a;
  string s(a.bytes, 10);
  EXPECT_EQ(s.capacity, 8);
  EXPECT_EQ(s.length, 0);
  EXPECT_EQ(std::memcmp(a.bytes, "\0\0\0\0#", 5), 0);

  Storage b;
  string small(b.bytes, 2);
  EXPECT_EQ(small.capacity, 4);
  EXPECT_EQ(std::memcmp(b.bytes, "\0\0\0\0#", 5), 0);

  char text[] = "hello";
  string wrapped(text, 6, 5);
  EXPECT_EQ(wrapped.capacity, 4);
  EXPECT_EQ(wrapped.length, 5);
  EXPECT_STREQ(text, "hello"); // nothing written
  EXPECT_EQ(wrapped.setbuffer(text, 5), 8);
  EXPECT_EQ(wrapped.length, 5);

  string none;
  EXPECT_EQ(none.buffer, nullptr);
  EXPECT_EQ(none.capacity, 0);
}

TEST(StringBuffer, CopyAndAppendCutAtTheCapacityAndPad) {
  Storage a;
  string s(a.bytes, 10);
  EXPECT_EQ(s.strcpy("abcdefghij"), 7);
  expectText(s, "abcdefg", a);
  EXPECT_EQ(s.strcat("xyz"), 7); // full: no change
  expectText(s, "abcdefg", a);

  Storage b;
  string t(b.bytes, 16);
  t.strcpy("abcdefgh");
  EXPECT_EQ(t.strcpy("abcde"), 5);
  expectText(t, "abcde", b);
  EXPECT_EQ(t.strcpy("abcd"), 4);
  expectText(t, "abcd", b);
  EXPECT_EQ(t.strcat("ef"), 6);
  expectText(t, "abcdef", b);
  EXPECT_EQ(t.strcat(static_cast<const char *>(nullptr)), 6);
  EXPECT_EQ(t.strcpy(static_cast<const char *>(nullptr)), 0);
  expectText(t, "", b);

  EXPECT_EQ(t.strncpy("abcdef", 3), 3);
  EXPECT_EQ(t.strncat("xyz", 2), 5);
  expectText(t, "abcxy", b);
  EXPECT_EQ(t.strncat("xyz", -1), 5);
  EXPECT_EQ(t.strncpy("xyz", 0), 0);
}

TEST(StringBuffer, StringWithoutStorageIgnoresWrites) {
  string none;
  EXPECT_EQ(none.strcpy("abc"), 0);
  EXPECT_EQ(none.strcat("abc"), 0);
  EXPECT_EQ(none.printf("%d", 5), 0);
  EXPECT_EQ(none.putc('x'), 0);
  EXPECT_EQ(none.unputc(), 0);
  EXPECT_EQ(none.strinsert(0, "abc", -1), 0);
  EXPECT_EQ(none.strchr('a'), -1);
  EXPECT_EQ(none.strpbrk("a"), -1);
  EXPECT_EQ(none.strpos("a"), -1);
  EXPECT_EQ(none.substrreplace("abc", "x", 0, 1), 0);
  const char *src = "word rest";
  EXPECT_EQ(none.getword(src), src);
  none.clear();
  EXPECT_EQ(none.length, 0);
}

TEST(StringBuffer, CopiesBetweenStringsAreBoundedByTheirLengths) {
  // A wrapped text has no padding behind it: copying from it must not read
  // past its length.
  char text[6] = "abcde";
  string source;
  source.setbuffer(text, 5);
  Storage a;
  string s(a.bytes, 16);
  EXPECT_EQ(s.strcpy(&source), 5);
  expectText(s, "abcde", a);
  EXPECT_EQ(s.strcat(&source), 10);
  expectText(s, "abcdeabcde", a);
  EXPECT_EQ(s.strncat(&source, 2), 12);
  EXPECT_EQ(s.strncpy(&source, 2), 2);
  expectText(s, "ab", a);
  EXPECT_EQ(s.strcpy(static_cast<const string *>(nullptr)), 0);
  expectText(s, "", a);

  Storage b;
  string small(b.bytes, 4);
  EXPECT_EQ(small.strcpy(&source), 3);
  expectText(small, "abc", b);

  s.strcpy("0123456789");
  s.substr(&s, 2, 3); // from itself
  expectText(s, "234", a);
  s.strcpy("0123456789");
  small.substr(&s, 8, -1);
  expectText(small, "89", b);
  small.substr(&s, 20, 2);
  expectText(small, "", b);
  small.substr(&s, -1, 2);
  expectText(small, "", b);
  small.substr(&s, 1, 0);
  expectText(small, "", b);
  small.substr(&s, 1, 100);
  expectText(small, "123", b);
}

TEST(StringBuffer, AdoptedStorageNeverWritesPastItsSize) {
  Storage a;
  string s;
  // A length beyond the storage is clamped, not trusted.
  EXPECT_EQ(s.setbuffer(a.bytes, 6, 40), 5);
  EXPECT_EQ(s.capacity, 6);
  EXPECT_EQ(s.strcpy("abcdefgh"), 5);
  expectText(s, "abcde", a);
  EXPECT_EQ(s.setlength(2), 2);
  expectText(s, "ab", a);
  EXPECT_EQ(s.setlength(100), 5);
  EXPECT_EQ(s.setlength(-3), 0);
}

TEST(StringBuffer, FormattingCutsAtTheScratchAreaAndTheCapacity) {
  Storage a;
  string s(a.bytes, 8);
  EXPECT_EQ(s.printf("%d", 123456789), 7);
  expectText(s, "1234567", a);
  EXPECT_EQ(s.putip(0xC0A80105), 7);
  expectText(s, "192.168", a);

  Storage b;
  string t(b.bytes, 64);
  t.putip(0xFFFFFFFF);
  expectText(t, "255.255.255.255", b);
  t.putip(0);
  expectText(t, "0.0.0.0", b);
  t.catf("/%s", "x");
  t.catip(0x0A000001);
  expectText(t, "0.0.0.0/x10.0.0.1", b);
  t.putmac(0x0012AB34, 0x56CD);
  expectText(t, "00:12:AB:34:56:CD", b);
  t.catmac(0xFFFFFFFF, 0x10001);
  EXPECT_STREQ(t.buffer + 17, "FF:FF:FF:FF:00:01");

  // A formatted text longer than the scratch area keeps 1023 characters and
  // writes nothing beyond the storage.
  static char big[2048];
  string large(big, sizeof big);
  static char argument[1500];
  std::memset(argument, 'a', sizeof argument - 1);
  EXPECT_EQ(large.printf("%s", argument), 1023);
  EXPECT_EQ(large.catf("%s", argument), 2046);
  EXPECT_EQ(large.length, 2046);
  EXPECT_EQ(big[2046], 0);

  // The arguments may be the string's own text.
  t.strcpy("ab");
  t.printf("%s-%s", t.buffer, t.buffer);
  expectText(t, "ab-ab", b);
}

TEST(StringBuffer, RealsLoseTrailingZeros) {
  Storage a;
  string s(a.bytes, 32);
  const struct {
    double value;
    const char *text;
  } cases[] = {{2.5, "2.5"},   {3.0, "3"},  {0.0, "0"},  {-0.25, "-0.25"},
               {100.0, "100"}, {1e-7, "0"}, {10.0, "10"}};
  for (const auto &c : cases) {
    s.putreal(c.value);
    expectText(s, c.text, a);
  }
  s.strcpy("x=");
  s.catreal(1.5);
  expectText(s, "x=1.5", a);
  s.strcpy("x");
  s.catreal(std::numeric_limits<double>::infinity());
  expectText(s, "xinf", a);
  // Cut by the capacity inside the integer part: no point, nothing trimmed.
  Storage b;
  string small(b.bytes, 4);
  small.putreal(1000.0);
  expectText(small, "100", b);
}

TEST(StringBuffer, GetwordReadsOneWord) {
  Storage a;
  string s(a.bytes, 32);
  const char *text = "abc def";
  EXPECT_EQ(s.getword(text), text + 4);
  expectText(s, "abc", a);

  text = "\"two words\"  next";
  EXPECT_EQ(s.getword(text), text + 13);
  expectText(s, "two words", a);

  text = "'single' x";
  EXPECT_EQ(s.getword(text), text + 9);
  expectText(s, "single", a);

  text = "a/b";
  EXPECT_EQ(s.getword(text, "/"), text + 1);
  expectText(s, "a", a);

  text = " x";
  EXPECT_EQ(s.getword(text), text + 1);
  expectText(s, "", a);

  text = "\"abc";
  EXPECT_EQ(s.getword(text), text + 4);
  expectText(s, "abc", a);

  EXPECT_EQ(s.getword(nullptr), nullptr);
  expectText(s, "", a);

  Storage b;
  string small(b.bytes, 4);
  text = "abcdefg h";
  EXPECT_EQ(small.getword(text), text + 8); // consumed, not stored
  expectText(small, "abc", b);
}

TEST(StringBuffer, CharacterEdits) {
  Storage a;
  string s(a.bytes, 8);
  s.strcpy("abc");
  EXPECT_EQ(s.putc('d'), 4);
  EXPECT_EQ(s.putc('e'), 5);
  EXPECT_EQ(s.putc('f'), 6);
  EXPECT_EQ(s.putc('g'), 7);
  EXPECT_EQ(s.putc('h'), 7); // full
  expectText(s, "abcdefg", a);
  EXPECT_EQ(s.unputc(), 'g');
  expectText(s, "abcdef", a);

  EXPECT_EQ(s.strdelete(1, 2), 4);
  expectText(s, "adef", a);
  EXPECT_EQ(s.strdelete(-1, 2), 3);
  expectText(s, "def", a);
  EXPECT_EQ(s.strdelete(2, 10), 2);
  EXPECT_EQ(s.strdelete(5, 1), 2);
  EXPECT_EQ(s.strdelete(0, 0), 2);
  expectText(s, "de", a);

  EXPECT_EQ(s.strinsert(1, "XY", -1), 4);
  expectText(s, "dXYe", a);
  EXPECT_EQ(s.strinsert(-1, "123", -1), 6);
  expectText(s, "23dXYe", a);
  EXPECT_EQ(s.strinsert(99, "+++", -1), 7);
  expectText(s, "23dXYe+", a);
  EXPECT_EQ(s.strinsert(0, "zz", -1), 7);
  s.strcpy("abcd");
  EXPECT_EQ(s.strinsert(2, s.buffer, 2), 6); // its own text
  expectText(s, "ababcd", a);
  EXPECT_EQ(s.strinsert(-5, "abc", -1), 6);

  s.strcpy("ab \t  ");
  EXPECT_EQ(s.remove_endspace(), 4);
  expectText(s, "ab \t", a);
  s.clear();
  EXPECT_EQ(s.unputc(), 0);
  EXPECT_EQ(s.remove_endspace(), 0);
}

TEST(StringBuffer, Searches) {
  Storage a;
  string s(a.bytes, 32);
  s.strcpy("abcabc");
  EXPECT_EQ(s.strchr('c'), 2);
  EXPECT_EQ(s.strchr('c', 3), 5);
  EXPECT_EQ(s.strchr('c', -4), 2);
  EXPECT_EQ(s.strchr('c', 6), -1);
  EXPECT_EQ(s.strchr('x'), -1);

  EXPECT_EQ(s.strrchr('a'), 3);
  EXPECT_EQ(s.strrchr('a', 2), 0); // position 0 is examined
  EXPECT_EQ(s.strrchr('x'), -1);
  EXPECT_EQ(s.strrchr('c', 99), 5);
  EXPECT_EQ(s.strrchr('c', -2), -1);

  EXPECT_EQ(s.strpbrk("xc"), 2);
  EXPECT_EQ(s.strpbrk("xyz"), -1);
  EXPECT_EQ(s.strpbrk(""), -1);
  EXPECT_EQ(s.strpbrk(nullptr), -1);

  EXPECT_EQ(s.strpos("ca"), 2);
  EXPECT_EQ(s.strpos("c", 3), 5);

  EXPECT_EQ(s.strcmp("abcabc"), 0);
  EXPECT_LT(s.strcmp("abd"), 0);
  EXPECT_GT(s.strcmp("abc"), 0);
  EXPECT_GT(s.strcmp(static_cast<const char *>(nullptr)), 0);
  Storage b;
  string t(b.bytes, 32);
  t.strcpy("abcabc");
  EXPECT_EQ(s.strcmp(&t), 0);
  t.strcpy("b");
  EXPECT_LT(s.strcmp(&t), 0);
  string none;
  none.length = 3;
  EXPECT_EQ(none.strcmp("x"), 3);
}

TEST(StringFunctions, Strpos) {
  EXPECT_EQ(_strpos("abcabc", "c", 3), 5);
  EXPECT_EQ(_strpos("abc", "x", 0), -1);
  EXPECT_EQ(_strpos("abc", "", 1), 3);
  EXPECT_EQ(_strpos("abc", "a", 4), -1);
  EXPECT_EQ(_strpos("abc", "a", -1), -1);
  EXPECT_EQ(_strpos(nullptr, "a", 0), -1);
  EXPECT_EQ(_strpos("abc", nullptr, 0), -1);
}

TEST(StringFunctions, StrreplaceReplacesWholeWordStarts) {
  char out[32];
  EXPECT_EQ(_strreplace(out, " abab", "ab", "X", sizeof out), 3);
  EXPECT_STREQ(out, " XX");
  EXPECT_EQ(_strreplace(out, "aab", "ab", "X", sizeof out), 3);
  EXPECT_STREQ(out, "aab");
  _strreplace(out, "ab_ab ab.ab", "ab", "<>", sizeof out);
  EXPECT_STREQ(out, "<>_ab <>.<>");
  _strreplace(out, "abc", "", "X", sizeof out);
  EXPECT_STREQ(out, "abc");
  _strreplace(out, "abc", nullptr, "X", sizeof out);
  EXPECT_STREQ(out, "abc");
  EXPECT_EQ(_strreplace(out, "ab ab ab", "ab", "long", 8), 7);
  EXPECT_STREQ(out, "long lo");
  EXPECT_EQ(_strreplace(out, "abc", "b", "X", 0), 0);
  EXPECT_EQ(_strreplace(out, "abc", "b", "X", 1), 0);
  EXPECT_STREQ(out, "");

  Storage a;
  string s(a.bytes, 8);
  EXPECT_EQ(s.strreplace("x y x y", "x", "ab"), 6); // capacity - 2 characters
  expectText(s, "ab y a", a);
  EXPECT_EQ(s.strreplace(s.buffer, "a", "b"), 6); // own storage: refused
}

TEST(StringFunctions, Substrreplace) {
  char out[32];
  EXPECT_EQ(_substrreplace(out, "hello", "J", 0, 1, sizeof out), 5);
  EXPECT_STREQ(out, "Jello");
  _substrreplace(out, "hello", "XY", 2, 0, sizeof out);
  EXPECT_STREQ(out, "heXYllo");
  _substrreplace(out, "hello", "!", 3, 10, sizeof out);
  EXPECT_STREQ(out, "hel!");
  _substrreplace(out, "hello", "!", 5, 1, sizeof out);
  EXPECT_STREQ(out, "hello");
  _substrreplace(out, "hello", "!", -1, 1, sizeof out);
  EXPECT_STREQ(out, "hello");
  _substrreplace(out, "hello", "!", 1, -1, sizeof out);
  EXPECT_STREQ(out, "hello");
  // The output is always terminated inside size.
  std::memset(out, '#', sizeof out);
  EXPECT_EQ(_substrreplace(out, "hello", "ABC", 1, 1, 4), 3);
  EXPECT_STREQ(out, "hAB");
  EXPECT_EQ(out[4], '#');

  Storage a;
  string s(a.bytes, 8);
  EXPECT_EQ(s.substrreplace("hello world", "J", 0, 1), 7);
  expectText(s, "Jello w", a);
}

} // namespace
