// Byte order helpers. Every platform the kit builds for is little-endian.
#ifndef EXT_BYTEORDER_H
#define EXT_BYTEORDER_H

/// A four-character code written as a multi-character literal ('TEXT'): on
/// a little-endian machine the literal's value is the code.
#ifndef FOUR_CHAR_CODE
#define FOUR_CHAR_CODE(x) (x)
#endif

#endif
