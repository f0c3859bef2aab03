// The command runner: the objects of a run by name, and the commands that
// make, connect, print, send to, wait for and free them. Runs on the host's
// main thread.
#pragma once

#include "output.hpp"
#include "script.hpp"

#include "kit/host.hpp"

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace kithost {

class Runner {
public:
  enum class Status { ok, failed, quit };
  struct Outcome {
    Status status = Status::ok;
    std::string error; ///< why, when failed
  };

  Runner(kit::Host &host, Output &output) : host_(host), output_(output) {}
  /// Frees the objects still alive, the newest first.
  ~Runner();
  Runner(const Runner &) = delete;
  Runner &operator=(const Runner &) = delete;

  /// Runs one script line.
  Outcome run_line(std::string_view text);
  /// Runs one split line (nothing for an empty one).
  Outcome run(const ScriptLine &line);
  /// "NAME MESSAGE" from the command line: MESSAGE to the object NAME (or
  /// NAME:INLET), as `send` would, and to every object bound to the name
  /// NAME (receive, value), as a `send NAME` box would; fails when neither
  /// is there.
  Outcome send_to_name(std::string_view text);

  /// The commands, sorted; for completion and `help`.
  static std::vector<std::string> command_names();
  /// One usage line per command ("NAME ARGS   what it does"), sorted; for
  /// `help` and --help.
  static std::vector<std::string> command_usages();

  /// Makes an object that something else owns (a patcher's box with a
  /// scripting name) reachable by `name` from script lines; `free` refuses
  /// it and the runner never frees it. False when the name is taken.
  bool adopt(const std::string &name, t_object *x, const std::string &class_name);

  /// Names of the objects alive, sorted; for completion.
  std::vector<std::string> object_names() const;
  /// The class of a named object ("NAME" or "NAME:INLET"), empty when none.
  std::string class_of(std::string_view name) const;

private:
  struct Object {
    t_object *x = nullptr;
    std::string class_name;
    std::vector<bool> printed; ///< outlets already printed
    bool owned = true;         ///< false for a patcher's box
  };
  using Words = std::vector<Word>;

  Outcome make_object(const Words &args);
  Outcome connect(const Words &args);
  Outcome print(const Words &args);
  Outcome send(const Words &args);
  /// The message of a `send` line's words after the target; false with a
  /// reason when it cannot be sent.
  bool message_of(std::span<const Word> words, kit::ParsedMessage &message, std::string &error);
  Outcome packet(const Words &args);
  Outcome wait(const Words &args);
  Outcome free_object(const Words &args);
  Outcome help(const Words &args);

  /// The object a NAME or NAME:INLET word names, with the inlet (0 when
  /// none is given); null with a reason in `error`.
  Object *find_target(const Word &word, int &inlet, std::string &error);
  Object *find(std::string_view name);
  void watch_outlet(const std::string &name, Object &object, int outlet);

  kit::Host &host_;
  Output &output_;
  std::map<std::string, Object, std::less<>> objects_;
  std::vector<std::string> creation_order_;
};

} // namespace kithost
