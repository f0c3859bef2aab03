// Folders and names through path ids: listing a temporary folder, splitting
// and resolving names, dates, sizes and kinds, making folders and writing
// names in a style.
#include "patch.hpp"

#include "ext.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

namespace fs = std::filesystem;
using kittest::Lines;
using kittest::Patch;

namespace {

constexpr t_fourcc folder_type = 0x666F6C64; // 'fold'

class Folders : public ::testing::Test {
protected:
  void SetUp() override {
    root = fs::temp_directory_path() /
           ("kit-folders-" + std::to_string(std::random_device{}()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(root);
    fs::create_directories(root / "b-folder" / "inner");
    write(root / "c.txt", "three");
    write(root / "a.txt", "");
    write(root / "b-folder" / "inner" / "deep.txt", "deep");
  }
  void TearDown() override { fs::remove_all(root); }

  static void write(const fs::path &file, const std::string &text) {
    std::ofstream(file, std::ios::binary) << text;
  }
  // The path id of a folder, as an object would get it.
  static short id_of(const fs::path &folder) {
    short path = -1;
    char name[MAX_FILENAME_CHARS];
    EXPECT_EQ(path_frompathname(folder.string().c_str(), &path, name), 0);
    EXPECT_STREQ(name, "");
    return path;
  }
  static std::vector<std::pair<std::string, t_fourcc>> listing(short path) {
    std::vector<std::pair<std::string, t_fourcc>> entries;
    void *folder = path_openfolder(path);
    EXPECT_NE(folder, nullptr);
    if (!folder)
      return entries;
    char name[MAX_FILENAME_CHARS];
    t_fourcc type = 1;
    while (path_foldernextfile(folder, &type, name, 0))
      entries.emplace_back(name, type);
    path_closefolder(folder);
    return entries;
  }

  Patch p;
  fs::path root;
};

TEST_F(Folders, AListingHoldsFilesAndFoldersInNameOrderAsTheyWereAtOpening) {
  const short path = id_of(root);
  using Entries = std::vector<std::pair<std::string, t_fourcc>>;
  EXPECT_EQ(listing(path), (Entries{{"a.txt", 0}, {"b-folder", folder_type}, {"c.txt", 0}}));
  // Changes made while a listing runs do not disturb it.
  void *folder = path_openfolder(path);
  ASSERT_NE(folder, nullptr);
  char name[MAX_FILENAME_CHARS];
  t_fourcc type = 0;
  ASSERT_EQ(path_foldernextfile(folder, &type, name, 0), 1);
  fs::remove(root / "c.txt");
  write(root / "0-new.txt", "new");
  std::vector<std::string> rest;
  while (path_foldernextfile(folder, &type, name, 0))
    rest.emplace_back(name);
  EXPECT_EQ(rest, (std::vector<std::string>{"b-folder", "c.txt"}));
  EXPECT_EQ(path_foldernextfile(folder, &type, name, 0), 0) << "done stays done";
  path_closefolder(folder);
  // Many names, made out of order: the listing sorts them whatever order
  // the file system keeps.
  fs::create_directories(root / "many");
  std::vector<std::pair<std::string, t_fourcc>> expected;
  for (int i = 0; i < 40; ++i)
    expected.emplace_back("n" + std::to_string(100 + (i * 17) % 40), 0);
  for (const auto &entry : expected)
    write(root / "many" / entry.first, "");
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(listing(id_of(root / "many")), expected);
  EXPECT_EQ(listing(id_of(root / "b-folder" / "inner")).size(), 1u);
  fs::create_directories(root / "empty");
  EXPECT_TRUE(listing(id_of(root / "empty")).empty());
}

TEST_F(Folders, FoldersThatCannotBeListedAndStaleListingsAreRefused) {
  EXPECT_EQ(path_openfolder(0), nullptr);
  EXPECT_EQ(path_openfolder(-3), nullptr);
  EXPECT_EQ(path_openfolder(30000), nullptr);
  const short gone = id_of(root / "b-folder" / "inner");
  fs::remove_all(root / "b-folder");
  EXPECT_EQ(path_openfolder(gone), nullptr);
  void *folder = path_openfolder(id_of(root));
  ASSERT_NE(folder, nullptr);
  path_closefolder(folder);
  p.take();
  char name[MAX_FILENAME_CHARS];
  EXPECT_EQ(path_foldernextfile(folder, nullptr, name, 0), 0);
  path_closefolder(folder);
  const Lines lines = p.take();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_NE(lines[0].find("path_foldernextfile: "), std::string::npos);
  EXPECT_NE(lines[1].find("is not an open folder"), std::string::npos);
}

TEST_F(Folders, FullNamesSplitIntoAFolderAndAName) {
  short path = -1;
  char name[MAX_FILENAME_CHARS];
  // The file need not exist; its folder must.
  ASSERT_EQ(path_frompathname((root / "b-folder" / "later.txt").string().c_str(), &path, name), 0);
  EXPECT_STREQ(name, "later.txt");
  char full[MAX_PATH_CHARS];
  ASSERT_EQ(path_topathname(path, name, full), 0);
  EXPECT_EQ(fs::path(full), root / "b-folder" / "later.txt");
  // The same folder, however written, has the same id.
  EXPECT_EQ(id_of(root / "b-folder"), path);
  EXPECT_EQ(id_of(root / "b-folder" / "inner" / ".."), path);
  EXPECT_EQ(path_frompathname((root / "nowhere" / "x.txt").string().c_str(), &path, name), ENOENT);
  EXPECT_EQ(path_frompathname("", &path, name), EINVAL);
}

TEST_F(Folders, NamesResolveToTheirFolderAndLastPart) {
  char name[MAX_FILENAME_CHARS] = "b-folder/inner/deep.txt";
  short out = -1;
  ASSERT_EQ(path_resolvefile(name, id_of(root), &out), 0);
  EXPECT_STREQ(name, "deep.txt");
  EXPECT_EQ(out, id_of(root / "b-folder" / "inner"));
  std::strcpy(name, "../c.txt");
  ASSERT_EQ(path_resolvefile(name, id_of(root / "b-folder"), &out), 0);
  EXPECT_STREQ(name, "c.txt");
  EXPECT_EQ(out, id_of(root));
  const std::string absolute = (root / "a.txt").string();
  std::strcpy(name, absolute.c_str());
  ASSERT_EQ(path_resolvefile(name, 0, &out), 0);
  EXPECT_STREQ(name, "a.txt");
  std::strcpy(name, "missing.txt");
  EXPECT_EQ(path_resolvefile(name, id_of(root), &out), ENOENT);
  EXPECT_STREQ(name, "missing.txt");
  EXPECT_EQ(path_resolvefile(name, 12345, &out), EINVAL);
}

TEST_F(Folders, DatesSizesAndKinds) {
  const short path = id_of(root);
  // A known date: 1 January 2001, 00:00:00 GMT, seconds since 1904.
  const auto when = std::chrono::sys_seconds(std::chrono::seconds(978307200));
  fs::last_write_time(root / "c.txt", std::chrono::file_clock::from_sys(when));
  t_ptr_uint date = 0;
  ASSERT_EQ(path_getfilemoddate("c.txt", path, &date), 0);
  EXPECT_EQ(date, 978307200u + 2082844800u);
  // Some systems (wine among them) refuse to date a folder: then only its
  // files' dates are checked.
  std::error_code dated;
  fs::last_write_time(root / "b-folder", std::chrono::file_clock::from_sys(when), dated);
  if (!dated) {
    ASSERT_EQ(path_getmoddate(id_of(root / "b-folder"), &date), 0);
    EXPECT_EQ(date, 978307200u + 2082844800u);
  }
  EXPECT_EQ(path_getfilemoddate("missing", path, &date), ENOENT);

  t_ptr_size size = 99;
  char c_txt[] = "c.txt", a_txt[] = "a.txt", folder[] = "b-folder", missing[] = "missing";
  EXPECT_EQ(path_getfilesize(c_txt, path, &size), 0);
  EXPECT_EQ(size, 5u);
  EXPECT_EQ(path_getfilesize(a_txt, path, &size), 0);
  EXPECT_EQ(size, 0u);
  EXPECT_EQ(path_getfilesize(folder, path, &size), EISDIR);
  EXPECT_EQ(path_getfilesize(missing, path, &size), ENOENT);

  t_fileinfo info{1, 1, 1, 99};
  ASSERT_EQ(path_fileinfo("c.txt", path, &info), 0);
  EXPECT_EQ(info.flags, 0);
  EXPECT_EQ(info.type, 0u);
  ASSERT_EQ(path_fileinfo("b-folder", path, &info), 0);
  EXPECT_EQ(info.flags, PATH_FILEINFO_FOLDER);
  std::error_code ec;
  fs::create_directory_symlink(root / "b-folder", root / "link", ec);
  if (!ec) {
    ASSERT_EQ(path_fileinfo("link", path, &info), 0);
    EXPECT_EQ(info.flags, PATH_FILEINFO_ALIAS | PATH_FILEINFO_FOLDER);
  }
  EXPECT_EQ(path_fileinfo("missing", path, &info), ENOENT);
}

TEST_F(Folders, FoldersAreMadeOnceAndNeverInPlaceOfAFile) {
  short made = -1;
  ASSERT_EQ(path_createfolder(id_of(root), "new", &made), 0);
  EXPECT_TRUE(fs::is_directory(root / "new"));
  EXPECT_EQ(made, id_of(root / "new"));
  short again = -1;
  EXPECT_EQ(path_createfolder(id_of(root), "new", &again), 0);
  EXPECT_EQ(again, made);
  EXPECT_EQ(path_createfolder(id_of(root), "c.txt", &again), EEXIST);
  EXPECT_EQ(path_createfolder(id_of(root), "x/y", &again), ENOENT);
  const short temp = path_tempfolder();
  char full[MAX_PATH_CHARS];
  ASSERT_EQ(path_topathname(temp, "", full), 0);
  // Compared without a final separator, which Windows' temporary folder has.
  const auto folder = [](const fs::path &path) {
    return path.has_filename() ? path : path.parent_path();
  };
  EXPECT_TRUE(fs::equivalent(folder(full), folder(fs::temp_directory_path())));
}

TEST_F(Folders, NamesAreWrittenInAStyleAndForm) {
  char out[MAX_PATH_CHARS];
  ASSERT_EQ(path_nameconform("a/b/c.txt", out, PATH_STYLE_NATIVE_WIN, PATH_TYPE_IGNORE), 0);
  EXPECT_STREQ(out, "a\\b\\c.txt");
  ASSERT_EQ(path_nameconform("a/./b/../c.txt", out, PATH_STYLE_SLASH, PATH_TYPE_ABSOLUTE), 0);
  EXPECT_EQ(fs::path(out), fs::current_path() / "a" / "c.txt");
  const std::string inside = (fs::current_path() / "x" / "y.txt").string();
  ASSERT_EQ(path_nameconform(inside.c_str(), out, PATH_STYLE_MAX, PATH_TYPE_RELATIVE), 0);
  EXPECT_STREQ(out, "x/y.txt");
  EXPECT_EQ(path_nameconform("a", out, PATH_STYLE_COLON, PATH_TYPE_IGNORE), EINVAL);
  EXPECT_EQ(path_nameconform("a", out, PATH_STYLE_MAX, PATH_TYPE_DESKTOP), EINVAL);
  const std::string too_long(MAX_PATH_CHARS, 'x');
  EXPECT_EQ(path_nameconform(too_long.c_str(), out, PATH_STYLE_MAX, PATH_TYPE_IGNORE),
            ENAMETOOLONG);
}

} // namespace
