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
#define READ_PERM PATH_READ_PERM
#define WRITE_PERM PATH_WRITE_PERM
#define RW_PERM PATH_RW_PERM

/// Separator styles of path_nameconform.
typedef enum {
  PATH_STYLE_MAX = 0,   ///< '/'
  PATH_STYLE_NATIVE,    ///< the platform's: '\\' on Windows, '/' elsewhere
  PATH_STYLE_COLON,     ///< (not supported)
  PATH_STYLE_SLASH,     ///< '/'
  PATH_STYLE_NATIVE_WIN ///< '\\'
} e_max_path_styles;

/// Forms of path_nameconform.
typedef enum {
  PATH_TYPE_IGNORE = 0, ///< the name as it is
  PATH_TYPE_ABSOLUTE,   ///< absolute
  PATH_TYPE_RELATIVE,   ///< relative to the working directory
  PATH_TYPE_BOOT,       ///< absolute, from the root
  PATH_TYPE_C74,
  PATH_TYPE_PATH, ///< absolute
  PATH_TYPE_DESKTOP,
  PATH_TYPE_TILDE,
  PATH_TYPE_TEMPFOLDER,
  PATH_TYPE_USERMAX,
  PATH_TYPE_MAXDB,
  PATH_TYPE_PLUGIN,
  PATH_TYPE_PACKAGE
} e_max_path_types;

/// What path_fileinfo tells of a file.
typedef enum {
  PATH_FILEINFO_ALIAS = 1,  ///< a symbolic link
  PATH_FILEINFO_FOLDER = 2, ///< a folder (or a link to one)
  PATH_FILEINFO_PACKAGE = 4
} e_max_fileinfo_flags;

typedef struct _fileinfo {
  t_fourcc type;    ///< 0: this host keeps no file types
  t_fourcc creator; ///< 0
  t_uint32 unused;
  t_int32 flags; ///< e_max_fileinfo_flags
} t_fileinfo;

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

// Folders and names. The calls below return 0 on success or an errno value
// (ENOENT for no such file, EINVAL for a bad path id or argument). Dates are
// seconds since midnight, 1 January 1904, GMT (as systime_seconds). Main
// thread.

/// Splits a full (or working-directory relative) name into its folder's path
/// id and the file's name (MAX_FILENAME_CHARS); the file need not exist, its
/// folder must. A folder's own name gives its path id and an empty name.
C74_API short path_frompathname(const char *name, short *path, char *filename);
/// Resolves `name` (which may hold folders, or be absolute) in folder `path`
/// to the path id of the folder it is in and its last part, written back
/// into `name` (which must hold MAX_FILENAME_CHARS). ENOENT when it does not
/// exist.
C74_API short path_resolvefile(char *name, const short path, short *outpath);
/// The modification date of a file or folder.
C74_API short path_getfilemoddate(const char *filename, const short path, t_ptr_uint *date);
/// The modification date of the folder `path`.
C74_API short path_getmoddate(short path, t_ptr_uint *date);
/// Whether `name` is a folder or a link (type and creator are 0).
C74_API short path_fileinfo(const char *name, const short path, t_fileinfo *info);
/// The size of a file in bytes; EISDIR for a folder.
C74_API short path_getfilesize(char *filename, short path, t_ptr_size *size);
/// The path id of the system's temporary folder; 0 when there is none.
C74_API short path_tempfolder(void);
/// Makes the folder `name` in `path` (one that exists will do) and gives its
/// path id.
C74_API short path_createfolder(const short path, const char *name, short *newpath);
/// Writes `src` into `dst` (MAX_PATH_CHARS) with the separators of `style`
/// and in the form `type`: IGNORE, ABSOLUTE (also BOOT and PATH) or RELATIVE
/// to the working directory. EINVAL for the other styles and forms.
C74_API short path_nameconform(const char *src, char *dst, long style, long type);

/// Starts listing the folder `path`: its files and folders as they are now,
/// in name order. Null when it cannot be read.
C74_API void *path_openfolder(short path);
/// The next entry of the listing: its name in `name` (MAX_FILENAME_CHARS)
/// and its type in `filetype` ('fold' for a folder, 0 for a file). Returns
/// 1, or 0 when the listing is done. `descend` is unused.
C74_API short path_foldernextfile(void *xx, t_fourcc *filetype, char *name, short descend);
/// Ends the listing and frees it.
C74_API void path_closefolder(void *x);

END_USING_C_LINKAGE

#endif
