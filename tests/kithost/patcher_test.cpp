// kithost running patcher files end to end: boxes, lines, subpatchers,
// message boxes, loadbang, the timed built-ins, and every malformed file
// reported with where it went wrong.
#include "patcher_json.hpp"
#include "run_kithost.hpp"

#include <gtest/gtest.h>

#include <algorithm>

using namespace kithost_test;
namespace fs = std::filesystem;

namespace {

class Patcher : public ::testing::Test {
protected:
  Result run(const std::string &text, std::vector<std::string> options = {}) {
    path = dir.write("test.maxpat", text);
    std::vector<std::string> args{"--modules", test_modules()};
    args.insert(args.end(), options.begin(), options.end());
    args.push_back(path.string());
    return run_kithost(args, {}, dir.path());
  }
  /// The one diagnostic a failed run printed, without "kithost: FILE: ".
  std::string failure(const Result &result) const {
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.err.size(), 1u) << ::testing::PrintToString(result.err);
    if (result.err.empty())
      return {};
    const std::string prefix = "kithost: " + path.string();
    EXPECT_EQ(result.err[0].rfind(prefix, 0), 0u) << result.err[0];
    return result.err[0].substr(std::min(result.err[0].size(), prefix.size()));
  }

  TempDir dir;
  fs::path path;
};

TEST_F(Patcher, MessageBoxSendsItsMessagesWithArguments) {
  // The loadbang reaches three boxes at the same position: the file's order
  // decides. "set" replaces the content without sending; the button's bang
  // then sends the new content, whose $1 has no argument.
  Result result =
      run(file({box("lb", "newobj", "loadbang"), box("args", "message", "3 x 1.5"),
                box("box", "message", R"(1 2, bang, $2 and $1, $3, \"a b\" $1, 0.5, go, set 9)"),
                box("setter", "message", "set 9 $1"), box("p", "newobj", "print out"),
                box("again", "button", "")},
               {line("lb", 0, "args", 0), line("args", 0, "box", 0), line("box", 0, "p", 0),
                line("lb", 0, "setter", 0), line("setter", 0, "box", 0), line("lb", 0, "again", 0),
                line("again", 0, "box", 0)}));
  EXPECT_EQ(result.status, 0) << ::testing::PrintToString(result.err);
  EXPECT_EQ(result.out, (Lines{"post: out: 1 2", "post: out: bang", "post: out: x and 3",
                               "post: out: 1.5", R"(post: out: "a b" 3)", "post: out: 0.5",
                               "post: out: go", "post: out: set 9", "post: out: 9 0"}));
}

TEST_F(Patcher, FanOutRunsRightToLeftThenInFileOrder) {
  Result result = run(file({box("lb", "newobj", "loadbang", 0), box("a", "newobj", "print a", 10),
                            box("b", "newobj", "print b", 300), box("c", "newobj", "print c", 150),
                            box("d", "newobj", "print d", 150)},
                           {line("lb", 0, "a", 0), line("lb", 0, "b", 0), line("lb", 0, "c", 0),
                            line("lb", 0, "d", 0)}));
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out,
            (Lines{"post: b: bang", "post: c: bang", "post: d: bang", "post: a: bang"}));
}

TEST_F(Patcher, SubpatchersConnectThroughTheirInletAndOutletBoxes) {
  // Inlets and outlets count left to right by position, whatever the order
  // of the boxes in the file; a subpatcher may hold another.
  const std::string innermost =
      patcher({box("in", "inlet", ""), box("tag", "message", "deep $1"), box("out", "outlet", "")},
              {line("in", 0, "tag", 0), line("tag", 0, "out", 0)});
  const std::string inner =
      patcher({box("right-in", "inlet", "", 200), box("left-in", "inlet", "", 20),
               box("left-out", "outlet", "", 20), box("right-out", "outlet", "", 200),
               box("tag", "message", "right $1", 200),
               box("nest", "newobj", "p innermost", 20, R"("patcher": )" + innermost)},
              {line("left-in", 0, "nest", 0), line("nest", 0, "left-out", 0),
               line("right-in", 0, "tag", 0), line("tag", 0, "right-out", 0)});
  Result result =
      run(file({box("lb", "newobj", "loadbang"), box("seven", "message", "7", 0),
                box("eight", "message", "8", 100),
                box("sub", "newobj", "p outer", 0, R"("patcher": )" + inner),
                box("p0", "newobj", "print left"), box("p1", "newobj", "print right")},
               {line("lb", 0, "seven", 0), line("lb", 0, "eight", 0), line("seven", 0, "sub", 0),
                line("eight", 0, "sub", 1), line("sub", 0, "p0", 0), line("sub", 1, "p1", 0)}));
  EXPECT_EQ(result.status, 0) << ::testing::PrintToString(result.err);
  EXPECT_EQ(result.out, (Lines{"post: right: right 8", "post: left: deep 7"}));
}

TEST_F(Patcher, LoadbangsFireAfterEverythingExistsInnermostFirst) {
  const std::string inner =
      patcher({box("lb", "newobj", "loadbang"), box("p", "newobj", "print inner")},
              {line("lb", 0, "p", 0)});
  // The line from the first loadbang is listed after the box it reaches is
  // made, and after the second loadbang: all exist before any fires.
  Result result =
      run(file({box("first", "newobj", "loadbang"), box("second", "newobj", "loadbang"),
                box("sub", "newobj", "p inner", 0, R"("patcher": )" + inner),
                box("p1", "newobj", "print first"), box("p2", "newobj", "print second")},
               {line("second", 0, "p2", 0), line("first", 0, "p1", 0)}));
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out, (Lines{"post: inner: bang", "post: first: bang", "post: second: bang"}));
}

TEST_F(Patcher, TimedObjectsRunOnlyForTheRunTime) {
  // metro 100 bangs at 0, 100, 200 and 300 of logical time; the delay stops
  // it at 350. Clocks fire in time order and the metro keeps to its own
  // schedule, so the count does not depend on the machine's speed.
  const std::string text = file(
      {box("lb", "newobj", "loadbang", 0), box("m", "newobj", "metro 100", 0),
       box("p", "newobj", "print tick", 0), box("d", "newobj", "delay 350", 100),
       box("stop", "message", "stop", 100), box("after", "newobj", "delay 100000", 200),
       box("late", "newobj", "print late", 200)},
      {line("lb", 0, "m", 0), line("m", 0, "p", 0), line("lb", 0, "d", 0), line("d", 0, "stop", 0),
       line("stop", 0, "m", 0), line("lb", 0, "after", 0), line("after", 0, "late", 0)});
  Result result = run(text, {"--run", "600"});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out, Lines(4, "post: tick: bang"));
  // Without --run only what is due at once runs.
  result = run(text);
  EXPECT_EQ(result.out, Lines(1, "post: tick: bang"));
}

TEST_F(Patcher, IgnoresUnknownKeysAndComments) {
  Result result = run(R"({"patcher": {"fileversion": 1, "appversion": {"major": 9},
    "rect": [0, 0, 640, 480], "openinpresentation": 0, "boxes": [
    {"box": {"id": "c", "maxclass": "comment", "text": "what this shows", "fontsize": 12}},
    {"box": {"id": "lb", "maxclass": "newobj", "text": "loadbang", "numoutlets": 1,
             "outlettype": ["bang"], "style": "", "varname": "x"}},
    {"box": {"id": "p", "maxclass": "newobj", "text": "print"}}],
    "lines": [{"patchline": {"source": ["lb", 0], "destination": ["p", 0], "order": 1,
               "midpoints": []}}],
    "dependency_cache": [], "autosave": 0}})");
  EXPECT_EQ(result.status, 0) << ::testing::PrintToString(result.err);
  EXPECT_EQ(result.out, Lines{"post: print: bang"});
}

TEST_F(Patcher, FailOnErrorTurnsConsoleErrorsIntoStatusOne) {
  const std::string text = file({box("lb", "newobj", "loadbang"), box("m", "message", "nonsense 1"),
                                 box("d", "newobj", "delay")},
                                {line("lb", 0, "m", 0), line("m", 0, "d", 0)});
  Result result = run(text);
  EXPECT_EQ(result.status, 0);
  ASSERT_EQ(result.out.size(), 1u);
  EXPECT_EQ(result.out[0].rfind("error: ", 0), 0u) << result.out[0];
  EXPECT_EQ(run(text, {"--fail-on-error"}).status, 1);
  EXPECT_EQ(run(file({box("lb", "newobj", "loadbang")}, {}), {"--fail-on-error"}).status, 0);
}

TEST_F(Patcher, MalformedJsonIsReportedWithItsPosition) {
  Result result = run("{\"patcher\": {\n  \"boxes\": [\n    {\"box\": }\n]}}");
  const std::string message = failure(result);
  EXPECT_EQ(message.rfind(":3:13: malformed JSON: ", 0), 0u) << message;
  for (const char *text : {"", "[1, 2", "{\"patcher\": {}} trailing", "\xff"}) {
    result = run(text);
    EXPECT_NE(failure(result).find("malformed JSON"), std::string::npos) << text;
  }
}

struct BadPatch {
  std::string name;
  std::string text;
  std::string message; ///< how the diagnostic goes on after "kithost: FILE: "
};

void PrintTo(const BadPatch &bad, std::ostream *out) {
  *out << bad.name;
}

class PatcherMalformed : public Patcher, public ::testing::WithParamInterface<BadPatch> {};

TEST_P(PatcherMalformed, IsRefusedWithADiagnosticNamingTheFault) {
  // Boxes left out before the fault was found have been reported: the
  // fault comes last.
  for (const char *option : {"--quiet", "--fail-on-error"}) {
    const Result result = run(GetParam().text, {option});
    EXPECT_EQ(result.status, 2);
    ASSERT_FALSE(result.err.empty());
    EXPECT_EQ(result.err.back().rfind("kithost: " + path.string() + ": " + GetParam().message, 0),
              0u)
        << result.err.back();
  }
}

const std::string printer = box("p", "newobj", "print");

INSTANTIATE_TEST_SUITE_P(
    Files, PatcherMalformed,
    ::testing::Values(
        BadPatch{"NotAPatcher", "[]", "expected a JSON object with a \"patcher\" object"},
        BadPatch{"BoxesNotArray", R"({"patcher": {"boxes": 3}})",
                 "/patcher/boxes: must be an array"},
        BadPatch{"BoxWithoutId", R"({"patcher": {"boxes": [{"box": {"maxclass": "newobj"}}]}})",
                 "/patcher/boxes/0/box: a box needs a string \"id\""},
        BadPatch{"DuplicateId", file({printer, printer}, {}),
                 "box 'p' (/patcher/boxes/1/box): the id is used twice in one patcher"},
        BadPatch{"DuplicateIdOfABoxLeftOut", file({box("t", "jsui", ""), box("t", "jsui", "")}, {}),
                 "box 't' (/patcher/boxes/1/box): the id is used twice in one patcher"},
        BadPatch{"LineToNoBox", file({printer}, {line("p", 0, "q", 0)}),
                 "/patcher/lines/0/patchline/destination: no box 'q' in this patcher"},
        BadPatch{"LineFromNoBoxToABoxLeftOut", file({box("t", "jsui", "")}, {line("q", 0, "t", 0)}),
                 "/patcher/lines/0/patchline/source: no box 'q' in this patcher"},
        BadPatch{
            "BadLineEnd",
            R"({"patcher": {"boxes": [], "lines": [{"patchline": {"source": [1, 0], "destination": ["a", 0]}}]}})",
            "/patcher/lines/0/patchline/source: expected [\"BOX-ID\", PORT]"}),
    [](const auto &info) { return info.param.name; });

/// A box or line that cannot be made: --strict refuses the file with the
/// message; by default it is reported with "; left out", and the count of
/// what was left out ends the run.
class PatcherUnmade : public Patcher, public ::testing::WithParamInterface<BadPatch> {};

TEST_P(PatcherUnmade, IsLeftOutOrRefusedWhenStrict) {
  const std::string message = failure(run(GetParam().text, {"--strict"}));
  EXPECT_EQ(message.rfind(": " + GetParam().message, 0), 0u) << message;
  const Result result = run(GetParam().text);
  EXPECT_EQ(result.status, 0);
  ASSERT_EQ(result.err.size(), 2u) << ::testing::PrintToString(result.err);
  const std::string prefix = "kithost: " + path.string() + ": ";
  EXPECT_EQ(result.err[0].rfind(prefix + GetParam().message, 0), 0u) << result.err[0];
  EXPECT_EQ(result.err[0].substr(result.err[0].size() - 10), "; left out") << result.err[0];
  EXPECT_EQ(result.err[1].rfind(prefix, 0), 0u) << result.err[1];
  EXPECT_NE(result.err[1].find(" left out"), std::string::npos) << result.err[1];
}

INSTANTIATE_TEST_SUITE_P(
    Files, PatcherUnmade,
    ::testing::Values(
        BadPatch{"UnknownClass", file({printer, box("x", "newobj", "kt-nosuch 1")}, {}),
                 "box 'x' ('kt-nosuch 1'): "
                 "no module \"kt-nosuch."},
        BadPatch{"RefusedObject", file({box("x", "newobj", "kt-echo refuse")}, {}),
                 "box 'x' ('kt-echo refuse'): kt-echo: could not create object"},
        BadPatch{"UnsupportedBox", file({box("t", "kt-no-such-box", "")}, {}),
                 "box 't': the box kind 'kt-no-such-box' cannot run here"},
        BadPatch{"EmptyObjectBox", file({box("e", "newobj", "")}, {}),
                 "box 'e': an empty object box"},
        BadPatch{"TypedFullPacket", file({box("m", "message", "FullPacket 4 1234")}, {}),
                 "box 'm' (message 'FullPacket 4 1234'): FullPacket cannot be typed in a "
                 "message box (an address cannot come from text)"},
        BadPatch{"ReceiverNamedByANumber", file({box("m", "message", "a; 5 bang")}, {}),
                 "box 'm' (message 'a; 5 bang'): '; 5': a receiver's name is a symbol"},
        BadPatch{"BadDollar", file({box("m", "message", "$0 $12")}, {}),
                 "box 'm' (message '$0 $12'): '$0': only $1 to $9 stand for arguments"},
        BadPatch{"OpenQuote", file({box("m", "message", R"(\"open)")}, {}),
                 "box 'm' (message '\"open'): quote opened at column 1 is not closed"},
        BadPatch{"LineToNoInlet", file({printer, box("b", "button", "")}, {line("b", 0, "p", 3)}),
                 "/patcher/lines/0: print has no inlet 3"},
        BadPatch{"LineFromNoOutlet", file({printer}, {line("p", 0, "p", 0)}),
                 "/patcher/lines/0: print has no outlet 0"},
        BadPatch{"SubpatcherWithoutInlet",
                 file({printer, box("s", "newobj", "p s", 0, R"("patcher": )" + patcher({}, {}))},
                      {line("p", 0, "s", 0)}),
                 "/patcher/lines/0/patchline/destination: box 's' has no inlet 0"},
        BadPatch{"SubpatcherWithoutPatcher", file({box("s", "newobj", "p lost")}, {}),
                 "box 's' ('p lost'): a subpatcher box without its \"patcher\""},
        BadPatch{"UnknownClassInASubpatcher",
                 file({box("s", "newobj", "p inner", 0,
                           R"("patcher": )" + patcher({box("x", "newobj", "kt-nosuch")}, {}))},
                      {}),
                 "box 'x' in /patcher/boxes/0/box/patcher ('kt-nosuch'): no module"}),
    [](const auto &info) { return info.param.name; });

TEST_F(Patcher, RunsWhatItCanAroundBoxesLeftOut) {
  // The jsui and its two lines are left out; the chain around it and the
  // second print run. A line to a port the print lacks goes too.
  const std::string text =
      file({box("lb", "newobj", "loadbang"), box("t", "jsui", ""), box("a", "newobj", "print a"),
            box("b", "newobj", "print b"), box("n", "newobj", "kt-nosuch"),
            box("note", "comment", "not counted")},
           {line("lb", 0, "t", 0), line("t", 0, "a", 0), line("lb", 0, "b", 0),
            line("lb", 0, "a", 5), line("n", 0, "b", 0)});
  Result result = run(text);
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out, Lines{"post: b: bang"});
  const std::string where = "kithost: " + path.string() + ": ";
  ASSERT_EQ(result.err.size(), 4u) << ::testing::PrintToString(result.err);
  EXPECT_EQ(result.err[0], where + "box 't': the box kind 'jsui' cannot run here; left out");
  EXPECT_EQ(result.err[1].rfind(where + "box 'n' ('kt-nosuch'): ", 0), 0u) << result.err[1];
  EXPECT_EQ(result.err[2], where + "/patcher/lines/3: print has no inlet 5; left out");
  EXPECT_EQ(result.err[3], where + "2 of 5 boxes and 4 lines left out (could not be made here)");
  // The count makes the run fail where errors do.
  EXPECT_EQ(run(text, {"--fail-on-error"}).status, 1);
}

TEST_F(Patcher, DeepNestingIsRefusedNotOverflowed) {
  std::string inner = patcher({}, {});
  for (int i = 0; i < 100; ++i)
    inner = patcher({box("s", "newobj", "p s", 0, R"("patcher": )" + inner)}, {});
  const std::string message = failure(run(R"({"patcher": )" + inner + "}"));
  EXPECT_NE(message.find("subpatchers nested more than 64 deep"), std::string::npos) << message;
  // Deep JSON that is no patcher is read and refused without recursion.
  const std::string deep = std::string(100000, '[') + std::string(100000, ']');
  EXPECT_EQ(failure(run(deep)), ": expected a JSON object with a \"patcher\" object");
}

TEST_F(Patcher, RunsWithScriptsInOneHost) {
  const fs::path script = dir.write("after.kit", "obj e kt-echo\nprint e\nsend e 5\n");
  dir.write("first.maxpat",
            file({box("lb", "newobj", "loadbang"), printer}, {line("lb", 0, "p", 0)}));
  Result result = run_kithost(
      {"--modules", test_modules(), (dir.path() / "first.maxpat").string(), script.string()});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out, (Lines{"post: print: bang", "e.0: 5"}));
  result = run_kithost({"--modules", test_modules(), (dir.path() / "missing.maxpat").string()});
  EXPECT_EQ(result.status, 2);
  EXPECT_EQ(result.err,
            Lines{"kithost: " + (dir.path() / "missing.maxpat").string() + ": no such patcher"});
}

} // namespace
