// udpreceive PORT [ADDRESS]: each UDP datagram that arrives on PORT (on
// every IPv4 address, or on ADDRESS only: 127.0.0.1, ::1, ...) comes out as
// "FullPacket LENGTH ADDRESS-OF-THE-BYTES", the bytes valid while the
// message is delivered.
//
// A thread of its own waits for datagrams and queues them; a clock armed
// from that thread hands them out on the main thread, in arrival order. The
// queue is bounded in datagrams and in bytes: datagrams beyond it are
// dropped and counted, and the count is reported on the console. Each
// datagram is an event of its own: when the host cuts the chain that one
// sets off (a loop in the patch), the rest wait for the clock's next run.
#include "builtins_internal.hpp"
#include "udp_address.hpp"

#include <poll.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace kithost::builtins {

namespace {

constexpr std::size_t largest_datagram = 65535;
constexpr std::size_t most_queued = 4096;
// 4096 datagrams of a controller's 1472 bytes fit; 64 KiB ones stop at 128.
constexpr std::size_t most_queued_bytes = std::size_t{8} << 20;
// How long the thread waits in one poll before it looks at the stop flag:
// it bounds how long freeing the object waits for the thread.
constexpr int poll_ms = 50;

/// The socket, the thread and the queue between it and the main thread.
struct Receiver {
  int fd = -1;
  std::thread thread;
  std::atomic<bool> stop{false};
  std::mutex mutex;
  std::deque<std::vector<unsigned char>> queue; ///< guarded by mutex
  std::size_t queued_bytes = 0;                 ///< guarded by mutex
  long dropped = 0;                             ///< guarded by mutex
  std::atomic<int> failure{0};                  ///< errno of a failed receive
};

struct UdpReceive {
  t_object header;
  void *out;
  t_clock *clock;
  Receiver *receiver;
};

t_class *udpreceive_class = nullptr;

void receive_loop(UdpReceive *x) {
  Receiver &r = *x->receiver;
  std::vector<unsigned char> buffer(largest_datagram);
  while (!r.stop.load()) {
    pollfd ready{r.fd, POLLIN, 0};
    const int status = poll(&ready, 1, poll_ms);
    if (status <= 0)
      continue;
    const ssize_t size = recv(r.fd, buffer.data(), buffer.size(), 0);
    if (size < 0) {
      if (errno != EINTR && errno != EAGAIN && errno != EWOULDBLOCK)
        r.failure.store(errno);
      continue;
    }
    {
      const auto bytes = static_cast<std::size_t>(size);
      std::lock_guard lock(r.mutex);
      if (r.queue.size() >= most_queued || r.queued_bytes + bytes > most_queued_bytes) {
        ++r.dropped;
      } else {
        r.queue.emplace_back(buffer.begin(), buffer.begin() + size);
        r.queued_bytes += bytes;
      }
    }
    clock_delay(x->clock, 0);
  }
}

/// On the main thread: the datagrams queued so far, out of the outlet, up to
/// the first whose chain the host cuts.
void udpreceive_deliver(UdpReceive *x) {
  Receiver &r = *x->receiver;
  std::size_t waiting = 0;
  long dropped = 0;
  {
    std::lock_guard lock(r.mutex);
    waiting = r.queue.size();
    dropped = std::exchange(r.dropped, 0);
  }
  if (const int failure = r.failure.exchange(0))
    ::error("udpreceive: receive failed: %s", std::strerror(failure));
  if (dropped > 0)
    ::error("udpreceive: %ld datagrams dropped (the queue was full)", dropped);
  // Only those queued at the start: a flood that arrives meanwhile waits for
  // the next run rather than holding the loop here.
  for (; waiting > 0; --waiting) {
    std::vector<unsigned char> bytes;
    {
      std::lock_guard lock(r.mutex);
      bytes = std::move(r.queue.front());
      r.queue.pop_front();
      r.queued_bytes -= bytes.size();
    }
    static unsigned char none = 0;
    t_atom packet[2];
    atom_setlong(&packet[0], static_cast<t_atom_long>(bytes.size()));
    atom_setlong(&packet[1], reinterpret_cast<t_atom_long>(bytes.empty() ? &none : bytes.data()));
    if (!outlet_anything(x->out, gensym("FullPacket"), 2, packet)) {
      if (waiting > 1)
        clock_delay(x->clock, 0);
      return;
    }
  }
}

/// Opens and binds the socket; false (reported) when it cannot.
bool open_socket(UdpReceive *x, t_atom_long port, t_symbol *address) {
  std::string why;
  auto bind_to = resolve_udp_address(address->s_name, port, true, why);
  if (!bind_to) {
    ::error("udpreceive: %s", why.c_str());
    return false;
  }
  Receiver &r = *x->receiver;
  r.fd = socket(bind_to->family, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  if (r.fd < 0) {
    ::error("udpreceive: no socket: %s", std::strerror(errno));
    return false;
  }
  if (bind(r.fd, reinterpret_cast<const sockaddr *>(&bind_to->storage), bind_to->length) != 0) {
    ::error("udpreceive: cannot listen on port %lld: %s", static_cast<long long>(port),
            std::strerror(errno));
    return false;
  }
  return true;
}

void udpreceive_free(UdpReceive *x) {
  if (!x->receiver)
    return;
  Receiver &r = *x->receiver;
  r.stop.store(true);
  if (r.thread.joinable())
    r.thread.join();
  if (r.fd >= 0)
    close(r.fd);
  // After the thread: it may have armed the clock until it ended.
  if (x->clock)
    freeobject(reinterpret_cast<t_object *>(x->clock));
  delete x->receiver;
  x->receiver = nullptr;
}

void *udpreceive_new(t_atom_long port, t_symbol *address) {
  auto *x = static_cast<UdpReceive *>(object_alloc(udpreceive_class));
  if (!x)
    return nullptr;
  x->out = outlet_new(x, nullptr);
  x->clock = clock_new(x, reinterpret_cast<method>(udpreceive_deliver));
  x->receiver = new Receiver;
  if (port == 0)
    ::error("udpreceive: expected a PORT");
  if (port == 0 || !open_socket(x, port, address)) {
    object_free(x);
    return nullptr;
  }
  x->receiver->thread = std::thread(receive_loop, x);
  return x;
}

void udpreceive_assist(UdpReceive *, void *, long kind, long, char *text) {
  copy_assist(text, kind == ASSIST_OUTLET ? "(FullPacket) each datagram received" : "");
}

} // namespace

void define_udpreceive() {
  udpreceive_class = class_new("udpreceive", reinterpret_cast<method>(udpreceive_new),
                               reinterpret_cast<method>(udpreceive_free), sizeof(UdpReceive),
                               nullptr, A_DEFLONG, A_DEFSYM, 0);
  class_addmethod(udpreceive_class, reinterpret_cast<method>(udpreceive_assist), "assist", A_CANT,
                  0);
  class_register(CLASS_BOX, udpreceive_class);
}

} // namespace kithost::builtins
