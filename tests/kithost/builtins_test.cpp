// The built-in classes as a user finds them: every box the README's tables
// document is listed by --list and described by --describe (an alias as its
// class) with the inlets and outlets they give, and every built-in class
// --list names is documented. The scripts of each family's table
// (builtin_case.hpp) run here.
#include "builtin_case.hpp"

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
  int inlets = -1; ///< -1 where the table gives no plain count
  int outlets = -1;
};

/// How many places --describe lists under "inlets:" or "outlets:".
int places(const Lines &described, const std::string &heading) {
  auto line = std::find(described.begin(), described.end(), heading);
  if (line == described.end())
    return -1;
  int count = 0;
  while (++line != described.end() && line->starts_with("  "))
    ++count;
  return count;
}

/// The boxes of the tables under "## Built-in classes": the first word of
/// the first column and the words of the second, each in backticks.
std::vector<Documented> documented_boxes() {
  std::ifstream in(KITHOST_README);
  EXPECT_TRUE(in) << KITHOST_README;
  std::vector<Documented> boxes;
  const std::regex row(R"(^\| `([^` ]+)[^`]*` \| ([^|]*)\| ([^|]*)\|)");
  const std::regex counts(R"(^(\d+) / (\d+) $)");
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
    const std::string places = match[3];
    std::smatch numbers;
    if (std::regex_match(places, numbers, counts)) {
      box.inlets = std::stoi(numbers[1]);
      box.outlets = std::stoi(numbers[2]);
    }
    boxes.push_back(box);
  }
  return boxes;
}

TEST_P(BuiltinScripts, Script) {
  expect_printed(GetParam());
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
      // A box made without arguments has the places the table gives.
      if (box.inlets >= 0 && places(described.out, "inlets:") >= 0) {
        EXPECT_EQ(places(described.out, "inlets:"), box.inlets) << name;
        EXPECT_EQ(places(described.out, "outlets:"), box.outlets) << name;
      }
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
