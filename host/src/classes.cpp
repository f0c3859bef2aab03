// Class registration in both styles: class_new/class_addmethod/
// class_register, and the older setup/addmess/addint/addfloat/addbang whose
// class takes the name of the module being loaded.
#include "classes.hpp"
#include "callers.hpp"
#include "symbols.hpp"

#include <cstdarg>
#include <string>

namespace kit::rt {
namespace {

// A type list that never ends (a module forgetting the closing 0) is cut
// here rather than read on into the caller's stack.
constexpr int max_type_codes = 16;

std::vector<int> read_type_codes(int first, va_list args) {
  std::vector<int> codes;
  int code = first;
  while (code != A_NOTHING && static_cast<int>(codes.size()) < max_type_codes) {
    codes.push_back(code);
    code = va_arg(args, int);
  }
  return codes;
}

void rebuild_lookup(maxclass &c) {
  const CommonSymbols &s = common_symbols();
  c.by_selector.clear();
  for (const Method &m : c.methods)
    c.by_selector[m.selector] = &m;
  c.int_method = c.find(s.int_);
  c.float_method = c.find(s.float_);
  c.list_method = c.find(s.list);
  c.bang_method = c.find(s.bang);
  c.anything_method = c.find(s.anything);
  c.assist_method = c.find(s.assist);
  // Only (x, ...) gimme methods take any message for "anything"; a typed one
  // keeps its name as an ordinary selector.
  if (c.anything_method && c.anything_method->signature.kind != MethodKind::gimme)
    c.anything_method = nullptr;
}

t_max_err add_method(maxclass *c, method fn, const char *name, const std::vector<int> &codes) {
  if (!c || !fn || !name || !*name) {
    error("class_addmethod: missing class, function or name");
    return MAX_ERR_INVALID_PTR;
  }
  Signature signature;
  std::string reason;
  if (!make_signature(codes, signature, reason)) {
    error("%s: message \"%s\": %s", c->name->s_name, name, reason.c_str());
    return MAX_ERR_GENERIC;
  }
  t_symbol *selector = gensym(name);
  Method method{selector, fn, signature};
  bool replaced = false;
  for (Method &m : c->methods) {
    if (m.selector == selector) {
      m = method; // a later registration of a selector wins
      replaced = true;
    }
  }
  if (!replaced)
    c->methods.push_back(method);
  rebuild_lookup(*c);
  return MAX_ERR_NONE;
}

maxclass *make_class(t_symbol *name, method new_fn, method free_fn, long size,
                     const std::vector<int> &codes, const char *caller) {
  if (!new_fn) {
    error("%s: class \"%s\" has no creation routine", caller, name->s_name);
    return nullptr;
  }
  if (size < static_cast<long>(sizeof(t_object))) {
    error("%s: class \"%s\": record size %ld is smaller than the object header", caller,
          name->s_name, size);
    return nullptr;
  }
  auto *c = new maxclass;
  std::string reason;
  if (!make_signature(codes, c->creation, reason) || c->creation.kind == MethodKind::cant) {
    error("%s: class \"%s\": creation arguments: %s", caller, name->s_name,
          reason.empty() ? "not sendable" : reason.c_str());
    delete c;
    return nullptr;
  }
  c->name = name;
  c->new_fn = new_fn;
  c->free_fn = free_fn;
  c->size = size;
  ClassRegistry::get().remember(c);
  return c;
}

} // namespace

bool make_signature(const std::vector<int> &codes, Signature &out, std::string &error) {
  out = Signature{};
  if (!codes.empty() && (codes[0] == A_GIMME || codes[0] == A_CANT)) {
    if (codes.size() > 1) {
      error = "A_GIMME and A_CANT take no other argument types";
      return false;
    }
    out.kind = codes[0] == A_GIMME ? MethodKind::gimme : MethodKind::cant;
    return true;
  }
  if (codes.size() > static_cast<size_t>(max_typed_args)) {
    error = "more than " + std::to_string(max_typed_args) + " typed arguments";
    return false;
  }
  ArgKind kinds[max_typed_args];
  for (size_t i = 0; i < codes.size(); ++i) {
    switch (codes[i]) {
    case A_LONG:
    case A_FLOAT:
    case A_SYM:
    case A_DEFLONG:
    case A_DEFFLOAT:
    case A_DEFSYM:
      break;
    default:
      error = "argument type " + std::to_string(codes[i]) + " cannot be used here";
      return false;
    }
    out.types[i] = static_cast<uint8_t>(codes[i]);
    kinds[i] = arg_kind(codes[i]);
  }
  out.count = static_cast<uint8_t>(codes.size());
  out.caller = typed_caller(out.count, kinds);
  out.creation_caller = creation_caller(out.count, kinds);
  return true;
}

ClassRegistry &ClassRegistry::get() {
  // Never destroyed: classes outlive every object, even at exit.
  static ClassRegistry *instance = new ClassRegistry;
  return *instance;
}

maxclass *ClassRegistry::find(t_symbol *name) const {
  maxclass *c = find_made(name);
  return c && c->registered ? c : nullptr;
}

maxclass *ClassRegistry::find_made(t_symbol *name) const {
  auto found = made_.find(name);
  return found == made_.end() ? nullptr : found->second;
}

void ClassRegistry::remember(maxclass *c) {
  made_[c->name] = c;
}

void ClassRegistry::register_class(maxclass *c) {
  made_[c->name] = c;
  c->registered = true;
}

void ClassRegistry::alias(maxclass *c, t_symbol *name) {
  made_[name] = c;
}

void ClassRegistry::unregister(maxclass *c) {
  c->registered = false;
}

} // namespace kit::rt

kit::rt::Attribute *maxclass::find_attribute(t_symbol *attr_name) const {
  for (kit::rt::Attribute *a : attributes)
    if (a->name == attr_name)
      return a;
  return nullptr;
}

using kit::rt::ClassRegistry;

t_class *class_new(const char *name, const method mnew, const method mfree, long size, const method,
                   short type, ...) {
  if (!name || !*name) {
    error("class_new: a class needs a name");
    return nullptr;
  }
  va_list args;
  va_start(args, type);
  std::vector<int> codes = kit::rt::read_type_codes(type, args);
  va_end(args);
  return kit::rt::make_class(gensym(name), mnew, mfree, size, codes, "class_new");
}

t_max_err class_addmethod(t_class *c, const method m, const char *name, ...) {
  va_list args;
  va_start(args, name);
  // The first code is read before the list is handed on: an argument's
  // evaluation order is unspecified, and where va_list is passed by value
  // (Windows) the copy could be taken before va_arg advances it.
  const int first = va_arg(args, int);
  std::vector<int> codes = kit::rt::read_type_codes(first, args);
  va_end(args);
  return kit::rt::add_method(c, m, name, codes);
}

t_max_err class_register(t_symbol *, t_class *c) {
  if (!c)
    return MAX_ERR_INVALID_PTR;
  ClassRegistry::get().register_class(c);
  return MAX_ERR_NONE;
}

t_max_err class_alias(t_class *c, t_symbol *aliasname) {
  if (!c || !aliasname || !*aliasname->s_name) {
    error("class_alias: missing class or name");
    return MAX_ERR_INVALID_PTR;
  }
  ClassRegistry &registry = ClassRegistry::get();
  if (maxclass *owner = registry.find_made(aliasname); owner && owner != c) {
    error("class_alias: \"%s\" already names the class \"%s\"", aliasname->s_name,
          owner->name->s_name);
    return MAX_ERR_DUPLICATE;
  }
  registry.alias(c, aliasname);
  return MAX_ERR_NONE;
}

t_max_err class_free(t_class *c) {
  if (!c)
    return MAX_ERR_INVALID_PTR;
  // Objects of the class may still exist: it stays in memory, unnamed.
  ClassRegistry::get().unregister(c);
  return MAX_ERR_NONE;
}

void setup(t_messlist **ident, method makefun, method freefun, t_getbytes_size size, method,
           short type, ...) {
  ClassRegistry &registry = ClassRegistry::get();
  if (ident)
    *ident = nullptr;
  registry.last_setup = nullptr;
  if (!registry.loading) {
    error("setup: called outside a module's entry point, so the class has no name");
    return;
  }
  va_list args;
  va_start(args, type);
  std::vector<int> codes = kit::rt::read_type_codes(type, args);
  va_end(args);
  maxclass *c = kit::rt::make_class(registry.loading, makefun, freefun, size, codes, "setup");
  if (!c)
    return;
  registry.register_class(c);
  registry.last_setup = c;
  if (ident)
    *ident = reinterpret_cast<t_messlist *>(c);
}

void addmess(method f, char *s, short type, ...) {
  maxclass *c = ClassRegistry::get().last_setup;
  if (!c) {
    error("addmess: \"%s\" added without a class from setup", s ? s : "");
    return;
  }
  va_list args;
  va_start(args, type);
  std::vector<int> codes = kit::rt::read_type_codes(type, args);
  va_end(args);
  kit::rt::add_method(c, f, s, codes);
}

namespace {
void add_standard(method f, const char *selector, int type) {
  maxclass *c = ClassRegistry::get().last_setup;
  if (!c) {
    error("add%s: called without a class from setup", selector);
    return;
  }
  std::vector<int> codes;
  if (type != A_NOTHING)
    codes.push_back(type);
  kit::rt::add_method(c, f, selector, codes);
}
} // namespace

void addint(method f) {
  add_standard(f, "int", A_LONG);
}
void addfloat(method f) {
  add_standard(f, "float", A_FLOAT);
}
void addbang(method f) {
  add_standard(f, "bang", A_NOTHING);
}
