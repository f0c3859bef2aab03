// udpsend HOST PORT: each message out as one UDP datagram to HOST:PORT.
// A FullPacket (length, address of the bytes) goes out as those bytes; a
// number or a list of whole numbers from 0 to 255 (ints, or floats such as
// 65.0, alone or in a list alike) as one byte each. "host NAME" and
// "port N" change the destination. Anything else, and a datagram that
// cannot be sent, is reported on the console.
#include "builtins_internal.hpp"
#include "udp_address.hpp"

#include <cerrno>
#include <cmath>
#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

namespace kithost::builtins {

namespace {

struct UdpSend {
  t_object header;
  int fd;
  int family;
  UdpAddress *to; ///< null until a destination resolves
  t_symbol *host;
  long long port;
};

t_class *udpsend_class = nullptr;

// The largest payload one UDP datagram carries over IPv4.
constexpr long long largest_datagram = 65507;

void close_socket(UdpSend *x) {
  if (x->fd >= 0)
    close(x->fd);
  x->fd = -1;
}

/// Resolves HOST and PORT again and opens a socket of their family; false
/// (reported) when there is no destination.
bool udpsend_aim(UdpSend *x) {
  delete x->to;
  x->to = nullptr;
  std::string why;
  auto address = resolve_udp_address(x->host->s_name, x->port, false, why);
  if (!address) {
    ::error("udpsend: %s", why.c_str());
    return false;
  }
  if (x->fd < 0 || x->family != address->family) {
    close_socket(x);
    x->fd = socket(address->family, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    x->family = address->family;
    if (x->fd < 0) {
      ::error("udpsend: no socket: %s", std::strerror(errno));
      return false;
    }
  }
  x->to = new UdpAddress(*address);
  return true;
}

void *udpsend_new(t_symbol *host, t_atom_long port) {
  auto *x = static_cast<UdpSend *>(object_alloc(udpsend_class));
  if (!x)
    return nullptr;
  x->fd = -1;
  x->to = nullptr;
  x->host = host;
  x->port = port;
  if (!host->s_name[0] || port == 0)
    ::error("udpsend: expected a HOST and a PORT");
  // Without a destination the box would drop everything: refuse it.
  if (!host->s_name[0] || port == 0 || !udpsend_aim(x)) {
    object_free(x);
    return nullptr;
  }
  return x;
}

void udpsend_free(UdpSend *x) {
  close_socket(x);
  delete x->to;
}

void send_bytes(UdpSend *x, const unsigned char *bytes, std::size_t size) {
  if (!x->to) {
    ::error("udpsend: no destination (host and port)");
    return;
  }
  const ssize_t sent = sendto(x->fd, bytes, size, 0,
                              reinterpret_cast<const sockaddr *>(&x->to->storage), x->to->length);
  if (sent < 0)
    ::error("udpsend: cannot send to %s port %lld: %s", x->host->s_name, x->port,
            std::strerror(errno));
}

void udpsend_fullpacket(UdpSend *x, t_atom_long length, t_atom_long address) {
  if (length < 0 || length > largest_datagram || (length > 0 && address == 0)) {
    ::error("udpsend: bad FullPacket (%lld bytes)", static_cast<long long>(length));
    return;
  }
  // The sender keeps the bytes valid for the length of this call.
  static const unsigned char none = 0;
  const auto *bytes = length > 0 ? reinterpret_cast<const unsigned char *>(address) : &none;
  send_bytes(x, bytes, static_cast<std::size_t>(length));
}

// The byte a list element stands for: a whole number from 0 to 255, as an
// int or as a float without a fraction. False for anything else.
bool whole_byte(const t_atom &atom, unsigned char &byte) {
  if (atom.a_type == A_LONG) {
    if (atom.a_w.w_long < 0 || atom.a_w.w_long > 255)
      return false;
    byte = static_cast<unsigned char>(atom.a_w.w_long);
    return true;
  }
  if (atom.a_type == A_FLOAT) {
    const double f = atom.a_w.w_float;
    // Also false for NaN, which compares false.
    if (!(f >= 0 && f <= 255) || f != std::trunc(f))
      return false;
    byte = static_cast<unsigned char>(f);
    return true;
  }
  return false;
}

void udpsend_list(UdpSend *x, t_symbol *, long argc, t_atom *argv) {
  if (argc > largest_datagram) {
    ::error("udpsend: a list of %ld bytes does not fit a datagram", argc);
    return;
  }
  std::vector<unsigned char> bytes;
  bytes.reserve(static_cast<std::size_t>(argc));
  for (long i = 0; i < argc; ++i) {
    unsigned char byte = 0;
    if (!whole_byte(argv[i], byte)) {
      ::error("udpsend: a list to send holds whole numbers from 0 to 255 only");
      return;
    }
    bytes.push_back(byte);
  }
  send_bytes(x, bytes.data(), bytes.size());
}

void udpsend_int(UdpSend *x, t_atom_long n) {
  t_atom atom;
  atom_setlong(&atom, n);
  udpsend_list(x, nullptr, 1, &atom);
}

// A float is checked as a list element is, not cut to an int first.
void udpsend_float(UdpSend *x, double f) {
  t_atom atom;
  atom_setfloat(&atom, f);
  udpsend_list(x, nullptr, 1, &atom);
}

void udpsend_host(UdpSend *x, t_symbol *host) {
  x->host = host;
  udpsend_aim(x);
}

void udpsend_port(UdpSend *x, t_atom_long port) {
  x->port = port;
  udpsend_aim(x);
}

void udpsend_assist(UdpSend *, void *, long kind, long, char *text) {
  copy_assist(text, kind == ASSIST_INLET
                        ? "(FullPacket, list of bytes) one datagram; host NAME, port N"
                        : "");
}

} // namespace

void define_udpsend() {
  udpsend_class = class_new("udpsend", reinterpret_cast<method>(udpsend_new),
                            reinterpret_cast<method>(udpsend_free), sizeof(UdpSend), nullptr,
                            A_DEFSYM, A_DEFLONG, 0);
  class_addmethod(udpsend_class, reinterpret_cast<method>(udpsend_fullpacket), "FullPacket", A_LONG,
                  A_LONG, 0);
  class_addmethod(udpsend_class, reinterpret_cast<method>(udpsend_list), "list", A_GIMME, 0);
  class_addmethod(udpsend_class, reinterpret_cast<method>(udpsend_int), "int", A_LONG, 0);
  class_addmethod(udpsend_class, reinterpret_cast<method>(udpsend_float), "float", A_FLOAT, 0);
  class_addmethod(udpsend_class, reinterpret_cast<method>(udpsend_host), "host", A_SYM, 0);
  class_addmethod(udpsend_class, reinterpret_cast<method>(udpsend_port), "port", A_LONG, 0);
  class_addmethod(udpsend_class, reinterpret_cast<method>(udpsend_assist), "assist", A_CANT, 0);
  class_register(CLASS_BOX, udpsend_class);
}

} // namespace kithost::builtins
