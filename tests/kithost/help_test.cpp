// Every class has a help patch, and each runs headless without an error.
#include "run_kithost.hpp"

#include "patch.hpp"

#include <gtest/gtest.h>

using namespace kithost_test;
namespace fs = std::filesystem;

namespace {

std::vector<std::string> built_classes() {
  std::vector<std::string> classes;
  for (const auto &entry : fs::directory_iterator(kittest::module_dir()))
    if (entry.path().extension() == ".so" || entry.path().extension() == ".mxe64")
      classes.push_back(entry.path().stem().string());
  return classes;
}

TEST(HelpPatches, EveryClassHasOneAndItRunsCleanly) {
  const std::vector<std::string> classes = built_classes();
  ASSERT_FALSE(classes.empty());
  for (const auto &class_name : classes) {
    const fs::path help = fs::path(KIT_HELP_DIR) / (class_name + ".maxpat");
    ASSERT_TRUE(fs::exists(help)) << "no help patch for " << class_name;
    Result run = run_kithost({"--fail-on-error", "--run", "100", help.string()});
    EXPECT_EQ(run.status, 0) << class_name;
    EXPECT_EQ(run.err, Lines{}) << class_name;
    bool printed = false;
    for (const auto &line : run.out) {
      EXPECT_NE(line.rfind("error: ", 0), 0u) << class_name << ": " << line;
      printed = printed || line.rfind("post: ", 0) == 0;
    }
    // Every help patch shows something on its own, the network ones too
    // (on loopback, from their loadbang).
    EXPECT_TRUE(printed) << class_name << " printed nothing";
  }
}

} // namespace
