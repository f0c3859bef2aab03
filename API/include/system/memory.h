// Memory of the support library: the system allocator behind a small
// interface that reports failure by a null result and never throws.
//
// Thread rules: every operation may be called from any thread at any time.
#pragma once

#include <cstddef>

class Memory {
public:
  // A new uninitialised block of size bytes from the system allocator, or
  // null when no memory is left or size is negative. Alloc(0) gives a
  // unique block that may be freed like any other.
  static void *Alloc(int size);

  // Releases a block from Alloc (or from a MemoryObject allocation).
  // Null is ignored.
  static void Free(void *block);

  // Fills length bytes at destination with the low byte of fill and returns
  // destination. A null destination or a length of 0 or less writes nothing.
  static void *Set(void *destination, int fill, int length);

  // Copies length bytes from source to destination (the areas must not
  // overlap) and returns destination. Null pointers or a length of 0 or less
  // copy nothing.
  static void *Copy(void *destination, const void *source, int length);
};

// The library's allocation operators. A class that derives from MemoryObject
// is allocated by `new` through Memory::Alloc and released by `delete`
// through Memory::Free. The operators are non-throwing: a `new` expression
// of such a class yields null when the memory cannot be had (also for a
// size the allocator cannot express), so callers test the result. They are
// class members rather than replacements of the global operators, so that
// the host process and other code linked beside the library keep their own
// allocation rules.
struct MemoryObject {
  static void *operator new(std::size_t size) noexcept;
  static void *operator new[](std::size_t size) noexcept;
  static void operator delete(void *block) noexcept;
  static void operator delete[](void *block) noexcept;
};
