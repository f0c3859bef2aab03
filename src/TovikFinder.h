// Device discovery of TovikLoader: the process-wide device list, the
// discovery socket and the discovery thread.
//
// Threads: TovikFinderThread is the only thread of the module besides the
// host's. It appends to FoundToviks under the list's mutex; the host's
// threads clear and read the list under the same mutex and set Find. The
// thread never touches an object or an outlet.
#pragma once

#include "communication/network.h"
#include "system/mutex.h"
#include "system/thread.h"

#include <atomic>
#include <cstdint>

struct TOVIKLIST;

/// One device that answered a probe. Allocated with Memory::Alloc.
struct TOVIK {
  TOVIKLIST *list;    ///< the list holding the record, null when unlinked
  TOVIK *prev;        ///< null for the first record
  TOVIK *next;        ///< null for the last record
  std::uint32_t ip;   ///< the device's address, host byte order
  std::uint16_t port; ///< the device's upload port: always 8002
};

/// The devices found, in the order of their first answers, each address
/// once. Every access, reads included, holds `mutex`.
struct TOVIKLIST {
  std::int32_t count;
  TOVIK *first;
  TOVIK *last;
  Mutex::Handle mutex;

  TOVIKLIST();
  /// Frees every record and the mutex. The discovery thread must be stopped
  /// before (StopTovikFinder).
  ~TOVIKLIST();

  /// Takes the record out of the list. Caller holds the mutex.
  void Unlink(TOVIK *t);
  /// Unlinks and frees every record. Caller holds the mutex.
  void Clear();
  /// Records a device that answered from `ip`, once per address; drops the
  /// answer when no record can be allocated. Caller holds the mutex.
  void Add(std::uint32_t ip);
};

extern TOVIKLIST FoundToviks;
/// 1 while answers are collected, else 0. Written by the host's threads,
/// read by the discovery thread.
extern std::atomic<int> Find;
/// The discovery socket, or null. Written once by InitTovikFinder before the
/// thread starts; closed only after the thread has ended.
extern Socket *FindSock;
extern Thread::Handle FindThread;

/// Opens the discovery socket, binds it to an ephemeral port (so that
/// StopTovikFinder can always wake the thread) and starts the discovery
/// thread. Called once from main.
void InitTovikFinder();

/// The discovery thread: while Find is 1, takes one answer per pass into the
/// device list; sleeps 100 ms between passes. Returns when the module stops
/// it.
int TovikFinderThread(void *);

/// Stops and joins the discovery thread, then closes the socket. Runs at
/// module unload, before the device list goes.
void StopTovikFinder();

/// Broadcasts the probe "/tovik" to UDP port 8001 on FindSock. Returns the
/// network layer's result: 0 when there is no socket or nothing went out.
int SendTovikProbe();

/// The UDP port devices listen on for probes, and their upload TCP port.
inline constexpr unsigned int tovik_probe_port = 8001;
inline constexpr unsigned int tovik_upload_port = 8002;
