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
void define_number();
void define_flonum();
void define_live_numbox();
void define_toggle();
void define_textbutton();
void define_slider();
void define_dial();
void define_umenu();
void define_multislider();
void define_kslider();
void define_attrui();
void define_decorations();
#ifndef _WIN32
void define_udpreceive();
void define_udpsend();
#endif

/// Registers "bang", "int", "float", "list" and "anything" for a class whose
/// one routine `Fn` takes every message as (x, selector, count, atoms): an
/// int arrives as ("int", one long), a bang as ("bang", none).
template <class X, void (*Fn)(X *, t_symbol *, long, t_atom *)>
void add_message_methods(t_class *c) {
  auto bang = +[](X *x) { Fn(x, gensym("bang"), 0, nullptr); };
  auto int_in = +[](X *x, t_atom_long n) {
    t_atom a;
    atom_setlong(&a, n);
    Fn(x, gensym("int"), 1, &a);
  };
  auto float_in = +[](X *x, double f) {
    t_atom a;
    atom_setfloat(&a, f);
    Fn(x, gensym("float"), 1, &a);
  };
  class_addmethod(c, reinterpret_cast<method>(bang), "bang", 0);
  class_addmethod(c, reinterpret_cast<method>(int_in), "int", A_LONG, 0);
  class_addmethod(c, reinterpret_cast<method>(float_in), "float", A_FLOAT, 0);
  class_addmethod(c, reinterpret_cast<method>(Fn), "list", A_GIMME, 0);
  class_addmethod(c, reinterpret_cast<method>(Fn), "anything", A_GIMME, 0);
}

/// Copies an assist text into the host's buffer (512 bytes).
inline void copy_assist(char *text, const char *hint) {
  std::snprintf(text, 512, "%s", hint);
}

} // namespace kithost::builtins
