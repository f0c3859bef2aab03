#include "run_kithost.hpp"

#include "child.hpp"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <spawn.h>
#include <sstream>
#include <sys/resource.h>
#include <thread>
#include <unistd.h>

extern char **environ;

namespace kithost_test {

namespace fs = std::filesystem;

namespace {

Lines read_lines(const fs::path &file) {
  std::ifstream in(file, std::ios::binary);
  Lines lines;
  std::string line;
  while (std::getline(in, line))
    lines.push_back(line);
  return lines;
}

/// Starts kithost with `args` and the caller's file `actions` (standard input,
/// the folder), which it destroys; standard output and error go to `out` and
/// `err`; `stack_bytes`, when not 0, limits its main thread's stack. 0 (a test
/// failure) when it cannot start.
pid_t start_kithost(const std::vector<std::string> &args, posix_spawn_file_actions_t &actions,
                    const fs::path &out, const fs::path &err, std::size_t stack_bytes = 0) {
  std::vector<std::string> words;
  // The shell sets the limit that kithost then inherits through exec.
  if (stack_bytes > 0)
    words = {"/bin/sh", "-c",
             "ulimit -s " + std::to_string(stack_bytes / 1024) + " && exec \"$0\" \"$@\""};
  words.push_back(KITHOST_PATH);
  words.insert(words.end(), args.begin(), args.end());
  std::vector<char *> argv;
  for (auto &word : words)
    argv.push_back(word.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) {
    ADD_FAILURE() << "cannot start " << KITHOST_PATH << ": " << std::strerror(spawned);
    return 0;
  }
  return pid;
}

} // namespace

TempDir::TempDir() {
  std::string pattern = (fs::temp_directory_path() / "kithost-test-XXXXXX").string();
  if (!mkdtemp(pattern.data()))
    throw std::runtime_error(std::string("mkdtemp: ") + std::strerror(errno));
  path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ignored;
  fs::remove_all(path_, ignored);
}

fs::path TempDir::write(const std::string &name, const std::string &text) const {
  const fs::path file = path_ / name;
  fs::create_directories(file.parent_path());
  std::ofstream out(file, std::ios::binary);
  out << text;
  return file;
}

Result run_kithost(const std::vector<std::string> &args, const std::string &input,
                   const fs::path &cwd) {
  Launch launch;
  launch.input = input;
  launch.cwd = cwd;
  return run_kithost(args, launch);
}

Result run_kithost(const std::vector<std::string> &args, const Launch &launch) {
  TempDir io;
  const fs::path in = io.write("stdin", launch.input);
  const fs::path out = launch.stdout_to.empty() ? io.path() / "stdout" : launch.stdout_to;
  const fs::path err = io.path() / "stderr";

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, in.c_str(), O_RDONLY, 0);
  if (!launch.cwd.empty())
    posix_spawn_file_actions_addchdir_np(&actions, launch.cwd.c_str());
  Result run;
  const pid_t pid = start_kithost(args, actions, out, err, launch.stack_bytes);
  if (pid == 0)
    return run;
  // The time limit bounds a run that might hang; it measures nothing.
  const auto limit =
      launch.kill_after_seconds > 0
          ? std::chrono::milliseconds(std::chrono::seconds(launch.kill_after_seconds))
          : std::chrono::milliseconds::max();
  const kittest::ChildEnd end = kittest::wait_child(pid, limit);
  if (!end.in_time)
    ADD_FAILURE() << "kithost still running after " << launch.kill_after_seconds << " s: killed";
  run.status = kittest::exit_code(end.status);
  if (launch.stdout_to.empty())
    run.out = read_lines(out);
  run.err = read_lines(err);
  return run;
}

Result feed_kithost(const std::vector<std::string> &args, const Lines &lines,
                    std::chrono::milliseconds pause) {
  TempDir io;
  const fs::path out = io.path() / "stdout";
  const fs::path err = io.path() / "stderr";
  Result run;
  int input[2];
  if (pipe(input) != 0) {
    ADD_FAILURE() << "pipe: " << std::strerror(errno);
    return run;
  }
  fcntl(input[1], F_SETFD, FD_CLOEXEC);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, input[0], 0);
  const pid_t pid = start_kithost(args, actions, out, err);
  close(input[0]);
  if (pid == 0) {
    close(input[1]);
    return run;
  }
  // kithost ending early (a bad line) closes the pipe: an error, not SIGPIPE.
  std::signal(SIGPIPE, SIG_IGN);
  for (const std::string &line : lines) {
    const std::string text = line + "\n";
    if (write(input[1], text.data(), text.size()) != static_cast<ssize_t>(text.size()))
      break;
    if (pause.count() > 0)
      std::this_thread::sleep_for(pause);
  }
  close(input[1]);
  rusage usage{};
  const kittest::ChildEnd end = kittest::wait_child(pid, std::chrono::seconds(60), &usage);
  if (!end.in_time) {
    ADD_FAILURE() << "kithost did not end";
  } else {
    run.status = kittest::exit_code(end.status);
    auto seconds = [](const timeval &t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
    run.cpu_seconds = seconds(usage.ru_utime) + seconds(usage.ru_stime);
  }
  run.out = read_lines(out);
  run.err = read_lines(err);
  return run;
}

std::string test_modules() {
  return KITHOST_TEST_MODULES;
}

} // namespace kithost_test
