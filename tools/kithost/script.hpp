// The script reader: lines from a file or a stream, each split into a
// command word and its argument words by the kit's word rules.
#pragma once

#include <istream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kithost {

/// One word of a script line; a quoted word is always a symbol.
struct Word {
  std::string text;
  bool quoted = false;
  /// Column (from 1) of the word's first character in its line, past an
  /// opening quote; 0 when the word does not come from a line.
  std::size_t column = 0;
};

/// A script line split into words: the command and its arguments. A blank
/// line or a comment gives no words.
struct ScriptLine {
  std::vector<Word> words;
  bool empty() const { return words.empty(); }
};

/// Splits a line; nullopt with a reason when it is malformed (a quote left
/// open). Blank lines and lines whose first non-blank character is '#'
/// give an empty line.
std::optional<ScriptLine> read_script_line(std::string_view text, std::string &error);

/// Reads lines one at a time, counting them, with "\r\n" line ends taken as
/// "\n".
class LineSource {
public:
  LineSource(std::istream &in, std::string name) : in_(in), name_(std::move(name)) {}
  /// The next line, or nullopt at the end of the input.
  std::optional<std::string> next();
  /// "NAME:LINE" of the line last read.
  std::string where() const;
  const std::string &name() const { return name_; }

private:
  std::istream &in_;
  std::string name_;
  int number_ = 0;
};

} // namespace kithost
