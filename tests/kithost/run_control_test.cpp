// kithost end to end: what makes a run fail (errors on outlets, work left
// pending at the end of a script), driving objects from the command line
// (--send, a patcher box's scripting name), -q, and the exit statuses.
#include "run_kithost.hpp"

#include <gtest/gtest.h>

#include <algorithm>

using namespace kithost_test;
namespace fs = std::filesystem;

namespace {

bool contains(const Lines &lines, const std::string &line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

class RunControl : public ::testing::Test {
protected:
  /// Runs kithost with the test modules, `options`, then `files`.
  Result run(std::vector<std::string> options, const std::vector<fs::path> &files) {
    std::vector<std::string> args{"--modules", test_modules()};
    args.insert(args.end(), options.begin(), options.end());
    for (const fs::path &file : files)
      args.push_back(file.string());
    return run_kithost(args, {}, dir.path());
  }
  fs::path script(const std::string &text, const std::string &name = "script.kit") {
    return dir.write(name, text);
  }
  std::string pending(const fs::path &file, const std::string &what) const {
    return "kithost: " + file.string() + ": " + what + " at the end; add \"wait MS\"";
  }

  TempDir dir;
};

// A patch: a kt-echo named "echo" into a print; a metro named "beat",
// started by a loadbang (so a clock stays armed).
const char *named_patch = R"({"patcher": {"boxes": [
  {"box": {"id": "obj-1", "maxclass": "newobj", "text": "kt-echo", "varname": "echo"}},
  {"box": {"id": "obj-2", "maxclass": "newobj", "text": "print seen"}},
  {"box": {"id": "obj-3", "maxclass": "newobj", "text": "metro 1000", "varname": "beat"}},
  {"box": {"id": "obj-4", "maxclass": "message", "text": "7", "varname": ""}},
  {"box": {"id": "obj-5", "maxclass": "newobj", "text": "loadbang"}}],
 "lines": [{"patchline": {"source": ["obj-1", 0], "destination": ["obj-2", 0]}},
           {"patchline": {"source": ["obj-5", 0], "destination": ["obj-3", 0]}}]}})";

TEST_F(RunControl, AnErrorMessageOnAnOutletFailsTheRunLikeAConsoleError) {
  // Nothing prints the outlet: the error counts all the same.
  const fs::path file = script("obj e kt-echo\nsend e say fine\nsend e error 3 \"no way\"\n");
  Result lenient = run({}, {file});
  EXPECT_EQ(lenient.status, 0);
  EXPECT_EQ(lenient.err, Lines{});
  Result strict = run({"--fail-on-error"}, {file});
  EXPECT_EQ(strict.status, 1);
  EXPECT_EQ(strict.out, Lines{"post: kt-echo: fine"});

  // Other selectors, and "error" as a word inside a message, do not count.
  Result others = run({"--fail-on-error"},
                      {script("obj e kt-echo\nprint e\nsend e errors 1\nsend e list error 2\n"
                              "send e say error\n",
                              "others.kit")});
  EXPECT_EQ(others.status, 0) << ::testing::PrintToString(others.err);
}

TEST_F(RunControl, WorkLeftPendingAtTheEndOfAScriptIsReported) {
  const fs::path armed = script("obj m metro 100\nobj d delay 50\nsend m bang\nsend d bang\n");
  Result told = run({}, {armed});
  EXPECT_EQ(told.status, 0);
  EXPECT_EQ(told.err, Lines{pending(armed, "2 clocks still armed")});
  Result failed = run({"--fail-on-error"}, {armed});
  EXPECT_EQ(failed.status, 1);
  EXPECT_EQ(failed.err, Lines{pending(armed, "2 clocks still armed")});

  // Deferred calls; a deferred call queued from the main thread runs at the
  // next wait.
  const fs::path deferred = script("obj e kt-echo\nsend e defer x\n", "deferred.kit");
  EXPECT_EQ(run({}, {deferred}).err, Lines{pending(deferred, "1 deferred call still waiting")});

  // Done in time, stopped, or ended on purpose: nothing to say.
  for (const char *text : {"obj d delay 50\nsend d bang\nwait 100\n",
                           "obj m metro 100\nsend m bang\nwait 10\nsend m stop\n",
                           "obj m metro 100\nsend m bang\nquit\n"}) {
    Result quiet = run({"--fail-on-error"}, {script(text, "done.kit")});
    EXPECT_EQ(quiet.status, 0) << text;
    EXPECT_EQ(quiet.err, Lines{}) << text;
  }
  // --run lets pending work finish before the check.
  EXPECT_EQ(run({"--run", "100"}, {script("obj d delay 50\nsend d bang\n", "run.kit")}).err,
            Lines{});
  // A patcher runs until kithost exits: its metro is no leftover.
  Result patch = run({"--fail-on-error"}, {dir.write("named.maxpat", named_patch)});
  EXPECT_EQ(patch.status, 0);
  EXPECT_EQ(patch.err, Lines{});
  // The check is of the last script: one after the patcher sees its metro.
  const fs::path after = script("\n", "after.kit");
  EXPECT_EQ(run({}, {dir.path() / "named.maxpat", after}).err,
            Lines{pending(after, "1 clock still armed")});
}

TEST_F(RunControl, PatcherBoxesAreReachedByTheirScriptingNames) {
  const fs::path patch = dir.write("named.maxpat", named_patch);
  const fs::path driver = script("send echo hello 1\nprint beat\nsend beat stop\nsend beat bang\n"
                                 "send beat stop\nfree echo\n");
  Result result = run({}, {patch, driver});
  EXPECT_EQ(result.status, 2);
  EXPECT_EQ(result.out, (Lines{"post: seen: hello 1", "beat.0: bang"}));
  EXPECT_EQ(result.err,
            Lines{"kithost: " + driver.string() +
                  ":6: free: 'echo' is a patcher's box; it lives as long as the patcher"});

  // A second patcher with the same names keeps its boxes unnamed.
  const fs::path twin = dir.write("twin.maxpat", named_patch);
  Result twice = run({"--send", "echo once", "--send", "beat stop"}, {patch, twin});
  EXPECT_EQ(twice.status, 0);
  EXPECT_EQ(twice.out, Lines{"post: seen: once"});
  EXPECT_TRUE(contains(twice.err, "kithost: " + twin.string() +
                                      ": the name 'echo' is already in use; that box cannot be "
                                      "addressed by it"))
      << ::testing::PrintToString(twice.err);
}

TEST_F(RunControl, SendFromTheCommandLineRunsAfterLoading) {
  const fs::path patch = dir.write("named.maxpat", named_patch);
  const fs::path file = script("obj e kt-echo\nprint e\n");
  Result result =
      run({"--send", "e 1 \"a b\"", "--send", "echo:0 bang", "--send", "beat stop"}, {file, patch});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.err, Lines{});
  EXPECT_EQ(result.out, (Lines{"e.0: 1 \"a b\"", "post: seen: bang"}));

  // The name also reaches every receive of it, after its named box, as a
  // send box of that name would; a receive alone is enough.
  const fs::path receivers = dir.write("receivers.maxpat", R"({"patcher": {"boxes": [
    {"box": {"id": "obj-1", "maxclass": "newobj", "text": "print named", "varname": "tempo"}},
    {"box": {"id": "obj-2", "maxclass": "newobj", "text": "r tempo"}},
    {"box": {"id": "obj-3", "maxclass": "newobj", "text": "print heard"}},
    {"box": {"id": "obj-4", "maxclass": "newobj", "text": "receive cue"}},
    {"box": {"id": "obj-5", "maxclass": "newobj", "text": "print cued"}}],
   "lines": [{"patchline": {"source": ["obj-2", 0], "destination": ["obj-3", 0]}},
             {"patchline": {"source": ["obj-4", 0], "destination": ["obj-5", 0]}}]}})");
  result = run({"--send", "tempo 120", "--send", "cue go 1"}, {receivers});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.err, Lines{});
  EXPECT_EQ(result.out, (Lines{"post: named: 120", "post: heard: 120", "post: cued: go 1"}));

  // An unknown name or a bad message stops the run as bad input.
  Result unknown = run({"--send", "nobody bang"}, {file});
  EXPECT_EQ(unknown.status, 2);
  EXPECT_EQ(unknown.err, Lines{"kithost: --send 'nobody bang': unknown object 'nobody', and "
                               "nothing receives 'nobody'"});
  Result lone = run({"--send", "e"}, {file});
  EXPECT_EQ(lone.status, 2);
  EXPECT_EQ(lone.err.size(), 1u);
}

TEST_F(RunControl, QuietLeavesOutObjectsPostLinesButNotPrintsOrErrors) {
  const fs::path file = script("obj e kt-echo\nprint e\nsend e say hi\nsend e complain no\n"
                               "send e 5\nobj p print shown\nsend p 6\n");
  Result loud = run({}, {file});
  EXPECT_EQ(loud.out,
            (Lines{"post: kt-echo: hi", "error: kt-echo: no", "e.0: 5", "post: shown: 6"}));
  for (const char *flag : {"-q", "--quiet"}) {
    Result quiet = run({flag, "--fail-on-error"}, {file});
    EXPECT_EQ(quiet.out, (Lines{"error: kt-echo: no", "e.0: 5", "post: shown: 6"}));
    EXPECT_EQ(quiet.status, 1);
  }
}

TEST_F(RunControl, HelpVersionAndExitStatuses) {
  Result help = run_kithost({"--help"});
  EXPECT_EQ(help.status, 0);
  for (const char *command : {"obj", "connect", "print", "send", "packet", "wait", "free", "quit"})
    EXPECT_TRUE(std::any_of(help.out.begin(), help.out.end(), [&](const std::string &line) {
      return line.rfind(std::string("  ") + command + " ", 0) == 0;
    })) << command;
  EXPECT_TRUE(std::any_of(help.out.begin(), help.out.end(), [](const std::string &line) {
    return line.find("--fail-on-error") != std::string::npos &&
           line.find("'error' message") != std::string::npos;
  }));
  Result version = run_kithost({"--version"});
  EXPECT_EQ(version.status, 0);
  ASSERT_EQ(version.out.size(), 1u);
  EXPECT_EQ(version.out[0].rfind("kithost ", 0), 0u);

  EXPECT_EQ(run_kithost({"--no-such-option"}).status, 2);
  EXPECT_EQ(run({}, {script("frobnicate\n")}).status, 2);
  EXPECT_EQ(run({}, {dir.path() / "missing.kit"}).status, 2);
}

} // namespace
