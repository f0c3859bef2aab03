#include "server.hpp"

#include "device.hpp"
#include "framing.hpp"

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
  int fd = -1;
  std::string peer;
  unsigned char head[4] = {};
  std::size_t head_have = 0;
  std::uint32_t length = 0;
  std::unique_ptr<unsigned char[]> body;
  std::size_t body_have = 0;
  bool complete = false;
  std::size_t trailing = 0;
  Clock::time_point last = Clock::now();
};

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
    if (listen(tcp_, 16) != 0) {
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
      std::vector<pollfd> fds;
      fds.push_back({stop_pipe[0], POLLIN, 0});
      fds.push_back({udp_, POLLIN, 0});
      fds.push_back({tcp_, POLLIN, 0});
      for (auto &c : conns_)
        fds.push_back({c.fd, POLLIN, 0});
      const int n = poll(fds.data(), fds.size(), 1000);
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
        else if (Clock::now() - it->last > std::chrono::seconds(o_.idle_timeout_s))
          keep = drop(*it, "no data for " + std::to_string(o_.idle_timeout_s) + " s after " +
                               progress(*it));
        if (keep) {
          ++it;
        } else {
          close(it->fd);
          it = conns_.erase(it);
        }
      }
    }
  }

  void report_state() {
    json targets = json::array();
    std::string text;
    for (std::size_t i = 0; i < device_.targets().size(); ++i) {
      const Target &t = device_.targets()[i];
      if (!t.set)
        continue;
      targets.push_back({{"target", i}, {"ip", t.ip}, {"port", t.port}});
      text += " " + std::to_string(i) + "=" + t.ip + ":" + std::to_string(t.port);
    }
    const auto paths = device_.window_paths();
    std::string windows;
    for (const auto &p : paths)
      windows += " " + p;
    events_.emit({{"event", "state"},
                  {"loads", device_.loads()},
                  {"imports", device_.imports()},
                  {"messages", messages_},
                  {"windows", paths},
                  {"targets", targets}},
                 "state: " + std::to_string(messages_) + " messages, " +
                     std::to_string(device_.loads()) + " loads, " +
                     std::to_string(device_.imports()) +
                     " imports; windows:" + (windows.empty() ? " none" : windows) +
                     "; targets:" + (text.empty() ? " none" : text));
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

  void on_accept() {
    sockaddr_in from{};
    socklen_t len = sizeof from;
    const int fd = accept(tcp_, reinterpret_cast<sockaddr *>(&from), &len);
    if (fd < 0)
      return;
    set_nonblocking(fd);
    Connection c;
    c.fd = fd;
    c.peer = peer_text(from);
    events_.emit({{"event", "connect"}, {"from", c.peer}}, "connection from " + c.peer);
    conns_.push_back(std::move(c));
  }

  static std::string progress(const Connection &c) {
    if (c.head_have < 4)
      return std::to_string(c.head_have) + " bytes of the length field";
    return std::to_string(4 + c.body_have) + " of " + std::to_string(4 + std::size_t(c.length)) +
           " bytes";
  }

  bool drop(Connection &c, const std::string &why) {
    events_.emit({{"event", "error"}, {"from", c.peer}, {"error", why}},
                 "error from " + c.peer + ": " + why);
    return false;
  }

  // Reads what has arrived; false when the connection is finished.
  bool on_readable(Connection &c) {
    for (;;) {
      unsigned char *into;
      std::size_t room;
      unsigned char scratch[65536];
      if (c.head_have < 4) {
        into = c.head + c.head_have;
        room = 4 - c.head_have;
      } else if (!c.complete) {
        into = c.body.get() + c.body_have;
        room = c.length - c.body_have;
      } else {
        into = scratch;
        room = sizeof scratch;
      }
      const ssize_t n = recv(c.fd, into, room, 0);
      if (n < 0) {
        if (errno == EAGAIN || errno == EWOULDBLOCK)
          return true;
        if (errno == EINTR)
          continue;
        return drop(c, std::string("receive failed (") + std::strerror(errno) + ") after " +
                           progress(c));
      }
      if (n == 0)
        return on_end(c);
      c.last = Clock::now();
      if (c.head_have < 4) {
        c.head_have += n;
        if (c.head_have < 4)
          continue;
        c.length = read_be32(c.head);
        if (auto why = check_length(c.length, o_.max_length))
          return drop(c, *why);
        c.body.reset(new (std::nothrow) unsigned char[c.length]);
        if (!c.body)
          return drop(c, "no memory for a message of " + std::to_string(c.length) + " bytes");
      } else if (!c.complete) {
        c.body_have += n;
        if (c.body_have == c.length && !on_message(c))
          return false;
      } else {
        c.trailing += n;
      }
    }
  }

  bool on_end(Connection &c) {
    if (c.complete) {
      if (c.trailing)
        drop(c, std::to_string(c.trailing) + " bytes after the message");
      return false;
    }
    if (c.head_have == 0)
      return drop(c, "connection closed without a message");
    return drop(c, "connection closed after " + progress(c));
  }

  bool on_message(Connection &c) {
    c.complete = true;
    std::span<const unsigned char> payload;
    if (auto why = check_body({c.body.get(), c.length}, payload)) {
      drop(c, *why);
      c.body.reset();
      return false;
    }
    ++messages_;
    const std::string_view text(reinterpret_cast<const char *>(payload.data()), payload.size());
    const Outcome out = device_.apply(text);
    json event = {{"event", "message"},      {"from", c.peer},   {"length", c.length},
                  {"bytes", payload.size()}, {"kind", out.kind}, {"summary", out.summary()}};
    if (!out.error.empty())
      event["error"] = out.error;
    if (out.kind == "import")
      event["path"] = out.path;
    if (out.kind == "load" || out.kind == "import") {
      event["windows"] = out.windows;
      event["controls"] = out.controls;
    }
    if (out.kind == "target" && out.error.empty()) {
      event["target"] = out.target;
      event["ip"] = out.ip;
      event["port"] = out.port;
    }
    if (!out.warnings.empty())
      event["warnings"] = out.warnings;
    if (payload.size() <= 65536)
      event["payload"] = std::string(text);
    std::string line = "message from " + c.peer + ", " + std::to_string(payload.size()) +
                       " payload bytes: " + out.summary();
    for (const auto &w : out.warnings)
      line += " (warning: " + w + ")";
    if (!o_.save_dir.empty()) {
      char name[64];
      std::snprintf(name, sizeof name, "%04d-%s.txt", messages_, out.kind.c_str());
      const auto path = std::filesystem::path(o_.save_dir) / name;
      std::ofstream f(path, std::ios::binary);
      f.write(text.data(), static_cast<std::streamsize>(text.size()));
      if (f.good()) {
        event["saved"] = path.string();
        line += "; saved as " + path.string();
      } else {
        event["save_error"] = "cannot write " + path.string();
        line += "; cannot write " + path.string();
      }
    }
    c.body.reset();
    events_.emit(event, line);
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
