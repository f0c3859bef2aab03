// nexio's connection thread and the handle it shares with the object. The
// thread runs in named steps: it awaits its start, looks up, connects,
// receives a stream or datagrams into the ring, and leaves by one way out
// (see the head of nexio.cpp for who may touch what).
#include "nexio.h"

#include <errno.h>
#include <string.h>

#include <chrono>
#include <thread>

#include "system/condition.h"
#include "system/processor.h"
#include "system/thread.h"

void nexio_drop(nexio_handle *h) {
  int fd = h->fd.load();
  if (fd >= 0) {
    NativeSocket::Interrupt(fd);
  }
  h->fd.store(-1);
  h->thread.store(nexio_nothread);
  h->status = 0;
  pthread_cond_broadcast(&h->space);
}

void nexio_handle_free(nexio_handle *h) {
  pthread_cond_destroy(&h->space);
  pthread_mutex_destroy(&h->lock);
  h->~nexio_handle();
  freebytes(h, sizeof(nexio_handle));
}

namespace {

bool nexio_owns(nexio_handle *h, pthread_t self) {
  return pthread_equal(h->thread.load(), self) != 0;
}

// Free space of the ring from head h with tail t. One slot stays empty so
// that a full ring differs from an empty one.
int nexio_freespace(int h, int t) {
  return (t - h - 1 + nexio_ringsize) % nexio_ringsize;
}

enum class nexio_wait { ready, full, disowned };

// Waits until the ring has `need` free slots, or at most about 1 ms. While
// the patch is taking bytes out, notify frees a slot every few nanoseconds,
// far sooner than a sleeping thread could be woken: so the thread first
// polls the tail for up to nexio_spin_ns, and only then sleeps until notify
// signals that it freed slots. A thread whose last wait timed out (the patch
// is not taking bytes) sleeps at once (`poll_first` false).
nexio_wait nexio_wait_space(nexio_handle *h, pthread_t self, int need, bool poll_first) {
  const int head = h->head.load(std::memory_order_relaxed);
  const auto spin_end = std::chrono::steady_clock::now() + std::chrono::nanoseconds(nexio_spin_ns);
  while (poll_first) {
    for (int i = 0; i < 16; i++) {
      if (nexio_freespace(head, h->tail.load(std::memory_order_acquire)) >= need) {
        return nexio_wait::ready;
      }
      Processor::Pause();
    }
    // On the processor of the host's loop, the loop frees space only when
    // this thread makes way for it.
    const int cpu = Processor::Current();
    if (cpu < 0 || cpu == h->loop_cpu.load(std::memory_order_relaxed)) {
      std::this_thread::yield();
    }
    if (std::chrono::steady_clock::now() >= spin_end) {
      break;
    }
  }
  nexio_wait result = nexio_wait::ready;
  nexio_lock(h);
  if (!nexio_owns(h, self)) {
    result = nexio_wait::disowned;
  } else if (nexio_freespace(head, h->tail.load(std::memory_order_acquire)) < need) {
    Condition::WaitFor(&h->space, &h->lock, std::chrono::milliseconds(1));
    if (nexio_freespace(head, h->tail.load(std::memory_order_acquire)) < need) {
      result = nexio_wait::full;
    }
  }
  nexio_unlock(h);
  return result;
}

// How a step of the connection thread ends: the thread goes on with its next
// step, or it leaves, holding the handle's lock, through nexio_leave.
enum class nexio_step { next, leave };

// The connection thread's own values, handed from step to step.
struct nexio_connection {
  explicit nexio_connection(nexio_handle *handle) : h(handle), self(pthread_self()) {}

  nexio_handle *h;
  pthread_t self;
  int fd = -1; // the thread's socket, closed as it leaves
  int socktype = 0;
  bool stalled = false; // the last wait for ring space timed out
  unsigned char in[nexio_readsize];
};

// Waits until "bang", which holds the lock across pthread_create, has stored
// this thread's identity. A thread disowned before it started frees the start
// block and leaves.
nexio_step nexio_await_start(nexio_connection &c, nexio_conninfo *start) {
  nexio_lock(c.h);
  nexio_unlock(c.h);
  if (nexio_owns(c.h, c.self)) {
    return nexio_step::next;
  }
  freebytes(start, sizeof(nexio_conninfo));
  nexio_lock(c.h);
  return nexio_step::leave;
}

// Looks up the host and service of the start block and frees the block. next
// with the addresses in `list` (at least one); leave when the lookup failed,
// which the owner reports, or the thread was disowned meanwhile.
nexio_step nexio_look_up(nexio_connection &c, nexio_conninfo *start, struct addrinfo *&list) {
  struct addrinfo hints = start->hints;
  int res = getaddrinfo(start->host, start->serv, &hints, &list);
  const int lookup_errno = NativeSocket::LastError();
  freebytes(start, sizeof(nexio_conninfo));

  if (!nexio_owns(c.h, c.self)) {
    if (res == 0 && list) {
      freeaddrinfo(list);
    }
    nexio_lock(c.h);
    return nexio_step::leave;
  }
  if (res == 0 && !list) {
    res = EAI_NONAME;
  }
  if (res == 0) {
    return nexio_step::next;
  }
  nexio_lock(c.h);
  if (nexio_owns(c.h, c.self)) {
    char text[256];
    error("nexio: name lookup failed (%s)",
          NativeSocket::LookupErrorText(res, lookup_errno, text, sizeof text));
  }
  return nexio_step::leave;
}

// Connects to the first address of the list that takes a connection, frees
// the list and publishes the socket: status 2 and a run of notify. leave when
// no address connects, which the owner reports, or the thread was disowned
// meanwhile.
nexio_step nexio_connect_first(nexio_connection &c, struct addrinfo *list) {
  int res = 0;
  for (struct addrinfo *ai = list; ai && c.fd < 0; ai = ai->ai_next) {
    c.fd = NativeSocket::Open(ai->ai_family, ai->ai_socktype, ai->ai_protocol);
    if (c.fd < 0) {
      res = NativeSocket::LastError();
    } else if ((res = NativeSocket::Connect(c.fd, ai->ai_addr,
                                            static_cast<socklen_t>(ai->ai_addrlen))) != 0) {
      NativeSocket::Close(c.fd);
      c.fd = -1;
    } else {
      c.socktype = ai->ai_socktype;
    }
    if (!nexio_owns(c.h, c.self)) {
      break;
    }
  }
  freeaddrinfo(list);

  nexio_lock(c.h);
  if (!nexio_owns(c.h, c.self)) {
    return nexio_step::leave;
  }
  if (c.fd < 0) {
    char text[256];
    error("nexio: connect failed (%s)", NativeSocket::ErrorText(res, text, sizeof text));
    return nexio_step::leave;
  }
  c.h->fd.store(c.fd);
  c.h->status = 2;
  clock_delay(c.h->owner->notify, 0);
  nexio_unlock(c.h);
  return nexio_step::next;
}

// Receives up to `size` bytes into the thread's buffer. next with the count
// in `n`; leave when the peer closed or the object shut the socket down, and
// after a read error, which the owner reports.
nexio_step nexio_read(nexio_connection &c, size_t size, long &n) {
  for (;;) {
    n = NativeSocket::ReceiveWaiting(c.fd, c.in, size);
    if (n > 0) {
      return nexio_step::next;
    }
    if (n == 0) {
      nexio_lock(c.h);
      return nexio_step::leave;
    }
    const int err = NativeSocket::LastError();
    if (NativeSocket::Interrupted(err)) {
      continue;
    }
    nexio_lock(c.h);
    if (nexio_owns(c.h, c.self)) {
      char text[256];
      error("nexio: read error (%s)", NativeSocket::ErrorText(err, text, sizeof text));
    }
    return nexio_step::leave;
  }
}

// Feeds the first n bytes of the thread's buffer into the ring as notify
// frees it, and wakes notify when the ring was empty. Bytes go into the ring
// only while this thread is the owner: a thread disowned during its receive
// never touches slots that a newer owner may have filled; it leaves instead.
nexio_step nexio_feed(nexio_connection &c, long n) {
  nexio_handle *h = c.h;
  for (long done = 0; done < n;) {
    const int left = static_cast<int>(n - done);
    const nexio_wait room =
        nexio_wait_space(h, c.self, left < nexio_fill_min ? left : nexio_fill_min, !c.stalled);
    c.stalled = room == nexio_wait::full;
    if (room == nexio_wait::full) {
      continue;
    }
    nexio_lock(h);
    if (room == nexio_wait::disowned || !nexio_owns(h, c.self)) {
      return nexio_step::leave;
    }
    int head = h->head.load(std::memory_order_relaxed);
    int tail = h->tail.load(std::memory_order_acquire);
    int k = nexio_freespace(head, tail);
    if (k > n - done) {
      k = static_cast<int>(n - done);
    }
    int first = nexio_ringsize - head < k ? nexio_ringsize - head : k;
    memcpy(h->buf + head, c.in + done, static_cast<size_t>(first));
    memcpy(h->buf, c.in + done + first, static_cast<size_t>(k - first));
    h->head.store(static_cast<uint16_t>((head + k) % nexio_ringsize), std::memory_order_release);
    if (head == tail) {
      clock_delay(h->owner->notify, 0);
    }
    nexio_unlock(h);
    done += k;
  }
  return nexio_step::next;
}

// A stream is received in large reads into the thread's own buffer and fed
// into the ring as notify frees it, so that a busy stream costs few system
// calls and wake-ups. Returns when the thread leaves (lock held).
void nexio_receive_stream(nexio_connection &c) {
  for (;;) {
    long n = 0;
    if (nexio_read(c, sizeof c.in, n) == nexio_step::leave ||
        nexio_feed(c, n) == nexio_step::leave) {
      return;
    }
  }
}

// A datagram is received only into an empty ring, so that it is never cut
// because the patch was slow: only a datagram longer than the ring loses its
// tail. Returns when the thread leaves (lock held).
void nexio_receive_datagrams(nexio_connection &c) {
  for (;;) {
    const nexio_wait room = nexio_wait_space(c.h, c.self, nexio_ringsize - 1, !c.stalled);
    c.stalled = room == nexio_wait::full;
    if (room == nexio_wait::disowned) {
      nexio_lock(c.h);
      return;
    }
    if (room == nexio_wait::full) {
      continue;
    }
    long n = 0;
    if (nexio_read(c, nexio_ringsize - 1, n) == nexio_step::leave ||
        nexio_feed(c, n) == nexio_step::leave) {
      return;
    }
  }
}

// The one way out, with the lock held. The owner ends the connection (Idle,
// `recon` 1, a run of notify), a disowned thread changes nothing; whoever
// drops refcount to 0 frees the handle; the thread's own socket is closed.
void nexio_leave(nexio_connection &c) {
  nexio_handle *h = c.h;
  if (nexio_owns(h, c.self)) {
    h->thread.store(nexio_nothread);
    h->fd.store(-1);
    h->status = 0;
    h->recon.store(1);
    clock_delay(h->owner->notify, 0);
  }
  int left = --h->refcount;
  nexio_unlock(h);
  if (left == 0) {
    nexio_handle_free(h);
  }
  if (c.fd >= 0) {
    NativeSocket::Close(c.fd);
  }
}

} // namespace

void *nexio_thread(void *arg) {
  nexio_conninfo *start = static_cast<nexio_conninfo *>(arg);
  nexio_connection c(start->handle);
  struct addrinfo *list = nullptr;

  Thread::Name("nexio"); // for ps and debuggers

  if (nexio_await_start(c, start) == nexio_step::next &&
      nexio_look_up(c, start, list) == nexio_step::next &&
      nexio_connect_first(c, list) == nexio_step::next) {
    if (c.socktype == SOCK_DGRAM) {
      nexio_receive_datagrams(c);
    } else {
      nexio_receive_stream(c);
    }
  }
  nexio_leave(c);
  return nullptr;
}
