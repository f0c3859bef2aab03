// The host's own classes that patches need when run headless: the
// everyday objects, the user interface boxes as stand-ins without a face,
// the message box, the inlet and outlet boxes of subpatchers, and (POSIX
// only) udpsend and udpreceive (README.md tables them all). They are made like
// any other class; kithost defines them before the module folders are searched.
#pragma once

#include "kit/host.hpp"

#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
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
/// One message of a message box: its words, sent out of the box's outlet,
/// or to the receivers of a name when `to` is set (a word that may itself
/// be a placeholder).
struct BoxMessage {
  std::vector<BoxWord> words;
  std::optional<BoxWord> to;
};
/// The messages of a message box, in the order they are sent.
using BoxContent = std::vector<BoxMessage>;

/// Replaces the content of a message box object (of class "message").
/// False when `x` is not a message box.
bool set_message_content(t_object *x, BoxContent content);

/// Where print boxes send their lines ("NAME: TEXT"); an empty sink (the
/// default) posts them to the console. Main thread.
void set_print_sink(std::function<void(std::string_view text)> sink);

/// Makes a loadbang or loadmess object send what it sends when its patch
/// has been built; false when `x` is neither.
bool fire_loadbang(t_object *x);

} // namespace kithost::builtins
