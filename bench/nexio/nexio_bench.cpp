// End-to-end figures of nexio against peers on 127.0.0.1, each next to a
// baseline measured in the same run, several runs interleaved:
//
//   stream   bytes per second of a TCP stream through the data outlet into a
//            counting object; baselines: a plain socket reading 256 bytes per
//            recv, and Pure Data's iemnet tcpclient in its default mode (one
//            message per byte) into a counting patch (when pd and iemnet are
//            installed: bench/nexio/setup.sh)
//   echo     round trip of one byte that the patch sends straight back, and
//            the process's CPU use while the connection is idle; baseline: a
//            plain socket echo (and the same echo through tcpclient)
//   hop      one int through a connection; baseline: pd's [f] -> [f]
//   send     bytes per second from "list" messages of 256 numbers; baseline:
//            send() of 256-byte buffers
//
// Usage: nexio_bench [--mib N] [--echo N] [--runs N] [--hops N] [--no-pd]
//                    [--realtime] [--only stream|echo|hop|send]
// bench/nexio/run.sh builds and runs it. Only loopback addresses are used.
#include "ext_obex.h"
#include "kit/host.hpp"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sched.h>
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

// How pd is scheduled. Run as root, pd gives itself real-time priority
// (SCHED_FIFO), which on a loaded machine lets it run ahead of every other
// process; -nrt keeps it under the normal scheduler, as this program is.
enum class PdPriority { own, normal };

// Runs pd without audio, MIDI, GUI or preferences on a patch; its console
// goes to `console` when given, else nowhere. `batch`: pd's -batch mode,
// which runs the patch as fast as it can and ends at "pd quit".
bool start_pd(const std::string &patch_text, Pd &pd, PdPriority priority, bool batch = false,
              const std::string &console = "/dev/null") {
  auto dir = std::filesystem::temp_directory_path() / ("nexio-bench-" + std::to_string(getpid()));
  std::filesystem::create_directories(dir);
  auto file = dir / "bench.pd";
  std::ofstream(file) << patch_text;
  std::string path = file.string();
  std::vector<const char *> argv = {"pd",       "-nogui",  "-noaudio", "-nomidi",
                                    "-noprefs", "-stderr", "-path",    "/usr/lib/pd/extra"};
  if (batch) {
    argv.push_back("-batch");
  }
  if (priority == PdPriority::normal) {
    argv.push_back("-nrt");
  }
  argv.insert(argv.end(), {"-open", path.c_str(), nullptr});
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, console.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0600);
  int r = posix_spawn(&pd.pid, "/usr/bin/pd", &actions, nullptr, const_cast<char **>(argv.data()),
                      environ);
  posix_spawn_file_actions_destroy(&actions);
  if (r != 0) {
    pd.pid = -1;
  }
  return r == 0;
}

std::string pd_connect_lines(int port) {
  return "#N canvas 0 0 800 600 10;\n"
         "#X obj 10 10 loadbang;\n" // 0
         "#X msg 10 30 connect 127.0.0.1 " +
         std::to_string(port) +
         ";\n"                              // 1
         "#X obj 10 60 iemnet/tcpclient;\n" // 2
         "#X connect 0 0 1 0;\n"
         "#X connect 1 0 2 0;\n";
}

// Counting in pd with the fewest messages per byte: [list length] gives 1
// for each message, [+ ] sums them, [moses] carries every 2^20 into a MiB
// count (floats are 32-bit), and at `mib` MiB one byte goes back to the
// peer. Its objects are numbered from `first`, which takes the messages.
std::string pd_counter_lines(size_t mib, int first) {
  auto n = [first](int k) { return std::to_string(first + k); };
  return "#X obj 10 300 list length;\n"   // +0
         "#X obj 10 330 +;\n"             // +1
         "#X obj 10 360 moses 1048576;\n" // +2
         "#X obj 100 390 - 1048576;\n"    // +3
         "#X obj 100 420 t b f;\n"        // +4
         "#X obj 100 450 f;\n"            // +5
         "#X obj 150 450 + 1;\n"          // +6
         "#X obj 100 480 sel " +
         std::to_string(mib) +
         ";\n"                  // +7
         "#X msg 100 510 33;\n" // +8
         "#X connect " +
         n(0) + " 0 " + n(1) +
         " 0;\n" //
         "#X connect " +
         n(1) + " 0 " + n(2) +
         " 0;\n" //
         "#X connect " +
         n(2) + " 0 " + n(1) +
         " 1;\n" //
         "#X connect " +
         n(2) + " 1 " + n(3) +
         " 0;\n" //
         "#X connect " +
         n(3) + " 0 " + n(4) +
         " 0;\n" //
         "#X connect " +
         n(4) + " 1 " + n(1) +
         " 1;\n" //
         "#X connect " +
         n(4) + " 0 " + n(5) +
         " 0;\n" //
         "#X connect " +
         n(5) + " 0 " + n(6) +
         " 0;\n" //
         "#X connect " +
         n(6) + " 0 " + n(5) +
         " 1;\n" //
         "#X connect " +
         n(6) + " 0 " + n(7) +
         " 0;\n" //
         "#X connect " +
         n(7) + " 0 " + n(8) +
         " 0;\n" //
         "#X connect " +
         n(8) + " 0 2 0;\n";
}

// Pd patch (b1), what a Pd user runs: tcpclient in its default mode, which
// sends out one message per received byte, straight into the counter.
std::string pd_default_patch(int port, size_t mib) {
  return pd_connect_lines(port) + pd_counter_lines(mib, 3) + "#X connect 2 0 3 0;\n";
}

// Pd patch (b2): tcpclient's output taken as lists and dripped one element
// at a time by [list store] and [until] into the same counter. Slower than
// (b1): every byte costs a [list store] lookup and an [until] step.
std::string pd_list_store_patch(int port, size_t mib) {
  return pd_connect_lines(port) + pd_counter_lines(mib, 3) +
         "#X obj 200 90 t a a b;\n"      // 12
         "#X obj 200 120 list length;\n" // 13
         "#X obj 200 150 until;\n"       // 14
         "#X obj 200 180 f;\n"           // 15
         "#X obj 250 180 + 1;\n"         // 16
         "#X msg 200 210 get \\$1 1;\n"  // 17
         "#X obj 200 240 list store;\n"  // 18
         "#X msg 300 120 0;\n"           // 19
         "#X connect 2 0 12 0;\n"
         "#X connect 12 0 13 0;\n"
         "#X connect 12 1 18 1;\n"
         "#X connect 12 2 19 0;\n"
         "#X connect 19 0 15 1;\n"
         "#X connect 13 0 14 0;\n"
         "#X connect 14 0 15 0;\n"
         "#X connect 15 0 16 0;\n"
         "#X connect 16 0 15 1;\n"
         "#X connect 15 0 17 0;\n"
         "#X connect 17 0 18 0;\n"
         "#X connect 18 0 3 0;\n";
}

// tcpclient's output straight back into its input.
std::string pd_echo_patch(int port) {
  return pd_connect_lines(port) + "#X connect 2 0 2 0;\n";
}

// Bytes per second through a pd patch made by patch(port, mib).
double stream_pd(std::string (*patch)(int, size_t), size_t mib, PdPriority priority) {
  int port = 0;
  Fd listener = listen_loopback(port);
  Pd pd;
  if (!listener.valid() || !start_pd(patch(port, mib), pd, priority)) {
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
  if (!start_pd(pd_echo_patch(port), pd, PdPriority::own)) {
    return {};
  }
  Fd peer = accept_within(listener.get(), io_timeout_ms);
  if (!peer.valid()) {
    return {};
  }
  no_delay(peer.get());
  return ping(peer.get(), rounds);
}

// ---- The host hop --------------------------------------------------------------------

// Pd in -batch mode times [until] banging one [f], then the same with ten
// more [f] chained behind it, `iterations` times each, and prints both times
// in milliseconds. The difference over 10 * iterations is one hop.
std::string pd_hop_patch(long iterations) {
  std::string lines = "#N canvas 0 0 800 600 10;\n"
                      "#X obj 10 10 loadbang;\n"        // 0
                      "#X obj 10 40 t b b b b b b b;\n" // 1
                      "#X obj 10 70 realtime;\n"        // 2
                      "#X obj 10 100 print hop1;\n"     // 3
                      "#X obj 200 70 realtime;\n"       // 4
                      "#X obj 200 100 print hop11;\n"   // 5
                      "#X msg 400 70 \\; pd quit;\n"    // 6
                      "#X msg 10 130 " +
                      std::to_string(iterations) +
                      ";\n"                    // 7
                      "#X obj 10 160 until;\n" // 8
                      "#X obj 10 190 f;\n"     // 9
                      "#X msg 200 130 " +
                      std::to_string(iterations) +
                      ";\n"                      // 10
                      "#X obj 200 160 until;\n"; // 11
  for (int k = 0; k < 11; k++) {
    lines += "#X obj 200 " + std::to_string(190 + 20 * k) + " f;\n"; // 12..22
  }
  lines += "#X connect 0 0 1 0;\n"
           "#X connect 1 6 2 0;\n"  // reset the first timer
           "#X connect 1 5 7 0;\n"  // loop 1
           "#X connect 1 4 2 1;\n"  // its time
           "#X connect 1 3 4 0;\n"  // reset the second timer
           "#X connect 1 2 10 0;\n" // loop 11
           "#X connect 1 1 4 1;\n"  // its time
           "#X connect 1 0 6 0;\n"
           "#X connect 2 0 3 0;\n"
           "#X connect 4 0 5 0;\n"
           "#X connect 7 0 8 0;\n"
           "#X connect 8 0 9 0;\n"
           "#X connect 10 0 11 0;\n"
           "#X connect 11 0 12 0;\n";
  for (int k = 12; k < 22; k++) {
    lines += "#X connect " + std::to_string(k) + " 0 " + std::to_string(k + 1) + " 0;\n";
  }
  return lines;
}

// Pd's time for one [f] -> [f] hop in ns, or 0.
double pd_hop_ns(long iterations, PdPriority priority) {
  std::string console = (std::filesystem::temp_directory_path() /
                         ("nexio-bench-pd-" + std::to_string(getpid()) + ".txt"))
                            .string();
  Pd pd;
  if (!start_pd(pd_hop_patch(iterations), pd, priority, true, console)) {
    return 0;
  }
  int status = 0;
  waitpid(pd.pid, &status, 0);
  pd.pid = -1;
  std::ifstream in(console);
  double one = -1, eleven = -1;
  for (std::string line; std::getline(in, line);) {
    if (line.rfind("hop1: ", 0) == 0) {
      one = std::strtod(line.c_str() + 6, nullptr);
    } else if (line.rfind("hop11: ", 0) == 0) {
      eleven = std::strtod(line.c_str() + 7, nullptr);
    }
  }
  std::filesystem::remove(console);
  if (one < 0 || eleven < 0) {
    return 0;
  }
  return (eleven - one) * 1e6 / (10.0 * static_cast<double>(iterations));
}

// The same in this host: a pass-through object (int in, int out) banged by
// a C loop, alone and with ten more chained behind it through connections.
struct Pass {
  t_object hdr;
  void *out;
};
t_class *pass_class;
void *pass_new() {
  auto *x = static_cast<Pass *>(object_alloc(pass_class));
  x->out = intout(x);
  return x;
}
void pass_int(Pass *x, t_atom_long v) {
  outlet_int(x->out, v);
}
void pass_main() {
  pass_class =
      class_new("benchpass", reinterpret_cast<method>(reinterpret_cast<void (*)()>(pass_new)),
                nullptr, sizeof(Pass), nullptr, 0);
  class_addmethod(pass_class, reinterpret_cast<method>(reinterpret_cast<void (*)()>(pass_int)),
                  "int", A_LONG, 0);
  class_register(CLASS_BOX, pass_class);
}

double kit_hop_ns(long iterations) {
  std::vector<t_object *> chain;
  std::string why;
  for (int k = 0; k < 12; k++) {
    chain.push_back(make("benchpass", {}));
  }
  for (int k = 1; k < 11; k++) {
    kit::Host::instance().connect(chain[k], 0, chain[k + 1], 0, why);
  }
  auto time_loop = [iterations](t_object *first) {
    auto *x = reinterpret_cast<Pass *>(first);
    auto t0 = Clock::now();
    for (long i = 0; i < iterations; i++) {
      pass_int(x, i);
    }
    return std::chrono::duration<double, std::nano>(Clock::now() - t0).count();
  };
  double one = time_loop(chain[0]);
  double eleven = time_loop(chain[1]);
  for (t_object *x : chain) {
    kit::Host::instance().free(x);
  }
  return (eleven - one) / (10.0 * static_cast<double>(iterations));
}

// ---- Reporting --------------------------------------------------------------------------

std::string load_average() {
  std::ifstream in("/proc/loadavg");
  std::string one, five, fifteen;
  in >> one >> five >> fifteen;
  return one + " " + five + " " + fifteen;
}

double median(std::vector<double> v) {
  if (v.empty()) {
    return 0;
  }
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

// Whether every value is within 30% of the median.
bool steady(const std::vector<double> &v) {
  const double m = median(v);
  return std::all_of(v.begin(), v.end(), [m](double x) { return x >= 0.7 * m && x <= 1.3 * m; });
}

} // namespace

int main(int argc, char **argv) {
  size_t mib = 64;
  int rounds = 2000;
  int runs = 5;
  long hops = 10000000;
  bool use_pd = true;
  bool realtime = false; // the priority pd takes as root, for this process too
  std::string only;      // one section: stream, echo, hop or send
  for (int i = 1; i < argc; i++) {
    std::string a = argv[i];
    if (a == "--mib" && i + 1 < argc) {
      mib = std::strtoul(argv[++i], nullptr, 10);
    } else if (a == "--echo" && i + 1 < argc) {
      rounds = std::atoi(argv[++i]);
    } else if (a == "--runs" && i + 1 < argc) {
      runs = std::atoi(argv[++i]);
    } else if (a == "--hops" && i + 1 < argc) {
      hops = std::atol(argv[++i]);
    } else if (a == "--no-pd") {
      use_pd = false;
    } else if (a == "--realtime") {
      realtime = true;
    } else if (a == "--only" && i + 1 < argc) {
      only = argv[++i];
    } else {
      std::fprintf(
          stderr,
          "usage: %s [--mib N] [--echo ROUNDS] [--runs N] [--hops N] [--no-pd] [--realtime] "
          "[--only stream|echo|hop|send]\n",
          argv[0]);
      return 2;
    }
  }
  if (mib == 0 || rounds <= 0 || runs <= 0 || hops <= 0) {
    std::fprintf(stderr, "--mib, --echo, --runs and --hops take positive numbers\n");
    return 2;
  }
  if (use_pd && !have_pd()) {
    std::printf("(pd or iemnet not installed: bench/nexio/setup.sh installs them; Pd figures "
                "left out)\n");
    use_pd = false;
  }
  if (realtime) {
    // SCHED_FIFO at 6, as pd gives its main thread; the threads started
    // later (the connection thread, the peers, pd itself) inherit it.
    sched_param param{};
    param.sched_priority = 6;
    if (sched_setscheduler(0, SCHED_FIFO, &param) != 0) {
      std::fprintf(stderr, "--realtime: %s\n", std::strerror(errno));
      return 1;
    }
    std::printf("(real-time priority: SCHED_FIFO 6 for this process and pd)\n");
  }
  signal(SIGPIPE, SIG_IGN);
  kit::Host &host = kit::Host::instance();
  host.add_module_dir(KIT_MODULE_DIR);
  host.set_console_sink([](kit::ConsoleLevel, std::string_view text) {
    std::fprintf(stderr, "console: %.*s\n", static_cast<int>(text.size()), text.data());
  });
  host.define_module("benchcount", counter_main);
  host.define_module("benchpass", pass_main);
  const size_t total = mib << 20;
  auto section = [&](const char *name) { return only.empty() || only == name; };
  // Measurements of nexio or of its baselines that did not complete (a 0 in
  // the tables): the run then fails, so that a broken benchmark is seen.
  int failed = 0;
  auto check = [&failed](bool complete) { failed += complete ? 0 : 1; };

  if (section("stream")) {
    std::printf("## stream: %zu MiB through the data outlet into a counting object, %d runs "
                "(load average %s)\n",
                mib, runs, load_average().c_str());
    std::printf("pd(b1): tcpclient's default one message per byte into a counter; rt: with "
                "the real-time priority pd takes as root, nrt: with -nrt\n");
    std::printf("run  plain MiB/s  nexio MiB/s  pd(b1)rt  pd(b1)nrt  nexio/plain  nexio/pd-rt  "
                "nexio/pd-nrt  load\n");
    std::vector<double> nexio_v, ratio_plain, ratio_rt, ratio_nrt;
    for (int r = 0; r < runs; r++) {
      const double plain = stream_plain(total);
      const double nexio = stream_nexio(total);
      check(plain > 0 && nexio > 0);
      const double rt = use_pd ? stream_pd(pd_default_patch, mib, PdPriority::own) : 0;
      const double nrt = use_pd ? stream_pd(pd_default_patch, mib, PdPriority::normal) : 0;
      nexio_v.push_back(nexio);
      ratio_plain.push_back(nexio / plain);
      if (rt > 0 && nrt > 0) {
        ratio_rt.push_back(nexio / rt);
        ratio_nrt.push_back(nexio / nrt);
      }
      std::printf("%3d  %11.1f  %11.1f  %8.1f  %9.1f  %11.2f  %11.2f  %12.2f  %s\n", r + 1, plain,
                  nexio, rt, nrt, nexio / plain, rt > 0 ? nexio / rt : 0.0,
                  nrt > 0 ? nexio / nrt : 0.0, load_average().c_str());
      std::fflush(stdout);
    }
    std::printf("median: nexio %.1f MiB/s = %.2f x plain", median(nexio_v), median(ratio_plain));
    if (!ratio_rt.empty()) {
      std::printf(" = %.2f x pd(b1)rt (lowest %.2f) = %.2f x pd(b1)nrt (lowest %.2f)",
                  median(ratio_rt), *std::min_element(ratio_rt.begin(), ratio_rt.end()),
                  median(ratio_nrt), *std::min_element(ratio_nrt.begin(), ratio_nrt.end()));
    }
    std::printf("; nexio runs within 30%% of their median: %s\n", steady(nexio_v) ? "yes" : "no");
    if (use_pd) {
      const size_t small = std::max<size_t>(1, mib / 4);
      const double pd2 = stream_pd(pd_list_store_patch, small, PdPriority::own);
      std::printf("pd(b2), list store + until, rt, %zu MiB: %.1f MiB/s (nexio median = %.2f x)\n",
                  small, pd2, pd2 > 0 ? median(nexio_v) / pd2 : 0.0);
    }
  }

  if (section("echo")) {
    std::printf("\n## echo: one byte there and back, %d rounds, %d runs (load average %s)\n",
                rounds, runs, load_average().c_str());
    std::vector<double> plain_m, nexio_m, idle;
    for (int r = 0; r < runs; r++) {
      double idle_cpu = 0;
      Latency lp = echo_plain(rounds);
      Latency ln = echo_nexio(rounds, idle_cpu);
      check(lp.rounds == static_cast<size_t>(rounds) && ln.rounds == static_cast<size_t>(rounds));
      plain_m.push_back(lp.median_us);
      nexio_m.push_back(ln.median_us);
      idle.push_back(idle_cpu);
      std::printf("run %d: plain median %6.1f us p99 %7.1f; nexio median %6.1f us p99 %7.1f "
                  "(%.2f x plain); idle CPU connected %.3f%%; load %s\n",
                  r + 1, lp.median_us, lp.p99_us, ln.median_us, ln.p99_us,
                  ln.median_us / lp.median_us, idle_cpu, load_average().c_str());
      std::fflush(stdout);
    }
    std::printf("median: nexio echo = %.2f x plain echo; idle CPU at most %.3f%%\n",
                median(nexio_m) / median(plain_m), *std::max_element(idle.begin(), idle.end()));
    if (use_pd) {
      Latency lpd = echo_pd(std::min(rounds, 200));
      std::printf("pd tcpclient echo: median %.1f us p99 %.1f us (%zu rounds)\n", lpd.median_us,
                  lpd.p99_us, lpd.rounds);
    }
  }

  if (section("hop")) {
    std::printf("\n## hop: one int through a connection, %ld iterations, %d runs (load average "
                "%s)\n",
                hops, runs, load_average().c_str());
    std::vector<double> ratio_rt, ratio_nrt;
    for (int r = 0; r < runs; r++) {
      const double kit_ns = kit_hop_ns(hops);
      const double rt = use_pd ? pd_hop_ns(hops, PdPriority::own) : 0;
      const double nrt = use_pd ? pd_hop_ns(hops, PdPriority::normal) : 0;
      if (rt > 0 && nrt > 0) {
        ratio_rt.push_back(kit_ns / rt);
        ratio_nrt.push_back(kit_ns / nrt);
      }
      std::printf("run %d: kit %.2f ns; pd [f]->[f] rt %.2f ns, nrt %.2f ns; kit/pd-rt %.2f, "
                  "kit/pd-nrt %.2f; load %s\n",
                  r + 1, kit_ns, rt, nrt, rt > 0 ? kit_ns / rt : 0.0, nrt > 0 ? kit_ns / nrt : 0.0,
                  load_average().c_str());
      std::fflush(stdout);
    }
    if (!ratio_rt.empty()) {
      std::printf("median: kit hop = %.2f x pd-rt hop = %.2f x pd-nrt hop\n", median(ratio_rt),
                  median(ratio_nrt));
    }
  }

  if (section("send")) {
    std::printf("\n## send: \"list\" messages of 256 numbers, %zu MiB (load average %s)\n", mib,
                load_average().c_str());
    double sp = send_plain(total);
    double sn = send_nexio(total);
    check(sp > 0 && sn > 0);
    std::printf("plain send() of 256 bytes: %8.1f MiB/s\n", sp);
    std::printf("nexio list of 256:         %8.1f MiB/s  (%.0f messages/s; %.2f of plain)\n", sn,
                sn * 1048576.0 / 256, sn / sp);
  }
  std::printf("\nload average at the end: %s\n", load_average().c_str());
  if (failed > 0) {
    std::fprintf(stderr, "nexio_bench: %d measurements did not complete\n", failed);
    return 1;
  }
  return 0;
}
