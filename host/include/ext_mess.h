// Symbols, atoms, objects and the method type of the host API.
#ifndef EXT_MESS_H
#define EXT_MESS_H

#include "ext_prefix.h"

BEGIN_USING_C_LINKAGE

typedef void t_outlet;
typedef void t_inlet;
/// A queue element made by qelem_new (opaque).
typedef void t_qelem;

/// An interned name: two symbols are equal exactly when their pointers are.
typedef struct symbol {
  char *s_name;
  struct object *s_thing;
} t_symbol;

/// Argument type codes of messages and creation routines.
typedef enum {
  A_NOTHING = 0,  ///< no (more) arguments
  A_LONG = 1,     ///< a long
  A_FLOAT = 2,    ///< a float (passed to the method as a double)
  A_SYM = 3,      ///< a symbol
  A_OBJ = 4,      ///< an object pointer (atoms only)
  A_DEFLONG = 5,  ///< an optional long, 0 when absent
  A_DEFFLOAT = 6, ///< an optional float, 0 when absent
  A_DEFSYM = 7,   ///< an optional symbol, the empty symbol when absent
  A_GIMME = 8,    ///< any atoms: (x, selector, count, atoms)
  A_CANT = 9,     ///< not sendable from a patch (host calls such as assist)
  A_SEMI = 10,
  A_COMMA = 11,
  A_DOLLAR = 12,
  A_DOLLSYM = 13,
  A_GIMMEBACK = 14,
  A_DEFER = 0x41,
  A_USURP = 0x42,
  A_DEFER_LOW = 0x43,
  A_USURP_LOW = 0x44
} e_max_atomtypes;

union word {
  t_atom_long w_long;
  t_atom_float w_float;
  t_symbol *w_sym;
  struct object *w_obj;
};

/// A tagged value: a_type is one of A_LONG, A_FLOAT, A_SYM, A_OBJ.
typedef struct atom {
  short a_type;
  union word a_w;
} t_atom;

/// The header that starts every object record. Its fields belong to the host.
typedef struct object {
  struct messlist *o_messlist;
  t_ptr_int o_magic;
  t_inlet *o_inlet;
  t_outlet *o_outlet;
} t_object;

/// The generic method type: every method is registered cast to it and called
/// with its real signature.
typedef void *(*method)(void *);

typedef struct messlist {
  t_symbol *m_sym;
  method m_fun;
  char m_type[8];
} t_messlist;

/// A registered class (opaque).
typedef struct maxclass t_class;

/// A clock made by clock_new (opaque).
typedef void t_clock;

typedef char **t_handle;

END_USING_C_LINKAGE

#endif
