// Module loading: find CLASS.so in the module folders, load it, check that
// its entry point is its own (dlsym also searches the libraries it depends
// on), run the entry point once and expect it to register CLASS.
#include "modules.hpp"
#include "platform.hpp"

#include <algorithm>
#include <set>
#include <system_error>

namespace fs = std::filesystem;

namespace kit::rt {
namespace {

// Class names become file names: nothing that could leave the folder.
bool is_safe_name(std::string_view name) {
  return !name.empty() && name.size() <= 200 && name.front() != '.' &&
         name.find_first_of(std::string_view("/\\:\0", 4)) == std::string_view::npos;
}

bool same_file(const fs::path &a, const fs::path &b) {
  std::error_code ec;
  return fs::equivalent(a, b, ec) && !ec;
}

} // namespace

Modules &Modules::get() {
  static Modules *instance = new Modules;
  return *instance;
}

void Modules::add_dir(const fs::path &dir) {
  std::error_code ec;
  fs::path absolute = fs::absolute(dir, ec).lexically_normal();
  if (ec)
    absolute = dir;
  if (std::find(dirs_.begin(), dirs_.end(), absolute) == dirs_.end())
    dirs_.push_back(absolute);
}

void Modules::define(std::string_view name, void (*entry)()) {
  defined_[std::string(name)] = entry;
  failed_.erase(std::string(name));
}

bool Modules::run_entry(t_symbol *name, void (*main_entry)(), void (*ext_entry)(void *),
                        const std::string &where, std::string &error) {
  ClassRegistry &registry = ClassRegistry::get();
  t_symbol *outer = registry.loading;
  maxclass *outer_setup = registry.last_setup;
  registry.loading = name;
  registry.last_setup = nullptr;
  if (main_entry)
    main_entry();
  else
    ext_entry(nullptr);
  registry.loading = outer;
  registry.last_setup = outer_setup;
  if (registry.find(name))
    return true;
  if (registry.find_made(name))
    error =
        where + " made the class \"" + name->s_name + "\" but did not register it (class_register)";
  else
    error = where + " did not register a class named \"" + name->s_name + "\"";
  return false;
}

maxclass *Modules::load(std::string_view name, std::string &error) {
  t_symbol *symbol = gensym(std::string(name).c_str());
  if (maxclass *c = ClassRegistry::get().find(symbol))
    return c;
  if (auto failed = failed_.find(name); failed != failed_.end()) {
    error = failed->second;
    return nullptr;
  }
  const std::string key(name);
  // A defined entry point is no file: its name may be "/" or "+".
  if (auto defined = defined_.find(name); defined != defined_.end()) {
    if (run_entry(symbol, defined->second, nullptr, "the entry point of \"" + key + "\"", error))
      return ClassRegistry::get().find(symbol);
    failed_[key] = error;
    return nullptr;
  }
  if (!is_safe_name(name)) {
    error = "\"" + key + "\" is not a class name";
    return nullptr;
  }

  const std::string file_name = key + platform::module_suffix;
  fs::path module;
  for (const fs::path &dir : dirs_) {
    std::error_code ec;
    if (fs::is_regular_file(dir / file_name, ec)) {
      module = dir / file_name;
      break;
    }
  }
  if (module.empty()) {
    error = "no module \"" + file_name + "\" in the module folders (";
    for (size_t i = 0; i < dirs_.size(); ++i)
      error += (i ? ", " : "") + dirs_[i].string();
    error += dirs_.empty() ? "none set)" : ")";
    return nullptr;
  }

  std::string reason;
  void *library = platform::open_library(module, reason);
  if (!library) {
    error = "cannot load module " + module.string() + ": " + reason;
    failed_[key] = error;
    return nullptr;
  }
  // Only an entry point defined in the module itself counts.
  auto own_symbol = [&](const char *entry) -> void * {
    void *address = platform::library_symbol(library, entry);
    if (!address)
      return nullptr;
    std::optional<fs::path> file = platform::file_of_address(address);
    return file && same_file(*file, module) ? address : nullptr;
  };
  // The visual host calls ext_main, as its SDK declares; main is left for
  // modules written before it.
  void *ext_address = own_symbol("ext_main");
  void *main_address = ext_address ? nullptr : own_symbol("main");
  if (!main_address && !ext_address) {
    error = "module " + module.string() + " has no entry point (main or ext_main)";
    failed_[key] = error;
    return nullptr;
  }
  // The library stays loaded for the life of the process: its classes and
  // threads may be in use until the end.
  if (!run_entry(symbol, reinterpret_cast<void (*)()>(main_address),
                 reinterpret_cast<void (*)(void *)>(ext_address), "module " + module.string(),
                 error)) {
    failed_[key] = error;
    return nullptr;
  }
  return ClassRegistry::get().find(symbol);
}

std::vector<std::string> Modules::available() const {
  std::set<std::string> names;
  for (const auto &[name, entry] : defined_)
    names.insert(name);
  const std::string suffix = platform::module_suffix;
  for (const fs::path &dir : dirs_) {
    std::error_code ec;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
      const std::string file = it->path().filename().string();
      if (file.size() > suffix.size() && file.ends_with(suffix) && is_safe_name(file))
        names.insert(file.substr(0, file.size() - suffix.size()));
    }
  }
  return {names.begin(), names.end()};
}

} // namespace kit::rt
