// expr EXPRESSION: C-like arithmetic of its inputs, evaluated by the host's
// expression evaluator (ext_expr.h has the language). $i1..$i9 are ints,
// $f1..$f9 floats and $s1..$s9 symbols; input N has inlet N - 1, the first
// being the left, hot one: a value there evaluates and sends the result (an
// int or a float, by the operands), a list spreads over the inputs from
// there, a bang evaluates again. The other inlets keep their value. A value
// of the wrong kind for its input (a symbol for $i1) is reported and not
// kept. An expression that is not well formed refuses the box.
#include "builtins_internal.hpp"
#include "messages.hpp"

#include "ext_expr.h"

namespace kithost::builtins {

namespace {

struct Expr {
  t_object header;
  void *out;
  t_expr *expression;
  void *proxies[EXPR_MAX_VARS];
  long inlet;
  t_atom types[EXPR_MAX_VARS];  ///< A_LONG, A_FLOAT, A_SYM or A_NOTHING per input
  t_atom inputs[EXPR_MAX_VARS]; ///< the values kept
  long count;                   ///< inputs up to the last one used
};

t_class *expr_class = nullptr;

void *expr_box_new(t_symbol *, long argc, t_atom *argv) {
  auto *x = static_cast<Expr *>(object_alloc(expr_class));
  if (!x)
    return nullptr;
  if (argc < 1) {
    error("expr: needs an expression");
    return nullptr;
  }
  x->expression = static_cast<t_expr *>(expr_new(argc, argv, x->types));
  if (!x->expression)
    return nullptr;
  for (long i = 0; i < EXPR_MAX_VARS; ++i) {
    const short type = x->types[i].a_type;
    if (type == A_SYM)
      atom_setsym(&x->inputs[i], gensym(""));
    else if (type == A_FLOAT)
      atom_setfloat(&x->inputs[i], 0);
    else
      atom_setlong(&x->inputs[i], 0);
    if (type == A_LONG || type == A_FLOAT || type == A_SYM)
      x->count = i + 1;
  }
  for (long id = x->count - 1; id >= 1; --id)
    x->proxies[id - 1] = proxy_new(x, id, &x->inlet);
  x->out = outlet_new(x, nullptr);
  return x;
}

void expr_box_free(Expr *x) {
  for (void *proxy : x->proxies)
    if (proxy)
      object_free(proxy);
  if (x->expression)
    object_free(x->expression);
}

void expr_box_bang(Expr *x) {
  t_atom result{};
  if (expr_eval(x->expression, x->count, x->inputs, &result) != 0)
    return;
  if (result.a_type == A_FLOAT)
    outlet_float(x->out, result.a_w.w_float);
  else if (result.a_type == A_SYM)
    outlet_anything(x->out, gensym("symbol"), 1, &result);
  else
    outlet_int(x->out, result.a_w.w_long);
}

// Input `index` takes the atom in its kind; false (reported) when it cannot.
bool keep(Expr *x, long index, const t_atom &value) {
  const short type = x->types[index].a_type;
  if ((type == A_SYM) != (value.a_type == A_SYM)) {
    error("expr: input %ld takes a %s", index + 1, type == A_SYM ? "symbol" : "number");
    return false;
  }
  if (type == A_FLOAT)
    atom_setfloat(&x->inputs[index], atom_getfloat(&value));
  else if (type == A_SYM)
    x->inputs[index] = value;
  else
    atom_setlong(&x->inputs[index], atom_getlong(&value));
  return true;
}

void expr_box_anything(Expr *x, t_symbol *s, long argc, t_atom *argv) {
  const long inlet = proxy_getinlet(&x->header);
  if (s == gensym("bang")) {
    if (inlet == 0)
      expr_box_bang(x);
    return;
  }
  const std::vector<t_atom> values = message_atoms(s, argc, argv);
  bool kept = true;
  for (std::size_t i = 0; i < values.size() && inlet + static_cast<long>(i) < x->count; ++i)
    kept = keep(x, inlet + static_cast<long>(i), values[i]) && kept;
  if (inlet == 0 && kept)
    expr_box_bang(x);
}

void expr_box_assist(Expr *x, void *, long kind, long index, char *text) {
  if (kind == ASSIST_OUTLET) {
    copy_assist(text, "(number) the result");
    return;
  }
  const short type = index < EXPR_MAX_VARS ? x->types[index].a_type : short{A_NOTHING};
  std::snprintf(text, 512, "(%s) input %ld%s",
                type == A_SYM     ? "symbol"
                : type == A_FLOAT ? "float"
                                  : "int",
                index + 1, index == 0 ? ", and evaluate" : ", kept");
}

} // namespace

void define_expr() {
  expr_class =
      class_new("expr", reinterpret_cast<method>(expr_box_new),
                reinterpret_cast<method>(expr_box_free), sizeof(Expr), nullptr, A_GIMME, 0);
  add_message_methods<Expr, expr_box_anything>(expr_class);
  class_addmethod(expr_class, reinterpret_cast<method>(expr_box_assist), "assist", A_CANT, 0);
  class_addmethod(expr_class, reinterpret_cast<method>(stdinletinfo), "inletinfo", A_CANT, 0);
  class_register(CLASS_BOX, expr_class);
}

} // namespace kithost::builtins
