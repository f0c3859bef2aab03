// The symbol table: every name interned lives as long as the process, so a
// symbol pointer can be kept and compared by any thread without a lock.
#include "symbols.hpp"
#include "ext.h"
#include "ext_obex.h"

#include <atomic>
#include <cstring>
#include <mutex>
#include <shared_mutex>
#include <string>
#include <string_view>
#include <unordered_map>

namespace {

struct SymbolTable {
  std::shared_mutex mutex;
  std::unordered_map<std::string_view, t_symbol *> symbols;
};

SymbolTable &table() {
  // Never destroyed: modules and their threads may still intern names while
  // the process exits.
  static SymbolTable *instance = new SymbolTable;
  return *instance;
}

// Adds a name that is not in the table yet; the caller holds the lock.
t_symbol *intern_locked(SymbolTable &t, std::string_view name) {
  char *text = new char[name.size() + 1];
  std::memcpy(text, name.data(), name.size());
  text[name.size()] = '\0';
  auto *symbol = new t_symbol{text, nullptr};
  t.symbols.emplace(std::string_view(text, name.size()), symbol);
  return symbol;
}

} // namespace

t_symbol *gensym(const char *s) {
  std::string_view name = s ? s : "";
  SymbolTable &t = table();
  {
    std::shared_lock lock(t.mutex);
    if (auto found = t.symbols.find(name); found != t.symbols.end())
      return found->second;
  }
  std::unique_lock lock(t.mutex);
  if (auto found = t.symbols.find(name); found != t.symbols.end())
    return found->second;
  return intern_locked(t, name);
}

t_symbol *symbol_unique(void) {
  static std::atomic<unsigned long long> next{1};
  SymbolTable &t = table();
  for (;;) {
    const std::string name = "u" + std::to_string(next++);
    std::unique_lock lock(t.mutex);
    // A name someone interned already is no unique one: take the next.
    if (!t.symbols.contains(name))
      return intern_locked(t, name);
  }
}

t_symbol *symbol_stripquotes(t_symbol *s) {
  if (!s)
    return nullptr;
  const std::string_view name = s->s_name;
  if (name.size() < 2 || name.front() != '"' || name.back() != '"')
    return s;
  return gensym(std::string(name.substr(1, name.size() - 2)).c_str());
}

t_symbol *gensym_tr(const char *s) {
  return gensym(s);
}

char *str_tr(const char *s) {
  return const_cast<char *>(s);
}

t_symbol *symbol_tr(t_symbol *s) {
  return s;
}

namespace kit::rt {

const CommonSymbols common_symbols_table{gensym(""),       gensym("bang"),       gensym("int"),
                                         gensym("float"),  gensym("list"),       gensym("anything"),
                                         gensym("assist"), gensym("long"),       gensym("symbol"),
                                         gensym("atom"),   gensym("FullPacket"), gensym("error")};

} // namespace kit::rt
