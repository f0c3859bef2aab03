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
    {"button", define_button},
    {"delay", define_delay},
    {"inlet", define_inlet},
    {"loadbang", define_loadbang},
    {"message", define_message},
    {"metro", define_metro},
    {"outlet", define_outlet},
    {"append", define_append},
    {"prepend", define_prepend},
    {"print", define_print},
    {"r", define_receive},
    {"receive", define_receive},
    {"s", define_send},
    {"select", define_select},
    {"send", define_send},
    {"v", define_value},
    {"value", define_value},
    {"atoi", define_atoi},
    {"itoa", define_itoa},
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
