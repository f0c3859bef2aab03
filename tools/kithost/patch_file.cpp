#include "patch_file.hpp"

#include <fstream>
#include <sstream>
#include <system_error>

namespace kithost {

namespace {

using json = nlohmann::json;

/// "LINE:COLUMN" (from 1) of a byte offset, for parse errors.
std::string line_and_column(const std::string &text, std::size_t byte) {
  std::size_t line = 1;
  std::size_t column = 1;
  for (std::size_t i = 0; i < byte && i < text.size(); ++i) {
    if (text[i] == '\n') {
      ++line;
      column = 1;
    } else {
      ++column;
    }
  }
  return std::to_string(line) + ":" + std::to_string(column);
}

/// The reader json::parse uses, which also keeps where the input went wrong:
/// the parser tells every fault's offset to its reader, but the exceptions
/// of some (a number too large for any type) do not carry it.
class PlacedDomReader : public nlohmann::detail::json_sax_dom_parser<json> {
public:
  using json_sax_dom_parser::json_sax_dom_parser;

  template <class Exception>
  bool parse_error(std::size_t offset, const std::string &token, const Exception &error) {
    fault = offset;
    return json_sax_dom_parser::parse_error(offset, token, error);
  }

  std::size_t fault = 0; ///< byte offset just past the fault
};

} // namespace

std::optional<json> parse_patch_text(const std::string &text, const std::string &name,
                                     PatchError &failure) {
  json document;
  PlacedDomReader reader(document);
  try {
    json::sax_parse(text, &reader);
  } catch (const json::exception &error) {
    // The offset points just past the fault (for a number too large for any
    // type, past the number); the column is of the fault's last byte.
    failure = {name + ":" + line_and_column(text, reader.fault > 0 ? reader.fault - 1 : 0),
               std::string("malformed JSON: ") + error.what()};
    return std::nullopt;
  }
  return document;
}

std::optional<json> read_patch_file(const std::filesystem::path &file, PatchError &failure) {
  std::ifstream in(file, std::ios::binary);
  if (!in) {
    std::error_code error;
    failure = {file.string(), std::filesystem::exists(file, error) ? "cannot open the patcher"
                                                                   : "no such patcher"};
    return std::nullopt;
  }
  std::ostringstream text;
  text << in.rdbuf();
  if (in.bad()) {
    failure = {file.string(), "read error"};
    return std::nullopt;
  }
  return parse_patch_text(text.str(), file.string(), failure);
}

bool is_patcher_file(const std::filesystem::path &file) {
  const auto extension = file.extension();
  return extension == ".maxpat" || extension == ".maxhelp";
}

} // namespace kithost
