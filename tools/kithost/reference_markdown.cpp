// The reference page of a class, made from its --describe --json document and,
// when there is one, from the class's description (CLASS.doc.json beside its
// code), which gives every part its meaning. The registration decides what
// the page lists; the description only explains it, and every part that one
// has and the other lacks is reported as drift.
#include "describe.hpp"
#include "reference_doc.hpp"

#include <set>
#include <sstream>

namespace kithost {

namespace {

using reference_doc::entries;
using reference_doc::member_of;
using reference_doc::members;
using reference_doc::text_of;

std::string joined(const nlohmann::json &names) {
  std::string text;
  for (const auto &name : names) {
    if (!text.empty())
      text += " ";
    text += name.get<std::string>();
  }
  return text;
}

// A table cell holds no line breaks and no bare '|'. Text outside a code
// span shows as written: the characters Markdown would read as markup (an
// HTML tag in "<int>", emphasis, an entity) are escaped.
std::string cell(std::string text, bool code = false) {
  std::string out;
  for (char c : text) {
    if (c == '|')
      out += "\\|";
    else if (c == '\n' || c == '\r')
      out += ' ';
    else if (!code && (c == '\\' || c == '<' || c == '&' || c == '*' || c == '_' || c == '`'))
      out += std::string("\\") + c;
    else
      out += c;
  }
  return out.empty() ? "-" : out;
}

// A description's text is Markdown already: only what would break the table
// is escaped.
std::string markdown_cell(const std::string &text) {
  return cell(text, true);
}

// Names registered under `kind` against the names described: each side's
// extras are drift.
void compare_names(const char *kind, const std::set<std::string> &registered,
                   const nlohmann::json &described, std::vector<std::string> &drift) {
  for (const auto &name : registered)
    if (!described.contains(name))
      drift.push_back(std::string(kind) + " '" + name + "' is registered but not described");
  for (const auto &[name, entry] : described.items()) {
    if (!registered.contains(name))
      drift.push_back(std::string(kind) + " '" + name + "' is described but not registered");
    else if (text_of(entry, "meaning").empty())
      drift.push_back(std::string(kind) + " '" + name + "' has no meaning");
  }
}

void compare_places(const char *kind, const nlohmann::json &registered,
                    const nlohmann::json &described, std::vector<std::string> &drift) {
  if (registered.is_null() || registered.size() == described.size())
    return;
  drift.push_back(std::string("the class has ") + std::to_string(registered.size()) + " " + kind +
                  ", the description " + std::to_string(described.size()));
}

// Whether the registration takes any atoms as creation arguments.
bool takes_any_arguments(const nlohmann::json &reference) {
  for (const auto &type : reference["arguments"])
    if (type.get<std::string>() == "atoms...")
      return true;
  return false;
}

void places(std::ostringstream &out, const char *title, const nlohmann::json &list,
            const nlohmann::json &meanings) {
  out << "\n## " << title << "\n\n";
  if (list.is_null()) {
    out << "Not known without creation arguments.\n";
    return;
  }
  if (list.empty()) {
    out << "None.\n";
    return;
  }
  const bool explained = !meanings.empty();
  out << (explained ? "| # | Assist | Meaning |\n|---|---|---|\n" : "| # | Assist |\n|---|---|\n");
  for (const auto &place : list) {
    const auto index = place["index"].get<std::size_t>();
    out << "| " << index << " | " << cell(place["assist"].get<std::string>()) << " |";
    if (explained)
      out << " " << markdown_cell(index < meanings.size() ? meanings[index].get<std::string>() : "")
          << " |";
    out << "\n";
  }
}

// A prose section: a title and its paragraphs, as the description holds them.
void prose(std::ostringstream &out, const std::string &title, const std::string &text) {
  if (!text.empty())
    out << "\n## " << title << "\n\n" << text << "\n";
}

} // namespace

std::vector<std::string> reference_drift(const nlohmann::json &reference,
                                         const nlohmann::json &doc) {
  std::vector<std::string> drift;
  if (!doc.is_object()) {
    drift.push_back("the description is not a JSON object");
    return drift;
  }
  std::set<std::string> messages;
  for (const auto &message : reference["messages"])
    messages.insert(message["selector"].get<std::string>());
  compare_names("message", messages, members(doc, "messages"), drift);
  std::set<std::string> attributes;
  for (const auto &attribute : reference["attributes"])
    attributes.insert(attribute["name"].get<std::string>());
  compare_names("attribute", attributes, members(doc, "attributes"), drift);
  const auto &arguments = entries(doc, "arguments");
  if (!takes_any_arguments(reference) && arguments.size() != reference["arguments"].size())
    drift.push_back("the class takes " + std::to_string(reference["arguments"].size()) +
                    " creation arguments, the description " + std::to_string(arguments.size()));
  compare_places("inlets", reference["inlets"], entries(doc, "inlets"), drift);
  compare_places("outlets", reference["outlets"], entries(doc, "outlets"), drift);
  if (text_of(doc, "digest").empty())
    drift.push_back("the description has no digest");
  if (text_of(doc, "summary").empty())
    drift.push_back("the description has no summary");
  if (text_of(doc, "example").empty())
    drift.push_back("the description has no example");
  return drift;
}

std::string reference_markdown(const nlohmann::json &reference) {
  return reference_markdown(reference, nlohmann::json::object());
}

std::string reference_markdown(const nlohmann::json &reference, const nlohmann::json &doc) {
  std::ostringstream out;
  const std::string name = reference["class"].get<std::string>();
  const bool explained = doc.is_object() && !doc.empty();
  out << "# " << name << "\n\n";
  if (explained)
    out << "Generated by `kithost --describe " << name << " --markdown --doc " << name
        << ".doc.json` from the class as it registers itself and from its description "
           "beside its code; do not edit.\n\n"
        << text_of(doc, "summary") << "\n\n";
  else
    out << "Generated by `kithost --describe " << name
        << " --markdown` from the class as it registers itself; do not edit.\n\n";

  const std::string arguments = joined(reference["arguments"]);
  out << "Creation arguments: " << (arguments.empty() ? "none" : "`" + arguments + "`") << "\n";
  const auto &described_arguments = entries(doc, "arguments");
  if (!described_arguments.empty()) {
    out << "\n| Argument | Meaning | Default | Range |\n|---|---|---|---|\n";
    for (const auto &argument : described_arguments)
      out << "| `" << markdown_cell(text_of(argument, "name")) << "` | "
          << markdown_cell(text_of(argument, "meaning")) << " | "
          << markdown_cell(text_of(argument, "default")) << " | "
          << markdown_cell(text_of(argument, "range")) << " |\n";
  }

  if (explained)
    out << "\n## Messages\n\n| Message | Arguments | Acts | Meaning |\n|---|---|---|---|\n";
  else
    out << "\n## Messages\n\n| Message | Arguments |\n|---|---|\n";
  for (const auto &message : reference["messages"]) {
    const std::string selector = message["selector"].get<std::string>();
    out << "| `" << cell(selector, true) << "` | " << cell(joined(message["arguments"])) << " |";
    if (explained) {
      const nlohmann::json &entry = member_of(doc, "messages", selector);
      const std::string later = text_of(entry, "later");
      out << " " << (later.empty() ? "at once" : markdown_cell("later: " + later)) << " | "
          << markdown_cell(text_of(entry, "meaning")) << " |";
    }
    out << "\n";
  }

  if (!reference["attributes"].empty()) {
    out << (explained
                ? "\n## Attributes\n\n| Attribute | Type | Default | Meaning |\n|---|---|---|---|\n"
                : "\n## Attributes\n\n| Attribute | Type |\n|---|---|\n");
    for (const auto &attribute : reference["attributes"]) {
      const std::string attribute_name = attribute["name"].get<std::string>();
      out << "| `" << cell(attribute_name, true) << "` | "
          << cell(attribute["type"].get<std::string>()) << " |";
      if (explained) {
        const nlohmann::json &entry = member_of(doc, "attributes", attribute_name);
        out << " " << markdown_cell(text_of(entry, "default")) << " | "
            << markdown_cell(text_of(entry, "meaning")) << " |";
      }
      out << "\n";
    }
  }
  places(out, "Inlets", reference["inlets"], entries(doc, "inlets"));
  places(out, "Outlets", reference["outlets"], entries(doc, "outlets"));

  for (const auto &section : entries(doc, "sections"))
    prose(out, text_of(section, "title"), text_of(section, "text"));
  const auto &errors = entries(doc, "errors");
  if (!errors.empty()) {
    out << "\n## Errors\n\n| Error | Meaning |\n|---|---|\n";
    for (const auto &error : errors)
      out << "| `" << markdown_cell(text_of(error, "text")) << "` | "
          << markdown_cell(text_of(error, "meaning")) << " |\n";
  }
  const std::string example = text_of(doc, "example");
  if (!example.empty())
    out << "\n## Example\n\nA kithost script (`kithost FILE`, or typed at its prompt):\n\n```\n"
        << example << (example.back() == '\n' ? "" : "\n") << "```\n";
  out << "\nArgument types: `long`, `float`, `symbol`; `[long]`, `[float]`, `[symbol]` may be "
         "left out; `atoms...` takes any atoms.\n";
  return out.str();
}

} // namespace kithost
