// The support library's text buffer: a small value type that manages a text
// inside storage owned by somebody else (a stack array, a record field, a
// static buffer). It never allocates. Every writing operation cuts the text at
// the storage's capacity without reporting it, keeps the text terminated by a
// zero byte and keeps the bytes after the text zero up to the next multiple of
// four bytes (never at or past the capacity). A caller that needs to know
// whether a text was cut compares lengths.
//
// Storage handed to a string must be at least four bytes long. A string
// without storage (buffer null or capacity 0) ignores every write: each
// writing operation returns the current length and changes nothing.
//
// Thread rules: a string belongs to one thread at a time.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstring>

#if defined(__MINGW32__)
#define STRING_FORMAT(f, a) __attribute__((format(gnu_printf, f, a)))
#elif defined(__GNUC__)
#define STRING_FORMAT(f, a) __attribute__((format(printf, f, a)))
#else
#define STRING_FORMAT(f, a)
#endif

class string {
public:
  char *buffer; // the storage, not owned; null for a string without storage
  int capacity; // usable bytes of the storage, terminator and padding included
  int length;   // characters in the text, terminator excluded

  // Formatted texts are built in a scratch area of this many bytes: printf,
  // catf and the operations built on them keep at most 1023 characters of a
  // formatted text.
  static constexpr int scratch_size = 1024;

  // No storage.
  string();
  // An empty string over writable storage: capacity is size rounded down to
  // a multiple of 4, but at least 4; the first four bytes are zeroed.
  string(char *storage, int size);
  // Wraps an existing text of length characters without writing to it:
  // capacity is size rounded down to a multiple of 4.
  string(char *text, int size, int length);

  // Wraps an existing text of length characters without writing to it;
  // capacity becomes the smallest multiple of 4 above length, which is
  // returned. The storage must reach that far for later writes.
  int setbuffer(char *text, int length);
  // Adopts storage of size bytes that already holds length characters
  // (clamped to 0 … size - 1), then terminates and pads. Returns the length.
  int setbuffer(char *storage, int size, int length);
  // Sets the length to n clamped to 0 … capacity - 1, then terminates and
  // pads. Returns the new length.
  int setlength(int n);

  // Empties the string.
  void clear();

  // Unless said otherwise the operations below return the new length, and a
  // null text counts as an empty text.

  // The text becomes the first min(strlen(s), capacity - 1) characters of s.
  int strcpy(const char *s);
  // Appends as much of s as fits.
  int strcat(const char *s);
  // Like strcpy and strcat, taking at most n characters of s (none when n is
  // 0 or less).
  int strncpy(const char *s, int n);
  int strncat(const char *s, int n);

  // Copies the text of another string (at most capacity - 1 characters). A
  // null s or one without storage empties this string and returns 0.
  int strcpy(const string *s);
  int strncpy(const string *s, int n);
  // Appends the text of another string as far as it fits; a null s or one
  // without storage changes nothing.
  int strcat(const string *s);
  int strncat(const string *s, int n);

  // Empties this string, then copies count characters of s from start (a
  // negative count: up to the end of s), cut at the end of s and at this
  // string's capacity. A null s or a negative start leaves it empty.
  void substr(const string *s, int start, int count);

  // Formats with the C library's printf rules into a scratch area and
  // replaces (printf) or extends (catf) the text with the result.
  int printf(const char *format, ...) STRING_FORMAT(2, 3);
  int catf(const char *format, ...) STRING_FORMAT(2, 3);

  // The IPv4 address ip (host byte order) as "%d.%d.%d.%d", most significant
  // byte first: 0xC0A80105 gives "192.168.1.5". putip replaces the text,
  // catip appends.
  int putip(std::uint32_t ip);
  int catip(std::uint32_t ip);
  // A hardware address as "%02X:%02X:%02X:%02X:%02X:%02X": the four bytes of
  // high from the most significant down, then the two low bytes of low, high
  // byte first (0x0012AB34, 0x56CD give "00:12:AB:34:56:CD").
  int putmac(std::uint32_t high, std::uint32_t low);
  int catmac(std::uint32_t high, std::uint32_t low);
  // Appends x as "%f" with the trailing zeros of the decimals removed, and the
  // point too when no decimal is left: 2.5, 3, 0, -0.25, 100, inf, nan.
  void catreal(double x);
  // clear, then catreal.
  void putreal(double x);

  // Reads one word from src into the string and returns the position in src
  // after it. The word runs up to the first character of delimiters (null:
  // space, tab and line feed) or the end of src; a word that begins with a
  // double or single quote runs to the matching quote (consumed, not stored)
  // or to the end of src, across delimiters. Leading delimiters are not
  // skipped (the word is then empty) and a delimiter ending the word is not
  // consumed. Characters beyond the capacity are consumed but not stored.
  // Spaces and tabs after the word are skipped. Without storage src is
  // returned unchanged; a null src empties the string and returns null.
  const char *getword(const char *src, const char *delimiters = nullptr);

  // Appends c when there is room; returns the new length.
  int putc(int c);
  // Removes and returns the last character; 0 when the string is empty.
  int unputc();
  // Removes the characters at positions pos … pos + count - 1 that exist.
  int strdelete(int pos, int count);
  // Inserts the first n characters of text at pos (n negative: all of text).
  // A negative pos skips that many leading characters of text and inserts at
  // 0; a pos at or after the end appends. The count inserted is cut so that
  // the text stays within capacity - 1 characters.
  int strinsert(int pos, const char *text, int n);
  // Removes trailing space characters (tabs are kept).
  int remove_endspace();

  // Searches (read-only). Positions are indexes into the text; -1 means not
  // found.
  // First c at or after from (a negative from counts as 0).
  int strchr(int c, int from = 0) const;
  // Last c at or before from (from -1 or beyond the end: the last character);
  // position 0 is examined too. A from below -1 yields -1.
  int strrchr(int c, int from = -1) const;
  // First character of the text that occurs in set; -1 for a null or empty
  // set or a string without storage.
  int strpbrk(const char *set) const;
  // Byte-wise comparison (negative, 0, positive); a null s counts as empty. A
  // string without storage returns its length.
  int strcmp(const char *s) const;
  int strcmp(const string *s) const;
  // _strpos over the text; -1 for a string without storage.
  int strpos(const char *find, int start = 0) const;

  // The text becomes _strreplace of source (at most capacity - 2
  // characters). source must not lie in this string's own storage.
  int strreplace(const char *source, const char *find, const char *replacement);
  // The text becomes _substrreplace of source (at most capacity - 1
  // characters); 0 for a string without storage. source must not lie in this
  // string's own storage.
  int substrreplace(const char *source, const char *replacement, int pos, int count);

private:
  bool writable() const { return buffer != nullptr && capacity > 0; }
  int terminate(int n);
  int replaceBytes(const char *s, int count);
  int appendBytes(const char *s, int count);
  int replaceText(const char *s, int n);
  int appendText(const char *s, int n);
  bool overlaps(const char *s) const;
};

// Copies source into destination and replaces every occurrence of find that
// does not follow a letter, digit or '_' by replacement; back-to-back
// occurrences after such a boundary are all replaced (" abab" with "ab" and
// "X" gives " XX", "aab" stays "aab"). An empty or null find replaces nothing.
// Writes at most size - 1 characters and a terminating zero when size > 0;
// returns the number of characters written.
int _strreplace(char *destination, const char *source, const char *find, const char *replacement,
                int size);

// Position of the first occurrence of find in text that begins at or after
// start, else -1. An empty find is found at the end of the text. A start
// outside 0 … strlen(text), or a null text or find, yields -1.
int _strpos(const char *text, const char *find, int start);

// Copies source into destination with the count characters from pos replaced
// by replacement (count 0 inserts before pos; a span reaching the end of
// source ends the output with the replacement). A pos that is negative or at
// or beyond the end of source, or a negative count, leaves the copy
// unchanged. Writes at most size - 1 characters and a terminating zero when
// size > 0; returns the number of characters written.
int _substrreplace(char *destination, const char *source, const char *replacement, int pos,
                   int count, int size);
