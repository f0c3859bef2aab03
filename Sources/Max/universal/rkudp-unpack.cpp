// rkudp-unpack: reads controller datagrams that arrive as "FullPacket length
// address" and reports every message in them: type on outlet 3, buffer ID on
// outlet 2, start index on outlet 1, data bytes on outlet 0 (lists of up to
// `size` bytes in list mode, one int per byte in int mode).
//
// The patch steers the output by answering an output with `seek` (move the
// read position), `cancel` (drop the rest of the message) or `size` (list
// length, 0 for no data); the reading loop re-reads them after every output.
//
// The datagram is read in place and never beyond its last byte. Creation
// argument: the list size (0 or none: 256; negative: int mode).
//
// Threads: every method runs on the host thread that sends the message. The
// atoms of a list output are rewritten for the next list: receivers copy them.

#include "ext.h"
#include "ext_obex.h"

#include <cstdint>
#include <cstring>

namespace {

t_class *rkudpunpack_class;

constexpr long max_list_size = 256;
constexpr long index_space = 65536;
constexpr long min_datagram = 11; // signature, sequence number and a 7-byte message

typedef struct _rkudpunpack {
  t_object hdr;
  void *outcmd;
  void *outid;
  void *outoffset;
  void *outdata;
  int32_t seek;   // read position in the current message's data
  uint16_t size;  // largest list (list mode) or 1 (int mode); 0: no data
  uint8_t cancel; // the current message has been cancelled
  uint8_t list;   // 1: list mode, 0: int mode
  t_atom *atoms;  // reused for every list output
  int32_t alloc;  // atoms held by `atoms`
  int32_t busy;   // list outputs in progress: the patch may feed a datagram back
} t_rkudpunpack;

void rkudpunpack_cancel(t_rkudpunpack *x);

// Makes sure the atom array holds `count` atoms; it only grows. Called only
// while no list of this object is on its way through the patch, so the old
// array can go.
bool rkudpunpack_reserve(t_rkudpunpack *x, long count) {
  if (x->alloc >= count) {
    return true;
  }
  t_atom *atoms = (t_atom *)getbytes((t_getbytes_size)(count * sizeof(t_atom)));
  if (!atoms) {
    error("rkudp-unpack: error allocating memory (%d atoms)", (int)count);
    return false;
  }
  if (x->atoms) {
    freebytes(x->atoms, (t_getbytes_size)(x->alloc * sizeof(t_atom)));
  }
  for (long i = 0; i < count; ++i) {
    atom_setlong(&atoms[i], 0);
  }
  x->atoms = atoms;
  x->alloc = (int32_t)count;
  return true;
}

// Outputs the data of a message of n bytes from the read position `seek` on,
// re-reading seek, cancel and size after every output.
void rkudpunpack_data(t_rkudpunpack *x, const unsigned char *data, long n) {
  long pos = x->seek;
  while (pos >= 0) {
    long k = n - pos;
    if (k > x->size) {
      k = x->size;
    }
    if (k <= 0) {
      return;
    }
    if (x->list) {
      // A datagram fed back from inside a list output gets lists of its own,
      // so the atoms still being delivered are neither freed nor rewritten.
      // They come from the heap: a patch may nest such readings as deep as
      // the host lets messages nest, and the stack has no room for a list
      // per level.
      t_atom *nested = nullptr;
      if (x->busy) {
        nested = (t_atom *)getbytes((t_getbytes_size)(k * sizeof(t_atom)));
        if (!nested) {
          error("rkudp-unpack: error allocating memory (%d atoms)", (int)k);
          return;
        }
      } else if (!rkudpunpack_reserve(x, k)) {
        return;
      }
      t_atom *atoms = nested ? nested : x->atoms;
      x->seek = (int32_t)(pos + k);
      for (long i = 0; i < k; ++i) {
        atoms[i].a_type = A_LONG;
        atoms[i].a_w.w_long = data[pos + i];
      }
      ++x->busy;
      outlet_list(x->outdata, nullptr, (short)k, atoms);
      --x->busy;
      if (nested) {
        freebytes(nested, (t_getbytes_size)(k * sizeof(t_atom)));
      }
    } else {
      x->seek = 0;
      do {
        outlet_int(x->outdata, data[pos]);
        ++pos;
      } while (pos < n && x->seek == 0);
      // A seek answering the last int counts from the byte after it. The sum
      // is taken wide: past the 32-bit range it is out of bounds.
      const int64_t next = (int64_t)x->seek + pos;
      if (next > INT32_MAX) {
        rkudpunpack_cancel(x);
        error("rkudp-unpack: seek out of bounds");
      } else {
        x->seek = (int32_t)next;
      }
    }
    pos = x->seek;
  }
}

void *rkudpunpack_new(t_atom_long n) {
  t_rkudpunpack *x = (t_rkudpunpack *)object_alloc(rkudpunpack_class);
  if (!x) {
    return nullptr;
  }
  if (n > max_list_size) {
    error("rkudp: invalid list size (%ld)", (long)n);
    n = 0;
  }
  x->list = n >= 0;
  if (n < 0) {
    x->size = 1;
  } else if (n == 0) {
    x->size = max_list_size;
  } else {
    x->size = (uint16_t)n;
  }
  x->seek = 0;
  x->cancel = 0;
  x->atoms = nullptr;
  x->alloc = 0;
  x->busy = 0;
  // Inlets and outlets are made right to left.
  inlet4(x, x, (char *)"int", (char *)"seek");
  inlet4(x, x, (char *)"int", (char *)"size");
  x->outcmd = intout(x);
  x->outid = intout(x);
  x->outoffset = intout(x);
  x->outdata = x->list ? listout(x) : intout(x);
  return x;
}

void rkudpunpack_packet(t_rkudpunpack *x, t_atom_long length, t_atom_long address) {
  if (length < 1 || length > 65535) {
    error("rkudp-unpack: bogus packet length (%ld)", (long)length);
    return;
  }
  if (length < min_datagram || address == 0) {
    return;
  }
  const unsigned char *p = (const unsigned char *)(t_ptr_uint)address;
  if (p[0] != 0xC0 || p[1] != 0xB7) {
    return;
  }
  // A datagram that the patch feeds back from inside an output of this object
  // leaves the reading of the enclosing message as it found it.
  const int32_t outer_seek = x->seek;
  const uint8_t outer_cancel = x->cancel;
  long pos = 4;
  long remaining = length - 4;
  while (remaining > 6) {
    const unsigned char *m = p + pos;
    const unsigned type = m[0];
    const unsigned id = m[1];
    const long ml = (m[2] << 8) | m[3];
    // A length of 0, or one reaching past the datagram, ends its reading:
    // nothing beyond its last byte is read.
    if (ml == 0 || ml > remaining) {
      break;
    }
    const long step = (ml + 1) & ~1L;
    pos += step;
    remaining -= step;

    x->cancel = 0;
    x->seek = 0;
    long start;
    const unsigned char *data;
    long n;
    if (type == 0xC9 || type == 0xCA) {
      if (ml <= 6 || id == 0) {
        continue;
      }
      start = (m[4] << 8) | m[5];
      data = m + 6;
      n = ml - 6;
    } else {
      if (ml <= 3) {
        continue;
      }
      start = 0;
      data = m + 4;
      n = ml - 4;
    }
    if (start + n > index_space) {
      continue;
    }
    outlet_int(x->outcmd, type);
    if (x->cancel) {
      continue;
    }
    outlet_int(x->outid, id);
    if (x->cancel || x->seek < 0 || x->seek >= n) {
      continue;
    }
    outlet_int(x->outoffset, start + x->seek);
    rkudpunpack_data(x, data, n);
  }
  x->seek = outer_seek;
  x->cancel = outer_cancel;
}

void rkudpunpack_cancel(t_rkudpunpack *x) {
  x->cancel = 1;
  // Every position derived from this stays negative, so nothing more of the
  // message is output.
  x->seek = INT32_MIN;
}

// Moves the read position by d bytes; past the 32-bit range the message is
// cancelled.
void rkudpunpack_seek(t_rkudpunpack *x, t_atom_long d) {
  if (x->cancel) {
    return;
  }
  if (d > (int64_t)INT32_MAX - x->seek || d < (int64_t)INT32_MIN - x->seek) {
    rkudpunpack_cancel(x);
    error("rkudp-unpack: seek out of bounds");
    return;
  }
  x->seek = (int32_t)(x->seek + d);
}

// Sizes are read as unsigned 32-bit values: a negative one is out of range.
void rkudpunpack_size(t_rkudpunpack *x, t_atom_long s) {
  if (s < 0 || s > max_list_size) {
    error("rkudp-unpack: illegal list size (%ld)", (long)s);
    s = 0;
  }
  if (!x->list && s > 1) {
    error("rkudp-unpack: can't change list size in int-mode");
    return;
  }
  if (s == 0) {
    rkudpunpack_cancel(x);
  }
  x->size = (uint16_t)s;
}

void rkudpunpack_assist(t_rkudpunpack *x, void *b, long m, long a, char *s) {
  (void)x;
  (void)b;
  const char *text = "???";
  if (m == ASSIST_INLET) {
    switch (a) {
    case 0:
      text = "Datagram (FullPacket)";
      break;
    case 1:
      text = "Output list size (int)";
      break;
    case 2:
      text = "Data seek (int)";
      break;
    }
  } else if (m == ASSIST_OUTLET) {
    switch (a) {
    case 0:
      text = "Data bytes (int or list)";
      break;
    case 1:
      text = "Start index (int)";
      break;
    case 2:
      text = "Buffer ID (int)";
      break;
    case 3:
      text = "Message type (int)";
      break;
    }
  }
  strncpy_zero(s, text, ASSIST_MAX_STRING_LEN);
}

void rkudpunpack_free(t_rkudpunpack *x) {
  if (x->atoms) {
    freebytes(x->atoms, (t_getbytes_size)(x->alloc * sizeof(t_atom)));
    x->atoms = nullptr;
    x->alloc = 0;
  }
}

} // namespace

C74_EXPORT void ext_main(void *) {
  t_class *c = class_new("rkudp-unpack", (method)rkudpunpack_new, (method)rkudpunpack_free,
                         sizeof(t_rkudpunpack), nullptr, A_DEFLONG, 0);
  class_addmethod(c, (method)rkudpunpack_packet, "FullPacket", A_LONG, A_LONG, 0);
  class_addmethod(c, (method)rkudpunpack_cancel, "cancel", 0);
  class_addmethod(c, (method)rkudpunpack_seek, "seek", A_LONG, 0);
  class_addmethod(c, (method)rkudpunpack_size, "size", A_LONG, 0);
  class_addmethod(c, (method)rkudpunpack_assist, "assist", A_CANT, 0);
  class_register(CLASS_BOX, c);
  rkudpunpack_class = c;
}

// Hosts older than ext_main look for main.
C74_EXPORT int main(void) {
  ext_main(nullptr);
  return 0;
}
