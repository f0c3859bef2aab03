#include "net.hpp"

#include "child.hpp"
#include "loopback.hpp"

#include "framing.hpp"
#include "patch.hpp"

#include <arpa/inet.h>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace loadertest {

namespace {

int loopback_socket(int type, int *port) {
  const int fd = socket(AF_INET, type, 0);
  *port = kittest::bind_loopback(fd);
  if (*port == 0)
    throw std::runtime_error(std::string("test listener: bind failed: ") + std::strerror(errno));
  return fd;
}

// Waits for `fd` to become readable; false when `wake` fired or time ran out.
bool readable(int fd, int wake, int timeout_ms) {
  pollfd fds[2] = {{fd, POLLIN, 0}, {wake, POLLIN, 0}};
  const int n = poll(fds, 2, timeout_ms);
  return n > 0 && !fds[1].revents && fds[0].revents;
}

} // namespace

Listener::Listener(bool serve_connections, int backlog) {
  fd_ = loopback_socket(SOCK_STREAM, &port_);
  if (listen(fd_, backlog) != 0 || pipe(wake_) != 0)
    throw std::runtime_error("test listener: listen failed");
  if (serve_connections)
    thread_ = std::thread([this] { serve(); });
}

Listener::~Listener() {
  const char c = 0;
  [[maybe_unused]] auto n = write(wake_[1], &c, 1);
  if (thread_.joinable())
    thread_.join();
  close(fd_);
  close(wake_[0]);
  close(wake_[1]);
}

void Listener::serve() {
  for (;;) {
    if (!readable(fd_, wake_[0], 60000))
      return;
    const int c = accept(fd_, nullptr, nullptr);
    if (c < 0)
      continue;
    std::string bytes;
    char buf[65536];
    // A connection ends when the peer closes it (or after a minute of
    // silence, so that a broken test cannot hang here).
    while (readable(c, wake_[0], 60000)) {
      const ssize_t n = recv(c, buf, sizeof buf, 0);
      if (n <= 0)
        break;
      bytes.append(buf, static_cast<std::size_t>(n));
    }
    close(c);
    std::lock_guard lock(mutex_);
    done_.push_back(std::move(bytes));
    changed_.notify_all();
  }
}

std::vector<std::string> Listener::wait(std::size_t count, std::chrono::milliseconds timeout) {
  std::unique_lock lock(mutex_);
  changed_.wait_for(lock, timeout, [&] { return done_.size() >= count; });
  return done_;
}

std::vector<std::string> Listener::received() {
  std::lock_guard lock(mutex_);
  return done_;
}

int refused_port() {
  int port = 0;
  const int fd = loopback_socket(SOCK_STREAM, &port);
  close(fd);
  return port;
}

Sim::Sim(const std::vector<std::string> &args, const std::string &netns,
         const std::vector<std::string> &launcher) {
  int out[2];
  if (pipe(out) != 0)
    return;
  std::vector<std::string> argv;
  if (!netns.empty())
    argv = {"ip", "netns", "exec", netns};
  argv.insert(argv.end(), launcher.begin(), launcher.end());
  argv.push_back(kittest::bin_dir() + "/tovik-sim");
  argv.push_back("--json");
  argv.insert(argv.end(), args.begin(), args.end());
  pid_ = fork();
  if (pid_ == 0) {
    dup2(out[1], 1);
    close(out[0]);
    close(out[1]);
    std::vector<char *> cargv;
    for (auto &a : argv)
      cargv.push_back(a.data());
    cargv.push_back(nullptr);
    execvp(cargv[0], cargv.data());
    _exit(127);
  }
  close(out[1]);
  out_ = out[0];
  if (auto e = wait_for("listening"); e) {
    tcp_port = (*e)["tcp_port"];
    udp_port = (*e)["udp_port"];
  }
}

Sim::~Sim() {
  stop();
}

std::optional<nlohmann::json> Sim::next(std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    const auto nl = pending_.find('\n');
    if (nl != std::string::npos) {
      std::string line = pending_.substr(0, nl);
      pending_.erase(0, nl + 1);
      auto parsed = nlohmann::json::parse(line, nullptr, false);
      if (!parsed.is_discarded())
        return parsed;
      continue;
    }
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (out_ < 0 || left.count() <= 0)
      return std::nullopt;
    pollfd p{out_, POLLIN, 0};
    if (poll(&p, 1, static_cast<int>(left.count())) <= 0)
      return std::nullopt;
    char buf[4096];
    const ssize_t n = read(out_, buf, sizeof buf);
    if (n <= 0)
      return std::nullopt;
    pending_.append(buf, static_cast<std::size_t>(n));
  }
}

std::optional<nlohmann::json> Sim::wait_for(const std::string &name,
                                            std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    auto e = next(std::max(left, std::chrono::milliseconds(0)));
    if (!e)
      return std::nullopt;
    if ((*e)["event"] == name)
      return e;
  }
}

std::vector<nlohmann::json> Sim::stop() {
  std::vector<nlohmann::json> rest;
  if (pid_ <= 0)
    return rest;
  kill(pid_, SIGTERM);
  while (auto e = next(5s)) {
    rest.push_back(*e);
    if ((*e)["event"] == "state")
      break;
  }
  exit_status_ = kittest::wait_child(pid_, 5s).status;
  pid_ = -1;
  close(out_);
  out_ = -1;
  return rest;
}

std::string frame(const std::string &payload) {
  const auto bytes =
      tovik::frame({reinterpret_cast<const unsigned char *>(payload.data()), payload.size()});
  return {bytes.begin(), bytes.end()};
}

std::string hex(const std::string &bytes) {
  static const char digits[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : bytes) {
    if (!out.empty())
      out += ' ';
    out += digits[c >> 4];
    out += digits[c & 15];
  }
  return out;
}

TempDir::TempDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "loadertest-XXXXXX").string();
  if (!mkdtemp(pattern.data()))
    throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

std::string TempDir::write(const std::string &name, const std::string &content) const {
  const std::string full = path_ + "/" + name;
  std::ofstream(full, std::ios::binary) << content;
  return full;
}

int sh(const std::string &command) {
  return kittest::exit_code(std::system(command.c_str()));
}

} // namespace loadertest
