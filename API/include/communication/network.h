// The support library's socket layer: IPv4 UDP and TCP sockets behind an
// opaque handle, over BSD sockets (POSIX) or Windows Sockets 2 (Windows),
// through the platform calls of communication/native_socket.h.
//
// Every address and port crosses this interface as an integer in host byte
// order (192.168.0.1 is 0xC0A80001; of a port only the low 16 bits count).
// Every operation accepts a null handle and then returns its failure result
// at once. No operation reports a message; failures are results: 0, null, or
// the platform's negative count.
//
// Thread rules: the layer takes no locks. Calls on different sockets may run
// on any threads; calls on one socket are as safe as the platform's (one
// thread may wait on and receive from a socket while another sends on it).
// A socket must not be used after or while it is closed. GetHostName writes
// the process-wide Network::hostname and must not run on two threads at once.
#pragma once

#include <cstdint>

#include "system/memory.h"
#include "types/string.h"

// A socket record, allocated through Memory by CreateSocket and Accept and
// freed by CloseSocket.
struct Socket : MemoryObject {
  std::int32_t fd = -1;      // platform descriptor; -1 while there is none
  std::uint32_t options = 0; // bit 0 (Network::Blocking) set: blocking mode
};

class Network {
public:
  // Socket kinds for CreateSocket.
  enum Kind { UDP = 0, TCP = 1 };
  // The one option: blocking mode (also the GetOption mask bit).
  enum Option { Blocking = 1 };
  // Address meaning "broadcast" to SendTo.
  static constexpr std::uint32_t broadcast = 0xFFFFFFFFu;

  // A time-out for Select: microseconds are expected below 1000000.
  struct Time {
    std::int32_t seconds;
    std::int32_t microseconds;
  };

  // Holds the last name read by GetHostName (at most 255 characters).
  static string hostname;

  // Prepares the socket system; 1 when ready, else 0. Call before any other
  // operation; any further call only reports (on Windows the first starts
  // Windows Sockets 2.2, NativeSocket::Startup).
  static int Init();
  // Does nothing.
  static void Release();

  // A new socket in non-blocking mode, not bound: kind UDP (SO_REUSEADDR and
  // SO_BROADCAST set) or TCP (SO_REUSEADDR, SO_LINGER 10 s and SO_SNDTIMEO
  // 10 s set). The two further values are ignored. Null for any other kind or
  // when the socket or one of its options cannot be made; nothing is left open
  // then.
  static Socket *CreateSocket(int kind, unsigned int sendSize = 16384,
                              unsigned int receiveSize = 16384);

  // Option Blocking: value non-zero switches the socket to blocking mode, 0
  // to non-blocking mode. Returns 1, or 0 for a null handle or another option
  // (nothing changes then).
  static int SetOption(Socket *socket, int option, int value);
  // 1 when the socket's options have any bit of mask set, else 0.
  static int GetOption(Socket *socket, int mask);

  // Connects to address:port and waits up to 2.5 s for the socket to become
  // readable or writable. Returns 1 when it did, else 0 (immediate failure,
  // time-out). Readiness is the only test, as a non-blocking connection
  // reports it: a connection the peer refuses within the wait also yields 1
  // and shows its failure at the first Send or Recv. Blocks the calling
  // thread for up to 2.5 s.
  static int Connect(Socket *socket, std::uint32_t address, unsigned int port);

  // Waits until the socket is ready for reading (read non-zero) and/or
  // writing (write non-zero), or the time-out passes (null: no limit).
  // Returns 1 when ready, 0 on time-out or error, never negative. With both
  // flags 0 it only waits out the time-out and returns 0 (at once when the
  // time-out is null). A negative time-out is an error (0 at once).
  static int Select(Socket *socket, int read, int write, const Time *timeout);

  // Sends up to length bytes. Returns the bytes sent, -1 on error (a
  // would-block of a non-blocking socket, a refused or closed connection,
  // null data or a negative length), 0 for a null handle. Never raises the
  // broken-pipe signal.
  static int Send(Socket *socket, const void *data, int length);

  // Sends one datagram to address:port; returns the bytes sent or -1.
  // The address `broadcast` sends (POSIX build) one datagram to the broadcast
  // address of every IPv4 interface that has one: the interface's broadcast
  // address when it has its own, else the directed broadcast (address OR NOT
  // netmask; /31 and /32 interfaces are skipped); the peer address of a
  // point-to-point link; loopback interfaces are skipped. The result is then
  // the OR of all sends: the length when all succeeded, -1 when one failed,
  // 0 when no interface qualified. On Windows it goes once to
  // 255.255.255.255. 0 for a null handle. Never raises the broken-pipe
  // signal.
  static int SendTo(Socket *socket, std::uint32_t address, unsigned int port, const void *data,
                    int length);

  // Receives one datagram of up to size bytes (longer ones are cut). Returns
  // the byte count (> 0) and writes the sender's address and port to the
  // outputs that are not null; 0 when nothing was received or on error, the
  // outputs untouched.
  static int RecvFrom(Socket *socket, std::uint32_t *address, unsigned int *port, void *buffer,
                      int size);

  // Receives up to size bytes of a stream. A null buffer receives into a
  // temporary array and discards the bytes. Returns the byte count, -1 when
  // the peer has closed the connection, 0 on error or when nothing is
  // available.
  static int Recv(Socket *socket, void *buffer, int size);

  // Switches to blocking mode, closes the socket and frees the record.
  // Returns null, to be stored over the caller's copy.
  static Socket *CloseSocket(Socket *socket);

  // Binds to the wildcard address and the port (0: an ephemeral one); 1 on
  // success, else 0.
  static int Bind(Socket *socket, unsigned int port);
  // 1 when the socket now listens, else 0.
  static int Listen(Socket *socket, int backlog);
  // Accepts one connection: a new socket in non-blocking mode (options 0), the
  // peer's address and port written to the outputs that are not null. Null
  // when nothing could be accepted (on a non-blocking listener: none waiting).
  static Socket *Accept(Socket *socket, std::uint32_t *address, unsigned int *port);
  // The socket's local port, 0 on failure.
  static unsigned int GetPort(Socket *socket);

  // Number of IPv4 interface addresses of the host, loopback included; 0
  // when they cannot be listed.
  static int GetLocalInterfacesCount();
  // Writes the address and netmask of the index-th IPv4 interface (the order
  // of GetLocalInterfacesCount) and returns 1; 0 and nothing written when
  // there is no such interface or either pointer is null. The list is read
  // afresh on every call, so indexes hold only while the interfaces do not
  // change.
  static int GetLocalInterface(int index, std::uint32_t *address, std::uint32_t *netmask);

  // Reads the host name into Network::hostname (empty when it cannot be read),
  // copies it into s when s is not null, and returns &Network::hostname.
  static string *GetHostName(string *s);
};
