// The platform's own socket calls, for code that drives BSD-style sockets
// itself (getaddrinfo, connect, recv) rather than through Network: the few
// places where POSIX and Windows Sockets differ, one function each. The
// build compiles posix/native_socket.cpp or win32/.
//
// Descriptors are ints: POSIX descriptors, or Windows socket handles (kernel
// handles, whose significant bits fit 32 bits); -1 is none. Error codes are
// the platform's (errno, WSAGetLastError()), read with LastError right after
// the failed call and named by the predicates below.
//
// Thread rules: none of these keeps state except Startup; calls on one
// descriptor are as safe as the platform's (one thread may wait in Receive
// while another sends or calls Interrupt).
#pragma once

#include <cstddef>

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

// Starts the platform's socket system once per process (Windows Sockets
// 2.2); true when sockets can be used. Any thread, any number of times.
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

// A new socket as socket() makes it, or -1 (then LastError() says why).
int Open(int family, int type, int protocol);

// Connects, blocking; 0 on success, else the error code. A connected socket
// is ready for SendNow and Receive.
int Connect(int fd, const sockaddr *address, socklen_t length);

// Shuts the socket down both ways. A thread waiting in Receive on it returns
// at once. The descriptor stays open.
void Interrupt(int fd);

// Releases the descriptor.
void Close(int fd);

// Sends without waiting and without raising a broken-pipe signal. Returns
// the bytes taken, or -1 with LastError().
long SendNow(int fd, const void *data, std::size_t size);

// Waits until the socket may take more bytes, at most ms milliseconds.
void WaitWritable(int fd, int ms);

// Waits for and receives what has come, up to size bytes. Returns the count,
// 0 when the peer closed or the socket was interrupted, -1 with LastError().
// A datagram longer than size is cut to size (the rest is lost) on every
// platform.
long Receive(int fd, void *buffer, std::size_t size);

// Error classes: a call interrupted by a signal (try again); a socket that
// cannot take bytes now (wait, then try again).
bool Interrupted(int code);
bool WouldBlock(int code);

// The error code of a send that made no progress for too long.
int TimedOut();

} // namespace NativeSocket
