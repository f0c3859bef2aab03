// The text form of atoms and messages shared by kithost, its scripts and the
// tests: how words become atoms and how messages are printed.
#pragma once

#include "ext.h"

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kit {

/// Splits a line into words at blanks. A word in double quotes is one word
/// and may hold blanks; \" and \\ escape inside quotes. Returns nullopt with
/// a reason in `error` when a quote is left open or the line holds a NUL
/// character (no symbol can hold one). `quoted` (when given) tells for each
/// word whether it was quoted, `starts` (when given) where in the line it
/// starts (its first character, a quote if it opens with one).
C74_API std::optional<std::vector<std::string>> split_words(std::string_view line,
                                                            std::string &error,
                                                            std::vector<bool> *quoted = nullptr,
                                                            std::vector<size_t> *starts = nullptr);

/// One word as an atom: a whole decimal integer (optional leading '-') is a
/// long, a whole decimal number with '.' or an exponent a float, anything
/// else (and any quoted word) a symbol. A number beyond a long's range is a
/// float; beyond a float's range, 0 when too small and an infinity of its
/// sign when too large.
C74_API t_atom word_to_atom(std::string_view word, bool quoted = false);

/// Words to atoms; nullopt with a reason when the line is malformed.
C74_API std::optional<std::vector<t_atom>> parse_atoms(std::string_view line, std::string &error);

struct ParsedMessage {
  t_symbol *selector = nullptr;
  std::vector<t_atom> atoms;
};

/// A message as a message box makes it: a lone number is an int or float
/// message, a number followed by more words a list, "bang" alone a bang,
/// otherwise the first word is the selector. Nullopt with a reason when the
/// line is malformed or empty.
C74_API std::optional<ParsedMessage> parse_message(std::string_view line, std::string &error);

/// Atoms as kithost prints them: single blanks between, longs in decimal,
/// floats as %g, symbols bare or quoted (with \" and \\) when empty or
/// holding a blank, a quote or a backslash. A line break in a quoted symbol
/// is written \n (or \r), so that the text stays on one line; read back, it
/// stays those two characters (a line cannot hold a line break).
C74_API std::string format_atoms(std::span<const t_atom> atoms);

/// The TEXT of an outlet line: "bang"; the atoms alone for int, float and
/// list; "FullPacket" then the bytes as upper-case hex (the packet's length
/// and address are its two long atoms); else the selector, written as a
/// symbol atom is, and its atoms.
C74_API std::string format_message(t_symbol *selector, std::span<const t_atom> atoms);

/// Bytes from hex text ("C0 B7 0007", blanks optional between bytes);
/// nullopt with a reason when a digit is not hex or a byte is cut. Columns
/// in the reason count from `first_column` at the text's first character
/// (for text that is part of a longer line).
C74_API std::optional<std::vector<unsigned char>>
parse_hex(std::string_view text, std::string &error, size_t first_column = 1);

} // namespace kit
