// TovikLoader: uploads project files to a Tovik over TCP ("load", "import"),
// finds devices by a UDP broadcast ("scan") and sets a device's OSC targets
// ("target"). Outlets: left, "error" code text and the scan reports; right,
// a bang when a message went out whole.
//
// Threads: every method and clock runs on a host thread, which a transfer
// blocks (up to 2.5 s per connect and per wait for writability, and 100 ms
// before the bang). The discovery thread (TovikFinder.h) only fills the
// device list.
#include "ext.h"
#include "ext_obex.h"

#include "TovikFinder.h"

#include "communication/network.h"
#include "system/file.h"
#include "system/memory.h"
#include "system/mutex.h"
#include "system/thread.h"
#include "types/string.h"
#include "types/text.h"

#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace {

t_class *TovikLoader_class = nullptr;

struct t_TovikLoader {
  t_object ob;
  std::int32_t targetIndex;
  char targetIP[16];
  std::int32_t targetPort;
  unsigned char *message;
  std::int32_t messageSize;
  t_clock *scanClock;
  t_clock *sendClock;
  t_clock *targetClock;
  t_symbol *host;
  t_atom_long port; // the host stores a "long" attribute as a t_atom_long
  bool collecting;  // this object set Find and its pause has not ended
  void *bangOut;
  void *listOut;
};

// An upload message: its length, the address and the type tags (each padded
// with zeros to a multiple of 4 bytes), the payload's length, the payload,
// and 1 to 4 zero bytes that end it on a multiple of 4.
constexpr char upload_address[8] = "/vxdl";
constexpr char upload_type_tags[4] = ",b";
constexpr int length_size = 4;
constexpr int address_at = length_size;
constexpr int type_tags_at = address_at + sizeof upload_address;
constexpr int payload_length_at = type_tags_at + sizeof upload_type_tags;
constexpr int payload_at = payload_length_at + length_size;
// What a message of n payload bytes takes: its framing, the payload and at
// least one closing zero byte, rounded down to a multiple of 4.
constexpr long long MessageSize(long long n) {
  return (n + payload_at + 4) & ~3LL;
}

// The largest payload whose framed message still has a 32-bit signed size.
constexpr long long max_payload = INT_MAX - (payload_at + 4);

// The tags an import wraps around the file: one window tag per element of
// the window path (in place of %s), outermost first.
constexpr char window_open_tag[] = "<WINDOW text=\"%s\">\n";
constexpr char copy_open_tag[] = "<COPY>\n";
constexpr char copy_close_tag[] = "</COPY>\n";
constexpr char window_close_tag[] = "</WINDOW>\n";

// The length of a text constant, without its terminating zero.
template <std::size_t N> constexpr long long TextLength(const char (&)[N]) {
  return N - 1;
}

void TovikLoader_scanresult(t_TovikLoader *x);
void TovikLoader_sendmsg(t_TovikLoader *x);
void TovikLoader_finishsendmsg(t_TovikLoader *x);
void TovikLoader_sendipmsg(t_TovikLoader *x);
void TovikLoader_finishsendipmsg(t_TovikLoader *x);

bool IsAuto(const t_symbol *host) {
  return host && std::strcmp(host->s_name, "auto") == 0;
}

void PostError(t_TovikLoader *x, int code, const char *text) {
  t_atom atoms[2];
  atom_setlong(&atoms[0], code);
  if (text)
    atom_setsym(&atoms[1], gensym(text));
  outlet_anything(x->listOut, gensym("error"), text ? 2 : 1, atoms);
}

// Puts a message of `n` payload bytes into the slot with its framing written;
// returns the payload area, or null when the block cannot be had.
unsigned char *InitMessage(t_TovikLoader *x, int n) {
  const int size = static_cast<int>(MessageSize(n));
  auto *m = static_cast<unsigned char *>(Memory::Alloc(size));
  if (!m)
    return nullptr;
  auto put = [m](int at, std::uint32_t v) {
    m[at] = static_cast<unsigned char>(v >> 24);
    m[at + 1] = static_cast<unsigned char>(v >> 16);
    m[at + 2] = static_cast<unsigned char>(v >> 8);
    m[at + 3] = static_cast<unsigned char>(v);
  };
  put(0, static_cast<std::uint32_t>(size - length_size));
  std::memcpy(m + address_at, upload_address, sizeof upload_address);
  std::memcpy(m + type_tags_at, upload_type_tags, sizeof upload_type_tags);
  put(payload_length_at, static_cast<std::uint32_t>(n));
  x->message = m;
  x->messageSize = size;
  return m + payload_at;
}

void FreeMessage(t_TovikLoader *x) {
  Memory::Free(x->message);
  x->message = nullptr;
  x->messageSize = 0;
}

// Writes the closing zero bytes after a payload that ends at `end`.
void PadMessage(t_TovikLoader *x, unsigned char *end) {
  const long long used = end - x->message;
  std::memset(end, 0, static_cast<std::size_t>(x->messageSize - used));
}

// Whether a load or import may take the slot now; reports why not (error 4
// before error 1).
bool SlotAndHostReady(t_TovikLoader *x) {
  if (x->message) {
    PostError(x, 4, "sending queue is full");
    return false;
  }
  if (!x->host || x->port == 0) {
    PostError(x, 1, "missing host argument");
    return false;
  }
  return true;
}

// The address in `host`, read exactly: a text that is not one is never
// taken for a nearby address (a part above 255 would otherwise become 255
// and the upload go to some other machine). The address 0 counts as none.
bool ReadHostAddress(const t_TovikLoader *x, std::uint32_t *address) {
  return String::getexactip(x->host->s_name, address) && *address != 0;
}

// With the host "auto" and no device listed yet: probes, collects answers and
// arms `clock` to finish the send in 1000 ms. Returns whether it deferred.
bool DeferUntilDevicesAnswer(t_TovikLoader *x, t_clock *clock) {
  if (!IsAuto(x->host))
    return false;
  Mutex::Lock(FoundToviks.mutex);
  const int count = FoundToviks.count;
  Mutex::Unlock(FoundToviks.mutex);
  if (count != 0)
    return false;
  // The probe's result is not looked at: when it did not go out, the pause
  // still runs and the send then reports "no Tovik found", the error a
  // patch can act on.
  SendTovikProbe();
  x->collecting = true;
  Find.store(1);
  clock_fdelay(clock, 1000);
  return true;
}

// Writes the address of the first local interface on the device's network
// into `out` (16 bytes); 1 when one was found, else 0.
int GetBestLocalIP(char *out, std::uint32_t device) {
  const int count = Network::GetLocalInterfacesCount();
  for (int i = 0; i < count; ++i) {
    std::uint32_t address = 0, mask = 0;
    if (!Network::GetLocalInterface(i, &address, &mask))
      continue;
    if ((mask & device) == (mask & address)) {
      char text[16];
      string ip(text, sizeof text);
      ip.putip(address);
      std::memcpy(out, text, sizeof text);
      return 1;
    }
  }
  return 0;
}

void *TovikLoader_new(t_symbol *, long argc, t_atom *argv) {
  auto *x = static_cast<t_TovikLoader *>(object_alloc(TovikLoader_class));
  if (!x)
    return nullptr;
  x->port = tovik_upload_port;
  x->scanClock = clock_new(x, (method)TovikLoader_scanresult);
  x->sendClock = clock_new(x, (method)TovikLoader_finishsendmsg);
  x->targetClock = clock_new(x, (method)TovikLoader_finishsendipmsg);
  x->message = nullptr;
  x->messageSize = 0;
  x->targetIP[0] = 0;
  x->collecting = false;
  attr_args_process(x, static_cast<short>(argc), argv);
  x->bangOut = bangout(x);
  x->listOut = listout(x);
  return x;
}

// ---- Upload ------------------------------------------------------------------

// Reads the file, natively or through the host's search path, into a new
// message framed with the prefix and suffix, and hands it on. Nothing that
// was not read whole is ever sent.
void Load(t_TovikLoader *x, t_symbol *name, const char *prefix, const char *suffix) {
  if (!SlotAndHostReady(x))
    return;
  const long long prefixLength = prefix ? std::strlen(prefix) : 0;
  const long long suffixLength = suffix ? std::strlen(suffix) : 0;

  std::FILE *file = File::OpenRegular(name->s_name);
  t_handle text = nullptr;
  long long size = -1;
  if (file) {
    size = File::Size(file);
  } else if (std::strlen(name->s_name) < MAX_FILENAME_CHARS) {
    // The host's search path, for a name that fits its 512-byte buffer
    // whole: a cut name could find some other file.
    char buffer[MAX_FILENAME_CHARS];
    std::strcpy(buffer, name->s_name);
    short path = 0;
    t_fourcc type = 0;
    t_fourcc types[1] = {0x54455854}; // 'TEXT'
    t_filehandle hostFile = nullptr;
    if (locatefile_extended(buffer, &path, &type, types, 1) == 0 &&
        path_opensysfile(buffer, path, &hostFile, PATH_READ_PERM) == 0) {
      text = sysmem_newhandle(0);
      if (text && sysfile_readtextfile(hostFile, text, 0, TEXT_LB_NATIVE) == MAX_ERR_NONE)
        size = static_cast<long long>(sysmem_handlesize(text));
      sysfile_close(hostFile);
    }
  }

  unsigned char *payload = nullptr;
  if (size >= 0 && size <= max_payload - prefixLength - suffixLength)
    payload = InitMessage(x, static_cast<int>(size + prefixLength + suffixLength));
  bool read = false;
  if (payload) {
    if (prefixLength)
      std::memcpy(payload, prefix, static_cast<std::size_t>(prefixLength));
    unsigned char *content = payload + prefixLength;
    if (file) {
      read = std::fread(content, 1, static_cast<std::size_t>(size), file) ==
             static_cast<std::size_t>(size);
    } else {
      if (size)
        std::memcpy(content, *text, static_cast<std::size_t>(size));
      read = true;
    }
    if (suffixLength)
      std::memcpy(content + size, suffix, static_cast<std::size_t>(suffixLength));
    PadMessage(x, content + size + suffixLength);
  }
  if (file)
    std::fclose(file);
  if (text)
    sysmem_freehandle(text);

  if (!read) {
    FreeMessage(x);
    PostError(x, 3, "couldn't open file");
    return;
  }
  TovikLoader_sendmsg(x);
}

void TovikLoader_load(t_TovikLoader *x, t_symbol *name) {
  Load(x, name, "<RESET/>\n", nullptr);
}

void TovikLoader_import(t_TovikLoader *x, t_symbol *, long argc, t_atom *argv) {
  // Silent by the object's contract (its reference page): an import without
  // a file name is ignored, not refused. Patches were made against an object
  // that does nothing here, and an "error" would reach their error handling.
  if (argc <= 0 || argv[0].a_type != A_SYM)
    return;
  char prefixBuffer[512], suffixBuffer[512], wordBuffer[512];
  string prefix(prefixBuffer, sizeof prefixBuffer);
  string suffix(suffixBuffer, sizeof suffixBuffer);
  string word(wordBuffer, sizeof wordBuffer);
  int levels = 0;
  // The lengths the wrapper texts would have uncut.
  long long prefixWanted = 0;
  if (argc == 2 && argv[1].a_type == A_SYM) {
    const char *at = argv[1].a_w.w_sym->s_name;
    if (*at == '/')
      ++at;
    for (;;) {
      word.clear();
      at = word.getword(at, "/");
      if (word.length == 0)
        break;
      prefix.catf(window_open_tag, word.buffer);
      // The element takes the place of the two characters of %s.
      prefixWanted += TextLength(window_open_tag) - 2 + word.length;
      ++levels;
      if (*at)
        ++at;
    }
  }
  prefix.strcat(copy_open_tag);
  suffix.strcpy(copy_close_tag);
  for (int i = 0; i < levels; ++i)
    suffix.strcat(window_close_tag);
  prefixWanted += TextLength(copy_open_tag);
  const long long suffixWanted = TextLength(copy_close_tag) + TextLength(window_close_tag) * levels;
  // The wrapper texts live in 512-byte buffers: a window path too long for
  // them would send cut tags, so such an import is refused instead (after
  // the slot and host checks, which come first). A word cut by its buffer
  // makes the prefix too long as well.
  if (!SlotAndHostReady(x))
    return;
  if (prefixWanted > prefix.capacity - 1 || suffixWanted > suffix.capacity - 1) {
    PostError(x, 3, "window path too long");
    return;
  }
  Load(x, argv[0].a_w.w_sym, prefixBuffer, suffixBuffer);
}

void TovikLoader_sendmsg(t_TovikLoader *x) {
  if (!DeferUntilDevicesAnswer(x, x->sendClock))
    TovikLoader_finishsendmsg(x);
}

void TovikLoader_finishsendmsg(t_TovikLoader *x) {
  if (!x->message)
    return;
  Socket *socket = Network::CreateSocket(Network::TCP, 16384, 16384);
  // Silent by the object's contract: none of its error codes stands for a
  // machine that cannot make a socket, so the message is dropped with the
  // slot freed for the next one. (The host was checked when the message was
  // accepted; it is null here only if the patch cleared it meanwhile.)
  if (!x->host || !socket) {
    FreeMessage(x);
    Network::CloseSocket(socket);
    return;
  }
  std::uint32_t address = 0;
  unsigned int port = 0;
  if (IsAuto(x->host)) {
    x->collecting = false;
    Find.store(0);
    Mutex::Lock(FoundToviks.mutex);
    if (FoundToviks.first) {
      address = FoundToviks.first->ip;
      port = FoundToviks.first->port;
    }
    Mutex::Unlock(FoundToviks.mutex);
    if (!port) {
      FreeMessage(x);
      PostError(x, 2, "no Tovik found");
      Network::CloseSocket(socket);
      return;
    }
  } else {
    if (!ReadHostAddress(x, &address)) {
      FreeMessage(x);
      PostError(x, 1, "couldn't read host argument");
      Network::CloseSocket(socket);
      return;
    }
    port = static_cast<unsigned int>(x->port);
  }

  Network::SetOption(socket, Network::Blocking, 0);
  // A connection neither made nor refused within the wait is reported on
  // standard output only, by the object's contract: patches were made
  // against an outlet that stays quiet for a device that is not there. The
  // message is dropped and the next one accepted.
  if (!Network::Connect(socket, address, port)) {
    std::printf("connection failed\n");
    std::fflush(stdout);
    Network::CloseSocket(socket);
    FreeMessage(x);
    return;
  }
  int sent = 0;
  while (sent < x->messageSize) {
    Network::Time timeout = {2, 500000};
    const int ready = Network::Select(socket, 0, 1, &timeout);
    const int n = Network::Send(socket, x->message + sent, x->messageSize - sent);
    if (n > 0)
      sent += n;
    else if (n < 0 || !ready)
      break; // a socket that stayed unwritable for the whole wait
  }
  if (sent < x->messageSize) {
    PostError(x, 4, "couldn't send data to Tovik");
  } else {
    Thread::Sleep(100);
    outlet_bang(x->bangOut);
  }
  FreeMessage(x);
  Network::CloseSocket(socket);
}

// ---- Discovery ---------------------------------------------------------------

void TovikLoader_scan(t_TovikLoader *x) {
  Mutex::Lock(FoundToviks.mutex);
  FoundToviks.Clear();
  Mutex::Unlock(FoundToviks.mutex);
  // Without a discovery socket, or when the probe did not go out, no report
  // follows, not even "scan start": a report would claim that the network
  // was asked. The list is empty either way, and "auto" then finds nothing.
  if (!FindSock)
    return;
  if (SendTovikProbe() == 0)
    return;
  x->collecting = true;
  Find.store(1);
  clock_fdelay(x->scanClock, 1000);
}

void TovikLoader_scanresult(t_TovikLoader *x) {
  x->collecting = false;
  Find.store(0);
  // The report works on a copy taken under the mutex: the patch may react to
  // a line by scanning again (which frees the records) or by sending (which
  // blocks), neither of which may happen while the list is walked or locked.
  Mutex::Lock(FoundToviks.mutex);
  const int count = FoundToviks.count;
  auto *ips = static_cast<std::uint32_t *>(Memory::Alloc(count * int(sizeof(std::uint32_t))));
  auto *ports = static_cast<std::uint16_t *>(Memory::Alloc(count * int(sizeof(std::uint16_t))));
  int taken = 0;
  if (ips && ports) {
    for (TOVIK *t = FoundToviks.first; t && taken < count; t = t->next, ++taken) {
      ips[taken] = t->ip;
      ports[taken] = t->port;
    }
  }
  Mutex::Unlock(FoundToviks.mutex);

  t_symbol *scan = gensym("scan");
  t_atom atoms[2];
  atom_setsym(&atoms[0], gensym("start"));
  outlet_anything(x->listOut, scan, 1, atoms);
  for (int i = 0; i < taken; ++i) {
    char text[16];
    string ip(text, sizeof text);
    ip.putip(ips[i]);
    atom_setsym(&atoms[0], gensym(text));
    atom_setlong(&atoms[1], ports[i]);
    outlet_anything(x->listOut, scan, 2, atoms);
  }
  atom_setsym(&atoms[0], gensym("done"));
  outlet_anything(x->listOut, scan, 1, atoms);
  Memory::Free(ips);
  Memory::Free(ports);
}

// ---- Targets -----------------------------------------------------------------

// Malformed requests (too few atoms, an index that is not an int of 0 to 7,
// an address that is not a symbol, a port that is not an int) are ignored
// without a report, by the object's contract, as an import without a file
// is. The fields a request set before the check that stops it keep their
// new values: a target send still waiting for its device carries them.
void TovikLoader_target(t_TovikLoader *x, t_symbol *, long argc, t_atom *argv) {
  if (argc < 2)
    return;
  if (!x->host || x->port == 0) {
    PostError(x, 1, "missing host argument");
    return;
  }
  if (argv[0].a_type != A_LONG || argv[0].a_w.w_long < 0 || argv[0].a_w.w_long > 7)
    return;
  x->targetIndex = static_cast<std::int32_t>(argv[0].a_w.w_long);
  const t_atom *port = &argv[1];
  if (argc == 2) {
    x->targetIP[0] = 0;
  } else {
    if (argv[1].a_type != A_SYM)
      return;
    // The device sends its OSC wherever this text says: only an exact
    // address goes into the message, never a text the device might read as
    // some other machine's address. An exact one fits the 15 characters.
    const char *ip = argv[1].a_w.w_sym->s_name;
    if (!String::getexactip(ip, nullptr)) {
      PostError(x, 1, "couldn't read target address");
      return;
    }
    std::strcpy(x->targetIP, ip);
    port = &argv[2];
  }
  if (port->a_type != A_LONG)
    return;
  x->targetPort = static_cast<std::int32_t>(port->a_w.w_long);
  // The slot holds a load or import that waits for its device: refuse
  // rather than overwrite it.
  if (x->message) {
    PostError(x, 4, "sending queue is full");
    return;
  }
  TovikLoader_sendipmsg(x);
}

void TovikLoader_sendipmsg(t_TovikLoader *x) {
  if (!DeferUntilDevicesAnswer(x, x->targetClock))
    TovikLoader_finishsendipmsg(x);
}

void TovikLoader_finishsendipmsg(t_TovikLoader *x) {
  if (!x->host) {
    PostError(x, 1, "missing host argument");
    return;
  }
  // A load or import came in while this request waited for its device.
  if (x->message) {
    PostError(x, 4, "sending queue is full");
    return;
  }
  // The pause for answers ends here (a load in the slot keeps its own).
  if (x->collecting) {
    x->collecting = false;
    Find.store(0);
  }
  if (x->targetIP[0] == 0) {
    std::uint32_t device = 0;
    if (IsAuto(x->host)) {
      bool found = false;
      Mutex::Lock(FoundToviks.mutex);
      if (FoundToviks.first) {
        device = FoundToviks.first->ip;
        found = true;
      }
      Mutex::Unlock(FoundToviks.mutex);
      if (!found) {
        PostError(x, 2, "no Tovik found");
        return;
      }
    } else {
      if (!ReadHostAddress(x, &device)) {
        PostError(x, 1, "couldn't read host argument");
        return;
      }
    }
    if (!GetBestLocalIP(x->targetIP, device)) {
      PostError(x, 5, "couldn't find matching local IP");
      return;
    }
  }
  char text[512];
  string payload(text, sizeof text);
  payload.printf("<OSC target=\"%d\" ip=\"%s\" port=\"%d\"/>", static_cast<int>(x->targetIndex),
                 x->targetIP, static_cast<int>(x->targetPort));
  unsigned char *area = InitMessage(x, payload.length);
  if (!area)
    return;
  std::memcpy(area, text, static_cast<std::size_t>(payload.length));
  PadMessage(x, area + payload.length);
  TovikLoader_finishsendmsg(x);
}

void TovikLoader_free(t_TovikLoader *x) {
  clock_unset(x->sendClock);
  freeobject(static_cast<t_object *>(x->sendClock));
  clock_unset(x->targetClock);
  freeobject(static_cast<t_object *>(x->targetClock));
  clock_unset(x->scanClock);
  freeobject(static_cast<t_object *>(x->scanClock));
  // A message still waiting for its device goes with the object, unsent,
  // and the answers it waited for are no longer collected.
  FreeMessage(x);
  if (x->collecting)
    Find.store(0);
}

} // namespace

C74_EXPORT void ext_main(void *) {
  Network::Init();
  t_class *c = class_new("TovikLoader", (method)TovikLoader_new, (method)TovikLoader_free,
                         sizeof(t_TovikLoader), nullptr, A_GIMME, 0);
  class_addmethod(c, (method)TovikLoader_load, "load", A_SYM, 0);
  class_addmethod(c, (method)TovikLoader_import, "import", A_GIMME, 0);
  class_addmethod(c, (method)TovikLoader_scan, "scan", 0);
  class_addmethod(c, (method)TovikLoader_target, "target", A_GIMME, 0);
  class_addattr(c, attr_offset_new("host", gensym("symbol"), 0, nullptr, nullptr,
                                   calcoffset(t_TovikLoader, host)));
  class_addattr(c, attr_offset_new("port", gensym("long"), 0, nullptr, nullptr,
                                   calcoffset(t_TovikLoader, port)));
  class_register(CLASS_BOX, c);
  TovikLoader_class = c;
  InitTovikFinder();
}

// Hosts older than ext_main look for main.
extern "C" C74_EXPORT int main(void) {
  ext_main(nullptr);
  return 0;
}
