// Patcher files: a patch saved as JSON by the visual host, run headless.
// The subset that matters without a screen: object boxes of any class the
// host can load, message boxes, buttons, comments (skipped), subpatchers
// with inlet and outlet boxes, abstractions (a box naming a patcher file)
// and bpatchers, and patch lines. Unknown keys are ignored.
//
// A box that cannot be made here (a class no module gives, a box kind with
// no headless meaning) is left out with its lines and the rest runs, unless
// the build is strict; what is malformed (not JSON, a box without an id, a
// line to a box that does not exist) refuses the whole file.
//
// Threads: the host's main thread.
#pragma once

#include "patch_file.hpp"

#include "kit/host.hpp"

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace kithost {

/// How a patch is built.
struct PatchOptions {
  /// Refuse the whole patch at the first box or line that cannot be made,
  /// instead of leaving it out.
  bool strict = false;
  /// Told, once for each distinct box or line left out, the file that holds
  /// it and what and why ("box 'obj-3' ('number'): ...; left out"). May be
  /// empty.
  std::function<void(const std::string &file, const std::string &message)> report;
};

/// A running patch: its objects live until the patch is destroyed.
class Patch {
public:
  /// Builds the patch in `file`: every box, then every line (a fan-out runs
  /// right to left, by the position of the boxes it reaches), then the
  /// loadbangs (those of subpatchers first, then in box order). Abstractions
  /// are looked for in the folder of the patcher naming them, then on the
  /// host's file search path. Null with `failure` set when the file cannot
  /// be read or is malformed, or (strict) holds something that cannot be
  /// made; whatever was made is freed.
  static std::unique_ptr<Patch> load(kit::Host &host, const std::filesystem::path &file,
                                     PatchError &failure, const PatchOptions &options = {});
  /// Builds a patch from JSON text; `name` stands for the file in errors.
  static std::unique_ptr<Patch> load_text(kit::Host &host, const std::string &text,
                                          const std::string &name, PatchError &failure,
                                          const PatchOptions &options = {});

  /// Frees the objects, the newest first.
  ~Patch();
  Patch(const Patch &) = delete;
  Patch &operator=(const Patch &) = delete;

  /// How the boxes fared, counted over every level, each instance of an
  /// abstraction on its own. Comments are not counted.
  struct Tally {
    std::size_t boxes_made = 0;
    std::size_t boxes_left_out = 0;
    std::size_t lines_left_out = 0; ///< with a box left out, or unconnectable
  };
  const Tally &tally() const { return tally_; }

  /// A box with a scripting name ("varname") in the file itself, at any
  /// subpatcher depth (not inside abstractions, whose names are their own).
  struct NamedBox {
    std::string name;
    std::string class_name;
    t_object *x = nullptr;
  };
  /// The named boxes, in the order they were made.
  const std::vector<NamedBox> &named_boxes() const { return named_; }

private:
  explicit Patch(kit::Host &host) : host_(host) {}
  /// `file` is the patcher's own file; empty for text, named `text_name`.
  static std::unique_ptr<Patch> build(kit::Host &host, const nlohmann::json &document,
                                      const std::filesystem::path &file, PatchError &failure,
                                      const PatchOptions &options,
                                      const std::string &text_name = {});
  friend class PatchBuilder;

  kit::Host &host_;
  std::vector<t_object *> objects_;
  std::vector<NamedBox> named_;
  Tally tally_;
};

} // namespace kithost
