// Expressions (see ext_expr.h): the text is tokenized, parsed by precedence
// into postfix nodes kept in the record, and evaluated on a small stack.
//
// Int arithmetic is done on unsigned values, so that overflow wraps around
// instead of being undefined; every float to int conversion saturates.
#include "conversions.hpp"
#include "ext.h"
#include "ext_expr.h"
#include "ext_obex.h"
#include "records.hpp"
#include "symbols.hpp"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace kit::rt {
namespace {

enum Op : t_atom_long {
  op_negate,
  op_not,
  op_complement,
  op_multiply,
  op_divide,
  op_remainder,
  op_add,
  op_subtract,
  op_shift_left,
  op_shift_right,
  op_less,
  op_less_equal,
  op_greater,
  op_greater_equal,
  op_equal,
  op_not_equal,
  op_bit_and,
  op_bit_xor,
  op_bit_or,
  op_and,
  op_or,
};

struct Binary {
  std::string_view text;
  Op op;
  int precedence; ///< higher binds tighter
};

constexpr Binary binaries[] = {
    {"||", op_or, 1},          {"&&", op_and, 2},        {"|", op_bit_or, 3},
    {"^", op_bit_xor, 4},      {"&", op_bit_and, 5},     {"==", op_equal, 6},
    {"!=", op_not_equal, 6},   {"<=", op_less_equal, 7}, {">=", op_greater_equal, 7},
    {"<", op_less, 7},         {">", op_greater, 7},     {"<<", op_shift_left, 8},
    {">>", op_shift_right, 8}, {"+", op_add, 9},         {"-", op_subtract, 9},
    {"*", op_multiply, 10},    {"/", op_divide, 10},     {"%", op_remainder, 10},
};

enum Function : t_atom_long {
  fn_abs,
  fn_min,
  fn_max,
  fn_int,
  fn_rint,
  fn_float,
  fn_pow,
  fn_sqrt,
  fn_exp,
  fn_ln,
  fn_log10,
  fn_fact,
  fn_fmod,
  fn_ceil,
  fn_floor,
  fn_sin,
  fn_cos,
  fn_tan,
  fn_asin,
  fn_acos,
  fn_atan,
  fn_atan2,
  fn_sinh,
  fn_cosh,
  fn_tanh,
  fn_random,
  fn_if,
};

struct FunctionName {
  std::string_view name;
  Function fn;
  int arity;
};

constexpr FunctionName functions[] = {
    {"abs", fn_abs, 1},   {"min", fn_min, 2},     {"max", fn_max, 2},       {"int", fn_int, 1},
    {"rint", fn_rint, 1}, {"float", fn_float, 1}, {"pow", fn_pow, 2},       {"sqrt", fn_sqrt, 1},
    {"exp", fn_exp, 1},   {"ln", fn_ln, 1},       {"log", fn_ln, 1},        {"log10", fn_log10, 1},
    {"fact", fn_fact, 1}, {"fmod", fn_fmod, 2},   {"ceil", fn_ceil, 1},     {"floor", fn_floor, 1},
    {"sin", fn_sin, 1},   {"cos", fn_cos, 1},     {"tan", fn_tan, 1},       {"asin", fn_asin, 1},
    {"acos", fn_acos, 1}, {"atan", fn_atan, 1},   {"atan2", fn_atan2, 2},   {"sinh", fn_sinh, 1},
    {"cosh", fn_cosh, 1}, {"tanh", fn_tanh, 1},   {"random", fn_random, 2}, {"if", fn_if, 3},
};

// ---- Compiling ------------------------------------------------------------------

/// The expression's text and the postfix nodes made of it.
class Compiler {
public:
  explicit Compiler(std::string text) : text_(std::move(text)) {}

  /// The nodes, or nullopt with the reason posted.
  std::optional<std::vector<t_ex_ex>> compile(t_atom *types) {
    for (long &t : var_types_)
      t = A_NOTHING;
    skip_blanks();
    if (at_end()) {
      fail("empty expression");
      return std::nullopt;
    }
    if (!expression(1))
      return std::nullopt;
    skip_blanks();
    if (!at_end()) {
      fail("unexpected \"" + std::string(rest_word()) + "\"");
      return std::nullopt;
    }
    if (types) {
      for (int i = 0; i < EXPR_MAX_VARS; ++i) {
        if (var_types_[i] == A_LONG)
          atom_setlong(&types[i], 0);
        else if (var_types_[i] == A_FLOAT)
          atom_setfloat(&types[i], 0);
        else if (var_types_[i] == A_SYM)
          atom_setsym(&types[i], common_symbols().empty);
        else
          types[i] = t_atom{A_NOTHING, {}};
      }
    }
    return nodes_;
  }

private:
  // Reports the first failure; false, for the parsing functions to return.
  bool fail(const std::string &why) {
    if (!failed_)
      error("expr: %s in \"%s\"", why.c_str(), text_.c_str());
    failed_ = true;
    return false;
  }

  bool at_end() const { return pos_ >= text_.size(); }
  char peek() const { return at_end() ? '\0' : text_[pos_]; }
  void skip_blanks() {
    while (!at_end() && std::isspace(static_cast<unsigned char>(text_[pos_])))
      ++pos_;
  }
  std::string_view rest_word() const {
    std::string_view rest = std::string_view(text_).substr(pos_);
    return rest.substr(0, std::min<size_t>(rest.find(' '), 16));
  }
  bool take(std::string_view token) {
    skip_blanks();
    if (std::string_view(text_).substr(pos_, token.size()) != token)
      return false;
    pos_ += token.size();
    return true;
  }
  void emit(long type, t_atom_long value) {
    t_ex_ex node{};
    node.ex_type = type;
    node.ex_cont.op = value;
    nodes_.push_back(node);
  }

  // A binary operator at the current position, not taking the first half of
  // a longer one ("<" of "<<" is found as "<<", listed first).
  const Binary *binary_here() {
    skip_blanks();
    const std::string_view rest = std::string_view(text_).substr(pos_);
    for (const Binary &b : binaries) {
      if (rest.starts_with(b.text)) {
        // "&" and "|" alone, never the first half of "&&" or "||".
        if ((b.op == op_bit_and || b.op == op_bit_or) && rest.size() > 1 && rest[1] == rest[0])
          continue;
        if ((b.op == op_less || b.op == op_greater) && rest.size() > 1 &&
            (rest[1] == rest[0] || rest[1] == '='))
          continue;
        return &b;
      }
    }
    return nullptr;
  }

  // Precedence climbing: operators binding at least as tight as `min`.
  bool expression(int min) {
    if (!unary())
      return false;
    for (;;) {
      const size_t before = pos_;
      const Binary *b = binary_here();
      if (!b || b->precedence < min) {
        pos_ = before;
        return true;
      }
      pos_ += b->text.size();
      if (!expression(b->precedence + 1))
        return false;
      emit(ET_OP, b->op);
    }
  }

  bool unary() {
    skip_blanks();
    if (peek() == '-' || peek() == '!' || peek() == '~') {
      const char c = text_[pos_++];
      // "!=" is no unary operator, and is left for a binary one to fail on.
      if (c == '!' && peek() == '=')
        return fail("unexpected \"!=\"");
      if (!unary())
        return false;
      emit(ET_OP, c == '-' ? op_negate : c == '!' ? op_not : op_complement);
      return true;
    }
    return primary();
  }

  bool primary() {
    skip_blanks();
    const char c = peek();
    if (at_end())
      return fail("missing operand at the end");
    if (c == '(') {
      ++pos_;
      if (!expression(1))
        return false;
      if (!take(")"))
        return fail("missing \")\"");
      return true;
    }
    if (c == '$')
      return input();
    if (std::isdigit(static_cast<unsigned char>(c)) || c == '.')
      return number();
    if (std::isalpha(static_cast<unsigned char>(c)) || c == '_')
      return call();
    return fail("unexpected \"" + std::string(rest_word()) + "\"");
  }

  bool input() {
    const size_t start = pos_++;
    const char kind = peek();
    ++pos_;
    const char digit = peek();
    if ((kind != 'i' && kind != 'f' && kind != 's') || digit < '1' || digit > '9' ||
        (pos_ + 1 < text_.size() && std::isalnum(static_cast<unsigned char>(text_[pos_ + 1]))))
      return fail("bad input \"" + text_.substr(start, 4) + "\" (use $i1 to $i9, $f1 or $s1)");
    ++pos_;
    const int index = digit - '1';
    const long type = kind == 'i' ? A_LONG : kind == 'f' ? A_FLOAT : A_SYM;
    if (var_types_[index] != A_NOTHING && var_types_[index] != type)
      return fail("input " + std::to_string(index + 1) + " is used with two types");
    var_types_[index] = type;
    emit(kind == 'i' ? ET_II : kind == 'f' ? ET_FI : ET_SI, index);
    return true;
  }

  bool number() {
    const size_t start = pos_;
    bool is_float = false;
    while (std::isdigit(static_cast<unsigned char>(peek())))
      ++pos_;
    if (peek() == '.') {
      is_float = true;
      ++pos_;
      while (std::isdigit(static_cast<unsigned char>(peek())))
        ++pos_;
    }
    if ((peek() == 'e' || peek() == 'E') &&
        (std::isdigit(static_cast<unsigned char>(pos_ + 1 < text_.size() ? text_[pos_ + 1] : 0)) ||
         ((pos_ + 2 < text_.size()) && (text_[pos_ + 1] == '-' || text_[pos_ + 1] == '+') &&
          std::isdigit(static_cast<unsigned char>(text_[pos_ + 2]))))) {
      is_float = true;
      pos_ += 2;
      while (std::isdigit(static_cast<unsigned char>(peek())))
        ++pos_;
    }
    const std::string digits = text_.substr(start, pos_ - start);
    if (digits == ".")
      return fail("unexpected \".\"");
    if (std::isalpha(static_cast<unsigned char>(peek())) || peek() == '_')
      return fail("bad number \"" + digits + std::string(1, peek()) + "\"");
    if (!is_float) {
      // An int too large for a long is a float, as in a message box.
      errno = 0;
      char *end = nullptr;
      const long long value = std::strtoll(digits.c_str(), &end, 10);
      if (errno != ERANGE && value <= INTPTR_MAX) {
        emit(ET_INT, static_cast<t_atom_long>(value));
        return true;
      }
    }
    t_ex_ex node{};
    node.ex_type = ET_FLT;
    node.ex_cont.v_flt = std::strtod(digits.c_str(), nullptr);
    nodes_.push_back(node);
    return true;
  }

  bool call() {
    const size_t start = pos_;
    while (std::isalnum(static_cast<unsigned char>(peek())) || peek() == '_')
      ++pos_;
    const std::string name = text_.substr(start, pos_ - start);
    skip_blanks();
    if (peek() == '[')
      return fail("tables are not supported (\"" + name + "[\")");
    const FunctionName *found = nullptr;
    for (const FunctionName &f : functions)
      if (f.name == name)
        found = &f;
    if (!found)
      return fail("unknown function \"" + name + "\"");
    if (!take("("))
      return fail("\"" + name + "\" needs its arguments in parentheses");
    for (int i = 0; i < found->arity; ++i) {
      if (i > 0 && !take(","))
        return fail("\"" + name + "\" takes " + std::to_string(found->arity) + " arguments");
      if (!expression(1))
        return false;
    }
    if (!take(")"))
      return fail("\"" + name + "\" takes " + std::to_string(found->arity) + " arguments");
    emit(ET_FUNC, found->fn);
    return true;
  }

  std::string text_;
  size_t pos_ = 0;
  bool failed_ = false;
  long var_types_[EXPR_MAX_VARS];
  std::vector<t_ex_ex> nodes_;
};

// The atoms as one text: words and numbers with blanks between, floats in a
// form that reads back as a float.
std::optional<std::string> text_of(long argc, const t_atom *argv) {
  std::string text;
  for (long i = 0; i < argc; ++i) {
    if (i)
      text += ' ';
    const t_atom &a = argv[i];
    char number[64];
    switch (a.a_type) {
    case A_LONG:
      std::snprintf(number, sizeof number, "%" PRIdPTR, a.a_w.w_long);
      text += number;
      break;
    case A_FLOAT:
      if (!std::isfinite(a.a_w.w_float)) {
        error("expr: %g is not a number it can compute with", a.a_w.w_float);
        return std::nullopt;
      }
      std::snprintf(number, sizeof number, "%.17g", a.a_w.w_float);
      text += number;
      if (!std::strpbrk(number, ".e"))
        text += '.';
      break;
    case A_SYM:
      text += atom_getsym(&a)->s_name;
      break;
    case A_COMMA:
      text += ',';
      break;
    default:
      error("expr: an atom of type %d in the expression", a.a_type);
      return std::nullopt;
    }
  }
  return text;
}

// ---- Evaluating ----------------------------------------------------------------

struct Value {
  long type; ///< A_LONG, A_FLOAT or A_SYM
  t_atom_long i;
  double f;
  t_symbol *s;
};

Value int_value(t_atom_long i) {
  return {A_LONG, i, 0, nullptr};
}
Value float_value(double f) {
  return {A_FLOAT, 0, f, nullptr};
}

double as_float(const Value &v) {
  return v.type == A_LONG ? static_cast<double>(v.i) : v.f;
}
t_atom_long as_int(const Value &v) {
  return v.type == A_LONG ? v.i : float_to_long(v.f);
}
bool truth(const Value &v) {
  return v.type == A_LONG ? v.i != 0 : v.f != 0;
}

using Unsigned = std::make_unsigned_t<t_atom_long>;
constexpr int long_bits = static_cast<int>(sizeof(t_atom_long) * 8);

t_atom_long wrap(Unsigned u) {
  return static_cast<t_atom_long>(u);
}

t_atom_long shift(t_atom_long value, t_atom_long count, bool left) {
  if (count < 0)
    return shift(value, count == INTPTR_MIN ? INTPTR_MAX : -count, !left);
  if (count >= long_bits)
    return left || value >= 0 ? 0 : -1;
  return left ? wrap(static_cast<Unsigned>(value) << count) : value >> count;
}

Value binary(Op op, const Value &a, const Value &b) {
  const bool ints = a.type == A_LONG && b.type == A_LONG;
  const t_atom_long x = as_int(a), y = as_int(b);
  switch (op) {
  case op_add:
    return ints ? int_value(wrap(static_cast<Unsigned>(x) + static_cast<Unsigned>(y)))
                : float_value(as_float(a) + as_float(b));
  case op_subtract:
    return ints ? int_value(wrap(static_cast<Unsigned>(x) - static_cast<Unsigned>(y)))
                : float_value(as_float(a) - as_float(b));
  case op_multiply:
    return ints ? int_value(wrap(static_cast<Unsigned>(x) * static_cast<Unsigned>(y)))
                : float_value(as_float(a) * as_float(b));
  case op_divide:
    if (ints) {
      // The one quotient that overflows wraps around like the others.
      if (y == 0)
        return int_value(0);
      return int_value(y == -1 ? wrap(0 - static_cast<Unsigned>(x)) : x / y);
    }
    return float_value(as_float(b) == 0 ? 0 : as_float(a) / as_float(b));
  case op_remainder:
    return int_value(y == 0 || y == -1 ? 0 : x % y);
  case op_shift_left:
    return int_value(shift(x, y, true));
  case op_shift_right:
    return int_value(shift(x, y, false));
  case op_less:
    return int_value(ints ? x < y : as_float(a) < as_float(b));
  case op_less_equal:
    return int_value(ints ? x <= y : as_float(a) <= as_float(b));
  case op_greater:
    return int_value(ints ? x > y : as_float(a) > as_float(b));
  case op_greater_equal:
    return int_value(ints ? x >= y : as_float(a) >= as_float(b));
  case op_equal:
    return int_value(ints ? x == y : as_float(a) == as_float(b));
  case op_not_equal:
    return int_value(ints ? x != y : as_float(a) != as_float(b));
  case op_bit_and:
    return int_value(x & y);
  case op_bit_xor:
    return int_value(x ^ y);
  case op_bit_or:
    return int_value(x | y);
  case op_and:
    return int_value(truth(a) && truth(b));
  case op_or:
    return int_value(truth(a) || truth(b));
  default:
    return int_value(0);
  }
}

double factorial(t_atom_long n) {
  double product = 1;
  for (t_atom_long k = 2; k <= n && std::isfinite(product); ++k)
    product *= static_cast<double>(k);
  return n < 0 ? 0 : product;
}

t_atom_long random_between(t_atom_long low, t_atom_long high) {
  if (high <= low)
    return low;
  thread_local std::mt19937_64 engine{std::random_device{}()};
  const Unsigned span = static_cast<Unsigned>(high) - static_cast<Unsigned>(low);
  return wrap(static_cast<Unsigned>(low) +
              std::uniform_int_distribution<Unsigned>(0, span - 1)(engine));
}

Value call(Function fn, const Value *args) {
  const Value &a = args[0];
  const double f = as_float(a);
  switch (fn) {
  case fn_abs:
    return a.type == A_LONG ? int_value(a.i < 0 ? wrap(0 - static_cast<Unsigned>(a.i)) : a.i)
                            : float_value(std::fabs(a.f));
  case fn_min:
  case fn_max: {
    const bool first =
        fn == fn_min ? as_float(a) <= as_float(args[1]) : as_float(a) >= as_float(args[1]);
    if (a.type == A_LONG && args[1].type == A_LONG)
      return int_value(fn == fn_min ? std::min(a.i, args[1].i) : std::max(a.i, args[1].i));
    return float_value(as_float(first ? a : args[1]));
  }
  case fn_int:
    return int_value(as_int(a));
  case fn_rint:
    return int_value(a.type == A_LONG ? a.i : float_to_long(std::nearbyint(a.f)));
  case fn_float:
    return float_value(f);
  case fn_pow:
    if (a.type == A_LONG && args[1].type == A_LONG && args[1].i >= 0)
      return int_value(float_to_long(std::pow(f, as_float(args[1]))));
    return float_value(std::pow(f, as_float(args[1])));
  case fn_sqrt:
    return float_value(std::sqrt(f));
  case fn_exp:
    return float_value(std::exp(f));
  case fn_ln:
    return float_value(std::log(f));
  case fn_log10:
    return float_value(std::log10(f));
  case fn_fact:
    return float_value(factorial(as_int(a)));
  case fn_fmod:
    return float_value(as_float(args[1]) == 0 ? 0 : std::fmod(f, as_float(args[1])));
  case fn_ceil:
    return float_value(std::ceil(f));
  case fn_floor:
    return float_value(std::floor(f));
  case fn_sin:
    return float_value(std::sin(f));
  case fn_cos:
    return float_value(std::cos(f));
  case fn_tan:
    return float_value(std::tan(f));
  case fn_asin:
    return float_value(std::asin(f));
  case fn_acos:
    return float_value(std::acos(f));
  case fn_atan:
    return float_value(std::atan(f));
  case fn_atan2:
    return float_value(std::atan2(f, as_float(args[1])));
  case fn_sinh:
    return float_value(std::sinh(f));
  case fn_cosh:
    return float_value(std::cosh(f));
  case fn_tanh:
    return float_value(std::tanh(f));
  case fn_random:
    return int_value(random_between(as_int(a), as_int(args[1])));
  case fn_if:
    return truth(a) ? args[1] : args[2];
  }
  return int_value(0);
}

int arity_of(Function fn) {
  for (const FunctionName &f : functions)
    if (f.fn == fn)
      return f.arity;
  return 0;
}

int arity_of(Op op) {
  return op == op_negate || op == op_not || op == op_complement ? 1 : 2;
}

// Runs the nodes; false when a symbol was computed with (only == and !=
// take symbols, and only two of them).
bool run(const t_ex_ex *node, const t_ex_ex *vars, Value &result) {
  std::vector<Value> stack;
  for (; node->ex_type != 0; ++node) {
    switch (node->ex_type) {
    case ET_INT:
      stack.push_back(int_value(node->ex_cont.v_int));
      continue;
    case ET_FLT:
      stack.push_back(float_value(node->ex_cont.v_flt));
      continue;
    case ET_II:
    case ET_FI:
    case ET_SI: {
      const t_ex_ex &var = vars[node->ex_cont.op];
      if (var.ex_type == ET_SYM)
        stack.push_back({A_SYM, 0, 0, reinterpret_cast<t_symbol *>(var.ex_cont.ptr)});
      else if (var.ex_type == ET_FLT)
        stack.push_back(float_value(var.ex_cont.v_flt));
      else
        stack.push_back(int_value(var.ex_cont.v_int));
      continue;
    }
    default:
      break;
    }
    const bool is_function = node->ex_type == ET_FUNC;
    const auto arity =
        static_cast<size_t>(is_function ? arity_of(static_cast<Function>(node->ex_cont.op))
                                        : arity_of(static_cast<Op>(node->ex_cont.op)));
    const Value *args = stack.data() + stack.size() - arity;
    Value out;
    if (!is_function && (node->ex_cont.op == op_equal || node->ex_cont.op == op_not_equal) &&
        (args[0].type == A_SYM || args[1].type == A_SYM)) {
      if (args[0].type != A_SYM || args[1].type != A_SYM)
        return false;
      out = int_value((args[0].s == args[1].s) == (node->ex_cont.op == op_equal));
    } else {
      for (size_t i = 0; i < arity; ++i)
        if (args[i].type == A_SYM && !(is_function && node->ex_cont.op == fn_if && i > 0))
          return false;
      if (is_function) {
        out = call(static_cast<Function>(node->ex_cont.op), args);
      } else if (arity == 1) {
        const Value &a = args[0];
        const auto op = static_cast<Op>(node->ex_cont.op);
        out = op == op_not          ? int_value(!truth(a))
              : op == op_complement ? int_value(~as_int(a))
              : a.type == A_LONG    ? int_value(wrap(0 - static_cast<Unsigned>(a.i)))
                                    : float_value(-a.f);
      } else {
        out = binary(static_cast<Op>(node->ex_cont.op), args[0], args[1]);
      }
    }
    stack.resize(stack.size() - arity);
    stack.push_back(out);
  }
  result = stack.back();
  return true;
}

void release_expr(t_object *x) {
  sysmem_freeptr(reinterpret_cast<t_expr *>(x)->exp_stack);
}

const RecordKind expr_kind{"expr", release_expr};

} // namespace
} // namespace kit::rt

using namespace kit::rt;

void *expr_new(long argc, t_atom *argv, t_atom *types) {
  if (argc < 0 || (argc > 0 && !argv)) {
    error("expr: no expression");
    return nullptr;
  }
  std::optional<std::string> text = text_of(argc, argv);
  if (!text)
    return nullptr;
  std::optional<std::vector<t_ex_ex>> nodes = Compiler(*text).compile(types);
  if (!nodes)
    return nullptr;
  auto *x = reinterpret_cast<t_expr *>(new_record(expr_kind, sizeof(t_expr)));
  auto *stack =
      reinterpret_cast<t_ex_ex *>(sysmem_newptrclear((nodes->size() + 1) * sizeof(t_ex_ex)));
  if (!x || !stack) {
    sysmem_freeptr(stack);
    if (x)
      object_free(x);
    error("expr: out of memory");
    return nullptr;
  }
  std::copy(nodes->begin(), nodes->end(), stack);
  x->exp_stack = stack;
  return x;
}

short expr_eval(t_expr *x, long argc, t_atom *argv, t_atom *result) {
  auto *e = record_cast<t_expr>(x, expr_kind);
  if (!e || !result) {
    error("expr_eval: %p is not an expression", static_cast<void *>(x));
    return 1;
  }
  bool inputs_fit = true;
  // Each input as the expression uses it: its node kind tells the type.
  for (const t_ex_ex *node = e->exp_stack; node->ex_type != 0; ++node) {
    if (node->ex_type != ET_II && node->ex_type != ET_FI && node->ex_type != ET_SI)
      continue;
    const t_atom_long index = node->ex_cont.op;
    const t_atom *in = argv && index < argc ? &argv[index] : nullptr;
    const bool given = in && in->a_type != A_NOTHING;
    t_ex_ex &var = e->exp_var[index];
    var = t_ex_ex{};
    if (node->ex_type == ET_SI) {
      var.ex_type = ET_SYM;
      var.ex_cont.ptr = reinterpret_cast<char **>(given ? atom_getsym(in) : common_symbols().empty);
      if (given && in->a_type != A_SYM)
        inputs_fit = false;
    } else {
      if (given && !is_number(*in))
        inputs_fit = false;
      if (node->ex_type == ET_II) {
        var.ex_type = ET_INT;
        var.ex_cont.v_int = given ? atom_getlong(in) : 0;
      } else {
        var.ex_type = ET_FLT;
        var.ex_cont.v_flt = given ? atom_getfloat(in) : 0;
      }
    }
  }
  Value value = int_value(0);
  const bool computed = inputs_fit && run(e->exp_stack, e->exp_var, value);
  if (!computed) {
    error(inputs_fit ? "expr: a symbol cannot be computed with"
                     : "expr: an input of the wrong type");
    value = int_value(0);
  }
  e->exp_res = t_ex_ex{};
  if (value.type == A_SYM) {
    atom_setsym(result, value.s);
    e->exp_res.ex_type = ET_SYM;
    e->exp_res.ex_cont.ptr = reinterpret_cast<char **>(value.s);
  } else if (value.type == A_FLOAT) {
    atom_setfloat(result, value.f);
    e->exp_res.ex_type = ET_FLT;
    e->exp_res.ex_cont.v_flt = value.f;
  } else {
    atom_setlong(result, value.i);
    e->exp_res.ex_type = ET_INT;
    e->exp_res.ex_cont.v_int = value.i;
  }
  return computed ? 0 : 1;
}
