#include "run_kithost.hpp"

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
#include <sys/wait.h>
#include <thread>

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
  const fs::path &cwd = launch.cwd;

  std::vector<std::string> words;
  // The shell sets the limit that kithost then inherits through exec.
  if (launch.stack_bytes > 0)
    words = {"/bin/sh", "-c",
             "ulimit -s " + std::to_string(launch.stack_bytes / 1024) + " && exec \"$0\" \"$@\""};
  words.push_back(KITHOST_PATH);
  words.insert(words.end(), args.begin(), args.end());
  std::vector<char *> argv;
  for (auto &word : words)
    argv.push_back(word.data());
  argv.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, in.c_str(), O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  if (!cwd.empty())
    posix_spawn_file_actions_addchdir_np(&actions, cwd.c_str());
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  Result run;
  if (spawned != 0) {
    ADD_FAILURE() << "cannot start " << KITHOST_PATH << ": " << std::strerror(spawned);
    return run;
  }
  int status = 0;
  // The time limit bounds a run that might hang; it measures nothing.
  const auto deadline =
      std::chrono::steady_clock::now() + std::chrono::seconds(launch.kill_after_seconds);
  for (;;) {
    const pid_t done = waitpid(pid, &status, launch.kill_after_seconds > 0 ? WNOHANG : 0);
    if (done == pid || (done < 0 && errno != EINTR))
      break;
    if (done == 0 && std::chrono::steady_clock::now() >= deadline) {
      ADD_FAILURE() << "kithost still running after " << launch.kill_after_seconds << " s: killed";
      kill(pid, SIGKILL);
      while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
      }
      break;
    }
    if (done == 0)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  if (launch.stdout_to.empty())
    run.out = read_lines(out);
  run.err = read_lines(err);
  return run;
}

std::string test_modules() {
  return KITHOST_TEST_MODULES;
}

} // namespace kithost_test
