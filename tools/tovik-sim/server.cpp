#include "server.hpp"

#include "device.hpp"
#include "framing.hpp"
#include "reader.hpp"
#include "report.hpp"

#include <nlohmann/json.hpp>

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <list>
#include <memory>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace tovik {
namespace {

using json = nlohmann::json;
using Clock = std::chrono::steady_clock;

// The signal handler only writes a byte here; the loop wakes up on it.
int stop_pipe[2] = {-1, -1};

extern "C" void on_signal(int) {
  const char c = 0;
  [[maybe_unused]] auto n = write(stop_pipe[1], &c, 1);
}

std::string peer_text(const sockaddr_in &a) {
  char ip[INET_ADDRSTRLEN] = "?";
  inet_ntop(AF_INET, &a.sin_addr, ip, sizeof ip);
  return std::string(ip) + ":" + std::to_string(ntohs(a.sin_port));
}

void set_nonblocking(int fd) {
  fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
}

// Prints one event per line, as text or JSON, flushed at once so that a
// reader at the other end of a pipe sees it as it happens.
class Events {
public:
  explicit Events(bool as_json) : json_(as_json) {}
  void emit(const json &event, const std::string &text) {
    if (json_)
      std::printf("%s\n", event.dump(-1, ' ', false, json::error_handler_t::replace).c_str());
    else
      std::printf("%s\n", text.c_str());
    std::fflush(stdout);
  }

private:
  bool json_;
};

struct Connection {
  Connection(int fd, std::string peer, std::uint32_t limit)
      : fd(fd), peer(std::move(peer)), reader(limit) {}
  int fd;
  std::string peer;
  MessageReader reader;
  Clock::time_point opened = Clock::now();
  Clock::time_point last = opened; ///< when bytes last arrived
};

// Reads per connection and loop pass, so that one fast sender cannot keep
// the others waiting.
constexpr int reads_per_pass = 16;
// Connections accepted (or refused) per loop pass.
constexpr int accepts_per_pass = 1024;
// How long new connections wait after accept failed for want of descriptors
// or memory; the ones open meanwhile keep being served.
constexpr auto accept_pause = std::chrono::seconds(1);

class Server {
public:
  explicit Server(const Options &o) : o_(o), events_(o.json) {}
  ~Server() {
    for (auto &c : conns_)
      close(c.fd);
    if (udp_ >= 0)
      close(udp_);
    if (tcp_ >= 0)
      close(tcp_);
  }

  bool open_ports() {
    in_addr addr{};
    if (inet_pton(AF_INET, o_.bind.c_str(), &addr) != 1) {
      std::fprintf(stderr, "tovik-sim: bind address \"%s\" is not a dotted IPv4 address\n",
                   o_.bind.c_str());
      return false;
    }
    udp_ = open_socket(SOCK_DGRAM, addr, o_.udp_port, "UDP");
    if (udp_ < 0)
      return false;
    tcp_ = open_socket(SOCK_STREAM, addr, o_.tcp_port, "TCP");
    if (tcp_ < 0)
      return false;
    if (listen(tcp_, SOMAXCONN) != 0) {
      std::fprintf(stderr, "tovik-sim: listen failed (%s)\n", std::strerror(errno));
      return false;
    }
    const int udp_port = local_port(udp_), tcp_port = local_port(tcp_);
    events_.emit({{"event", "listening"},
                  {"address", o_.bind},
                  {"udp_port", udp_port},
                  {"tcp_port", tcp_port}},
                 "listening on " + o_.bind + ", discovery UDP port " + std::to_string(udp_port) +
                     ", uploads TCP port " + std::to_string(tcp_port));
    return true;
  }

  void loop() {
    while (!stopping_) {
      const auto now = Clock::now();
      // At the connection limit the listening socket is polled only until a
      // connection waiting there has been reported: it then stays in the
      // backlog until one that is open ends.
      const bool paused = now < accept_paused_until_;
      const bool accepting = !paused && (!at_limit() || !limit_reported_);
      std::vector<pollfd> fds;
      fds.push_back({stop_pipe[0], POLLIN, 0});
      fds.push_back({udp_, POLLIN, 0});
      fds.push_back({tcp_, static_cast<short>(accepting ? POLLIN : 0), 0});
      for (auto &c : conns_)
        fds.push_back({c.fd, POLLIN, 0});
      const int n = poll(fds.data(), fds.size(), paused ? 100 : 1000);
      if (n < 0 && errno != EINTR) {
        std::fprintf(stderr, "tovik-sim: poll failed (%s)\n", std::strerror(errno));
        return;
      }
      if (fds[0].revents)
        return;
      if (fds[1].revents)
        on_datagram();
      if (fds[2].revents)
        on_accept();
      std::size_t i = 3;
      for (auto it = conns_.begin(); it != conns_.end() && !stopping_; ++i) {
        bool keep = true;
        if (i < fds.size() && fds[i].revents)
          keep = on_readable(*it);
        if (keep)
          keep = in_time(*it);
        if (keep) {
          ++it;
        } else {
          total_held_ -= it->reader.held();
          close(it->fd);
          it = conns_.erase(it);
        }
      }
    }
  }

  void report_state() {
    const Event e = state_event(device_, messages_);
    events_.emit(e.json, e.text);
  }

private:
  int open_socket(int type, in_addr addr, int port, const char *what) {
    const int fd = socket(AF_INET, type, 0);
    if (fd < 0) {
      std::fprintf(stderr, "tovik-sim: %s socket failed (%s)\n", what, std::strerror(errno));
      return -1;
    }
    const int one = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_addr = addr;
    sa.sin_port = htons(static_cast<std::uint16_t>(port));
    if (bind(fd, reinterpret_cast<sockaddr *>(&sa), sizeof sa) != 0) {
      std::fprintf(stderr, "tovik-sim: cannot bind %s port %s:%d (%s)\n", what, o_.bind.c_str(),
                   port, std::strerror(errno));
      close(fd);
      return -1;
    }
    set_nonblocking(fd);
    return fd;
  }

  static int local_port(int fd) {
    sockaddr_in sa{};
    socklen_t len = sizeof sa;
    getsockname(fd, reinterpret_cast<sockaddr *>(&sa), &len);
    return ntohs(sa.sin_port);
  }

  void on_datagram() {
    unsigned char buf[2048];
    sockaddr_in from{};
    socklen_t len = sizeof from;
    const ssize_t n = recvfrom(udp_, buf, sizeof buf, 0, reinterpret_cast<sockaddr *>(&from), &len);
    if (n < 0)
      return;
    const std::string peer = peer_text(from);
    static const unsigned char probe[8] = {'/', 't', 'o', 'v', 'i', 'k', 0, 0};
    if (n != sizeof probe || std::memcmp(buf, probe, sizeof probe) != 0) {
      events_.emit({{"event", "datagram"}, {"from", peer}, {"bytes", n}},
                   "datagram from " + peer + " of " + std::to_string(n) +
                       " bytes is not a probe: ignored");
      return;
    }
    int sent = 0;
    for (int i = 0; i < o_.answers; ++i) {
      if (sendto(udp_, o_.answer.data(), o_.answer.size(), 0, reinterpret_cast<sockaddr *>(&from),
                 len) == static_cast<ssize_t>(o_.answer.size()))
        ++sent;
    }
    events_.emit({{"event", "probe"}, {"from", peer}, {"answers", sent}},
                 "probe from " + peer + ": " + std::to_string(sent) + " answers sent");
  }

  bool at_limit() const { return conns_.size() >= static_cast<std::size_t>(o_.max_connections); }

  // Whether a connection waits to be accepted, without accepting it.
  bool connection_waits() const {
    pollfd p{tcp_, POLLIN, 0};
    return poll(&p, 1, 0) > 0 && (p.revents & POLLIN);
  }

  // Accepts every connection waiting (up to accepts_per_pass) while fewer
  // than max_connections are open. At the limit it stops: the others wait in
  // the backlog, the system keeping what they send, and are accepted as open
  // ones end; none is accepted only to be dropped unread. That the limit
  // holds connections back is said once, until the backlog has drained. When
  // descriptors or memory run out, new connections wait accept_pause. In
  // both cases the listening socket is not polled meanwhile, so the loop does
  // not spin on it.
  void on_accept() {
    for (int i = 0; i < accepts_per_pass; ++i) {
      if (at_limit()) {
        const bool waiting = connection_waits();
        if (waiting && !limit_reported_)
          events_.emit({{"event", "limit"}, {"connections", conns_.size()}},
                       std::to_string(conns_.size()) +
                           " connections open, the limit (--max-connections): new connections "
                           "wait until one ends");
        limit_reported_ = waiting;
        return;
      }
      sockaddr_in from{};
      socklen_t len = sizeof from;
      const int fd =
          accept4(tcp_, reinterpret_cast<sockaddr *>(&from), &len, SOCK_NONBLOCK | SOCK_CLOEXEC);
      if (fd < 0) {
        if (errno == EINTR || errno == ECONNABORTED)
          continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK) {
          limit_reported_ = false;
          return;
        }
        const std::string why = std::strerror(errno);
        accept_paused_until_ = Clock::now() + accept_pause;
        events_.emit({{"event", "accept_error"},
                      {"error", why},
                      {"connections", conns_.size()},
                      {"pause_ms", 1000}},
                     "cannot accept a connection (" + why + ") with " +
                         std::to_string(conns_.size()) +
                         " connections open: new connections wait 1 s");
        return;
      }
      const std::string peer = peer_text(from);
      events_.emit({{"event", "connect"}, {"from", peer}}, "connection from " + peer);
      conns_.emplace_back(fd, peer, o_.max_length);
    }
  }

  bool drop(Connection &c, const std::string &why) {
    events_.emit({{"event", "error"}, {"from", c.peer}, {"error", why}},
                 "error from " + c.peer + ": " + why);
    return false;
  }

  // Ends a connection that is fine: its message came whole and applied.
  bool finish(Connection &c, const std::string &why) {
    events_.emit({{"event", "close"}, {"from", c.peer}, {"reason", why}},
                 "connection from " + c.peer + " closed: " + why);
    return false;
  }

  // The time bounds: false when the connection is finished.
  bool in_time(Connection &c) {
    const auto now = Clock::now();
    const bool whole = c.reader.state() == MessageReader::State::complete;
    const bool quiet = whole && c.reader.trailing() == 0;
    if (now - c.last > std::chrono::seconds(o_.idle_timeout_s)) {
      const std::string why = "no data for " + std::to_string(o_.idle_timeout_s) + " s after ";
      if (quiet)
        return finish(c, why + "its message");
      if (whole)
        return drop(c, why + "the message and " + *c.reader.end_error());
      return drop(c, why + c.reader.progress());
    }
    if (now - c.opened > std::chrono::seconds(o_.message_timeout_s)) {
      const std::string why = "open for " + std::to_string(o_.message_timeout_s) + " s";
      if (quiet)
        return finish(c, why + " after its message");
      if (whole)
        return drop(c, why + ", " + *c.reader.end_error());
      return drop(c, why + " without a whole message: " + c.reader.progress());
    }
    return true;
  }

  // Reads what has arrived; false when the connection is finished.
  bool on_readable(Connection &c) {
    unsigned char chunk[65536];
    for (int reads = 0; reads < reads_per_pass; ++reads) {
      const ssize_t n = recv(c.fd, chunk, sizeof chunk, 0);
      if (n < 0) {
        if (errno == EAGAIN || errno == EWOULDBLOCK)
          return true;
        if (errno == EINTR)
          continue;
        return drop(c, std::string("receive failed (") + std::strerror(errno) + ") after " +
                           c.reader.progress());
      }
      if (n == 0) {
        if (auto why = c.reader.end_error())
          return drop(c, *why);
        return false;
      }
      c.last = Clock::now();
      const std::size_t before = c.reader.held();
      const std::size_t others = total_held_ - before;
      const auto fed = c.reader.feed({chunk, static_cast<std::size_t>(n)},
                                     o_.max_memory > others ? o_.max_memory - others : 0);
      total_held_ = others + c.reader.held();
      switch (fed) {
      case MessageReader::Fed::refused:
        return drop(c, c.reader.error());
      case MessageReader::Fed::no_room:
        return drop(c, "no room for " + c.reader.progress() + ": " + std::to_string(others) +
                           " bytes held by " + std::to_string(conns_.size() - 1) +
                           " other connections, the limit is " + std::to_string(o_.max_memory) +
                           " bytes (--max-memory)");
      case MessageReader::Fed::message:
        if (!on_message(c))
          return false;
        break;
      case MessageReader::Fed::more:
        if (c.reader.state() == MessageReader::State::body && c.reader.length() > o_.max_memory)
          return drop(c, "length " + std::to_string(c.reader.length()) +
                             " exceeds the memory limit of " + std::to_string(o_.max_memory) +
                             " bytes (--max-memory)");
        break;
      }
    }
    return true;
  }

  bool on_message(Connection &c) {
    std::span<const unsigned char> payload;
    if (auto why = check_body(c.reader.body(), payload)) {
      drop(c, *why);
      return false;
    }
    ++messages_;
    const std::string_view text(reinterpret_cast<const char *>(payload.data()), payload.size());
    const Outcome out = device_.apply(text);
    Event e = message_event(c.peer, c.reader.length(), text, out);
    if (!o_.save_dir.empty()) {
      char name[64];
      std::snprintf(name, sizeof name, "%04d-%s.txt", messages_, out.kind.c_str());
      const auto path = std::filesystem::path(o_.save_dir) / name;
      std::ofstream f(path, std::ios::binary);
      f.write(text.data(), static_cast<std::streamsize>(text.size()));
      if (f.good()) {
        e.json["saved"] = path.string();
        e.text += "; saved as " + path.string();
      } else {
        e.json["save_error"] = "cannot write " + path.string();
        e.text += "; cannot write " + path.string();
      }
    }
    total_held_ -= c.reader.held();
    c.reader.release();
    events_.emit(e.json, e.text);
    if (o_.exit_after && messages_ >= o_.exit_after)
      stopping_ = true;
    return true;
  }

  const Options &o_;
  Events events_;
  Device device_;
  int udp_ = -1;
  int tcp_ = -1;
  std::list<Connection> conns_;
  std::size_t total_held_ = 0; ///< body bytes held by all connections
  Clock::time_point accept_paused_until_{};
  bool limit_reported_ = false; ///< the limit holds connections back and was said so
  int messages_ = 0;
  bool stopping_ = false;
};

} // namespace

int run(const Options &options) {
  if (pipe(stop_pipe) != 0) {
    std::perror("tovik-sim: pipe");
    return 1;
  }
  struct sigaction sa {};
  sa.sa_handler = on_signal;
  sigaction(SIGINT, &sa, nullptr);
  sigaction(SIGTERM, &sa, nullptr);
  std::signal(SIGPIPE, SIG_IGN);

  int status = 0;
  {
    Server server(options);
    if (!server.open_ports()) {
      status = 1;
    } else {
      server.loop();
      server.report_state();
    }
  }
  close(stop_pipe[0]);
  close(stop_pipe[1]);
  return status;
}

} // namespace tovik
