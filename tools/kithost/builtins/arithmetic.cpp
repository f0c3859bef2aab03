// The arithmetic and comparison operators: + - * / % == != > < >= <=.
// The left inlet is hot: a number there is computed with the right operand
// and the result sent; a list "A B" sets the right operand to B first; a
// bang computes again with the last left operand; "set N" keeps a left
// operand without output. The right inlet keeps the right operand (the
// argument, 0 without one). An argument with a decimal point makes the
// object compute in floats, otherwise in ints (a float in is truncated).
// Comparisons send 1 or 0. Dividing by 0 (/ and %) gives 0; ints wrap
// around at the limits of a long.
#include "builtins_internal.hpp"
#include "messages.hpp"

#include <cmath>
#include <cstdint>
#include <string_view>

namespace kithost::builtins {

namespace {

enum class Op {
  add,
  subtract,
  multiply,
  divide,
  modulo,
  equal,
  unequal,
  greater,
  less,
  at_least,
  at_most
};

struct Named {
  std::string_view name;
  Op op;
};

constexpr Named operators[] = {{"+", Op::add},       {"-", Op::subtract}, {"*", Op::multiply},
                               {"/", Op::divide},    {"%", Op::modulo},   {"==", Op::equal},
                               {"!=", Op::unequal},  {">", Op::greater},  {"<", Op::less},
                               {">=", Op::at_least}, {"<=", Op::at_most}};

t_class *op_classes[std::size(operators)] = {};

struct Operator {
  t_object header;
  void *out;
  void *proxy;
  long inlet;
  Op op;
  bool floating;
  t_atom_long left;
  t_atom_long right;
  double left_f;
  double right_f;
};

bool compares(Op op) {
  return op >= Op::equal;
}

// Wrapping arithmetic: a long that overflows is undefined in C++, an
// unsigned one wraps.
t_atom_long wrap(std::uint64_t n) {
  return static_cast<t_atom_long>(n);
}

// The comparisons, the same for ints and floats.
template <class T> bool holds(Op op, T a, T b) {
  switch (op) {
  case Op::equal:
    return a == b;
  case Op::unequal:
    return a != b;
  case Op::greater:
    return a > b;
  case Op::less:
    return a < b;
  case Op::at_least:
    return a >= b;
  default:
    return a <= b;
  }
}

t_atom_long integer_result(Op op, t_atom_long a, t_atom_long b) {
  const auto ua = static_cast<std::uint64_t>(a);
  const auto ub = static_cast<std::uint64_t>(b);
  switch (op) {
  case Op::add:
    return wrap(ua + ub);
  case Op::subtract:
    return wrap(ua - ub);
  case Op::multiply:
    return wrap(ua * ub);
  case Op::divide:
    // The lowest long divided by -1 is its own negation, which wraps.
    return b == 0 ? 0 : b == -1 ? wrap(0 - ua) : a / b;
  case Op::modulo:
    return b == 0 || b == -1 ? 0 : a % b;
  default:
    return holds(op, a, b);
  }
}

double float_result(Op op, double a, double b) {
  switch (op) {
  case Op::add:
    return a + b;
  case Op::subtract:
    return a - b;
  case Op::multiply:
    return a * b;
  case Op::divide:
    return b == 0 ? 0 : a / b;
  case Op::modulo:
    return b == 0 ? 0 : std::fmod(a, b);
  default:
    return holds(op, a, b);
  }
}

void *op_new(t_symbol *s, long argc, t_atom *argv) {
  std::size_t which = 0;
  while (which < std::size(operators) && operators[which].name != s->s_name)
    ++which;
  if (which == std::size(operators))
    return nullptr;
  auto *x = static_cast<Operator *>(object_alloc(op_classes[which]));
  if (!x)
    return nullptr;
  x->op = operators[which].op;
  if (argc >= 1) {
    if (!is_number(argv[0]))
      error("%s: the argument must be a number, 0 is used", s->s_name);
    x->floating = argv[0].a_type == A_FLOAT;
    x->right = atom_getlong(argv);
    x->right_f = atom_getfloat(argv);
  }
  x->proxy = proxy_new(x, 1, &x->inlet);
  x->out = outlet_new(x, nullptr);
  return x;
}

void op_free(Operator *x) {
  object_free(x->proxy);
}

void op_bang(Operator *x) {
  if (proxy_getinlet(&x->header) != 0) {
    error("%s: a bang goes into the left inlet", object_classname(x)->s_name);
    return;
  }
  if (!x->floating)
    outlet_int(x->out, integer_result(x->op, x->left, x->right));
  else if (compares(x->op))
    outlet_int(x->out, float_result(x->op, x->left_f, x->right_f) != 0);
  else
    outlet_float(x->out, float_result(x->op, x->left_f, x->right_f));
}

// A number kept as an operand, in the object's kind.
void keep(Operator *x, const t_atom &number, bool left) {
  (left ? x->left : x->right) = atom_getlong(&number);
  (left ? x->left_f : x->right_f) = atom_getfloat(&number);
}

void op_number(Operator *x, const t_atom &number) {
  const bool left = proxy_getinlet(&x->header) == 0;
  keep(x, number, left);
  if (left)
    op_bang(x);
}

void op_list(Operator *x, t_symbol *, long argc, t_atom *argv) {
  if (argc < 1 || !is_number(argv[0]) || (argc >= 2 && !is_number(argv[1]))) {
    error("%s: a list of numbers is expected", object_classname(x)->s_name);
    return;
  }
  if (argc >= 2 && proxy_getinlet(&x->header) == 0)
    keep(x, argv[1], false);
  op_number(x, argv[0]);
}

void op_set(Operator *x, t_symbol *, long argc, t_atom *argv) {
  if (argc < 1 || !is_number(argv[0])) {
    error("%s: set needs a number", object_classname(x)->s_name);
    return;
  }
  keep(x, argv[0], proxy_getinlet(&x->header) == 0);
}

void op_assist(Operator *x, void *, long kind, long index, char *text) {
  if (kind == ASSIST_OUTLET)
    copy_assist(text, compares(x->op) ? "(int) 1 when it holds, else 0" : "(number) the result");
  else
    copy_assist(text, index == 0 ? "(number) the left operand, computed at once"
                                 : "(number) the right operand, kept");
}

} // namespace

// One entry point for them all: whichever is named first defines each.
void define_operators() {
  for (std::size_t i = 0; i < std::size(operators); ++i) {
    t_class *&c = op_classes[i];
    c = class_new(operators[i].name.data(), reinterpret_cast<method>(op_new),
                  reinterpret_cast<method>(op_free), sizeof(Operator), nullptr, A_GIMME, 0);
    class_addmethod(c, reinterpret_cast<method>(op_bang), "bang", 0);
    add_number_methods<Operator, op_list>(c);
    class_addmethod(c, reinterpret_cast<method>(op_list), "list", A_GIMME, 0);
    class_addmethod(c, reinterpret_cast<method>(op_set), "set", A_GIMME, 0);
    class_addmethod(c, reinterpret_cast<method>(op_assist), "assist", A_CANT, 0);
    class_addmethod(c, reinterpret_cast<method>(stdinletinfo), "inletinfo", A_CANT, 0);
    class_register(CLASS_BOX, c);
  }
}

} // namespace kithost::builtins
