// The text of a message box as the messages it sends: parts split at
// commas, words by the kit's word rules, $1..$9 kept as placeholders.
#pragma once

#include "builtins/builtins.hpp"

#include <optional>
#include <string>
#include <string_view>

namespace kithost {

/// The messages of a message box's text. Nullopt with a reason when a quote
/// is left open, a ';' asks for named receivers (not supported), a '$' word
/// is not $1..$9, or a message starts with FullPacket (an address cannot
/// come from text).
std::optional<builtins::BoxContent> parse_box_text(std::string_view text, std::string &error);

} // namespace kithost
