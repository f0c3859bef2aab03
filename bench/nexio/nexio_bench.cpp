// End-to-end figures of nexio against peers on 127.0.0.1, each next to a
// baseline measured in the same run:
//
//   stream   bytes per second of a TCP stream through the data outlet into a
//            counting object; baselines: a plain socket reading 256 bytes per
//            recv, and Pure Data's iemnet tcpclient feeding a counting patch
//            one message per byte (when pd and iemnet are installed)
//   echo     round trip of one byte that the patch sends straight back, and
//            the process's CPU use while the connection is idle; baseline: a
//            plain socket echo (and the same echo through tcpclient)
//   send     bytes per second from "list" messages of 256 numbers; baseline:
//            send() of 256-byte buffers
//
// Usage: nexio_bench [--mib N] [--echo N] [--no-pd]
// Only loopback addresses are ever used.
#include "ext_obex.h"
#include "kit/host.hpp"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

extern char **environ;

namespace {

using Clock = std::chrono::steady_clock;
using Seconds = std::chrono::duration<double>;

constexpr int io_timeout_ms = 60000; // no single wait of the bench lasts longer

// ---- Sockets --------------------------------------------------------------------

class Fd {
public:
  Fd() = default;
  explicit Fd(int fd) : fd_(fd) {}
  Fd(Fd &&o) noexcept : fd_(std::exchange(o.fd_, -1)) {}
  Fd &operator=(Fd &&o) noexcept {
    std::swap(fd_, o.fd_);
    return *this;
  }
  ~Fd() {
    if (fd_ >= 0) {
      close(fd_);
    }
  }
  int get() const { return fd_; }
  bool valid() const { return fd_ >= 0; }

private:
  int fd_ = -1;
};

sockaddr_in loopback_addr(int port) {
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  a.sin_port = htons(static_cast<uint16_t>(port));
  return a;
}

Fd listen_loopback(int &port) {
  Fd fd(socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
  sockaddr_in a = loopback_addr(0);
  socklen_t len = sizeof a;
  if (bind(fd.get(), reinterpret_cast<sockaddr *>(&a), sizeof a) != 0 || listen(fd.get(), 4) != 0 ||
      getsockname(fd.get(), reinterpret_cast<sockaddr *>(&a), &len) != 0) {
    return Fd();
  }
  port = ntohs(a.sin_port);
  return fd;
}

bool wait_fd(int fd, short events, int ms) {
  pollfd p{fd, events, 0};
  int r;
  do {
    r = poll(&p, 1, ms);
  } while (r < 0 && errno == EINTR);
  return r > 0;
}

Fd accept_within(int listener, int ms) {
  if (!wait_fd(listener, POLLIN, ms)) {
    return Fd();
  }
  return Fd(accept4(listener, nullptr, nullptr, SOCK_CLOEXEC));
}

Fd connect_loopback(int port) {
  Fd fd(socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
  sockaddr_in a = loopback_addr(port);
  if (connect(fd.get(), reinterpret_cast<sockaddr *>(&a), sizeof a) != 0) {
    return Fd();
  }
  return fd;
}

void no_delay(int fd) {
  int one = 1;
  setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
}

bool send_all(int fd, const unsigned char *p, size_t n) {
  while (n > 0) {
    if (!wait_fd(fd, POLLOUT, io_timeout_ms)) {
      return false;
    }
    ssize_t r = send(fd, p, n, MSG_NOSIGNAL | MSG_DONTWAIT);
    if (r < 0) {
      if (errno == EINTR || errno == EAGAIN) {
        continue;
      }
      return false;
    }
    p += r;
    n -= static_cast<size_t>(r);
  }
  return true;
}

// Writes `total` bytes in 64 KiB chunks; the time it started goes to `start`.
std::thread stream_writer(int fd, size_t total, Clock::time_point &start, bool &ok) {
  return std::thread([fd, total, &start, &ok] {
    std::vector<unsigned char> chunk(65536);
    for (size_t i = 0; i < chunk.size(); i++) {
      chunk[i] = static_cast<unsigned char>(i * 7 + (i >> 8));
    }
    start = Clock::now();
    ok = true;
    for (size_t done = 0; ok && done < total;) {
      size_t n = std::min(chunk.size(), total - done);
      ok = send_all(fd, chunk.data(), n);
      done += n;
    }
    shutdown(fd, SHUT_WR);
  });
}

double cpu_seconds() {
  timespec t;
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

struct Latency {
  double median_us = 0, p99_us = 0;
  size_t rounds = 0;
};

// The peer's side of an echo: one byte out, the same byte back, timed.
Latency ping(int fd, int rounds) {
  std::vector<double> us;
  unsigned char b = 0;
  for (int i = 0; i < rounds; i++) {
    b = static_cast<unsigned char>(i);
    auto t0 = Clock::now();
    if (send(fd, &b, 1, MSG_NOSIGNAL) != 1 || !wait_fd(fd, POLLIN, io_timeout_ms)) {
      break;
    }
    unsigned char back = 0;
    if (recv(fd, &back, 1, 0) != 1 || back != b) {
      break;
    }
    us.push_back(std::chrono::duration<double, std::micro>(Clock::now() - t0).count());
  }
  Latency l;
  l.rounds = us.size();
  if (!us.empty()) {
    std::sort(us.begin(), us.end());
    l.median_us = us[us.size() / 2];
    l.p99_us = us[std::min(us.size() - 1, us.size() * 99 / 100)];
  }
  return l;
}

// ---- The host side ----------------------------------------------------------------

// A counting object: an int inlet that counts, and remembers when the
// expected number of messages was reached.
struct Counter {
  t_object hdr;
};
t_class *counter_class;
size_t counted = 0;
size_t count_goal = 0;
Clock::time_point goal_reached;

void *counter_new() {
  return object_alloc(counter_class);
}
void counter_int(Counter *, t_atom_long) {
  if (++counted == count_goal) {
    goal_reached = Clock::now();
  }
}
void counter_main() {
  counter_class =
      class_new("benchcount", reinterpret_cast<method>(reinterpret_cast<void (*)()>(counter_new)),
                nullptr, sizeof(Counter), nullptr, 0);
  class_addmethod(counter_class,
                  reinterpret_cast<method>(reinterpret_cast<void (*)()>(counter_int)), "int",
                  A_LONG, 0);
  class_register(CLASS_BOX, counter_class);
}

t_object *make(const char *cls, std::vector<t_atom> args) {
  std::string why;
  t_object *x = kit::Host::instance().make(cls, args, why);
  if (!x) {
    std::fprintf(stderr, "cannot make %s: %s\n", cls, why.c_str());
    std::exit(1);
  }
  return x;
}

t_atom sym(const char *s) {
  t_atom a;
  atom_setsym(&a, gensym(s));
  return a;
}
t_atom num(t_atom_long v) {
  t_atom a;
  atom_setlong(&a, v);
  return a;
}

// Runs the host's loop until `done` holds or `ms` passed.
template <class F> bool run_until(F done, int ms) {
  auto deadline = Clock::now() + std::chrono::milliseconds(ms);
  while (!done()) {
    if (Clock::now() >= deadline) {
      return false;
    }
    kit::Host::instance().run_until_readable(-1, std::chrono::milliseconds(100));
  }
  return true;
}

t_object *connected_nexio(Fd &listener, int port, Fd &peer) {
  t_object *n = make("nexio", {sym("127.0.0.1"), num(port)});
  kit::Host::instance().send(n, 0, gensym("bang"), {});
  peer = accept_within(listener.get(), io_timeout_ms);
  // Connected once the status outlet says 2.
  static long status = 0;
  status = 0;
  kit::Host::instance().watch(n, 1, [](t_symbol *, std::span<const t_atom> a) {
    status = static_cast<long>(a[0].a_w.w_long);
  });
  if (!peer.valid() || !run_until([] { return status == 2; }, io_timeout_ms)) {
    std::fprintf(stderr, "nexio did not connect\n");
    std::exit(1);
  }
  return n;
}

double mib_per_s(size_t bytes, double seconds) {
  return bytes / 1048576.0 / seconds;
}

double stream_nexio(size_t total) {
  int port = 0;
  Fd listener = listen_loopback(port);
  Fd peer;
  t_object *n = connected_nexio(listener, port, peer);
  t_object *count = make("benchcount", {});
  std::string why;
  kit::Host::instance().connect(n, 0, count, 0, why);
  counted = 0;
  count_goal = total;
  Clock::time_point start;
  bool ok = false;
  std::thread writer = stream_writer(peer.get(), total, start, ok);
  bool done = run_until([&] { return counted >= total; }, 600000);
  writer.join();
  kit::Host::instance().free(count);
  kit::Host::instance().free(n);
  if (!ok || !done) {
    std::fprintf(stderr, "nexio stream incomplete: %zu of %zu bytes\n", counted, total);
    return 0;
  }
  return mib_per_s(total, Seconds(goal_reached - start).count());
}

double stream_plain(size_t total) {
  int port = 0;
  Fd listener = listen_loopback(port);
  Fd client = connect_loopback(port);
  Fd peer = accept_within(listener.get(), io_timeout_ms);
  Clock::time_point start;
  bool ok = false;
  std::thread writer = stream_writer(peer.get(), total, start, ok);
  unsigned char buf[256];
  size_t got = 0;
  unsigned long sum = 0;
  while (got < total) {
    ssize_t r = recv(client.get(), buf, sizeof buf, 0);
    if (r <= 0) {
      break;
    }
    for (ssize_t i = 0; i < r; i++) {
      sum += buf[i];
    }
    got += static_cast<size_t>(r);
  }
  auto end = Clock::now();
  writer.join();
  if (got < total) {
    return 0;
  }
  if (sum == 0) {
    std::fprintf(stderr, "no bytes counted\n");
  }
  return mib_per_s(total, Seconds(end - start).count());
}

Latency echo_nexio(int rounds, double &idle_cpu_percent) {
  int port = 0;
  Fd listener = listen_loopback(port);
  Fd peer;
  t_object *n = connected_nexio(listener, port, peer);
  no_delay(peer.get());
  std::string why;
  kit::Host::instance().connect(n, 0, n, 0, why);
  Latency result;
  std::atomic<bool> finished{false};
  std::thread pinger([&] {
    result = ping(peer.get(), rounds);
    finished = true;
  });
  run_until([&] { return finished.load(); }, 600000);
  pinger.join();
  // Connected and idle: the thread waits in recv, the loop waits for work.
  double cpu0 = cpu_seconds();
  auto t0 = Clock::now();
  kit::Host::instance().run_for(1000);
  idle_cpu_percent = 100 * (cpu_seconds() - cpu0) / Seconds(Clock::now() - t0).count();
  kit::Host::instance().free(n);
  return result;
}

Latency echo_plain(int rounds) {
  int port = 0;
  Fd listener = listen_loopback(port);
  Fd client = connect_loopback(port);
  Fd peer = accept_within(listener.get(), io_timeout_ms);
  no_delay(client.get());
  no_delay(peer.get());
  std::thread echo([fd = client.get()] {
    unsigned char b;
    while (wait_fd(fd, POLLIN, io_timeout_ms) && recv(fd, &b, 1, 0) == 1) {
      if (send(fd, &b, 1, MSG_NOSIGNAL) != 1) {
        break;
      }
    }
  });
  Latency l = ping(peer.get(), rounds);
  shutdown(peer.get(), SHUT_RDWR);
  echo.join();
  return l;
}

double send_nexio(size_t total) {
  int port = 0;
  Fd listener = listen_loopback(port);
  Fd peer;
  t_object *n = connected_nexio(listener, port, peer);
  std::vector<t_atom> list;
  for (int i = 0; i < 256; i++) {
    list.push_back(num(i));
  }
  std::atomic<size_t> got{0};
  std::thread reader([&, fd = peer.get()] {
    unsigned char buf[65536];
    while (got < total && wait_fd(fd, POLLIN, io_timeout_ms)) {
      ssize_t r = recv(fd, buf, sizeof buf, 0);
      if (r <= 0) {
        break;
      }
      got += static_cast<size_t>(r);
    }
  });
  auto start = Clock::now();
  t_symbol *list_sym = gensym("list");
  for (size_t sent = 0; sent < total; sent += list.size()) {
    kit::Host::instance().send(n, 0, list_sym, list);
  }
  reader.join();
  auto end = Clock::now();
  kit::Host::instance().free(n);
  if (got < total) {
    return 0;
  }
  return mib_per_s(total, Seconds(end - start).count());
}

double send_plain(size_t total) {
  int port = 0;
  Fd listener = listen_loopback(port);
  Fd client = connect_loopback(port);
  Fd peer = accept_within(listener.get(), io_timeout_ms);
  std::atomic<size_t> got{0};
  std::thread reader([&, fd = peer.get()] {
    unsigned char buf[65536];
    while (got < total && wait_fd(fd, POLLIN, io_timeout_ms)) {
      ssize_t r = recv(fd, buf, sizeof buf, 0);
      if (r <= 0) {
        break;
      }
      got += static_cast<size_t>(r);
    }
  });
  unsigned char buf[256];
  for (int i = 0; i < 256; i++) {
    buf[i] = static_cast<unsigned char>(i);
  }
  auto start = Clock::now();
  for (size_t sent = 0; sent < total && send_all(client.get(), buf, sizeof buf);) {
    sent += sizeof buf;
  }
  reader.join();
  auto end = Clock::now();
  return got < total ? 0 : mib_per_s(total, Seconds(end - start).count());
}

// ---- Pure Data with iemnet --------------------------------------------------------

struct Pd {
  pid_t pid = -1;
  ~Pd() { stop(); }
  void stop() {
    if (pid > 0) {
      kill(pid, SIGTERM);
      int status;
      waitpid(pid, &status, 0);
      pid = -1;
    }
  }
};

bool have_pd() {
  return access("/usr/bin/pd", X_OK) == 0 &&
         access("/usr/lib/pd/extra/iemnet/tcpclient.pd_linux", R_OK) == 0;
}

// Starts pd without audio or GUI on a patch that connects to the port.
bool start_pd(const std::string &patch_text, Pd &pd) {
  auto dir = std::filesystem::temp_directory_path() / ("nexio-bench-" + std::to_string(getpid()));
  std::filesystem::create_directories(dir);
  auto file = dir / "bench.pd";
  std::ofstream(file) << patch_text;
  std::string path = file.string(), folder = dir.string();
  const char *argv[] = {"pd",         "-nogui",  "-nosound", "-nomidi",           "-noprefs",
                        "-noaudio",   "-stderr", "-path",    "/usr/lib/pd/extra", "-open",
                        path.c_str(), nullptr};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  int r =
      posix_spawn(&pd.pid, "/usr/bin/pd", &actions, nullptr, const_cast<char **>(argv), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (r != 0) {
    pd.pid = -1;
  }
  return r == 0;
}

// tcpclient hands its input on as lists; the patch drips each list into one
// message per byte and counts them (in MiB and bytes, floats being 32-bit),
// then sends one byte back when `mib` MiB have arrived.
std::string pd_count_patch(int port, size_t mib) {
  return "#N canvas 0 0 800 600 10;\n"
         "#X obj 10 10 loadbang;\n" // 0
         "#X msg 10 30 connect 127.0.0.1 " +
         std::to_string(port) +
         ";\n"                              // 1
         "#X obj 10 60 iemnet/tcpclient;\n" // 2
         "#X obj 10 90 t a a b;\n"          // 3
         "#X obj 10 120 list length;\n"     // 4
         "#X obj 10 150 until;\n"           // 5
         "#X obj 10 180 f;\n"               // 6
         "#X obj 60 180 + 1;\n"             // 7
         "#X msg 10 210 get \\$1 1;\n"      // 8
         "#X obj 10 240 list store;\n"      // 9
         "#X obj 10 270 t b;\n"             // 10
         "#X obj 10 300 f;\n"               // 11
         "#X obj 60 300 + 1;\n"             // 12
         "#X obj 110 300 mod 1048576;\n"    // 13
         "#X obj 10 330 sel 0;\n"           // 14
         "#X obj 10 360 f;\n"               // 15
         "#X obj 60 360 + 1;\n"             // 16
         "#X obj 10 390 sel " +
         std::to_string(mib) +
         ";\n"                 // 17
         "#X msg 10 420 33;\n" // 18
         "#X msg 200 90 0;\n"  // 19
         "#X connect 0 0 1 0;\n"
         "#X connect 1 0 2 0;\n"
         "#X connect 2 0 3 0;\n"
         "#X connect 3 0 4 0;\n"
         "#X connect 3 1 9 1;\n"
         "#X connect 3 2 19 0;\n"
         "#X connect 19 0 6 1;\n"
         "#X connect 4 0 5 0;\n"
         "#X connect 5 0 6 0;\n"
         "#X connect 6 0 7 0;\n"
         "#X connect 7 0 6 1;\n"
         "#X connect 6 0 8 0;\n"
         "#X connect 8 0 9 0;\n"
         "#X connect 9 0 10 0;\n"
         "#X connect 10 0 11 0;\n"
         "#X connect 11 0 12 0;\n"
         "#X connect 12 0 13 0;\n"
         "#X connect 13 0 11 1;\n"
         "#X connect 13 0 14 0;\n"
         "#X connect 14 0 15 0;\n"
         "#X connect 15 0 16 0;\n"
         "#X connect 16 0 15 1;\n"
         "#X connect 16 0 17 0;\n"
         "#X connect 17 0 18 0;\n"
         "#X connect 18 0 2 0;\n";
}

// The same patch counting each list by its length instead of dripping it:
// what pd's side costs without one message per byte.
std::string pd_length_patch(int port, size_t mib) {
  return "#N canvas 0 0 800 600 10;\n"
         "#X obj 10 10 loadbang;\n" // 0
         "#X msg 10 30 connect 127.0.0.1 " +
         std::to_string(port) +
         ";\n"                              // 1
         "#X obj 10 60 iemnet/tcpclient;\n" // 2
         "#X obj 10 90 list length;\n"      // 3
         "#X obj 10 120 +;\n"               // 4
         "#X obj 10 150 moses 1048576;\n"   // 5
         "#X obj 100 180 - 1048576;\n"      // 6
         "#X obj 100 210 t b f;\n"          // 7
         "#X obj 100 240 f;\n"              // 8
         "#X obj 150 240 + 1;\n"            // 9
         "#X obj 100 270 sel " +
         std::to_string(mib) +
         ";\n"                  // 10
         "#X msg 100 300 33;\n" // 11
         "#X connect 0 0 1 0;\n"
         "#X connect 1 0 2 0;\n"
         "#X connect 2 0 3 0;\n"
         "#X connect 3 0 4 0;\n"
         "#X connect 4 0 5 0;\n"
         "#X connect 5 0 4 1;\n"
         "#X connect 5 1 6 0;\n"
         "#X connect 6 0 7 0;\n"
         "#X connect 7 1 4 1;\n"
         "#X connect 7 0 8 0;\n"
         "#X connect 8 0 9 0;\n"
         "#X connect 9 0 8 1;\n"
         "#X connect 9 0 10 0;\n"
         "#X connect 10 0 11 0;\n"
         "#X connect 11 0 2 0;\n";
}

// tcpclient's output straight back into its input.
std::string pd_echo_patch(int port) {
  return "#N canvas 0 0 400 300 10;\n"
         "#X obj 10 10 loadbang;\n"
         "#X msg 10 30 connect 127.0.0.1 " +
         std::to_string(port) +
         ";\n"
         "#X obj 10 60 iemnet/tcpclient;\n"
         "#X connect 0 0 1 0;\n"
         "#X connect 1 0 2 0;\n"
         "#X connect 2 0 2 0;\n";
}

double stream_pd(const std::string &patch_text, Fd &listener, size_t mib) {
  Pd pd;
  if (!start_pd(patch_text, pd)) {
    return 0;
  }
  Fd peer = accept_within(listener.get(), io_timeout_ms);
  if (!peer.valid()) {
    return 0;
  }
  Clock::time_point start;
  bool ok = false;
  const size_t total = mib << 20;
  // The writer ends with a shutdown that pd might take for the end; write
  // without it here.
  std::thread writer([&] {
    std::vector<unsigned char> chunk(65536, 1);
    start = Clock::now();
    ok = true;
    for (size_t done = 0; ok && done < total; done += chunk.size()) {
      ok = send_all(peer.get(), chunk.data(), chunk.size());
    }
  });
  bool acked = wait_fd(peer.get(), POLLIN, 600000);
  auto end = Clock::now();
  writer.join();
  unsigned char b = 0;
  if (!ok || !acked || recv(peer.get(), &b, 1, 0) != 1 || b != 33) {
    return 0;
  }
  return mib_per_s(total, Seconds(end - start).count());
}

Latency echo_pd(int rounds) {
  int port = 0;
  Fd listener = listen_loopback(port);
  Pd pd;
  if (!start_pd(pd_echo_patch(port), pd)) {
    return {};
  }
  Fd peer = accept_within(listener.get(), io_timeout_ms);
  if (!peer.valid()) {
    return {};
  }
  no_delay(peer.get());
  return ping(peer.get(), rounds);
}

} // namespace

int main(int argc, char **argv) {
  size_t mib = 64;
  int rounds = 2000;
  bool use_pd = true;
  for (int i = 1; i < argc; i++) {
    std::string a = argv[i];
    if (a == "--mib" && i + 1 < argc) {
      mib = std::strtoul(argv[++i], nullptr, 10);
    } else if (a == "--echo" && i + 1 < argc) {
      rounds = std::atoi(argv[++i]);
    } else if (a == "--no-pd") {
      use_pd = false;
    } else {
      std::fprintf(stderr, "usage: %s [--mib N] [--echo ROUNDS] [--no-pd]\n", argv[0]);
      return 2;
    }
  }
  if (mib == 0 || rounds <= 0) {
    std::fprintf(stderr, "--mib and --echo take positive numbers\n");
    return 2;
  }
  use_pd = use_pd && have_pd();
  signal(SIGPIPE, SIG_IGN);
  kit::Host &host = kit::Host::instance();
  host.add_module_dir(KIT_MODULE_DIR);
  host.set_console_sink([](kit::ConsoleLevel, std::string_view text) {
    std::fprintf(stderr, "console: %.*s\n", static_cast<int>(text.size()), text.data());
  });
  host.define_module("benchcount", counter_main);
  const size_t total = mib << 20;

  std::printf("## stream: %zu MiB through the data outlet into a counting object\n", mib);
  double plain = stream_plain(total);
  double nexio = stream_nexio(total);
  std::printf("plain socket, 256 bytes per recv: %8.1f MiB/s\n", plain);
  std::printf("nexio -> counter:                 %8.1f MiB/s  (%.2f of plain)\n", nexio,
              nexio / plain);
  if (use_pd) {
    int port = 0;
    Fd listener = listen_loopback(port);
    double pd = stream_pd(pd_count_patch(port, mib), listener, mib);
    std::printf("pd tcpclient -> per-byte counter: %8.1f MiB/s  (nexio: %.2f times pd)\n", pd,
                pd > 0 ? nexio / pd : 0.0);
    Fd listener2 = listen_loopback(port);
    double pdl = stream_pd(pd_length_patch(port, mib), listener2, mib);
    std::printf("pd tcpclient -> list length:      %8.1f MiB/s  (not per byte)\n", pdl);
  }

  std::printf("\n## echo: one byte there and back, %d rounds\n", rounds);
  double idle_cpu = 0;
  Latency lp = echo_plain(rounds);
  Latency ln = echo_nexio(rounds, idle_cpu);
  std::printf("plain socket echo:  median %7.1f us  p99 %7.1f us  (%zu rounds)\n", lp.median_us,
              lp.p99_us, lp.rounds);
  std::printf("nexio echo:         median %7.1f us  p99 %7.1f us  (%zu rounds; %.2f/%.2f of "
              "plain)\n",
              ln.median_us, ln.p99_us, ln.rounds, ln.median_us / lp.median_us,
              ln.p99_us / lp.p99_us);
  std::printf("idle CPU of the process with nexio connected: %.2f%%\n", idle_cpu);
  if (use_pd) {
    Latency lpd = echo_pd(std::min(rounds, 200));
    std::printf("pd tcpclient echo:  median %7.1f us  p99 %7.1f us  (%zu rounds)\n", lpd.median_us,
                lpd.p99_us, lpd.rounds);
  }

  std::printf("\n## send: \"list\" messages of 256 numbers, %zu MiB\n", mib);
  double sp = send_plain(total);
  double sn = send_nexio(total);
  std::printf("plain send() of 256 bytes: %8.1f MiB/s\n", sp);
  std::printf("nexio list of 256:         %8.1f MiB/s  (%.0f messages/s; %.2f of plain)\n", sn,
              sn * 1048576.0 / 256, sn / sp);
  return 0;
}
