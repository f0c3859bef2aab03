// Creation routines called on behalf of boxes and of object_new (see
// creation.hpp).
#include "creation.hpp"
#include "arguments.hpp"
#include "callers.hpp"
#include "function_cast.hpp"
#include "objects.hpp"
#include "symbols.hpp"

#include <limits>
#include <vector>

namespace kit::rt {
namespace {

using UntypedCreation = void *(*)(void *, void *, void *, void *, void *, void *, void *, void *);

// Calls `call` in a creation scope and checks what it made.
template <class Call> t_object *made_by(maxclass *c, Call &&call, std::string &error) {
  const char *name = c->name->s_name;
  void *made = nullptr;
  {
    CreationScope scope;
    made = call();
    if (made && object_state(made))
      scope.keep(static_cast<t_object *>(made));
  }
  if (!made) {
    if (error.empty())
      error = std::string(name) + ": could not create object";
    return nullptr;
  }
  if (!object_state(made)) {
    error = std::string(name) + ": creation routine returned something that is not an object";
    return nullptr;
  }
  return static_cast<t_object *>(made);
}

} // namespace

void words_to_typed(const Signature &sig, void *const *words, Word *out) {
  for (int i = 0; i < sig.count; ++i) {
    const auto word = reinterpret_cast<t_ptr_int>(words[i]);
    switch (arg_kind(sig.types[i])) {
    case ArgKind::long_:
      out[i].l = word;
      break;
    case ArgKind::double_:
      out[i].f = static_cast<double>(word);
      break;
    case ArgKind::symbol:
      out[i].s = words[i] ? static_cast<t_symbol *>(words[i]) : common_symbols().empty;
      break;
    }
  }
}

t_object *create_object(maxclass *c, std::span<const t_atom> args, std::string &error) {
  const char *name = c->name->s_name;
  if (args.size() > static_cast<size_t>(std::numeric_limits<short>::max())) {
    error = std::string(name) + ": too many creation arguments";
    return nullptr;
  }
  if (c->creation.kind == MethodKind::cant) {
    error = std::string(name) + ": cannot be made from arguments (its creation routine takes "
                                "untyped arguments: object_new only)";
    return nullptr;
  }
  // The creation routine may keep or change its atoms: it gets a copy.
  std::vector<t_atom> atoms(args.begin(), args.end());
  if (c->creation.kind == MethodKind::gimme) {
    return made_by(
        c,
        [&] {
          return function_cast<void *(*)(t_symbol *, long, t_atom *)>(c->new_fn)(
              c->name, static_cast<long>(atoms.size()), atoms.empty() ? nullptr : atoms.data());
        },
        error);
  }
  Word words[max_typed_args];
  const Signature &sig = c->creation;
  const Fit fit = convert_arguments(sig, atoms, words);
  if (fit == Fit::bad) {
    error = std::string(name) + ": bad creation arguments";
    return nullptr;
  }
  // As with messages: extra atoms are reported and dropped.
  if (fit == Fit::extra)
    ::error("%s: extra creation arguments ignored", name);
  return made_by(
      c, [&] { return sig.creation_caller(c->new_fn, words); }, error);
}

t_object *create_object(maxclass *c, void *const *words, std::string &error) {
  const Signature &sig = c->creation;
  switch (sig.kind) {
  case MethodKind::gimme:
    error = std::string(c->name->s_name) +
            ": its creation routine takes atoms: make it with object_new_typed";
    return nullptr;
  case MethodKind::cant:
    return made_by(
        c,
        [&] {
          return function_cast<UntypedCreation>(c->new_fn)(words[0], words[1], words[2], words[3],
                                                           words[4], words[5], words[6], words[7]);
        },
        error);
  case MethodKind::typed:
    break;
  }
  Word typed[max_typed_args];
  words_to_typed(sig, words, typed);
  return made_by(
      c, [&] { return sig.creation_caller(c->new_fn, typed); }, error);
}

} // namespace kit::rt
