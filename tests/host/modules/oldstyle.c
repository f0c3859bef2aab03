/* An older-style module: setup/addint/addbang/addmess, entry point ext_main. */
#include "ext.h"

/* The older registration calls are deprecated in the API, and tested here. */
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"

typedef struct {
  t_object ob;
  void *out;
  t_symbol *name;
} t_oldstyle;

static t_messlist *oldstyle_class;

static void *oldstyle_new(t_symbol *name) {
  t_oldstyle *x = (t_oldstyle *)newobject(oldstyle_class);
  x->out = outlet_new(x, 0);
  x->name = name;
  return x;
}

static void oldstyle_bang(t_oldstyle *x) {
  t_atom a;
  atom_setsym(&a, x->name);
  outlet_anything(x->out, gensym("name"), 1, &a);
}

static void oldstyle_int(t_oldstyle *x, t_atom_long n) {
  outlet_int(x->out, n + 1);
}

static void oldstyle_rename(t_oldstyle *x, t_symbol *s) {
  x->name = s;
}

C74_EXPORT void ext_main(void *r) {
  (void)r;
  setup(&oldstyle_class, (method)oldstyle_new, 0, (short)sizeof(t_oldstyle), 0, A_DEFSYM, 0);
  addbang((method)oldstyle_bang);
  addint((method)oldstyle_int);
  addmess((method)oldstyle_rename, "rename", A_DEFSYM, 0);
}
