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

/// Prints the reference page made from class_reference().
bool describe_class_markdown(kit::Host &host, const std::string &class_name, std::ostream &out,
                             std::string &error);

/// The reference page (Markdown) of a class_reference() document.
std::string reference_markdown(const nlohmann::json &reference);

} // namespace kithost
