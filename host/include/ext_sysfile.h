// Reading files opened through the host.
#ifndef EXT_SYSFILE_H
#define EXT_SYSFILE_H

#include "ext_path.h"

BEGIN_USING_C_LINKAGE

typedef enum {
  TEXT_LB_NATIVE = 0x00000001L, ///< convert line ends to the native form
  TEXT_LB_MAC = 0x00000002L,
  TEXT_LB_PC = 0x00000004L,
  TEXT_LB_UNIX = 0x00000008L,
  TEXT_LB_MASK = 0x0000000FL,
  TEXT_ENCODING_USE_FILE = 0x00000100L,
  TEXT_NULL_TERMINATE = 0x00000200L
} t_sysfile_text_flags;

C74_API t_max_err sysfile_close(t_filehandle f);
C74_API t_max_err sysfile_read(t_filehandle f, t_ptr_size *count, void *bufptr);
C74_API t_max_err sysfile_geteof(t_filehandle f, t_ptr_size *logeof);
C74_API t_max_err sysfile_setpos(t_filehandle f, int mode, t_ptr_int offset);
/// Reads the whole text (at most `maxlen` bytes when non-zero) into `htext`,
/// resizing it; with TEXT_LB_NATIVE, line ends become "\n" ("\r\n" on Windows).
C74_API t_max_err sysfile_readtextfile(t_filehandle f, t_handle htext, t_ptr_size maxlen,
                                       t_sysfile_text_flags flags);

END_USING_C_LINKAGE

#endif
