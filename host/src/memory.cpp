// Host memory: plain heap blocks, and handles (a pointer to a block that
// may move when resized) whose size the host remembers.
#include "ext.h"

#include <cstdlib>
#include <cstring>
#include <new>

namespace {

// A handle points at `data`, the first member, so *handle is the block.
struct HandleRecord {
  char *data;
  t_ptr_size size;
};

HandleRecord *record_of(t_handle handle) {
  return reinterpret_cast<HandleRecord *>(handle);
}

} // namespace

// The functions behind the names the header turns into sysmem calls.
#undef getbytes
#undef freebytes

char *getbytes(t_getbytes_size size) {
  return static_cast<char *>(std::malloc(size ? size : 1));
}

void freebytes(void *b, t_getbytes_size) {
  std::free(b);
}

t_handle sysmem_newhandle(t_ptr_size size) {
  auto *record = new (std::nothrow) HandleRecord{nullptr, 0};
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

t_ptr_size sysmem_handlesize(t_handle handle) {
  return handle ? record_of(handle)->size : 0;
}

t_max_err sysmem_resizehandle(t_handle handle, t_ptr_size newsize) {
  if (!handle)
    return MAX_ERR_INVALID_PTR;
  HandleRecord *record = record_of(handle);
  char *data = static_cast<char *>(std::realloc(record->data, newsize ? newsize : 1));
  if (!data)
    return MAX_ERR_GENERIC;
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

t_ptr sysmem_newptr(t_ptr_size size) {
  return static_cast<t_ptr>(std::malloc(size ? size : 1));
}

t_ptr sysmem_newptrclear(t_ptr_size size) {
  return static_cast<t_ptr>(std::calloc(size ? size : 1, 1));
}

void sysmem_freeptr(void *ptr) {
  std::free(ptr);
}
