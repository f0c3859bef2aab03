// gate [N] [OPEN] and switch [N] [OPEN]: a way through that the left inlet
// chooses (0 closed, 1 to N one of the ways; a number above N is N, below 0
// is 0; a float is truncated). OPEN is the way open at first (0).
//   gate: any message into the right inlet goes out of the open outlet of N
//     (1 without an argument).
//   switch: any message into the open one of the N inlets right of the
//     control (2 without an argument) goes out of the outlet; the others'
//     are dropped.
#include "builtins_internal.hpp"
#include "messages.hpp"

#include <vector>

namespace kithost::builtins {

namespace {

struct Gate {
  t_object header;
  std::vector<void *> *outs;    ///< gate: one per way; switch: the one outlet
  std::vector<void *> *proxies; ///< the data inlets
  long inlet;
  t_atom_long ways;
  t_atom_long open;
  bool is_switch;
};

t_class *gate_class = nullptr;
t_class *switch_class = nullptr;

void choose(Gate *x, t_atom_long way) {
  x->open = way < 0 ? 0 : way > x->ways ? x->ways : way;
}

void *gate_new(t_symbol *s, long argc, t_atom *argv) {
  const bool is_switch = s == gensym("switch");
  const t_atom_long ways = argc >= 1 ? atom_getlong(argv) : is_switch ? 2 : 1;
  if (ways < 1 || ways > 256) {
    error("%s: the number of ways must be from 1 to 256", s->s_name);
    return nullptr;
  }
  auto *x = static_cast<Gate *>(object_alloc(is_switch ? switch_class : gate_class));
  if (!x)
    return nullptr;
  x->is_switch = is_switch;
  x->ways = ways;
  choose(x, argc >= 2 ? atom_getlong(argv + 1) : 0);
  x->proxies = new std::vector<void *>;
  for (long id = is_switch ? static_cast<long>(ways) : 1; id >= 1; --id)
    x->proxies->push_back(proxy_new(x, id, &x->inlet));
  x->outs = new std::vector<void *>(is_switch ? 1 : static_cast<std::size_t>(ways));
  for (auto out = x->outs->rbegin(); out != x->outs->rend(); ++out)
    *out = outlet_new(x, nullptr);
  return x;
}

void gate_free(Gate *x) {
  for (void *proxy : *x->proxies)
    object_free(proxy);
  delete x->proxies;
  delete x->outs;
}

void gate_anything(Gate *x, t_symbol *s, long argc, t_atom *argv) {
  const long inlet = proxy_getinlet(&x->header);
  if (inlet == 0) {
    if ((s == gensym("int") || s == gensym("float")) && argc == 1)
      choose(x, atom_getlong(argv));
    else
      error("%s: the left inlet takes the number of the way to open", object_classname(x)->s_name);
    return;
  }
  if (x->open == 0 || (x->is_switch && inlet != x->open))
    return;
  void *out = (*x->outs)[x->is_switch ? 0 : static_cast<std::size_t>(x->open - 1)];
  outlet_message(&x->header, out, s, argc, argv);
}

void gate_assist(Gate *x, void *, long kind, long index, char *text) {
  if (kind == ASSIST_INLET && index == 0)
    copy_assist(text, "(int) the way to open, 0 closes");
  else if (kind == ASSIST_INLET)
    std::snprintf(text, 512,
                  x->is_switch ? "(anything) passed on while way %ld is open"
                               : "(anything) passed to the open way",
                  index);
  else
    std::snprintf(text, 512,
                  x->is_switch ? "(anything) from the open way"
                               : "(anything) while way %ld is open",
                  index + 1);
}

t_class *define_gate_class(const char *name) {
  t_class *c = class_new(name, reinterpret_cast<method>(gate_new),
                         reinterpret_cast<method>(gate_free), sizeof(Gate), nullptr, A_GIMME, 0);
  add_message_methods<Gate, gate_anything>(c);
  class_addmethod(c, reinterpret_cast<method>(gate_assist), "assist", A_CANT, 0);
  class_register(CLASS_BOX, c);
  return c;
}

} // namespace

void define_gate() {
  gate_class = define_gate_class("gate");
}

void define_switch() {
  switch_class = define_gate_class("switch");
}

} // namespace kithost::builtins
