// What the built-in classes share: their registration functions and the
// assist helper. Registration runs as each class's entry point.
#pragma once

#include "builtins.hpp"

#include "ext.h"
#include "ext_obex.h"

#include <cstdio>

namespace kithost::builtins {

void define_print();
void define_loadbang();
void define_button();
void define_delay();
void define_metro();
void define_message();
void define_inlet();
void define_outlet();
void define_select();
void define_atoi();
void define_itoa();
void define_send();
void define_receive();
void define_value();
void define_prepend();
void define_append();
#ifndef _WIN32
void define_udpreceive();
void define_udpsend();
#endif

/// Copies an assist text into the host's buffer (512 bytes).
inline void copy_assist(char *text, const char *hint) {
  std::snprintf(text, 512, "%s", hint);
}

} // namespace kithost::builtins
