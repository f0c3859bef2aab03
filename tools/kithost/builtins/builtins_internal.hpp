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
void define_trigger();
void define_bangbang();
void define_operators();
void define_int();
void define_float();
void define_pack();
void define_pak();
void define_unpack();
void define_route();
void define_gate();
void define_switch();
void define_counter();
void define_pipe();
void define_speedlim();
void define_deferlow();
void define_zl();
void define_sprintf();
void define_iter();
void define_uzi();
void define_change();
void define_togedge();
void define_split();
void define_scale();
void define_random();
void define_swap();
void define_loadmess();
void define_expr();
#ifndef _WIN32
void define_udpreceive();
void define_udpsend();
#endif

/// Registers "int" and "float" for a class whose routine `Fn` takes them as
/// (x, selector, count, atoms): an int arrives as ("int", one long).
template <class X, void (*Fn)(X *, t_symbol *, long, t_atom *)>
void add_number_methods(t_class *c) {
  // Looked up once: symbols live as long as the process, and a lookup per
  // message was most of what a number costs on its way through a box.
  auto int_in = +[](X *x, t_atom_long n) {
    static t_symbol *const selector = gensym("int");
    t_atom a;
    atom_setlong(&a, n);
    Fn(x, selector, 1, &a);
  };
  auto float_in = +[](X *x, double f) {
    static t_symbol *const selector = gensym("float");
    t_atom a;
    atom_setfloat(&a, f);
    Fn(x, selector, 1, &a);
  };
  class_addmethod(c, reinterpret_cast<method>(int_in), "int", A_LONG, 0);
  class_addmethod(c, reinterpret_cast<method>(float_in), "float", A_FLOAT, 0);
}

/// Registers "bang", "int", "float", "list" and "anything" for a class whose
/// one routine `Fn` takes every message as (x, selector, count, atoms): a
/// bang arrives as ("bang", none).
template <class X, void (*Fn)(X *, t_symbol *, long, t_atom *)>
void add_message_methods(t_class *c) {
  auto bang = +[](X *x) {
    static t_symbol *const selector = gensym("bang");
    Fn(x, selector, 0, nullptr);
  };
  class_addmethod(c, reinterpret_cast<method>(bang), "bang", 0);
  add_number_methods<X, Fn>(c);
  class_addmethod(c, reinterpret_cast<method>(Fn), "list", A_GIMME, 0);
  class_addmethod(c, reinterpret_cast<method>(Fn), "anything", A_GIMME, 0);
}

/// Copies an assist text into the host's buffer (512 bytes).
inline void copy_assist(char *text, const char *hint) {
  std::snprintf(text, 512, "%s", hint);
}

} // namespace kithost::builtins
