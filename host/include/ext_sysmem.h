// Host memory: pointers (blocks that know their size) and relocatable
// handles.
//
// Threads: any thread. A block or handle itself is not guarded: two threads
// resizing or freeing the same one at once must agree on it first.
#ifndef EXT_SYSMEM_H
#define EXT_SYSMEM_H

#include "ext_mess.h"

BEGIN_USING_C_LINKAGE

// ---- Pointers ----------------------------------------------------------------
// A pointer from these calls remembers the size it was given (sysmem_ptrsize)
// and is aligned for any type. Free it with sysmem_freeptr only.

/// `size` bytes (their values undefined), or null when there is no memory.
C74_API t_ptr sysmem_newptr(t_ptr_size size);
/// `size` bytes set to zero, or null.
C74_API t_ptr sysmem_newptrclear(t_ptr_size size);
/// Resizes `ptr` (null: a new block) to `newsize` bytes, keeping what fits.
/// Returns the block, which may have moved, or null when there is no memory,
/// `ptr` then staying valid and unchanged.
C74_API t_ptr sysmem_resizeptr(void *ptr, t_ptr_size newsize);
/// sysmem_resizeptr, with the bytes added past the old size set to zero.
C74_API t_ptr sysmem_resizeptrclear(void *ptr, t_ptr_size newsize);
/// The size `ptr` was made or last resized with; 0 for null.
C74_API t_ptr_size sysmem_ptrsize(void *ptr);
/// Frees a pointer from these calls; null is ignored.
C74_API void sysmem_freeptr(void *ptr);
/// Copies `bytes` bytes from `src` to `dst`; the two may overlap.
C74_API void sysmem_copyptr(const void *src, void *dst, t_ptr_size bytes);

// ---- Handles -----------------------------------------------------------------
// *handle is the block; it may move when the handle is resized. Bytes a
// handle gains are zero.

/// A handle of `size` bytes set to zero, or null.
C74_API t_handle sysmem_newhandle(t_ptr_size size);
/// The same as sysmem_newhandle.
C74_API t_handle sysmem_newhandleclear(t_ptr_size size);
/// Resizes the handle, keeping what fits. MAX_ERR_NONE, MAX_ERR_INVALID_PTR
/// for null, or MAX_ERR_OUT_OF_MEM (the handle stays as it was).
C74_API t_max_err sysmem_resizehandle(t_handle handle, t_ptr_size newsize);
/// The handle's size in bytes; 0 for null.
C74_API t_ptr_size sysmem_handlesize(t_handle handle);
/// Frees the handle and its block; null is ignored.
C74_API void sysmem_freehandle(t_handle handle);
/// Sets the handle's lock state (non-zero: locked) and returns the previous
/// one. Blocks never move on their own here, so the state only reads back.
C74_API int sysmem_lockhandle(t_handle handle, int lock);
/// Appends `size` bytes from `p` to the handle. Error codes as for
/// sysmem_resizehandle.
C74_API t_max_err sysmem_ptrandhand(void *p, t_handle h, t_ptr_size size);
/// Puts `size` bytes from `p` in front of the handle's bytes.
C74_API t_max_err sysmem_ptrbeforehand(void *p, t_handle h, t_ptr_size size);
/// Appends a zero byte unless the handle's last byte is one already.
C74_API t_max_err sysmem_nullterminatehandle(t_handle h);

END_USING_C_LINKAGE

#endif
