// toggle and textbutton, headless: a switch that is off (0) or on (1).
//   toggle: a number turns it off (0) or on (any other), a bang flips it;
//     either sends the new state. "set N" sets it without output.
//   textbutton: in its "mode" 0 (a button) any message sends a bang out of
//     the left outlet; in mode 1 (a toggle) it is a toggle whose state goes
//     out of the middle outlet. The right outlet (mouse events) stays silent.
#include "builtins_internal.hpp"
#include "messages.hpp"

namespace kithost::builtins {

namespace {

struct Toggle {
  t_object header;
  void *out;    ///< toggle: the state; textbutton: the button's bang
  void *state;  ///< textbutton: the state in toggle mode
  void *events; ///< textbutton: mouse events, silent
  bool on;
  t_atom_long mode; ///< textbutton: 0 button, 1 toggle
};

t_class *toggle_class = nullptr;
t_class *textbutton_class = nullptr;

void *toggle_new(t_symbol *s, long, t_atom *) {
  const bool text = s == gensym("textbutton");
  auto *x = static_cast<Toggle *>(object_alloc(text ? textbutton_class : toggle_class));
  if (!x)
    return nullptr;
  if (text) {
    x->events = outlet_new(x, nullptr);
    x->state = intout(x);
  }
  x->out = outlet_new(x, nullptr);
  return x;
}

bool is_textbutton(const Toggle *x) {
  return x->state != nullptr;
}

void toggle_send(Toggle *x) {
  outlet_int(is_textbutton(x) ? x->state : x->out, x->on ? 1 : 0);
}

// A message that is not a number: a toggle flips, a button bangs.
void toggle_press(Toggle *x) {
  if (is_textbutton(x) && x->mode == 0) {
    outlet_bang(x->out);
    return;
  }
  x->on = !x->on;
  toggle_send(x);
}

void toggle_number(Toggle *x, double f) {
  if (is_textbutton(x) && x->mode == 0) {
    outlet_bang(x->out);
    return;
  }
  x->on = f != 0;
  toggle_send(x);
}

void toggle_int(Toggle *x, t_atom_long n) {
  toggle_number(x, n != 0 ? 1 : 0);
}

void toggle_anything(Toggle *x, t_symbol *, long, t_atom *) {
  toggle_press(x);
}

void toggle_set(Toggle *x, double f) {
  x->on = f != 0;
}

void toggle_assist(Toggle *x, void *, long kind, long index, char *text) {
  if (kind == ASSIST_INLET)
    copy_assist(text, "(number) 0 off, else on; (bang) flip; set N: without output");
  else if (!is_textbutton(x))
    copy_assist(text, "(int) 0 or 1");
  else
    copy_assist(text, index == 0   ? "(bang) pressed, in button mode"
                      : index == 1 ? "(int) 0 or 1, in toggle mode"
                                   : "mouse events: never");
}

t_class *define_switch_box(const char *name) {
  t_class *c = class_new(name, reinterpret_cast<method>(toggle_new), nullptr, sizeof(Toggle),
                         nullptr, A_GIMME, 0);
  class_addmethod(c, reinterpret_cast<method>(toggle_press), "bang", 0);
  class_addmethod(c, reinterpret_cast<method>(toggle_int), "int", A_LONG, 0);
  class_addmethod(c, reinterpret_cast<method>(toggle_number), "float", A_FLOAT, 0);
  class_addmethod(c, reinterpret_cast<method>(toggle_set), "set", A_FLOAT, 0);
  class_addmethod(c, reinterpret_cast<method>(toggle_assist), "assist", A_CANT, 0);
  class_register(CLASS_BOX, c);
  return c;
}

} // namespace

void define_toggle() {
  toggle_class = define_switch_box("toggle");
}

void define_textbutton() {
  textbutton_class = define_switch_box("textbutton");
  class_addmethod(textbutton_class, reinterpret_cast<method>(toggle_anything), "anything", A_GIMME,
                  0);
  class_addmethod(textbutton_class, reinterpret_cast<method>(toggle_anything), "list", A_GIMME, 0);
  class_addattr(textbutton_class, attr_offset_new("mode", gensym("long"), 0, nullptr, nullptr,
                                                  calcoffset(Toggle, mode)));
}

} // namespace kithost::builtins
