// The built-in classes as a user finds them: every box the README's tables
// document is listed by --list and described by --describe (an alias as its
// class), and every built-in class --list names is documented.
#include "run_kithost.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <regex>
#include <set>
#include <string>

using namespace kithost_test;

namespace {

struct Documented {
  std::string name;
  std::vector<std::string> aliases;
};

/// The boxes of the tables under "## Built-in classes": the first word of
/// the first column and the words of the second, each in backticks.
std::vector<Documented> documented_boxes() {
  std::ifstream in(KITHOST_README);
  EXPECT_TRUE(in) << KITHOST_README;
  std::vector<Documented> boxes;
  const std::regex row(R"(^\| `([^` ]+)[^`]*` \| ([^|]*)\|)");
  const std::regex quoted("`([^`]+)`");
  bool inside = false;
  std::string line;
  while (std::getline(in, line)) {
    if (line.starts_with("## "))
      inside = line == "## Built-in classes";
    std::smatch match;
    if (!inside || !std::regex_search(line, match, row))
      continue;
    Documented box{match[1], {}};
    const std::string aliases = match[2];
    for (std::sregex_iterator it(aliases.begin(), aliases.end(), quoted), end; it != end; ++it)
      box.aliases.push_back((*it)[1]);
    boxes.push_back(box);
  }
  return boxes;
}

TEST(Builtins, EveryDocumentedBoxIsListedAndDescribedAndEveryListedOneDocumented) {
  const std::vector<Documented> boxes = documented_boxes();
  ASSERT_GT(boxes.size(), 10u);
  const Result listed = run_kithost({"--modules", test_modules(), "--list"});
  ASSERT_EQ(listed.status, 0);
  const std::set<std::string> classes(listed.out.begin(), listed.out.end());
  std::set<std::string> names;
  for (const Documented &box : boxes) {
    std::vector<std::string> spellings{box.name};
    spellings.insert(spellings.end(), box.aliases.begin(), box.aliases.end());
    for (const std::string &name : spellings) {
      names.insert(name);
      EXPECT_TRUE(classes.contains(name)) << name << " is documented but not listed";
      const Result described = run_kithost({"--modules", test_modules(), "--describe", name});
      EXPECT_EQ(described.status, 0) << name;
      EXPECT_EQ(described.out.empty() ? "" : described.out[0], "class " + box.name) << name;
    }
  }
  // Documented in sections of their own: the test module, the boxes of
  // subpatchers and message boxes, the datagram classes.
  const std::set<std::string> elsewhere{"kt-echo", "inlet",      "outlet",
                                        "message", "udpreceive", "udpsend"};
  for (const std::string &name : classes)
    if (!names.contains(name) && !elsewhere.contains(name))
      ADD_FAILURE() << name << " is listed but not documented in the README's tables";
}

} // namespace
