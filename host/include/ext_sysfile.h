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

/// Positions for sysfile_setpos.
typedef enum {
  SYSFILE_ATMARK = 0,    ///< stay where the file is
  SYSFILE_FROMSTART = 1, ///< offset from the start
  SYSFILE_FROMLEOF = 2,  ///< offset from the end
  SYSFILE_FROMMARK = 3   ///< offset from the current position
} t_sysfile_pos_mode;

/// Closes the file. 0 on success.
C74_API t_max_err sysfile_close(t_filehandle f);
/// Reads up to *count bytes; *count becomes the number read. 0 unless a
/// read error occurred.
C74_API t_max_err sysfile_read(t_filehandle f, t_ptr_size *count, void *bufptr);
/// The file's size in bytes. 0 on success.
C74_API t_max_err sysfile_geteof(t_filehandle f, t_ptr_size *logeof);
/// Moves the read position. 0 on success.
C74_API t_max_err sysfile_setpos(t_filehandle f, t_sysfile_pos_mode mode, t_ptr_int offset);
/// Reads the text from the current position to the end (at most `maxlen`
/// bytes when non-zero) into `htext`, resizing it to the text's length;
/// with TEXT_LB_NATIVE, line ends ("\r\n", "\r", "\n") become "\n"
/// ("\r\n" on Windows); with TEXT_NULL_TERMINATE a terminating zero follows
/// and counts in the handle's size. 0 on success.
C74_API t_max_err sysfile_readtextfile(t_filehandle f, t_handle htext, t_ptr_size maxlen,
                                       t_sysfile_text_flags flags);

END_USING_C_LINKAGE

#endif
