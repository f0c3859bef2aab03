// mensor through the real module: files found through the host's search
// path or its open dialog, measured when the host runs its low-priority
// queue.
#include "patch.hpp"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <system_error>
#ifdef _WIN32
#include <process.h>
#else
#include <unistd.h>
#endif

namespace {

namespace fs = std::filesystem;
using kittest::Lines;
using kittest::Patch;

// What the console said while the module was loaded, once per process.
Lines registration_lines;

class LoadMensor : public ::testing::Environment {
public:
  void SetUp() override {
    Patch p;
    std::string error;
    ASSERT_NE(p.host().load_class("mensor", error), nullptr) << error;
    registration_lines = p.take();
  }
};

[[maybe_unused]] auto *const load_mensor = ::testing::AddGlobalTestEnvironment(new LoadMensor);

class TempDir {
public:
  TempDir() {
#ifdef _WIN32
    // No mkdtemp: a name of the process and the clock, made or failed at once.
    const fs::path candidate =
        fs::temp_directory_path() /
        ("mensor-test-" + std::to_string(_getpid()) + "-" +
         std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
    std::error_code ec;
    if (fs::create_directory(candidate, ec)) {
      path_ = candidate;
    }
#else
    std::string pattern = (fs::temp_directory_path() / "mensor-test-XXXXXX").string();
    if (mkdtemp(pattern.data())) {
      path_ = pattern;
    }
#endif
  }
  ~TempDir() {
    std::error_code ec;
    if (!path_.empty()) {
      fs::remove_all(path_, ec);
    }
  }
  const fs::path &path() const {
    return path_;
  }
  fs::path write(const std::string &name, const std::string &content) const {
    const fs::path file = path_ / name;
    std::ofstream(file, std::ios::binary) << content;
    return file;
  }

private:
  fs::path path_;
};

class Mensor : public ::testing::Test {
protected:
  TempDir dir;
  Patch p;
  t_object *m = nullptr;

  void SetUp() override {
    ASSERT_FALSE(dir.path().empty());
    dir.write("five.txt", "hello");
    dir.write("empty.txt", "");
    dir.write("twelve.bin", std::string("\0\1\2\3\4\5\6\7\x08\x09\x0A\x0B", 12));
    p.host().add_search_path(dir.path());
  }

  void make(std::string_view box = "mensor") {
    m = p.make("m", box);
    ASSERT_NE(m, nullptr);
  }

  // Sends "open NAME" and runs the low-priority queue.
  Lines open(const std::string &name) {
    p.send(m, 0, gensym("open"), {kittest::sym_atom(name.c_str())});
    p.advance(0);
    return p.take();
  }

  Lines bang() {
    p.send(m, "bang");
    return p.take();
  }
};

TEST(MensorClass, RegistrationPostsOneBanner) {
  EXPECT_EQ(registration_lines, Lines{"post: mensor: file size reporter"});
}

TEST_F(Mensor, OpenMeasuresLaterFromTheQueue) {
  make();
  p.send(m, "open five.txt");
  EXPECT_EQ(p.take(), Lines{});
  p.advance(0);
  EXPECT_EQ(p.take(), Lines{"m.0: 5"});
  EXPECT_EQ(bang(), Lines{"m.0: 5"});
  EXPECT_EQ(open("twelve.bin"), Lines{"m.0: 12"});
  EXPECT_EQ(bang(), Lines{"m.0: 12"});
}

TEST_F(Mensor, EmptyFileMeasuresZero) {
  make();
  EXPECT_EQ(open("five.txt"), Lines{"m.0: 5"});
  EXPECT_EQ(open("empty.txt"), Lines{"m.0: 0"});
  EXPECT_EQ(bang(), Lines{"m.0: 0"});
}

TEST_F(Mensor, MissingFileSendsMinusOneAndKeepsTheLastSize) {
  make();
  EXPECT_EQ(open("missing.txt"), Lines{"m.0: -1"});
  EXPECT_EQ(bang(), Lines{"m.0: 0"});
  EXPECT_EQ(open("five.txt"), Lines{"m.0: 5"});
  EXPECT_EQ(open("missing.txt"), Lines{"m.0: -1"});
  EXPECT_EQ(bang(), Lines{"m.0: 5"});
}

TEST_F(Mensor, NamesWithBlanksAreFound) {
  dir.write("two words.txt", "abc");
  make();
  EXPECT_EQ(open("two words.txt"), Lines{"m.0: 3"});
}

// The name buffer holds 255 characters and the NUL: a longer name is not
// looked up at all.
TEST_F(Mensor, NameLongerThanTheBufferIsNotFound) {
  const std::string longest = std::string(251, 'n') + ".txt";
  ASSERT_EQ(longest.size(), 255u);
  dir.write(longest, "1234567");
  make();
  EXPECT_EQ(open(longest), Lines{"m.0: 7"});
  EXPECT_EQ(open(longest + "x"), Lines{"m.0: -1"});
  EXPECT_EQ(open(std::string(4000, 'z')), Lines{"m.0: -1"});
  EXPECT_EQ(bang(), Lines{"m.0: 7"});

  // The host finds absolute names too; one that exists but is too long for
  // the buffer is still not looked up.
  EXPECT_EQ(open((dir.path() / "five.txt").string()), Lines{"m.0: 5"});
  const fs::path deep = dir.path() / std::string(120, 'a') / std::string(120, 'b');
  fs::create_directories(deep);
  const std::string far = (deep / "far.txt").string();
  std::ofstream(far) << "12";
  ASSERT_GT(far.size(), 255u);
  EXPECT_EQ(open(far), Lines{"m.0: -1"});
}

TEST_F(Mensor, OpenWithoutNameAsksTheDialog) {
  make();
  p.host().set_dialog_answer(dir.path() / "twelve.bin");
  p.send(m, "open");
  EXPECT_EQ(p.take(), Lines{});
  p.advance(0);
  EXPECT_EQ(p.take(), Lines{"m.0: 12"});

  p.host().set_dialog_answer(std::nullopt);
  p.send(m, "open");
  p.advance(0);
  EXPECT_EQ(p.take(), Lines{});
  EXPECT_EQ(bang(), Lines{"m.0: 12"});
}

TEST_F(Mensor, DialogAnswerOutsideTheSearchPathIsMeasured) {
  TempDir other;
  ASSERT_FALSE(other.path().empty());
  make();
  p.host().set_dialog_answer(other.write("elsewhere.txt", "123456789"));
  p.send(m, "open");
  p.advance(0);
  EXPECT_EQ(p.take(), Lines{"m.0: 9"});
}

TEST_F(Mensor, QueuedOpensRunInOrder) {
  make();
  p.send(m, "open five.txt");
  p.send(m, "open missing.txt");
  p.send(m, "open empty.txt");
  p.send(m, "bang");
  EXPECT_EQ(p.take(), Lines{"m.0: 0"});
  p.advance(0);
  EXPECT_EQ(p.take(), (Lines{"m.0: 5", "m.0: -1", "m.0: 0"}));
}

TEST_F(Mensor, CreationArgumentIsMeasuredAtOnce) {
  make("mensor twelve.bin");
  EXPECT_EQ(p.take(), Lines{});
  EXPECT_EQ(bang(), Lines{"m.0: 12"});

  auto *missing = p.make("x", "mensor missing.txt");
  ASSERT_NE(missing, nullptr);
  p.send(missing, "bang");
  EXPECT_EQ(p.take(), Lines{"x.0: 0"});
}

TEST_F(Mensor, CreationWithoutArgumentShowsNoDialog) {
  p.host().set_dialog_answer(dir.path() / "five.txt");
  make();
  p.advance(0);
  EXPECT_EQ(p.take(), Lines{});
  EXPECT_EQ(bang(), Lines{"m.0: 0"});
}

TEST_F(Mensor, FreedObjectMissesItsQueuedOpen) {
  make();
  p.send(m, "open five.txt");
  p.free(m);
  p.advance(0);
  EXPECT_EQ(p.take(), Lines{});
}

TEST_F(Mensor, UnreadableFileSendsTheHostsCode) {
#ifdef _WIN32
  GTEST_SKIP() << "a file cannot be made unreadable by its permission bits";
#else
  if (geteuid() == 0) {
    GTEST_SKIP() << "permissions do not bind root";
  }
#endif
  const fs::path file = dir.write("locked.txt", "secret");
  fs::permissions(file, fs::perms::none);
  make();
  EXPECT_EQ(open("five.txt"), Lines{"m.0: 5"});
  const Lines lines = open("locked.txt");
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_NE(lines[0], "m.0: 0");
  EXPECT_NE(lines[0], "m.0: 6");
  EXPECT_EQ(bang(), Lines{"m.0: 5"});
}

// Sizes are kept in 32 signed bits: 4 GiB and 7 bytes is narrowed to 7.
TEST_F(Mensor, SizeIsNarrowedToThirtyTwoBits) {
  const fs::path file = dir.write("sparse.bin", "");
  std::error_code ec;
  fs::resize_file(file, (std::uintmax_t{1} << 32) + 7, ec);
  if (ec) {
    GTEST_SKIP() << "no sparse file here: " << ec.message();
  }
  make();
  EXPECT_EQ(open("sparse.bin"), Lines{"m.0: 7"});
}

TEST_F(Mensor, AssistTexts) {
  make();
  auto &host = p.host();
  EXPECT_EQ(host.inlet_count(m), 1);
  EXPECT_EQ(host.outlet_count(m), 1);
  EXPECT_EQ(host.assist(m, ASSIST_INLET, 0), "open, bang");
  EXPECT_EQ(host.assist(m, ASSIST_OUTLET, 0), "mensor <int>");
  EXPECT_EQ(host.assist(m, ASSIST_INLET, 1), "");
  EXPECT_EQ(host.assist(m, ASSIST_OUTLET, 1), "");
}

} // namespace
