// zl MODE [ARG] (also zl.MODE [ARG]): list processing. A message into the
// left inlet is taken as a list (its selector first, for a message that is
// not a number, list or symbol); what goes out is the message a message box
// holding those atoms sends. Modes:
//   group N: collects atoms until N (256 without ARG) are there, sends them
//     and starts again; a bang sends what is there and starts again.
//   iter N: sends the list in pieces of N atoms (1), the last one shorter.
//   join: the list followed by the list kept from the right inlet.
//   len: the number of atoms.
//   nth N: the Nth atom (from 1; counted from the end when negative); a
//     list too short goes out of the right outlet whole.
//   reg: keeps the list and sends it; a bang sends it again; the right
//     inlet keeps one without output.
//   rev: the list backwards.
//   slice N: the first N atoms out of the left outlet, the rest out of the
//     right (sent first).
//   sort [-1]: numbers first, smallest first, then symbols in alphabetical
//     order (-1: the other way round).
// The right inlet sets ARG (join and reg: the kept list); a bang into the
// left inlet sends the last list again (group: what is collected).
#include "builtins_internal.hpp"
#include "messages.hpp"

#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace kithost::builtins {

namespace {

enum class Mode { group, iter, join, len, nth, reg, rev, slice, sort };

struct NamedMode {
  std::string_view name;
  Mode mode;
  t_atom_long arg; ///< the argument without one
};

constexpr NamedMode modes[] = {
    {"group", Mode::group, 256}, {"iter", Mode::iter, 1},   {"join", Mode::join, 0},
    {"len", Mode::len, 0},       {"nth", Mode::nth, 1},     {"reg", Mode::reg, 0},
    {"rev", Mode::rev, 0},       {"slice", Mode::slice, 0}, {"sort", Mode::sort, 1},
};

// Lists are as long as an outlet can send.
constexpr std::size_t max_atoms = 32767;

t_class *zl_class = nullptr;
t_class *zl_mode_classes[std::size(modes)] = {};

struct Zl {
  t_object header;
  void *left;
  void *right;
  void *proxy;
  long inlet;
  Mode mode;
  t_atom_long arg;
  std::vector<t_atom> *kept; ///< group: collected; join, reg: the kept list
  std::vector<t_atom> *last; ///< the last list in, for a bang
};

const NamedMode *find_mode(std::string_view name) {
  for (const NamedMode &m : modes)
    if (m.name == name)
      return &m;
  return nullptr;
}

// group collects at most a list's worth.
void set_arg(Zl *x, t_atom_long n) {
  const auto most = static_cast<t_atom_long>(max_atoms);
  x->arg = x->mode == Mode::group && (n < 1 || n > most) ? most : n;
}

void *zl_new(t_symbol *s, long argc, t_atom *argv) {
  std::string_view name = s->s_name;
  const bool named_mode = name.starts_with("zl.");
  if (named_mode) {
    name.remove_prefix(3);
  } else if (argc >= 1 && argv[0].a_type == A_SYM) {
    name = argv[0].a_w.w_sym->s_name;
    ++argv;
    --argc;
  } else {
    error("zl: the first argument names the mode (group, iter, join, len, nth, reg, rev, "
          "slice, sort)");
    return nullptr;
  }
  const NamedMode *mode = find_mode(name);
  if (!mode) {
    error("zl: no mode \"%.*s\"", static_cast<int>(name.size()), name.data());
    return nullptr;
  }
  auto *x = static_cast<Zl *>(object_alloc(named_mode ? zl_mode_classes[mode - modes] : zl_class));
  if (!x)
    return nullptr;
  x->mode = mode->mode;
  set_arg(x, mode->arg);
  x->kept = new std::vector<t_atom>;
  x->last = new std::vector<t_atom>;
  if (argc >= 1) {
    if (x->mode == Mode::join || x->mode == Mode::reg)
      x->kept->assign(argv, argv + argc);
    else if (is_number(argv[0]))
      set_arg(x, atom_getlong(argv));
    else
      error("zl: the argument of %s is a number", mode->name.data());
  }
  x->proxy = proxy_new(x, 1, &x->inlet);
  x->right = outlet_new(x, nullptr);
  x->left = outlet_new(x, nullptr);
  return x;
}

void zl_free(Zl *x) {
  object_free(x->proxy);
  delete x->kept;
  delete x->last;
}

void send(Zl *x, void *out, std::vector<t_atom> atoms) {
  outlet_atoms(&x->header, out, atoms);
}

// Numbers before symbols; numbers by value, symbols by their text.
bool sorts_before(const t_atom &a, const t_atom &b) {
  if (is_number(a) != is_number(b))
    return is_number(a);
  if (is_number(a))
    return atom_getfloat(&a) < atom_getfloat(&b);
  const auto *sa = a.a_type == A_SYM ? a.a_w.w_sym->s_name : "";
  const auto *sb = b.a_type == A_SYM ? b.a_w.w_sym->s_name : "";
  return std::strcmp(sa, sb) < 0;
}

void group(Zl *x, const std::vector<t_atom> &atoms) {
  const auto size = static_cast<std::size_t>(x->arg);
  for (const t_atom &a : atoms) {
    x->kept->push_back(a);
    if (x->kept->size() >= size) {
      std::vector<t_atom> full;
      full.swap(*x->kept);
      send(x, x->left, std::move(full));
    }
  }
}

void process(Zl *x, std::vector<t_atom> list) {
  switch (x->mode) {
  case Mode::group:
    group(x, list);
    break;
  case Mode::iter: {
    const std::size_t piece = x->arg >= 1 ? static_cast<std::size_t>(x->arg) : 1;
    for (std::size_t at = 0; at < list.size(); at += piece)
      send(
          x, x->left,
          std::vector<t_atom>(list.begin() + static_cast<long>(at),
                              list.begin() + static_cast<long>(std::min(at + piece, list.size()))));
    break;
  }
  case Mode::join:
    list.insert(list.end(), x->kept->begin(), x->kept->end());
    if (list.size() > max_atoms)
      list.resize(max_atoms);
    send(x, x->left, std::move(list));
    break;
  case Mode::len:
    outlet_int(x->left, static_cast<t_atom_long>(list.size()));
    break;
  case Mode::nth: {
    const auto count = static_cast<t_atom_long>(list.size());
    const t_atom_long n = x->arg < 0 ? count + x->arg + 1 : x->arg;
    if (n < 1 || n > count)
      send(x, x->right, std::move(list));
    else
      send(x, x->left, {list[static_cast<std::size_t>(n - 1)]});
    break;
  }
  case Mode::reg:
    *x->kept = list;
    send(x, x->left, std::move(list));
    break;
  case Mode::rev:
    std::reverse(list.begin(), list.end());
    send(x, x->left, std::move(list));
    break;
  case Mode::slice: {
    const std::size_t cut =
        x->arg <= 0 ? 0 : std::min(static_cast<std::size_t>(x->arg), list.size());
    std::vector<t_atom> rest(list.begin() + static_cast<long>(cut), list.end());
    list.resize(cut);
    if (!rest.empty())
      send(x, x->right, std::move(rest));
    if (!list.empty())
      send(x, x->left, std::move(list));
    break;
  }
  case Mode::sort:
    std::stable_sort(list.begin(), list.end(), sorts_before);
    if (x->arg < 0)
      std::reverse(list.begin(), list.end());
    send(x, x->left, std::move(list));
    break;
  }
}

void zl_anything(Zl *x, t_symbol *s, long argc, t_atom *argv) {
  std::vector<t_atom> list = message_atoms(s, argc, argv);
  if (proxy_getinlet(&x->header) != 0) {
    if (x->mode == Mode::join || x->mode == Mode::reg)
      *x->kept = std::move(list);
    else if (!list.empty() && is_number(list[0]))
      set_arg(x, atom_getlong(&list[0]));
    else
      error("zl: the right inlet of %s takes a number",
            modes[static_cast<int>(x->mode)].name.data());
    return;
  }
  if (s == gensym("bang")) {
    if (x->mode == Mode::group) {
      std::vector<t_atom> collected;
      collected.swap(*x->kept);
      if (!collected.empty())
        send(x, x->left, std::move(collected));
    } else if (x->mode == Mode::reg) {
      send(x, x->left, *x->kept);
    } else {
      process(x, *x->last);
    }
    return;
  }
  *x->last = list;
  process(x, std::move(list));
}

void zl_assist(Zl *x, void *, long kind, long index, char *text) {
  if (kind == ASSIST_INLET)
    copy_assist(text, index == 0 ? "(list) to process, (bang) again"
                      : x->mode == Mode::join || x->mode == Mode::reg
                          ? "(list) kept"
                          : "(int) the mode's argument");
  else
    copy_assist(text, index == 0               ? "(list) the result"
                      : x->mode == Mode::slice ? "(list) the rest"
                      : x->mode == Mode::nth   ? "(list) a list too short"
                                               : "never");
}

t_class *define_zl_class(const char *name) {
  t_class *c = class_new(name, reinterpret_cast<method>(zl_new), reinterpret_cast<method>(zl_free),
                         sizeof(Zl), nullptr, A_GIMME, 0);
  add_message_methods<Zl, zl_anything>(c);
  class_addmethod(c, reinterpret_cast<method>(zl_assist), "assist", A_CANT, 0);
  class_addmethod(c, reinterpret_cast<method>(stdinletinfo), "inletinfo", A_CANT, 0);
  class_register(CLASS_BOX, c);
  return c;
}

} // namespace

// zl and every zl.MODE at once: whichever is named first defines them all.
void define_zl() {
  zl_class = define_zl_class("zl");
  for (std::size_t i = 0; i < std::size(modes); ++i)
    zl_mode_classes[i] = define_zl_class(("zl." + std::string(modes[i].name)).c_str());
}

} // namespace kithost::builtins
