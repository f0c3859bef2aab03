// --list and --describe: what the module folders offer.
#pragma once

#include "kit/host.hpp"

#include <nlohmann/json.hpp>

#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace kithost {

/// Prints the classes that load, one per line; returns why each of the
/// others (module files that do not load or register) cannot load.
std::vector<std::string> list_classes(kit::Host &host, std::ostream &out);

/// Prints the class's reference: creation arguments, messages with their
/// argument types, attributes, and inlets and outlets with their assist
/// texts (read from an object made without arguments). False with a reason
/// in `error` when the class cannot be loaded.
bool describe_class(kit::Host &host, const std::string &class_name, std::ostream &out,
                    std::string &error);

/// The class's reference as JSON: "class", "arguments" (type names),
/// "messages" (each "selector" and "arguments"), "attributes" (each "name"
/// and "type"), "inlets" and "outlets" (each "index" and "assist"; null when
/// no object can be made without arguments). Nullopt with a reason in
/// `error` when the class cannot be loaded.
std::optional<nlohmann::json> class_reference(kit::Host &host, const std::string &class_name,
                                              std::string &error);

/// Prints class_reference() as indented JSON.
bool describe_class_json(kit::Host &host, const std::string &class_name, std::ostream &out,
                         std::string &error);

/// The kinds of reference page: Markdown (docs/reference/CLASS.md) and the
/// visual host's (CLASS.maxref.xml).
enum class PageFormat { markdown, maxref };

/// Prints the reference page made from class_reference() and, when
/// `doc_path` is not empty, from the class's description in that file (see
/// reference_markdown). False with a reason in `error` when the class cannot
/// be loaded or the file cannot be read as JSON; the page is then not
/// printed. What the description and the class disagree on goes to `drift`
/// (the page is printed all the same).
bool describe_class_page(kit::Host &host, const std::string &class_name,
                         const std::string &doc_path, PageFormat format, std::ostream &out,
                         std::string &error, std::vector<std::string> &drift);

/// The reference page (Markdown) of a class_reference() document.
std::string reference_markdown(const nlohmann::json &reference);

/// The reference page of a class_reference() document explained by the
/// class's description: a JSON object with "summary" (Markdown), "arguments"
/// (a list of "name", "meaning", "default", "range"), "messages" and
/// "attributes" (objects keyed by selector or name, each "meaning", and
/// "later" for a message that acts after it returns, "default" for an
/// attribute), "inlets" and "outlets" (lists of meanings by index),
/// "sections" (a list of "title" and Markdown "text"), "errors" (a list of
/// "text" and "meaning") and "example" (a kithost script).
std::string reference_markdown(const nlohmann::json &reference, const nlohmann::json &doc);

/// The visual host's reference page (CLASS.maxref.xml) of a
/// class_reference() document explained by the class's description (as
/// reference_markdown reads it, with "digest", the one line the host shows
/// for the class, "tags" and "seealso", lists of names): the class's digest
/// and description, its metadata, inlets and outlets, creation arguments,
/// every message with its arguments (named as the meaning's leading
/// "`SELECTOR NAME...`" names them), the attributes, a discussion holding
/// the sections and the errors, and the related classes.
std::string reference_maxref(const nlohmann::json &reference, const nlohmann::json &doc);

/// What a description and the registration disagree on, one sentence each
/// (empty when they agree): a registered message or attribute not described
/// or described but not registered, a described one with no meaning, a
/// different count of creation arguments (unless the class takes any atoms),
/// of inlets or of outlets, no digest, no summary, no example.
std::vector<std::string> reference_drift(const nlohmann::json &reference,
                                         const nlohmann::json &doc);

} // namespace kithost
