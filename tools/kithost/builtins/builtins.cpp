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
    {"append", define_append},
    {"atoi", define_atoi},
    {"attrui", define_attrui},
    {"button", define_button},
    {"comment", define_decorations},
    {"delay", define_delay},
    {"dial", define_dial},
    {"flonum", define_flonum},
    {"fpic", define_decorations},
    {"inlet", define_inlet},
    {"itoa", define_itoa},
    {"kslider", define_kslider},
    {"live.comment", define_decorations},
    {"live.line", define_decorations},
    {"live.numbox", define_live_numbox},
    {"loadbang", define_loadbang},
    {"message", define_message},
    {"metro", define_metro},
    {"multislider", define_multislider},
    {"number", define_number},
    {"outlet", define_outlet},
    {"panel", define_decorations},
    {"prepend", define_prepend},
    {"print", define_print},
    {"r", define_receive},
    {"receive", define_receive},
    {"s", define_send},
    {"select", define_select},
    {"send", define_send},
    {"slider", define_slider},
    {"swatch", define_decorations},
    {"textbutton", define_textbutton},
    {"toggle", define_toggle},
    {"umenu", define_umenu},
    {"v", define_value},
    {"value", define_value},
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
