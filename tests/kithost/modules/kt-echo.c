// kt-echo: the object kithost's tests drive. It sends back whatever reaches
// it and, on request, posts, reports errors, writes to standard output,
// arms a clock, defers a call, looks a file up, asks the open-file dialog and
// emits FullPacket datagrams, so that every path of kithost's printing can
// be checked without the kit's own objects.
#include "ext.h"
#include "ext_obex.h"

#include <pthread.h>
#include <stdio.h>
#include <string.h>

typedef struct _ktecho {
  t_object hdr;
  void *out_echo; ///< outlet 0: what came in
  void *out_side; ///< outlet 1: right-inlet ints, ticks, file answers
  t_clock *clock;
  t_atom_long ticks;
  t_atom_long level; ///< attribute, shown by --describe
  unsigned char bytes[256];
  pthread_t chatter; ///< a thread posting console lines, joined before the next or at free
  int chattering;
  long chatter_lines;
} t_ktecho;

static t_class *ktecho_class;

// The atoms as one line of text, for post, error and write.
static void ktecho_text(char *text, size_t size, long ac, const t_atom *av) {
  size_t used = 0;
  text[0] = 0;
  for (long i = 0; i < ac && used < size; ++i) {
    const char *blank = i ? " " : "";
    int n = 0;
    if (av[i].a_type == A_LONG)
      n = snprintf(text + used, size - used, "%s%ld", blank, (long)av[i].a_w.w_long);
    else if (av[i].a_type == A_FLOAT)
      n = snprintf(text + used, size - used, "%s%g", blank, av[i].a_w.w_float);
    else if (av[i].a_type == A_SYM)
      n = snprintf(text + used, size - used, "%s%s", blank, av[i].a_w.w_sym->s_name);
    if (n < 0)
      break;
    used += (size_t)n;
  }
}

static void ktecho_tick(t_ktecho *x) {
  t_atom count;
  atom_setlong(&count, ++x->ticks);
  outlet_anything(x->out_side, gensym("tick"), 1, &count);
}

static void *ktecho_new(t_symbol *s, long ac, t_atom *av) {
  (void)s;
  if (ac > 0 && av[0].a_type == A_SYM && strcmp(av[0].a_w.w_sym->s_name, "refuse") == 0) {
    error("kt-echo: refused to be made");
    return NULL;
  }
  t_ktecho *x = (t_ktecho *)object_alloc(ktecho_class);
  if (!x)
    return NULL;
  x->out_side = outlet_new(x, NULL);
  x->out_echo = outlet_new(x, NULL);
  inlet4(x, x, "int", "right");
  x->clock = clock_new(x, (method)ktecho_tick);
  attr_args_process(x, (short)ac, av);
  return x;
}

static void ktecho_bang(t_ktecho *x) {
  outlet_bang(x->out_echo);
}
static void ktecho_int(t_ktecho *x, t_atom_long n) {
  outlet_int(x->out_echo, n);
}
static void ktecho_float(t_ktecho *x, double f) {
  outlet_float(x->out_echo, f);
}
static void ktecho_list(t_ktecho *x, t_symbol *s, long ac, t_atom *av) {
  outlet_list(x->out_echo, s, (short)ac, av);
}
static void ktecho_anything(t_ktecho *x, t_symbol *s, long ac, t_atom *av) {
  outlet_anything(x->out_echo, s, (short)ac, av);
}
static void ktecho_right(t_ktecho *x, t_atom_long n) {
  outlet_int(x->out_side, n);
}

static void ktecho_say(t_ktecho *x, t_symbol *s, long ac, t_atom *av) {
  (void)x, (void)s;
  char text[512];
  ktecho_text(text, sizeof text, ac, av);
  post("kt-echo: %s", text);
}

static void ktecho_complain(t_ktecho *x, t_symbol *s, long ac, t_atom *av) {
  (void)x, (void)s;
  char text[512];
  ktecho_text(text, sizeof text, ac, av);
  error("kt-echo: %s", text);
}

// Written straight to the process's standard output, without flushing, as
// some objects do.
static void ktecho_write(t_ktecho *x, t_symbol *s, long ac, t_atom *av) {
  (void)x, (void)s;
  char text[512];
  ktecho_text(text, sizeof text, ac, av);
  printf("%s\n", text);
}

static void ktecho_later(t_ktecho *x, t_atom_long ms) {
  clock_delay(x->clock, (long)ms);
}
static void ktecho_cancel(t_ktecho *x) {
  clock_unset(x->clock);
}

static void ktecho_dodefer(t_ktecho *x, t_symbol *s, short ac, t_atom *av) {
  (void)ac, (void)av;
  t_atom word;
  atom_setsym(&word, s);
  outlet_anything(x->out_side, gensym("deferred"), 1, &word);
}

static void ktecho_defer(t_ktecho *x, t_symbol *s) {
  defer_low(x, (method)ktecho_dodefer, s, 0, NULL);
}

// Finds the file in the search path and answers "found SIZE" or "missing".
static void ktecho_locate(t_ktecho *x, t_symbol *s) {
  char name[MAX_PATH_CHARS];
  short path = 0;
  t_fourcc type = 0;
  t_filehandle file = NULL;
  t_ptr_size size = 0;
  snprintf(name, sizeof name, "%s", s->s_name);
  if (locatefile_extended(name, &path, &type, NULL, 0) != 0 ||
      path_opensysfile(name, path, &file, PATH_READ_PERM) != 0) {
    outlet_anything(x->out_side, gensym("missing"), 0, NULL);
    return;
  }
  sysfile_geteof(file, &size);
  sysfile_close(file);
  t_atom answer;
  atom_setlong(&answer, (t_atom_long)size);
  outlet_anything(x->out_side, gensym("found"), 1, &answer);
}

static void ktecho_dialog(t_ktecho *x) {
  char name[MAX_PATH_CHARS] = "";
  short path = 0;
  t_fourcc type = 0;
  if (open_dialog(name, &path, &type, NULL, 0) != 0) {
    outlet_anything(x->out_side, gensym("cancelled"), 0, NULL);
    return;
  }
  t_atom answer;
  atom_setsym(&answer, gensym(name));
  outlet_anything(x->out_side, gensym("chosen"), 1, &answer);
}

// Emits the numbers as the bytes of a FullPacket held in the record.
static void ktecho_emit(t_ktecho *x, t_symbol *s, long ac, t_atom *av) {
  (void)s;
  long count = ac < 256 ? ac : 256;
  for (long i = 0; i < count; ++i)
    x->bytes[i] = (unsigned char)atom_getlong(av + i);
  t_atom packet[2];
  atom_setlong(&packet[0], count);
  atom_setlong(&packet[1], (t_atom_long)x->bytes);
  outlet_anything(x->out_echo, gensym("FullPacket"), 2, packet);
}

// Copies a received packet (valid only during this call) and sends it on.
static void ktecho_fullpacket(t_ktecho *x, t_atom_long count, t_atom_long address) {
  if (count < 0 || count > 256 || (count > 0 && !address)) {
    error("kt-echo: bad FullPacket (%ld bytes)", (long)count);
    return;
  }
  if (count > 0)
    memcpy(x->bytes, (const void *)address, (size_t)count);
  t_atom packet[2];
  atom_setlong(&packet[0], count);
  atom_setlong(&packet[1], (t_atom_long)x->bytes);
  outlet_anything(x->out_echo, gensym("FullPacket"), 2, packet);
}

// Console lines from a thread of the object's own, as network objects post.
static void *ktecho_chatter_thread(void *p) {
  t_ktecho *x = (t_ktecho *)p;
  for (long i = 1; i <= x->chatter_lines; ++i)
    error("kt-echo: chatter %ld", i);
  return NULL;
}

static void ktecho_chatter_join(t_ktecho *x) {
  if (x->chattering)
    pthread_join(x->chatter, NULL);
  x->chattering = 0;
}

static void ktecho_chatter(t_ktecho *x, t_atom_long lines) {
  ktecho_chatter_join(x);
  x->chatter_lines = (long)lines;
  if (pthread_create(&x->chatter, NULL, ktecho_chatter_thread, x) == 0)
    x->chattering = 1;
  else
    error("kt-echo: cannot start a thread");
}

static void ktecho_assist(t_ktecho *x, void *b, long kind, long index, char *text) {
  (void)x, (void)b;
  if (kind == ASSIST_INLET)
    strcpy(text, index == 0 ? "Anything, echoed" : "Int to the right outlet");
  else
    strcpy(text, index == 0 ? "Echoes" : "Right ints, ticks, file answers");
}

static void ktecho_free(t_ktecho *x) {
  ktecho_chatter_join(x);
  freeobject((t_object *)x->clock);
}

C74_EXPORT void ext_main(void *r) {
  (void)r;
  t_class *c = class_new("kt-echo", (method)ktecho_new, (method)ktecho_free, (long)sizeof(t_ktecho),
                         0L, A_GIMME, 0);
  class_addmethod(c, (method)ktecho_bang, "bang", 0);
  class_addmethod(c, (method)ktecho_int, "int", A_LONG, 0);
  class_addmethod(c, (method)ktecho_float, "float", A_FLOAT, 0);
  class_addmethod(c, (method)ktecho_list, "list", A_GIMME, 0);
  class_addmethod(c, (method)ktecho_anything, "anything", A_GIMME, 0);
  class_addmethod(c, (method)ktecho_right, "right", A_LONG, 0);
  class_addmethod(c, (method)ktecho_say, "say", A_GIMME, 0);
  class_addmethod(c, (method)ktecho_complain, "complain", A_GIMME, 0);
  class_addmethod(c, (method)ktecho_write, "write", A_GIMME, 0);
  class_addmethod(c, (method)ktecho_later, "later", A_LONG, 0);
  class_addmethod(c, (method)ktecho_cancel, "cancel", 0);
  class_addmethod(c, (method)ktecho_defer, "defer", A_DEFSYM, 0);
  class_addmethod(c, (method)ktecho_locate, "locate", A_SYM, 0);
  class_addmethod(c, (method)ktecho_dialog, "dialog", 0);
  class_addmethod(c, (method)ktecho_emit, "emit", A_GIMME, 0);
  class_addmethod(c, (method)ktecho_fullpacket, "FullPacket", A_LONG, A_LONG, 0);
  class_addmethod(c, (method)ktecho_chatter, "chatter", A_LONG, 0);
  class_addmethod(c, (method)ktecho_assist, "assist", A_CANT, 0);
  class_addattr(c, attr_offset_new("level", gensym("long"), 0, 0, 0, calcoffset(t_ktecho, level)));
  class_register(CLASS_BOX, c);
  ktecho_class = c;
}
