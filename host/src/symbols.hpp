// Symbols the runtime itself compares against, interned once.
#pragma once

#include "ext_mess.h"

namespace kit::rt {

struct CommonSymbols {
  t_symbol *empty;
  t_symbol *bang;
  t_symbol *int_;
  t_symbol *float_;
  t_symbol *list;
  t_symbol *anything;
  t_symbol *assist;
  t_symbol *long_;
  t_symbol *symbol;
  t_symbol *atom;
  t_symbol *full_packet;
  t_symbol *error;
};

/// Interned when the library is loaded (nothing in the library uses them
/// from a static initialiser, so they are ready before any use).
extern const CommonSymbols common_symbols_table;

/// The common symbols; any thread.
inline const CommonSymbols &common_symbols() {
  return common_symbols_table;
}

} // namespace kit::rt
