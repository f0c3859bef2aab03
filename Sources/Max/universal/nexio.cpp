// nexio: a client socket object. It keeps one connection, stream or
// datagram, over IPv4 or IPv6, to the host and service of its configuration.
// Numbers arriving at the inlet go out as bytes; bytes from the peer come out
// of the left outlet one int each; the right outlet reports the status
// (0 not connected, 1 connecting, 2 connected).
//
// Threads and what they may touch:
// - Host threads run everything from nexio_new to nexio_free, the message
//   handlers and the notify clock. Only they call outlets and read the
//   record.
// - A connection thread (nexio_thread), one per connection attempt, looks
//   up the host, connects and receives. It touches only the nexio_handle it
//   shares with the object and, while it owns the connection (checked under
//   the handle's lock), the owner's notify clock through clock_delay.
//
// The handle's lock guards owner, thread, fd, status, recon and refcount
// (every write of them is made under it) and is held across pthread_create,
// shutdown, the non-blocking send, clock_delay and console posts, never
// across a blocking call. thread, fd, recon, status_out, head and tail are
// atomics because some readers look at them without the lock: a stale value
// there only delays a decision that is made again under the lock. The ring
// has one writer per index: the owning thread moves head, notify moves tail.
//
// The handle outlives the object while connection threads still run: it is
// freed by whoever drops refcount to 0. Threads are detached and never
// joined; a replaced thread is disowned (thread no longer names it) and
// leaves quietly when it next looks.
//
// Receiving a stream: the thread reads up to 4 KiB at a time (nexio_readsize)
// and feeds the 256-byte ring from that as notify frees it; beyond these
// 4 KiB + 255 bytes it reads nothing, so a patch that stops taking bytes
// lets the socket's receive buffer fill and TCP's flow control hold the
// peer back. While a stream flows, neither side sleeps per ring: the thread
// polls for free space (yielding the processor between looks while it
// shares one with the host's loop, whose processor notify notes in
// loop_cpu) for up to nexio_spin_ns before it sleeps on `space`, and the
// host's loop polls for a while after a wake-up before it sleeps.
//
// Sending happens on the host thread
// with non-blocking sends; a peer that takes nothing for 5 seconds ends the
// connection with a write error rather than holding the host.
//
// This file holds the object; its record and constants are in nexio/nexio.h,
// the configuration parser in nexio/config.cpp and the connection thread in
// nexio/connection.cpp.

#include "nexio/nexio.h"

#include "ext_obex.h"

#include <errno.h>
#include <string.h>

#include <chrono>
#include <new>

#include "system/condition.h"
#include "system/processor.h"

namespace {

t_class *nexio_class;

void nexio_notify(nexio_object *x);

void *nexio_new(t_symbol *, long ac, t_atom *av) {
  void *mem = getbytes(sizeof(nexio_handle));
  if (!mem) {
    return nullptr;
  }
  nexio_handle *h = new (mem) nexio_handle{};
  // A condition variable that cannot be made fails the creation as the
  // memory for it would: waiting on it would be undefined.
  if (Condition::Init(&h->space) != 0) {
    h->~nexio_handle();
    freebytes(mem, sizeof(nexio_handle));
    return nullptr;
  }
  pthread_mutex_init(&h->lock, nullptr);
  nexio_object *x = static_cast<nexio_object *>(object_alloc(nexio_class));
  if (!x) {
    nexio_handle_free(h);
    return nullptr;
  }
  x->notify = clock_new(x, (method)nexio_notify);
  x->outstat = intout(x);
  x->outdata = intout(x);

  h->owner = x;
  h->fd.store(-1);
  h->loop_cpu.store(-1);
  h->refcount = 1;
  x->info.handle = h;

  nexio_lock(h);
  nexio_parse(&x->info, h, ac, av);
  nexio_unlock(h);
  return x;
}

void nexio_bang(nexio_object *x) {
  nexio_handle *h = x->info.handle;
  if (!h->recon.load()) {
    return;
  }
  nexio_conninfo *start = reinterpret_cast<nexio_conninfo *>(getbytes(sizeof(nexio_conninfo)));
  if (!start) {
    error("nexio: out of memory");
    return;
  }

  bool started = false;
  nexio_lock(h);
  if (h->recon.load()) {
    *start = x->info;
    nexio_drop(h);
    if (!x->info.host || !x->info.serv) {
      error("nexio: hostname or service not specified");
    } else {
      // The count is 8 bits wide: a 256th holder fails as if no thread
      // could be started.
      int err = EAGAIN;
      if (h->refcount < UINT8_MAX) {
        pthread_attr_t attr;
        pthread_attr_init(&attr);
        pthread_attr_setdetachstate(&attr, PTHREAD_CREATE_DETACHED);
        pthread_t tid;
        err = pthread_create(&tid, &attr, nexio_thread, start);
        pthread_attr_destroy(&attr);
        if (err == 0) {
          h->thread.store(tid);
          h->status = 1;
          h->recon.store(0);
          h->refcount++;
          started = true;
        }
      }
      if (!started) {
        char text[256];
        error("nexio: connect failed (%s)", NativeSocket::ErrnoText(err, text, sizeof text));
      }
    }
  }
  nexio_unlock(h);

  if (!started) {
    freebytes(start, sizeof(nexio_conninfo));
  }
  clock_delay(x->notify, 0);
}

// Sends each atom as one byte, in groups of at most 256 per send (so one
// datagram per group on a datagram socket).
void nexio_list(nexio_object *x, t_symbol *, long ac, t_atom *av) {
  nexio_handle *h = x->info.handle;
  for (long i = 0; i < ac; i++) {
    if (av[i].a_type != A_LONG && av[i].a_type != A_FLOAT) {
      // Sending the rest without it would shift every following byte.
      error("nexio: list of numbers expected, nothing sent (%s)", nexio_tostr(&av[i]));
      return;
    }
  }

  const int fd = h->fd.load();
  const pthread_t thread = h->thread.load();
  if (fd < 0) {
    return;
  }

  unsigned char out[nexio_ringsize];
  auto progress = std::chrono::steady_clock::now();
  long i = 0;
  while (i < ac) {
    const int n = ac - i < nexio_ringsize ? static_cast<int>(ac - i) : nexio_ringsize;
    for (int k = 0; k < n; k++) {
      out[k] = nexio_atom_byte(&av[i + k]);
    }

    ssize_t sent = 0;
    int err = 0;
    nexio_lock(h);
    if (h->fd.load() == fd && pthread_equal(h->thread.load(), thread)) {
      sent = NativeSocket::SendNow(fd, out, static_cast<size_t>(n));
      err = NativeSocket::LastError();
    }
    nexio_unlock(h);

    if (sent > 0) {
      i += static_cast<int>(sent);
      progress = std::chrono::steady_clock::now();
      continue;
    }
    if (sent == 0) {
      return;
    }
    if (NativeSocket::Interrupted(err)) {
      continue;
    }
    if (NativeSocket::WouldBlock(err)) {
      if (std::chrono::steady_clock::now() - progress <
          std::chrono::milliseconds(nexio_send_timeout_ms)) {
        // Wait for room, at most 1 ms. The descriptor may be gone by now;
        // the check under the lock above decides whether it is still ours.
        NativeSocket::Wait(fd, false, true, 1);
        continue;
      }
      err = NativeSocket::TimedOut();
    }
    nexio_lock(h);
    if (h->fd.load() == fd && pthread_equal(h->thread.load(), thread)) {
      char text[256];
      h->fd.store(-1);
      NativeSocket::Interrupt(fd);
      error("nexio: write error (%s)", NativeSocket::ErrorText(err, text, sizeof text));
    }
    nexio_unlock(h);
    return;
  }
}

void nexio_int(nexio_object *x, t_atom_long v) {
  t_atom a;
  atom_setlong(&a, v);
  nexio_list(x, nullptr, 1, &a);
}

// The float goes on as it is: its byte is taken from the whole truncated
// value, which a long cannot always hold.
void nexio_float(nexio_object *x, double f) {
  t_atom a;
  atom_setfloat(&a, f);
  nexio_list(x, nullptr, 1, &a);
}

void nexio_config(nexio_object *x, t_symbol *, long ac, t_atom *av) {
  nexio_handle *h = x->info.handle;
  nexio_lock(h);
  nexio_parse(&x->info, h, ac, av);
  nexio_unlock(h);
}

void nexio_disconnect(nexio_object *x) {
  nexio_handle *h = x->info.handle;
  nexio_lock(h);
  int fd = h->fd.load();
  if (fd >= 0) {
    NativeSocket::Interrupt(fd);
  }
  h->fd.store(-1);
  h->recon.store(1);
  nexio_unlock(h);
}

void nexio_connect(nexio_object *x, t_symbol *s, long ac, t_atom *av) {
  nexio_config(x, s, ac, av);
  nexio_bang(x);
}

void nexio_assist(nexio_object *, void *, long kind, long index, char *text) {
  static const char *const texts[] = {"Data (int, list), bang to connect", "Data (int)", "???",
                                      "Status (int)"};
  long k = kind + 2 * index - 1;
  const char *t = k >= 0 && k <= 3 ? texts[k] : "???";
  strncpy_zero(text, t, ASSIST_MAX_STRING_LEN);
}

// Moves received bytes and status changes to the outlets. One run delivers
// the bytes waiting, and those the thread adds meanwhile, up to
// nexio_notify_budget; the clock is re-armed while bytes wait, so that other
// clocks of the patch get their turn between runs.
//
// Each byte is an event of its own: when the host cuts the chain that one
// sets off (an outlet returns 0, the patch loops), the run ends after that
// byte and the next run goes on with the rest, so a cut loses nothing else.
void nexio_notify(nexio_object *x) {
  nexio_handle *h = x->info.handle;
  h->loop_cpu.store(Processor::Current(), std::memory_order_relaxed);
  int delivered = 0;
  bool cut = false;
  while (!cut) {
    const int t = h->tail.load(std::memory_order_relaxed);
    const int head = h->head.load(std::memory_order_acquire);
    int count = head - t;
    if (count < 0) {
      count = nexio_ringsize - t; // up to the end of buf; the rest next round
    }
    if (count == 0 || delivered >= nexio_notify_budget) {
      break;
    }
    if (h->status_out.load() != 2) {
      h->status_out.store(2);
      if (!outlet_int(x->outstat, 2)) {
        cut = true;
        break;
      }
    }
    // Slots are freed a group at a time before their bytes go out, so the
    // thread can refill the ring while the patch is busy with the output;
    // storing tail once per group rather than per byte spares the cache line
    // that the thread is polling.
    void *const out = x->outdata;
    int end = t + count;
    for (int p = t; p < end; p++) {
      if ((p & (nexio_free_step - 1)) == 0) {
        h->tail.store(static_cast<uint16_t>(p), std::memory_order_release);
      }
      if (!outlet_int(out, h->buf[p])) [[unlikely]] {
        end = p + 1; // the bytes after it wait for the next run
        cut = true;
        break;
      }
    }
    h->tail.store(static_cast<uint16_t>(end == nexio_ringsize ? 0 : end),
                  std::memory_order_release);
    delivered += end - t;
  }

  nexio_lock(h);
  uint8_t before = h->status_out.load();
  if (!cut && h->head.load(std::memory_order_acquire) == h->tail.load(std::memory_order_relaxed)) {
    h->status_out.store(h->status);
  }
  uint8_t after = h->status_out.load();
  pthread_cond_broadcast(&h->space);
  nexio_unlock(h);

  if (after != before) {
    outlet_int(x->outstat, after);
  }
  // After a cut the status too waits for the next run.
  if (cut || h->head.load(std::memory_order_acquire) != h->tail.load(std::memory_order_relaxed)) {
    clock_delay(x->notify, 0);
  }
}

void nexio_free(nexio_object *x) {
  nexio_handle *h = x->info.handle;
  if (h) {
    nexio_lock(h);
    h->owner = nullptr;
    nexio_drop(h);
    int left = --h->refcount;
    nexio_unlock(h);
    clock_unset(x->notify);
    if (left == 0) {
      nexio_handle_free(h);
    }
    x->info.handle = nullptr;
  }
  if (x->notify) {
    freeobject(static_cast<t_object *>(x->notify));
    x->notify = nullptr;
  }
}

} // namespace

C74_EXPORT void ext_main(void *) {
  if (!NativeSocket::Startup()) {
    error("nexio: the system's sockets cannot be used");
  }
  t_class *c = class_new("nexio", (method)nexio_new, (method)nexio_free, sizeof(nexio_object),
                         nullptr, A_GIMME, 0);
  class_addmethod(c, (method)nexio_bang, "bang", 0);
  class_addmethod(c, (method)nexio_list, "list", A_GIMME, 0);
  class_addmethod(c, (method)nexio_int, "int", A_LONG, 0);
  class_addmethod(c, (method)nexio_float, "float", A_FLOAT, 0);
  class_addmethod(c, (method)nexio_config, "config", A_GIMME, 0);
  class_addmethod(c, (method)nexio_disconnect, "disconnect", 0);
  class_addmethod(c, (method)nexio_connect, "connect", A_GIMME, 0);
  class_addmethod(c, (method)nexio_assist, "assist", A_CANT, 0);
  class_register(CLASS_BOX, c);
  nexio_class = c;
}

// Hosts older than ext_main look for main.
C74_EXPORT int main(void) {
  ext_main(nullptr);
  return 0;
}
