// Text readers of the support library: values read out of zero-terminated
// texts (integers, reals, dotted IPv4 addresses, comma-separated vectors),
// stepping over spaces and lines, ASCII character classes, and the
// natural-order comparison _strsort.
//
// The number readers share one shape: text, pointer for the result (may be
// null: the value is then only stepped over), minimum, maximum, default. They
// write the value clamped into the range (below the minimum gives the
// minimum, else above the maximum gives the maximum), the default (clamped)
// when the text holds no digits, and return the position after the value and
// the spaces and tabs that follow it, so that calls chain along a text.
// Nothing is skipped before a value except one double quote, and one double
// quote after it. Integer digits accumulate in 32 bits and wrap (unsigned
// arithmetic). A null text returns null.
//
// Thread rules: every function is pure apart from its output pointers (and
// autoincrement's string) and may run on any thread.
#pragma once

#include <cstdint>

class string;

class String {
public:
  // A dotted IPv4 address: up to four numbers separated by '.', each read as
  // by getint (decimal or 0x hexadecimal) and clamped to 0 … 255; missing parts
  // are 0. Spaces, tabs and one double quote are skipped before, one double
  // quote after. Writes the address in host byte order (first number in the
  // most significant byte; 0 when the text holds no digits or is null).
  // Returns the position after it, null for a null text. For reading along a
  // text: its clamping makes a mistyped address another machine's, so an
  // address that names where to send is read with getexactip.
  static const char *getip(const char *text, std::uint32_t *address);

  // A whole text that is exactly a dotted IPv4 address: four decimal numbers
  // of 0 … 255 separated by '.', with nothing before, between or after them
  // (no blanks, quotes, signs or 0x) and no leading zeros (other readers take
  // "010" for octal 8). Returns 1 and writes the address in host byte order;
  // returns 0 and writes 0 for any other text, a null text included.
  static int getexactip(const char *text, std::uint32_t *address);

  // A signed integer: optional '-', then decimal digits or 0x/0X and
  // hexadecimal digits. The sign applies to the default too.
  static const char *getint(const char *text, int *value, int minimum, int maximum, int fallback);
  // The same over a string's text; returns the value (also written through
  // value when it is not null). A null string reads as a null text.
  static int getint(const string *s, int *value, int minimum, int maximum, int fallback);

  // An unsigned decimal or 0x hexadecimal integer; no sign.
  static const char *getdword(const char *text, std::uint32_t *value, std::uint32_t minimum,
                              std::uint32_t maximum, std::uint32_t fallback);

  // A decimal real with an optional '-' and fraction, no exponent, computed in
  // single precision. getreal is the same function.
  static const char *getfloat(const char *text, float *value, float minimum, float maximum,
                              float fallback);
  static const char *getreal(const char *text, float *value, float minimum, float maximum,
                             float fallback);
  static float getfloat(const string *s, float *value, float minimum, float maximum,
                        float fallback);

  // Up to maxcount values separated by optional ',' and spaces, each read
  // with the matching reader into array[0 …] (nothing is stored when array is
  // null). *count (when not null) becomes the number read. Stops at the end of
  // the text, at maxcount, or at a value that consumes nothing. Returns the
  // position reached.
  static const char *getintvector(const char *text, int *array, int *count, int maxcount,
                                  int minimum, int maximum, int fallback);
  static const char *getdwordvector(const char *text, std::uint32_t *array, int *count,
                                    int maxcount, std::uint32_t minimum, std::uint32_t maximum,
                                    std::uint32_t fallback);
  static const char *getrealvector(const char *text, float *array, int *count, int maxcount,
                                   float minimum, float maximum, float fallback);

  // First character that is neither space nor tab.
  static const char *skipspace(const char *text);
  // The first line feed or the terminating zero.
  static const char *endofline(const char *text);
  // The start of the next line: after the first line feed (and a carriage
  // return directly after it), or the terminating zero.
  static const char *skipline(const char *text);

  // As the C library's functions; a null text has length 0, a null source
  // or destination copies nothing.
  static int strlen(const char *text);
  static char *strcpy(char *destination, const char *source);

  // ASCII classes: 1 or 0.
  static int is_digit(int c);
  static int is_hexdigit(int c);
  static int is_letter(int c);
  // Value of a hexadecimal digit, 0 … 15; 0 for any other character.
  static int hexdigit(int c);
  // 'a' … 'z' in upper case; every other character unchanged.
  static int uppercase(int c);

  // Numbers a name: a trailing run of digits N becomes N + 1 ("take9" gives
  // "take10"); a name without one gets 2 appended ("name2", or "name 2" when
  // addspace is not 0 and there is room). Cut at the capacity. A null string is
  // left alone.
  static void autoincrement(string *s, int addspace);
};

// Natural-order comparison for sorting: runs of digits compare as numbers
// (equal numbers: the shorter run first, "a1" before "a01"), other characters
// case-insensitively first ("Apple" before "banana") and then upper case
// before lower case ("Apple" before "apple"); bytes from 128 up sort before
// ASCII; a text that is a prefix of the other sorts first. Returns -1, 0 or 1.
// Null counts as an empty text.
int _strsort(const char *a, const char *b);
