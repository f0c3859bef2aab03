// trigger ARGS (t) and bangbang [N] (b): one message in, one out of every
// outlet, right to left.
//   trigger: an outlet per argument (two "i" without any), which sends
//     b (bang) a bang; i (int) the message's first number as an int, 0 when it
//     has none; f (float) the same as a float; l (list) its atoms as a list;
//     s (symbol) its first atom as a symbol; a (anything) the message as it
//     came. Any other argument is a constant the outlet sends every time (a
//     number, or a symbol as a message of that word).
//   bangbang: N outlets (2 without an argument) sending a bang each.
#include "builtins_internal.hpp"
#include "messages.hpp"

#include "kit/text.hpp"

#include <vector>

namespace kithost::builtins {

namespace {

struct Slot {
  TypeWord kind; ///< none: the constant
  t_atom constant;
  void *out;
};

struct Trigger {
  t_object header;
  std::vector<Slot> *slots; ///< left to right
};

t_class *trigger_class = nullptr;
t_class *bangbang_class = nullptr;

Trigger *make_outlets(t_class *c, std::vector<Slot> slots) {
  auto *x = static_cast<Trigger *>(object_alloc(c));
  if (!x)
    return nullptr;
  x->slots = new std::vector<Slot>(std::move(slots));
  // Outlets are made right to left.
  for (auto slot = x->slots->rbegin(); slot != x->slots->rend(); ++slot)
    slot->out = outlet_new(x, nullptr);
  return x;
}

void *trigger_new(t_symbol *, long argc, t_atom *argv) {
  std::vector<Slot> slots;
  for (long i = 0; i < argc; ++i)
    slots.push_back({type_word(argv[i]), argv[i], nullptr});
  if (slots.empty())
    slots.assign(2, Slot{TypeWord::integer, {}, nullptr});
  return make_outlets(trigger_class, std::move(slots));
}

void *bangbang_new(t_symbol *, long argc, t_atom *argv) {
  t_atom_long count = argc >= 1 ? atom_getlong(argv) : 2;
  if (argc >= 1 && (argv[0].a_type != A_LONG || count < 1 || count > 256)) {
    error("bangbang: the number of outlets must be from 1 to 256");
    return nullptr;
  }
  return make_outlets(bangbang_class, std::vector<Slot>(static_cast<std::size_t>(count),
                                                        {TypeWord::bang, {}, nullptr}));
}

void trigger_free(Trigger *x) {
  delete x->slots;
}

const t_atom *first_number(const std::vector<t_atom> &atoms) {
  return !atoms.empty() && is_number(atoms.front()) ? &atoms.front() : nullptr;
}

void send_slot(Trigger *x, const Slot &slot, t_symbol *s, long argc, t_atom *argv,
               std::vector<t_atom> &atoms) {
  switch (slot.kind) {
  case TypeWord::bang:
    outlet_bang(slot.out);
    break;
  case TypeWord::integer: {
    const t_atom *n = first_number(atoms);
    outlet_int(slot.out, n ? atom_getlong(n) : 0);
    break;
  }
  case TypeWord::floating: {
    const t_atom *n = first_number(atoms);
    outlet_float(slot.out, n ? atom_getfloat(n) : 0);
    break;
  }
  case TypeWord::list:
    // An empty list is a bang.
    if (atoms.empty())
      outlet_bang(slot.out);
    else
      outlet_message(&x->header, slot.out, gensym("list"), static_cast<long>(atoms.size()),
                     atoms.data());
    break;
  case TypeWord::symbol: {
    t_atom word;
    atom_setsym(&word, atoms.empty() ? gensym("")
                       : atoms.front().a_type == A_SYM
                           ? atoms.front().a_w.w_sym
                           : gensym(kit::format_atoms({&atoms.front(), 1}).c_str()));
    outlet_anything(slot.out, gensym("symbol"), 1, &word);
    break;
  }
  case TypeWord::anything:
    outlet_message(&x->header, slot.out, s, argc, argv);
    break;
  case TypeWord::none: {
    t_atom constant = slot.constant;
    outlet_atoms(&x->header, slot.out, {&constant, 1});
    break;
  }
  }
}

void trigger_anything(Trigger *x, t_symbol *s, long argc, t_atom *argv) {
  const std::vector<t_atom> message = message_atoms(s, argc, argv);
  // Each outlet gets a copy: what one outlet's receivers do to the atoms
  // must not reach the next.
  const std::vector<Slot> slots = *x->slots;
  for (auto slot = slots.rbegin(); slot != slots.rend(); ++slot) {
    std::vector<t_atom> atoms = message;
    std::vector<t_atom> passed(argv, argv + (argc > 0 ? argc : 0));
    send_slot(x, *slot, s, static_cast<long>(passed.size()), passed.data(), atoms);
  }
}

void trigger_assist(Trigger *x, void *, long kind, long index, char *text) {
  if (kind == ASSIST_INLET) {
    copy_assist(text, "(anything) sent out of every outlet, right to left");
    return;
  }
  // By TypeWord: the constant first.
  static constexpr const char *hints[] = {"(constant)", "(bang)",   "(int)",     "(float)",
                                          "(list)",     "(symbol)", "(anything)"};
  const auto &slots = *x->slots;
  copy_assist(text, static_cast<std::size_t>(index) < slots.size()
                        ? hints[static_cast<int>(slots[static_cast<std::size_t>(index)].kind)]
                        : "");
}

t_class *define_outlets_class(const char *name, method make, const char *alias) {
  t_class *c = class_new(name, make, reinterpret_cast<method>(trigger_free), sizeof(Trigger),
                         nullptr, A_GIMME, 0);
  add_message_methods<Trigger, trigger_anything>(c);
  class_addmethod(c, reinterpret_cast<method>(trigger_assist), "assist", A_CANT, 0);
  class_register(CLASS_BOX, c);
  class_alias(c, gensym(alias));
  return c;
}

} // namespace

void define_trigger() {
  trigger_class = define_outlets_class("trigger", reinterpret_cast<method>(trigger_new), "t");
}

void define_bangbang() {
  bangbang_class = define_outlets_class("bangbang", reinterpret_cast<method>(bangbang_new), "b");
}

} // namespace kithost::builtins
