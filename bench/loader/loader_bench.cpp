// loader_bench: uploads a large project file with TovikLoader to tovik-sim on
// loopback, and sends the same framed bytes over a plain socket, in the same
// run. Reports the time of each (the loader's fixed 100 ms pause before its
// bang taken out), the throughput, and the process's peak memory growth.
//
//   loader_bench [MiB] [rounds]      (defaults: 256 MiB, 3 rounds)
#include "framing.hpp"
#include "kit/host.hpp"

#include <algorithm>
#include <arpa/inet.h>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <netinet/in.h>
#include <poll.h>
#include <string>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double seconds_since(Clock::time_point t) {
  return std::chrono::duration<double>(Clock::now() - t).count();
}

long peak_rss_kib() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return u.ru_maxrss;
}

long current_rss_kib() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmRSS:", 0) == 0)
      return std::strtol(line.c_str() + 6, nullptr, 10);
  }
  return 0;
}

// tovik-sim on 127.0.0.1 with an ephemeral upload port; its events are read
// line by line to learn when the device holds a whole message.
struct Sim {
  pid_t pid = -1;
  int out = -1;
  int port = 0;
  std::string pending;

  // Its length and memory bounds are raised to the message's size, which
  // may pass their defaults (a 256 MiB file makes a message just over
  // 256 MiB).
  bool start(std::size_t message_size) {
    const std::string bound = std::to_string(message_size);
    int fds[2];
    if (pipe(fds) != 0)
      return false;
    pid = fork();
    if (pid == 0) {
      dup2(fds[1], 1);
      close(fds[0]);
      close(fds[1]);
      const std::string sim = std::string(KIT_BIN_DIR) + "/tovik-sim";
      execl(sim.c_str(), sim.c_str(), "--bind", "127.0.0.1", "--udp-port", "0", "--tcp-port", "0",
            "--max-length", bound.c_str(), "--max-memory", bound.c_str(), nullptr);
      _exit(127);
    }
    close(fds[1]);
    out = fds[0];
    const std::string first = line(10000);
    const auto at = first.find("TCP port ");
    if (at == std::string::npos)
      return false;
    port = std::atoi(first.c_str() + at + 9);
    return port > 0;
  }
  // The next output line ("" after the time-out).
  std::string line(int timeout_ms) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
    for (;;) {
      const auto nl = pending.find('\n');
      if (nl != std::string::npos) {
        std::string l = pending.substr(0, nl);
        pending.erase(0, nl + 1);
        return l;
      }
      const auto left =
          std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
      pollfd p{out, POLLIN, 0};
      if (left.count() <= 0 || poll(&p, 1, static_cast<int>(left.count())) <= 0)
        return {};
      char buf[4096];
      const ssize_t n = read(out, buf, sizeof buf);
      if (n <= 0)
        return {};
      pending.append(buf, static_cast<std::size_t>(n));
    }
  }
  // Waits for the device's report of a whole message.
  bool received(int timeout_ms) {
    for (;;) {
      const std::string l = line(timeout_ms);
      if (l.empty())
        return false;
      if (l.rfind("message from", 0) == 0)
        return true;
      if (l.rfind("error", 0) == 0) {
        std::fprintf(stderr, "tovik-sim: %s\n", l.c_str());
        return false;
      }
    }
  }
  ~Sim() {
    if (pid > 0) {
      kill(pid, SIGTERM);
      waitpid(pid, nullptr, 0);
    }
    if (out >= 0)
      close(out);
  }
};

// The upload message of the prefix followed by file_size bytes of 'p', built
// in place: a separate payload would double the memory of a large one.
std::vector<unsigned char> framed(const std::string &payload_prefix, std::size_t file_size) {
  const std::size_t n = payload_prefix.size() + file_size;
  std::vector<unsigned char> m(tovik::framed_size(n), 0);
  const auto header = tovik::frame_header(n);
  std::memcpy(m.data(), header.data(), header.size());
  std::memcpy(m.data() + header.size(), payload_prefix.data(), payload_prefix.size());
  std::memset(m.data() + header.size() + payload_prefix.size(), 'p', file_size);
  return m;
}

// Sends the bytes over a blocking TCP socket; returns the seconds from
// connect to the last byte accepted, or -1.
double plain_send(int port, const std::vector<unsigned char> &bytes) {
  const auto start = Clock::now();
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  a.sin_port = htons(static_cast<uint16_t>(port));
  if (connect(fd, reinterpret_cast<sockaddr *>(&a), sizeof a) != 0) {
    close(fd);
    return -1;
  }
  std::size_t sent = 0;
  while (sent < bytes.size()) {
    const ssize_t n = send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
    if (n <= 0)
      break;
    sent += static_cast<std::size_t>(n);
  }
  const double took = seconds_since(start);
  close(fd);
  return sent == bytes.size() ? took : -1;
}

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

} // namespace

int main(int argc, char **argv) {
  const long mib = argc > 1 ? std::atol(argv[1]) : 256;
  const int rounds = argc > 2 ? std::atoi(argv[2]) : 3;
  if (mib <= 0 || mib > 2000 || rounds <= 0 || rounds > 20) {
    std::fprintf(stderr, "usage: loader_bench [MiB 1..2000] [rounds 1..20]\n");
    return 2;
  }
  const std::size_t file_size = static_cast<std::size_t>(mib) << 20;

  char dir_pattern[] = "/tmp/loader-bench-XXXXXX";
  if (!mkdtemp(dir_pattern))
    return 1;
  const std::string file = std::string(dir_pattern) + "/project.tvk";
  {
    std::ofstream f(file, std::ios::binary);
    const std::string chunk(1 << 20, 'p');
    for (long i = 0; i < mib; ++i)
      f.write(chunk.data(), static_cast<std::streamsize>(chunk.size()));
  }

  const std::string prefix = "<RESET/>\n";
  Sim sim;
  if (!sim.start(tovik::framed_size(prefix.size() + file_size))) {
    std::fprintf(stderr, "loader_bench: tovik-sim did not start\n");
    return 1;
  }

  kit::Host &host = kit::Host::instance();
  host.add_module_dir(KIT_MODULE_DIR);
  std::string error;
  const std::string box_port = std::to_string(sim.port);
  std::vector<t_atom> args(4);
  atom_setsym(&args[0], gensym("@host"));
  atom_setsym(&args[1], gensym("127.0.0.1"));
  atom_setsym(&args[2], gensym("@port"));
  atom_setlong(&args[3], sim.port);
  t_object *x = host.make("TovikLoader", args, error);
  if (!x) {
    std::fprintf(stderr, "loader_bench: %s\n", error.c_str());
    return 1;
  }
  int bangs = 0;
  host.watch(x, 1, [&](t_symbol *, std::span<const t_atom>) { ++bangs; });
  host.watch(x, 0, [&](t_symbol *s, std::span<const t_atom> a) {
    std::fprintf(stderr, "loader_bench: %s\n", kit::format_message(s, a).c_str());
  });

  std::vector<double> loader_times, plain_times;
  long rss_before = 0, peak_growth = 0;
  for (int r = 0; r < rounds; ++r) {
    rss_before = current_rss_kib();
    const long peak_before = peak_rss_kib();
    t_atom name;
    atom_setsym(&name, gensym(file.c_str()));
    const int bangs_before = bangs;
    const auto start = Clock::now();
    host.send(x, 0, gensym("load"), {&name, 1});
    const double took = seconds_since(start) - 0.100;
    if (bangs != bangs_before + 1 || !sim.received(60000)) {
      std::fprintf(stderr, "loader_bench: the upload failed\n");
      return 1;
    }
    loader_times.push_back(took);
    // ru_maxrss only grows: the first round shows the growth.
    if (r == 0)
      peak_growth = peak_rss_kib() - std::max(peak_before, rss_before);
  }
  const long rss_after_loader = current_rss_kib();

  const auto bytes = framed(prefix, file_size);
  for (int r = 0; r < rounds; ++r) {
    const double took = plain_send(sim.port, bytes);
    if (took < 0 || !sim.received(60000)) {
      std::fprintf(stderr, "loader_bench: the plain send failed\n");
      return 1;
    }
    plain_times.push_back(took);
  }

  const double message_mib = static_cast<double>(bytes.size()) / (1 << 20);
  const double l = median(loader_times), p = median(plain_times);
  std::printf("message: %.2f MiB (%zu bytes), %d rounds, medians\n", message_mib, bytes.size(),
              rounds);
  std::printf("| path | time (s) | throughput (MiB/s) |\n|---|---|---|\n");
  std::printf("| TovikLoader load (read file + frame + send, 100 ms pause excluded) | %.3f | "
              "%.0f |\n",
              l, message_mib / l);
  std::printf("| plain socket, same framed bytes from memory | %.3f | %.0f |\n", p,
              message_mib / p);
  std::printf("loader peak memory growth during the first upload: %.1f MiB (one block of the "
              "message is %.1f MiB)\n",
              static_cast<double>(peak_growth) / 1024, message_mib);
  std::printf("resident memory after the uploads vs before the last: %+.1f MiB\n",
              static_cast<double>(rss_after_loader - rss_before) / 1024);

  host.free(x);
  std::remove(file.c_str());
  rmdir(dir_pattern);
  return 0;
}
