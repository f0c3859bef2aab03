// Host memory: plain blocks that know their size, and handles (a pointer to
// a block that may move when resized) whose size the host remembers.
#include "ext.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>

namespace {

// Every block carries the size it was asked for in front of it: objects ask
// sysmem_ptrsize for exactly that (an allocator's usable size may be more).
// The header keeps the block aligned for any type.
struct alignas(std::max_align_t) BlockHeader {
  t_ptr_size size;
};

// Beyond this a request cannot be met (and a header added to it would wrap).
constexpr t_ptr_size largest_block = PTRDIFF_MAX - sizeof(BlockHeader);

BlockHeader *header_of(void *ptr) {
  return static_cast<BlockHeader *>(ptr) - 1;
}

t_ptr new_block(t_ptr_size size, bool clear) {
  if (size > largest_block)
    return nullptr;
  const size_t total = sizeof(BlockHeader) + size;
  void *raw = clear ? std::calloc(total, 1) : std::malloc(total);
  if (!raw)
    return nullptr;
  auto *header = static_cast<BlockHeader *>(raw);
  header->size = size;
  return reinterpret_cast<t_ptr>(header + 1);
}

t_ptr resize_block(void *ptr, t_ptr_size newsize, bool clear) {
  if (!ptr)
    return new_block(newsize, clear);
  if (newsize > largest_block)
    return nullptr;
  const t_ptr_size old_size = header_of(ptr)->size;
  // On failure realloc leaves the block as it was, and so does the caller's
  // pointer.
  void *raw = std::realloc(header_of(ptr), sizeof(BlockHeader) + newsize);
  if (!raw)
    return nullptr;
  auto *header = static_cast<BlockHeader *>(raw);
  header->size = newsize;
  auto *data = reinterpret_cast<t_ptr>(header + 1);
  if (clear && newsize > old_size)
    std::memset(data + old_size, 0, newsize - old_size);
  return data;
}

// A handle points at `data`, the first member, so *handle is the block.
struct HandleRecord {
  char *data;
  t_ptr_size size;
  int locked;
};

HandleRecord *record_of(t_handle handle) {
  return reinterpret_cast<HandleRecord *>(handle);
}

// Makes room for `extra` more bytes behind the handle's data; null when
// there is none to be had (the handle is left as it was).
char *grow_handle(t_handle handle, t_ptr_size extra) {
  const t_ptr_size old_size = record_of(handle)->size;
  if (extra > largest_block - old_size ||
      sysmem_resizehandle(handle, old_size + extra) != MAX_ERR_NONE)
    return nullptr;
  return *handle;
}

} // namespace

// The functions behind the names the header turns into sysmem calls.
#undef getbytes
#undef freebytes

char *getbytes(t_getbytes_size size) {
  return sysmem_newptr(size);
}

void freebytes(void *b, t_getbytes_size) {
  sysmem_freeptr(b);
}

t_ptr sysmem_newptr(t_ptr_size size) {
  return new_block(size, false);
}

t_ptr sysmem_newptrclear(t_ptr_size size) {
  return new_block(size, true);
}

t_ptr sysmem_resizeptr(void *ptr, t_ptr_size newsize) {
  return resize_block(ptr, newsize, false);
}

t_ptr sysmem_resizeptrclear(void *ptr, t_ptr_size newsize) {
  return resize_block(ptr, newsize, true);
}

t_ptr_size sysmem_ptrsize(void *ptr) {
  return ptr ? header_of(ptr)->size : 0;
}

void sysmem_freeptr(void *ptr) {
  if (ptr)
    std::free(header_of(ptr));
}

void sysmem_copyptr(const void *src, void *dst, t_ptr_size bytes) {
  // Like the block move it stands for, overlapping blocks are allowed.
  if (src && dst && bytes)
    std::memmove(dst, src, bytes);
}

t_handle sysmem_newhandle(t_ptr_size size) {
  if (size > largest_block)
    return nullptr;
  auto *record = new (std::nothrow) HandleRecord{nullptr, 0, 0};
  if (!record)
    return nullptr;
  // A block even for size 0, so *handle is never null.
  record->data = static_cast<char *>(std::calloc(size ? size : 1, 1));
  if (!record->data) {
    delete record;
    return nullptr;
  }
  record->size = size;
  return &record->data;
}

t_handle sysmem_newhandleclear(t_ptr_size size) {
  return sysmem_newhandle(size);
}

t_ptr_size sysmem_handlesize(t_handle handle) {
  return handle ? record_of(handle)->size : 0;
}

t_max_err sysmem_resizehandle(t_handle handle, t_ptr_size newsize) {
  if (!handle)
    return MAX_ERR_INVALID_PTR;
  if (newsize > largest_block)
    return MAX_ERR_OUT_OF_MEM;
  HandleRecord *record = record_of(handle);
  char *data = static_cast<char *>(std::realloc(record->data, newsize ? newsize : 1));
  if (!data)
    return MAX_ERR_OUT_OF_MEM;
  if (newsize > record->size)
    std::memset(data + record->size, 0, newsize - record->size);
  record->data = data;
  record->size = newsize;
  return MAX_ERR_NONE;
}

void sysmem_freehandle(t_handle handle) {
  if (!handle)
    return;
  HandleRecord *record = record_of(handle);
  std::free(record->data);
  delete record;
}

int sysmem_lockhandle(t_handle handle, int lock) {
  if (!handle)
    return 0;
  // Blocks never move behind an object's back here: the state is kept only
  // so that callers get back what they set.
  HandleRecord *record = record_of(handle);
  const int previous = record->locked;
  record->locked = lock != 0;
  return previous;
}

t_max_err sysmem_ptrandhand(void *p, t_handle h, t_ptr_size size) {
  if (!h || (!p && size))
    return MAX_ERR_INVALID_PTR;
  const t_ptr_size old_size = record_of(h)->size;
  char *data = grow_handle(h, size);
  if (!data)
    return MAX_ERR_OUT_OF_MEM;
  if (size)
    std::memcpy(data + old_size, p, size);
  return MAX_ERR_NONE;
}

t_max_err sysmem_ptrbeforehand(void *p, t_handle h, t_ptr_size size) {
  if (!h || (!p && size))
    return MAX_ERR_INVALID_PTR;
  const t_ptr_size old_size = record_of(h)->size;
  char *data = grow_handle(h, size);
  if (!data)
    return MAX_ERR_OUT_OF_MEM;
  if (size) {
    std::memmove(data + size, data, old_size);
    std::memcpy(data, p, size);
  }
  return MAX_ERR_NONE;
}

t_max_err sysmem_nullterminatehandle(t_handle h) {
  if (!h)
    return MAX_ERR_INVALID_PTR;
  const t_ptr_size size = record_of(h)->size;
  // Terminated already: a second zero would only change the text's size.
  if (size > 0 && (*h)[size - 1] == '\0')
    return MAX_ERR_NONE;
  char *data = grow_handle(h, 1);
  if (!data)
    return MAX_ERR_OUT_OF_MEM;
  data[size] = '\0';
  return MAX_ERR_NONE;
}
