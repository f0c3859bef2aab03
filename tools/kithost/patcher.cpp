#include "patcher.hpp"

#include "box_text.hpp"
#include "builtins/builtins.hpp"

#include "ext_obex.h"
#include "ext_path.h"
#include "kit/text.hpp"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <map>
#include <set>
#include <system_error>

namespace kithost {

namespace {

using json = nlohmann::json;
namespace fs = std::filesystem;

/// What makes the file malformed: refuses the whole patch.
struct Fault {
  std::string message;
};

/// A bound of the whole build passed (nesting, objects): refuses the whole
/// patch, whichever file was being read.
struct Limit {
  std::string message;
};

/// A box or line that cannot be made here: left out, unless strict.
struct Unmade {
  std::string message;
};

std::string quote(std::string_view text) {
  return "'" + std::string(text) + "'";
}

const json *member(const json &object, const char *key) {
  auto it = object.find(key);
  return it == object.end() ? nullptr : &*it;
}

/// Where a connection ends: an object and one of its inlets or outlets.
struct Port {
  t_object *x = nullptr;
  int index = 0;
};

/// A box as lines see it: a plain object, or a subpatcher whose inlets and
/// outlets are the inlet and outlet boxes inside it, left to right.
struct BoxEnd {
  t_object *x = nullptr;
  std::vector<t_object *> inlets;  ///< subpatcher only
  std::vector<t_object *> outlets; ///< subpatcher only
  bool subpatcher = false;
  double left = 0; ///< horizontal position, for fan-out order
};

struct LineEnds {
  Port from;
  Port to;
  double to_left;
  std::size_t order;
};

/// The boxes of one patcher level by id; those left out are known too, so
/// that their lines are left out with them.
struct LevelBoxes {
  std::map<std::string, BoxEnd, std::less<>> made;
  std::set<std::string, std::less<>> left_out;
};

/// One patcher level being built: where its boxes are written.
struct Level {
  std::string file;                             ///< the file holding the level, for reports
  std::string path;                             ///< the level's JSON path in that file
  int depth = 1;                                ///< 1 for the file's top patcher
  fs::path folder;                              ///< the file's folder, searched first for files
  const std::vector<Word> *arguments = nullptr; ///< #1..#9 inside an abstraction
  bool named = true; ///< boxes may be named for scripts (not inside abstractions)

  /// A subpatcher of this level, written in the same file.
  Level inner(const std::string &inner_path) const {
    Level level = *this;
    level.path = inner_path;
    ++level.depth;
    return level;
  }
};

/// A patcher file read once for all the boxes that name it.
struct Document {
  std::optional<json> content;
  PatchError failure; ///< when there is no content
};

} // namespace

class PatchBuilder {
public:
  /// `file`, when given, is the top patcher's own file: it may not be
  /// named by a box inside it.
  PatchBuilder(Patch &patch, const PatchOptions &options, const fs::path &file)
      : patch_(patch), options_(options) {
    if (!file.empty())
      open_files_.push_back(canonical(file));
  }

  /// Builds one patcher level; returns its inlet and outlet boxes (left to
  /// right) for the level above.
  void build(const json &patcher, const Level &level, std::vector<t_object *> &inlets,
             std::vector<t_object *> &outlets) {
    // Each level is a call deeper: the nesting is bounded, so a hostile file
    // cannot exhaust the stack.
    if (++depth_ > max_depth)
      throw Limit{level.path + ": subpatchers nested more than " + std::to_string(max_depth) +
                  " deep"};
    struct Leave {
      int &depth;
      ~Leave() { --depth; }
    } leave{depth_};
    const std::string &path = level.path;
    if (!patcher.is_object())
      throw Fault{path + ": a patcher must be a JSON object"};
    LevelBoxes boxes;
    std::vector<std::pair<double, t_object *>> inlet_boxes, outlet_boxes;
    std::vector<t_object *> loadbangs;

    if (const json *list = member(patcher, "boxes")) {
      if (!list->is_array())
        throw Fault{path + "/boxes: must be an array"};
      for (std::size_t i = 0; i < list->size(); ++i) {
        const std::string box_path = path + "/boxes/" + std::to_string(i);
        const json &entry = (*list)[i];
        const json *box = entry.is_object() ? member(entry, "box") : nullptr;
        if (!box || !box->is_object())
          throw Fault{box_path + ": expected an object with a \"box\" object"};
        make_box(*box, level, box_path + "/box", boxes, inlet_boxes, outlet_boxes, loadbangs);
      }
    }
    if (const json *list = member(patcher, "lines")) {
      if (!list->is_array())
        throw Fault{path + "/lines: must be an array"};
      std::vector<LineEnds> lines;
      for (std::size_t i = 0; i < list->size(); ++i) {
        const std::string line_path = path + "/lines/" + std::to_string(i);
        try {
          if (auto ends = read_line((*list)[i], line_path, boxes, i))
            lines.push_back(*ends);
          else
            ++patch_.tally_.lines_left_out;
        } catch (const Unmade &unmade) {
          leave_out_line(level, unmade);
        }
      }
      // One outlet reaching several inlets sends to the rightmost first; the
      // file's order breaks ties.
      std::stable_sort(lines.begin(), lines.end(),
                       [](const LineEnds &a, const LineEnds &b) { return a.to_left > b.to_left; });
      for (const LineEnds &line : lines) {
        std::string error;
        if (!patch_.host_.connect(line.from.x, line.from.index, line.to.x, line.to.index, error))
          leave_out_line(level,
                         Unmade{path + "/lines/" + std::to_string(line.order) + ": " + error});
      }
    }
    auto by_position = [](const auto &a, const auto &b) { return a.first < b.first; };
    std::stable_sort(inlet_boxes.begin(), inlet_boxes.end(), by_position);
    std::stable_sort(outlet_boxes.begin(), outlet_boxes.end(), by_position);
    for (const auto &[left, x] : inlet_boxes)
      inlets.push_back(x);
    for (const auto &[left, x] : outlet_boxes)
      outlets.push_back(x);
    loadbangs_.insert(loadbangs_.end(), loadbangs.begin(), loadbangs.end());
  }

  void fire_loadbangs() {
    for (t_object *x : loadbangs_)
      builtins::fire_loadbang(x);
  }

private:
  /// Reports a box or line that cannot be made (once for each distinct
  /// one), or refuses the patch when strict.
  void leave_out(const Level &level, const Unmade &unmade) {
    if (options_.strict)
      throw Fault{unmade.message};
    if (reported_.insert(level.file + '\n' + unmade.message).second && options_.report)
      options_.report(level.file, unmade.message + "; left out");
  }

  void leave_out_line(const Level &level, const Unmade &unmade) {
    leave_out(level, unmade);
    ++patch_.tally_.lines_left_out;
  }

  t_object *make(const std::string &where, const std::string &class_name,
                 const std::vector<t_atom> &args) {
    // Abstractions inside abstractions multiply: a small file may ask for
    // more objects than any patch needs.
    if (patch_.objects_.size() >= max_objects)
      throw Limit{where + ": the patch would make more than " + std::to_string(max_objects) +
                  " objects"};
    std::string error;
    t_object *x = patch_.host_.make(class_name, args, error);
    if (!x)
      throw Unmade{where + ": " + error};
    patch_.objects_.push_back(x);
    return x;
  }

  static std::string text_of(const json &box, const std::string &path) {
    const json *text = member(box, "text");
    if (!text)
      return {};
    if (!text->is_string())
      throw Fault{path + "/text: must be a string"};
    return text->get<std::string>();
  }

  /// The class a box was made of: an object box's first word, else its kind.
  static std::string class_of(const std::string &maxclass, const std::string &text) {
    if (maxclass != "newobj")
      return maxclass;
    std::string error;
    auto words = kit::split_words(text, error);
    return words && !words->empty() ? (*words)[0] : maxclass;
  }

  static double left_of(const json &box) {
    const json *rect = member(box, "patching_rect");
    if (rect && rect->is_array() && !rect->empty() && (*rect)[0].is_number())
      return (*rect)[0].get<double>();
    return 0;
  }

  void make_box(const json &box, const Level &level, const std::string &path, LevelBoxes &boxes,
                std::vector<std::pair<double, t_object *>> &inlet_boxes,
                std::vector<std::pair<double, t_object *>> &outlet_boxes,
                std::vector<t_object *> &loadbangs) {
    const json *id = member(box, "id");
    const json *kind = member(box, "maxclass");
    if (!id || !id->is_string())
      throw Fault{path + ": a box needs a string \"id\""};
    const std::string box_id = id->get<std::string>();
    // Ids repeat from one subpatcher to the next: below the top, the place
    // tells which box is meant.
    const std::string name =
        "box " + quote(box_id) + (level.depth > 1 ? " in " + level.path : std::string());
    if (!kind || !kind->is_string())
      throw Fault{name + " (" + path + "): needs a string \"maxclass\""};
    const std::string maxclass = kind->get<std::string>();
    if (boxes.made.count(box_id) || boxes.left_out.count(box_id))
      throw Fault{name + " (" + path + "): the id is used twice in one patcher"};
    const std::string written = text_of(box, path);
    const std::string text =
        level.arguments
            ? replace_arguments(written, *level.arguments,
                                maxclass == "message" ? BoxKind::message : BoxKind::object)
            : written;
    BoxEnd end;
    end.left = left_of(box);
    try {
      make_object(box, level, path, name, maxclass, text, end, inlet_boxes, outlet_boxes,
                  loadbangs);
    } catch (const Unmade &unmade) {
      leave_out(level, unmade);
      boxes.left_out.insert(box_id);
      ++patch_.tally_.boxes_left_out;
      return;
    }
    // Comments are made (lines may reach them) but not counted.
    if (maxclass != "comment")
      ++patch_.tally_.boxes_made;
    if (const json *varname = member(box, "varname"); varname && end.x && level.named) {
      if (!varname->is_string())
        throw Fault{name + " (" + path + "/varname): must be a string"};
      if (!varname->get_ref<const std::string &>().empty())
        patch_.named_.push_back({varname->get<std::string>(), class_of(maxclass, text), end.x});
    }
    boxes.made.emplace(box_id, std::move(end));
  }

  /// Makes what a box stands for; throws Unmade when it cannot be made here.
  void make_object(const json &box, const Level &level, const std::string &path,
                   const std::string &name, const std::string &maxclass, const std::string &text,
                   BoxEnd &end, std::vector<std::pair<double, t_object *>> &inlet_boxes,
                   std::vector<std::pair<double, t_object *>> &outlet_boxes,
                   std::vector<t_object *> &loadbangs) {
    if (maxclass == "message") {
      std::string error;
      auto content = parse_box_text(text, error);
      if (!content)
        throw Unmade{name + " (message " + quote(text) + "): " + error};
      end.x = make(name, "message", {});
      builtins::set_message_content(end.x, std::move(*content));
    } else if (maxclass == "newobj") {
      std::string error;
      std::vector<bool> quoted;
      auto words = kit::split_words(text, error, &quoted);
      if (!words)
        throw Unmade{name + " (" + quote(text) + "): " + error};
      if (words->empty())
        throw Unmade{name + ": an empty object box"};
      if (const json *inner = member(box, "patcher")) {
        // A subpatcher: its boxes join this patch; the lines reaching this
        // box go to its inlet and outlet boxes.
        end.subpatcher = true;
        build(*inner, level.inner(path + "/patcher"), end.inlets, end.outlets);
      } else if ((*words)[0] == "p" || (*words)[0] == "patcher") {
        throw Unmade{name + " (" + quote(text) + "): a subpatcher box without its \"patcher\""};
      } else {
        const std::string &class_name = (*words)[0];
        const std::string label = name + " (" + quote(text) + ")";
        // A class of the host's or a module's wins over a patcher file of
        // the same name, as in the visual host.
        if (!patch_.host_.load_class(class_name, error)) {
          const auto file = find_file(class_name + ".maxpat", level);
          if (!file)
            throw Unmade{label + ": " + error};
          std::vector<Word> arguments;
          for (std::size_t i = 1; i < words->size(); ++i)
            arguments.push_back({(*words)[i], i < quoted.size() && quoted[i]});
          end.subpatcher = true;
          build_abstraction(*file, arguments, label, end);
          return;
        }
        std::vector<t_atom> args;
        for (std::size_t i = 1; i < words->size(); ++i)
          args.push_back(kit::word_to_atom((*words)[i], i < quoted.size() && quoted[i]));
        end.x = make(label, class_name, args);
        if (class_name == "loadbang" || class_name == "loadmess")
          loadbangs.push_back(end.x);
      }
    } else if (maxclass == "bpatcher") {
      make_bpatcher(box, level, path, name, end);
    } else {
      // A box of the host's own kind (a user interface box, a comment): the
      // class of that name, with the attributes the file saved for it.
      std::string error;
      if (!patch_.host_.load_class(maxclass, error))
        throw Unmade{name + ": the box kind " + quote(maxclass) + " cannot run here"};
      end.x = make(name, maxclass, {});
      set_saved_attributes(end.x, maxclass, box);
      if (maxclass == "inlet")
        inlet_boxes.emplace_back(end.left, end.x);
      if (maxclass == "outlet")
        outlet_boxes.emplace_back(end.left, end.x);
    }
  }

  /// A bpatcher: the patcher file its "name" gives, or the copy of it
  /// embedded in the box, with the box's "args" for #1..#9.
  void make_bpatcher(const json &box, const Level &level, const std::string &path,
                     const std::string &name, BoxEnd &end) {
    std::vector<Word> arguments;
    const json *args = member(box, "args");
    if (args && !args->is_array())
      throw Fault{path + "/args: must be an array"};
    for (const json &arg : args ? *args : json::array()) {
      if (arg.is_string())
        arguments.push_back({arg.get<std::string>(), true});
      else if (arg.is_number())
        arguments.push_back({arg.dump(), false});
      else
        throw Fault{path + "/args: holds something that is neither a number nor a text"};
    }
    end.subpatcher = true;
    if (const json *inner = member(box, "patcher")) {
      Level embedded = level.inner(path + "/patcher");
      std::vector<Word> held = std::move(arguments);
      if (args)
        embedded.arguments = &held;
      build(*inner, embedded, end.inlets, end.outlets);
      return;
    }
    const json *file_name = member(box, "name");
    if (!file_name || !file_name->is_string() || file_name->get_ref<const std::string &>().empty())
      throw Unmade{name + " (bpatcher): no patcher file \"name\" and no embedded \"patcher\""};
    std::string wanted = file_name->get<std::string>();
    if (level.arguments)
      wanted = replace_arguments(wanted, *level.arguments, BoxKind::object);
    const std::string label = name + " (bpatcher " + quote(wanted) + ")";
    auto file = find_file(wanted, level);
    if (!file && fs::path(wanted).extension().empty())
      file = find_file(wanted + ".maxpat", level);
    if (!file)
      throw Unmade{label + ": no such patcher file in the patcher's folder or on the search path"};
    build_abstraction(*file, arguments, label, end);
  }

  /// A file named by a box: in the folder of the patcher naming it, then on
  /// the host's file search path (--path, the top patcher's folder, the
  /// working directory).
  static std::optional<fs::path> find_file(const std::string &name, const Level &level) {
    std::error_code error;
    const fs::path wanted(name);
    if (!level.folder.empty() && fs::is_regular_file(level.folder / wanted, error))
      return level.folder / wanted;
    char found[MAX_PATH_CHARS];
    if (name.size() >= sizeof found)
      return std::nullopt;
    std::memcpy(found, name.c_str(), name.size() + 1);
    short folder = 0;
    t_fourcc type = 0;
    char full[MAX_PATH_CHARS];
    if (locatefile_extended(found, &folder, &type, nullptr, 0) != 0 ||
        path_topathname(folder, found, full) != 0)
      return std::nullopt;
    return fs::path(full);
  }

  static fs::path canonical(const fs::path &file) {
    std::error_code error;
    fs::path path = fs::weakly_canonical(file, error);
    return error ? file : path;
  }

  const Document &document(const fs::path &file) {
    auto it = documents_.find(file);
    if (it == documents_.end()) {
      Document read;
      read.content = read_patch_file(file, read.failure);
      it = documents_.emplace(file, std::move(read)).first;
    }
    return it->second;
  }

  /// Builds the patcher in `file` as a subpatcher of the box `label`, with
  /// `arguments` for #1..#9. Throws Unmade when the file cannot be read, is
  /// malformed or includes itself; what it made by then is freed.
  void build_abstraction(const fs::path &file, const std::vector<Word> &arguments,
                         const std::string &label, BoxEnd &end) {
    const fs::path key = canonical(file);
    if (auto open = std::find(open_files_.begin(), open_files_.end(), key);
        open != open_files_.end()) {
      std::string chain;
      for (auto it = open; it != open_files_.end(); ++it)
        chain += it->filename().string() + " > ";
      throw Unmade{label + ": " + file.string() + " includes itself (" + chain +
                   key.filename().string() + ")"};
    }
    const Document &read = document(key);
    if (!read.content)
      throw Unmade{label + ": " + read.failure.where + ": " + read.failure.message};
    const json *top = read.content->is_object() ? member(*read.content, "patcher") : nullptr;
    if (!top)
      throw Unmade{label + ": " + file.string() +
                   ": expected a JSON object with a \"patcher\" object"};
    Level level{file.string(), "/patcher", 1, file.parent_path(), &arguments, false};
    const std::size_t objects = patch_.objects_.size();
    const std::size_t loadbangs = loadbangs_.size();
    const Patch::Tally tally = patch_.tally_;
    open_files_.push_back(key);
    try {
      build(*top, level, end.inlets, end.outlets);
    } catch (const Fault &fault) {
      open_files_.pop_back();
      // Only what this file made goes: its lines inside are gone with its
      // objects, and no line outside reaches them yet.
      while (patch_.objects_.size() > objects) {
        patch_.host_.free(patch_.objects_.back());
        patch_.objects_.pop_back();
      }
      loadbangs_.resize(loadbangs);
      patch_.tally_ = tally;
      end.inlets.clear();
      end.outlets.clear();
      throw Unmade{label + ": " + file.string() + ": " + fault.message};
    }
    open_files_.pop_back();
  }

  /// The box's JSON members that name an attribute of its class (or the
  /// members of its "saved_attribute_attributes"/"valueof", where the host
  /// keeps a parameter's), set as the message of that name would
  /// ("minimum": 5 as "minimum 5", "items": ["a", ",", "b"] as "items a ,
  /// b"); members of another form (a JSON object) are left alone.
  void set_saved_attributes(t_object *x, const std::string &class_name, const json &box) {
    const auto info = patch_.host_.describe(class_name);
    if (!info)
      return;
    const json *saved_by_host = member(box, "saved_attribute_attributes");
    const json *parameters = saved_by_host ? member(*saved_by_host, "valueof") : nullptr;
    for (const auto &attribute : info->attributes) {
      const json *saved = member(box, attribute.name.c_str());
      if (!saved && parameters)
        saved = member(*parameters, attribute.name.c_str());
      std::vector<t_atom> atoms;
      if (saved && saved_atoms(*saved, atoms))
        object_attr_setvalueof(x, gensym(attribute.name.c_str()), static_cast<long>(atoms.size()),
                               atoms.data());
    }
  }

  static bool saved_atoms(const json &value, std::vector<t_atom> &atoms) {
    t_atom atom;
    if (value.is_array()) {
      for (const json &each : value)
        if (each.is_array() || !saved_atoms(each, atoms))
          return false;
      return true;
    }
    if (value.is_string())
      atom_setsym(&atom, gensym(value.get_ref<const std::string &>().c_str()));
    else if (value.is_number_integer() || value.is_boolean())
      atom_setlong(&atom, value.is_boolean() ? value.get<bool>() : value.get<t_atom_long>());
    else if (value.is_number_float())
      atom_setfloat(&atom, value.get<double>());
    else
      return false;
    atoms.push_back(atom);
    return true;
  }

  /// One end of a line as read: the port, or why it cannot be had.
  struct End {
    Port port;
    bool left_out = false; ///< the box was left out
    std::string no_port;   ///< the box has no such port: why
    double left = 0;       ///< the box's position
  };

  /// Reads a line's end. Throws Fault when the file is malformed.
  static End endpoint(const json &pair, const std::string &path, const LevelBoxes &boxes,
                      bool source) {
    if (!pair.is_array() || pair.size() < 2 || !pair[0].is_string() || !pair[1].is_number_integer())
      throw Fault{path + ": expected [\"BOX-ID\", PORT]"};
    const std::string id = pair[0].get<std::string>();
    End read;
    auto it = boxes.made.find(id);
    if (it == boxes.made.end()) {
      if (!boxes.left_out.count(id))
        throw Fault{path + ": no box " + quote(id) + " in this patcher"};
      read.left_out = true;
      return read;
    }
    const BoxEnd &end = it->second;
    read.left = end.left;
    const auto &places = source ? end.outlets : end.inlets;
    // Counted as the file writes it: an unsigned number is never read as a
    // negative one, and the fault names the number found.
    const std::uint64_t limit = end.subpatcher ? places.size() : 0x10000;
    const json &number = pair[1];
    if (!number.is_number_unsigned() || number.get<std::uint64_t>() >= limit) {
      read.no_port = path + ": box " + quote(id) + " has no " + (source ? "outlet " : "inlet ") +
                     number.dump();
      return read;
    }
    const auto port = number.get<std::uint64_t>();
    read.port = end.subpatcher ? Port{places[static_cast<std::size_t>(port)], 0}
                               : Port{end.x, static_cast<int>(port)};
    return read;
  }

  /// The ends of a line; nullopt for a line to or from a box left out.
  /// Throws Fault when the file is malformed, Unmade when a box has no
  /// such port.
  static std::optional<LineEnds> read_line(const json &entry, const std::string &path,
                                           const LevelBoxes &boxes, std::size_t order) {
    const json *line = entry.is_object() ? member(entry, "patchline") : nullptr;
    if (!line || !line->is_object())
      throw Fault{path + ": expected an object with a \"patchline\" object"};
    const json *source = member(*line, "source");
    const json *destination = member(*line, "destination");
    if (!source || !destination)
      throw Fault{path + "/patchline: needs \"source\" and \"destination\""};
    const End from = endpoint(*source, path + "/patchline/source", boxes, true);
    const End to = endpoint(*destination, path + "/patchline/destination", boxes, false);
    if (from.left_out || to.left_out)
      return std::nullopt;
    if (!from.no_port.empty())
      throw Unmade{from.no_port};
    if (!to.no_port.empty())
      throw Unmade{to.no_port};
    return LineEnds{from.port, to.port, to.left, order};
  }

  static constexpr int max_depth = 64;
  static constexpr std::size_t max_objects = 100000;
  Patch &patch_;
  const PatchOptions &options_;
  int depth_ = 0;
  std::vector<fs::path> open_files_;       ///< the patcher files being built, outermost first
  std::map<fs::path, Document> documents_; ///< every patcher file read, by its canonical path
  std::vector<t_object *> loadbangs_;      ///< innermost patchers first
  std::set<std::string> reported_;         ///< file and message of what was left out
};

std::unique_ptr<Patch> Patch::load(kit::Host &host, const std::filesystem::path &file,
                                   PatchError &failure, const PatchOptions &options) {
  auto document = read_patch_file(file, failure);
  if (!document)
    return nullptr;
  return build(host, *document, file, failure, options);
}

std::unique_ptr<Patch> Patch::load_text(kit::Host &host, const std::string &text,
                                        const std::string &name, PatchError &failure,
                                        const PatchOptions &options) {
  auto document = parse_patch_text(text, name, failure);
  if (!document)
    return nullptr;
  return build(host, *document, {}, failure, options, name);
}

std::unique_ptr<Patch> Patch::build(kit::Host &host, const nlohmann::json &document,
                                    const std::filesystem::path &file, PatchError &failure,
                                    const PatchOptions &options, const std::string &text_name) {
  const std::string name = file.empty() ? text_name : file.string();
  std::unique_ptr<Patch> patch(new Patch(host));
  try {
    const json *top = document.is_object() ? member(document, "patcher") : nullptr;
    if (!top)
      throw Fault{"expected a JSON object with a \"patcher\" object"};
    PatchBuilder builder(*patch, options, file);
    std::error_code error;
    const fs::path folder = file.empty() ? fs::path() : fs::absolute(file, error).parent_path();
    std::vector<t_object *> inlets, outlets;
    builder.build(*top, {name, "/patcher", 1, folder, nullptr, true}, inlets, outlets);
    builder.fire_loadbangs();
  } catch (const Fault &fault) {
    failure = {name, fault.message};
    return nullptr;
  } catch (const Limit &limit) {
    failure = {name, limit.message};
    return nullptr;
  } catch (const json::exception &error) {
    failure = {name, std::string("unexpected JSON: ") + error.what()};
    return nullptr;
  }
  return patch;
}

Patch::~Patch() {
  for (auto x = objects_.rbegin(); x != objects_.rend(); ++x)
    host_.free(*x);
}

} // namespace kithost
