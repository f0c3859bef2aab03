// kithost's time: scripts run on logical time, a loop in a patch ends, and
// an idle host sleeps. kithost runs as a separate process whose standard
// input the test feeds, at once or line by line, and whose CPU time it reads.
#include "run_kithost.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char **environ;

using namespace kithost_test;

namespace {

struct Fed {
  Lines out;
  int status = -1;        ///< exit status; -1 when killed or not ended
  double cpu_seconds = 0; ///< user and system time of the process
};

Lines read_lines(const std::filesystem::path &file) {
  std::ifstream in(file, std::ios::binary);
  Lines lines;
  std::string line;
  while (std::getline(in, line))
    lines.push_back(line);
  return lines;
}

/// Runs kithost with both module folders and feeds `lines` to its standard
/// input, pausing `pause` after each. Killed when it has not ended 60 s
/// after its input closed.
Fed feed_kithost(const Lines &lines, std::chrono::milliseconds pause) {
  TempDir io;
  const auto out = io.path() / "stdout";
  int input[2];
  if (pipe(input) != 0) {
    ADD_FAILURE() << "pipe: " << std::strerror(errno);
    return {};
  }
  fcntl(input[1], F_SETFD, FD_CLOEXEC);
  std::vector<std::string> words{KITHOST_PATH, "--modules", KIT_MODULE_DIR, "--modules",
                                 test_modules()};
  std::vector<char *> argv;
  for (auto &word : words)
    argv.push_back(word.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, input[0], 0);
  posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_adddup2(&actions, 1, 2);
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(input[0]);
  Fed fed;
  if (spawned != 0) {
    close(input[1]);
    ADD_FAILURE() << "cannot start " << KITHOST_PATH << ": " << std::strerror(spawned);
    return fed;
  }
  // kithost ending early (a bad line) closes the pipe: no SIGPIPE here.
  std::signal(SIGPIPE, SIG_IGN);
  for (const std::string &line : lines) {
    const std::string text = line + "\n";
    if (write(input[1], text.data(), text.size()) != static_cast<ssize_t>(text.size()))
      break;
    if (pause.count() > 0)
      std::this_thread::sleep_for(pause);
  }
  close(input[1]);
  int status = 0;
  rusage usage{};
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  pid_t ended = 0;
  while ((ended = wait4(pid, &status, WNOHANG, &usage)) == 0 &&
         std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  if (ended != pid) {
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    ADD_FAILURE() << "kithost did not end";
  } else {
    fed.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    auto seconds = [](const timeval &t) { return t.tv_sec + t.tv_usec / 1e6; };
    fed.cpu_seconds = seconds(usage.ru_utime) + seconds(usage.ru_stime);
  }
  fed.out = read_lines(out);
  return fed;
}

Fed feed_at_once(const Lines &lines) {
  return feed_kithost(lines, std::chrono::milliseconds(0));
}

TEST(KithostTime, ScriptOutputDoesNotDependOnHowFastLinesArrive) {
  const Lines script{
      "obj d delay 100", "obj m metro 30", "obj e kt-echo", "print d",
      "print m",         "print e",        "send d bang",
      "send m bang", // bangs at once, then every 30 ms of logical time
      "wait 0",      // the delay is not due: no time has passed
      "send e 1",        "wait 99",        "send e 2",
      "wait 1", // the delay falls due at the end of this wait
      "send e 3",        "send m stop",    "send d bang",   "wait 0",
      "free d", // due in 100 ms: never fires
      "send e 4",
  };
  const Lines expected{
      "m.0: bang", "e.0: 1",    "m.0: bang", "m.0: bang", "m.0: bang",
      "e.0: 2",    "d.0: bang", "e.0: 3",    "e.0: 4",
  };
  const Fed at_once = feed_at_once(script);
  EXPECT_EQ(at_once.status, 0);
  EXPECT_EQ(at_once.out, expected);
  // The pauses are longer than every wait: time between lines must not count.
  const Fed slowly = feed_kithost(script, std::chrono::milliseconds(150));
  EXPECT_EQ(slowly.status, 0);
  EXPECT_EQ(slowly.out, expected);
}

TEST(KithostTime, ChainedClocksFireAtTheirDueLogicalTime) {
  // Each round: a delay of 50 ms sets off another of 50 ms, and a wait of
  // 100 ms must see both, however late the first one ran.
  constexpr int rounds = 40;
  Lines script{"obj a delay 50",  "obj b delay 50", "obj e kt-echo",
               "connect a 0 b 0", "print b",        "print e"};
  Lines expected;
  for (int round = 1; round <= rounds; ++round) {
    script.insert(script.end(), {"send a bang", "wait 100", "send e " + std::to_string(round)});
    expected.insert(expected.end(), {"b.0: bang", "e.0: " + std::to_string(round)});
  }
  const Fed fed = feed_at_once(script);
  EXPECT_EQ(fed.status, 0);
  EXPECT_EQ(fed.out, expected);
}

TEST(KithostTime, AFeedbackLoopWithFanOutEndsAndTheHostGoesOn) {
  // Every int in makes several out, each of which comes back in.
  const std::string cut = "error: rk+cmd: messages nested more than 1000 deep (a loop in the "
                          "patch?); the chain is abandoned";
  const Fed fed = feed_at_once({
      "obj c rk+cmd",
      "connect c 0 c 0",
      "send c 1",
      "obj d rk+cmd",
      "print d",
      "send d 1",
      "send c 2", // cut again: the limit holds for every delivery
      "send d bang",
  });
  EXPECT_EQ(fed.status, 0);
  EXPECT_EQ(fed.out, (Lines{cut, "d.0: 42", "d.0: 48", "d.0: 49", cut, "d.0: 35"}));
}

TEST(KithostTime, AFarClockLetsTheHostSleep) {
  // The CPU time of a one-second wait, less that of starting and ending, is
  // a small part of the second: the loop sleeps until the wait ends instead
  // of spinning on a wait it cannot compute.
  auto cpu_for = [](const std::string &wait) {
    const Fed fed = feed_at_once({"obj d delay 1e15", "send d bang", wait});
    EXPECT_EQ(fed.status, 0);
    EXPECT_EQ(fed.out, Lines{});
    return fed.cpu_seconds;
  };
  const double idle = cpu_for("wait 1000") - cpu_for("wait 0");
  EXPECT_LT(idle, 0.2) << "CPU seconds spent in a one-second wait";
}

} // namespace
