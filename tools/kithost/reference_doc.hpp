// Reading a class's description (CLASS.doc.json, see reference_markdown in
// describe.hpp), for the reference pages made from it: absent or mistyped
// parts read as empty, so a page is always made and drift reports the rest.
#pragma once

#include <nlohmann/json.hpp>

#include <string>

namespace kithost::reference_doc {

/// The text of `key` in a description entry; empty when absent.
inline std::string text_of(const nlohmann::json &entry, const char *key) {
  if (!entry.is_object() || !entry.contains(key) || !entry[key].is_string())
    return {};
  return entry[key].get<std::string>();
}

/// A description's object member (messages, attributes), empty when absent.
inline const nlohmann::json &members(const nlohmann::json &doc, const char *key) {
  static const nlohmann::json none = nlohmann::json::object();
  return doc.is_object() && doc.contains(key) && doc[key].is_object() ? doc[key] : none;
}

/// A description's array member (arguments, inlets, sections...), empty
/// when absent.
inline const nlohmann::json &entries(const nlohmann::json &doc, const char *key) {
  static const nlohmann::json none = nlohmann::json::array();
  return doc.is_object() && doc.contains(key) && doc[key].is_array() ? doc[key] : none;
}

/// The entry of `name` in the object member `key`; an empty object when
/// absent.
inline const nlohmann::json &member_of(const nlohmann::json &doc, const char *key,
                                       const std::string &name) {
  static const nlohmann::json none = nlohmann::json::object();
  const nlohmann::json &all = members(doc, key);
  return all.contains(name) ? all[name] : none;
}

} // namespace kithost::reference_doc
