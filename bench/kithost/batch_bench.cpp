// kithost_batch_bench: the wall time of a run of clocks only, 5 s of logical
// time by default (a metro every 10 ms counting, the count printed when a
// delay of that length stops it), under `kithost --batch`, under Pure Data's
// batch mode on the same patch written for Pd, and under kithost without
// --batch for reference; then both programs on nothing (a script without
// lines, a patch that quits at once), which is what starting and ending
// costs. They run in turn, round after round; each round's figures, the
// medians (wall and CPU time), their ratios and the machine's load average
// are printed. A run of the clocks that does not print the count fails the
// benchmark.
//
//   kithost_batch_bench [--runs N] [--reference-runs N] [--seconds S] [--no-pd]
//
// --runs: rounds of the quick runs (21); --reference-runs: of those on the
// wall clock's pace (3, each as long as the logical time); --seconds: the
// logical time (5).
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
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
// A run that has not ended this long after the logical time it runs for is
// killed: the benchmark fails rather than hangs.
constexpr auto longest_overrun = std::chrono::seconds(60);

/// One way of running the patch: the program and its arguments, and the
/// line its output must hold (none: it must only end well).
struct Contender {
  std::string label;
  std::vector<std::string> argv;
  std::string expected_line;
  std::vector<double> seconds = {};     ///< wall time of each run
  std::vector<double> cpu_seconds = {}; ///< user and system time of each run
};

struct Times {
  double wall;
  double cpu;
};

/// Runs argv to its end with both output streams into `output`; the wall time
/// in seconds from the start to the end and the CPU time the process took, or
/// nothing when it could not start, did not end within `longest_run` or
/// failed.
std::optional<Times> time_run(const std::vector<std::string> &argv, const fs::path &output,
                              std::chrono::seconds longest_run = longest_overrun) {
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
  rusage usage{};
  for (;;) {
    const pid_t done = wait4(pid, &status, WNOHANG, &usage);
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
  auto in_seconds = [](const timeval &t) {
    return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6;
  };
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    std::fprintf(stderr, "%s failed (status %d)\n", words[0], status);
    return std::nullopt;
  }
  return Times{seconds, in_seconds(usage.ru_utime) + in_seconds(usage.ru_stime)};
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

/// Pd's version line, written through `output`.
std::string pd_version(const fs::path &output) {
  std::string line = "unknown";
  if (time_run({pd_path, "-version"}, output)) {
    std::ifstream in(output);
    std::getline(in, line);
  }
  return line;
}

/// The kithost script: `ms` of logical time.
std::string clocks_script(long ms) {
  const std::string length = std::to_string(ms);
  return "obj m metro 10\n"
         "obj counted int\n"
         "obj step + 1\n"
         "obj total int\n"
         "obj finish delay " +
         length +
         "\n"
         "obj stop trigger b stop\n"
         "obj out print count\n"
         "connect m 0 counted 0\n"
         "connect counted 0 step 0\n"
         "connect step 0 counted 1\n"
         "connect step 0 total 1\n"
         "connect finish 0 stop 0\n"
         "connect stop 1 m 0\n"
         "connect stop 0 total 0\n"
         "connect total 0 out 0\n"
         "send m bang\n"
         "send finish bang\n"
         "wait " +
         length + "\n";
}

/// The same as a Pd patch, which ends Pd once it has printed the count. The
/// delay, armed before the metro's last bang, runs first at the end: both
/// count the bangs from 0 to `ms` - 10.
std::string clocks_patch(long ms) {
  return "#N canvas 0 0 450 300 10;\n"
         "#X obj 10 10 loadbang;\n" // 0
         "#X obj 10 40 t b b;\n"    // 1
         "#X obj 10 70 metro 10;\n" // 2
         "#X obj 10 100 f;\n"       // 3
         "#X obj 50 100 + 1;\n"     // 4
         "#X obj 120 70 delay " +
         std::to_string(ms) +
         ";\n"                           // 5
         "#X obj 120 100 t b b b;\n"     // 6
         "#X msg 200 130 stop;\n"        // 7
         "#X obj 160 160 f;\n"           // 8
         "#X obj 160 190 print count;\n" // 9
         "#X msg 120 220 \\; pd quit;\n" // 10
         "#X connect 0 0 1 0;\n"
         "#X connect 1 0 5 0;\n"
         "#X connect 1 1 2 0;\n"
         "#X connect 2 0 3 0;\n"
         "#X connect 3 0 4 0;\n"
         "#X connect 4 0 3 1;\n"
         "#X connect 4 0 8 1;\n"
         "#X connect 5 0 6 0;\n"
         "#X connect 6 0 10 0;\n"
         "#X connect 6 1 8 0;\n"
         "#X connect 6 2 7 0;\n"
         "#X connect 7 0 2 0;\n"
         "#X connect 8 0 9 0;\n";
}

const char *const quit_patch = "#N canvas 0 0 450 300 10;\n"
                               "#X obj 10 10 loadbang;\n"
                               "#X msg 10 40 \\; pd quit;\n"
                               "#X connect 0 0 1 0;\n";

bool write_file(const fs::path &path, const std::string &text) {
  std::ofstream out(path);
  out << text;
  return static_cast<bool>(out);
}

/// Reads the number after the option at argv[i] into `value`, moving i on;
/// false when there is none or it is below `least`.
bool read_number(int argc, char **argv, int &i, long least, long &value) {
  if (i + 1 >= argc)
    return false;
  char *end = nullptr;
  value = std::strtol(argv[++i], &end, 10);
  return *end == '\0' && end != argv[i] && value >= least;
}

void run_round(std::vector<Contender *> &contenders, const fs::path &output,
               std::chrono::seconds longest_run, bool &ok) {
  for (Contender *contender : contenders) {
    if (!ok)
      return;
    const auto seconds = time_run(contender->argv, output, longest_run);
    if (!seconds || !holds_line(output, contender->expected_line)) {
      std::printf("\n%s failed or did not print \"%s\"; its output:\n", contender->label.c_str(),
                  contender->expected_line.c_str());
      std::ifstream in(output);
      std::printf("%s\n", std::string(std::istreambuf_iterator<char>(in), {}).c_str());
      ok = false;
      return;
    }
    contender->seconds.push_back(seconds->wall);
    contender->cpu_seconds.push_back(seconds->cpu);
    std::printf("  %s %.1f ms", contender->label.c_str(), seconds->wall * 1e3);
  }
}

} // namespace

int main(int argc, char **argv) {
  long runs = 21;
  long reference_runs = 3;
  long logical_seconds = 5;
  bool with_pd = true;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    bool ok = true;
    if (arg == "--runs")
      ok = read_number(argc, argv, i, 1, runs);
    else if (arg == "--reference-runs")
      ok = read_number(argc, argv, i, 0, reference_runs);
    else if (arg == "--seconds")
      ok = read_number(argc, argv, i, 1, logical_seconds) && logical_seconds <= 3600;
    else if (arg == "--no-pd")
      with_pd = false;
    else
      ok = false;
    if (!ok) {
      std::fprintf(stderr,
                   "usage: %s [--runs N] [--reference-runs N] [--seconds S (1 to 3600)] "
                   "[--no-pd]\n",
                   argv[0]);
      return 2;
    }
  }
  if (with_pd && access(pd_path, X_OK) != 0) {
    std::printf("Pd: skipped (%s is not installed; Debian's puredata-core has it)\n", pd_path);
    with_pd = false;
  }

  const fs::path dir =
      fs::temp_directory_path() / ("kithost-batch-bench-" + std::to_string(getpid()));
  fs::create_directories(dir);
  const long ms = logical_seconds * 1000;
  const auto longest_run = longest_overrun + std::chrono::seconds(logical_seconds);
  const std::string count_line = "count: " + std::to_string(ms / 10);
  const fs::path script = dir / "clocks.kit", patch = dir / "clocks.pd",
                 nothing = dir / "nothing.kit", quit = dir / "quit.pd", output = dir / "output";
  if (!write_file(script, clocks_script(ms)) || !write_file(patch, clocks_patch(ms)) ||
      !write_file(nothing, "") || !write_file(quit, quit_patch)) {
    std::fprintf(stderr, "cannot write the patches into %s\n", dir.c_str());
    return 1;
  }
  const std::vector<std::string> pd_flags = {pd_path, "-nosound", "-nomidi", "-noprefs",
                                             "-nrt",  "-batch",   "-open"};
  auto pd_on = [&](const fs::path &file) {
    std::vector<std::string> argv = pd_flags;
    argv.push_back(file.string());
    return argv;
  };
  Contender batch{
      "kithost --batch", {KITHOST_PATH, "--batch", script.string()}, "post: " + count_line};
  Contender pd{"pd -batch", pd_on(patch), count_line};
  Contender batch_nothing{
      "kithost --batch, nothing", {KITHOST_PATH, "--batch", nothing.string()}, ""};
  Contender pd_nothing{"pd -batch, nothing", pd_on(quit), ""};
  Contender reference{
      "kithost (wall clock's pace)", {KITHOST_PATH, script.string()}, "post: " + count_line};
  std::vector<Contender *> quick = {&batch, &batch_nothing};
  if (with_pd) {
    std::printf("Pd: %s\n", pd_version(output).c_str());
    quick = {&batch, &pd, &batch_nothing, &pd_nothing};
  }
  std::vector<Contender *> slow = {&reference};

  std::printf("%ld s of logical time; load average at the start: %s\n", logical_seconds,
              load_average().c_str());
  bool ok = true;
  for (long round = 1; ok && round <= std::max(runs, reference_runs); ++round) {
    std::printf("round %ld:", round);
    if (round <= runs)
      run_round(quick, output, longest_run, ok);
    if (round <= reference_runs)
      run_round(slow, output, longest_run, ok);
    std::printf("\n");
    std::fflush(stdout);
  }
  fs::remove_all(dir);
  if (!ok)
    return 1;
  std::printf("load average at the end: %s\n", load_average().c_str());

  const double batch_median = median(batch.seconds);
  std::printf("medians:\n");
  quick.insert(quick.end(), slow.begin(), slow.end());
  for (const Contender *contender : quick)
    if (!contender->seconds.empty())
      std::printf("  %-28s %9.1f ms of %zu runs  (%.2f times kithost --batch), CPU %.1f ms\n",
                  contender->label.c_str(), median(contender->seconds) * 1e3,
                  contender->seconds.size(), median(contender->seconds) / batch_median,
                  median(contender->cpu_seconds) * 1e3);
  if (with_pd) {
    std::printf("kithost --batch / pd -batch: %.2f (CPU time: %.2f)\n",
                batch_median / median(pd.seconds),
                median(batch.cpu_seconds) / median(pd.cpu_seconds));
    std::printf("less starting and ending (the medians on nothing): kithost %.1f ms, pd %.1f ms\n",
                (batch_median - median(batch_nothing.seconds)) * 1e3,
                (median(pd.seconds) - median(pd_nothing.seconds)) * 1e3);
  }
  return 0;
}
