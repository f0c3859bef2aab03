// --list and --describe: what the module folders offer.
#pragma once

#include "kit/host.hpp"

#include <ostream>
#include <string>

namespace kithost {

/// Prints the loadable classes, one per line.
void list_classes(kit::Host &host, std::ostream &out);

/// Prints the class's reference: creation arguments, messages with their
/// argument types, attributes, and inlets and outlets with their assist
/// texts (read from an object made without arguments). False with a reason
/// in `error` when the class cannot be loaded.
bool describe_class(kit::Host &host, const std::string &class_name, std::ostream &out,
                    std::string &error);

} // namespace kithost
