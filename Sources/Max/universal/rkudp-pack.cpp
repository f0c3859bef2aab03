// rkudp-pack: builds controller datagrams from data bytes and sends each
// finished datagram as "FullPacket length address".
//
// A datagram is the signature C0 B7, a 16-bit big-endian sequence number and
// a run of messages. Each message is type (0xCA or 0xC9), buffer ID, 16-bit
// length (header included), 16-bit start index, then one data byte per
// buffer index. Messages start at even offsets; an odd-length message is
// followed by one pad byte, except the last one. The datagram is built in
// place in the record and is at most 1472 bytes long.
//
// Messages: int or list (data bytes), bang (send), goto (start index), id
// (buffer ID), type (0 => 0xCA, 1 => 0xC9), reset (drop the unsent datagram).
// Inlets 1 to 3 take ints as goto, id and type. Creation arguments: buffer ID
// and type. The object reports nothing: data that arrives while a parameter is
// unset is dropped.
//
// Threads: every method runs on the host thread that sends the message. The
// bytes a FullPacket points to stay valid only until the outlet call returns;
// the next write reuses them.

#include "ext.h"
#include "ext_obex.h"

#include <cstdint>
#include <cstring>

#include "float_to_long.h"

namespace {

t_class *rkudppack_class;
t_symbol *ps_FullPacket;

constexpr long datagram_size = 1472;
constexpr long header_size = 4;
constexpr long message_header_size = 6;
// Without an explicit send, a datagram goes out once fewer than 8 bytes are
// free: not enough for a padded message header and one data byte.
constexpr long full_threshold = datagram_size - 8;
constexpr long index_space = 65536;

typedef struct _rkudppack {
  t_object hdr;
  void *outlet;
  unsigned char buf[datagram_size];
  unsigned char *msg; // header of the open message; null when none is open
  unsigned char *top; // next byte to write
  uint32_t offset;    // start index of the next data byte; 0: unset
  uint8_t id;         // buffer ID; 0: unset
  uint8_t type;       // 0xCA or 0xC9; 0: unset
} t_rkudppack;

void rkudppack_type(t_rkudppack *x, t_atom_long n);
void rkudppack_id(t_rkudppack *x, t_atom_long n);
void rkudppack_list(t_rkudppack *x, t_symbol *s, long ac, t_atom *av);

// Closes the open message. Sends the datagram when it holds a message
// (output set) or when it is too full for another one (output clear).
void rkudppack_finish(t_rkudppack *x, bool output) {
  if (x->msg) {
    const long length = x->top - x->msg;
    x->msg[2] = (unsigned char)(length >> 8);
    x->msg[3] = (unsigned char)length;
    x->msg = nullptr;
  }
  const long length = x->top - x->buf;
  if (length <= (output ? header_size : full_threshold)) {
    return;
  }
  // Empty before the send, so that whatever the patch sends back during it
  // starts a new datagram.
  x->top = x->buf + header_size;
  t_atom packet[2];
  atom_setlong(&packet[0], length);
  atom_setlong(&packet[1], (t_atom_long)(t_ptr_uint)x->buf);
  outlet_anything(x->outlet, ps_FullPacket, 2, packet);
  // The datagram just sent carried the number before this increment.
  if (++x->buf[3] == 0) {
    ++x->buf[2];
  }
}

// The low 8 bits of an element's integer value: a float counts by its value
// truncated toward zero, a symbol (or anything else) as 0.
unsigned char rkudppack_byte(const t_atom *a) {
  if (a->a_type == A_LONG) {
    return (unsigned char)(t_ptr_uint)a->a_w.w_long;
  }
  if (a->a_type == A_FLOAT) {
    return float_low_byte(a->a_w.w_float);
  }
  return 0;
}

void *rkudppack_new(t_atom_long id, t_atom_long type) {
  t_rkudppack *x = (t_rkudppack *)object_alloc(rkudppack_class);
  if (!x) {
    return nullptr;
  }
  if (!ps_FullPacket) {
    ps_FullPacket = gensym("FullPacket");
  }
  // Each inlet4 stands just right of the left inlet: made right to left.
  inlet4(x, x, (char *)"int", (char *)"type");
  inlet4(x, x, (char *)"int", (char *)"id");
  inlet4(x, x, (char *)"int", (char *)"goto");
  x->outlet = outlet_new(x, "FullPacket");

  x->buf[0] = 0xC0;
  x->buf[1] = 0xB7;
  x->buf[2] = 0;
  x->buf[3] = 0;
  x->msg = nullptr;
  x->top = x->buf + header_size;
  x->offset = 0;
  x->id = 0;
  x->type = 0;
  rkudppack_type(x, type);
  rkudppack_id(x, id);
  return x;
}

void rkudppack_bang(t_rkudppack *x) {
  rkudppack_finish(x, true);
}

void rkudppack_int(t_rkudppack *x, t_atom_long n) {
  t_atom a;
  atom_setlong(&a, n);
  rkudppack_list(x, nullptr, 1, &a);
}

void rkudppack_list(t_rkudppack *x, t_symbol *s, long ac, t_atom *av) {
  (void)s;
  long left = ac;
  while (left > 0) {
    if (!x->msg) {
      if (!x->type || !x->id || !x->offset) {
        return;
      }
      // A closed message leaves at most full_threshold bytes, so the padded
      // header and at least one data byte always fit here.
      if ((x->top - x->buf) & 1) {
        ++x->top;
      }
      x->msg = x->top;
      x->msg[0] = x->type;
      x->msg[1] = x->id;
      x->msg[4] = (unsigned char)(x->offset >> 8);
      x->msg[5] = (unsigned char)x->offset;
      x->top += message_header_size;
    }
    long n = datagram_size - (x->top - x->buf);
    if (left < n) {
      n = left;
    }
    if (x->offset + n > (uint32_t)index_space) {
      n = index_space - x->offset;
    }
    for (long i = 0; i < n; ++i) {
      x->top[i] = rkudppack_byte(&av[i]);
    }
    x->top += n;
    x->offset += (uint32_t)n;
    av += n;
    left -= n;
    if (x->offset == (uint32_t)index_space) {
      // The index space is used up: drop the rest until the next goto.
      x->offset = 0;
      rkudppack_finish(x, false);
      return;
    }
    if (left == 0) {
      return;
    }
    // The datagram is full: send it and go on in a new message at the
    // advanced start index.
    rkudppack_finish(x, true);
  }
}

// Parameters arrive as longs and are read as unsigned 32-bit values: anything
// negative or too large is out of range and unsets the parameter.
void rkudppack_goto(t_rkudppack *x, t_atom_long n) {
  const uint32_t offset = (n < 0 || n >= index_space) ? 0 : (uint32_t)n;
  if (offset == x->offset) {
    return;
  }
  rkudppack_finish(x, false);
  x->offset = offset;
}

void rkudppack_id(t_rkudppack *x, t_atom_long n) {
  const uint8_t id = (n < 0 || n >= 256) ? 0 : (uint8_t)n;
  if (id == x->id) {
    return;
  }
  rkudppack_finish(x, false);
  x->id = id;
}

void rkudppack_type(t_rkudppack *x, t_atom_long n) {
  uint8_t type = 0;
  if (n == 0 || n == 0xCA) {
    type = 0xCA;
  } else if (n == 1 || n == 0xC9) {
    type = 0xC9;
  }
  if (type == x->type) {
    return;
  }
  rkudppack_finish(x, false);
  x->type = type;
}

void rkudppack_reset(t_rkudppack *x) {
  x->offset = 0;
  x->top = x->buf + header_size;
  x->msg = nullptr;
}

void rkudppack_assist(t_rkudppack *x, void *b, long m, long a, char *s) {
  (void)x;
  (void)b;
  const char *text = "???";
  if (m == ASSIST_INLET) {
    switch (a) {
    case 0:
      text = "Data bytes (int or list), bang for output";
      break;
    case 1:
      text = "Start index (int)";
      break;
    case 2:
      text = "Buffer ID (int), mixer = 254";
      break;
    case 3:
      text = "Message type (int), 0 => 0xCA, 1 => 0xC9";
      break;
    }
  } else if (m == ASSIST_OUTLET && a == 0) {
    text = "Datagram (FullPacket)";
  }
  strncpy_zero(s, text, ASSIST_MAX_STRING_LEN);
}

} // namespace

C74_EXPORT void ext_main(void *) {
  t_class *c = class_new("rkudp-pack", (method)rkudppack_new, nullptr, sizeof(t_rkudppack), nullptr,
                         A_DEFLONG, A_DEFLONG, 0);
  class_addmethod(c, (method)rkudppack_bang, "bang", 0);
  class_addmethod(c, (method)rkudppack_int, "int", A_LONG, 0);
  class_addmethod(c, (method)rkudppack_list, "list", A_GIMME, 0);
  class_addmethod(c, (method)rkudppack_goto, "goto", A_LONG, 0);
  class_addmethod(c, (method)rkudppack_id, "id", A_LONG, 0);
  class_addmethod(c, (method)rkudppack_type, "type", A_LONG, 0);
  class_addmethod(c, (method)rkudppack_reset, "reset", 0);
  class_addmethod(c, (method)rkudppack_assist, "assist", A_CANT, 0);
  class_register(CLASS_BOX, c);
  rkudppack_class = c;
}

// Hosts older than ext_main look for main.
C74_EXPORT int main(void) {
  ext_main(nullptr);
  return 0;
}
