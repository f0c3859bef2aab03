// The network layer's platform differences, one small function each. The
// build compiles posix/network_platform.cpp or win32/network_platform.cpp.
#pragma once

#include <cstdint>

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <netinet/in.h>
#include <sys/socket.h>
#endif

#include "communication/network.h"

namespace platform {

// Starts the socket system; 1 when ready.
int startup();

// A new IPv4 socket of the type (SOCK_DGRAM or SOCK_STREAM) with the
// protocol, or -1.
std::int32_t open(int type, int protocol);

// Releases the descriptor (POSIX: shut down both ways, then close).
void close(std::int32_t fd);

// Switches the descriptor's blocking mode.
void setBlocking(std::int32_t fd, bool blocking);

// SO_LINGER on with the time, and SO_SNDTIMEO, each in the platform's layout.
// 1 when applied.
int setLinger(std::int32_t fd, int seconds);
int setSendTimeout(std::int32_t fd, int seconds);

// Starts a connection; 1 when it succeeded or is under way, 0 when it failed
// at once.
int startConnect(std::int32_t fd, const sockaddr_in &peer);

// Waits until the descriptor is ready for what read and write ask, or the
// time-out passes (null: no limit). 1 when ready, else 0. At least one of
// read and write is set.
int wait(std::int32_t fd, bool read, bool write, const Network::Time *timeout);

// Pauses for the time-out (Select with nothing to wait for).
void pause(const Network::Time &timeout);

// After a failed receive: whether the datagram was only cut to the buffer
// (Windows reports that as an error, POSIX as a full buffer).
bool datagramCut();

// Flags for send and sendto: never raise the broken-pipe signal.
int sendFlags();

// SendTo's broadcast. POSIX: sends the datagram to the port on every
// interface with a broadcast address and returns the OR of the results.
// Windows: one datagram to 255.255.255.255, the result of that send.
int broadcast(std::int32_t fd, unsigned int port, const void *data, int length);

// With index < 0: the number of IPv4 interface addresses. Otherwise: 1 and the
// index-th address and netmask (host byte order) when it exists, else 0.
int interfaces(int index, std::uint32_t *address, std::uint32_t *netmask);

// The host name into storage of size bytes, terminated; 1 when read.
int hostname(char *storage, int size);

// Milliseconds of a time-out, rounded up and capped at INT_MAX; -1 for a
// negative one. The same on every platform: defined in network.cpp.
int milliseconds(const Network::Time &timeout);

} // namespace platform
