// kithost: the kit's headless host. Options, the module folders and search
// path, then the scripts in order, in one host.
#include "describe.hpp"
#include "output.hpp"
#include "platform.hpp"
#include "prompt.hpp"
#include "runner.hpp"
#include "script.hpp"

#include "kit/host.hpp"

#include <CLI/CLI.hpp>

#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct Options {
  std::vector<std::string> module_dirs;
  std::vector<std::string> search_dirs;
  std::string dialog;
  bool list = false;
  std::string describe;
  std::vector<std::string> scripts;
};

constexpr int exit_failed = 2;

/// The module folder of a build (<bin>/../modules) or of an install
/// (<prefix>/bin/../lib/kit/modules), whichever sits beside this executable.
std::optional<fs::path> default_module_dir() {
  const fs::path exe = kithost::executable_path();
  if (exe.empty())
    return std::nullopt;
  const fs::path bin = exe.parent_path();
  for (const fs::path &candidate :
       {bin / ".." / "modules", bin / ".." / "lib" / "kit" / "modules"}) {
    std::error_code error;
    if (fs::is_directory(candidate, error))
      return fs::weakly_canonical(candidate, error);
  }
  return std::nullopt;
}

fs::path absolute_path(const std::string &name) {
  std::error_code error;
  fs::path path = fs::absolute(name, error);
  return error ? fs::path(name) : path;
}

/// The file search path for one script: the --path folders, then the
/// script's own folder, then the working directory.
void set_search_path(kit::Host &host, const Options &options, const fs::path &script_dir) {
  host.clear_search_path();
  for (const auto &dir : options.search_dirs)
    host.add_search_path(absolute_path(dir));
  if (!script_dir.empty())
    host.add_search_path(script_dir);
  std::error_code error;
  const fs::path cwd = fs::current_path(error);
  if (!error)
    host.add_search_path(cwd);
}

/// Runs the lines of one script; stops at the first line that cannot run.
kithost::Runner::Status run_stream(std::istream &in, const std::string &name,
                                   kithost::Runner &runner, kithost::Output &output) {
  kithost::LineSource source(in, name);
  while (auto text = source.next()) {
    output.flush();
    auto outcome = runner.run_line(*text);
    output.flush();
    if (outcome.status == kithost::Runner::Status::failed) {
      output.diagnostic(source.where(), outcome.error);
      return outcome.status;
    }
    if (outcome.status == kithost::Runner::Status::quit)
      return outcome.status;
  }
  if (in.bad()) {
    output.diagnostic(name, "read error");
    return kithost::Runner::Status::failed;
  }
  return kithost::Runner::Status::ok;
}

int run_scripts(kit::Host &host, const Options &options, kithost::Output &output) {
  kithost::Runner runner(host, output);
  std::vector<std::string> scripts = options.scripts;
  if (scripts.empty())
    scripts.push_back("-");
  for (const auto &script : scripts) {
    auto status = kithost::Runner::Status::ok;
    if (script == "-") {
      set_search_path(host, options, {});
      status = kithost::stdin_is_terminal() ? kithost::run_prompt(host, runner, output)
                                            : run_stream(std::cin, "<stdin>", runner, output);
    } else {
      std::error_code error;
      if (fs::is_directory(script, error)) {
        output.diagnostic(script, "is a folder, not a script");
        return exit_failed;
      }
      std::ifstream in(script, std::ios::binary);
      if (!in) {
        output.diagnostic(script,
                          fs::exists(script, error) ? "cannot open the script" : "no such script");
        return exit_failed;
      }
      set_search_path(host, options, absolute_path(script).parent_path());
      status = run_stream(in, script, runner, output);
    }
    if (status == kithost::Runner::Status::failed)
      return exit_failed;
    if (status == kithost::Runner::Status::quit)
      break;
  }
  output.flush();
  return 0;
}

} // namespace

int main(int argc, char **argv) {
  Options options;
  const CLI::Validator existing_dir = CLI::Validator(CLI::ExistingDirectory).description("");
  CLI::App app{"kithost: the kit's headless host. Runs the SCRIPT files in order in one host "
               "(standard input when none is given, or for '-'; an interactive prompt when "
               "it is a terminal)."};
  app.set_version_flag("--version", std::string("kithost ") + KITHOST_VERSION);
  app.add_option("--modules", options.module_dirs,
                 "folder searched for modules (repeatable; default: the build's or the "
                 "install's module folder)")
      ->type_name("DIR")
      ->check(existing_dir)
      ->allow_extra_args(false);
  app.add_option("--path", options.search_dirs, "folder of the file search path (repeatable)")
      ->type_name("DIR")
      ->check(existing_dir)
      ->allow_extra_args(false);
  app.add_option("--dialog", options.dialog,
                 "the file that the open-file dialog answers (default: every dialog is "
                 "cancelled)")
      ->type_name("FILE");
  app.add_flag("--list", options.list, "print the classes that can be loaded, one per line");
  app.add_option("--describe", options.describe,
                 "print the class's messages, attributes, inlets and outlets")
      ->type_name("CLASS");
  app.add_option("SCRIPT", options.scripts, "script files, '-' for standard input")->type_name("");
  try {
    app.parse(argc, argv);
  } catch (const CLI::Success &done) {
    return app.exit(done);
  } catch (const CLI::ParseError &failed) {
    std::cerr << "kithost: " << failed.what() << " (see --help)\n";
    return exit_failed;
  }
  if (options.list && !options.describe.empty()) {
    std::cerr << "kithost: --list and --describe go alone (see --help)\n";
    return exit_failed;
  }

  // Made before the host so that it outlives it: the host may still post
  // console lines while it shuts down.
  static kithost::Output output;
  kit::Host &host = kit::Host::instance();
  output.attach_console(host, !options.describe.empty());
  if (options.module_dirs.empty()) {
    if (auto dir = default_module_dir())
      host.add_module_dir(*dir);
  }
  for (const auto &dir : options.module_dirs)
    host.add_module_dir(absolute_path(dir));
  if (options.dialog.empty())
    host.set_dialog_answer(std::nullopt);
  else
    host.set_dialog_answer(absolute_path(options.dialog));

  if (options.list) {
    kithost::list_classes(host, std::cout);
    return 0;
  }
  if (!options.describe.empty()) {
    std::string error;
    if (!kithost::describe_class(host, options.describe, std::cout, error)) {
      std::cout.flush();
      output.diagnostic({}, "cannot describe " + options.describe + ": " + error);
      return exit_failed;
    }
    return 0;
  }
  return run_scripts(host, options, output);
}
