// Classes as registered by modules: methods with their argument types,
// creation routine, attributes, and the registry of classes by name.
//
// Threads: registration and lookups run on the host's main thread.
#pragma once

#include "ext_obex.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace kit::rt {

/// Most typed arguments a method or creation routine may declare.
inline constexpr int max_typed_args = 5;

/// One argument as passed to a typed method.
union Word {
  t_atom_long l;
  double f;
  t_symbol *s;
};

/// Calls fn(x, args...) with the C types of a typed signature.
using TypedCaller = void (*)(method fn, void *x, const Word *args);
/// Calls fn(args...) and returns its result (creation routines).
using CreationCaller = void *(*)(method fn, const Word *args);

enum class MethodKind : uint8_t {
  typed, ///< fixed argument types (A_LONG, A_FLOAT, A_SYM and their defaults)
  gimme, ///< (x, selector, argc, argv)
  cant,  ///< host-only (assist): never reached by a message
};

/// A signature: kind, argument type codes and the caller that fits them.
struct Signature {
  MethodKind kind = MethodKind::typed;
  uint8_t count = 0;
  std::array<uint8_t, max_typed_args> types{};
  TypedCaller caller = nullptr;
  CreationCaller creation_caller = nullptr;
};

/// Parses the type codes of a registration (ending with A_NOTHING). False
/// with a reason in `error` for an unknown code, A_GIMME or A_CANT mixed with
/// others, or too many arguments.
bool make_signature(const std::vector<int> &codes, Signature &out, std::string &error);

struct Method {
  t_symbol *selector;
  method fn;
  Signature signature;
};

/// An attribute made by attr_offset_new; owned by its class once added.
struct Attribute {
  t_object header; ///< lets the C API hand it around as a t_object
  t_symbol *name;
  t_symbol *type; ///< long, float, symbol or atom
  method getter;
  method setter;
  long offset;
};

} // namespace kit::rt

/// A registered class (t_class).
struct maxclass {
  t_symbol *name = nullptr;
  method new_fn = nullptr;
  method free_fn = nullptr;
  long size = 0;
  kit::rt::Signature creation;
  bool registered = false;

  std::vector<kit::rt::Method> methods; ///< in order of registration
  std::vector<kit::rt::Attribute *> attributes;

  // Looked up on every message; rebuilt when a method is added.
  std::unordered_map<t_symbol *, const kit::rt::Method *> by_selector;
  const kit::rt::Method *int_method = nullptr;
  const kit::rt::Method *float_method = nullptr;
  const kit::rt::Method *list_method = nullptr;
  const kit::rt::Method *bang_method = nullptr;
  const kit::rt::Method *anything_method = nullptr;
  const kit::rt::Method *assist_method = nullptr;

  const kit::rt::Method *find(t_symbol *selector) const {
    auto found = by_selector.find(selector);
    return found == by_selector.end() ? nullptr : found->second;
  }
  kit::rt::Attribute *find_attribute(t_symbol *attr_name) const;
};

namespace kit::rt {

/// Classes by name, and the context of the module whose entry point runs.
class ClassRegistry {
public:
  static ClassRegistry &get();

  /// The registered class of that name, or null.
  maxclass *find(t_symbol *name) const;
  /// A class made by class_new or setup under that name, registered or not.
  maxclass *find_made(t_symbol *name) const;
  void remember(maxclass *c);
  void register_class(maxclass *c);
  /// Another name for the class: found by it while the class is registered.
  void alias(maxclass *c, t_symbol *name);
  void unregister(maxclass *c);

  /// The class name of the module whose entry point runs (old-style setup
  /// takes its class name from it), or null outside an entry point.
  t_symbol *loading = nullptr;
  /// The class of the last setup call: addmess and friends add to it.
  maxclass *last_setup = nullptr;

private:
  std::unordered_map<t_symbol *, maxclass *> made_;
};

/// Sets the stored value of attribute `a` of object `x` from atoms (or
/// through its setter). Reports a bad value on the console and returns an
/// error code.
t_max_err set_attribute(t_object *x, Attribute *a, long argc, const t_atom *argv);

} // namespace kit::rt
