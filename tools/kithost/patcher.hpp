// Patcher files: a patch saved as JSON by the visual host, run headless.
// The subset that matters without a screen: object boxes of any class the
// host can load, message boxes, buttons, comments (skipped), subpatchers
// with inlet and outlet boxes, and patch lines. Unknown keys are ignored.
//
// Threads: the host's main thread.
#pragma once

#include "kit/host.hpp"

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace kithost {

/// Why a patch could not be built: `where` is the file with a line and
/// column (malformed JSON) or the file alone, and the message names the
/// box, or the JSON path, at fault.
struct PatchError {
  std::string where;
  std::string message;
};

/// A running patch: its objects live until the patch is destroyed.
class Patch {
public:
  /// Builds the patch in `file`: every box, then every line (a fan-out runs
  /// right to left, by the position of the boxes it reaches), then the
  /// loadbangs (those of subpatchers first, then in box order). Null with
  /// `failure` set when the file cannot be read or holds something that
  /// cannot run; whatever was made is freed.
  static std::unique_ptr<Patch> load(kit::Host &host, const std::filesystem::path &file,
                                     PatchError &failure);
  /// Builds a patch from JSON text; `name` stands for the file in errors.
  static std::unique_ptr<Patch> load_text(kit::Host &host, const std::string &text,
                                          const std::string &name, PatchError &failure);

  /// Frees the objects, the newest first.
  ~Patch();
  Patch(const Patch &) = delete;
  Patch &operator=(const Patch &) = delete;

  /// Number of objects made (boxes that run; comments are not objects).
  std::size_t object_count() const { return objects_.size(); }

  /// A box with a scripting name ("varname"), at any subpatcher depth.
  struct NamedBox {
    std::string name;
    std::string class_name;
    t_object *x = nullptr;
  };
  /// The named boxes, in the order they were made.
  const std::vector<NamedBox> &named_boxes() const { return named_; }

private:
  explicit Patch(kit::Host &host) : host_(host) {}
  friend class PatchBuilder;

  kit::Host &host_;
  std::vector<t_object *> objects_;
  std::vector<NamedBox> named_;
};

/// True for the file names kithost runs as patchers (.maxpat, .maxhelp).
bool is_patcher_file(const std::filesystem::path &file);

} // namespace kithost
