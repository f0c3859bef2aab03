#include "box_text.hpp"

#include "kit/text.hpp"

#include <vector>

namespace kithost {

namespace {

struct Token {
  enum class Kind { word, comma, semicolon };
  Kind kind = Kind::word;
  std::string text;
  bool literal = false; ///< quoted or escaped: a symbol, never a placeholder
};

bool is_blank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

/// Words, commas and semicolons of a message box's text.
std::optional<std::vector<Token>> tokenize(std::string_view text, std::string &error) {
  // A symbol's name ends at a NUL: the word would lose the rest unseen.
  if (const auto nul = text.find('\0'); nul != std::string_view::npos) {
    error = "a NUL character at column " + std::to_string(nul + 1);
    return std::nullopt;
  }
  std::vector<Token> tokens;
  std::size_t i = 0;
  while (i < text.size()) {
    const char c = text[i];
    if (is_blank(c)) {
      ++i;
      continue;
    }
    if (c == ',' || c == ';') {
      tokens.push_back({c == ',' ? Token::Kind::comma : Token::Kind::semicolon, {}, false});
      ++i;
      continue;
    }
    Token word;
    while (i < text.size() && !is_blank(text[i]) && text[i] != ',' && text[i] != ';') {
      if (text[i] == '\\' && i + 1 < text.size()) {
        word.text += text[i + 1];
        word.literal = true;
        i += 2;
      } else if (text[i] == '"') {
        const std::size_t open = i++;
        bool closed = false;
        while (i < text.size()) {
          const char q = text[i++];
          if (q == '"') {
            closed = true;
            break;
          }
          const bool escape = q == '\\' && i < text.size() &&
                              std::string_view("\"\\,;$").find(text[i]) != std::string_view::npos;
          word.text += escape ? text[i++] : q;
        }
        if (!closed) {
          error = "quote opened at column " + std::to_string(open + 1) + " is not closed";
          return std::nullopt;
        }
        word.literal = true;
      } else {
        word.text += text[i++];
      }
    }
    tokens.push_back(std::move(word));
  }
  return tokens;
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

std::optional<builtins::BoxWord> box_word(const Token &token, std::string &error) {
  builtins::BoxWord word;
  if (token.literal) {
    atom_setsym(&word.atom, gensym(token.text.c_str()));
    return word;
  }
  word.dollar = placeholder(token.text);
  if (word.dollar < 0) {
    error = "'" + token.text + "': only $1 to $9 stand for arguments";
    return std::nullopt;
  }
  if (word.dollar == 0)
    word.atom = kit::word_to_atom(token.text);
  return word;
}

bool starts_with_full_packet(const std::vector<builtins::BoxWord> &words) {
  return !words.empty() && words.front().dollar == 0 && words.front().atom.a_type == A_SYM &&
         words.front().atom.a_w.w_sym == gensym("FullPacket");
}

} // namespace

std::optional<builtins::BoxContent> parse_box_text(std::string_view text, std::string &error) {
  auto tokens = tokenize(text, error);
  if (!tokens)
    return std::nullopt;
  builtins::BoxContent content;
  builtins::BoxMessage message;
  bool after_semicolon = false; // the next word names a receiver
  auto finish = [&]() -> bool {
    if (starts_with_full_packet(message.words)) {
      error = "FullPacket cannot be typed in a message box (an address cannot come from text)";
      return false;
    }
    // An empty part (", ," or a name alone) sends nothing.
    if (!message.words.empty())
      content.push_back(message);
    message.words.clear();
    return true;
  };
  for (const Token &token : *tokens) {
    if (token.kind != Token::Kind::word) {
      if (!finish())
        return std::nullopt;
      if (token.kind == Token::Kind::semicolon) {
        after_semicolon = true;
        message.to.reset();
      }
      continue;
    }
    auto word = box_word(token, error);
    if (!word)
      return std::nullopt;
    if (after_semicolon) {
      if (word->dollar == 0 && word->atom.a_type != A_SYM) {
        error = "'; " + token.text + "': a receiver's name is a symbol";
        return std::nullopt;
      }
      message.to = *word;
      after_semicolon = false;
      continue;
    }
    message.words.push_back(*word);
  }
  if (!finish())
    return std::nullopt;
  return content;
}

std::string replace_arguments(std::string_view text, std::span<const Word> arguments,
                              BoxKind kind) {
  auto written = [kind](const Word &word) {
    std::string out;
    if (word.quoted) {
      out += '"';
      for (char c : word.text) {
        if (c == '"' || c == '\\')
          out += '\\';
        out += c;
      }
      return out + '"';
    }
    for (char c : word.text) {
      if (kind == BoxKind::message && std::string_view("\\\",;$").find(c) != std::string_view::npos)
        out += '\\';
      out += c;
    }
    return out;
  };
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const bool numbered =
        text[i] == '#' && i + 1 < text.size() && text[i + 1] >= '1' && text[i + 1] <= '9';
    if (!numbered) {
      out += text[i];
      continue;
    }
    const auto index = static_cast<std::size_t>(text[++i] - '1');
    out += index < arguments.size() ? written(arguments[index]) : std::string("0");
  }
  return out;
}

} // namespace kithost
