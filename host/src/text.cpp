// The text form of atoms and messages (see kit/text.hpp).
#include "kit/text.hpp"
#include "conversions.hpp"
#include "symbols.hpp"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cinttypes>
#include <cstdio>
#include <limits>

namespace kit {
namespace {

bool is_blank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

bool is_digit(char c) {
  return c >= '0' && c <= '9';
}

// -?digits
bool is_integer_text(std::string_view w) {
  size_t i = (!w.empty() && w[0] == '-') ? 1 : 0;
  if (i == w.size())
    return false;
  for (; i < w.size(); ++i)
    if (!is_digit(w[i]))
      return false;
  return true;
}

// -?(digits[.digits*] | .digits)([eE][+-]?digits)? with a '.' or an exponent
bool is_float_text(std::string_view w) {
  size_t i = (!w.empty() && w[0] == '-') ? 1 : 0;
  size_t mantissa_digits = 0;
  bool point = false, exponent = false;
  for (; i < w.size() && is_digit(w[i]); ++i)
    ++mantissa_digits;
  if (i < w.size() && w[i] == '.') {
    point = true;
    for (++i; i < w.size() && is_digit(w[i]); ++i)
      ++mantissa_digits;
  }
  if (mantissa_digits == 0)
    return false;
  if (i < w.size() && (w[i] == 'e' || w[i] == 'E')) {
    exponent = true;
    ++i;
    if (i < w.size() && (w[i] == '+' || w[i] == '-'))
      ++i;
    size_t exponent_digits = 0;
    for (; i < w.size() && is_digit(w[i]); ++i)
      ++exponent_digits;
    if (exponent_digits == 0)
      return false;
  }
  return i == w.size() && (point || exponent);
}

// Whether a decimal number word that is out of a double's range is too
// large (true) or too small (false): the power of ten of its first nonzero
// digit decides, as the digits alone cannot reach either end.
bool is_too_large(std::string_view w) {
  size_t i = (!w.empty() && w[0] == '-') ? 1 : 0;
  long long power = 0; // of the first nonzero digit, before the exponent
  bool seen = false, in_fraction = false;
  for (; i < w.size() && (is_digit(w[i]) || w[i] == '.'); ++i) {
    if (w[i] == '.') {
      in_fraction = true;
      continue;
    }
    if (in_fraction ? !seen : seen)
      power += in_fraction ? -1 : 1;
    if (w[i] != '0')
      seen = true;
  }
  long long exponent = 0;
  if (i < w.size() && (w[i] == 'e' || w[i] == 'E')) {
    ++i;
    const bool negative = i < w.size() && w[i] == '-';
    if (i < w.size() && (w[i] == '+' || w[i] == '-'))
      ++i;
    // Saturates: any exponent beyond this is out of range either way.
    for (; i < w.size() && is_digit(w[i]); ++i)
      exponent = std::min(exponent * 10 + (w[i] - '0'), 1'000'000'000LL);
    if (negative)
      exponent = -exponent;
  }
  return power + exponent > 0;
}

// A decimal number word as a double; one out of range becomes 0 or an
// infinity of its sign, as the host's own reader makes it.
bool parse_double(std::string_view w, double &out) {
  const auto [end, ec] = std::from_chars(w.data(), w.data() + w.size(), out);
  if (end != w.data() + w.size())
    return false;
  if (ec == std::errc::result_out_of_range) {
    const bool negative = !w.empty() && w[0] == '-';
    out = is_too_large(w) ? std::numeric_limits<double>::infinity() : 0.0;
    if (negative)
      out = -out;
    return true;
  }
  return ec == std::errc();
}

// A line break in a symbol would split its printed line in two.
bool is_line_break(char c) {
  return c == '\n' || c == '\r';
}

bool needs_quotes(std::string_view text) {
  if (text.empty())
    return true;
  for (char c : text)
    if (is_blank(c) || c == '"' || c == '\\')
      return true;
  return false;
}

void append_symbol(std::string &out, std::string_view text) {
  if (!needs_quotes(text)) {
    out += text;
    return;
  }
  out += '"';
  for (char c : text) {
    if (is_line_break(c)) {
      out += c == '\n' ? "\\n" : "\\r";
      continue;
    }
    if (c == '"' || c == '\\')
      out += '\\';
    out += c;
  }
  out += '"';
}

void append_atom(std::string &out, const t_atom &a) {
  char number[64];
  switch (a.a_type) {
  case A_LONG:
    std::snprintf(number, sizeof number, "%" PRIdPTR, a.a_w.w_long);
    out += number;
    break;
  case A_FLOAT:
    std::snprintf(number, sizeof number, "%g", a.a_w.w_float);
    out += number;
    break;
  case A_SYM:
    append_symbol(out, a.a_w.w_sym ? a.a_w.w_sym->s_name : "");
    break;
  case A_OBJ:
    std::snprintf(number, sizeof number, "<object %p>", static_cast<void *>(a.a_w.w_obj));
    out += number;
    break;
  default:
    std::snprintf(number, sizeof number, "<atom type %d>", a.a_type);
    out += number;
    break;
  }
}

int hex_value(char c) {
  if (c >= '0' && c <= '9')
    return c - '0';
  if (c >= 'a' && c <= 'f')
    return c - 'a' + 10;
  if (c >= 'A' && c <= 'F')
    return c - 'A' + 10;
  return -1;
}

} // namespace

std::optional<std::vector<std::string>> split_words(std::string_view line, std::string &error,
                                                    std::vector<bool> *quoted,
                                                    std::vector<size_t> *starts) {
  std::vector<std::string> words;
  if (quoted)
    quoted->clear();
  if (starts)
    starts->clear();
  // A symbol's name ends at a NUL: the word would lose the rest unseen.
  if (const size_t nul = line.find('\0'); nul != std::string_view::npos) {
    error = "a NUL character at column " + std::to_string(nul + 1);
    return std::nullopt;
  }
  size_t i = 0;
  for (;;) {
    while (i < line.size() && is_blank(line[i]))
      ++i;
    if (i == line.size())
      break;
    std::string word;
    bool was_quoted = false;
    const size_t start = i;
    // A word runs to the next blank outside quotes; quoted parts may hold
    // blanks, and \" and \\ inside them stand for " and \.
    while (i < line.size() && !is_blank(line[i])) {
      if (line[i] != '"') {
        word += line[i++];
        continue;
      }
      was_quoted = true;
      const size_t open = i++;
      bool closed = false;
      while (i < line.size()) {
        const char c = line[i++];
        if (c == '"') {
          closed = true;
          break;
        }
        if (c == '\\' && i < line.size() && (line[i] == '"' || line[i] == '\\'))
          word += line[i++];
        else
          word += c;
      }
      if (!closed) {
        error = "quote opened at column " + std::to_string(open + 1) + " is not closed";
        return std::nullopt;
      }
    }
    words.push_back(std::move(word));
    if (quoted)
      quoted->push_back(was_quoted);
    if (starts)
      starts->push_back(start);
  }
  return words;
}

t_atom word_to_atom(std::string_view word, bool quoted) {
  t_atom a;
  if (!quoted && is_integer_text(word)) {
    t_atom_long value = 0;
    const auto [end, ec] = std::from_chars(word.data(), word.data() + word.size(), value);
    if (ec == std::errc() && end == word.data() + word.size()) {
      atom_setlong(&a, value);
      return a;
    }
    // Too large for a long: the nearest float.
    double f = 0;
    if (parse_double(word, f)) {
      atom_setfloat(&a, f);
      return a;
    }
  }
  if (!quoted && is_float_text(word)) {
    double f = 0;
    if (parse_double(word, f)) {
      atom_setfloat(&a, f);
      return a;
    }
  }
  atom_setsym(&a, gensym(std::string(word).c_str()));
  return a;
}

std::optional<std::vector<t_atom>> parse_atoms(std::string_view line, std::string &error) {
  std::vector<bool> quoted;
  auto words = split_words(line, error, &quoted);
  if (!words)
    return std::nullopt;
  std::vector<t_atom> atoms;
  atoms.reserve(words->size());
  for (size_t i = 0; i < words->size(); ++i)
    atoms.push_back(word_to_atom((*words)[i], quoted[i]));
  return atoms;
}

std::optional<ParsedMessage> parse_message(std::string_view line, std::string &error) {
  auto atoms = parse_atoms(line, error);
  if (!atoms)
    return std::nullopt;
  if (atoms->empty()) {
    error = "empty message";
    return std::nullopt;
  }
  if (atoms->size() > static_cast<size_t>(std::numeric_limits<short>::max())) {
    error = "too many atoms in one message";
    return std::nullopt;
  }
  const rt::CommonSymbols &s = rt::common_symbols();
  ParsedMessage message;
  const t_atom &first = atoms->front();
  if (rt::is_number(first)) {
    if (atoms->size() == 1)
      message.selector = first.a_type == A_LONG ? s.int_ : s.float_;
    else
      message.selector = s.list;
    message.atoms = std::move(*atoms);
    return message;
  }
  message.selector = first.a_w.w_sym;
  message.atoms.assign(atoms->begin() + 1, atoms->end());
  return message;
}

std::string format_atoms(std::span<const t_atom> atoms) {
  std::string out;
  for (size_t i = 0; i < atoms.size(); ++i) {
    if (i)
      out += ' ';
    append_atom(out, atoms[i]);
  }
  return out;
}

std::string format_message(t_symbol *selector, std::span<const t_atom> atoms) {
  const rt::CommonSymbols &s = rt::common_symbols();
  if (selector == s.int_ || selector == s.float_ || selector == s.list)
    return format_atoms(atoms);
  std::string out;
  append_symbol(out, selector ? selector->s_name : "");
  if (selector == s.full_packet && atoms.size() == 2 && atoms[0].a_type == A_LONG &&
      atoms[1].a_type == A_LONG && atoms[0].a_w.w_long >= 0 &&
      (atoms[0].a_w.w_long == 0 || atoms[1].a_w.w_long != 0)) {
    const auto *bytes = reinterpret_cast<const unsigned char *>(atoms[1].a_w.w_long);
    static const char digits[] = "0123456789ABCDEF";
    for (t_atom_long i = 0; i < atoms[0].a_w.w_long; ++i) {
      out += ' ';
      out += digits[bytes[i] >> 4];
      out += digits[bytes[i] & 15];
    }
    return out;
  }
  if (!atoms.empty()) {
    out += ' ';
    out += format_atoms(atoms);
  }
  return out;
}

std::optional<std::vector<unsigned char>> parse_hex(std::string_view text, std::string &error,
                                                    size_t first_column) {
  std::vector<unsigned char> bytes;
  size_t i = 0;
  while (i < text.size()) {
    if (is_blank(text[i])) {
      ++i;
      continue;
    }
    const int high = hex_value(text[i]);
    if (high < 0) {
      error = std::string("\"") + text[i] + "\" is not a hex digit";
      return std::nullopt;
    }
    if (i + 1 >= text.size() || is_blank(text[i + 1])) {
      error = "byte cut after the digit \"" + std::string(1, text[i]) + "\" at column " +
              std::to_string(first_column + i);
      return std::nullopt;
    }
    const int low = hex_value(text[i + 1]);
    if (low < 0) {
      error = std::string("\"") + text[i + 1] + "\" is not a hex digit";
      return std::nullopt;
    }
    bytes.push_back(static_cast<unsigned char>(high << 4 | low));
    i += 2;
  }
  return bytes;
}

} // namespace kit
