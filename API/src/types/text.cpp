#include "types/text.h"

#include <climits>
#include <cstring>

#include "types/string.h"

namespace {

template <typename T> T clampValue(T value, T minimum, T maximum) {
  if (value < minimum)
    return minimum;
  if (value > maximum)
    return maximum;
  return value;
}

const char *skipBlanks(const char *p) {
  while (*p == ' ' || *p == '\t')
    ++p;
  return p;
}

// The end of every number reader: one closing quote, then spaces and tabs.
const char *finish(const char *p) {
  if (*p == '"')
    ++p;
  return skipBlanks(p);
}

// Decimal or 0x hexadecimal digits, accumulated in 32 bits with wrapping.
const char *readDigits(const char *p, std::uint32_t &value, bool &digits) {
  value = 0;
  digits = false;
  if (p[0] == '0' && (p[1] == 'x' || p[1] == 'X')) {
    for (p += 2; String::is_hexdigit(*p); ++p) {
      value = value * 16u + static_cast<std::uint32_t>(String::hexdigit(*p));
      digits = true;
    }
  } else {
    for (; String::is_digit(*p); ++p) {
      value = value * 10u + static_cast<std::uint32_t>(*p - '0');
      digits = true;
    }
  }
  return p;
}

} // namespace

const char *String::getint(const char *text, int *value, int minimum, int maximum, int fallback) {
  if (text == nullptr) {
    if (value != nullptr)
      *value = clampValue(fallback, minimum, maximum);
    return nullptr;
  }
  const char *p = text;
  if (*p == '"')
    ++p;
  const bool negative = *p == '-';
  if (negative)
    ++p;
  std::uint32_t digitsValue = 0;
  bool digits = false;
  p = readDigits(p, digitsValue, digits);
  if (value != nullptr) {
    std::uint32_t result = digits ? digitsValue : static_cast<std::uint32_t>(fallback);
    if (negative)
      result = 0u - result;
    *value = clampValue(static_cast<int>(result), minimum, maximum);
  }
  return finish(p);
}

int String::getint(const string *s, int *value, int minimum, int maximum, int fallback) {
  int result = 0;
  getint(s != nullptr && s->buffer != nullptr ? s->buffer : nullptr, &result, minimum, maximum,
         fallback);
  if (value != nullptr)
    *value = result;
  return result;
}

const char *String::getdword(const char *text, std::uint32_t *value, std::uint32_t minimum,
                             std::uint32_t maximum, std::uint32_t fallback) {
  if (text == nullptr) {
    if (value != nullptr)
      *value = clampValue(fallback, minimum, maximum);
    return nullptr;
  }
  const char *p = text;
  if (*p == '"')
    ++p;
  std::uint32_t digitsValue = 0;
  bool digits = false;
  p = readDigits(p, digitsValue, digits);
  if (value != nullptr)
    *value = clampValue(digits ? digitsValue : fallback, minimum, maximum);
  return finish(p);
}

namespace {
float clampReal(float value, float minimum, float maximum) {
  if (value < minimum)
    return minimum;
  return value < maximum ? value : maximum;
}
} // namespace

const char *String::getfloat(const char *text, float *value, float minimum, float maximum,
                             float fallback) {
  if (text == nullptr) {
    if (value != nullptr)
      *value = clampReal(fallback, minimum, maximum);
    return nullptr;
  }
  const char *p = text;
  if (*p == '"')
    ++p;
  const bool negative = *p == '-';
  if (negative)
    ++p;
  float sum = 0.0f;
  bool digits = false;
  for (; is_digit(*p); ++p) {
    sum = sum * 10.0f + static_cast<float>(*p - '0');
    digits = true;
  }
  if (*p == '.') {
    ++p;
    float factor = 0.1f;
    for (; is_digit(*p); ++p) {
      sum = sum + static_cast<float>(*p - '0') * factor;
      factor = factor * 0.1f;
      digits = true;
    }
  }
  if (value != nullptr) {
    float result = digits ? sum : fallback;
    if (negative)
      result = -result;
    *value = clampReal(result, minimum, maximum);
  }
  return finish(p);
}

const char *String::getreal(const char *text, float *value, float minimum, float maximum,
                            float fallback) {
  return getfloat(text, value, minimum, maximum, fallback);
}

float String::getfloat(const string *s, float *value, float minimum, float maximum,
                       float fallback) {
  float result = 0.0f;
  getfloat(s != nullptr && s->buffer != nullptr ? s->buffer : nullptr, &result, minimum, maximum,
           fallback);
  if (value != nullptr)
    *value = result;
  return result;
}

const char *String::getip(const char *text, std::uint32_t *address) {
  if (text == nullptr) {
    if (address != nullptr)
      *address = 0;
    return nullptr;
  }
  const char *p = skipBlanks(text);
  if (*p == '"')
    ++p;
  std::uint32_t result = 0;
  for (int part = 0; part < 4; ++part) {
    int number = 0;
    p = getint(p, &number, INT_MIN, INT_MAX, 0);
    result |= static_cast<std::uint32_t>(clampValue(number, 0, 255)) << (24 - 8 * part);
    if (part == 3 || *p != '.')
      break;
    ++p;
  }
  if (address != nullptr)
    *address = result;
  if (*p == '"')
    ++p;
  return p;
}

namespace {

// One part of an exact address: 0, or 1 to 3 digits without a leading zero,
// at most 255. Null when the text does not start with one.
const char *readAddressPart(const char *p, std::uint32_t &part) {
  if (!String::is_digit(*p) || (p[0] == '0' && String::is_digit(p[1])))
    return nullptr;
  part = 0;
  // A fourth digit already makes the part too large; reading stops there.
  for (int digits = 0; digits < 4 && String::is_digit(*p); ++digits, ++p)
    part = part * 10u + static_cast<std::uint32_t>(*p - '0');
  return part <= 255 ? p : nullptr;
}

} // namespace

int String::getexactip(const char *text, std::uint32_t *address) {
  std::uint32_t result = 0;
  const char *p = text;
  for (int part = 0; p != nullptr && part < 4; ++part) {
    if (part > 0)
      p = *p == '.' ? p + 1 : nullptr;
    std::uint32_t value = 0;
    if (p != nullptr)
      p = readAddressPart(p, value);
    result = result << 8 | value;
  }
  const bool exact = p != nullptr && *p == 0;
  if (address != nullptr)
    *address = exact ? result : 0;
  return exact ? 1 : 0;
}

namespace {

// The vector readers: values separated by an optional ',' and blanks.
template <typename T, typename Reader>
const char *readVector(const char *text, T *array, int *count, int maxcount, Reader read) {
  if (count != nullptr)
    *count = 0;
  int read_count = 0;
  const char *p = text;
  while (p != nullptr && *p != 0 && read_count < maxcount) {
    const char *next = read(p, array != nullptr ? array + read_count : nullptr);
    if (next == p)
      break;
    ++read_count;
    if (count != nullptr)
      *count = read_count;
    p = next;
    if (*p == ',')
      ++p;
    p = skipBlanks(p);
  }
  return p;
}

} // namespace

const char *String::getintvector(const char *text, int *array, int *count, int maxcount,
                                 int minimum, int maximum, int fallback) {
  return readVector(text, array, count, maxcount, [&](const char *p, int *slot) {
    return getint(p, slot, minimum, maximum, fallback);
  });
}

const char *String::getdwordvector(const char *text, std::uint32_t *array, int *count, int maxcount,
                                   std::uint32_t minimum, std::uint32_t maximum,
                                   std::uint32_t fallback) {
  return readVector(text, array, count, maxcount, [&](const char *p, std::uint32_t *slot) {
    return getdword(p, slot, minimum, maximum, fallback);
  });
}

const char *String::getrealvector(const char *text, float *array, int *count, int maxcount,
                                  float minimum, float maximum, float fallback) {
  return readVector(text, array, count, maxcount, [&](const char *p, float *slot) {
    return getfloat(p, slot, minimum, maximum, fallback);
  });
}

const char *String::skipspace(const char *text) {
  return text != nullptr ? skipBlanks(text) : nullptr;
}

const char *String::endofline(const char *text) {
  if (text == nullptr)
    return nullptr;
  while (*text != 0 && *text != '\n')
    ++text;
  return text;
}

const char *String::skipline(const char *text) {
  const char *p = endofline(text);
  if (p != nullptr && *p == '\n') {
    ++p;
    if (*p == '\r')
      ++p;
  }
  return p;
}

int String::strlen(const char *text) {
  return text != nullptr ? static_cast<int>(std::strlen(text)) : 0;
}

char *String::strcpy(char *destination, const char *source) {
  if (destination != nullptr && source != nullptr)
    std::strcpy(destination, source);
  return destination;
}

int String::is_digit(int c) {
  return c >= '0' && c <= '9';
}

int String::is_hexdigit(int c) {
  return is_digit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

int String::is_letter(int c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

int String::hexdigit(int c) {
  if (is_digit(c))
    return c - '0';
  if (c >= 'a' && c <= 'f')
    return c - 'a' + 10;
  if (c >= 'A' && c <= 'F')
    return c - 'A' + 10;
  return 0;
}

int String::uppercase(int c) {
  return c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c;
}

void String::autoincrement(string *s, int addspace) {
  if (s == nullptr || s->buffer == nullptr || s->capacity <= 0)
    return;
  const int end = s->length < s->capacity ? s->length : s->capacity - 1;
  std::uint32_t number = 2;
  int position = 0;
  int span = 1;
  if (end > 0 && is_digit(s->buffer[end - 1])) {
    int start = end;
    while (start > 0 && is_digit(s->buffer[start - 1]))
      --start;
    std::uint32_t value = 0;
    for (int i = start; i < end; ++i)
      value = value * 10u + static_cast<std::uint32_t>(s->buffer[i] - '0');
    number = value + 1u;
    position = start;
    span = end - start + 1;
  } else {
    if (addspace != 0 && s->length + 1 < s->capacity)
      s->putc(' ');
    position = s->length;
  }
  char storage[16];
  string text(storage, sizeof storage);
  text.printf("%d", static_cast<int>(number));
  if (position + span > s->capacity)
    position = s->capacity - span;
  s->strdelete(position, span);
  s->strinsert(position, storage, -1);
}

int _strsort(const char *a, const char *b) {
  if (a == nullptr)
    a = "";
  if (b == nullptr)
    b = "";
  for (;;) {
    if (*a == 0 || *b == 0) {
      if (*a == *b)
        return 0;
      return *a == 0 ? -1 : 1;
    }
    if (String::is_digit(*a) && String::is_digit(*b)) {
      std::uint32_t x = 0, y = 0;
      int runA = 0, runB = 0;
      for (; String::is_digit(*a); ++a, ++runA)
        x = x * 10u + static_cast<std::uint32_t>(*a - '0');
      for (; String::is_digit(*b); ++b, ++runB)
        y = y * 10u + static_cast<std::uint32_t>(*b - '0');
      if (x != y)
        return x < y ? -1 : 1;
      if (runA != runB)
        return runA < runB ? -1 : 1;
      continue;
    }
    const auto foldedA = static_cast<signed char>(String::uppercase(*a));
    const auto foldedB = static_cast<signed char>(String::uppercase(*b));
    if (foldedA != foldedB)
      return foldedA < foldedB ? -1 : 1;
    const auto rawA = static_cast<signed char>(*a);
    const auto rawB = static_cast<signed char>(*b);
    if (rawA != rawB)
      return rawA < rawB ? -1 : 1;
    ++a;
    ++b;
  }
}
