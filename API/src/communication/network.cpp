#include "communication/network.h"

#include <climits>
#include <cstring>

#include "communication/native_socket.h"
#include "system/memory.h"
#include "system/thread.h"

namespace {

char hostnameStorage[256];

sockaddr_in ipv4(std::uint32_t address, unsigned int port) {
  sockaddr_in peer;
  std::memset(&peer, 0, sizeof peer);
  peer.sin_family = AF_INET;
  peer.sin_port = htons(static_cast<std::uint16_t>(port & 0xFFFF));
  peer.sin_addr.s_addr = htonl(address);
  return peer;
}

int setInt(std::int32_t fd, int option, int value) {
  return setsockopt(fd, SOL_SOCKET, option, reinterpret_cast<const char *>(&value), sizeof value) ==
         0;
}

// Milliseconds of a time-out, rounded up and capped at INT_MAX; -1 for a
// negative one.
int milliseconds(const Network::Time &timeout) {
  if (timeout.seconds < 0 || timeout.microseconds < 0)
    return -1;
  const long long total =
      static_cast<long long>(timeout.seconds) * 1000 + (timeout.microseconds + 999LL) / 1000;
  return total > INT_MAX ? INT_MAX : static_cast<int>(total);
}

// Waits of Connect: 2.5 s.
constexpr int connect_wait_ms = 2500;

} // namespace

string Network::hostname(hostnameStorage, sizeof hostnameStorage);

int Network::Init() {
  return NativeSocket::Startup() ? 1 : 0;
}

void Network::Release() {}

Socket *Network::CreateSocket(int kind, unsigned int, unsigned int) {
  if (kind != UDP && kind != TCP)
    return nullptr;
  Socket *socket = new Socket;
  if (socket == nullptr)
    return nullptr;
  bool ready = false;
  if (kind == UDP) {
    socket->fd = NativeSocket::Open(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    ready = socket->fd != -1 && setInt(socket->fd, SO_REUSEADDR, 1) &&
            setInt(socket->fd, SO_BROADCAST, 1);
  } else {
    socket->fd = NativeSocket::Open(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    ready = socket->fd != -1 && setInt(socket->fd, SO_REUSEADDR, 1) &&
            NativeSocket::SetLinger(socket->fd, 10) && NativeSocket::SetSendTimeout(socket->fd, 10);
  }
  if (!ready) {
    if (socket->fd != -1)
      NativeSocket::Close(socket->fd);
    delete socket;
    return nullptr;
  }
  SetOption(socket, Blocking, 0);
  return socket;
}

int Network::SetOption(Socket *socket, int option, int value) {
  if (socket == nullptr || option != Blocking)
    return 0;
  if (value != 0)
    socket->options |= Blocking;
  else
    socket->options &= ~static_cast<std::uint32_t>(Blocking);
  if (socket->fd != -1)
    NativeSocket::SetBlocking(socket->fd, value != 0);
  return 1;
}

int Network::GetOption(Socket *socket, int mask) {
  return socket != nullptr && (socket->options & static_cast<std::uint32_t>(mask)) != 0;
}

int Network::Connect(Socket *socket, std::uint32_t address, unsigned int port) {
  if (socket == nullptr || socket->fd == -1)
    return 0;
  const sockaddr_in peer = ipv4(address, port);
  if (!NativeSocket::StartConnect(socket->fd, reinterpret_cast<const sockaddr *>(&peer),
                                  sizeof peer))
    return 0;
  return NativeSocket::Wait(socket->fd, true, true, connect_wait_ms);
}

int Network::Select(Socket *socket, int read, int write, const Time *timeout) {
  if (socket == nullptr || socket->fd == -1)
    return 0;
  const int limit = timeout != nullptr ? milliseconds(*timeout) : -1;
  if (timeout != nullptr && limit < 0)
    return 0;
  if (read == 0 && write == 0) {
    // Nothing to wait for: without a time-out that would be forever.
    if (timeout != nullptr)
      Thread::Sleep(limit);
    return 0;
  }
  return NativeSocket::Wait(socket->fd, read != 0, write != 0, limit);
}

int Network::Send(Socket *socket, const void *data, int length) {
  if (socket == nullptr)
    return 0;
  if (socket->fd == -1 || length < 0 || (data == nullptr && length > 0))
    return -1;
  return static_cast<int>(NativeSocket::Send(socket->fd, data, static_cast<std::size_t>(length)));
}

int Network::SendTo(Socket *socket, std::uint32_t address, unsigned int port, const void *data,
                    int length) {
  if (socket == nullptr)
    return 0;
  if (socket->fd == -1 || length < 0 || (data == nullptr && length > 0))
    return -1;
  if (address == broadcast)
    return NativeSocket::Broadcast(socket->fd, port, data, length);
  const sockaddr_in peer = ipv4(address, port);
  return static_cast<int>(NativeSocket::SendTo(socket->fd, data, static_cast<std::size_t>(length),
                                               reinterpret_cast<const sockaddr *>(&peer),
                                               sizeof peer));
}

int Network::RecvFrom(Socket *socket, std::uint32_t *address, unsigned int *port, void *buffer,
                      int size) {
  if (socket == nullptr || socket->fd == -1 || buffer == nullptr || size <= 0)
    return 0;
  sockaddr_in sender;
  std::memset(&sender, 0, sizeof sender);
  socklen_t senderSize = sizeof sender;
  const int received = static_cast<int>(
      NativeSocket::ReceiveFrom(socket->fd, buffer, static_cast<std::size_t>(size),
                                reinterpret_cast<sockaddr *>(&sender), &senderSize));
  if (received <= 0)
    return 0;
  if (address != nullptr)
    *address = ntohl(sender.sin_addr.s_addr);
  if (port != nullptr)
    *port = ntohs(sender.sin_port);
  return received;
}

int Network::Recv(Socket *socket, void *buffer, int size) {
  if (socket == nullptr || socket->fd == -1 || size <= 0)
    return 0;
  void *target = buffer != nullptr ? buffer : Memory::Alloc(size);
  if (target == nullptr)
    return 0;
  const int received =
      static_cast<int>(NativeSocket::Receive(socket->fd, target, static_cast<std::size_t>(size)));
  if (buffer == nullptr)
    Memory::Free(target);
  if (received == 0)
    return -1;
  return received < 0 ? 0 : received;
}

Socket *Network::CloseSocket(Socket *socket) {
  if (socket == nullptr)
    return nullptr;
  SetOption(socket, Blocking, 1);
  if (socket->fd != -1)
    NativeSocket::Close(socket->fd);
  delete socket;
  return nullptr;
}

int Network::Bind(Socket *socket, unsigned int port) {
  if (socket == nullptr || socket->fd == -1)
    return 0;
  const sockaddr_in local = ipv4(INADDR_ANY, port);
  return ::bind(socket->fd, reinterpret_cast<const sockaddr *>(&local), sizeof local) == 0;
}

int Network::Listen(Socket *socket, int backlog) {
  if (socket == nullptr || socket->fd == -1)
    return 0;
  return ::listen(socket->fd, backlog) == 0;
}

Socket *Network::Accept(Socket *socket, std::uint32_t *address, unsigned int *port) {
  if (socket == nullptr || socket->fd == -1)
    return nullptr;
  Socket *accepted = new Socket;
  if (accepted == nullptr)
    return nullptr;
  sockaddr_in peer;
  std::memset(&peer, 0, sizeof peer);
  socklen_t peerSize = sizeof peer;
  auto fd = ::accept(socket->fd, reinterpret_cast<sockaddr *>(&peer), &peerSize);
  if (fd == static_cast<decltype(fd)>(-1)) {
    delete accepted;
    return nullptr;
  }
  accepted->fd = static_cast<std::int32_t>(fd);
  // Born non-blocking like every other socket of the layer, so that the
  // record's mode bit (0) tells the truth.
  NativeSocket::SetBlocking(accepted->fd, false);
  if (address != nullptr)
    *address = ntohl(peer.sin_addr.s_addr);
  if (port != nullptr)
    *port = ntohs(peer.sin_port);
  return accepted;
}

unsigned int Network::GetPort(Socket *socket) {
  if (socket == nullptr || socket->fd == -1)
    return 0;
  sockaddr_in local;
  std::memset(&local, 0, sizeof local);
  socklen_t localSize = sizeof local;
  if (::getsockname(socket->fd, reinterpret_cast<sockaddr *>(&local), &localSize) != 0 ||
      local.sin_family != AF_INET)
    return 0;
  return ntohs(local.sin_port);
}

int Network::GetLocalInterfacesCount() {
  return NativeSocket::Interfaces(-1, nullptr, nullptr);
}

int Network::GetLocalInterface(int index, std::uint32_t *address, std::uint32_t *netmask) {
  if (index < 0 || address == nullptr || netmask == nullptr)
    return 0;
  return NativeSocket::Interfaces(index, address, netmask);
}

string *Network::GetHostName(string *s) {
  char name[256];
  if (!NativeSocket::HostName(name, sizeof name))
    name[0] = 0;
  hostname.strcpy(name);
  if (s != nullptr)
    s->strcpy(&hostname);
  return &hostname;
}
