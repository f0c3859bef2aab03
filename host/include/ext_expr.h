// Expressions: C-like arithmetic over inputs $i1..$i9, $f1..$f9 and
// $s1..$s9, compiled once by expr_new and evaluated by expr_eval.
//
// The language:
//   numbers     3 (an int), 3. 0.5 1e3 (floats)
//   inputs      $iN an int (a float input is truncated), $fN a float, $sN a
//               symbol, N from 1 to 9
//   operators   by falling precedence, all left to right:
//                 unary - ! ~
//                 * / %
//                 + -
//                 << >>
//                 < <= > >=
//                 == !=
//                 &   ^   |   &&   ||
//               With two ints the result is an int (division truncates
//               toward zero), otherwise a float. %, the bit operators and
//               shifts work on ints (floats are truncated); comparisons and
//               logic give 0 or 1. Division or remainder by zero gives 0.
//               Ints wrap around on overflow.
//   functions   abs min max int rint float pow sqrt exp ln log log10 fact
//               fmod ceil floor sin cos tan asin acos atan atan2 sinh cosh
//               tanh random(lo, hi) (an int from lo up to below hi) and
//               if(cond, a, b); int, rint, min, max, abs, if and pow of ints
//               give ints, the others floats.
//   symbols     a $sN input; == and != compare two symbols, anything else
//               done to one is an evaluation error.
// Tables (name[index]) and expr_install are not supported.
//
// Threads: any thread; one evaluation at a time per expression.
#ifndef EXT_EXPR_H
#define EXT_EXPR_H

#include "ext_mess.h"

BEGIN_USING_C_LINKAGE

#define EXPR_MAX_VARS 9

/// Kinds of the nodes of a compiled expression.
typedef enum {
  ET_INT = 0x1,  ///< an int
  ET_FLT = 0x2,  ///< a float
  ET_OP = 0x3,   ///< an operator
  ET_STR = 0x4,  ///< a string
  ET_TBL = 0x5,  ///< a table
  ET_FUNC = 0x6, ///< a function
  ET_SYM = 0x7,  ///< a symbol
  ET_VSYM = 0x8, ///< a symbol input
  ET_LP = 0x9,   ///< a left parenthesis
  ET_LB = 0x10,  ///< a left bracket
  ET_II = 0x11,  ///< an int input
  ET_FI = 0x12,  ///< a float input
  ET_SI = 0x13   ///< a symbol input
} e_max_expr_types;

/// One node: a value, an operator or an input.
typedef struct ex_ex {
  union {
    t_atom_long v_int;
    double v_flt;
    t_atom_long op;
    char **ptr;
  } ex_cont;
  long ex_type;
} t_ex_ex;

/// A compiled expression. exp_stack holds it in postfix order, ended by a
/// node of type 0; exp_var the inputs of the last evaluation, exp_res its
/// result.
typedef struct expr {
  t_object exp_ob;
  void *exp_outlet;
  t_ex_ex *exp_stack;
  t_ex_ex exp_var[EXPR_MAX_VARS];
  t_ex_ex exp_res;
} t_expr;

/// Compiles the expression written by the atoms (words and numbers, joined
/// with blanks: "$i1 + $f3 + 3" or "$i1+$f3+3"; comma atoms separate
/// function arguments). `types` (nine atoms, may be null) receives the type
/// of each input the expression uses: A_LONG for $iN, A_FLOAT for $fN, A_SYM
/// for $sN, A_NOTHING for an input it does not use. Returns the expression,
/// freed with object_free, or null with the reason on the console
/// ("expr: ...") when it is not well formed.
C74_API void *expr_new(long argc, t_atom *argv, t_atom *types);

/// Evaluates with the inputs in `argv` (input N is argv[N - 1]; missing
/// inputs and A_NOTHING atoms count as 0, 0.0 or the empty symbol) and
/// writes the result into `result`: A_LONG, A_FLOAT or A_SYM. Returns 0, or
/// 1 when an input had the wrong type or a symbol was computed with (the
/// result is then 0, and the failure reported).
C74_API short expr_eval(t_expr *x, long argc, t_atom *argv, t_atom *result);

END_USING_C_LINKAGE

#endif
