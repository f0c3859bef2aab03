// Bounded string copies for objects, such as the hint an assist method
// writes. Both always end the text with a zero byte inside the buffer.
//
// Threads: any thread.
#ifndef EXT_STRINGS_H
#define EXT_STRINGS_H

#include <stddef.h>

#include "ext_prefix.h"

BEGIN_USING_C_LINKAGE

/// Copies `src` into `dst`, which holds `size` chars, cutting it to size - 1
/// chars. Returns `dst`; a `size` below 1 writes nothing.
C74_API char *strncpy_zero(char *dst, const char *src, long size);
/// vsnprintf into `buffer` of `count` chars. Returns what vsnprintf returns:
/// the length of the whole text, or a negative value on a format error.
C74_API int snprintf_zero(char *buffer, size_t count, const char *format, ...);

END_USING_C_LINKAGE

#endif
