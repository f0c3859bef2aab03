// Expressions: precedence and associativity, int and float arithmetic by
// the operands' types, inputs, functions and symbols, and the expressions
// that are refused.
#include "patch.hpp"

#include "ext.h"
#include "ext_obex.h"
#include "kit/text.hpp"

#include <gtest/gtest.h>

#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <ostream>
#include <string>
#include <vector>

using kittest::Lines;
using kittest::Patch;

namespace {

// "int 7", "float 2.5" or "symbol a": the result with its type.
std::string typed(const t_atom &a) {
  char text[80];
  if (a.a_type == A_LONG)
    std::snprintf(text, sizeof text, "int %" PRIdPTR, a.a_w.w_long);
  else if (a.a_type == A_FLOAT)
    std::snprintf(text, sizeof text, "float %.10g", a.a_w.w_float);
  else if (a.a_type == A_SYM)
    std::snprintf(text, sizeof text, "symbol %s", a.a_w.w_sym->s_name);
  else
    std::snprintf(text, sizeof text, "type %d", a.a_type);
  return text;
}

// Compiles the expression (one symbol) and evaluates it with the inputs
// (words as a message box reads them); "refused" when it does not compile.
std::string evaluate(const std::string &expression, const std::string &inputs = "") {
  t_atom text;
  atom_setsym(&text, gensym(expression.c_str()));
  t_expr *x = static_cast<t_expr *>(expr_new(1, &text, nullptr));
  if (!x)
    return "refused";
  std::string error;
  std::vector<t_atom> in =
      inputs.empty() ? std::vector<t_atom>{} : *kit::parse_atoms(inputs, error);
  t_atom result{};
  const short failed = expr_eval(x, static_cast<long>(in.size()), in.data(), &result);
  object_free(x);
  return failed ? "failed" : typed(result);
}

struct Case {
  const char *expression;
  const char *inputs;
  const char *result;
};

void PrintTo(const Case &c, std::ostream *os) {
  *os << '"' << c.expression << "\" with \"" << c.inputs << '"';
}

class Expressions : public ::testing::TestWithParam<Case> {
protected:
  Patch p; // captures the console
};

TEST_P(Expressions, EvaluateAsDocumented) {
  const Case &c = GetParam();
  EXPECT_EQ(evaluate(c.expression, c.inputs), c.result) << c.expression << " with " << c.inputs;
}

INSTANTIATE_TEST_SUITE_P(
    Precedence, Expressions,
    ::testing::Values(Case{"1 + 2 * 3", "", "int 7"}, Case{"(1 + 2) * 3", "", "int 9"},
                      Case{"2 - 3 - 4", "", "int -5"}, Case{"100 / 10 / 5", "", "int 2"},
                      Case{"2 * 3 % 4", "", "int 2"}, Case{"1 << 4 + 1", "", "int 32"},
                      Case{"3 < 4 == 1", "", "int 1"}, Case{"1 | 2 ^ 3 & 1", "", "int 3"},
                      Case{"1 && 0 || 1", "", "int 1"}, Case{"0 || 1 && 0", "", "int 0"},
                      Case{"- 2 * 3", "", "int -6"}, Case{"-(2 + 3)", "", "int -5"},
                      Case{"!0 + !5", "", "int 1"}, Case{"~0", "", "int -1"},
                      Case{"2<=2", "", "int 1"}, Case{"3 >= 4", "", "int 0"},
                      Case{"1 != 2", "", "int 1"}, Case{"5 > 4 > 0", "", "int 1"}));

INSTANTIATE_TEST_SUITE_P(
    Types, Expressions,
    ::testing::Values(Case{"7 / 2", "", "int 3"}, Case{"7. / 2", "", "float 3.5"},
                      Case{"-7 / 2", "", "int -3"}, Case{"7 % 3", "", "int 1"},
                      Case{"-7 % 3", "", "int -1"}, Case{"7.5 % 2", "", "int 1"},
                      Case{"1 / 0", "", "int 0"}, Case{"1. / 0", "", "float 0"},
                      Case{"5 % 0", "", "int 0"}, Case{"0.5 + .25 + 1e1", "", "float 10.75"},
                      Case{"256 >> 2", "", "int 64"}, Case{"-8 >> 1", "", "int -4"},
                      Case{"1 << 70", "", "int 0"}, Case{"1 << -1", "", "int 0"},
                      Case{"2.5 < 3", "", "int 1"}, Case{"5.9 & 3", "", "int 1"},
                      Case{"9223372036854775807 + 1", "", "int -9223372036854775808"},
                      Case{"99999999999999999999", "", "float 1e+20"}));

INSTANTIATE_TEST_SUITE_P(
    Inputs, Expressions,
    ::testing::Values(Case{"$i1 + $f2", "2 0.5", "float 2.5"}, Case{"$i1", "2.9", "int 2"},
                      Case{"$i1", "-2.9", "int -2"}, Case{"$f1 / 2", "3", "float 1.5"},
                      Case{"$i1 * 2 + $i3", "4", "int 8"}, Case{"-$i1", "5", "int -5"},
                      Case{"$i1 / -1", "-9223372036854775808", "int -9223372036854775808"},
                      Case{"$i9", "1 2 3 4 5 6 7 8 9", "int 9"},
                      Case{"$i1", "1e300", "int 9223372036854775807"}, Case{"$s1", "a", "symbol a"},
                      Case{"$s1 == $s2", "a a", "int 1"}, Case{"$s1 != $s2", "a b", "int 1"},
                      Case{"$s1 == $s2", "a b", "int 0"},
                      Case{"if($i1, $s2, $s3)", "0 yes no", "symbol no"},
                      Case{"$s1 + 1", "a", "failed"}, Case{"$s1 == 1", "a", "failed"},
                      Case{"$i1 + 1", "word", "failed"}, Case{"$s1", "3", "failed"}));

INSTANTIATE_TEST_SUITE_P(
    Functions, Expressions,
    ::testing::Values(Case{"min(3, 2.5)", "", "float 2.5"}, Case{"max(2, 7)", "", "int 7"},
                      Case{"abs(-3)", "", "int 3"}, Case{"abs(-2.5)", "", "float 2.5"},
                      Case{"int(3.9) + int(-3.9)", "", "int 0"}, Case{"rint(2.6)", "", "int 3"},
                      Case{"float(3) / 2", "", "float 1.5"}, Case{"pow(2, 10)", "", "int 1024"},
                      Case{"pow(2, -1)", "", "float 0.5"}, Case{"sqrt(16)", "", "float 4"},
                      Case{"fact(5)", "", "float 120"}, Case{"fmod(7.5, 2)", "", "float 1.5"},
                      Case{"floor(-1.5) + ceil(1.2)", "", "float 0"},
                      Case{"atan2(0, -1)", "", "float 3.141592654"},
                      Case{"ln(1) + exp(0)", "", "float 1"}, Case{"log10(1000)", "", "float 3"},
                      Case{"log(1)", "", "float 0"},
                      Case{"sin(0) + cos(0) + tan(0)", "", "float 1"},
                      Case{"if($i1 > 2, 10, 20)", "3", "int 10"}, Case{"random(0, 1)", "", "int 0"},
                      Case{"random(5, 2)", "", "int 5"},
                      Case{"max(min($i1, 10), 0)", "12", "int 10"}));

INSTANTIATE_TEST_SUITE_P(
    Refused, Expressions,
    ::testing::Values(Case{"", "", "refused"}, Case{"1 +", "", "refused"},
                      Case{"(1 + 2", "", "refused"}, Case{"1 2", "", "refused"},
                      Case{"$i0", "", "refused"}, Case{"$x1", "", "refused"},
                      Case{"$i10", "", "refused"}, Case{"foo(1)", "", "refused"},
                      Case{"min(1)", "", "refused"}, Case{"min(1, 2, 3)", "", "refused"},
                      Case{"sin 1", "", "refused"}, Case{"tab[1]", "", "refused"},
                      Case{"$i1 + $f1", "", "refused"}, Case{"1 = 2", "", "refused"},
                      Case{"3..4", "", "refused"}, Case{"1e", "", "refused"},
                      Case{"2 !", "", "refused"}, Case{"*3", "", "refused"}));

TEST(ExpressionAtoms, WordsNumbersAndCommasMakeTheTextAndInputTypesAreReported) {
  Patch p;
  // As the header's example: one atom per word.
  t_atom words[5];
  atom_setsym(&words[0], gensym("$i1"));
  atom_setsym(&words[1], gensym("+"));
  atom_setsym(&words[2], gensym("$f3"));
  atom_setsym(&words[3], gensym("+"));
  atom_setlong(&words[4], 3);
  t_atom types[9];
  auto *x = static_cast<t_expr *>(expr_new(5, words, types));
  ASSERT_NE(x, nullptr);
  EXPECT_EQ(types[0].a_type, A_LONG);
  EXPECT_EQ(types[1].a_type, A_NOTHING);
  EXPECT_EQ(types[2].a_type, A_FLOAT);
  for (int i = 3; i < 9; ++i)
    EXPECT_EQ(types[i].a_type, A_NOTHING) << i;
  // Gaps filled with A_NOTHING, as the header says.
  t_atom in[3];
  atom_setlong(&in[0], 1);
  in[1].a_type = A_NOTHING;
  atom_setfloat(&in[2], 0.5);
  t_atom result;
  EXPECT_EQ(expr_eval(x, 3, in, &result), 0);
  EXPECT_EQ(typed(result), "float 4.5");
  EXPECT_EQ(x->exp_res.ex_type, ET_FLT);
  object_free(x);

  // A float atom stays a float however it prints; commas separate arguments.
  t_atom call[5];
  atom_setsym(&call[0], gensym("max($i1"));
  call[1].a_type = A_COMMA;
  atom_setfloat(&call[2], 2.0);
  atom_setsym(&call[3], gensym(")"));
  atom_setsym(&call[4], gensym("/4"));
  x = static_cast<t_expr *>(expr_new(5, call, nullptr));
  ASSERT_NE(x, nullptr);
  atom_setlong(&in[0], 1);
  EXPECT_EQ(expr_eval(x, 1, in, &result), 0);
  EXPECT_EQ(typed(result), "float 0.5");
  object_free(x);
  EXPECT_TRUE(p.take().empty());
}

TEST(ExpressionAtoms, RefusalsAndFailuresSayWhy) {
  Patch p;
  EXPECT_EQ(evaluate("min(1)"), "refused");
  EXPECT_EQ(evaluate("$i1 + $f1"), "refused");
  EXPECT_EQ(evaluate("tab[1]"), "refused");
  EXPECT_EQ(evaluate("$s1 * 2", "x"), "failed");
  EXPECT_EQ(p.take(), (Lines{"error: expr: \"min\" takes 2 arguments in \"min(1)\"",
                             "error: expr: input 1 is used with two types in \"$i1 + $f1\"",
                             "error: expr: tables are not supported (\"tab[\") in \"tab[1]\"",
                             "error: expr: a symbol cannot be computed with"}));
  int not_an_expression[16] = {};
  t_atom result;
  EXPECT_EQ(expr_eval(reinterpret_cast<t_expr *>(not_an_expression), 0, nullptr, &result), 1);
  EXPECT_EQ(p.take().size(), 1u);
}

} // namespace
