// The example scripts run with the kit's own modules, found by kithost
// beside itself, and print what the objects are specified to print.
#include "run_kithost.hpp"

#include "patch.hpp"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <algorithm>
#include <fstream>

using namespace kithost_test;
namespace fs = std::filesystem;

namespace {

/// The example's output without "post:" lines (module banners).
Lines run_example(const std::string &class_name) {
  Result run = run_kithost({std::string(KIT_EXAMPLES_DIR) + "/" + class_name + ".kit"});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.err, Lines{});
  Lines lines;
  for (auto &line : run.out)
    if (line.rfind("post: ", 0) != 0)
      lines.push_back(line);
  return lines;
}

TEST(Examples, CommandEncoder) {
  ASSERT_TRUE(kittest::module_built("rk+cmd"));
  Lines lines = run_example("rk+cmd");
  Lines expected;
  for (int code :
       {42, 48, 49, 65, 66, 35, 42, 48, 48, 70, 70, 49, 48, 42, 48, 48, 70, 70, 35, 42, 35})
    expected.push_back("cmd.0: " + std::to_string(code));
  EXPECT_EQ(lines, expected);
}

TEST(Examples, ListBuffer) {
  ASSERT_TRUE(kittest::module_built("rklbuf"));
  Lines lines = run_example("rklbuf");
  EXPECT_EQ(lines, (Lines{
                       "buf.0: 10 20 0 0",
                       "buf.1: 3",
                       "buf.1: 7",
                       "buf.1: 8",
                       "buf.1: 1",
                       "buf.1: 2",
                       "buf.0: 0.1 20 0 0",
                       "buf.0: 0.1 hello 0 0",
                       "buf.1: 3",
                       "buf.0: 0.1 hello 0 0 0 0",
                       "error: lbuf: invalid buffer size (300)",
                       "buf.1: 13",
                       "buf.1: 8",
                       "buf.0: 4 5 0 0 0 0",
                       "buf.1: 13",
                       "buf.1: 266",
                       "buf.1: 269",
                       "buf.1: 11",
                       "buf.0: 4 5 0",
                       "buf.1: 0",
                       "error: lbuf: invalid buffer size (300)",
                       "bad.1: 1",
                   }));
}

TEST(Examples, FileSizeReporter) {
  ASSERT_TRUE(kittest::module_built("mensor"));
  Lines lines = run_example("mensor");
  EXPECT_EQ(lines, (Lines{"m.0: 45", "m.0: 0", "m.0: 0", "m.0: -1", "m.0: 0"}));
}

} // namespace

namespace {

TEST(Examples, DescribeShowsTheAssistTextsInPlaceOrder) {
  ASSERT_TRUE(kittest::module_built("rklbuf"));
  Result run = run_kithost({"--describe", "rklbuf"});
  EXPECT_EQ(run.status, 0);
  const Lines out = run.out;
  const auto inlets = std::find(out.begin(), out.end(), "inlets:");
  ASSERT_NE(inlets, out.end()) << ::testing::PrintToString(out);
  EXPECT_EQ(
      Lines(inlets, out.end()),
      (Lines{"inlets:", "  0: Elements (list, int, float, symbol)", "  1: Set current index (int)",
             "  2: Buffer size (int)", "  3: Buffer base (int)",
             "outlets:", "  0: Entire buffer (list)", "  1: Current index (int)"}));
}

} // namespace

namespace {

// The example of every reference page (the "example" of each CLASS.doc.json)
// runs line by line: a renamed message or a changed argument shows up here.
// Run from the project folder, where their file names lead.
TEST(Examples, EveryReferencePageExampleRuns) {
  const fs::path root = fs::path(KIT_EXAMPLES_DIR).parent_path();
  int examples = 0;
  for (const char *folder : {"src", "Sources/Max/universal", "mensor"})
    for (const auto &entry : fs::directory_iterator(root / folder)) {
      const std::string name = entry.path().filename().string();
      const auto suffix = name.rfind(".doc.json");
      if (suffix == std::string::npos || suffix + 9 != name.size())
        continue;
      const std::string class_name = name.substr(0, suffix);
      // A class with a description is a class the build makes.
      if (!kittest::module_built(class_name)) {
        ADD_FAILURE() << kittest::module_built(class_name).message();
        continue;
      }
      std::ifstream file(entry.path());
      const auto doc = nlohmann::json::parse(file);
      TempDir dir;
      const auto script = dir.write(class_name + ".kit", doc.at("example").get<std::string>());
      Result run = run_kithost({script.string()}, {}, root);
      EXPECT_EQ(run.status, 0) << class_name;
      EXPECT_EQ(run.err, Lines{}) << class_name;
      ++examples;
    }
  EXPECT_GE(examples, 5);
}

} // namespace
