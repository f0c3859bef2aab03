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
};

/// The common symbols; any thread.
const CommonSymbols &common_symbols();

} // namespace kit::rt
