// mensor against failures of the host's file layer, which real files cannot
// be made to show reliably (permissions do not bind root).
//
// This program defines path_opensysfile, sysfile_geteof and sysfile_close
// itself and exports them, so the mensor module, loaded later, binds to
// these; each counts the files open and passes the call on to the host's
// own, unless a test asked it to fail with a given code.
#include "patch.hpp"

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <errno.h>
#include <stdlib.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {
std::atomic<int> files_open{0};
std::atomic<short> open_fails_with{0};    // 0: the host's own outcome
std::atomic<t_max_err> eof_fails_with{0}; // 0: the host's own outcome

template <class F> F host_function(const char *name) {
  return reinterpret_cast<F>(dlsym(RTLD_NEXT, name));
}
} // namespace

extern "C" short path_opensysfile(const char *name, const short path, t_filehandle *ref,
                                  short perm) {
  using Open = short (*)(const char *, short, t_filehandle *, short);
  static const Open host_open = host_function<Open>("path_opensysfile");
  if (short code = open_fails_with.load()) {
    return code;
  }
  const short code = host_open(name, path, ref, perm);
  if (code == 0) {
    ++files_open;
  }
  return code;
}

extern "C" t_max_err sysfile_geteof(t_filehandle f, t_ptr_size *logeof) {
  using GetEof = t_max_err (*)(t_filehandle, t_ptr_size *);
  static const GetEof host_geteof = host_function<GetEof>("sysfile_geteof");
  if (t_max_err code = eof_fails_with.load()) {
    return code;
  }
  return host_geteof(f, logeof);
}

extern "C" t_max_err sysfile_close(t_filehandle f) {
  using Close = t_max_err (*)(t_filehandle);
  static const Close host_close = host_function<Close>("sysfile_close");
  const t_max_err code = host_close(f);
  if (f) {
    --files_open;
  }
  return code;
}

namespace {

namespace fs = std::filesystem;
using kittest::Lines;

class MensorFiles : public ::testing::Test {
protected:
  fs::path dir;
  kittest::Patch p;
  t_object *m = nullptr;
  std::vector<int> open_at_output; // files open whenever the outlet fired

  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "mensor-files-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir = pattern;
    std::ofstream(dir / "five.txt") << "hello";
    std::ofstream(dir / "twelve.bin") << "0123456789AB";
    p.host().add_search_path(dir);
    m = p.make("m", "mensor");
    ASSERT_NE(m, nullptr);
    p.take(); // the banner of the module's first load
    p.host().watch(m, 0, [this](t_symbol *, std::span<const t_atom>) {
      open_at_output.push_back(files_open.load());
    });
  }
  void TearDown() override {
    open_fails_with = 0;
    eof_fails_with = 0;
    std::error_code ec;
    fs::remove_all(dir, ec);
  }

  Lines open(const std::string &name) {
    p.send(m, 0, gensym("open"), {kittest::sym_atom(name.c_str())});
    p.advance(0);
    return p.take();
  }
};

// Whatever the outlet sets off in the patch finds no file left open, after a
// size as after a failure.
TEST_F(MensorFiles, NoFileIsOpenWhenTheOutcomeGoesOut) {
  EXPECT_EQ(open("five.txt"), Lines{"m.0: 5"});
  eof_fails_with = MAX_ERR_GENERIC;
  EXPECT_EQ(open("twelve.bin"), Lines{"m.0: -1"});
  eof_fails_with = 0;
  EXPECT_EQ(open("twelve.bin"), Lines{"m.0: 12"});
  EXPECT_EQ(open_at_output, (std::vector<int>{0, 0, 0}));
  EXPECT_EQ(files_open.load(), 0);
}

// A file that opens but cannot be measured sends the host's code, not a size
// of 0, and the last size stays.
TEST_F(MensorFiles, SizeThatCannotBeReadSendsTheHostsCode) {
  EXPECT_EQ(open("five.txt"), Lines{"m.0: 5"});
  eof_fails_with = MAX_ERR_INVALID_PTR;
  EXPECT_EQ(open("twelve.bin"), Lines{"m.0: -2"});
  p.send(m, "bang");
  EXPECT_EQ(p.take(), Lines{"m.0: 5"});
  EXPECT_EQ(files_open.load(), 0);
}

// A file that is found but does not open sends the host's code (here that of
// a refused permission), and the last size stays.
TEST_F(MensorFiles, FileThatDoesNotOpenSendsTheHostsCode) {
  EXPECT_EQ(open("twelve.bin"), Lines{"m.0: 12"});
  open_fails_with = EACCES;
  EXPECT_EQ(open("five.txt"), Lines{"m.0: " + std::to_string(EACCES)});
  p.send(m, "bang");
  EXPECT_EQ(p.take(), Lines{"m.0: 12"});
  // A name that is not found never gets that far.
  EXPECT_EQ(open("missing.txt"), Lines{"m.0: -1"});
  EXPECT_EQ(files_open.load(), 0);
}

} // namespace
