/* A well-formed module: class_new style, one int method that doubles. */
#include "ext.h"
#include "ext_obex.h"

typedef struct {
  t_object ob;
  void *out;
  t_atom_long offset;
} t_good;

static t_class *good_class;

static void *good_new(t_atom_long offset) {
  t_good *x = (t_good *)object_alloc(good_class);
  x->out = intout(x);
  x->offset = offset;
  return x;
}

static void good_int(t_good *x, t_atom_long n) {
  outlet_int(x->out, 2 * n + x->offset);
}

C74_EXPORT int main(void) {
  good_class = class_new("test-good", (method)good_new, 0, sizeof(t_good), 0, A_DEFLONG, 0);
  class_addmethod(good_class, (method)good_int, "int", A_LONG, 0);
  class_register(gensym("box"), good_class);
  post("test-good: entry point ran");
  return 0;
}
