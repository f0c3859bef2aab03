// The interactive prompt, driven through a pseudo-terminal as a user would
// type: the host keeps running while the prompt waits, and completion knows
// the commands and the classes.
#include "run_kithost.hpp"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace {

using Clock = std::chrono::steady_clock;

class Terminal {
public:
  Terminal() {
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
    std::vector<char *> argv;
    for (auto &word : words)
      argv.push_back(word.data());
    argv.push_back(nullptr);
    // A plain terminal keeps readline's output free of escape sequences.
    std::vector<std::string> env_words{"TERM=dumb"};
    for (char **e = environ; *e; ++e)
      if (std::string(*e).rfind("TERM=", 0) != 0)
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
    if (pid_ > 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    close(master_);
  }

  void type(const std::string &keys) {
    ASSERT_EQ(write(master_, keys.data(), keys.size()), static_cast<ssize_t>(keys.size()));
  }

  /// Reads until `text` has appeared in the output or the bound passes.
  bool expect(const std::string &text) {
    const auto deadline = Clock::now() + std::chrono::seconds(20);
    while (seen_.find(text) == std::string::npos) {
      if (!read_some(deadline))
        return false;
    }
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
    int status = 0;
    while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
    }
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
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
};

TEST(KithostPrompt, RunsTheHostWhileWaitingAndCompletes) {
  Terminal terminal;
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

TEST(KithostPrompt, AZeroDelayLoopLeavesThePromptItsLines) {
  Terminal terminal;
  ASSERT_TRUE(terminal.expect("kithost> "));
  terminal.type("obj d delay 0\nconnect d 0 d 0\nsend d bang\n");
  terminal.type("quit\n");
  EXPECT_EQ(terminal.exit_status(), 0) << terminal.seen();
}

} // namespace
