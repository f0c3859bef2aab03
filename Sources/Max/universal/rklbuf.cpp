// rklbuf: a buffer of 256 atoms written at a moving cursor.
//
// Elements arriving at the left inlet (a list, or one int, float or symbol)
// are stored from the cursor on and the cursor moves past them, whether they
// landed in the buffer or not. After a write that began inside the first
// `size` elements the object outputs those elements as a list (when
// automatic output is on), then the current index, which is the cursor plus
// the base. Floats are kept in single precision.
//
// The cursor, the base and every index are 32-bit values that wrap around as
// 32-bit two's complement numbers do: the arithmetic is done unsigned, and
// the long arguments of goto, seek and base are taken modulo 2^32.
#include "ext.h"
#include "ext_obex.h"

namespace {

t_class *rklbuf_class;

constexpr int rklbuf_atoms = 256;

typedef struct _rklbuf {
  t_object hdr;
  void *outdata;   // the buffer (list)
  void *outpos;    // the current index (int)
  int16_t size;    // elements from element 0 that make up the output list: 0 to 256
  int16_t autoout; // 1: writes and size changes output the buffer; 0: only a bang does
  int32_t base;    // index of element 0 as the patch sees it
  int32_t pos;     // write cursor from element 0; may lie outside the buffer
  t_atom atoms[rklbuf_atoms];
} t_rklbuf;

void rklbuf_output(t_rklbuf *x);

int32_t rklbuf_wrap(t_atom_long n) {
  return (int32_t)(uint32_t)(t_ptr_uint)n;
}

int32_t rklbuf_add(int32_t a, int32_t b) {
  return (int32_t)((uint32_t)a + (uint32_t)b);
}

int32_t rklbuf_sub(int32_t a, int32_t b) {
  return (int32_t)((uint32_t)a - (uint32_t)b);
}

void rklbuf_outindex(t_rklbuf *x) {
  outlet_int(x->outpos, rklbuf_add(x->pos, x->base));
}

void rklbuf_store(t_atom *dst, const t_atom *src) {
  switch (src->a_type) {
  case A_LONG:
    atom_setlong(dst, src->a_w.w_long);
    break;
  case A_FLOAT:
    atom_setfloat(dst, (double)(float)src->a_w.w_float);
    break;
  case A_SYM:
    atom_setsym(dst, src->a_w.w_sym);
    break;
  default:
    // Only longs, floats and symbols live in the buffer.
    atom_setlong(dst, 0);
    break;
  }
}

// The positions of the elements are worked out in 64 bits, where a message's
// count (the host's fit in 16 bits) added to a 32-bit cursor cannot
// overflow; only the new cursor wraps.
void rklbuf_write(t_rklbuf *x, long argc, const t_atom *argv) {
  if (argc <= 0) {
    return;
  }
  const int64_t start = x->pos;
  const int64_t end = start + argc;
  x->pos = (int32_t)(uint32_t)(uint64_t)end;

  if (end > 0 && start < rklbuf_atoms) {
    const int64_t first = start < 0 ? 0 : start;
    const int64_t last = end > rklbuf_atoms ? rklbuf_atoms : end;
    for (int64_t i = first; i < last; i++) {
      rklbuf_store(x->atoms + i, argv + (i - start));
    }
    if (first < x->size && x->autoout == 1) {
      rklbuf_output(x);
    }
  }
  rklbuf_outindex(x);
}

void *rklbuf_new(t_atom_long size, t_atom_long base) {
  t_rklbuf *x = (t_rklbuf *)object_alloc(rklbuf_class);
  if (!x) {
    return nullptr;
  }
  // Both are made right to left: inlets 1 to 3 take goto, size and base;
  // outlet 0 is the buffer, outlet 1 the index.
  inlet4(x, x, (char *)"int", (char *)"base");
  inlet4(x, x, (char *)"int", (char *)"size");
  inlet4(x, x, (char *)"int", (char *)"goto");
  x->outpos = intout(x);
  x->outdata = listout(x);

  // Read as unsigned, so that every negative size is out of range too.
  if ((t_ptr_uint)size > rklbuf_atoms) {
    error("lbuf: invalid buffer size (%lld)", (long long)size);
    size = 0;
  }
  x->size = (int16_t)size;
  x->autoout = 1;
  x->base = rklbuf_wrap(base);
  x->pos = 0;
  for (int i = 0; i < rklbuf_atoms; i++) {
    atom_setlong(x->atoms + i, 0);
  }
  return x;
}

void rklbuf_stop(t_rklbuf *x) {
  x->autoout = 0;
}

void rklbuf_start(t_rklbuf *x) {
  x->autoout = 1;
}

void rklbuf_output(t_rklbuf *x) {
  outlet_list(x->outdata, nullptr, x->size, x->atoms);
}

void rklbuf_list(t_rklbuf *x, t_symbol *s, long argc, t_atom *argv) {
  (void)s;
  rklbuf_write(x, argc, argv);
}

void rklbuf_int(t_rklbuf *x, t_atom_long n) {
  t_atom a;
  atom_setlong(&a, n);
  rklbuf_write(x, 1, &a);
}

void rklbuf_float(t_rklbuf *x, double f) {
  t_atom a;
  atom_setfloat(&a, f);
  rklbuf_write(x, 1, &a);
}

void rklbuf_symbol(t_rklbuf *x, t_symbol *s) {
  t_atom a;
  atom_setsym(&a, s);
  rklbuf_write(x, 1, &a);
}

void rklbuf_base(t_rklbuf *x, t_atom_long n) {
  const int32_t base = rklbuf_wrap(n);
  if (base == x->base) {
    return;
  }
  x->base = base;
  rklbuf_outindex(x);
}

void rklbuf_size(t_rklbuf *x, t_atom_long n) {
  if (n > rklbuf_atoms || n < 0) {
    error("lbuf: invalid buffer size (%lld)", (long long)n);
    return;
  }
  if (n == x->size) {
    return;
  }
  x->size = (int16_t)n;
  if (x->autoout == 1) {
    rklbuf_output(x);
  }
}

void rklbuf_seek(t_rklbuf *x, t_atom_long n) {
  const int32_t delta = rklbuf_wrap(n);
  if (delta == 0) {
    return;
  }
  x->pos = rklbuf_add(x->pos, delta);
  rklbuf_outindex(x);
}

void rklbuf_goto(t_rklbuf *x, t_atom_long n) {
  const int32_t pos = rklbuf_sub(rklbuf_wrap(n), x->base);
  if (pos == x->pos) {
    return;
  }
  x->pos = pos;
  rklbuf_outindex(x);
}

void rklbuf_assist(t_rklbuf *x, void *b, long m, long a, char *s) {
  (void)x;
  (void)b;
  const char *text = "???";
  if (m == ASSIST_INLET) {
    switch (a) {
    case 0:
      text = "Elements (list, int, float, symbol)";
      break;
    case 1:
      text = "Set current index (int)";
      break;
    case 2:
      text = "Buffer size (int)";
      break;
    case 3:
      text = "Buffer base (int)";
      break;
    }
  } else if (m == ASSIST_OUTLET) {
    switch (a) {
    case 0:
      text = "Entire buffer (list)";
      break;
    case 1:
      text = "Current index (int)";
      break;
    }
  }
  strncpy_zero(s, text, ASSIST_MAX_STRING_LEN);
}

} // namespace

C74_EXPORT void ext_main(void *) {
  t_class *c = class_new("rklbuf", (method)rklbuf_new, nullptr, sizeof(t_rklbuf), nullptr,
                         A_DEFLONG, A_DEFLONG, 0);
  class_addmethod(c, (method)rklbuf_stop, "stop", 0);
  class_addmethod(c, (method)rklbuf_start, "start", 0);
  class_addmethod(c, (method)rklbuf_output, "bang", 0);
  class_addmethod(c, (method)rklbuf_list, "list", A_GIMME, 0);
  class_addmethod(c, (method)rklbuf_int, "int", A_LONG, 0);
  class_addmethod(c, (method)rklbuf_float, "float", A_FLOAT, 0);
  class_addmethod(c, (method)rklbuf_symbol, "symbol", A_SYM, 0);
  class_addmethod(c, (method)rklbuf_base, "base", A_LONG, 0);
  class_addmethod(c, (method)rklbuf_size, "size", A_LONG, 0);
  class_addmethod(c, (method)rklbuf_seek, "seek", A_LONG, 0);
  class_addmethod(c, (method)rklbuf_goto, "goto", A_LONG, 0);
  class_addmethod(c, (method)rklbuf_assist, "assist", A_CANT, 0);
  class_register(CLASS_BOX, c);
  rklbuf_class = c;
}

// Hosts older than ext_main look for main.
C74_EXPORT int main(void) {
  ext_main(nullptr);
  return 0;
}
