// The host's file search path and file dialogs.
#ifndef EXT_PATH_H
#define EXT_PATH_H

#include "ext_mess.h"

BEGIN_USING_C_LINKAGE

/// An opened file (opaque).
typedef struct _filestruct *t_filehandle;

/// Buffer sizes for a full path and for a file name, terminator included.
enum { MAX_PATH_CHARS = 2048 };
enum { MAX_FILENAME_CHARS = 512 };

typedef enum {
  PATH_READ_PERM = 1,
  PATH_WRITE_PERM = 2,
  PATH_RW_PERM = 3
} e_max_openfile_permissions;
// The older names of the permissions.
#define READ_PERM PATH_READ_PERM
#define WRITE_PERM PATH_WRITE_PERM
#define RW_PERM PATH_RW_PERM

/// Looks `name` up in the search path. On success returns 0 and sets
/// `outvol` to the folder's path id and `outtype` to the file's type (0 here:
/// this host keeps no file-type database, so `filetypelist` filters nothing);
/// `name` keeps the file's own name. Returns 1 when not found.
C74_API short locatefile_extended(char *name, short *outvol, t_fourcc *outtype,
                                  const t_fourcc *filetypelist, short numtypes);
/// Opens `name` in folder `path` (an id from locatefile_extended or
/// open_dialog, or 0 for a name that is absolute or relative to the working
/// directory). Returns 0 and sets `ref`, or a non-zero error code: the
/// system's errno value (ENOENT, EACCES, ...), EISDIR for a folder, EINVAL
/// for a bad path id or name. `perm` PATH_READ_PERM opens for reading.
C74_API short path_opensysfile(const char *name, const short path, t_filehandle *ref, short perm);
/// The host's open-file dialog. Returns 0 with the chosen file's name in
/// `name` and its folder in `volptr`, or non-zero when cancelled.
C74_API short open_dialog(char *name, short *volptr, t_fourcc *typeptr, t_fourcc *types,
                          short ntypes);
/// Writes the full native name of `name` in folder `path` into `out`.
C74_API short path_topathname(const short path, const char *name, char *out);

END_USING_C_LINKAGE

#endif
