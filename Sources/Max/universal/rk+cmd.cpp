// rk+cmd: encodes the data bytes of a controller command in the controller's
// text form. A message opens with an asterisk, carries each data byte as two
// upper-case hexadecimal digits and ends with a number sign; every character
// goes out of the only outlet as an int holding its code.
//
//   int 1, int 171, bang  ->  42 48 49 65 66 35   ("*01AB#")
//
// Only the low 8 bits of a data byte count (256 encodes as "00", -1 as
// "FF"). List elements that are floats count by their value truncated toward
// zero (saturated at the limits of a long, NaN as 0); symbols count as 0.
#include "ext.h"
#include "ext_obex.h"

#include "float_to_long.h"

namespace {

t_class *rkpcmd_class;

typedef struct _rkpcmd {
  t_object hdr;
  int32_t inmsg; // 1 while a message is open: its asterisk is out, its number sign is not
  void *outdata; // encoded characters (int)
} t_rkpcmd;

constexpr char hex[] = "0123456789ABCDEF";

// A message opens with an asterisk and ends (end of message) with a number sign.
constexpr t_atom_long rkpcmd_asterisk = '*';
constexpr t_atom_long rkpcmd_eom = '#';

// Sends the asterisk when no message is open yet.
void rkpcmd_open(t_rkpcmd *x) {
  if (!x->inmsg) {
    x->inmsg = 1;
    outlet_int(x->outdata, rkpcmd_asterisk);
  }
}

void rkpcmd_encode(t_rkpcmd *x, t_atom_long v) {
  const unsigned byte = (unsigned)(v & 0xFF);
  outlet_int(x->outdata, hex[byte >> 4]);
  outlet_int(x->outdata, hex[byte & 0xF]);
}

// The integer value of a list element: a float's by float_to_long, a
// symbol's 0.
t_atom_long rkpcmd_atomvalue(const t_atom *a) {
  if (a->a_type == A_LONG) {
    return a->a_w.w_long;
  }
  if (a->a_type != A_FLOAT) {
    return 0;
  }
  return float_to_long(a->a_w.w_float);
}

void *rkpcmd_new(void) {
  t_rkpcmd *x = (t_rkpcmd *)object_alloc(rkpcmd_class);
  if (!x) {
    return nullptr;
  }
  x->outdata = intout(x);
  x->inmsg = 0;
  return x;
}

void rkpcmd_list(t_rkpcmd *x, t_symbol *s, long argc, t_atom *argv) {
  (void)s;
  rkpcmd_open(x);
  for (long i = 0; i < argc; i++) {
    rkpcmd_encode(x, rkpcmd_atomvalue(argv + i));
  }
}

void rkpcmd_int(t_rkpcmd *x, t_atom_long n) {
  rkpcmd_open(x);
  rkpcmd_encode(x, n);
}

void rkpcmd_bang(t_rkpcmd *x) {
  if (x->inmsg) {
    x->inmsg = 0;
    outlet_int(x->outdata, rkpcmd_eom);
  }
}

void rkpcmd_reset(t_rkpcmd *x) {
  x->inmsg = 0;
}

void rkpcmd_assist(t_rkpcmd *x, void *b, long m, long a, char *s) {
  (void)x;
  (void)b;
  (void)a;
  if (m == ASSIST_INLET) {
    strncpy_zero(s, "Message data bytes (int or list), bang for EOM", ASSIST_MAX_STRING_LEN);
  } else if (m == ASSIST_OUTLET) {
    strncpy_zero(s, "Encoded data bytes (int)", ASSIST_MAX_STRING_LEN);
  }
}

} // namespace

C74_EXPORT void ext_main(void *) {
  t_class *c = class_new("rk+cmd", (method)rkpcmd_new, nullptr, sizeof(t_rkpcmd), nullptr, 0);
  class_addmethod(c, (method)rkpcmd_list, "list", A_GIMME, 0);
  class_addmethod(c, (method)rkpcmd_int, "int", A_LONG, 0);
  class_addmethod(c, (method)rkpcmd_bang, "bang", 0);
  class_addmethod(c, (method)rkpcmd_reset, "reset", 0);
  class_addmethod(c, (method)rkpcmd_assist, "assist", A_CANT, 0);
  class_register(CLASS_BOX, c);
  rkpcmd_class = c;
}

// Hosts older than ext_main look for main.
C74_EXPORT int main(void) {
  ext_main(nullptr);
  return 0;
}
