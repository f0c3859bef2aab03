// The message box of patcher files as the visual host has it: its text read
// with escapes, quotes and placeholders, its two inlets, and the messages
// that change its content. Each case is a patch holding one message box
// named m, driven by a script.
#include "run_kithost.hpp"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

using namespace kithost_test;

namespace {

/// A patch of message boxes, each {"varname", "text"}.
std::string message_patch(const std::vector<std::pair<std::string, std::string>> &boxes) {
  nlohmann::json list = nlohmann::json::array();
  for (const auto &[name, text] : boxes)
    list.push_back(
        {{"box",
          {{"id", "obj-" + name}, {"maxclass", "message"}, {"text", text}, {"varname", name}}}});
  return nlohmann::json{{"patcher", {{"boxes", list}}}}.dump();
}

struct BoxCase {
  std::string name;
  std::string text;   ///< the box's text as the file holds it
  std::string script; ///< lines after "print m"
  Lines out;
};

void PrintTo(const BoxCase &c, std::ostream *out) {
  *out << c.name;
}

class MessageBox : public ::testing::TestWithParam<BoxCase> {};

TEST_P(MessageBox, SendsWhatItsTextAndInletsSay) {
  TempDir dir;
  const auto patch = dir.write("box.maxpat", message_patch({{"m", GetParam().text}}));
  const auto script = dir.write("drive.kit", "print m\n" + GetParam().script);
  const Result result =
      run_kithost({"--modules", test_modules(), "--strict", patch.string(), script.string()});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.err, Lines{});
  EXPECT_EQ(result.out, GetParam().out);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, MessageBox,
    ::testing::Values(
        BoxCase{"EscapedCommaStaysInItsWord",
                R"(/a/{1\,3} bang)",
                "send m bang\n",
                {"m.0: /a/{1,3} bang"}},
        BoxCase{"EscapedSemicolonAndDollarAreLiteral",
                R"(a\; \$1 $1 x\,)",
                "send m 5\n",
                {"m.0: a; $1 5 x,"}},
        BoxCase{"CommasSeparateMessagesSentInOrder",
                "1, two 2,, 3.5",
                "send m bang\n",
                {"m.0: 1", "m.0: two 2", "m.0: 3.5"}},
        BoxCase{"QuotesHoldBlanksCommasAndSemicolons",
                R"("a, b;" "say \"hi\"" $1)",
                "send m 7\n",
                {R"(m.0: "a, b;" "say \"hi\"" 7)"}},
        BoxCase{"PlaceholdersStandAnywhereAndMissingOnesAreZero",
                "$2 $1 $3",
                "send m list x 5\n",
                {"m.0: 5 x 0"}},
        BoxCase{"AMessagesSelectorIsTheFirstArgument",
                "got $1 $2 $3",
                "send m hello 3\nsend m bang\n",
                {"m.0: got hello 3 0", "m.0: got 0 0 0"}},
        BoxCase{"TheRightInletSetsTheContentWithoutSending",
                "old",
                "send m:1 7 8\nsend m bang\nsend m:1 set it\nsend m bang\nsend m:1 bang\n"
                "send m 1\n",
                {"m.0: 7 8", "m.0: set it", "m.0: bang"}},
        BoxCase{
            "SetReplacesTheWholeContent", "a, b", "send m set $1 c\nsend m bang\n", {"m.0: $1 c"}},
        BoxCase{"SetWithNothingEmptiesTheBox", "a", "send m set\nsend m bang\nsend m 3\n", {}},
        BoxCase{"AppendExtendsTheLastMessagePrependTheFirst",
                "a, b",
                "send m append 1 2\nsend m prepend 0\nsend m bang\n",
                {"m.0: 0 a", "m.0: b 1 2"}},
        BoxCase{"AppendToAnEmptyBoxFillsIt",
                "",
                "send m append x\nsend m prepend 1\nsend m bang\n",
                {"m.0: 1 x"}}),
    [](const auto &info) { return info.param.name; });

TEST(MessageBoxReceivers, SemicolonLinesGoToEveryReceiverOfTheName) {
  // Before the first ';' the box's own outlet; after it, a name and its
  // messages, commas sending more to the same name; $1 may name it.
  nlohmann::json boxes = nlohmann::json::array();
  auto add = [&](const std::string &id, const std::string &maxclass, const std::string &text) {
    boxes.push_back(
        {{"box", {{"id", id}, {"maxclass", maxclass}, {"text", text}, {"varname", id}}}});
  };
  add("m", "message", "out $1; rx hello $1, 2; $2 bang; nobody 1");
  add("r1", "newobj", "receive rx");
  add("r2", "newobj", "r rx");
  add("r3", "newobj", "r other");
  nlohmann::json lines = nlohmann::json::array();
  for (const char *from : {"r1", "r2", "r3"}) {
    add(std::string("p") + from, "newobj", std::string("print ") + from);
    lines.push_back(
        {{"patchline", {{"source", {from, 0}}, {"destination", {std::string("p") + from, 0}}}}});
  }
  TempDir dir;
  const auto patch = dir.write(
      "rx.maxpat", nlohmann::json{{"patcher", {{"boxes", boxes}, {"lines", lines}}}}.dump());
  const auto script = dir.write("drive.kit", "print m\nsend m 7 other\n");
  const Result result =
      run_kithost({"--modules", test_modules(), "--strict", patch.string(), script.string()});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.err, Lines{});
  EXPECT_EQ(result.out, (Lines{"m.0: out 7", "post: r1: hello 7", "post: r2: hello 7",
                               "post: r1: 2", "post: r2: 2", "post: r3: bang"}));
}

} // namespace
