// Relocatable memory handles.
#ifndef EXT_SYSMEM_H
#define EXT_SYSMEM_H

#include "ext_mess.h"

BEGIN_USING_C_LINKAGE

/// A handle of `size` bytes (zero-filled), or null.
C74_API t_handle sysmem_newhandle(t_ptr_size size);
C74_API t_ptr_size sysmem_handlesize(t_handle handle);
C74_API t_max_err sysmem_resizehandle(t_handle handle, t_ptr_size newsize);
C74_API void sysmem_freehandle(t_handle handle);
C74_API t_ptr sysmem_newptr(t_ptr_size size);
C74_API t_ptr sysmem_newptrclear(t_ptr_size size);
C74_API void sysmem_freeptr(void *ptr);

END_USING_C_LINKAGE

#endif
