// nexio's connection thread and the handle it shares with the object: name
// lookup, connect, and the receiving loop that feeds the ring (see the head
// of nexio.cpp for who may touch what).
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

static bool nexio_owns(nexio_handle *h, pthread_t self) {
  return pthread_equal(h->thread.load(), self) != 0;
}

// Free space of the ring from head h with tail t. One slot stays empty so
// that a full ring differs from an empty one.
static int nexio_freespace(int h, int t) {
  return (t - h - 1 + nexio_ringsize) % nexio_ringsize;
}

enum class nexio_wait { ready, full, disowned };

// Waits until the ring has `need` free slots, or at most about 1 ms. While
// the patch is taking bytes out, notify frees a slot every few nanoseconds,
// far sooner than a sleeping thread could be woken: so the thread first
// polls the tail for up to nexio_spin_ns, and only then sleeps until notify
// signals that it freed slots. A thread whose last wait timed out (the patch
// is not taking bytes) sleeps at once (`poll_first` false).
static nexio_wait nexio_wait_space(nexio_handle *h, pthread_t self, int need, bool poll_first) {
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

void *nexio_thread(void *arg) {
  nexio_conninfo *start = static_cast<nexio_conninfo *>(arg);
  nexio_handle *h = start->handle;
  const pthread_t self = pthread_self();
  struct addrinfo *rootai = nullptr;
  int res = 0;
  int fd = -1;
  int socktype = 0;
  char text[256];
  unsigned char in[nexio_readsize];
  bool owner_end = false; // lock held and owner: end the connection
  bool stalled = false;   // the last wait for ring space timed out

  Thread::Name("nexio"); // for ps and debuggers

  // Wait until "bang", which holds the lock across pthread_create, has
  // stored this thread's identity.
  nexio_lock(h);
  nexio_unlock(h);

  if (!nexio_owns(h, self)) {
    freebytes(start, sizeof(nexio_conninfo));
    goto finish;
  }

  {
    struct addrinfo hints = start->hints;
    res = getaddrinfo(start->host, start->serv, &hints, &rootai);
    int lookup_errno = NativeSocket::LastError();
    freebytes(start, sizeof(nexio_conninfo));
    start = nullptr;

    if (!nexio_owns(h, self)) {
      goto finish;
    }
    if (res == 0 && !rootai) {
      res = EAI_NONAME;
    }
    if (res != 0) {
      nexio_lock(h);
      if (!nexio_owns(h, self)) {
        goto leave;
      }
      error("nexio: name lookup failed (%s)",
            NativeSocket::LookupErrorText(res, lookup_errno, text, sizeof text));
      owner_end = true;
      goto leave;
    }
  }

  for (struct addrinfo *ai = rootai; ai && fd < 0; ai = ai->ai_next) {
    fd = NativeSocket::Open(ai->ai_family, ai->ai_socktype, ai->ai_protocol);
    if (fd < 0) {
      res = NativeSocket::LastError();
    } else if ((res = NativeSocket::Connect(fd, ai->ai_addr,
                                            static_cast<socklen_t>(ai->ai_addrlen))) != 0) {
      NativeSocket::Close(fd);
      fd = -1;
    } else {
      socktype = ai->ai_socktype;
    }
    if (!nexio_owns(h, self)) {
      goto finish;
    }
  }
  freeaddrinfo(rootai);
  rootai = nullptr;

  nexio_lock(h);
  if (!nexio_owns(h, self)) {
    goto leave;
  }
  if (fd < 0) {
    error("nexio: connect failed (%s)", NativeSocket::ErrorText(res, text, sizeof text));
    owner_end = true;
    goto leave;
  }
  h->fd.store(fd);
  h->status = 2;
  clock_delay(h->owner->notify, 0);
  nexio_unlock(h);

  // A stream is received in large reads into the thread's own buffer and fed
  // into the ring as notify frees it, so that a busy stream costs few system
  // calls and wake-ups. A datagram is received only into an empty ring, so
  // that it is never cut because the patch was slow: only a datagram longer
  // than the ring loses its tail. Bytes go into the ring only while this
  // thread is the owner: a thread disowned during recv never touches slots
  // that a newer owner may have filled.
  for (;;) {
    const bool dgram = socktype == SOCK_DGRAM;
    if (dgram) {
      const nexio_wait room = nexio_wait_space(h, self, nexio_ringsize - 1, !stalled);
      stalled = room == nexio_wait::full;
      switch (room) {
      case nexio_wait::disowned:
        nexio_lock(h);
        goto leave;
      case nexio_wait::full:
        continue;
      case nexio_wait::ready:
        break;
      }
    }
    ssize_t n = NativeSocket::ReceiveWaiting(fd, in, dgram ? nexio_ringsize - 1 : sizeof in);
    if (n == 0) {
      break; // the peer closed, or the object shut the socket down
    }
    if (n < 0) {
      int err = NativeSocket::LastError();
      if (NativeSocket::Interrupted(err)) {
        continue;
      }
      nexio_lock(h);
      if (!nexio_owns(h, self)) {
        goto leave;
      }
      error("nexio: read error (%s)", NativeSocket::ErrorText(err, text, sizeof text));
      owner_end = true;
      goto leave;
    }

    for (ssize_t done = 0; done < n;) {
      const int left = static_cast<int>(n - done);
      const nexio_wait room =
          nexio_wait_space(h, self, left < nexio_fill_min ? left : nexio_fill_min, !stalled);
      stalled = room == nexio_wait::full;
      if (room == nexio_wait::full) {
        continue;
      }
      nexio_lock(h);
      if (room == nexio_wait::disowned || !nexio_owns(h, self)) {
        goto leave;
      }
      int head = h->head.load(std::memory_order_relaxed);
      int tail = h->tail.load(std::memory_order_acquire);
      int k = nexio_freespace(head, tail);
      if (k > n - done) {
        k = static_cast<int>(n - done);
      }
      int first = nexio_ringsize - head < k ? nexio_ringsize - head : k;
      memcpy(h->buf + head, in + done, static_cast<size_t>(first));
      memcpy(h->buf, in + done + first, static_cast<size_t>(k - first));
      h->head.store(static_cast<uint16_t>((head + k) % nexio_ringsize), std::memory_order_release);
      if (head == tail) {
        clock_delay(h->owner->notify, 0);
      }
      nexio_unlock(h);
      done += k;
    }
  }

finish:
  if (rootai) {
    freeaddrinfo(rootai);
  }
  nexio_lock(h);
  owner_end = nexio_owns(h, self);

leave:
  // The lock is held here.
  if (owner_end) {
    h->thread.store(nexio_nothread);
    h->fd.store(-1);
    h->status = 0;
    h->recon.store(1);
    clock_delay(h->owner->notify, 0);
  }
  {
    int left = --h->refcount;
    nexio_unlock(h);
    if (left == 0) {
      nexio_handle_free(h);
    }
  }
  if (fd >= 0) {
    NativeSocket::Close(fd);
  }
  return nullptr;
}
