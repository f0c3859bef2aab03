#include "TovikFinder.h"

#include "system/memory.h"

namespace {

// Set when the module unloads; the thread leaves its loop at the next pass.
std::atomic<bool> FindStop{false};

// The OSC address "/tovik" padded with zeros to a multiple of 4 bytes.
constexpr char tovik_probe[8] = "/tovik";

constexpr std::uint32_t loopback = 0x7F000001u; // 127.0.0.1

} // namespace

TOVIKLIST::TOVIKLIST() : count(0), first(nullptr), last(nullptr), mutex(Mutex::Create()) {}

TOVIKLIST::~TOVIKLIST() {
  Mutex::Lock(mutex);
  Clear();
  Mutex::Unlock(mutex);
  Mutex::Destroy(mutex);
  mutex = nullptr;
}

void TOVIKLIST::Unlink(TOVIK *t) {
  if (t->prev)
    t->prev->next = t->next;
  else
    first = t->next;
  if (t->next)
    t->next->prev = t->prev;
  else
    last = t->prev;
  --count;
  t->list = nullptr;
  t->prev = nullptr;
  t->next = nullptr;
}

void TOVIKLIST::Clear() {
  while (first) {
    TOVIK *t = first;
    Unlink(t);
    Memory::Free(t);
  }
}

void TOVIKLIST::Add(std::uint32_t ip) {
  TOVIK *t = first;
  while (t && t->ip != ip)
    t = t->next;
  if (!t) {
    t = static_cast<TOVIK *>(Memory::Alloc(sizeof(TOVIK)));
    // An answer that finds no memory is dropped: the discovery thread has
    // nobody to report to, and the device answers the next probe again.
    if (!t)
      return;
    t->list = this;
    t->prev = last;
    t->next = nullptr;
    if (last)
      last->next = t;
    last = t;
    if (!first)
      first = t;
    ++count;
  }
  t->ip = ip;
  t->port = tovik_upload_port;
}

TOVIKLIST FoundToviks;
std::atomic<int> Find{0};
Socket *FindSock = nullptr;
Thread::Handle FindThread = 0;

namespace {

// Destroyed before FoundToviks (it is defined after it in this file), so the
// thread has ended and the socket is closed before the list goes.
struct TovikFinderGuard {
  ~TovikFinderGuard() { StopTovikFinder(); }
} FinderGuard;

} // namespace

void InitTovikFinder() {
  FindSock = Network::CreateSocket(Network::UDP, 16384, 16384);
  if (!FindSock)
    return;
  Network::SetOption(FindSock, Network::Blocking, 1);
  // Bound from the start, not only by the first probe that goes out: the
  // stop wakes the thread with a byte to this port, and a probe may never go
  // out (no interface to broadcast on) while Find is set.
  Network::Bind(FindSock, 0);
  FindThread = Thread::Create(TovikFinderThread, nullptr);
}

int TovikFinderThread(void *) {
  while (!FindStop.load()) {
    if (Find.load() == 1 && FindSock) {
      Network::Time timeout = {2, 500000};
      // The pause may have ended during the wait: an answer that came
      // after it is not listed (it stays queued until the next probe).
      if (Network::Select(FindSock, 1, 0, &timeout) && !FindStop.load() && Find.load() == 1) {
        char answer[512];
        std::uint32_t ip = 0;
        unsigned int port = 0;
        if (Network::RecvFrom(FindSock, &ip, &port, answer, sizeof answer) > 0) {
          Mutex::Lock(FoundToviks.mutex);
          FoundToviks.Add(ip);
          Mutex::Unlock(FoundToviks.mutex);
        }
      }
    }
    Thread::Sleep(100);
  }
  return 0;
}

void StopTovikFinder() {
  if (FindThread) {
    FindStop.store(true);
    // The thread may wait up to 2.5 s for an answer: one byte from the
    // socket to itself on loopback ends that wait at once.
    const unsigned int port = Network::GetPort(FindSock);
    if (port)
      Network::SendTo(FindSock, loopback, port, tovik_probe, 1);
    Thread::Join(FindThread);
    FindThread = 0;
  }
  FindSock = Network::CloseSocket(FindSock);
}

int SendTovikProbe() {
  if (!FindSock)
    return 0;
  return Network::SendTo(FindSock, Network::broadcast, tovik_probe_port, tovik_probe,
                         sizeof tovik_probe);
}
