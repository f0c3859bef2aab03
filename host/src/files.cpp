// Files through the host: the search path, folder ids ("path ids", small
// numbers standing for a folder), opening and reading.
//
// A path id is 1 or more for a folder the host has named; 0 stands for no
// folder: a name that is absolute or relative to the working directory.
// This host keeps no file-type database, so type lists filter nothing and
// every file's type is 0.
#include "files.hpp"
#include "ext.h"
#include "platform.hpp"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <system_error>
#include <vector>

namespace fs = std::filesystem;

struct _filestruct {
  std::FILE *file;
};

namespace kit::rt {
namespace {

struct Files {
  std::vector<fs::path> search_path;
  std::vector<fs::path> folders; ///< path id N is folders[N - 1]
  std::optional<fs::path> dialog_answer;
};

Files &files() {
  static Files *instance = new Files;
  return *instance;
}

} // namespace

short folder_id(const fs::path &folder) {
  std::vector<fs::path> &folders = files().folders;
  for (size_t i = 0; i < folders.size(); ++i)
    if (folders[i] == folder)
      return static_cast<short>(i + 1);
  if (folders.size() >= 32767)
    return 0;
  folders.push_back(folder);
  return static_cast<short>(folders.size());
}

bool folder_of(short id, fs::path &folder) {
  const std::vector<fs::path> &folders = files().folders;
  if (id == 0) {
    folder.clear();
    return true;
  }
  if (id < 0 || static_cast<size_t>(id) > folders.size())
    return false;
  folder = folders[static_cast<size_t>(id) - 1];
  return true;
}

namespace {

bool is_file(const fs::path &p) {
  std::error_code ec;
  return fs::is_regular_file(p, ec);
}

} // namespace

bool copy_name(char *out, size_t capacity, const std::string &text) {
  if (text.size() + 1 > capacity)
    return false;
  std::memcpy(out, text.c_str(), text.size() + 1);
  return true;
}

void add_search_path(const fs::path &dir) {
  std::error_code ec;
  fs::path absolute = fs::absolute(dir, ec);
  files().search_path.push_back(ec ? dir : absolute.lexically_normal());
}

void clear_search_path() {
  files().search_path.clear();
}

void set_dialog_answer(std::optional<fs::path> file) {
  files().dialog_answer = std::move(file);
}

} // namespace kit::rt

using namespace kit::rt;

short locatefile_extended(char *name, short *outvol, t_fourcc *outtype, const t_fourcc *, short) {
  if (!name || !*name)
    return 1;
  const fs::path wanted(name);
  short id = -1;
  if (wanted.is_absolute()) {
    if (is_file(wanted))
      id = 0;
  } else {
    for (const fs::path &dir : files().search_path) {
      if (is_file(dir / wanted)) {
        id = folder_id(dir);
        break;
      }
    }
    if (id < 0 && is_file(wanted))
      id = 0; // relative to the working directory
  }
  if (id < 0)
    return 1;
  if (outvol)
    *outvol = id;
  if (outtype)
    *outtype = 0;
  return 0;
}

short path_topathname(const short path, const char *name, char *out) {
  fs::path folder;
  if (!name || !out || !folder_of(path, folder))
    return 1;
  const std::string full = (folder.empty() ? fs::path(name) : folder / name).string();
  return copy_name(out, MAX_PATH_CHARS, full) ? 0 : 1;
}

short path_opensysfile(const char *name, const short path, t_filehandle *ref, short perm) {
  fs::path folder;
  if (!name || !*name || !ref || !folder_of(path, folder))
    return EINVAL;
  const fs::path file = folder.empty() ? fs::path(name) : folder / name;
  int failure = 0;
  std::FILE *f = kit::platform::open_regular_file(file, perm != PATH_READ_PERM, failure);
  if (!f)
    return static_cast<short>(failure);
  *ref = new _filestruct{f};
  return 0;
}

t_max_err sysfile_close(t_filehandle f) {
  if (!f)
    return MAX_ERR_INVALID_PTR;
  const int result = std::fclose(f->file);
  delete f;
  return result == 0 ? MAX_ERR_NONE : MAX_ERR_GENERIC;
}

t_max_err sysfile_read(t_filehandle f, t_ptr_size *count, void *bufptr) {
  if (!f || !count || (!bufptr && *count))
    return MAX_ERR_INVALID_PTR;
  const size_t wanted = *count;
  *count = std::fread(bufptr, 1, wanted, f->file);
  return *count == wanted || !std::ferror(f->file) ? MAX_ERR_NONE : MAX_ERR_GENERIC;
}

t_max_err sysfile_geteof(t_filehandle f, t_ptr_size *logeof) {
  if (!f || !logeof)
    return MAX_ERR_INVALID_PTR;
  struct stat info {};
  if (fstat(fileno(f->file), &info) != 0)
    return MAX_ERR_GENERIC;
  *logeof = static_cast<t_ptr_size>(info.st_size);
  return MAX_ERR_NONE;
}

t_max_err sysfile_setpos(t_filehandle f, t_sysfile_pos_mode mode, t_ptr_int offset) {
  if (!f)
    return MAX_ERR_INVALID_PTR;
  int whence;
  switch (mode) {
  case SYSFILE_ATMARK:
  case SYSFILE_FROMMARK:
    whence = SEEK_CUR;
    break;
  case SYSFILE_FROMSTART:
    whence = SEEK_SET;
    break;
  case SYSFILE_FROMLEOF:
    whence = SEEK_END;
    break;
  default:
    return MAX_ERR_GENERIC;
  }
  if (mode == SYSFILE_ATMARK)
    offset = 0;
  return std::fseek(f->file, static_cast<long>(offset), whence) == 0 ? MAX_ERR_NONE
                                                                     : MAX_ERR_GENERIC;
}

t_max_err sysfile_readtextfile(t_filehandle f, t_handle htext, t_ptr_size maxlen,
                               t_sysfile_text_flags flags) {
  if (!f || !htext)
    return MAX_ERR_INVALID_PTR;
  std::string text;
  char chunk[8192];
  for (;;) {
    size_t want = sizeof chunk;
    if (maxlen && maxlen - text.size() < want)
      want = maxlen - text.size();
    if (want == 0)
      break;
    const size_t got = std::fread(chunk, 1, want, f->file);
    text.append(chunk, got);
    if (got < want) {
      if (std::ferror(f->file))
        return MAX_ERR_GENERIC;
      break;
    }
  }
  const long line_ends = flags & TEXT_LB_MASK;
  if (line_ends) {
#ifdef _WIN32
    const std::string native = "\r\n";
#else
    const std::string native = "\n";
#endif
    const std::string wanted = (line_ends & TEXT_LB_NATIVE) ? native
                               : (line_ends & TEXT_LB_PC)   ? "\r\n"
                               : (line_ends & TEXT_LB_MAC)  ? "\r"
                                                            : "\n";
    std::string converted;
    converted.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
      if (text[i] == '\r') {
        if (i + 1 < text.size() && text[i + 1] == '\n')
          ++i;
        converted += wanted;
      } else if (text[i] == '\n') {
        converted += wanted;
      } else {
        converted += text[i];
      }
    }
    text = std::move(converted);
  }
  // With TEXT_NULL_TERMINATE the handle holds the terminating zero too.
  const bool terminate = flags & TEXT_NULL_TERMINATE;
  if (sysmem_resizehandle(htext, text.size() + (terminate ? 1 : 0)) != MAX_ERR_NONE)
    return MAX_ERR_GENERIC;
  if (!text.empty())
    std::memcpy(*htext, text.data(), text.size());
  if (terminate)
    (*htext)[text.size()] = '\0';
  return MAX_ERR_NONE;
}

short open_dialog(char *name, short *volptr, t_fourcc *typeptr, t_fourcc *, short) {
  const std::optional<fs::path> &answer = files().dialog_answer;
  if (!answer || !name)
    return 1;
  std::error_code ec;
  fs::path file = fs::absolute(*answer, ec);
  if (ec)
    file = *answer;
  const short id = folder_id(file.parent_path());
  if (id == 0 || !copy_name(name, MAX_FILENAME_CHARS, file.filename().string())) {
    error("open_dialog: cannot answer with \"%s\"", answer->string().c_str());
    return 1;
  }
  if (volptr)
    *volptr = id;
  if (typeptr)
    *typeptr = 0;
  return 0;
}
