#include "types/string.h"

#include <algorithm>
#include <climits>
#include <cstdarg>
#include <cstdint>
#include <functional>

namespace {

int roundDown4(int size) {
  return size > 0 ? size & ~3 : 0;
}

// Length of s, but at most limit (s may lack a terminator past the limit).
int boundedLength(const char *s, int limit) {
  if (s == nullptr || limit <= 0)
    return 0;
  return static_cast<int>(strnlen(s, static_cast<std::size_t>(limit)));
}

// "%d.%d.%d.%d" of the four bytes of ip, most significant first, without
// going through the formatter: it is the scan results' and target's path.
int dotted(std::uint32_t ip, char *out) {
  int n = 0;
  for (int shift = 24; shift >= 0; shift -= 8) {
    const unsigned int byte = (ip >> shift) & 0xFF;
    if (byte >= 100)
      out[n++] = static_cast<char>('0' + byte / 100);
    if (byte >= 10)
      out[n++] = static_cast<char>('0' + byte / 10 % 10);
    out[n++] = static_cast<char>('0' + byte % 10);
    if (shift > 0)
      out[n++] = '.';
  }
  out[n] = 0;
  return n;
}

// Formats into the scratch area; a text beyond it is cut at its last byte.
struct Formatted {
  char text[string::scratch_size];
  Formatted(const char *format, va_list arguments) {
    text[0] = 0;
    if (format != nullptr && std::vsnprintf(text, sizeof text, format, arguments) < 0)
      text[0] = 0;
  }
};

} // namespace

string::string() : buffer(nullptr), capacity(0), length(0) {}

string::string(char *storage, int size)
    : buffer(storage), capacity(std::max(roundDown4(size), 4)), length(0) {
  if (buffer != nullptr)
    std::memset(buffer, 0, 4);
}

string::string(char *text, int size, int length)
    : buffer(text), capacity(roundDown4(size)), length(text != nullptr ? std::max(length, 0) : 0) {}

int string::setbuffer(char *text, int textLength) {
  buffer = text;
  length = text != nullptr ? std::max(textLength, 0) : 0;
  capacity = text != nullptr ? roundDown4(std::min(length, INT_MAX - 4) + 4) : 0;
  return capacity;
}

int string::setbuffer(char *storage, int size, int textLength) {
  buffer = storage;
  capacity = storage != nullptr ? std::max(size, 0) : 0;
  length = 0;
  if (!writable())
    return length;
  return terminate(textLength);
}

int string::setlength(int n) {
  return writable() ? terminate(n) : length;
}

// Sets the length (clamped to the storage), writes the terminator and zeroes
// the padding up to the next multiple of four, never at or past capacity.
int string::terminate(int n) {
  length = std::clamp(n, 0, capacity - 1);
  const int end = std::min((length / 4 + 1) * 4, capacity);
  std::memset(buffer + length, 0, static_cast<std::size_t>(end - length));
  return length;
}

void string::clear() {
  length = 0;
  if (buffer != nullptr && capacity > 0)
    std::memset(buffer, 0, static_cast<std::size_t>(std::min(capacity, 4)));
}

// Sources may lie in this string's own storage, hence memmove.
int string::replaceBytes(const char *s, int count) {
  if (!writable())
    return length;
  count = std::clamp(count, 0, capacity - 1);
  if (count > 0)
    std::memmove(buffer, s, static_cast<std::size_t>(count));
  return terminate(count);
}

int string::appendBytes(const char *s, int count) {
  if (!writable())
    return length;
  const int start = std::clamp(length, 0, capacity - 1);
  count = std::clamp(count, 0, capacity - 1 - start);
  if (count > 0)
    std::memmove(buffer + start, s, static_cast<std::size_t>(count));
  return terminate(start + count);
}

int string::replaceText(const char *s, int n) {
  if (!writable())
    return length;
  return replaceBytes(s, boundedLength(s, std::min(n, capacity - 1)));
}

int string::appendText(const char *s, int n) {
  if (!writable())
    return length;
  const int room = capacity - 1 - std::clamp(length, 0, capacity - 1);
  return appendBytes(s, boundedLength(s, std::min(n, room)));
}

bool string::overlaps(const char *s) const {
  if (s == nullptr || buffer == nullptr)
    return false;
  const std::less_equal<const char *> notAfter;
  return notAfter(buffer, s) && !notAfter(buffer + capacity, s);
}

int string::strcpy(const char *s) {
  return replaceText(s, INT_MAX);
}
int string::strcat(const char *s) {
  return appendText(s, INT_MAX);
}
int string::strncpy(const char *s, int n) {
  return replaceText(s, std::max(n, 0));
}
int string::strncat(const char *s, int n) {
  return appendText(s, std::max(n, 0));
}

int string::strcpy(const string *s) {
  return strncpy(s, INT_MAX);
}

int string::strncpy(const string *s, int n) {
  if (s == nullptr || s->buffer == nullptr) {
    clear();
    return 0;
  }
  return replaceBytes(s->buffer, std::min(std::max(s->length, 0), std::max(n, 0)));
}

int string::strcat(const string *s) {
  return strncat(s, INT_MAX);
}

int string::strncat(const string *s, int n) {
  if (s == nullptr || s->buffer == nullptr)
    return length;
  return appendBytes(s->buffer, std::min(std::max(s->length, 0), std::max(n, 0)));
}

void string::substr(const string *s, int start, int count) {
  if (s == nullptr || s->buffer == nullptr || start < 0 || start >= s->length) {
    clear();
    return;
  }
  const long long end =
      count < 0 ? s->length : std::min<long long>(static_cast<long long>(start) + count, s->length);
  if (end <= start) {
    clear();
    return;
  }
  // Copied before anything is cleared: s may be this string.
  replaceBytes(s->buffer + start, static_cast<int>(end - start));
}

int string::printf(const char *format, ...) {
  if (!writable())
    return length;
  va_list arguments;
  va_start(arguments, format);
  const Formatted result(format, arguments);
  va_end(arguments);
  return strcpy(result.text);
}

int string::catf(const char *format, ...) {
  if (!writable())
    return length;
  va_list arguments;
  va_start(arguments, format);
  const Formatted result(format, arguments);
  va_end(arguments);
  return strcat(result.text);
}

int string::putip(std::uint32_t ip) {
  char text[16];
  return replaceBytes(text, dotted(ip, text));
}

int string::catip(std::uint32_t ip) {
  char text[16];
  return appendBytes(text, dotted(ip, text));
}

int string::putmac(std::uint32_t high, std::uint32_t low) {
  return printf("%02X:%02X:%02X:%02X:%02X:%02X", high >> 24, (high >> 16) & 0xFF,
                (high >> 8) & 0xFF, high & 0xFF, (low >> 8) & 0xFF, low & 0xFF);
}

int string::catmac(std::uint32_t high, std::uint32_t low) {
  return catf("%02X:%02X:%02X:%02X:%02X:%02X", high >> 24, (high >> 16) & 0xFF, (high >> 8) & 0xFF,
              high & 0xFF, (low >> 8) & 0xFF, low & 0xFF);
}

void string::catreal(double x) {
  if (!writable())
    return;
  const int old = std::clamp(length, 0, capacity - 1);
  catf("%f", x);
  int end = length;
  while (end > old && buffer[end - 1] == '0')
    --end;
  for (int i = end - 1; i >= old; --i) {
    if (buffer[i] == '.') {
      if (end - 1 == i)
        --end;
      terminate(end);
      return;
    }
  }
}

void string::putreal(double x) {
  clear();
  catreal(x);
}

const char *string::getword(const char *src, const char *delimiters) {
  if (!writable())
    return src;
  clear();
  if (src == nullptr)
    return nullptr;
  if (delimiters == nullptr)
    delimiters = " \t\n";
  const int room = capacity - 1;
  int stored = 0;
  const char *p = src;
  if (*p == '"' || *p == '\'') {
    const char quote = *p++;
    for (; *p != 0 && *p != quote; ++p)
      if (stored < room)
        buffer[stored++] = *p;
    if (*p == quote)
      ++p;
  } else {
    for (; *p != 0 && std::strchr(delimiters, *p) == nullptr; ++p)
      if (stored < room)
        buffer[stored++] = *p;
  }
  terminate(stored);
  while (*p == ' ' || *p == '\t')
    ++p;
  return p;
}

int string::putc(int c) {
  if (!writable() || length < 0 || length + 1 >= capacity)
    return length;
  buffer[length] = static_cast<char>(c);
  return terminate(length + 1);
}

int string::unputc() {
  if (!writable() || length <= 0)
    return 0;
  const int last = std::min(length, capacity - 1) - 1;
  if (last < 0)
    return 0;
  const int c = static_cast<unsigned char>(buffer[last]);
  terminate(last);
  return c;
}

int string::strdelete(int pos, int count) {
  if (!writable())
    return length;
  const int size = std::clamp(length, 0, capacity - 1);
  const long long from = std::max<long long>(pos, 0);
  const long long to = std::min<long long>(static_cast<long long>(pos) + count, size);
  if (to <= from)
    return length;
  std::memmove(buffer + from, buffer + to, static_cast<std::size_t>(size - to));
  return terminate(static_cast<int>(size - (to - from)));
}

int string::strinsert(int pos, const char *text, int n) {
  if (!writable() || text == nullptr)
    return length;
  const int size = std::clamp(length, 0, capacity - 1);
  int count = boundedLength(text, n < 0 ? INT_MAX : n);
  if (pos < 0) {
    if (-static_cast<long long>(pos) >= count)
      return length;
    text += -pos;
    count += pos;
    pos = 0;
  }
  pos = std::min(pos, size);
  count = std::min(count, capacity - 1 - size);
  if (count <= 0)
    return length;
  // Append, then rotate into place: text may lie in this string's storage,
  // and no scratch copy is needed.
  std::memmove(buffer + size, text, static_cast<std::size_t>(count));
  std::rotate(buffer + pos, buffer + size, buffer + size + count);
  return terminate(size + count);
}

int string::remove_endspace() {
  if (!writable())
    return length;
  int end = std::clamp(length, 0, capacity - 1);
  while (end > 0 && buffer[end - 1] == ' ')
    --end;
  return terminate(end);
}

int string::strchr(int c, int from) const {
  if (buffer == nullptr)
    return -1;
  for (int i = std::max(from, 0); i < length; ++i)
    if (buffer[i] == static_cast<char>(c))
      return i;
  return -1;
}

int string::strrchr(int c, int from) const {
  if (buffer == nullptr || length <= 0 || from < -1)
    return -1;
  if (from == -1 || from >= length)
    from = length - 1;
  for (int i = from; i >= 0; --i)
    if (buffer[i] == static_cast<char>(c))
      return i;
  return -1;
}

int string::strpbrk(const char *set) const {
  if (buffer == nullptr || set == nullptr || *set == 0)
    return -1;
  for (int i = 0; i < length && buffer[i] != 0; ++i)
    if (std::strchr(set, buffer[i]) != nullptr)
      return i;
  return -1;
}

namespace {
// strcmp over a text of known length, never reading past it.
int compare(const char *a, int lengthA, const char *b, int lengthB) {
  for (int i = 0;; ++i) {
    const int x = i < lengthA ? static_cast<unsigned char>(a[i]) : 0;
    const int y = i < lengthB ? static_cast<unsigned char>(b[i]) : 0;
    if (x != y)
      return x - y;
    if (x == 0)
      return 0;
  }
}
} // namespace

int string::strcmp(const char *s) const {
  if (buffer == nullptr)
    return length;
  return compare(buffer, length, s != nullptr ? s : "", INT_MAX);
}

int string::strcmp(const string *s) const {
  if (buffer == nullptr)
    return length;
  if (s == nullptr || s->buffer == nullptr)
    return compare(buffer, length, "", 0);
  return compare(buffer, length, s->buffer, s->length);
}

int string::strpos(const char *find, int start) const {
  if (buffer == nullptr)
    return -1;
  return _strpos(buffer, find, start);
}

int string::strreplace(const char *source, const char *find, const char *replacement) {
  if (!writable() || overlaps(source))
    return length;
  return terminate(_strreplace(buffer, source, find, replacement, capacity - 1));
}

int string::substrreplace(const char *source, const char *replacement, int pos, int count) {
  if (!writable())
    return 0;
  if (overlaps(source))
    return length;
  return terminate(_substrreplace(buffer, source, replacement, pos, count, capacity));
}

namespace {
bool isWordCharacter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
}
} // namespace

int _strreplace(char *destination, const char *source, const char *find, const char *replacement,
                int size) {
  if (destination == nullptr || size <= 0)
    return 0;
  if (source == nullptr)
    source = "";
  if (replacement == nullptr)
    replacement = "";
  const std::size_t findLength = find != nullptr ? std::strlen(find) : 0;
  const int limit = size - 1;
  int written = 0;
  bool afterReplacement = false;
  for (int i = 0; source[i] != 0 && written < limit;) {
    const bool boundary = i == 0 || afterReplacement || !isWordCharacter(source[i - 1]);
    if (findLength > 0 && boundary && std::strncmp(source + i, find, findLength) == 0) {
      for (const char *r = replacement; *r != 0 && written < limit; ++r)
        destination[written++] = *r;
      i += static_cast<int>(findLength);
      afterReplacement = true;
    } else {
      destination[written++] = source[i++];
      afterReplacement = false;
    }
  }
  destination[written] = 0;
  return written;
}

int _strpos(const char *text, const char *find, int start) {
  if (text == nullptr || find == nullptr || start < 0)
    return -1;
  const std::size_t textLength = std::strlen(text);
  if (static_cast<std::size_t>(start) > textLength)
    return -1;
  if (*find == 0)
    return static_cast<int>(textLength);
  const char *found = std::strstr(text + start, find);
  return found != nullptr ? static_cast<int>(found - text) : -1;
}

int _substrreplace(char *destination, const char *source, const char *replacement, int pos,
                   int count, int size) {
  if (destination == nullptr || size <= 0)
    return 0;
  if (source == nullptr)
    source = "";
  if (replacement == nullptr)
    replacement = "";
  const int limit = size - 1;
  const long long sourceLength = static_cast<long long>(std::strlen(source));
  int written = 0;
  auto put = [&](const char *from, long long n) {
    for (long long i = 0; i < n && from[i] != 0 && written < limit; ++i)
      destination[written++] = from[i];
  };
  if (pos < 0 || pos >= sourceLength || count < 0) {
    put(source, sourceLength);
  } else {
    put(source, pos);
    put(replacement, LLONG_MAX);
    const long long after = std::min(static_cast<long long>(pos) + count, sourceLength);
    put(source + after, sourceLength - after);
  }
  destination[written] = 0;
  return written;
}
