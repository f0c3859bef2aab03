// kithost_batch_bench: the wall time of a run of clocks only, 5 s of logical
// time (a metro every 10 ms counting, the count printed when a delay of
// 5000 ms stops it), under `kithost --batch`, under Pure Data's batch mode on
// the same patch written for Pd, and under kithost without --batch for
// reference; then both programs on nothing (a script without lines, a patch
// that quits at once), which is what starting and ending costs. They run in
// turn, run after run; each run's figures, the medians, their ratio and the
// machine's load average are printed. Every run of the clocks must print the
// count (500) or the benchmark fails.
//
//   kithost_batch_bench [--runs N] [--no-pd]      (default: 5 runs)
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <thread>
#include <vector>

extern char **environ;

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

const char *const pd_path = "/usr/bin/pd";
// A run that has not ended by then is killed: the benchmark fails rather
// than hangs.
constexpr auto longest_run = std::chrono::seconds(60);

/// One way of running the patch: the program and its arguments, and the
/// line its output must hold (none: it must only end well).
struct Contender {
  std::string label;
  std::vector<std::string> argv;
  std::string expected_line;
  std::vector<double> seconds = {};
};

/// Runs argv to its end with both output streams into `output`; the wall time
/// in seconds from the start to the end, or nothing when it could not start,
/// did not end in time or failed.
std::optional<double> time_run(const std::vector<std::string> &argv, const fs::path &output) {
  std::vector<char *> words;
  for (const auto &word : argv)
    words.push_back(const_cast<char *>(word.c_str()));
  words.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_adddup2(&actions, 1, 2);
  pid_t pid = 0;
  const auto start = Clock::now();
  const int spawned = posix_spawn(&pid, words[0], &actions, nullptr, words.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) {
    std::fprintf(stderr, "cannot start %s: %s\n", words[0], std::strerror(spawned));
    return std::nullopt;
  }
  // Polled often enough that the polling adds a tenth of a millisecond at most.
  int status = 0;
  for (;;) {
    const pid_t done = waitpid(pid, &status, WNOHANG);
    if (done == pid)
      break;
    if (done < 0 && errno != EINTR) {
      std::perror("waitpid");
      return std::nullopt;
    }
    if (Clock::now() - start > longest_run) {
      std::fprintf(stderr, "%s still running after %lld s: killed\n", words[0],
                   static_cast<long long>(longest_run.count()));
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      return std::nullopt;
    }
    std::this_thread::sleep_for(std::chrono::microseconds(100));
  }
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    std::fprintf(stderr, "%s failed (status %d)\n", words[0], status);
    return std::nullopt;
  }
  return seconds;
}

bool holds_line(const fs::path &file, const std::string &expected) {
  if (expected.empty())
    return true;
  std::ifstream in(file);
  for (std::string line; std::getline(in, line);)
    if (line == expected)
      return true;
  return false;
}

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const std::size_t n = values.size();
  return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

std::string load_average() {
  std::ifstream in("/proc/loadavg");
  std::string one, five, fifteen;
  in >> one >> five >> fifteen;
  return one + " " + five + " " + fifteen;
}

std::string pd_version() {
  const fs::path output =
      fs::temp_directory_path() / ("kithost-batch-bench-pd-" + std::to_string(getpid()));
  if (!time_run({pd_path, "-version"}, output))
    return "unknown";
  std::ifstream in(output);
  std::string line;
  std::getline(in, line);
  fs::remove(output);
  return line;
}

} // namespace

int main(int argc, char **argv) {
  int runs = 5;
  bool with_pd = true;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--runs" && i + 1 < argc) {
      runs = std::atoi(argv[++i]);
    } else if (arg == "--no-pd") {
      with_pd = false;
    } else {
      std::fprintf(stderr, "usage: %s [--runs N] [--no-pd]\n", argv[0]);
      return 2;
    }
  }
  if (runs < 1) {
    std::fprintf(stderr, "%s: --runs takes a number from 1 on\n", argv[0]);
    return 2;
  }
  if (with_pd && access(pd_path, X_OK) != 0) {
    std::printf("Pd: skipped (%s is not installed; Debian's puredata-core has it)\n", pd_path);
    with_pd = false;
  }

  const std::string script = KIT_BENCH_DIR "/clocks.kit";
  std::vector<Contender> contenders;
  contenders.push_back({"kithost --batch", {KITHOST_PATH, "--batch", script}, "post: count: 500"});
  if (with_pd) {
    std::printf("Pd: %s\n", pd_version().c_str());
    contenders.push_back({"pd -batch",
                          {pd_path, "-nosound", "-nomidi", "-noprefs", "-nrt", "-batch", "-open",
                           KIT_BENCH_DIR "/clocks.pd"},
                          "count: 500"});
  }
  contenders.push_back({"kithost (wall clock's pace)", {KITHOST_PATH, script}, "post: count: 500"});
  contenders.push_back(
      {"kithost --batch, nothing", {KITHOST_PATH, "--batch", KIT_BENCH_DIR "/nothing.kit"}, ""});
  if (with_pd)
    contenders.push_back({"pd -batch, nothing",
                          {pd_path, "-nosound", "-nomidi", "-noprefs", "-nrt", "-batch", "-open",
                           KIT_BENCH_DIR "/quit.pd"},
                          ""});

  const fs::path output =
      fs::temp_directory_path() / ("kithost-batch-bench-" + std::to_string(getpid()));
  std::printf("load average at the start: %s\n", load_average().c_str());
  for (int run = 1; run <= runs; ++run) {
    std::printf("run %d:", run);
    for (Contender &contender : contenders) {
      const auto seconds = time_run(contender.argv, output);
      if (!seconds || !holds_line(output, contender.expected_line)) {
        std::printf("\n%s failed or did not print \"%s\"; its output:\n", contender.label.c_str(),
                    contender.expected_line.c_str());
        std::ifstream in(output);
        std::printf("%s\n", std::string(std::istreambuf_iterator<char>(in), {}).c_str());
        fs::remove(output);
        return 1;
      }
      contender.seconds.push_back(*seconds);
      std::printf("  %s %.1f ms", contender.label.c_str(), *seconds * 1e3);
    }
    std::printf("\n");
    std::fflush(stdout);
  }
  fs::remove(output);
  std::printf("load average at the end: %s\n", load_average().c_str());

  const double batch = median(contenders.front().seconds);
  std::printf("median wall time of %d runs:\n", runs);
  for (const Contender &contender : contenders)
    std::printf("  %-28s %9.1f ms  (%.2f times kithost --batch)\n", contender.label.c_str(),
                median(contender.seconds) * 1e3, median(contender.seconds) / batch);
  if (with_pd) {
    const double pd = median(contenders[1].seconds);
    const double kithost_start = median(contenders[3].seconds);
    const double pd_start = median(contenders[4].seconds);
    std::printf("kithost --batch / pd -batch: %.2f\n", batch / pd);
    std::printf("the same less starting and ending (the medians on nothing): %.1f ms / %.1f ms\n",
                (batch - kithost_start) * 1e3, (pd - pd_start) * 1e3);
  }
  return 0;
}
