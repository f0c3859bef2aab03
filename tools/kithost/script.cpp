#include "script.hpp"

#include "kit/text.hpp"

namespace kithost {

std::optional<ScriptLine> read_script_line(std::string_view text, std::string &error) {
  const auto first = text.find_first_not_of(" \t\r\n\f\v");
  if (first == std::string_view::npos || text[first] == '#')
    return ScriptLine{};
  std::vector<bool> quoted;
  std::vector<std::size_t> starts;
  auto words = kit::split_words(text, error, &quoted, &starts);
  if (!words)
    return std::nullopt;
  ScriptLine line;
  line.words.reserve(words->size());
  for (std::size_t i = 0; i < words->size(); ++i) {
    const std::size_t start = starts[i];
    const std::size_t column = start + (text[start] == '"' ? 2 : 1);
    line.words.push_back({std::move((*words)[i]), quoted[i], column});
  }
  return line;
}

std::optional<std::string> LineSource::next() {
  std::string text;
  if (!std::getline(in_, text))
    return std::nullopt;
  ++number_;
  if (!text.empty() && text.back() == '\r')
    text.pop_back();
  return text;
}

std::string LineSource::where() const {
  return name_ + ":" + std::to_string(number_);
}

} // namespace kithost
