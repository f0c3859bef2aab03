// The platform's own socket calls: the places where POSIX sockets and
// Windows Sockets differ, one function each. Network is built on them, and
// so is code that drives sockets itself (a name lookup, a blocking connect,
// a thread that waits in Receive). The build compiles posix/native_socket.cpp
// or win32/native_socket.cpp.
//
// Descriptors are ints: POSIX descriptors, or Windows socket handles (kernel
// handles, whose significant bits fit 32 bits); -1 is none. Error codes are
// the platform's (errno, WSAGetLastError()), read with LastError right after
// the failed call and named by the predicates below. Sizes are those of the
// platform's calls; a Windows call takes at most INT_MAX bytes.
//
// Thread rules: none of these keeps state except Startup; calls on one
// descriptor are as safe as the platform's (one thread may wait in Receive
// while another sends or calls Interrupt).
#pragma once

#include <cstddef>
#include <cstdint>

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/types.h>
#endif

namespace NativeSocket {

// ---- Start-up and errors ---------------------------------------------------------

// Starts the platform's socket system once for the library (Windows Sockets
// 2.2; nothing to do on POSIX); true when sockets can be used. Any thread,
// any number of times: only the first call starts it.
bool Startup();

// The error code of the calling thread's last failed socket call.
int LastError();

// The system's text for an error code, in buf (size > 0), safe on any
// thread; returns buf.
const char *ErrorText(int code, char *buf, std::size_t size);

// The C library's text for an errno code (as pthread_create returns), in
// buf (size > 0), safe on any thread; returns buf.
const char *ErrnoText(int code, char *buf, std::size_t size);

// The text for a getaddrinfo result, in buf; systemError is LastError() read
// right after the lookup (POSIX reports some failures there). Returns buf.
const char *LookupErrorText(int result, int systemError, char *buf, std::size_t size);

// Error classes: a call interrupted by a signal (try again); a socket that
// cannot take bytes now (wait, then try again).
bool Interrupted(int code);
bool WouldBlock(int code);

// The error code of a send that made no progress for too long.
int TimedOut();

// ---- Making and ending sockets ---------------------------------------------------

// A new socket as socket() makes it, in blocking mode, or -1 (then
// LastError() says why). Where the system raises the broken-pipe signal
// per socket rather than per send (macOS), it is switched off here.
int Open(int family, int type, int protocol);

// Switches the socket between blocking and non-blocking mode; true when
// switched (else the mode stays).
bool SetBlocking(int fd, bool blocking);

// SO_LINGER on with the time, and SO_SNDTIMEO, each in the platform's
// layout; true when applied.
bool SetLinger(int fd, int seconds);
bool SetSendTimeout(int fd, int seconds);

// Shuts the socket down both ways. A thread waiting in Receive on it returns
// at once. The descriptor stays open.
void Interrupt(int fd);

// Ends the socket and releases the descriptor. POSIX: shut down both ways
// first, so that the peer sees the end even when a child process has
// inherited the descriptor. Windows: closesocket alone, since a shutdown of
// the receiving side there resets a stream that still has unread input.
void Close(int fd);

// ---- Connecting ------------------------------------------------------------------

// Connects, blocking; 0 on success, else the error code. A connected socket
// is ready for SendNow and ReceiveWaiting (on Windows it is switched to
// non-blocking mode for them).
int Connect(int fd, const sockaddr *address, socklen_t length);

// Starts a connection on a non-blocking socket: true when it succeeded or is
// under way (Wait for writability tells the outcome), false when it failed
// at once. Windows does not tell at once: always true there.
bool StartConnect(int fd, const sockaddr *address, socklen_t length);

// ---- Waiting ---------------------------------------------------------------------

// Waits until the socket is ready for what read and write ask (at least one
// is set), at most ms milliseconds (-1: no limit). True when ready; false on
// time-out or error. A connection that failed counts as ready for writing.
// A signal does not cut the wait short.
bool Wait(int fd, bool read, bool write, int ms);

// ---- Sending and receiving -------------------------------------------------------

// Sends as the socket's mode says. Returns the bytes taken, or -1 with
// LastError(). Never raises the broken-pipe signal.
long Send(int fd, const void *data, std::size_t size);

// Sends without waiting, on a socket that Connect connected. Returns the
// bytes taken, or -1 with LastError() (WouldBlock when it takes none now).
long SendNow(int fd, const void *data, std::size_t size);

// Sends one datagram to the address, as the socket's mode says; the bytes
// sent or -1. Never raises the broken-pipe signal.
long SendTo(int fd, const void *data, std::size_t size, const sockaddr *to, socklen_t length);

// Receives once, as the socket's mode says, up to size bytes. Returns the
// count, 0 when the peer closed or the socket was shut down, -1 with
// LastError() (WouldBlock when nothing waits on a non-blocking socket). A
// datagram longer than size is cut to size (the rest is lost) and counts
// size, on every platform.
long Receive(int fd, void *buffer, std::size_t size);

// Receive, also writing the sender's address to from (of *length bytes;
// *length becomes the address's length).
long ReceiveFrom(int fd, void *buffer, std::size_t size, sockaddr *from, socklen_t *length);

// Waits for and receives what has come on a socket that Connect connected,
// as Receive does; returns only when something came, the peer closed, the
// socket was interrupted (0 then) or an error other than a would-block
// happened.
long ReceiveWaiting(int fd, void *buffer, std::size_t size);

// ---- The host's interfaces -------------------------------------------------------

// One datagram to the IPv4 broadcast addresses at the port. POSIX: to every
// interface with a broadcast address (see Network::SendTo), the OR of the
// results, 0 when no interface qualified. Windows: one datagram to
// 255.255.255.255, the result of that send.
int Broadcast(int fd, unsigned int port, const void *data, int length);

// With index < 0: the number of IPv4 interface addresses. Otherwise: 1 and the
// index-th address and netmask (host byte order) when it exists, else 0.
int Interfaces(int index, std::uint32_t *address, std::uint32_t *netmask);

// The host name into storage of size bytes (size > 0), terminated; true when
// read.
bool HostName(char *storage, int size);

} // namespace NativeSocket
