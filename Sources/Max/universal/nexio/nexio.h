// nexio's record and the parts of the module that share it: the object
// (nexio.cpp), its configuration parser (config.cpp) and its connection
// thread (connection.cpp). The thread rules of the handle are described at
// the head of nexio.cpp.
#pragma once

#include "ext.h"

#include <pthread.h>
#include <stdint.h>

#include <atomic>

#include "communication/native_socket.h"

constexpr int nexio_ringsize = 256;
// A stream is read in pieces of at most this size, then fed into the ring:
// the most the thread holds beside the ring.
constexpr int nexio_readsize = 4096;
// notify frees ring slots in groups of this many (a power of 2; one cache
// line of the ring).
constexpr int nexio_free_step = 64;
// A stream thread waits for this much ring space (or for as much as it has
// left to feed) before it fills the ring, so that each fill moves a useful
// amount under the lock.
constexpr int nexio_fill_min = 128;
// Bytes that one run of notify delivers at most before it lets other clocks run.
constexpr int nexio_notify_budget = 4096;
// How long a thread waiting for ring space polls before it sleeps.
constexpr long nexio_spin_ns = 50000;
// A sender whose bytes the system has not taken for this long gives up.
constexpr long nexio_send_timeout_ms = 5000;

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

// No thread: what `thread` holds when no connection thread owns the handle.
inline const pthread_t nexio_nothread{};

inline void nexio_lock(nexio_handle *h) {
  pthread_mutex_lock(&h->lock);
}
inline void nexio_unlock(nexio_handle *h) {
  pthread_mutex_unlock(&h->lock);
}

// ---- Configuration (config.cpp); host thread ----------------------------------

// The configuration parser: sets host, service and hints from the atoms of
// nexio_new, "config" or "connect" and marks the handle for a new
// connection. The caller holds the lock.
void nexio_parse(nexio_conninfo *info, nexio_handle *h, long ac, const t_atom *av);
// The text of an atom as the configuration parser compares and stores it.
// Numbers are interned so that the text lives as long as the process.
const char *nexio_tostr(const t_atom *a);
// The byte an atom stands for on the wire: the low 8 bits of its integer (a
// float's truncated toward zero, however large).
unsigned char nexio_atom_byte(const t_atom *a);

// ---- Connection (connection.cpp) ------------------------------------------------

// The connection thread: looks up, connects and receives for the handle in
// `arg` (a nexio_conninfo from getbytes, which the thread frees), then
// leaves. Started detached by "bang" while it holds the lock.
void *nexio_thread(void *arg);
// Drops the handle's connection: the socket is shut down (its thread closes
// it) and the thread disowned. Caller holds the lock.
void nexio_drop(nexio_handle *h);
// Frees a handle whose refcount has reached 0. Any thread.
void nexio_handle_free(nexio_handle *h);
