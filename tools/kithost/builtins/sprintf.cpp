// sprintf [symout] FORMAT...: text made from a format, as C's printf makes
// it. The arguments, joined by spaces, are the format; each of its
// conversions (%d %i %u %x %X %o %c, %f %e %E %g %G, %s, with flags, a width
// and a precision; %% is a percent sign) takes the value of one inlet, left
// to right (0 or the empty symbol until one arrives). A value into the left
// inlet, or a list (spread over the inlets from there), makes the text; a
// bang makes it again; the other inlets keep a value. The text goes out as
// the message a message box holding it would send ("set 5" as set 5), or
// with "symout" as one symbol ("symbol TEXT"). Numbers are converted to the
// conversion's kind (a float truncated for %d), a number's text is a %s.
#include "builtins_internal.hpp"
#include "messages.hpp"

#include "kit/text.hpp"

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace kithost::builtins {

namespace {

// A width or precision beyond this makes no useful text, only a long one.
constexpr int max_width = 256;

enum class Kind { integer, unsigned_integer, character, floating, text };

/// One piece of the format: literal text, or a conversion.
struct Piece {
  std::string literal;
  std::string directive; ///< "%-5.2" without the conversion letter; empty: literal only
  char conversion = 0;
  Kind kind = Kind::text;
};

struct Sprintf {
  t_object header;
  void *out;
  std::vector<void *> *proxies;
  long inlet;
  bool symout;
  std::vector<Piece> *pieces;
  std::vector<t_atom> *values; ///< one per conversion
};

t_class *sprintf_class = nullptr;

Kind kind_of(char conversion) {
  switch (conversion) {
  case 'd':
  case 'i':
    return Kind::integer;
  case 'u':
  case 'x':
  case 'X':
  case 'o':
    return Kind::unsigned_integer;
  case 'c':
    return Kind::character;
  case 'f':
  case 'e':
  case 'E':
  case 'g':
  case 'G':
    return Kind::floating;
  default:
    return Kind::text;
  }
}

// The format's pieces; false with a reason for a conversion it cannot make.
bool parse_format(std::string_view format, std::vector<Piece> &pieces, std::string &why) {
  Piece piece;
  for (std::size_t i = 0; i < format.size();) {
    if (format[i] != '%') {
      piece.literal += format[i++];
      continue;
    }
    if (i + 1 < format.size() && format[i + 1] == '%') {
      piece.literal += '%';
      i += 2;
      continue;
    }
    std::string directive = "%";
    ++i;
    while (i < format.size() && std::string_view("-+ #0").find(format[i]) != std::string_view::npos)
      directive += format[i++];
    for (const bool precision : {false, true}) {
      if (precision) {
        if (i >= format.size() || format[i] != '.')
          break;
        directive += format[i++];
      }
      int digits = 0;
      int value = 0;
      while (i < format.size() && format[i] >= '0' && format[i] <= '9' && digits < 4) {
        value = value * 10 + (format[i] - '0');
        directive += format[i++];
        ++digits;
      }
      if (value > max_width) {
        why = "a width or precision above " + std::to_string(max_width);
        return false;
      }
    }
    // Length letters say how C passes the value: here every value is passed
    // at its full width.
    while (i < format.size() &&
           std::string_view("hlLjzt").find(format[i]) != std::string_view::npos)
      ++i;
    if (i >= format.size() ||
        std::string_view("diuxXocfeEgGs").find(format[i]) == std::string_view::npos) {
      why = i >= format.size() ? "a conversion cut off at the end"
                               : std::string("the conversion %") + format[i] + " is not supported";
      return false;
    }
    piece.directive = directive;
    piece.conversion = format[i++];
    piece.kind = kind_of(piece.conversion);
    pieces.push_back(std::move(piece));
    piece = Piece{};
  }
  if (!piece.literal.empty())
    pieces.push_back(std::move(piece));
  return true;
}

std::string convert(const Piece &piece, const t_atom &value) {
  // Room for the widest: 309 digits of the largest double, a point and the
  // widest precision.
  char text[1024];
  const bool number = is_number(value);
  switch (piece.kind) {
  case Kind::integer:
    std::snprintf(text, sizeof text, (piece.directive + "ll" + piece.conversion).c_str(),
                  static_cast<long long>(number ? atom_getlong(&value) : 0));
    break;
  case Kind::unsigned_integer:
    std::snprintf(text, sizeof text, (piece.directive + "ll" + piece.conversion).c_str(),
                  static_cast<unsigned long long>(number ? atom_getlong(&value) : 0));
    break;
  case Kind::character:
    std::snprintf(
        text, sizeof text, (piece.directive + 'c').c_str(),
        static_cast<int>(static_cast<unsigned char>(number ? atom_getlong(&value) : ' ')));
    break;
  case Kind::floating:
    std::snprintf(text, sizeof text, (piece.directive + piece.conversion).c_str(),
                  number ? atom_getfloat(&value) : 0.0);
    break;
  case Kind::text: {
    const std::string word =
        value.a_type == A_SYM ? value.a_w.w_sym->s_name : kit::format_atoms({&value, 1});
    std::snprintf(text, sizeof text, (piece.directive + 's').c_str(), word.c_str());
    // A long symbol goes in whole: the directive only pads it.
    if (word.size() >= sizeof text)
      return word;
    break;
  }
  }
  return text;
}

void *sprintf_new(t_symbol *, long argc, t_atom *argv) {
  bool symout = false;
  if (argc >= 1 && argv[0].a_type == A_SYM && argv[0].a_w.w_sym == gensym("symout")) {
    symout = true;
    ++argv;
    --argc;
  }
  const std::string format = kit::format_atoms({argv, static_cast<std::size_t>(argc)});
  std::vector<Piece> pieces;
  std::string why;
  if (!parse_format(format, pieces, why)) {
    error("sprintf: the format has %s", why.c_str());
    return nullptr;
  }
  auto *x = static_cast<Sprintf *>(object_alloc(sprintf_class));
  if (!x)
    return nullptr;
  x->symout = symout;
  x->pieces = new std::vector<Piece>(std::move(pieces));
  x->values = new std::vector<t_atom>;
  for (const Piece &piece : *x->pieces) {
    if (piece.directive.empty())
      continue;
    t_atom &value = x->values->emplace_back();
    if (piece.kind == Kind::text)
      atom_setsym(&value, gensym(""));
    else
      atom_setlong(&value, 0);
  }
  x->proxies = new std::vector<void *>;
  for (auto id = static_cast<long>(x->values->size()) - 1; id >= 1; --id)
    x->proxies->push_back(proxy_new(x, id, &x->inlet));
  x->out = outlet_new(x, nullptr);
  return x;
}

void sprintf_free(Sprintf *x) {
  for (void *proxy : *x->proxies)
    object_free(proxy);
  delete x->proxies;
  delete x->pieces;
  delete x->values;
}

void sprintf_bang(Sprintf *x) {
  std::string text;
  std::size_t next = 0;
  for (const Piece &piece : *x->pieces) {
    text += piece.literal;
    if (!piece.directive.empty())
      text += convert(piece, (*x->values)[next++]);
  }
  if (x->symout) {
    t_atom word;
    atom_setsym(&word, gensym(text.c_str()));
    outlet_anything(x->out, gensym("symbol"), 1, &word);
    return;
  }
  std::vector<t_atom> atoms;
  std::size_t start = 0;
  while (start <= text.size()) {
    const std::size_t blank = text.find(' ', start);
    const std::string word = text.substr(start, blank - start);
    if (!word.empty())
      atoms.push_back(kit::word_to_atom(word));
    if (blank == std::string::npos)
      break;
    start = blank + 1;
  }
  outlet_atoms(&x->header, x->out, atoms);
}

void sprintf_anything(Sprintf *x, t_symbol *s, long argc, t_atom *argv) {
  const long inlet = proxy_getinlet(&x->header);
  if (s == gensym("bang")) {
    if (inlet == 0)
      sprintf_bang(x);
    return;
  }
  const std::vector<t_atom> atoms = message_atoms(s, argc, argv);
  for (std::size_t i = 0; i < atoms.size(); ++i) {
    const std::size_t slot = static_cast<std::size_t>(inlet) + i;
    if (slot < x->values->size())
      (*x->values)[slot] = atoms[i];
  }
  if (inlet == 0)
    sprintf_bang(x);
}

void sprintf_assist(Sprintf *, void *, long kind, long index, char *text) {
  if (kind == ASSIST_OUTLET)
    copy_assist(text, "(anything) the text");
  else
    std::snprintf(text, 512,
                  index == 0 ? "(anything) value 1, and make the text"
                             : "(anything) value %ld, kept",
                  index + 1);
}

} // namespace

void define_sprintf() {
  sprintf_class =
      class_new("sprintf", reinterpret_cast<method>(sprintf_new),
                reinterpret_cast<method>(sprintf_free), sizeof(Sprintf), nullptr, A_GIMME, 0);
  add_message_methods<Sprintf, sprintf_anything>(sprintf_class);
  class_addmethod(sprintf_class, reinterpret_cast<method>(sprintf_assist), "assist", A_CANT, 0);
  class_addmethod(sprintf_class, reinterpret_cast<method>(stdinletinfo), "inletinfo", A_CANT, 0);
  class_register(CLASS_BOX, sprintf_class);
}

} // namespace kithost::builtins
