// Folders and names through path ids (ext_path.h): listing a folder,
// splitting and resolving names, a file's dates, size and kind, making
// folders and writing names in a style.
//
// Dates are seconds since midnight, 1 January 1904, GMT, as systime_seconds
// counts them.
#include "ext.h"
#include "files.hpp"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <string>
#include <system_error>
#include <unordered_set>
#include <vector>

namespace fs = std::filesystem;

namespace {

// The file type of a folder in a listing.
constexpr t_fourcc folder_type = 0x666F6C64; // 'fold'
constexpr t_ptr_uint seconds_1904_to_1970 = 2082844800;

/// A listing in progress: the entries as they were when the folder was
/// opened, in name order.
struct FolderListing {
  struct Entry {
    std::string name;
    bool folder;
  };
  std::vector<Entry> entries;
  size_t next = 0;
};

// Listings handed out and not closed yet: a stale or foreign pointer is told
// apart instead of being read.
std::unordered_set<const FolderListing *> &open_listings() {
  static auto *listings = new std::unordered_set<const FolderListing *>;
  return *listings;
}

// A folder in the one form its path id is kept under: absolute, normal, no
// trailing separator.
fs::path canonical_folder(const fs::path &folder) {
  std::error_code ec;
  fs::path absolute = fs::absolute(folder, ec);
  fs::path normal = (ec ? folder : absolute).lexically_normal();
  if (!normal.has_filename() && normal.has_relative_path())
    normal = normal.parent_path();
  return normal;
}

// The file or folder `name` in folder `path` (a name that is absolute stays
// so); false for a bad path id or no name.
bool locate(const char *name, short path, fs::path &out) {
  fs::path folder;
  if (!name || !kit::rt::folder_of(path, folder))
    return false;
  out = folder.empty() ? fs::path(name) : folder / name;
  return true;
}

// An errno value for a failure (the system's own codes differ on Windows).
short error_code(const std::error_code &ec) {
  const int value = ec.default_error_condition().value();
  return static_cast<short>(value > 0 && value < 32768 ? value : EIO);
}

t_ptr_uint seconds_since_1904(fs::file_time_type when) {
  const auto since_1970 = std::chrono::duration_cast<std::chrono::seconds>(
                              std::chrono::file_clock::to_sys(when).time_since_epoch())
                              .count();
  return since_1970 < 0 ? 0 : static_cast<t_ptr_uint>(since_1970) + seconds_1904_to_1970;
}

short modification_date(const fs::path &p, t_ptr_uint *date) {
  if (!date)
    return EINVAL;
  std::error_code ec;
  const fs::file_time_type when = fs::last_write_time(p, ec);
  if (ec)
    return error_code(ec);
  *date = seconds_since_1904(when);
  return 0;
}

} // namespace

using kit::rt::copy_name;
using kit::rt::folder_id;
using kit::rt::folder_of;

void *path_openfolder(short path) {
  fs::path folder;
  if (!folder_of(path, folder) || folder.empty())
    return nullptr;
  std::error_code ec;
  fs::directory_iterator it(folder, ec);
  if (ec)
    return nullptr;
  auto *listing = new FolderListing;
  for (const fs::directory_iterator end; it != end; it.increment(ec)) {
    if (ec)
      break;
    std::error_code kind;
    listing->entries.push_back({it->path().filename().string(), it->is_directory(kind)});
  }
  std::sort(
      listing->entries.begin(), listing->entries.end(),
      [](const FolderListing::Entry &a, const FolderListing::Entry &b) { return a.name < b.name; });
  open_listings().insert(listing);
  return listing;
}

short path_foldernextfile(void *xx, t_fourcc *filetype, char *name, short) {
  auto *listing = static_cast<FolderListing *>(xx);
  if (!listing || !open_listings().contains(listing)) {
    error("path_foldernextfile: %p is not an open folder", xx);
    return 0;
  }
  if (!name)
    return 0;
  while (listing->next < listing->entries.size()) {
    const FolderListing::Entry &entry = listing->entries[listing->next++];
    // A name the caller's buffer cannot hold is of no use to it.
    if (!copy_name(name, MAX_FILENAME_CHARS, entry.name))
      continue;
    if (filetype)
      *filetype = entry.folder ? folder_type : 0;
    return 1;
  }
  return 0;
}

void path_closefolder(void *x) {
  auto *listing = static_cast<FolderListing *>(x);
  if (!listing || !open_listings().erase(listing)) {
    error("path_closefolder: %p is not an open folder", x);
    return;
  }
  delete listing;
}

short path_frompathname(const char *name, short *path, char *filename) {
  if (!name || !*name || !path || !filename)
    return EINVAL;
  const fs::path full = canonical_folder(name);
  std::error_code ec;
  // A folder stands for itself, with no file name.
  if (fs::is_directory(full, ec)) {
    const short id = folder_id(full);
    if (id == 0)
      return ENFILE;
    *path = id;
    filename[0] = '\0';
    return 0;
  }
  const fs::path folder = full.parent_path();
  if (!fs::is_directory(folder, ec))
    return ENOENT;
  const short id = folder_id(folder);
  if (id == 0)
    return ENFILE;
  if (!copy_name(filename, MAX_FILENAME_CHARS, full.filename().string()))
    return ENAMETOOLONG;
  *path = id;
  return 0;
}

short path_resolvefile(char *name, const short path, short *outpath) {
  fs::path file;
  if (!outpath || !locate(name, path, file) || !*name)
    return EINVAL;
  std::error_code ec;
  if (!fs::exists(file, ec))
    return ENOENT;
  const fs::path full = canonical_folder(file);
  const short id = folder_id(full.parent_path());
  if (id == 0)
    return ENFILE;
  if (!copy_name(name, MAX_FILENAME_CHARS, full.filename().string()))
    return ENAMETOOLONG;
  *outpath = id;
  return 0;
}

short path_getfilemoddate(const char *filename, const short path, t_ptr_uint *date) {
  fs::path file;
  if (!locate(filename, path, file) || !*filename)
    return EINVAL;
  return modification_date(file, date);
}

short path_getmoddate(short path, t_ptr_uint *date) {
  fs::path folder;
  if (!folder_of(path, folder) || folder.empty())
    return EINVAL;
  return modification_date(folder, date);
}

short path_fileinfo(const char *name, const short path, t_fileinfo *info) {
  fs::path file;
  if (!info || !locate(name, path, file) || !*name)
    return EINVAL;
  std::error_code ec;
  const fs::file_status link = fs::symlink_status(file, ec);
  if (ec || !fs::exists(link))
    return ENOENT;
  *info = {};
  if (fs::is_symlink(link))
    info->flags |= PATH_FILEINFO_ALIAS;
  if (fs::is_directory(file, ec))
    info->flags |= PATH_FILEINFO_FOLDER;
  return 0;
}

short path_getfilesize(char *filename, short path, t_ptr_size *size) {
  fs::path file;
  if (!size || !locate(filename, path, file) || !*filename)
    return EINVAL;
  std::error_code ec;
  if (fs::is_directory(file, ec))
    return EISDIR;
  const std::uintmax_t bytes = fs::file_size(file, ec);
  if (ec)
    return error_code(ec);
  *size = static_cast<t_ptr_size>(bytes);
  return 0;
}

short path_tempfolder(void) {
  std::error_code ec;
  const fs::path temp = fs::temp_directory_path(ec);
  return ec ? 0 : folder_id(canonical_folder(temp));
}

short path_createfolder(const short path, const char *name, short *newpath) {
  fs::path folder;
  if (!newpath || !locate(name, path, folder) || !*name)
    return EINVAL;
  std::error_code ec;
  // A folder that is there already will do; anything else in its place will not.
  if (!fs::create_directory(folder, ec) && (ec || !fs::is_directory(folder, ec)))
    return ec ? error_code(ec) : EEXIST;
  const short id = folder_id(canonical_folder(folder));
  if (id == 0)
    return ENFILE;
  *newpath = id;
  return 0;
}

short path_nameconform(const char *src, char *dst, long style, long type) {
  if (!src || !dst)
    return EINVAL;
  fs::path name(src);
  switch (type) {
  case PATH_TYPE_IGNORE:
    break;
  case PATH_TYPE_ABSOLUTE:
  case PATH_TYPE_BOOT:
  case PATH_TYPE_PATH: {
    std::error_code ec;
    fs::path absolute = fs::absolute(name, ec);
    if (ec)
      return error_code(ec);
    name = absolute.lexically_normal();
    break;
  }
  case PATH_TYPE_RELATIVE: {
    std::error_code ec;
    const fs::path here = fs::current_path(ec);
    if (ec)
      return error_code(ec);
    name = fs::absolute(name, ec).lexically_normal().lexically_relative(here);
    break;
  }
  default:
    return EINVAL;
  }
  std::string text = name.string();
  char separator;
  switch (style) {
  case PATH_STYLE_MAX:
  case PATH_STYLE_SLASH:
    separator = '/';
    break;
  case PATH_STYLE_NATIVE:
    separator = static_cast<char>(fs::path::preferred_separator);
    break;
  case PATH_STYLE_NATIVE_WIN:
    separator = '\\';
    break;
  default:
    return EINVAL;
  }
  // On Windows both separators divide a name; elsewhere only '/' does.
  const bool both = fs::path::preferred_separator == '\\';
  for (char &c : text)
    if (c == '/' || (both && c == '\\'))
      c = separator;
  return copy_name(dst, MAX_PATH_CHARS, text) ? 0 : ENAMETOOLONG;
}
