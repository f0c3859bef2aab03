#include "describe.hpp"

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

} // namespace

void list_classes(kit::Host &host, std::ostream &out) {
  for (const auto &name : host.available_classes())
    out << name << "\n";
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
