#include "box_text.hpp"

#include "kit/text.hpp"

#include <vector>

namespace kithost {

namespace {

/// Splits at commas outside double quotes; nullopt at a ';' outside them.
std::optional<std::vector<std::string>> split_parts(std::string_view text, std::string &error) {
  std::vector<std::string> parts(1);
  bool quoted = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (quoted && c == '\\' && i + 1 < text.size()) {
      parts.back() += c;
      parts.back() += text[++i];
      continue;
    }
    if (c == '"')
      quoted = !quoted;
    if (!quoted && c == ',') {
      parts.emplace_back();
      continue;
    }
    if (!quoted && c == ';') {
      error = "';' (messages to named receivers) is not supported";
      return std::nullopt;
    }
    parts.back() += c;
  }
  return parts;
}

/// 1..9 for "$1".."$9", 0 for a word that is no placeholder, -1 for any
/// other '$' and digits.
int placeholder(const std::string &word) {
  if (word.size() < 2 || word[0] != '$')
    return 0;
  for (std::size_t i = 1; i < word.size(); ++i)
    if (word[i] < '0' || word[i] > '9')
      return 0;
  if (word.size() == 2 && word[1] >= '1')
    return word[1] - '0';
  return -1;
}

} // namespace

std::optional<builtins::BoxContent> parse_box_text(std::string_view text, std::string &error) {
  auto parts = split_parts(text, error);
  if (!parts)
    return std::nullopt;
  builtins::BoxContent content;
  for (const std::string &part : *parts) {
    std::vector<bool> quoted;
    auto words = kit::split_words(part, error, &quoted);
    if (!words)
      return std::nullopt;
    std::vector<builtins::BoxWord> message;
    for (std::size_t i = 0; i < words->size(); ++i) {
      const std::string &word = (*words)[i];
      const bool is_quoted = i < quoted.size() && quoted[i];
      builtins::BoxWord box_word;
      const int dollar = is_quoted ? 0 : placeholder(word);
      if (dollar < 0) {
        error = "'" + word + "': only $1 to $9 stand for arguments";
        return std::nullopt;
      }
      box_word.dollar = dollar;
      if (dollar == 0)
        box_word.atom = kit::word_to_atom(word, is_quoted);
      message.push_back(box_word);
    }
    if (!message.empty() && message.front().dollar == 0 && message.front().atom.a_type == A_SYM &&
        message.front().atom.a_w.w_sym == gensym("FullPacket")) {
      error = "FullPacket cannot be typed in a message box (an address cannot come from text)";
      return std::nullopt;
    }
    // An empty part (", ,") sends nothing.
    if (!message.empty())
      content.push_back(std::move(message));
  }
  return content;
}

} // namespace kithost
