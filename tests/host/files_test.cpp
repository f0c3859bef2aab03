// Files through the host: search path, opening, reading and the dialog.
#include "patch.hpp"

#include "ext.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;
using kittest::Patch;

namespace {

class Files : public ::testing::Test {
protected:
  void SetUp() override {
    root = fs::temp_directory_path() /
           ("kit-files-" + std::to_string(getpid()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(root / "first");
    fs::create_directories(root / "second");
    fs::create_directories(root / "second" / "folder.txt");
    write(root / "first" / "same.txt", "first");
    write(root / "second" / "same.txt", "second");
    write(root / "second" / "only.txt", "a\r\nb\rc\nd");
  }
  void TearDown() override { fs::remove_all(root); }

  static void write(const fs::path &file, const std::string &text) {
    std::ofstream(file, std::ios::binary) << text;
  }

  // Locates, opens and reads a whole file as the objects do.
  std::string read_through_host(const char *name) {
    char buffer[MAX_PATH_CHARS];
    std::strcpy(buffer, name);
    short path = -1;
    t_fourcc type = 1;
    if (locatefile_extended(buffer, &path, &type, nullptr, 0) != 0)
      return "(not found)";
    EXPECT_EQ(type, 0u);
    t_filehandle file = nullptr;
    if (short result = path_opensysfile(buffer, path, &file, PATH_READ_PERM))
      return "(cannot open: " + std::to_string(result) + ")";
    t_handle text = sysmem_newhandle(0);
    EXPECT_EQ(sysfile_readtextfile(file, text, 0, TEXT_LB_NATIVE), MAX_ERR_NONE);
    sysfile_close(file);
    std::string content(*text, sysmem_handlesize(text));
    sysmem_freehandle(text);
    return content;
  }

  Patch p;
  fs::path root;
};

TEST_F(Files, SearchPathIsSearchedInOrder) {
  p.host().add_search_path(root / "first");
  p.host().add_search_path(root / "second");
  EXPECT_EQ(read_through_host("same.txt"), "first");
  EXPECT_EQ(read_through_host("only.txt"), "a\nb\nc\nd");
  EXPECT_EQ(read_through_host("missing.txt"), "(not found)");
  EXPECT_EQ(read_through_host(""), "(not found)");
  p.host().clear_search_path();
  EXPECT_EQ(read_through_host("same.txt"), "(not found)");
}

TEST_F(Files, FoldersAreNotFiles) {
  p.host().add_search_path(root / "second");
  EXPECT_EQ(read_through_host("folder.txt"), "(not found)");
  t_filehandle file = nullptr;
  EXPECT_EQ(path_opensysfile((root / "second" / "folder.txt").c_str(), 0, &file, 1), EISDIR);
  EXPECT_EQ(path_opensysfile("nothing-here.txt", 0, &file, 1), ENOENT);
  EXPECT_EQ(path_opensysfile("same.txt", 999, &file, 1), EINVAL);
  EXPECT_EQ(file, nullptr);
}

TEST_F(Files, NamedPipesAndDevicesAreRefusedWithoutWaiting) {
  const fs::path pipe = root / "second" / "pipe";
  ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
  p.host().add_search_path(root / "second");
  EXPECT_EQ(read_through_host("pipe"), "(not found)");
  // Should the open wait for a writer, the guard becomes one after a while
  // (a bound on a hang, not a measure of time) and the test fails.
  std::mutex mutex;
  std::condition_variable done;
  bool opened = false;
  bool released = false;
  std::thread guard([&] {
    std::unique_lock lock(mutex);
    if (!done.wait_for(lock, std::chrono::seconds(30), [&] { return opened; })) {
      released = true;
      const int writer = open(pipe.c_str(), O_WRONLY | O_NONBLOCK);
      if (writer >= 0)
        close(writer);
    }
  });
  t_filehandle file = nullptr;
  const short result = path_opensysfile(pipe.c_str(), 0, &file, 1);
  {
    std::lock_guard lock(mutex);
    opened = true;
  }
  done.notify_one();
  guard.join();
  EXPECT_FALSE(released) << "the open waited for a writer";
  EXPECT_EQ(result, EINVAL);
  EXPECT_EQ(path_opensysfile("/dev/null", 0, &file, 1), EINVAL);
  EXPECT_EQ(file, nullptr);
}

TEST_F(Files, AbsoluteNamesAndNamesRelativeToTheWorkingDirectoryAreFound) {
  const std::string absolute = (root / "first" / "same.txt").string();
  EXPECT_EQ(read_through_host(absolute.c_str()), "first");
  const fs::path before = fs::current_path();
  fs::current_path(root);
  EXPECT_EQ(read_through_host("second/same.txt"), "second");
  fs::current_path(before);
}

TEST_F(Files, ReadingSizesAndPositions) {
  t_filehandle file = nullptr;
  ASSERT_EQ(path_opensysfile((root / "second" / "only.txt").c_str(), 0, &file, 1), 0);
  t_ptr_size size = 0;
  EXPECT_EQ(sysfile_geteof(file, &size), MAX_ERR_NONE);
  EXPECT_EQ(size, 8u);
  char bytes[16] = {};
  t_ptr_size count = 3;
  EXPECT_EQ(sysfile_read(file, &count, bytes), MAX_ERR_NONE);
  EXPECT_EQ(std::string(bytes, count), "a\r\n");
  // The text from here on, line ends kept, with a terminating zero.
  t_handle text = sysmem_newhandle(0);
  EXPECT_EQ(sysfile_readtextfile(file, text, 0, TEXT_NULL_TERMINATE), MAX_ERR_NONE);
  ASSERT_EQ(sysmem_handlesize(text), 6u);
  EXPECT_STREQ(*text, "b\rc\nd");
  EXPECT_EQ(sysfile_setpos(file, SYSFILE_FROMSTART, 2), MAX_ERR_NONE);
  EXPECT_EQ(sysfile_readtextfile(file, text, 3, TEXT_LB_UNIX), MAX_ERR_NONE);
  EXPECT_EQ(std::string(*text, sysmem_handlesize(text)), "\nb\n");
  sysmem_freehandle(text);
  EXPECT_EQ(sysfile_close(file), MAX_ERR_NONE);
}

TEST_F(Files, DialogIsCancelledUnlessAnAnswerIsSet) {
  char name[MAX_FILENAME_CHARS] = "unchanged";
  short path = -1;
  t_fourcc type = 1;
  EXPECT_NE(open_dialog(name, &path, &type, nullptr, 0), 0);
  EXPECT_STREQ(name, "unchanged");

  p.host().set_dialog_answer(root / "second" / "only.txt");
  ASSERT_EQ(open_dialog(name, &path, &type, nullptr, 0), 0);
  EXPECT_STREQ(name, "only.txt");
  EXPECT_EQ(type, 0u);
  char full[MAX_PATH_CHARS];
  ASSERT_EQ(path_topathname(path, name, full), 0);
  EXPECT_EQ(fs::path(full), root / "second" / "only.txt");
  t_filehandle file = nullptr;
  ASSERT_EQ(path_opensysfile(name, path, &file, 1), 0);
  sysfile_close(file);
}

} // namespace
