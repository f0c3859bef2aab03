#include "system/memory.h"

#include <climits>
#include <cstdlib>
#include <cstring>

void *Memory::Alloc(int size) {
  if (size < 0)
    return nullptr;
  // malloc(0) may return null, which callers would take for exhaustion.
  return std::malloc(size > 0 ? static_cast<std::size_t>(size) : 1);
}

void Memory::Free(void *block) {
  std::free(block);
}

void *Memory::Set(void *destination, int fill, int length) {
  if (destination != nullptr && length > 0)
    std::memset(destination, fill & 0xFF, static_cast<std::size_t>(length));
  return destination;
}

void *Memory::Copy(void *destination, const void *source, int length) {
  if (destination != nullptr && source != nullptr && length > 0)
    std::memcpy(destination, source, static_cast<std::size_t>(length));
  return destination;
}

namespace {

// Memory::Alloc takes an int: a size beyond it cannot be met and gives null
// rather than a silently shortened block.
void *allocate(std::size_t size) {
  if (size > static_cast<std::size_t>(INT_MAX))
    return nullptr;
  return Memory::Alloc(static_cast<int>(size));
}

} // namespace

void *MemoryObject::operator new(std::size_t size) noexcept {
  return allocate(size);
}
void *MemoryObject::operator new[](std::size_t size) noexcept {
  return allocate(size);
}
void MemoryObject::operator delete(void *block) noexcept {
  Memory::Free(block);
}
void MemoryObject::operator delete[](void *block) noexcept {
  Memory::Free(block);
}
