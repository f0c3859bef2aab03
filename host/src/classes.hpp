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
#include <utility>
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

/// A clip and scale filter of an attribute's values (attr_addfilter_clip...).
struct ClipFilter {
  bool active = false;
  double scale = 1; ///< applied before the clipping
  double min = 0;
  double max = 0;
  bool use_min = false;
  bool use_max = false;
};

/// An attribute made by attr_offset_new; owned by its class once added.
struct Attribute {
  t_object header; ///< lets the C API hand it around as a t_object
  t_symbol *name;
  t_symbol *type; ///< char, long, atom_long, int32, float32, float64, float, symbol, atom, object
  long flags;     ///< e_max_attrflags
  method getter;
  method setter;
  long offset;
  ClipFilter set_clip; ///< on values set
  ClipFilter get_clip; ///< on values read
  method set_proc = nullptr;
  method get_proc = nullptr;
  /// Attributes of the attribute ("label", "style", "order", "save"...), in
  /// the order first given; for a host's inspector, kept but not acted on.
  std::vector<std::pair<t_symbol *, std::vector<t_atom>>> attr_attrs;
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
  t_symbol *name_space = nullptr; ///< of class_register: "box" or "nobox"
  /// Objects stored with class_extra_store, by name.
  std::unordered_map<t_symbol *, t_object *> extras;

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

/// Who sets an attribute: a message from the patch, or C code (flags
/// ATTR_SET_OPAQUE_USER refuse the first only).
enum class SetBy : uint8_t { message, code };

/// Sets attribute `a` of object `x` from atoms: through the set filters,
/// then its setter or the stored value. Reports a bad or refused value on
/// the console and returns an error code.
t_max_err set_attribute(t_object *x, Attribute *a, long argc, const t_atom *argv,
                        SetBy by = SetBy::message);

/// The attribute behind a t_object the C API handed out, or null.
Attribute *as_attribute(void *attr);
/// Calls a message of an attribute as object_method does ("setmethod",
/// "getflags", "setflags", "gettype", "getname"); words are the untyped
/// arguments. Returns the answer, null for messages without one.
void *attribute_method(Attribute &a, t_symbol *selector, void *const *words);

} // namespace kit::rt
