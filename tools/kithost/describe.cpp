#include "describe.hpp"

#include <fstream>

#include <nlohmann/json.hpp>

#include <vector>

namespace kithost {

namespace {

std::string type_name(int type) {
  switch (type) {
  case A_LONG:
    return "long";
  case A_FLOAT:
    return "float";
  case A_SYM:
    return "symbol";
  case A_OBJ:
    return "object";
  case A_DEFLONG:
    return "[long]";
  case A_DEFFLOAT:
    return "[float]";
  case A_DEFSYM:
    return "[symbol]";
  case A_GIMME:
    return "atoms...";
  case A_CANT:
    return "(host call)";
  default:
    return "type" + std::to_string(type);
  }
}

std::string type_list(const std::vector<int> &types) {
  std::string text;
  for (int type : types) {
    if (type == A_NOTHING)
      break;
    text += " " + type_name(type);
  }
  return text;
}

void print_places(kit::Host &host, t_object *x, long kind, int count, std::ostream &out) {
  out << (kind == ASSIST_INLET ? "inlets:" : "outlets:") << "\n";
  for (int index = 0; index < count; ++index) {
    const std::string text = host.assist(x, kind, index);
    out << "  " << index << ": " << (text.empty() ? "(no assist text)" : text) << "\n";
  }
}

nlohmann::json type_names(const std::vector<int> &types) {
  nlohmann::json names = nlohmann::json::array();
  for (int type : types) {
    if (type == A_NOTHING)
      break;
    names.push_back(type_name(type));
  }
  return names;
}

nlohmann::json places(kit::Host &host, t_object *x, long kind, int count) {
  nlohmann::json list = nlohmann::json::array();
  for (int index = 0; index < count; ++index)
    list.push_back({{"index", index}, {"assist", host.assist(x, kind, index)}});
  return list;
}

} // namespace

std::optional<nlohmann::json> class_reference(kit::Host &host, const std::string &class_name,
                                              std::string &error) {
  if (!host.load_class(class_name, error))
    return std::nullopt;
  auto info = host.describe(class_name);
  if (!info) {
    error = "the class " + class_name + " did not register";
    return std::nullopt;
  }
  nlohmann::json reference;
  reference["class"] = info->name;
  reference["arguments"] = type_names(info->creation_arg_types);
  nlohmann::json messages = nlohmann::json::array();
  for (const auto &method : info->methods) {
    // Host calls (assist and the like) are not messages a patch can send.
    if (!method.arg_types.empty() && method.arg_types.front() == A_CANT)
      continue;
    messages.push_back(
        {{"selector", method.selector}, {"arguments", type_names(method.arg_types)}});
  }
  reference["messages"] = messages;
  nlohmann::json attributes = nlohmann::json::array();
  for (const auto &attribute : info->attributes)
    attributes.push_back({{"name", attribute.name}, {"type", attribute.type}});
  reference["attributes"] = attributes;
  // Inlets, outlets and assist texts belong to an object, not to the class:
  // null when no object can be made without arguments.
  std::string refusal;
  t_object *x = host.make(class_name, {}, refusal);
  if (x) {
    reference["inlets"] = places(host, x, ASSIST_INLET, host.inlet_count(x));
    reference["outlets"] = places(host, x, ASSIST_OUTLET, host.outlet_count(x));
    host.free(x);
  } else {
    reference["inlets"] = nullptr;
    reference["outlets"] = nullptr;
  }
  return reference;
}

bool describe_class_json(kit::Host &host, const std::string &class_name, std::ostream &out,
                         std::string &error) {
  auto reference = class_reference(host, class_name, error);
  if (!reference)
    return false;
  out << reference->dump(2) << "\n";
  return true;
}

bool describe_class_page(kit::Host &host, const std::string &class_name,
                         const std::string &doc_path, PageFormat format, std::ostream &out,
                         std::string &error, std::vector<std::string> &drift) {
  auto reference = class_reference(host, class_name, error);
  if (!reference)
    return false;
  if (doc_path.empty()) {
    out << (format == PageFormat::maxref ? reference_maxref(*reference, nlohmann::json::object())
                                         : reference_markdown(*reference));
    return true;
  }
  std::ifstream file(doc_path);
  if (!file) {
    error = "cannot read " + doc_path;
    return false;
  }
  nlohmann::json doc;
  try {
    doc = nlohmann::json::parse(file);
  } catch (const nlohmann::json::parse_error &failed) {
    error = doc_path + ": " + failed.what();
    return false;
  }
  drift = reference_drift(*reference, doc);
  out << (format == PageFormat::maxref ? reference_maxref(*reference, doc)
                                       : reference_markdown(*reference, doc));
  return true;
}

std::vector<std::string> list_classes(kit::Host &host, std::ostream &out) {
  std::vector<std::string> failures;
  for (const auto &name : host.available_classes()) {
    // A module file is not yet a class: only what loads is listed.
    std::string error;
    if (host.load_class(name, error))
      out << name << "\n";
    else
      failures.push_back(error);
  }
  return failures;
}

bool describe_class(kit::Host &host, const std::string &class_name, std::ostream &out,
                    std::string &error) {
  if (!host.load_class(class_name, error))
    return false;
  auto info = host.describe(class_name);
  if (!info) {
    error = "the class " + class_name + " did not register";
    return false;
  }
  out << "class " << info->name << "\n";
  out << "arguments:"
      << (info->creation_arg_types.empty() ? " none" : type_list(info->creation_arg_types)) << "\n";
  out << "messages:\n";
  for (const auto &method : info->methods)
    out << "  " << method.selector << type_list(method.arg_types) << "\n";
  if (!info->attributes.empty()) {
    out << "attributes:\n";
    for (const auto &attribute : info->attributes)
      out << "  " << attribute.name << " " << attribute.type << "\n";
  }
  // Inlets, outlets and assist texts belong to an object, not to the class.
  std::string refusal;
  t_object *x = host.make(class_name, {}, refusal);
  if (!x) {
    out << "inlets and outlets: unknown (no object without arguments: " << refusal << ")\n";
    return true;
  }
  print_places(host, x, ASSIST_INLET, host.inlet_count(x), out);
  print_places(host, x, ASSIST_OUTLET, host.outlet_count(x), out);
  host.free(x);
  return true;
}

} // namespace kithost
