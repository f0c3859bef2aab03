// Modules: shared libraries named after their class, loaded the first time
// the class is named.
//
// Threads: the host's main thread.
#pragma once

#include "classes.hpp"

#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace kit::rt {

class Modules {
public:
  static Modules &get();

  void add_dir(const std::filesystem::path &dir);
  /// Makes `entry` the entry point of class `name`, as if its module were
  /// found first.
  void define(std::string_view name, void (*entry)());
  /// The registered class, loading its module the first time. Null with a
  /// reason in `error`.
  maxclass *load(std::string_view name, std::string &error);
  /// Names of the modules in the module folders and of defined entries.
  std::vector<std::string> available() const;

private:
  bool run_entry(t_symbol *name, void (*main_entry)(), void (*ext_entry)(void *),
                 const std::string &where, std::string &error);

  std::vector<std::filesystem::path> dirs_;
  std::map<std::string, void (*)(), std::less<>> defined_;
  /// Classes whose module failed once: the same answer without trying again
  /// (an entry point runs at most once per process).
  std::map<std::string, std::string, std::less<>> failed_;
};

} // namespace kit::rt
