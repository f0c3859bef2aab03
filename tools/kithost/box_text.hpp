// The text of boxes as the visual host saves it: a message box's text as
// the messages it sends, and the arguments of an abstraction put in place of
// #1..#9 in the boxes inside it.
#pragma once

#include "builtins/builtins.hpp"
#include "script.hpp"

#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace kithost {

/// The messages of a message box's text. Words are split at blanks; a
/// comma ends a message, a semicolon starts messages to named receivers
/// ("; NAME message, message"), each word after it names its receiver.
/// In double quotes a word may hold blanks, commas and semicolons; a
/// backslash outside quotes makes the next character literal (`\,`, `\;`,
/// `\$`), and so makes its word a symbol. $1..$9 stand for the atoms of the
/// incoming message, in any place (a selector, a receiver's name too).
/// Nullopt with a reason when a quote is left open, a '$' word is not
/// $1..$9, a receiver's name is a number, or a message starts with
/// FullPacket (an address cannot come from text).
std::optional<builtins::BoxContent> parse_box_text(std::string_view text, std::string &error);

/// Where a box's text is read: the two readers escape differently.
enum class BoxKind { object, message };

/// `text` with every #1..#9 replaced by the abstraction argument of that
/// number (0 where there is none), written so that the box reads it back
/// as the word it was: a quoted argument stays one symbol, and in a message
/// box a comma, semicolon or dollar in a symbol stays literal. Anything
/// else, '#' followed by no digit 1..9 too, is left as it is.
std::string replace_arguments(std::string_view text, std::span<const Word> arguments, BoxKind kind);

} // namespace kithost
