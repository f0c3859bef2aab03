// kithost: the kit's headless host. Options, the module folders and search
// path, then the scripts and patchers in order, in one host.
#include "../exit_status.hpp"
#include "builtins/builtins.hpp"
#include "describe.hpp"
#include "output.hpp"
#include "patcher.hpp"
#include "platform.hpp"
#include "prompt.hpp"
#include "runner.hpp"
#include "script.hpp"

#include "kit/host.hpp"

#include <CLI/CLI.hpp>

#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
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
  bool json = false;
  bool markdown = false;
  bool maxref = false;
  std::string doc;
  std::optional<double> run_ms;
  bool fail_on_error = false;
  bool strict = false; ///< refuse a patcher with a box that cannot be made
  bool batch = false;  ///< time runs ahead while nothing can arrive from outside
  std::vector<std::string> scripts;
  // ---- Driving a run from the command line ----
  std::vector<std::string> sends; ///< --send "NAME MESSAGE", after loading
  bool quiet = false;             ///< -q: no post lines
};

/// The module folder of a build (<bin>/../modules) or of an install
/// (<prefix>/bin/../KIT_INSTALL_MODULE_DIR), whichever sits beside this executable.
std::optional<fs::path> default_module_dir() {
  const fs::path exe = kithost::executable_path();
  if (exe.empty())
    return std::nullopt;
  const fs::path bin = exe.parent_path();
  for (const fs::path &candidate : {bin / ".." / "modules", bin / ".." / KIT_INSTALL_MODULE_DIR}) {
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

/// Makes the patch's boxes that have a scripting name reachable from script
/// lines and --send; a name already in use stays with its first owner.
void name_patch_boxes(const kithost::Patch &patch, const std::string &file, kithost::Runner &runner,
                      kithost::Output &output) {
  for (const auto &box : patch.named_boxes()) {
    if (!runner.adopt(box.name, box.x, box.class_name))
      output.diagnostic(file, "the name '" + box.name +
                                  "' is already in use; that box cannot be addressed by it");
  }
}

/// A patcher that runs until kithost exits, with the file it came from.
struct LoadedPatch {
  std::string file;
  std::unique_ptr<kithost::Patch> patch;
};

/// Builds a patcher; it runs until kithost exits. Each box left out is
/// reported as the patch is built.
kithost::Runner::Status run_patcher(kit::Host &host, const std::string &file,
                                    const Options &options, std::vector<LoadedPatch> &patches,
                                    kithost::Runner &runner, kithost::Output &output) {
  kithost::PatchOptions build;
  build.strict = options.strict;
  build.report = [&output](const std::string &where, const std::string &message) {
    output.diagnostic(where, message);
  };
  kithost::PatchError failure;
  auto patch = kithost::Patch::load(host, file, failure, build);
  output.flush();
  if (!patch) {
    output.diagnostic(failure.where, failure.message);
    return kithost::Runner::Status::failed;
  }
  name_patch_boxes(*patch, file, runner, output);
  patches.push_back({file, std::move(patch)});
  // What the loadbangs set going at once runs now, as after a script's `wait 0`.
  host.run_for(0);
  output.flush();
  return kithost::Runner::Status::ok;
}

/// Counts, at the end of the run, what each patcher left out. True when
/// anything was.
bool report_left_out(const std::vector<LoadedPatch> &patches, kithost::Output &output) {
  auto count = [](std::size_t n, const char *one, const char *many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
  };
  bool any = false;
  for (const auto &[file, patch] : patches) {
    const kithost::Patch::Tally &tally = patch->tally();
    if (tally.boxes_left_out == 0 && tally.lines_left_out == 0)
      continue;
    any = true;
    std::string text;
    if (tally.boxes_left_out > 0)
      text = std::to_string(tally.boxes_left_out) + " of " +
             count(tally.boxes_made + tally.boxes_left_out, "box", "boxes");
    if (tally.lines_left_out > 0)
      text += (text.empty() ? "" : " and ") + count(tally.lines_left_out, "line", "lines");
    output.diagnostic(file, text + " left out (could not be made here)");
  }
  return any;
}

/// Sends the --send messages, in order, to their objects and receivers.
bool send_from_command_line(const Options &options, kithost::Runner &runner,
                            kithost::Output &output) {
  for (const std::string &text : options.sends) {
    output.flush();
    auto outcome = runner.send_to_name(text);
    output.flush();
    if (outcome.status == kithost::Runner::Status::failed) {
      output.diagnostic("--send '" + text + "'", outcome.error);
      return false;
    }
  }
  return true;
}

/// Says on standard error what the loop still holds at the end of a script:
/// it would never run. True when something was pending.
bool report_pending_work(kit::Host &host, const std::string &script, kithost::Output &output) {
  const kit::Host::PendingWork pending = host.pending();
  if (pending.clocks == 0 && pending.deferred == 0)
    return false;
  auto count = [](std::size_t n, const char *one, const char *many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
  };
  std::string what;
  if (pending.clocks > 0)
    what = count(pending.clocks, "clock still armed", "clocks still armed");
  if (pending.deferred > 0) {
    if (!what.empty())
      what += " and ";
    what += count(pending.deferred, "deferred call still waiting", "deferred calls still waiting");
  }
  output.diagnostic(script, what + " at the end; add \"wait MS\"");
  return true;
}

/// How time moves for scripts and patchers (the prompt runs on real time).
kit::Host::Clock script_clock(const Options &options) {
  return options.batch ? kit::Host::Clock::batch : kit::Host::Clock::logical;
}

/// Runs the scripts and patchers in order, then the --send messages and
/// --run; the exit status.
int run_inputs(kit::Host &host, const Options &options, kithost::Output &output,
               std::vector<LoadedPatch> &patches, kithost::Runner &runner) {
  std::vector<std::string> scripts = options.scripts;
  if (scripts.empty())
    scripts.push_back("-");
  // The script whose end is checked for pending work: none after the
  // prompt, a patcher (which runs until kithost exits) or a `quit`.
  std::string checked_script;
  for (const auto &script : scripts) {
    auto status = kithost::Runner::Status::ok;
    checked_script.clear();
    if (script == "-") {
      set_search_path(host, options, {});
      const bool prompt = kithost::stdin_is_terminal();
      kithost::PromptOptions prompt_options;
      // The host's own line, which -q leaves out.
      if (!options.quiet)
        prompt_options.banner = std::string("kithost ") + KITHOST_VERSION +
                                ": 'help' lists the commands; Ctrl-D or 'quit' ends the session";
      status = prompt ? kithost::run_prompt(host, runner, output, prompt_options)
                      : run_stream(std::cin, "<stdin>", runner, output);
      host.set_clock(script_clock(options));
      if (!prompt)
        checked_script = "<stdin>";
    } else {
      std::error_code error;
      if (fs::is_directory(script, error)) {
        output.diagnostic(script, "is a folder, not a script");
        return exit_bad_input;
      }
      std::ifstream in(script, std::ios::binary);
      if (!in) {
        const char *kind = kithost::is_patcher_file(script) ? "patcher" : "script";
        output.diagnostic(script,
                          std::string(fs::exists(script, error) ? "cannot open the " : "no such ") +
                              kind);
        return exit_bad_input;
      }
      set_search_path(host, options, absolute_path(script).parent_path());
      const bool patcher = kithost::is_patcher_file(script);
      status = patcher ? run_patcher(host, script, options, patches, runner, output)
                       : run_stream(in, script, runner, output);
      if (!patcher)
        checked_script = script;
    }
    if (status == kithost::Runner::Status::failed)
      return exit_bad_input;
    if (status == kithost::Runner::Status::quit) {
      output.flush();
      return exit_ok;
    }
  }
  if (!send_from_command_line(options, runner, output))
    return exit_bad_input;
  if (options.run_ms) {
    output.flush();
    host.run_for(*options.run_ms);
  }
  output.flush();
  if (!checked_script.empty() && report_pending_work(host, checked_script, output) &&
      options.fail_on_error)
    return exit_run_failed;
  return exit_ok;
}

int run_scripts(kit::Host &host, const Options &options, kithost::Output &output) {
  // Time moves only in `wait` and --run, so that what a script prints does
  // not depend on how fast its lines arrive.
  host.set_clock(script_clock(options));
  // Patches outlive the runner's objects: both are freed before exit, the
  // script objects first.
  std::vector<LoadedPatch> patches;
  kithost::Runner runner(host, output);
  const int status = run_inputs(host, options, output, patches, runner);
  if (report_left_out(patches, output) && status == 0 && options.fail_on_error)
    return exit_run_failed;
  return status;
}

/// The script commands, for the end of --help.
std::string script_commands_help() {
  std::string text = "\nScript commands (one per line; `#` starts a comment; see the README):\n";
  for (const std::string &usage : kithost::Runner::command_usages())
    text += "  " + usage + "\n";
  text += "\nExit status: 0 all went well; 1 the run failed (with --fail-on-error); 2 bad usage or "
          "bad input (an option, a script line, a patcher file).\n";
  return text;
}

int run(int argc, char **argv) {
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
  app.add_flag("--json", options.json, "with --describe: the reference as JSON");
  app.add_flag("--markdown", options.markdown, "with --describe: the reference page (Markdown)");
  app.add_flag("--maxref", options.maxref,
               "with --describe: the reference page the visual host reads (CLASS.maxref.xml)");
  app.add_option("--doc", options.doc,
                 "with --markdown or --maxref: the class's description (CLASS.doc.json), which "
                 "explains the page; exits 1 when it and the class disagree")
      ->type_name("FILE");
  app.add_option("--run", options.run_ms,
                 "after the last script or patcher, let the host run for MS milliseconds")
      ->type_name("MS")
      ->check(CLI::Range(0.0, 1e10).description(""));
  app.add_flag("--fail-on-error", options.fail_on_error,
               "exit with status 1 when an object posted a console error or sent an 'error' "
               "message out of an outlet, when a patcher's box or line was left out, or when a "
               "script ends with clocks armed or deferred calls waiting");
  app.add_flag("--batch", options.batch,
               "run time ahead without waiting while nothing can arrive from outside (no "
               "connection, no socket listening), at the wall clock's pace while something can; "
               "what is printed is the same");
  app.add_flag("--strict", options.strict,
               "refuse a patcher with a box or line that cannot be made here (by default it is "
               "left out, reported, and the rest runs)");
  app.add_option("--send", options.sends,
                 "after loading the scripts and patchers, send MESSAGE to the object NAME (a "
                 "script's object or a patcher box's scripting name) as `send` would, and to "
                 "every receive NAME; repeatable")
      ->type_name("'NAME MESSAGE'")
      ->allow_extra_args(false);
  app.add_flag("-q,--quiet", options.quiet,
               "leave out kithost's own lines and the post: lines objects write; what print boxes "
               "print, errors and diagnostics stay");
  app.footer(script_commands_help());
  app.add_option("SCRIPT", options.scripts,
                 "script files, patcher files (.maxpat, .maxhelp), '-' for standard input")
      ->type_name("");
  try {
    app.parse(argc, argv);
  } catch (const CLI::Success &done) {
    return app.exit(done);
  } catch (const CLI::ParseError &failed) {
    std::cerr << "kithost: " << failed.what() << " (see --help)\n";
    return exit_bad_input;
  }
  if (app.count("--describe") > 0 && options.describe.empty()) {
    std::cerr << "kithost: --describe: the class name is empty (see --help)\n";
    return exit_bad_input;
  }
  if (options.list && !options.describe.empty()) {
    std::cerr << "kithost: --list and --describe go alone (see --help)\n";
    return exit_bad_input;
  }
  if ((options.json || options.markdown || options.maxref) && options.describe.empty()) {
    std::cerr << "kithost: --json, --markdown and --maxref go with --describe (see --help)\n";
    return exit_bad_input;
  }
  if (!options.doc.empty() && !options.markdown && !options.maxref) {
    std::cerr << "kithost: --doc goes with --markdown or --maxref (see --help)\n";
    return exit_bad_input;
  }
  if (int(options.json) + int(options.markdown) + int(options.maxref) > 1) {
    std::cerr << "kithost: --json, --markdown and --maxref go alone (see --help)\n";
    return exit_bad_input;
  }

  // Made before the host so that it outlives it: the host may still post
  // console lines while it shuts down.
  static kithost::Output output;
  kit::Host &host = kit::Host::instance();
  output.attach_console(host, !options.describe.empty() || options.list, options.quiet);
  if (options.module_dirs.empty()) {
    if (auto dir = default_module_dir())
      host.add_module_dir(*dir);
  }
  for (const auto &dir : options.module_dirs)
    host.add_module_dir(absolute_path(dir));
  kithost::builtins::define_all(host);
  if (options.dialog.empty())
    host.set_dialog_answer(std::nullopt);
  else
    host.set_dialog_answer(absolute_path(options.dialog));

  if (options.list) {
    for (const auto &failure : kithost::list_classes(host, std::cout))
      output.diagnostic({}, "not listed: " + failure);
    return exit_ok;
  }
  if (!options.describe.empty()) {
    std::string error;
    std::vector<std::string> drift;
    const bool described =
        options.json ? kithost::describe_class_json(host, options.describe, std::cout, error)
        : options.markdown || options.maxref
            ? kithost::describe_class_page(host, options.describe, options.doc,
                                           options.maxref ? kithost::PageFormat::maxref
                                                          : kithost::PageFormat::markdown,
                                           std::cout, error, drift)
            : kithost::describe_class(host, options.describe, std::cout, error);
    if (!described) {
      std::cout.flush();
      output.diagnostic({}, "cannot describe " + options.describe + ": " + error);
      return exit_bad_input;
    }
    // The page comes before what is wrong with it; a failed write is left
    // for the exit check to report.
    if (!drift.empty())
      std::cout.flush();
    for (const auto &disagreement : drift)
      output.diagnostic({}, options.doc + ": " + disagreement);
    return drift.empty() ? exit_ok : exit_run_failed;
  }
  const int status = run_scripts(host, options, output);
  if (status == 0 && options.fail_on_error && output.errors_seen() + host.outlet_errors() > 0)
    return exit_run_failed;
  return status;
}

} // namespace

int main(int argc, char **argv) {
  return kithost::check_standard_output(run(argc, argv), exit_bad_input);
}
