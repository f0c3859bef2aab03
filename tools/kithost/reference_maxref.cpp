// The reference page the visual host reads (CLASS.maxref.xml: its reference
// window, its sidebar and the object box's completion), made from the same
// --describe --json document and description as the Markdown page. The
// registration decides what the page lists, as there.
//
// The description's texts are Markdown; the page's are the host's markup:
// code spans become <m> (a message or value), **bold** <b>, paragraphs and
// table rows lines of their own. Digests are plain text, the first sentence
// of a meaning.
#include "describe.hpp"
#include "reference_doc.hpp"

#include <algorithm>
#include <sstream>
#include <utility>

namespace kithost {

namespace {

using reference_doc::entries;
using reference_doc::member_of;
using reference_doc::text_of;

// Text for an element or a double-quoted attribute.
std::string escaped(std::string_view text) {
  std::string out;
  for (char c : text) {
    switch (c) {
    case '&':
      out += "&amp;";
      break;
    case '<':
      out += "&lt;";
      break;
    case '>':
      out += "&gt;";
      break;
    case '"':
      out += "&quot;";
      break;
    default:
      out += c;
    }
  }
  return out;
}

// One line of Markdown as the page's markup: `code` and **bold** spans, the
// rest escaped. An unclosed span is taken as plain text.
std::string inline_markup(std::string_view line) {
  std::string out;
  std::size_t i = 0;
  while (i < line.size()) {
    if (line[i] == '`') {
      const std::size_t end = line.find('`', i + 1);
      if (end != std::string_view::npos) {
        out += "<m>" + escaped(line.substr(i + 1, end - i - 1)) + "</m>";
        i = end + 1;
        continue;
      }
    } else if (line.substr(i, 2) == "**") {
      const std::size_t end = line.find("**", i + 2);
      if (end != std::string_view::npos) {
        out += "<b>" + inline_markup(line.substr(i + 2, end - i - 2)) + "</b>";
        i = end + 2;
        continue;
      }
    }
    out += escaped(line.substr(i, 1));
    ++i;
  }
  return out;
}

std::vector<std::string_view> lines_of(std::string_view text) {
  std::vector<std::string_view> lines;
  std::size_t start = 0;
  while (start <= text.size()) {
    const std::size_t end = std::min(text.find('\n', start), text.size());
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

// A table row "| a | b |" as its cells; empty for the "|---|" line.
std::vector<std::string> table_cells(std::string_view row) {
  std::vector<std::string> cells;
  std::string cell;
  bool escape = false;
  for (char c : row.substr(1)) {
    if (escape) {
      cell += c;
      escape = false;
    } else if (c == '\\') {
      escape = true;
    } else if (c == '|') {
      cells.push_back(cell);
      cell.clear();
    } else {
      cell += c;
    }
  }
  for (auto &text : cells) {
    text.erase(0, text.find_first_not_of(' '));
    text.erase(text.find_last_not_of(' ') + 1);
  }
  const bool separator = std::all_of(cells.begin(), cells.end(), [](const std::string &text) {
    return !text.empty() && text.find_first_not_of("-:") == std::string::npos;
  });
  return separator ? std::vector<std::string>{} : cells;
}

// A Markdown text (paragraphs, tables) as the page's markup: each paragraph
// and each table row a line of its own, a table's cells joined by dashes.
std::string markup(std::string_view text) {
  std::vector<std::string> blocks;
  std::string paragraph;
  for (std::string_view line : lines_of(text)) {
    if (line.starts_with("|")) {
      if (!paragraph.empty())
        blocks.push_back(std::exchange(paragraph, {}));
      const auto cells = table_cells(line);
      std::string row;
      for (const auto &cell : cells)
        row += (row.empty() ? "" : " \xE2\x80\x94 ") + inline_markup(cell);
      if (!row.empty())
        blocks.push_back(row);
    } else if (line.find_first_not_of(' ') == std::string_view::npos) {
      if (!paragraph.empty())
        blocks.push_back(std::exchange(paragraph, {}));
    } else {
      paragraph += (paragraph.empty() ? "" : " ") + inline_markup(line);
    }
  }
  if (!paragraph.empty())
    blocks.push_back(paragraph);
  std::string out;
  for (const auto &block : blocks)
    out += (out.empty() ? "" : "<br/>") + block;
  return out;
}

// The first sentence of a Markdown text, as plain text.
std::string digest_of(std::string_view text) {
  std::string plain;
  for (char c : text.substr(0, text.find('\n'))) {
    if (c != '`' && c != '*')
      plain += c;
  }
  const std::size_t end = plain.find(". ");
  if (end != std::string::npos)
    plain.erase(end + 1);
  return escaped(plain);
}

// A registration type ("long", "[symbol]", "atoms...") as the page's name
// for it, and whether it may be left out.
std::pair<std::string, bool> arg_type(const std::string &name) {
  const bool optional = name.starts_with("[");
  const std::string type = optional ? name.substr(1, name.size() - 2) : name;
  if (type == "long")
    return {"int", optional};
  if (type == "float" || type == "symbol")
    return {type, optional};
  return {"list", true};
}

// The argument names a meaning gives its message, from a leading code span
// "`SELECTOR NAME [NAME]`": each name and whether it is bracketed.
std::vector<std::pair<std::string, bool>> named_arguments(const std::string &selector,
                                                          const std::string &meaning) {
  std::vector<std::pair<std::string, bool>> names;
  const std::string lead = "`" + selector + " ";
  const std::size_t end = meaning.find('`', lead.size());
  if (!meaning.starts_with(lead) || end == std::string::npos)
    return names;
  std::istringstream words(meaning.substr(lead.size(), end - lead.size()));
  for (std::string word; words >> word;) {
    const bool optional = word.front() == '[' && word.back() == ']';
    names.emplace_back(optional ? word.substr(1, word.size() - 2) : word, optional);
  }
  return names;
}

std::string generic_name(const std::string &type) {
  return type == "symbol" ? "name" : type == "list" ? "arguments" : "number";
}

void arglist(std::ostringstream &out, const std::string &selector, const nlohmann::json &types,
             const std::string &meaning) {
  const auto names = named_arguments(selector, meaning);
  out << "\t\t\t<arglist>\n";
  const bool any = types.size() == 1 && types[0].get<std::string>() == "atoms...";
  if (any && !names.empty()) {
    for (const auto &[name, optional] : names)
      out << "\t\t\t\t<arg name=\"" << escaped(name) << "\" optional=\"" << optional
          << "\" type=\"atom\" />\n";
  } else {
    for (std::size_t i = 0; i < types.size(); ++i) {
      const auto [type, optional] = arg_type(types[i].get<std::string>());
      const std::string name = names.size() == types.size() ? names[i].first : generic_name(type);
      out << "\t\t\t\t<arg name=\"" << escaped(name) << "\" optional=\"" << optional << "\" type=\""
          << type << "\" />\n";
    }
  }
  out << "\t\t\t</arglist>\n";
}

void places(std::ostringstream &out, const char *list, const char *element,
            const nlohmann::json &registered, const nlohmann::json &meanings) {
  out << "\t<" << list << ">\n";
  for (const auto &place : registered) {
    const auto index = place["index"].get<std::size_t>();
    const std::string meaning = index < meanings.size() && meanings[index].is_string()
                                    ? meanings[index].get<std::string>()
                                    : "";
    const std::string assist = place["assist"].get<std::string>();
    out << "\t\t<" << element << " id=\"" << index << "\">\n"
        << "\t\t\t<digest>" << (assist.empty() ? digest_of(meaning) : escaped(assist))
        << "</digest>\n"
        << "\t\t\t<description>" << markup(meaning) << "</description>\n"
        << "\t\t</" << element << ">\n";
  }
  out << "\t</" << list << ">\n";
}

void discussion(std::ostringstream &out, const nlohmann::json &doc) {
  std::string text;
  for (const auto &section : entries(doc, "sections")) {
    text += (text.empty() ? "" : "<br/><br/>") + std::string("<b>") +
            escaped(text_of(section, "title")) + "</b><br/>" + markup(text_of(section, "text"));
  }
  const auto &errors = entries(doc, "errors");
  if (!errors.empty()) {
    text += (text.empty() ? "" : "<br/><br/>") + std::string("<b>Errors</b>");
    for (const auto &error : errors)
      text += "<br/><i>" + escaped(text_of(error, "text")) + "</i> \xE2\x80\x94 " +
              markup(text_of(error, "meaning"));
  }
  if (!text.empty())
    out << "\t<discussion>" << text << "</discussion>\n\n";
}

} // namespace

std::string reference_maxref(const nlohmann::json &reference, const nlohmann::json &doc) {
  std::ostringstream out;
  const std::string name = reference["class"].get<std::string>();
  out << "<?xml version=\"1.0\" encoding=\"utf-8\" standalone=\"yes\"?>\n"
      // An XML comment may hold no "--", so the command is not quoted here.
      << "<!-- Generated by kithost from the class as it registers itself and from its "
         "description beside its code ("
      << escaped(name) << ".doc.json); do not edit. -->\n\n"
      << "<c74object name=\"" << escaped(name) << "\" category=\"tovik-kit\">\n\n"
      << "\t<digest>" << escaped(text_of(doc, "digest")) << "</digest>\n"
      << "\t<description>" << markup(text_of(doc, "summary")) << "</description>\n\n";

  out << "\t<!--METADATA-->\n\t<metadatalist>\n"
      << "\t\t<metadata name=\"author\">the kit's developers</metadata>\n"
      << "\t\t<metadata name=\"tag\">tovik-kit</metadata>\n";
  for (const auto &tag : entries(doc, "tags"))
    if (tag.is_string())
      out << "\t\t<metadata name=\"tag\">" << escaped(tag.get<std::string>()) << "</metadata>\n";
  out << "\t</metadatalist>\n\n";

  if (!reference["inlets"].is_null()) {
    out << "\t<!--INLETS-->\n";
    places(out, "inletlist", "inlet", reference["inlets"], entries(doc, "inlets"));
    out << "\n\t<!--OUTLETS-->\n";
    places(out, "outletlist", "outlet", reference["outlets"], entries(doc, "outlets"));
    out << "\n";
  }

  // Creation arguments: as the description names them, typed by the
  // registration where the two count the same.
  out << "\t<!--ARGUMENTS-->\n\t<objarglist>\n";
  const auto &types = reference["arguments"];
  const auto &arguments = entries(doc, "arguments");
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const auto [type, optional] = arguments.size() == types.size()
                                      ? arg_type(types[i].get<std::string>())
                                      : std::pair<std::string, bool>{"list", true};
    std::string description = markup(text_of(arguments[i], "meaning"));
    for (const char *key : {"default", "range"}) {
      const std::string value = text_of(arguments[i], key);
      if (!value.empty() && value != "-")
        description +=
            std::string("<br/>") + (key[0] == 'd' ? "Default: " : "Range: ") + markup(value);
    }
    out << "\t\t<objarg name=\"" << escaped(text_of(arguments[i], "name")) << "\" optional=\""
        << optional << "\" type=\"" << type << "\">\n"
        << "\t\t\t<digest>" << digest_of(text_of(arguments[i], "meaning")) << "</digest>\n"
        << "\t\t\t<description>" << description << "</description>\n"
        << "\t\t</objarg>\n";
  }
  out << "\t</objarglist>\n\n";

  out << "\t<!--MESSAGES-->\n\t<methodlist>\n";
  for (const auto &message : reference["messages"]) {
    const std::string selector = message["selector"].get<std::string>();
    const auto &entry = member_of(doc, "messages", selector);
    const std::string meaning = text_of(entry, "meaning");
    std::string description = markup(meaning);
    const std::string later = text_of(entry, "later");
    if (!later.empty())
      description += "<br/>Acts later: " + markup(later) + ".";
    out << "\t\t<method name=\"" << escaped(selector) << "\">\n";
    arglist(out, selector, message["arguments"], meaning);
    out << "\t\t\t<digest>" << digest_of(meaning) << "</digest>\n"
        << "\t\t\t<description>" << description << "</description>\n"
        << "\t\t</method>\n";
  }
  out << "\t</methodlist>\n\n";

  out << "\t<!--ATTRIBUTES-->\n\t<attributelist>\n";
  for (const auto &attribute : reference["attributes"]) {
    const std::string attribute_name = attribute["name"].get<std::string>();
    const auto &entry = member_of(doc, "attributes", attribute_name);
    const std::string meaning = text_of(entry, "meaning");
    std::string description = markup(meaning);
    const std::string fallback = text_of(entry, "default");
    if (!fallback.empty())
      description += "<br/>Default: " + markup(fallback);
    out << "\t\t<attribute name=\"" << escaped(attribute_name) << "\" get=\"1\" set=\"1\" type=\""
        << escaped(attribute["type"].get<std::string>()) << "\" size=\"1\">\n"
        << "\t\t\t<digest>" << digest_of(meaning) << "</digest>\n"
        << "\t\t\t<description>" << description << "</description>\n"
        << "\t\t</attribute>\n";
  }
  out << "\t</attributelist>\n\n";

  discussion(out, doc);

  out << "\t<!--RELATED-->\n\t<seealsolist>\n";
  for (const auto &other : entries(doc, "seealso"))
    if (other.is_string())
      out << "\t\t<seealso name=\"" << escaped(other.get<std::string>()) << "\" />\n";
  out << "\t</seealsolist>\n\n</c74object>\n";
  return out.str();
}

} // namespace kithost
