// The interactive prompt, driven through a pseudo-terminal as a user would
// type: the host keeps running while the prompt waits, and completion knows
// the commands and the classes.
#include "run_kithost.hpp"

#include "child.hpp"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <unistd.h>

extern char **environ;

namespace {

using Clock = std::chrono::steady_clock;

class Terminal {
public:
  /// kithost at a prompt, keeping its history under `state_home` (never the
  /// user's own), with `options` after the module folder.
  explicit Terminal(const std::filesystem::path &state_home,
                    const std::vector<std::string> &options = {}) {
    master_ = posix_openpt(O_RDWR | O_NOCTTY);
    if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0)
      throw std::runtime_error("no pseudo-terminal");
    const std::string slave = ptsname(master_);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, slave.c_str(), O_RDWR, 0);
    posix_spawn_file_actions_adddup2(&actions, 0, 1);
    posix_spawn_file_actions_adddup2(&actions, 0, 2);
    std::string modules = kithost_test::test_modules();
    std::vector<std::string> words{KITHOST_PATH, "--modules", modules};
    words.insert(words.end(), options.begin(), options.end());
    std::vector<char *> argv;
    for (auto &word : words)
      argv.push_back(word.data());
    argv.push_back(nullptr);
    // A plain terminal keeps readline's output free of escape sequences.
    std::vector<std::string> env_words{"TERM=dumb", "XDG_STATE_HOME=" + state_home.string()};
    for (char **e = environ; *e; ++e)
      if (std::string(*e).rfind("TERM=", 0) != 0 &&
          std::string(*e).rfind("XDG_STATE_HOME=", 0) != 0)
        env_words.push_back(*e);
    std::vector<char *> env;
    for (auto &word : env_words)
      env.push_back(word.data());
    env.push_back(nullptr);
    const int spawned = posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), env.data());
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
      throw std::runtime_error("cannot start kithost");
  }

  ~Terminal() {
    if (pid_ > 0)
      kittest::wait_child(pid_, std::chrono::milliseconds(0));
    close(master_);
  }

  void type(const std::string &keys) {
    ASSERT_EQ(write(master_, keys.data(), keys.size()), static_cast<ssize_t>(keys.size()));
  }

  /// Ctrl-C, as the terminal sends it to the program in front.
  void interrupt() { ASSERT_EQ(kill(pid_, SIGINT), 0); }

  /// Reads until `text` has appeared in the output after what the last
  /// expect found, or the bound passes.
  bool expect(const std::string &text) {
    const auto deadline = Clock::now() + std::chrono::seconds(20);
    std::size_t found;
    while ((found = seen_.find(text, searched_)) == std::string::npos) {
      if (!read_some(deadline))
        return false;
    }
    searched_ = found + text.size();
    return true;
  }

  /// Waits (bounded) for kithost to end: its side of the terminal closes
  /// when it exits. Its exit status, or -1 when it did not end.
  int exit_status() {
    const auto deadline = Clock::now() + std::chrono::seconds(20);
    while (read_some(deadline)) {
    }
    if (!closed_)
      return -1;
    const kittest::ChildEnd end = kittest::wait_child(pid_, std::chrono::seconds(20));
    pid_ = -1;
    return end.in_time ? kittest::exit_code(end.status) : -1;
  }

  const std::string &seen() const { return seen_; }

private:
  bool read_some(Clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0)
      return false;
    pollfd fd{master_, POLLIN, 0};
    if (poll(&fd, 1, static_cast<int>(left)) <= 0)
      return false;
    char buffer[512];
    const ssize_t n = read(master_, buffer, sizeof buffer);
    if (n <= 0) {
      closed_ = true; // kithost's side closed: it ended
      return false;
    }
    seen_.append(buffer, static_cast<std::size_t>(n));
    return true;
  }

  int master_ = -1;
  pid_t pid_ = -1;
  bool closed_ = false;
  std::string seen_;
  std::size_t searched_ = 0; ///< where the next expect starts looking
};

TEST(KithostPrompt, RunsTheHostWhileWaitingAndCompletes) {
  kithost_test::TempDir state;
  Terminal terminal(state.path());
  ASSERT_TRUE(terminal.expect("kithost> "));
  // "kt-e" completes to the class name; the clock fires with no wait typed.
  terminal.type("obj e kt-e\t\n");
  terminal.type("print e 1\n");
  terminal.type("send e later 20\n");
  EXPECT_TRUE(terminal.expect("e.1: tick 1")) << terminal.seen();
  // A bad line is reported and the prompt goes on.
  terminal.type("bogus\n");
  EXPECT_TRUE(terminal.expect("kithost: <stdin>:4: unknown command 'bogus'")) << terminal.seen();
  terminal.type("send e right 3\n");
  EXPECT_TRUE(terminal.expect("e.1: 3")) << terminal.seen();
  // help lists the commands; file names complete in a message's arguments.
  terminal.type("help\n");
  EXPECT_TRUE(terminal.expect("wait MS")) << terminal.seen();
  kithost_test::TempDir dir;
  dir.write("uniquely-named.txt", "12345");
  terminal.type("send e locate " + (dir.path() / "uniq").string() + "\t\n");
  EXPECT_TRUE(terminal.expect("e.1: found 5")) << terminal.seen();
  terminal.type("qui\t\n");
  EXPECT_EQ(terminal.exit_status(), 0) << terminal.seen();
}

TEST(KithostPrompt, CtrlCDropsTheLineOrEndsTheWaitNotTheSession) {
  kithost_test::TempDir state;
  Terminal terminal(state.path());
  ASSERT_TRUE(terminal.expect("'help' lists the commands")) << terminal.seen();
  ASSERT_TRUE(terminal.expect("kithost> "));
  terminal.type("obj e kt-echo\nprint e\n");
  terminal.type("send e say abandoned");
  ASSERT_TRUE(terminal.expect("abandoned")) << terminal.seen();
  terminal.interrupt();
  ASSERT_TRUE(terminal.expect("kithost> ")) << terminal.seen();
  terminal.type("send e 5\n");
  EXPECT_TRUE(terminal.expect("e.0: 5")) << terminal.seen();
  EXPECT_EQ(terminal.seen().find("kt-echo: abandoned"), std::string::npos) << terminal.seen();
  // The clock falls due inside the wait: the wait is running when Ctrl-C
  // comes, and the next line runs at once after it.
  terminal.type("send e later 200\nwait 600000\n");
  ASSERT_TRUE(terminal.expect("e.1: tick 1")) << terminal.seen();
  terminal.interrupt();
  terminal.type("send e 6\n");
  EXPECT_TRUE(terminal.expect("e.0: 6")) << terminal.seen();
  // Ctrl-D ends the session; typed once the prompt is back, when the
  // terminal reads keys one by one again (in line mode it would only end a
  // read).
  ASSERT_TRUE(terminal.expect("kithost> ")) << terminal.seen();
  terminal.type("\x04");
  EXPECT_EQ(terminal.exit_status(), 0) << terminal.seen();
}

TEST(KithostPrompt, KeepsItsHistoryAcrossSessionsBounded) {
  kithost_test::TempDir state;
  std::string old;
  for (int i = 0; i < 1500; ++i)
    old += "send e old " + std::to_string(i) + "\n";
  const auto file = state.write("kithost/history", old);
  {
    Terminal terminal(state.path());
    ASSERT_TRUE(terminal.expect("kithost> "));
    terminal.type("obj e kt-echo\nprint e\nprint e\n   \nquit\n");
    EXPECT_EQ(terminal.exit_status(), 0) << terminal.seen();
  }
  std::ifstream in(file);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);)
    lines.push_back(line);
  ASSERT_EQ(lines.size(), 1000u);
  // A line equal to the one before and a blank one are not kept.
  EXPECT_EQ(std::vector<std::string>(lines.end() - 4, lines.end()),
            (std::vector<std::string>{"send e old 1499", "obj e kt-echo", "print e", "quit"}));
  {
    // Ctrl-P goes back: three to "obj e kt-echo", then three more (past
    // the line just run) to "print e". -q leaves out the banner.
    Terminal terminal(state.path(), {"-q"});
    ASSERT_TRUE(terminal.expect("kithost> "));
    terminal.type("\x10\x10\x10\n");
    terminal.type("\x10\x10\x10\n");
    terminal.type("send e 9\n");
    EXPECT_TRUE(terminal.expect("e.0: 9")) << terminal.seen();
    EXPECT_EQ(terminal.seen().find("'help'"), std::string::npos) << terminal.seen();
    terminal.type("quit\n");
    EXPECT_EQ(terminal.exit_status(), 0) << terminal.seen();
  }
  {
    // A state folder that cannot hold it: said once, and the prompt works.
    Terminal terminal(file);
    EXPECT_TRUE(terminal.expect("history cannot be kept there")) << terminal.seen();
    terminal.type("obj e kt-echo\nprint e\nsend e 1\n");
    EXPECT_TRUE(terminal.expect("e.0: 1")) << terminal.seen();
    terminal.type("quit\n");
    EXPECT_EQ(terminal.exit_status(), 0) << terminal.seen();
  }
}

TEST(KithostPrompt, AZeroDelayLoopLeavesThePromptItsLines) {
  kithost_test::TempDir state;
  Terminal terminal(state.path());
  ASSERT_TRUE(terminal.expect("kithost> "));
  terminal.type("obj d delay 0\nconnect d 0 d 0\nsend d bang\n");
  terminal.type("quit\n");
  EXPECT_EQ(terminal.exit_status(), 0) << terminal.seen();
}

} // namespace
