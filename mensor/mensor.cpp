// mensor: reports the size in bytes of a file found by name in the host's
// search path, or chosen in the host's open-file dialog.
//
// "open NAME" (or "open" alone, for the dialog) is carried out later, from
// the host's low-priority queue; it opens the file only to ask for its end
// and closes it again before it returns. The outcome goes out of the one
// outlet as an int: the size, -1 when the name is not found, or the host's
// non-zero code when the file cannot be opened. A cancelled dialog sends
// nothing. "bang" sends the size of the last file measured.
//
// A name must fit the 256-byte name buffer with its terminating NUL: a
// longer one is not looked up and counts as not found. The size is kept as a
// 32-bit signed value; larger sizes are narrowed to it.
#include "ext.h"
#include "ext_obex.h"

namespace {

t_class *mensor_class;

// An argument equal to this (by identity) means that no file name was given.
t_symbol *ps_nothing;

constexpr int mensor_name_chars = 256;

typedef struct mensor {
  t_object ob;
  t_filehandle fh; // the open file, null between messages
  int32_t eof;     // size in bytes of the last file measured
  int16_t isopen;  // 1 while fh holds an open file
  void *out;
} mensor_object;

void mensor_doopen(mensor_object *x, t_symbol *s, short argc, t_atom *argv);

void mensor_close(mensor_object *x) {
  if (x->isopen == 1) {
    sysfile_close(x->fh);
    x->fh = nullptr;
    x->isopen = 0;
  }
}

// Copies the symbol's name with its NUL into `name` (mensor_name_chars
// bytes); false, with nothing copied, when it does not fit.
bool mensor_copyname(char *name, const t_symbol *s) {
  const char *src = s->s_name;
  int len = 0;
  while (src[len]) {
    if (++len >= mensor_name_chars) {
      return false;
    }
  }
  for (int i = 0; i <= len; i++) {
    name[i] = src[i];
  }
  return true;
}

void *mensor_new(t_symbol *s) {
  mensor_object *x = (mensor_object *)object_alloc(mensor_class);
  if (!x) {
    return nullptr;
  }
  x->out = intout(x);
  x->isopen = 0;
  x->fh = nullptr;
  x->eof = 0;
  // Measured at once, so that the first bang reports the file's size.
  if (s && s != ps_nothing) {
    mensor_doopen(x, s, 0, nullptr);
  }
  return x;
}

void mensor_bang(mensor_object *x) {
  outlet_int(x->out, x->eof);
}

void mensor_open(mensor_object *x, t_symbol *s) {
  defer_low(x, (method)mensor_doopen, s, 0, nullptr);
}

void mensor_doopen(mensor_object *x, t_symbol *s, short argc, t_atom *argv) {
  (void)argc;
  (void)argv;
  // The dialog writes a name of up to MAX_FILENAME_CHARS bytes, so the buffer
  // is that large; names given in a message are held to mensor_name_chars.
  char name[MAX_FILENAME_CHARS];
  short path = 0;
  t_fourcc type = 0;
  t_fourcc typelist = 0;

  mensor_close(x);

  if (!s || s == ps_nothing) {
    name[0] = 0;
    if (open_dialog(name, &path, &type, nullptr, 0)) {
      return;
    }
  } else if (!mensor_copyname(name, s) || locatefile_extended(name, &path, &type, &typelist, -1)) {
    outlet_int(x->out, -1);
    return;
  }

  const short err = path_opensysfile(name, path, &x->fh, PATH_READ_PERM);
  if (err) {
    x->fh = nullptr;
    outlet_int(x->out, err);
    return;
  }
  x->isopen = 1;

  t_ptr_size size = 0;
  const t_max_err res = sysfile_geteof(x->fh, &size);
  if (res) {
    // Not measured: report the host's code rather than a size of 0.
    mensor_close(x);
    outlet_int(x->out, res);
    return;
  }
  x->eof = (int32_t)size;
  // Closed before the size goes out: whatever the outlet sets off in the
  // patch finds no file left open.
  mensor_close(x);
  outlet_int(x->out, x->eof);
}

void mensor_assist(mensor_object *x, void *b, long m, long a, char *s) {
  (void)x;
  (void)b;
  const char *text = nullptr;
  if (m == ASSIST_INLET && a == 0) {
    text = "open, bang";
  } else if (m == ASSIST_OUTLET && a == 0) {
    text = "mensor <int>";
  }
  if (text) {
    strncpy_zero(s, text, ASSIST_MAX_STRING_LEN);
  }
}

void mensor_free(mensor_object *x) {
  mensor_close(x);
}

} // namespace

C74_EXPORT void ext_main(void *) {
  t_class *c = class_new("mensor", (method)mensor_new, (method)mensor_free, sizeof(mensor_object),
                         nullptr, A_DEFSYM, 0);
  class_addmethod(c, (method)mensor_bang, "bang", 0);
  class_addmethod(c, (method)mensor_open, "open", A_DEFSYM, 0);
  class_addmethod(c, (method)mensor_assist, "assist", A_CANT, 0);
  class_register(CLASS_BOX, c);
  mensor_class = c;
  post("mensor: file size reporter");
  ps_nothing = gensym("");
}

// Hosts older than ext_main look for main.
C74_EXPORT int main(void) {
  ext_main(nullptr);
  return 0;
}
