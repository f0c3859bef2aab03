// kithost end to end with input meant to hurt it: a named pipe given as a
// file, NUL characters in script words, numbers and ports past every limit
// in a patcher, and a patch whose messages loop back on a small stack. Each
// is refused with a clear diagnostic or cut by the host's limit; nothing
// hangs or crashes.
#include "run_kithost.hpp"

#include "patch.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <sys/stat.h>

using namespace kithost_test;
namespace fs = std::filesystem;

namespace {

/// The lines that are not module banners ("post: ...").
Lines without_posts(const Lines &lines) {
  Lines kept;
  std::copy_if(lines.begin(), lines.end(), std::back_inserter(kept),
               [](const std::string &line) { return line.rfind("post: ", 0) != 0; });
  return kept;
}

class BadInput : public ::testing::Test {
protected:
  /// Runs `text` as script.kit with the kit's own modules; a run that hangs
  /// is killed.
  Result script(const std::string &text, const std::vector<std::string> &options = {}) {
    const fs::path file = dir.write("script.kit", text);
    std::vector<std::string> args = options;
    args.push_back(file.string());
    Launch launch;
    launch.cwd = dir.path();
    launch.kill_after_seconds = 60;
    return run_kithost(args, launch);
  }
  std::string diagnostic(int line, const std::string &message) const {
    return "kithost: " + (dir.path() / "script.kit").string() + ":" + std::to_string(line) + ": " +
           message;
  }

  TempDir dir;
};

TEST_F(BadInput, ANamedPipeIsNoFileToLoadAndNothingWaitsForIt) {
  ASSERT_TRUE(kittest::module_built("TovikLoader"));
  ASSERT_TRUE(kittest::module_built("mensor"));
  ASSERT_EQ(mkfifo((dir.path() / "pipe").c_str(), 0600), 0);
  // The loader refuses it by its name and through the search path alike; no
  // transfer starts, so the host and port are never reached.
  Result run = script(R"(obj t TovikLoader @host 127.0.0.1 @port 9
print t
send t load pipe
send t load )" + (dir.path() / "pipe").string() +
                      R"(
send t import pipe A/B
obj m mensor
print m
send m open pipe
wait 0
)");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.err, Lines{});
  EXPECT_EQ(without_posts(run.out),
            (Lines{R"(t.0: error 3 "couldn't open file")", R"(t.0: error 3 "couldn't open file")",
                   R"(t.0: error 3 "couldn't open file")", "m.0: -1"}));
}

TEST_F(BadInput, ANulCharacterRefusesItsLine) {
  Result run = script(std::string("obj e kt-echo\nprint e\nsend e ab") + '\0' + "cd 1\nsend e 2\n",
                      {"--modules", test_modules()});
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.out, Lines{});
  EXPECT_EQ(run.err, Lines{diagnostic(3, "a NUL character at column 10")});
}

TEST_F(BadInput, AHexFaultIsPlacedByItsColumnInTheLine) {
  for (const auto &[line, message] :
       {std::pair<std::string, std::string>{"packet e C0 B",
                                            "packet: byte cut after the digit \"B\" at column 13"},
        {"packet e   C0\t\"B7 0\"", "packet: byte cut after the digit \"0\" at column 19"}}) {
    Result run = script("obj e kt-echo\n" + line + "\n", {"--modules", test_modules()});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, Lines{diagnostic(2, message)});
  }
}

class BadPatcher : public BadInput {
protected:
  /// Runs `text` as test.maxpat, refused at its first fault; returns the
  /// diagnostic after "kithost: ".
  std::string failure(const std::string &text) {
    const fs::path file = dir.write("test.maxpat", text);
    Result run = run_kithost({"--modules", test_modules(), "--strict", file.string()});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err.size(), 1u) << ::testing::PrintToString(run.err);
    const std::string prefix = "kithost: " + file.string();
    if (run.err.empty() || run.err[0].rfind(prefix, 0) != 0)
      return "(no diagnostic)";
    return run.err[0].substr(prefix.size());
  }
};

TEST_F(BadPatcher, ANumberTooLargeForAnyTypeIsPlacedByLineAndColumn) {
  const std::string message = failure("{\"patcher\": {\n  \"x\": [1,\n    1e999]}}");
  EXPECT_EQ(message.rfind(":3:9: malformed JSON: ", 0), 0u) << message;
  EXPECT_NE(message.find("1e999"), std::string::npos) << message;
}

TEST_F(BadPatcher, APortNumberIsReportedAsWritten) {
  const std::string boxes =
      R"({"patcher": {"boxes": [{"box": {"id": "b", "maxclass": "button"}}], "lines": [)";
  for (const char *port : {"18446744073709551615", "65536", "-1", "-9223372036854775808"}) {
    const std::string message = failure(
        boxes + R"({"patchline": {"source": ["b", 0], "destination": ["b", )" + port + "]}}]}}");
    EXPECT_EQ(message, ": /patcher/lines/0/patchline/destination: box 'b' has no inlet " +
                           std::string(port));
  }
}

// Loops that nest deeper with every message until the host cuts the chain
// at its limit of 1000 nested messages: a pack and unpack pair fed back into
// itself twice over, and a loader whose error starts the next import. The
// limit must hold on the 1 MB stack that a scheduler thread of the visual
// host may have.
TEST_F(BadInput, FeedbackLoopsAreCutAtTheLimitOnAOneMegabyteStack) {
  for (const char *class_name : {"rkudp-pack", "rkudp-unpack", "TovikLoader"})
    ASSERT_TRUE(kittest::module_built(class_name));
  std::string bytes;
  for (int i = 1; i < 1200; ++i)
    bytes += " " + std::to_string(i % 256);
  const fs::path datagrams = dir.write("datagrams.kit", "obj p rkudp-pack 1 0\n"
                                                        "obj u rkudp-unpack\n"
                                                        "obj again inlet\n"
                                                        "send p goto 1\n"
                                                        "connect p 0 u 0\n"
                                                        "connect u 0 p 0\n"
                                                        "connect u 0 again 0\n"
                                                        "connect again 0 p 0\n"
                                                        "connect u 1 p 1\n"
                                                        "send p list" +
                                                            bytes + "\nsend p bang\n");
  const fs::path imports = dir.write("imports.kit", "obj t TovikLoader\n"
                                                    "obj b button\n"
                                                    "obj m message\n"
                                                    "send m set import x A/B/C/D/E/F/G/H\n"
                                                    "connect t 0 b 0\n"
                                                    "connect b 0 m 0\n"
                                                    "connect m 0 t 0\n"
                                                    "send m bang\n");
  Launch launch;
  launch.stack_bytes = std::size_t{1} << 20;
#if defined(__SANITIZE_ADDRESS__)
  // The sanitizer's red zones make every frame several times larger.
  launch.stack_bytes *= 8;
#endif
  launch.kill_after_seconds = 120;
  // Each loop is cut once, with its whole chain, by one error naming the
  // class where it was cut.
  const std::string cut =
      " messages nested more than 1000 deep (a loop in the patch?); the chain is abandoned";
  for (const fs::path &file : {datagrams, imports}) {
    Result run = run_kithost({file.string()}, launch);
    EXPECT_EQ(run.status, 0) << file << ::testing::PrintToString(run.err);
    EXPECT_EQ(run.err, Lines{}) << file;
    ASSERT_EQ(run.out.size(), 1u) << file << ::testing::PrintToString(run.out);
    EXPECT_EQ(run.out[0].rfind("error: ", 0), 0u) << run.out[0];
    EXPECT_TRUE(run.out[0].ends_with(cut)) << run.out[0];
  }
}

} // namespace
