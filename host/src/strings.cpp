// Bounded string copies (ext_strings.h).
#include "ext.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

char *strncpy_zero(char *dst, const char *src, long size) {
  if (!dst || size < 1)
    return dst;
  std::size_t length = 0;
  if (src) {
    length = strnlen(src, static_cast<std::size_t>(size - 1));
    std::memcpy(dst, src, length);
  }
  dst[length] = 0;
  return dst;
}

int snprintf_zero(char *buffer, size_t count, const char *format, ...) {
  std::va_list args;
  va_start(args, format);
  const int length = std::vsnprintf(buffer, count, format, args);
  va_end(args);
  if (buffer && count > 0 && length < 0)
    buffer[0] = 0;
  return length;
}
