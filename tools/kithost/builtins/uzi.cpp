// uzi [N] [START]: a bang sends N bangs (1 without an argument) out of the
// left outlet, each after its number (from START, 1 at first) out of the
// right outlet; then a bang out of the middle outlet. An int sets N and
// starts. The right inlet keeps N. "break" stops the loop; "pause" stops it
// where it is and "resume" (or "continue") goes on from there.
#include "builtins_internal.hpp"
#include "messages.hpp"

namespace kithost::builtins {

namespace {

struct Uzi {
  t_object header;
  void *bang_out;
  void *done_out;
  void *index_out;
  void *proxy;
  long inlet;
  t_atom_long times;
  t_atom_long start;
  t_atom_long next; ///< the count of the next bang, from 0
  bool running;
  bool stop; ///< "break" or "pause" during the loop
  bool paused;
};

t_class *uzi_class = nullptr;

void *uzi_new(t_symbol *, long argc, t_atom *argv) {
  auto *x = static_cast<Uzi *>(object_alloc(uzi_class));
  if (!x)
    return nullptr;
  x->times = argc >= 1 ? atom_getlong(argv) : 1;
  x->start = argc >= 2 ? atom_getlong(argv + 1) : 1;
  x->proxy = proxy_new(x, 1, &x->inlet);
  x->index_out = intout(x);
  x->done_out = bangout(x);
  x->bang_out = bangout(x);
  return x;
}

void uzi_free(Uzi *x) {
  object_free(x->proxy);
}

void run(Uzi *x) {
  // A loop started inside itself (a bang fed back) is its own: the outer
  // one ends when it returns.
  x->running = true;
  x->stop = false;
  while (x->next < x->times && !x->stop) {
    const t_atom_long count = x->next++;
    // The index wraps, as ints do, rather than overflow.
    outlet_int(x->index_out, static_cast<t_atom_long>(static_cast<t_ptr_uint>(x->start) +
                                                      static_cast<t_ptr_uint>(count)));
    outlet_bang(x->bang_out);
  }
  x->running = false;
  if (x->stop)
    return;
  outlet_bang(x->done_out);
}

void uzi_bang(Uzi *x) {
  if (proxy_getinlet(&x->header) != 0) {
    error("uzi: a bang goes into the left inlet");
    return;
  }
  x->next = 0;
  x->paused = false;
  run(x);
}

void uzi_int(Uzi *x, t_atom_long n) {
  x->times = n;
  if (proxy_getinlet(&x->header) == 0)
    uzi_bang(x);
}

void uzi_break(Uzi *x) {
  x->stop = x->running;
  x->paused = false;
}

void uzi_pause(Uzi *x) {
  x->stop = x->running;
  x->paused = x->running;
}

void uzi_resume(Uzi *x) {
  if (!x->paused || x->running)
    return;
  x->paused = false;
  run(x);
}

void uzi_assist(Uzi *, void *, long kind, long index, char *text) {
  if (kind == ASSIST_INLET)
    copy_assist(text, index == 0 ? "(bang) start, (int) N and start; break, pause, resume"
                                 : "(int) N, kept");
  else
    copy_assist(text, index == 0   ? "(bang) N times"
                      : index == 1 ? "(bang) when done"
                                   : "(int) the number of each bang");
}

} // namespace

void define_uzi() {
  uzi_class = class_new("uzi", reinterpret_cast<method>(uzi_new),
                        reinterpret_cast<method>(uzi_free), sizeof(Uzi), nullptr, A_GIMME, 0);
  class_addmethod(uzi_class, reinterpret_cast<method>(uzi_bang), "bang", 0);
  class_addmethod(uzi_class, reinterpret_cast<method>(uzi_int), "int", A_LONG, 0);
  class_addmethod(uzi_class, reinterpret_cast<method>(uzi_break), "break", 0);
  class_addmethod(uzi_class, reinterpret_cast<method>(uzi_pause), "pause", 0);
  class_addmethod(uzi_class, reinterpret_cast<method>(uzi_resume), "resume", 0);
  class_addmethod(uzi_class, reinterpret_cast<method>(uzi_resume), "continue", 0);
  class_addmethod(uzi_class, reinterpret_cast<method>(uzi_assist), "assist", A_CANT, 0);
  class_addmethod(uzi_class, reinterpret_cast<method>(stdinletinfo), "inletinfo", A_CANT, 0);
  class_register(CLASS_BOX, uzi_class);
}

} // namespace kithost::builtins
