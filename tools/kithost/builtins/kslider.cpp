// kslider, headless: a keyboard. A note number into the left inlet goes out
// of the left outlet with the velocity last given to the right inlet (0 at
// first) out of the right outlet first; a bang sends the last note again;
// "set N" keeps a note without output.
#include "builtins_internal.hpp"
#include "messages.hpp"

namespace kithost::builtins {

namespace {

struct Kslider {
  t_object header;
  void *note_out;
  void *velocity_out;
  t_atom_long note;
  t_atom_long velocity;
};

t_class *kslider_class = nullptr;

void *kslider_new() {
  auto *x = static_cast<Kslider *>(object_alloc(kslider_class));
  if (!x)
    return nullptr;
  intin(x, 1);
  x->velocity_out = intout(x);
  x->note_out = intout(x);
  return x;
}

void kslider_bang(Kslider *x) {
  outlet_int(x->velocity_out, x->velocity);
  outlet_int(x->note_out, x->note);
}
void kslider_int(Kslider *x, t_atom_long note) {
  x->note = note;
  kslider_bang(x);
}
void kslider_set(Kslider *x, t_atom_long note) {
  x->note = note;
}
void kslider_velocity(Kslider *x, t_atom_long velocity) {
  x->velocity = velocity;
}

void kslider_assist(Kslider *, void *, long kind, long index, char *text) {
  if (kind == ASSIST_INLET)
    copy_assist(text, index == 0 ? "(int) a note, sent with the velocity" : "(int) the velocity");
  else
    copy_assist(text, index == 0 ? "(int) the note" : "(int) the velocity");
}

} // namespace

void define_kslider() {
  kslider_class = class_new("kslider", reinterpret_cast<method>(kslider_new), nullptr,
                            sizeof(Kslider), nullptr, 0);
  class_addmethod(kslider_class, reinterpret_cast<method>(kslider_bang), "bang", 0);
  class_addmethod(kslider_class, reinterpret_cast<method>(kslider_int), "int", A_LONG, 0);
  class_addmethod(kslider_class, reinterpret_cast<method>(kslider_set), "set", A_LONG, 0);
  class_addmethod(kslider_class, reinterpret_cast<method>(kslider_velocity), "in1", A_LONG, 0);
  class_addmethod(kslider_class, reinterpret_cast<method>(kslider_assist), "assist", A_CANT, 0);
  class_addmethod(kslider_class, reinterpret_cast<method>(stdinletinfo), "inletinfo", A_CANT, 0);
  class_register(CLASS_BOX, kslider_class);
}

} // namespace kithost::builtins
