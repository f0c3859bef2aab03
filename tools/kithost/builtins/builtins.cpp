#include "builtins_internal.hpp"

#include <algorithm>
#include <string_view>

namespace kithost::builtins {

namespace {

struct Builtin {
  std::string_view name;
  void (*define)();
};

constexpr Builtin all[] = {
    {"!=", define_operators},
    {"%", define_operators},
    {"*", define_operators},
    {"+", define_operators},
    {"-", define_operators},
    {"/", define_operators},
    {"<", define_operators},
    {"<=", define_operators},
    {"==", define_operators},
    {">", define_operators},
    {">=", define_operators},
    {"append", define_append},
    {"atoi", define_atoi},
    {"attrui", define_attrui},
    {"b", define_bangbang},
    {"bangbang", define_bangbang},
    {"button", define_button},
    {"change", define_change},
    {"comment", define_decorations},
    {"counter", define_counter},
    {"deferlow", define_deferlow},
    {"del", define_delay},
    {"delay", define_delay},
    {"dial", define_dial},
    {"expr", define_expr},
    {"f", define_float},
    {"float", define_float},
    {"flonum", define_flonum},
    {"fpic", define_decorations},
    {"gate", define_gate},
    {"i", define_int},
    {"inlet", define_inlet},
    {"int", define_int},
    {"iter", define_iter},
    {"itoa", define_itoa},
    {"kslider", define_kslider},
    {"live.comment", define_decorations},
    {"live.line", define_decorations},
    {"live.numbox", define_live_numbox},
    {"loadbang", define_loadbang},
    {"loadmess", define_loadmess},
    {"message", define_message},
    {"metro", define_metro},
    {"multislider", define_multislider},
    {"number", define_number},
    {"outlet", define_outlet},
    {"pack", define_pack},
    {"pak", define_pak},
    {"panel", define_decorations},
    {"pipe", define_pipe},
    {"prepend", define_prepend},
    {"print", define_print},
    {"r", define_receive},
    {"random", define_random},
    {"receive", define_receive},
    {"route", define_route},
    {"s", define_send},
    {"scale", define_scale},
    {"sel", define_select},
    {"select", define_select},
    {"send", define_send},
    {"slider", define_slider},
    {"speedlim", define_speedlim},
    {"split", define_split},
    {"sprintf", define_sprintf},
    {"swap", define_swap},
    {"swatch", define_decorations},
    {"switch", define_switch},
    {"t", define_trigger},
    {"textbutton", define_textbutton},
    {"togedge", define_togedge},
    {"toggle", define_toggle},
    {"trigger", define_trigger},
    {"umenu", define_umenu},
    {"unpack", define_unpack},
    {"uzi", define_uzi},
    {"v", define_value},
    {"value", define_value},
    {"zl", define_zl},
    {"zl.group", define_zl},
    {"zl.iter", define_zl},
    {"zl.join", define_zl},
    {"zl.len", define_zl},
    {"zl.nth", define_zl},
    {"zl.reg", define_zl},
    {"zl.rev", define_zl},
    {"zl.slice", define_zl},
    {"zl.sort", define_zl},
#ifndef _WIN32
    // Datagrams over POSIX sockets; the Windows build has none yet.
    {"udpreceive", define_udpreceive},
    {"udpsend", define_udpsend},
#endif
};

} // namespace

void define_all(kit::Host &host) {
  for (const Builtin &builtin : all)
    host.define_module(builtin.name, builtin.define);
}

std::vector<std::string> class_names() {
  std::vector<std::string> names;
  for (const Builtin &builtin : all)
    names.emplace_back(builtin.name);
  return names;
}

} // namespace kithost::builtins
