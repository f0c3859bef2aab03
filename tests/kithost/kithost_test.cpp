// kithost end to end: scripts in, printed lines, diagnostics and exit
// status out, with the test object kt-echo.
#include "run_kithost.hpp"

#include <nlohmann/json.hpp>

#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>

using namespace kithost_test;
namespace fs = std::filesystem;

namespace {

bool contains(const Lines &lines, const std::string &line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

class Kithost : public ::testing::Test {
protected:
  /// Runs `text` as the script file script.kit, with the test modules.
  Result script(const std::string &text, std::vector<std::string> options = {}) {
    const fs::path file = dir.write("script.kit", text);
    std::vector<std::string> args{"--modules", test_modules()};
    args.insert(args.end(), options.begin(), options.end());
    args.push_back(file.string());
    return run_kithost(args, {}, dir.path());
  }
  /// The diagnostic of line `line` of script.kit.
  std::string diagnostic(int line, const std::string &message) const {
    return "kithost: " + (dir.path() / "script.kit").string() + ":" + std::to_string(line) + ": " +
           message;
  }

  TempDir dir;
};

TEST_F(Kithost, PrintsEveryKindOfMessage) {
  Result run = script(R"(obj e kt-echo
print e
send e bang
send e 42
send e -7
send e 0.5
send e 3.0
send e 123456789.0
send e 1e-05
send e 10 20 0 0
send e list
send e list 1 2.5 x
send e 1 x
send e foo "a b" "" "q\"x" "b\\s" bar 2
send e symbol "with blank"
send e:1 9
packet e C0 b7 0007
packet e
send e emit 1 255 16
)");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.err, Lines{});
  EXPECT_EQ(run.out, (Lines{
                         "e.0: bang",
                         "e.0: 42",
                         "e.0: -7",
                         "e.0: 0.5",
                         "e.0: 3",
                         "e.0: 1.23457e+08",
                         "e.0: 1e-05",
                         "e.0: 10 20 0 0",
                         "e.0:",
                         "e.0: 1 2.5 x",
                         "e.0: 1 x",
                         R"(e.0: foo "a b" "" "q\"x" "b\\s" bar 2)",
                         R"(e.0: symbol "with blank")",
                         "e.1: 9",
                         "e.0: FullPacket C0 B7 00 07",
                         "e.0: FullPacket",
                         "e.0: FullPacket 01 FF 10",
                     }));
}

TEST_F(Kithost, ConsoleAndObjectOutputKeepTheirOrder) {
  Result run = script(R"(obj e kt-echo
print e
send e say hello there
send e 1
send e write written by the object
send e complain bad thing
send e 2
send e write last
)");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, (Lines{"post: kt-echo: hello there", "e.0: 1", "written by the object",
                            "error: kt-echo: bad thing", "e.0: 2", "last"}));
}

TEST_F(Kithost, SkipsBlankLinesAndCommentsAndTakesCrlf) {
  Result run = script("# a comment\n\n   \t\n   # indented comment\nobj e kt-echo\r\nprint e\r\n"
                      "send e 5\r\nsend e nope\n");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, (Lines{"e.0: 5", "e.0: nope"}));
}

TEST_F(Kithost, PrintsChosenOutletsOnceAndFollowsConnections) {
  Result run = script(R"(obj a kt-echo
obj b kt-echo
obj c kt-echo
connect a 0 b 0
connect a 0 c 1
print b
print b 0
print c 1
send a 4
send c 5
)");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, (Lines{"b.0: 4", "c.1: 4"}));
}

TEST_F(Kithost, RunsClocksAndDeferredCallsOnlyDuringWait) {
  Result run = script(R"(obj e kt-echo
print e 1
send e later 5
send e defer now
send e right 1
wait 100
send e later 60000
send e defer again
wait 0
send e cancel
wait 0
send e later 1
send e defer never
)");
  EXPECT_EQ(run.status, 0);
  // Nothing pending runs after the last line; what was left is named.
  EXPECT_EQ(run.err, Lines{"kithost: " + (dir.path() / "script.kit").string() +
                           ": 1 clock still armed and 1 deferred call still waiting at the end; "
                           "add \"wait MS\""});
  EXPECT_EQ(run.out, (Lines{"e.1: 1", "e.1: deferred now", "e.1: tick 1", "e.1: deferred again"}));
}

TEST_F(Kithost, FreedObjectsStopAndTheirNamesCanBeReused) {
  Result run = script(R"(obj a kt-echo
print a
send a later 5
free a
wait 50
obj a kt-echo
print a
send a 1
free a
send a 2
)");
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.out, Lines{"a.0: 1"});
  EXPECT_EQ(run.err, Lines{diagnostic(10, "unknown object 'a'")});
}

TEST_F(Kithost, AttributesComeFromArgumentsAndMessages) {
  Result run = script(R"(obj e kt-echo @level 3
print e
send e level 4
send e 1
)");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, Lines{"e.0: 1"});
}

TEST_F(Kithost, QuitEndsTheWholeRunAtOnce) {
  const fs::path next = dir.write("next.kit", "send e 3\n");
  const fs::path first =
      dir.write("script.kit", "obj e kt-echo\nprint e\nsend e 1\nquit\nsend e 2\n");
  Result run = run_kithost({"--modules", test_modules(), first.string(), next.string()});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, Lines{"e.0: 1"});
  EXPECT_EQ(run.err, Lines{});
}

TEST_F(Kithost, ScriptsShareOneHostAndStandardInputJoinsIn) {
  const fs::path make = dir.write("make.kit", "obj e kt-echo\nprint e\n");
  const fs::path use = dir.write("use.kit", "send e 5\n");
  Result run = run_kithost({"--modules", test_modules(), make.string(), use.string(), "-"},
                           "send e 6\nsend e 7\n");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, (Lines{"e.0: 5", "e.0: 6", "e.0: 7"}));

  // Without scripts the lines come from standard input; diagnostics name it.
  run = run_kithost({"--modules", test_modules()}, "obj e kt-echo\nprint e\nsend e 8\nbogus\n");
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.out, Lines{"e.0: 8"});
  EXPECT_EQ(run.err, Lines{"kithost: <stdin>:4: unknown command 'bogus'"});
}

TEST_F(Kithost, StopsAtTheFirstScriptThatFails) {
  const fs::path good = dir.write("good.kit", "obj e kt-echo\nprint e\n");
  const fs::path bad = dir.write("bad.kit", "send e 1\nsend e \"open\n");
  const fs::path after = dir.write("after.kit", "send e 2\n");
  Result run =
      run_kithost({"--modules", test_modules(), good.string(), bad.string(), after.string()});
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.out, Lines{"e.0: 1"});
  ASSERT_EQ(run.err.size(), 1u);
  EXPECT_EQ(run.err[0].rfind("kithost: " + bad.string() + ":2: ", 0), 0u) << run.err[0];

  run = run_kithost({"--modules", test_modules(), (dir.path() / "missing.kit").string()});
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.err,
            Lines{"kithost: " + (dir.path() / "missing.kit").string() + ": no such script"});
}

// A line that cannot run: its diagnostic on standard error, exit status 2,
// and nothing after it runs.
struct BadLine {
  const char *title;
  std::string line;
  std::string message; ///< empty: any message will do (the host's own words)
  Lines printed{};     ///< what the bad line itself prints before it fails
};

// Test names show the line itself (not the record's bytes, which hold
// pointers and would change the names from one listing to the next).
void PrintTo(const BadLine &bad, std::ostream *os) {
  *os << bad.line;
}

class KithostBadLine : public Kithost, public ::testing::WithParamInterface<BadLine> {};

TEST_P(KithostBadLine, StopsTheRunWithItsDiagnostic) {
  const BadLine &bad = GetParam();
  Result run = script("obj e kt-echo\nprint e\nsend e 1\n" + bad.line + "\nsend e 2\n");
  EXPECT_EQ(run.status, 2);
  Lines out{"e.0: 1"};
  out.insert(out.end(), bad.printed.begin(), bad.printed.end());
  EXPECT_EQ(run.out, out);
  ASSERT_EQ(run.err.size(), 1u) << ::testing::PrintToString(run.err);
  if (bad.message.empty())
    EXPECT_EQ(run.err[0].rfind(diagnostic(4, ""), 0), 0u) << run.err[0];
  else
    EXPECT_EQ(run.err[0], diagnostic(4, bad.message));
}

INSTANTIATE_TEST_SUITE_P(
    Lines, KithostBadLine,
    ::testing::Values(
        BadLine{"OpenQuote", "send e \"abc", ""},
        BadLine{"UnknownCommand", "make e", "unknown command 'make'"},
        BadLine{"QuotedCommand", "\"send\" e 1", "unknown command 'send'"},
        BadLine{"UnknownObject", "send x 1", "unknown object 'x'"},
        BadLine{"UnknownObjectWithInlet", "send x:1 1", "unknown object 'x'"},
        BadLine{"BadInletNumber", "send e:one 1", "bad inlet number in 'e:one'"},
        BadLine{"MissingInlet", "send e:7 1", "send: e:7 has no inlet 7"},
        BadLine{"MissingMessage", "send e", "send: expected NAME[:INLET] MESSAGE ..."},
        BadLine{"ClassNotLoadable", "obj n kt-nosuch", ""},
        BadLine{"ClassNameLeavesTheFolder", "obj n ../modules/kt-echo", ""},
        BadLine{
            "ObjectRefused", "obj n kt-echo refuse", "", {"error: kt-echo: refused to be made"}},
        BadLine{"NameInUse", "obj e kt-echo", "obj: the name 'e' is already in use"},
        BadLine{"SendFullPacket", "send e FullPacket 4 1234",
                "send: FullPacket cannot come from text (use packet)"},
        BadLine{"HexNotHex", "packet e C0 0G", ""}, BadLine{"HexByteCut", "packet e C0B", ""},
        BadLine{"HexUnknownObject", "packet x C0", "unknown object 'x'"},
        BadLine{"ConnectNoSuchOutlet", "connect e 9 e 0", ""},
        BadLine{"ConnectBadNumber", "connect e -1 e 0", "connect: bad outlet number '-1'"},
        BadLine{"ConnectMissingWords", "connect e 0 e", "connect: expected SRC OUTLET DST INLET"},
        BadLine{"PrintNoSuchOutlet", "print e 2", "print: e has no outlet 2"},
        BadLine{"WaitNegative", "wait -5", "wait: bad time '-5' (milliseconds, 0 to 10000000000)"},
        BadLine{"WaitTooLong", "wait 1e300",
                "wait: bad time '1e300' (milliseconds, 0 to 10000000000)"},
        BadLine{"WaitNotANumber", "wait soon",
                "wait: bad time 'soon' (milliseconds, 0 to 10000000000)"},
        BadLine{"FreeUnknown", "free x", "unknown object 'x'"},
        BadLine{"QuitWithWords", "quit now", "quit: expected no arguments"}),
    [](const ::testing::TestParamInfo<BadLine> &info) { return info.param.title; });

TEST_F(Kithost, RefusesMessagesTooLongForTheHost) {
  std::string line = "send e list";
  for (int i = 0; i < 32768; ++i)
    line += " 1";
  Result run = script("obj e kt-echo\n" + line + "\n");
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.err, Lines{diagnostic(2, "send: too many atoms in one message (at most 32767)")});
}

TEST_F(Kithost, SearchesPathThenScriptFolderThenWorkingFolder) {
  TempDir elsewhere;
  dir.write("first/f.txt", "abc");
  dir.write("f.txt", "abcde");
  dir.write("g.txt", "abcdefg");
  elsewhere.write("f.txt", "a");
  elsewhere.write("h.txt", "ab");
  const fs::path file = dir.write("script.kit", R"(obj e kt-echo
print e 1
send e locate f.txt
send e locate g.txt
send e locate h.txt
send e locate none.txt
)");
  const std::vector<std::string> common{"--modules", test_modules()};
  auto with = [&](std::vector<std::string> options) {
    options.insert(options.begin(), common.begin(), common.end());
    options.push_back(file.string());
    return run_kithost(options, {}, elsewhere.path());
  };
  Result run = with({"--path", (dir.path() / "first").string()});
  EXPECT_EQ(run.status, 0) << ::testing::PrintToString(run.err);
  EXPECT_EQ(run.out, (Lines{"e.1: found 3", "e.1: found 7", "e.1: found 2", "e.1: missing"}));
  run = with({});
  EXPECT_EQ(run.out, (Lines{"e.1: found 5", "e.1: found 7", "e.1: found 2", "e.1: missing"}));
}

TEST_F(Kithost, DialogAnswersWithTheGivenFileOrIsCancelled) {
  const fs::path chosen = dir.write("chosen.txt", "xyz");
  Result run = script("obj e kt-echo\nprint e 1\nsend e dialog\n", {"--dialog", chosen.string()});
  EXPECT_EQ(run.status, 0);
  ASSERT_EQ(run.out.size(), 1u);
  EXPECT_EQ(run.out[0].rfind("e.1: chosen ", 0), 0u) << run.out[0];
  EXPECT_NE(run.out[0].find("chosen.txt"), std::string::npos) << run.out[0];

  run = script("obj e kt-echo\nprint e 1\nsend e dialog\n");
  EXPECT_EQ(run.out, Lines{"e.1: cancelled"});
}

TEST(KithostOptions, ListsAndDescribesClasses) {
  Result run = run_kithost({"--modules", test_modules(), "--list"});
  EXPECT_EQ(run.status, 0);
  // The host's own classes for patchers are there too (builtins_test.cpp
  // checks them all), in one sorted list.
  for (const char *name : {"kt-echo", "message", "print", "udpreceive"})
    EXPECT_TRUE(contains(run.out, name)) << name;
  EXPECT_TRUE(std::is_sorted(run.out.begin(), run.out.end()));

  run = run_kithost({"--modules", test_modules(), "--describe", "kt-echo"});
  EXPECT_EQ(run.status, 0) << ::testing::PrintToString(run.err);
  for (const char *line :
       {"class kt-echo", "arguments: atoms...", "messages:", "  int long", "  FullPacket long long",
        "  defer [symbol]", "  list atoms...", "attributes:", "  level long",
        "inlets:", "  0: Anything, echoed", "  1: Int to the right outlet",
        "outlets:", "  0: Echoes", "  1: Right ints, ticks, file answers"})
    EXPECT_TRUE(contains(run.out, line)) << line << " in\n" << ::testing::PrintToString(run.out);

  run = run_kithost({"--modules", test_modules(), "--describe", "kt-nosuch"});
  EXPECT_EQ(run.status, 2);
  ASSERT_EQ(run.err.size(), 1u);
  EXPECT_EQ(run.err[0].rfind("kithost: cannot describe kt-nosuch: ", 0), 0u) << run.err[0];
}

TEST(KithostOptions, DescribesAsJsonAndMarkdown) {
  Result run = run_kithost({"--modules", test_modules(), "--describe", "kt-echo", "--json"});
  EXPECT_EQ(run.status, 0) << ::testing::PrintToString(run.err);
  std::string text;
  for (const auto &line : run.out)
    text += line + "\n";
  // Messages with their argument types, host calls left out, the attribute,
  // and the places with their assist texts.
  for (const char *part : {R"("class": "kt-echo")", R"("arguments": [
    "atoms..."
  ])",
                           R"("selector": "FullPacket")", R"("name": "level",)",
                           R"("type": "long")", R"("assist": "Int to the right outlet",)"})
    EXPECT_NE(text.find(part), std::string::npos) << part << " in\n" << text;
  EXPECT_EQ(text.find(R"("selector": "assist")"), std::string::npos);

  run = run_kithost({"--modules", test_modules(), "--describe", "kt-echo", "--markdown"});
  EXPECT_EQ(run.status, 0);
  for (const char *line : {"# kt-echo", "| `FullPacket` | long long |", "| `level` | long |",
                           "| 1 | Right ints, ticks, file answers |"})
    EXPECT_TRUE(contains(run.out, line)) << line;

  for (std::vector<std::string> bad : {std::vector<std::string>{"--json"},
                                       {"--describe", "kt-echo", "--json", "--markdown"},
                                       {"--describe", "kt-echo", "--markdown", "--maxref"},
                                       {"--maxref"},
                                       {"--describe", "kt-nosuch", "--json"}}) {
    bad.insert(bad.begin(), {"--modules", test_modules()});
    run = run_kithost(bad);
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, Lines{});
    ASSERT_EQ(run.err.size(), 1u);
  }
}

// The description beside a class explains its page; what the two disagree on
// fails the run, so a message added without a meaning, or a meaning kept for
// a message that is gone, cannot reach a committed page unnoticed.
TEST(KithostDescribe, DescriptionExplainsThePageAndDriftFails) {
  TempDir dir;
  nlohmann::json doc = {{"digest", "Echoes"},
                        {"summary", "Echoes what it gets."},
                        {"example", "obj e kt-echo\nsend e bang"},
                        {"arguments", nlohmann::json::array()},
                        {"inlets", {"Anything", "Ints"}},
                        {"outlets", {"Echoes", "Right ints"}},
                        {"attributes", {{"level", {{"meaning", "How loud"}, {"default", "0"}}}}},
                        {"errors", {{{"text", "kt-echo: bad"}, {"meaning", "Said by complain"}}}}};
  for (const char *selector :
       {"bang", "int", "float", "list", "anything", "right", "say", "complain", "write", "later",
        "cancel", "defer", "locate", "dialog", "emit", "FullPacket", "chatter"})
    doc["messages"][selector] = {{"meaning", std::string("Does ") + selector}};
  doc["messages"]["defer"]["later"] = "from the low-priority queue";
  const auto whole = dir.write("whole.doc.json", doc.dump());
  Result run = run_kithost({"--modules", test_modules(), "--describe", "kt-echo", "--markdown",
                            "--doc", whole.string()});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.err, Lines{});
  for (const char *line :
       {"Echoes what it gets.", "| `bang` | - | at once | Does bang |",
        "| `defer` | [symbol] | later: from the low-priority queue | Does defer |",
        "| `level` | long | 0 | How loud |", "| 1 | Right ints, ticks, file answers | Right ints |",
        "| `kt-echo: bad` | Said by complain |", "send e bang"})
    EXPECT_TRUE(contains(run.out, line)) << line;

  doc["messages"].erase("chatter");
  doc["messages"]["nosuch"] = {{"meaning", "Gone"}};
  doc["messages"]["say"]["meaning"] = "";
  doc["inlets"] = {"Anything"};
  doc.erase("example");
  const auto drifted = dir.write("drifted.doc.json", doc.dump());
  run = run_kithost({"--modules", test_modules(), "--describe", "kt-echo", "--markdown", "--doc",
                     drifted.string()});
  EXPECT_EQ(run.status, 1);
  EXPECT_TRUE(contains(run.out, "| `chatter` | long | at once | - |")); // the page is still made
  std::string err;
  for (const auto &line : run.err)
    err += line + "\n";
  for (const char *fault :
       {"message 'chatter' is registered but not described",
        "message 'nosuch' is described but not registered", "message 'say' has no meaning",
        "the class has 2 inlets, the description 1", "the description has no example"})
    EXPECT_NE(err.find(fault), std::string::npos) << fault << " in\n" << err;
  EXPECT_EQ(run.err.size(), 5u) << err;

  const auto broken = dir.write("broken.doc.json", "{\"summary\": ");
  for (std::vector<std::string> bad : {std::vector<std::string>{"--doc", broken.string()},
                                       {"--doc", (dir.path() / "none.doc.json").string()}}) {
    bad.insert(bad.begin(), {"--modules", test_modules(), "--describe", "kt-echo", "--markdown"});
    run = run_kithost(bad);
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, Lines{});
  }
  run =
      run_kithost({"--modules", test_modules(), "--describe", "kt-echo", "--doc", whole.string()});
  EXPECT_EQ(run.status, 2);
}

TEST(KithostOptions, HelpVersionAndBadOptions) {
  Result run = run_kithost({"--help"});
  EXPECT_EQ(run.status, 0);
  for (const char *option :
       {"--modules", "--path", "--dialog", "--list", "--describe", "--version"})
    EXPECT_TRUE(std::any_of(run.out.begin(), run.out.end(), [&](const std::string &l) {
      return l.find(option) != std::string::npos;
    })) << option;

  run = run_kithost({"--version"});
  EXPECT_EQ(run.status, 0);
  ASSERT_EQ(run.out.size(), 1u);
  EXPECT_EQ(run.out[0].rfind("kithost ", 0), 0u);

  for (std::vector<std::string> bad : {std::vector<std::string>{"--bogus"},
                                       {"--modules", "/nonexistent-kithost-folder"},
                                       {"--list", "--describe", "kt-echo"},
                                       {"--describe"}}) {
    run = run_kithost(bad);
    EXPECT_EQ(run.status, 2) << bad[0];
    ASSERT_EQ(run.err.size(), 1u) << bad[0];
    EXPECT_EQ(run.err[0].rfind("kithost: ", 0), 0u) << run.err[0];
  }
}

} // namespace
