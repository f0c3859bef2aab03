// The host's own classes that patches need when run headless: the
// everyday objects, the user interface boxes as stand-ins without a face,
// the message box, the inlet and outlet boxes of subpatchers, and (POSIX
// only) udpsend and udpreceive (README.md tables them all). They are made like
// any other class; kithost defines them before the module folders are searched.
#pragma once

#include "kit/host.hpp"

#include <span>
#include <string>
#include <vector>

namespace kithost::builtins {

/// Defines every built-in class in the host (once per process).
void define_all(kit::Host &host);

/// The names of the built-in classes and their aliases.
std::vector<std::string> class_names();

/// One word of a message box: an atom, or a placeholder $1..$9 (index 1-9).
struct BoxWord {
  t_atom atom{};
  int dollar = 0; ///< 0 for a plain atom
};
/// The messages of a message box, in order (the parts between commas).
using BoxContent = std::vector<std::vector<BoxWord>>;

/// Replaces the content of a message box object (of class "message").
/// False when `x` is not a message box.
bool set_message_content(t_object *x, BoxContent content);

/// Sends "bang" out of a loadbang object; false when `x` is not one.
bool fire_loadbang(t_object *x);

} // namespace kithost::builtins
