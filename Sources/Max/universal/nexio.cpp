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

#include "ext.h"
#include "ext_obex.h"

#include <errno.h>
#include <math.h>
#include <pthread.h>
#include <sched.h>
#include <stdint.h>
#include <stdio.h>
#include <string.h>
#include <time.h>

#include <atomic>
#include <new>

#include "communication/native_socket.h"
#include "system/thread.h"
#include "system/wait_clock.h"

static constexpr int nexio_ringsize = 256;
// A stream is read in pieces of at most this size, then fed into the ring:
// the most the thread holds beside the ring.
static constexpr int nexio_readsize = 4096;
// notify frees ring slots in groups of this many (a power of 2; one cache
// line of the ring).
static constexpr int nexio_free_step = 64;
// A stream thread waits for this much ring space (or for as much as it has
// left to feed) before it fills the ring, so that each fill moves a useful
// amount under the lock.
static constexpr int nexio_fill_min = 128;
// Bytes that one run of notify delivers at most before it lets other clocks run.
static constexpr int nexio_notify_budget = 4096;
// How long a thread waiting for ring space polls before it sleeps.
static constexpr long nexio_spin_ns = 50000;
// A sender whose bytes the system has not taken for this long gives up.
static constexpr long nexio_send_timeout_ms = 5000;

static t_class *nexio_class;

struct nexio_object;

struct nexio_handle {
  pthread_mutex_t lock;
  nexio_object *owner;
  std::atomic<pthread_t> thread; // the owning connection thread, or none
  std::atomic<int> fd;
  uint8_t refcount; // the object plus every thread still running
  std::atomic<uint8_t> recon;
  uint8_t status;
  std::atomic<uint8_t> status_out;
  std::atomic<uint16_t> head;
  // notify writes tail while the thread writes head, the lock and the ring:
  // a cache line's worth of space on each side keeps tail on a line of its
  // own, so that neither side's stores take the line from the other.
  char apart_head[64];
  std::atomic<uint16_t> tail;
  char apart_tail[64];
  std::atomic<int> loop_cpu; // the processor notify last ran on, or -1
  unsigned char buf[nexio_ringsize];
  // Signalled (under the lock) when notify has freed ring slots or the
  // connection changed hands, so a thread waiting for space goes on at once.
  pthread_cond_t space;
};

struct nexio_conninfo {
  nexio_handle *handle;
  const char *host;
  const char *serv;
  struct addrinfo hints;
};

struct nexio_object {
  t_object hdr;
  t_clock *notify;
  void *outstat;
  void *outdata;
  nexio_conninfo info;
};

static_assert(sizeof(nexio_handle) < 65536 && sizeof(nexio_conninfo) < 65536,
              "getbytes takes a 16-bit size");

static void nexio_notify(nexio_object *x);
static void *nexio_thread(void *arg);

// The host calls every method through the one generic method type.
template <class F> static method nexio_method(F f) {
  return reinterpret_cast<method>(reinterpret_cast<void (*)(void)>(f));
}

// ---- Small helpers ---------------------------------------------------------------

static const pthread_t nexio_nothread{};

static void nexio_lock(nexio_handle *h) {
  pthread_mutex_lock(&h->lock);
}
static void nexio_unlock(nexio_handle *h) {
  pthread_mutex_unlock(&h->lock);
}

// The system's text for a socket error code, safe on any thread.
static const char *nexio_errtext(int code, char *buf, size_t size) {
  return NativeSocket::ErrorText(code, buf, size);
}

static long nexio_elapsed_ms(const struct timespec &since) {
  struct timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  return (now.tv_sec - since.tv_sec) * 1000 + (now.tv_nsec - since.tv_nsec) / 1000000;
}

// The processor the caller runs on, or -1 where that is not known.
static inline int nexio_current_cpu() {
#ifdef __linux__
  return sched_getcpu();
#else
  return -1;
#endif
}

static long nexio_elapsed_ns(const struct timespec &since) {
  struct timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  return (now.tv_sec - since.tv_sec) * 1000000000 + (now.tv_nsec - since.tv_nsec);
}

// A float truncated toward zero to a long, saturated at the long's range
// (NaN gives 0), so that no value is undefined behaviour.
static t_atom_long nexio_float_to_long(double f) {
  if (isnan(f)) {
    return 0;
  }
  constexpr double limit = 9223372036854775808.0; // 2^63
  if (sizeof(t_atom_long) == 8) {
    if (f >= limit) {
      return INTPTR_MAX;
    }
    if (f <= -limit) {
      return INTPTR_MIN;
    }
  } else {
    if (f >= 2147483648.0) {
      return INTPTR_MAX;
    }
    if (f <= -2147483648.0) {
      return INTPTR_MIN;
    }
  }
  return static_cast<t_atom_long>(f);
}

// The byte an atom stands for on the wire: the low 8 bits of its integer.
static unsigned char nexio_atom_byte(const t_atom *a) {
  t_atom_long v = a->a_type == A_FLOAT ? nexio_float_to_long(a->a_w.w_float) : a->a_w.w_long;
  return static_cast<unsigned char>(static_cast<t_ptr_uint>(v) & 0xFF);
}

// The text of an atom as the configuration parser compares and stores it.
// Numbers are interned so that the text lives as long as the process.
static const char *nexio_tostr(const t_atom *a) {
  char text[32];
  switch (a->a_type) {
  case A_SYM:
    return a->a_w.w_sym ? a->a_w.w_sym->s_name : "";
  case A_LONG:
    snprintf(text, sizeof text, "%lu",
             static_cast<unsigned long>(static_cast<uint32_t>(a->a_w.w_long)));
    return gensym(text)->s_name;
  case A_FLOAT: {
    double f = a->a_w.w_float;
    uint32_t v = 0;
    if (f >= 4294967295.0) {
      v = UINT32_MAX;
    } else if (f > 0) { // also false for NaN
      v = static_cast<uint32_t>(f);
    }
    snprintf(text, sizeof text, "%lu", static_cast<unsigned long>(v));
    return gensym(text)->s_name;
  }
  default:
    return "";
  }
}

// Whether word (beginning with "@") names the option full: a prefix of it
// of at least one letter.
static bool nexio_names(const char *word, const char *full) {
  size_t n = strlen(word);
  return n >= 2 && n <= strlen(full) && strncmp(word, full, n) == 0;
}

// The configuration parser. Host thread; the caller holds the lock.
static void nexio_parse(nexio_conninfo *info, nexio_handle *h, long ac, const t_atom *av) {
  h->recon.store(1);
  info->host = nullptr;
  info->serv = nullptr;
  memset(&info->hints, 0, sizeof info->hints);

  long i = 0;
  if (ac >= 2) {
    const char *first = nexio_tostr(&av[0]);
    const char *second = nexio_tostr(&av[1]);
    if (first[0] != '@' && second[0] != '@') {
      info->host = first;
      info->serv = second;
      info->hints.ai_socktype = SOCK_STREAM;
      i = 2;
    }
  }

  for (; i < ac; i += 2) {
    const char *word = nexio_tostr(&av[i]);
    if (word[0] != '@') {
      error("nexio: invalid configuration");
      break;
    }
    if (i + 1 >= ac) {
      error("nexio: missing argument for %s", word);
      error("nexio: invalid configuration");
      break;
    }
    const char *value = nexio_tostr(&av[i + 1]);
    struct addrinfo *hints = &info->hints;
    switch (word[1]) {
    case 'a':
      if (nexio_names(word, "@address")) {
        info->host = value;
        hints->ai_flags |= AI_NUMERICHOST;
        continue;
      }
      break;
    case 'h':
      if (nexio_names(word, "@hostname")) {
        info->host = value;
        hints->ai_flags &= ~AI_NUMERICHOST;
        continue;
      }
      break;
    case 's':
      if (nexio_names(word, "@service")) {
        info->serv = value;
        continue;
      }
      break;
    case 'f':
      if (nexio_names(word, "@family")) {
        hints->ai_family = AF_UNSPEC;
        if (strcmp(value, "inet") == 0) {
          hints->ai_family = AF_INET;
        } else if (strcmp(value, "inet6") == 0) {
          hints->ai_family = AF_INET6;
        } else if (strcmp(value, "unspec") != 0 && strcmp(value, "*") != 0) {
          error("nexio: unknown family (%s)", value);
        }
        continue;
      }
      break;
    case 't':
      if (nexio_names(word, "@type")) {
        hints->ai_socktype = 0;
        if (strcmp(value, "stream") == 0) {
          hints->ai_socktype = SOCK_STREAM;
        } else if (strcmp(value, "dgram") == 0) {
          hints->ai_socktype = SOCK_DGRAM;
        } else if (strcmp(value, "0") != 0 && strcmp(value, "*") != 0) {
          error("nexio: unknown socket type (%s)", value);
        }
        continue;
      }
      break;
    case 'p':
      if (nexio_names(word, "@protocol")) {
        hints->ai_protocol = 0;
        if (strcmp(value, "tcp") == 0) {
          hints->ai_protocol = IPPROTO_TCP;
        } else if (strcmp(value, "udp") == 0) {
          hints->ai_protocol = IPPROTO_UDP;
        } else if (strcmp(value, "0") != 0 && strcmp(value, "*") != 0) {
          error("nexio: unknown protocol (%s)", value);
        }
        continue;
      }
      break;
    default:
      break;
    }
    error("nexio: unknown option (%s)", word);
  }

  if (info->host && !info->host[0]) {
    info->host = nullptr;
  }
  if (info->serv && !info->serv[0]) {
    info->serv = nullptr;
  }
}

// Drops the handle's connection: the socket is shut down (its thread closes
// it) and the thread disowned. Caller holds the lock.
static void nexio_drop(nexio_handle *h) {
  int fd = h->fd.load();
  if (fd >= 0) {
    NativeSocket::Interrupt(fd);
  }
  h->fd.store(-1);
  h->thread.store(nexio_nothread);
  h->status = 0;
  pthread_cond_broadcast(&h->space);
}

static void nexio_handle_free(nexio_handle *h) {
  pthread_cond_destroy(&h->space);
  pthread_mutex_destroy(&h->lock);
  h->~nexio_handle();
  freebytes(h, sizeof(nexio_handle));
}

// ---- Object ----------------------------------------------------------------------

static void *nexio_new(t_symbol *, short ac, t_atom *av) {
  void *mem = getbytes(sizeof(nexio_handle));
  if (!mem) {
    return nullptr;
  }
  nexio_object *x = static_cast<nexio_object *>(object_alloc(nexio_class));
  if (!x) {
    freebytes(mem, sizeof(nexio_handle));
    return nullptr;
  }
  x->notify = clock_new(x, nexio_method(nexio_notify));
  x->outstat = intout(x);
  x->outdata = intout(x);

  nexio_handle *h = new (mem) nexio_handle{};
  pthread_mutex_init(&h->lock, nullptr);
  pthread_condattr_t attr;
  pthread_condattr_init(&attr);
  pthread_condattr_setclock(&attr, WaitClock);
  pthread_cond_init(&h->space, &attr);
  pthread_condattr_destroy(&attr);
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

static void nexio_bang(nexio_object *x) {
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
static void nexio_list(nexio_object *x, t_symbol *, short ac, t_atom *av) {
  nexio_handle *h = x->info.handle;
  for (short i = 0; i < ac; i++) {
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
  struct timespec progress;
  clock_gettime(CLOCK_MONOTONIC, &progress);
  int i = 0;
  while (i < ac) {
    int n = ac - i < nexio_ringsize ? ac - i : nexio_ringsize;
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
      clock_gettime(CLOCK_MONOTONIC, &progress);
      continue;
    }
    if (sent == 0) {
      return;
    }
    if (NativeSocket::Interrupted(err)) {
      continue;
    }
    if (NativeSocket::WouldBlock(err)) {
      if (nexio_elapsed_ms(progress) < nexio_send_timeout_ms) {
        // Wait for room, at most 1 ms. The descriptor may be gone by now;
        // the check under the lock above decides whether it is still ours.
        NativeSocket::WaitWritable(fd, 1);
        continue;
      }
      err = NativeSocket::TimedOut();
    }
    nexio_lock(h);
    if (h->fd.load() == fd && pthread_equal(h->thread.load(), thread)) {
      char text[256];
      h->fd.store(-1);
      NativeSocket::Interrupt(fd);
      error("nexio: write error (%s)", nexio_errtext(err, text, sizeof text));
    }
    nexio_unlock(h);
    return;
  }
}

static void nexio_int(nexio_object *x, t_atom_long v) {
  t_atom a;
  atom_setlong(&a, v);
  nexio_list(x, nullptr, 1, &a);
}

static void nexio_float(nexio_object *x, double f) {
  t_atom a;
  atom_setlong(&a, nexio_float_to_long(f));
  nexio_list(x, nullptr, 1, &a);
}

static void nexio_config(nexio_object *x, t_symbol *, short ac, t_atom *av) {
  nexio_handle *h = x->info.handle;
  nexio_lock(h);
  nexio_parse(&x->info, h, ac, av);
  nexio_unlock(h);
}

static void nexio_disconnect(nexio_object *x) {
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

static void nexio_connect(nexio_object *x, t_symbol *s, short ac, t_atom *av) {
  nexio_config(x, s, ac, av);
  nexio_bang(x);
}

static void nexio_assist(nexio_object *, void *, long kind, long index, char *text) {
  static const char *const texts[] = {"Data (int, list), bang to connect", "Data (int)", "???",
                                      "Status (int)"};
  long k = kind + 2 * index - 1;
  const char *t = k >= 0 && k <= 3 ? texts[k] : "???";
  memcpy(text, t, strlen(t) + 1);
}

// Moves received bytes and status changes to the outlets. One run delivers
// the bytes waiting, and those the thread adds meanwhile, up to
// nexio_notify_budget; the clock is re-armed while bytes wait, so that other
// clocks of the patch get their turn between runs.
static void nexio_notify(nexio_object *x) {
  nexio_handle *h = x->info.handle;
  h->loop_cpu.store(nexio_current_cpu(), std::memory_order_relaxed);
  int delivered = 0;
  for (;;) {
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
      outlet_int(x->outstat, 2);
    }
    // Slots are freed a group at a time before their bytes go out, so the
    // thread can refill the ring while the patch is busy with the output;
    // storing tail once per group rather than per byte spares the cache line
    // that the thread is polling.
    void *const out = x->outdata;
    const int end = t + count;
    for (int p = t; p < end; p++) {
      if ((p & (nexio_free_step - 1)) == 0) {
        h->tail.store(static_cast<uint16_t>(p), std::memory_order_release);
      }
      outlet_int(out, h->buf[p]);
    }
    h->tail.store(static_cast<uint16_t>(end == nexio_ringsize ? 0 : end),
                  std::memory_order_release);
    delivered += count;
  }

  nexio_lock(h);
  uint8_t before = h->status_out.load();
  if (h->head.load(std::memory_order_acquire) == h->tail.load(std::memory_order_relaxed)) {
    h->status_out.store(h->status);
  }
  uint8_t after = h->status_out.load();
  pthread_cond_broadcast(&h->space);
  nexio_unlock(h);

  if (after != before) {
    outlet_int(x->outstat, after);
  }
  if (h->head.load(std::memory_order_acquire) != h->tail.load(std::memory_order_relaxed)) {
    clock_delay(x->notify, 0);
  }
}

// ---- Connection thread -------------------------------------------------------------

static bool nexio_owns(nexio_handle *h, pthread_t self) {
  return pthread_equal(h->thread.load(), self) != 0;
}

// Free space of the ring from head h with tail t. One slot stays empty so
// that a full ring differs from an empty one.
static int nexio_freespace(int h, int t) {
  return (t - h - 1 + nexio_ringsize) % nexio_ringsize;
}

enum class nexio_wait { ready, full, disowned };

// A pause for a thread that polls a value another core is about to change.
static inline void nexio_relax() {
#if defined(__x86_64__) || defined(__i386__)
  __builtin_ia32_pause();
#elif defined(__aarch64__)
  __asm__ __volatile__("yield");
#endif
}

// Waits until the ring has `need` free slots, or at most about 1 ms. While
// the patch is taking bytes out, notify frees a slot every few nanoseconds,
// far sooner than a sleeping thread could be woken: so the thread first
// polls the tail for up to nexio_spin_ns, and only then sleeps until notify
// signals that it freed slots. A thread whose last wait timed out (the patch
// is not taking bytes) sleeps at once (`poll_first` false).
static nexio_wait nexio_wait_space(nexio_handle *h, pthread_t self, int need, bool poll_first) {
  const int head = h->head.load(std::memory_order_relaxed);
  struct timespec spin_start;
  clock_gettime(CLOCK_MONOTONIC, &spin_start);
  while (poll_first) {
    for (int i = 0; i < 16; i++) {
      if (nexio_freespace(head, h->tail.load(std::memory_order_acquire)) >= need) {
        return nexio_wait::ready;
      }
      nexio_relax();
    }
    // On the processor of the host's loop, the loop frees space only when
    // this thread makes way for it.
    const int cpu = nexio_current_cpu();
    if (cpu < 0 || cpu == h->loop_cpu.load(std::memory_order_relaxed)) {
      sched_yield();
    }
    if (nexio_elapsed_ns(spin_start) >= nexio_spin_ns) {
      break;
    }
  }
  nexio_wait result = nexio_wait::ready;
  nexio_lock(h);
  if (!nexio_owns(h, self)) {
    result = nexio_wait::disowned;
  } else if (nexio_freespace(head, h->tail.load(std::memory_order_acquire)) < need) {
    struct timespec until;
    clock_gettime(WaitClock, &until);
    until.tv_nsec += 1000000;
    if (until.tv_nsec >= 1000000000) {
      until.tv_nsec -= 1000000000;
      until.tv_sec++;
    }
    pthread_cond_timedwait(&h->space, &h->lock, &until);
    if (nexio_freespace(head, h->tail.load(std::memory_order_acquire)) < need) {
      result = nexio_wait::full;
    }
  }
  nexio_unlock(h);
  return result;
}

static void *nexio_thread(void *arg) {
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
    error("nexio: connect failed (%s)", nexio_errtext(res, text, sizeof text));
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
    ssize_t n = NativeSocket::Receive(fd, in, dgram ? nexio_ringsize - 1 : sizeof in);
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
      error("nexio: read error (%s)", nexio_errtext(err, text, sizeof text));
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

static void nexio_free(nexio_object *x) {
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

C74_EXPORT int main(void) {
  if (!NativeSocket::Startup()) {
    error("nexio: the system's sockets cannot be used");
  }
  t_class *c = class_new("nexio", nexio_method(nexio_new), nexio_method(nexio_free),
                         sizeof(nexio_object), nullptr, A_GIMME, 0);
  class_addmethod(c, nexio_method(nexio_bang), "bang", 0);
  class_addmethod(c, nexio_method(nexio_list), "list", A_GIMME, 0);
  class_addmethod(c, nexio_method(nexio_int), "int", A_LONG, 0);
  class_addmethod(c, nexio_method(nexio_float), "float", A_FLOAT, 0);
  class_addmethod(c, nexio_method(nexio_config), "config", A_GIMME, 0);
  class_addmethod(c, nexio_method(nexio_disconnect), "disconnect", 0);
  class_addmethod(c, nexio_method(nexio_connect), "connect", A_GIMME, 0);
  class_addmethod(c, nexio_method(nexio_assist), "assist", A_CANT, 0);
  class_register(CLASS_BOX, c);
  nexio_class = c;
  return 0;
}
