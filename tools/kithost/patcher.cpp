#include "patcher.hpp"

#include "box_text.hpp"
#include "builtins/builtins.hpp"

#include "ext_obex.h"
#include "kit/text.hpp"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <map>
#include <sstream>

namespace kithost {

namespace {

using json = nlohmann::json;

/// A structural fault, thrown inside the builder and turned into a
/// PatchError at its edge.
struct Fault {
  std::string message;
};

std::string quote(std::string_view text) {
  return "'" + std::string(text) + "'";
}

/// "LINE:COLUMN" (from 1) of a byte offset, for parse errors.
std::string line_and_column(const std::string &text, std::size_t byte) {
  std::size_t line = 1;
  std::size_t column = 1;
  for (std::size_t i = 0; i < byte && i < text.size(); ++i) {
    if (text[i] == '\n') {
      ++line;
      column = 1;
    } else {
      ++column;
    }
  }
  return std::to_string(line) + ":" + std::to_string(column);
}

/// The reader json::parse uses, which also keeps where the input went wrong:
/// the parser tells every fault's offset to its reader, but the exceptions
/// of some (a number too large for any type) do not carry it.
class PlacedDomReader : public nlohmann::detail::json_sax_dom_parser<json> {
public:
  using json_sax_dom_parser::json_sax_dom_parser;

  template <class Exception>
  bool parse_error(std::size_t offset, const std::string &token, const Exception &error) {
    fault = offset;
    return json_sax_dom_parser::parse_error(offset, token, error);
  }

  std::size_t fault = 0; ///< byte offset just past the fault
};

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

} // namespace

class PatchBuilder {
public:
  explicit PatchBuilder(Patch &patch) : patch_(patch) {}

  /// Builds one patcher level; returns its inlet and outlet boxes (left to
  /// right) for the level above.
  void build(const json &patcher, const std::string &path, std::vector<t_object *> &inlets,
             std::vector<t_object *> &outlets) {
    // Each level is a call deeper: the nesting is bounded, so a hostile file
    // cannot exhaust the stack.
    if (++depth_ > max_depth)
      throw Fault{path + ": subpatchers nested more than " + std::to_string(max_depth) + " deep"};
    struct Leave {
      int &depth;
      ~Leave() { --depth; }
    } leave{depth_};
    if (!patcher.is_object())
      throw Fault{path + ": a patcher must be a JSON object"};
    std::map<std::string, BoxEnd, std::less<>> boxes;
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
        make_box(*box, box_path + "/box", boxes, inlet_boxes, outlet_boxes, loadbangs);
      }
    }
    if (const json *list = member(patcher, "lines")) {
      if (!list->is_array())
        throw Fault{path + "/lines: must be an array"};
      std::vector<LineEnds> lines;
      for (std::size_t i = 0; i < list->size(); ++i)
        lines.push_back(read_line((*list)[i], path + "/lines/" + std::to_string(i), boxes, i));
      // One outlet reaching several inlets sends to the rightmost first; the
      // file's order breaks ties.
      std::stable_sort(lines.begin(), lines.end(),
                       [](const LineEnds &a, const LineEnds &b) { return a.to_left > b.to_left; });
      for (const LineEnds &line : lines) {
        std::string error;
        if (!patch_.host_.connect(line.from.x, line.from.index, line.to.x, line.to.index, error))
          throw Fault{path + "/lines/" + std::to_string(line.order) + ": " + error};
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
  t_object *make(const std::string &where, const std::string &class_name,
                 const std::vector<t_atom> &args) {
    std::string error;
    t_object *x = patch_.host_.make(class_name, args, error);
    if (!x)
      throw Fault{where + ": " + error};
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

  void make_box(const json &box, const std::string &path,
                std::map<std::string, BoxEnd, std::less<>> &boxes,
                std::vector<std::pair<double, t_object *>> &inlet_boxes,
                std::vector<std::pair<double, t_object *>> &outlet_boxes,
                std::vector<t_object *> &loadbangs) {
    const json *id = member(box, "id");
    const json *kind = member(box, "maxclass");
    if (!id || !id->is_string())
      throw Fault{path + ": a box needs a string \"id\""};
    const std::string box_id = id->get<std::string>();
    const std::string name = "box " + quote(box_id);
    if (!kind || !kind->is_string())
      throw Fault{name + " (" + path + "): needs a string \"maxclass\""};
    const std::string maxclass = kind->get<std::string>();
    if (boxes.count(box_id))
      throw Fault{name + " (" + path + "): the id is used twice in one patcher"};
    const std::string text = text_of(box, path);
    BoxEnd end;
    end.left = left_of(box);

    if (maxclass == "message") {
      std::string error;
      auto content = parse_box_text(text, error);
      if (!content)
        throw Fault{name + " (message " + quote(text) + "): " + error};
      end.x = make(name, "message", {});
      builtins::set_message_content(end.x, std::move(*content));
    } else if (maxclass == "newobj") {
      std::string error;
      std::vector<bool> quoted;
      auto words = kit::split_words(text, error, &quoted);
      if (!words)
        throw Fault{name + " (" + quote(text) + "): " + error};
      if (words->empty())
        throw Fault{name + ": an empty object box"};
      if (const json *inner = member(box, "patcher")) {
        // A subpatcher: its boxes join this patch; the lines reaching this
        // box go to its inlet and outlet boxes.
        end.subpatcher = true;
        build(*inner, path + "/patcher", end.inlets, end.outlets);
      } else if ((*words)[0] == "p" || (*words)[0] == "patcher") {
        throw Fault{name + " (" + quote(text) + "): a subpatcher box without its \"patcher\""};
      } else {
        std::vector<t_atom> args;
        for (std::size_t i = 1; i < words->size(); ++i)
          args.push_back(kit::word_to_atom((*words)[i], i < quoted.size() && quoted[i]));
        end.x = make(name + " (" + quote(text) + ")", (*words)[0], args);
        if ((*words)[0] == "loadbang" || (*words)[0] == "loadmess")
          loadbangs.push_back(end.x);
      }
    } else {
      // A box of the host's own kind (a user interface box, a comment): the
      // class of that name, with the attributes the file saved for it.
      std::string error;
      if (!patch_.host_.load_class(maxclass, error))
        throw Fault{name + ": the box kind " + quote(maxclass) + " cannot run here"};
      end.x = make(name, maxclass, {});
      set_saved_attributes(end.x, maxclass, box);
      if (maxclass == "inlet")
        inlet_boxes.emplace_back(end.left, end.x);
      if (maxclass == "outlet")
        outlet_boxes.emplace_back(end.left, end.x);
    }
    if (const json *varname = member(box, "varname"); varname && end.x) {
      if (!varname->is_string())
        throw Fault{name + " (" + path + "/varname): must be a string"};
      if (!varname->get_ref<const std::string &>().empty())
        patch_.named_.push_back({varname->get<std::string>(), class_of(maxclass, text), end.x});
    }
    boxes.emplace(box_id, std::move(end));
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

  static Port endpoint(const json &pair, const std::string &path,
                       const std::map<std::string, BoxEnd, std::less<>> &boxes, bool source,
                       double &left) {
    if (!pair.is_array() || pair.size() < 2 || !pair[0].is_string() || !pair[1].is_number_integer())
      throw Fault{path + ": expected [\"BOX-ID\", PORT]"};
    const std::string id = pair[0].get<std::string>();
    auto it = boxes.find(id);
    if (it == boxes.end())
      throw Fault{path + ": no box " + quote(id) + " in this patcher"};
    const BoxEnd &end = it->second;
    left = end.left;
    const auto &places = source ? end.outlets : end.inlets;
    // Counted as the file writes it: an unsigned number is never read as a
    // negative one, and the fault names the number found.
    const std::uint64_t limit = end.subpatcher ? places.size() : 0x10000;
    const json &number = pair[1];
    if (!number.is_number_unsigned() || number.get<std::uint64_t>() >= limit)
      throw Fault{path + ": box " + quote(id) + " has no " + (source ? "outlet " : "inlet ") +
                  number.dump()};
    const auto port = number.get<std::uint64_t>();
    if (end.subpatcher)
      return {places[static_cast<std::size_t>(port)], 0};
    return {end.x, static_cast<int>(port)};
  }

  static LineEnds read_line(const json &entry, const std::string &path,
                            const std::map<std::string, BoxEnd, std::less<>> &boxes,
                            std::size_t order) {
    const json *line = entry.is_object() ? member(entry, "patchline") : nullptr;
    if (!line || !line->is_object())
      throw Fault{path + ": expected an object with a \"patchline\" object"};
    const json *source = member(*line, "source");
    const json *destination = member(*line, "destination");
    if (!source || !destination)
      throw Fault{path + "/patchline: needs \"source\" and \"destination\""};
    double ignored = 0;
    LineEnds ends;
    ends.from = endpoint(*source, path + "/patchline/source", boxes, true, ignored);
    ends.to = endpoint(*destination, path + "/patchline/destination", boxes, false, ends.to_left);
    ends.order = order;
    return ends;
  }

  static constexpr int max_depth = 64;
  Patch &patch_;
  int depth_ = 0;
  std::vector<t_object *> loadbangs_; ///< innermost patchers first
};

std::unique_ptr<Patch> Patch::load(kit::Host &host, const std::filesystem::path &file,
                                   PatchError &failure) {
  std::ifstream in(file, std::ios::binary);
  if (!in) {
    std::error_code error;
    failure = {file.string(), std::filesystem::exists(file, error) ? "cannot open the patcher"
                                                                   : "no such patcher"};
    return nullptr;
  }
  std::ostringstream text;
  text << in.rdbuf();
  if (in.bad()) {
    failure = {file.string(), "read error"};
    return nullptr;
  }
  return load_text(host, text.str(), file.string(), failure);
}

std::unique_ptr<Patch> Patch::load_text(kit::Host &host, const std::string &text,
                                        const std::string &name, PatchError &failure) {
  json document;
  PlacedDomReader reader(document);
  try {
    json::sax_parse(text, &reader);
  } catch (const json::exception &error) {
    // The offset points just past the fault (for a number too large for any
    // type, past the number); the column is of the fault's last byte.
    failure = {name + ":" + line_and_column(text, reader.fault > 0 ? reader.fault - 1 : 0),
               std::string("malformed JSON: ") + error.what()};
    return nullptr;
  }
  std::unique_ptr<Patch> patch(new Patch(host));
  try {
    const json *top = document.is_object() ? member(document, "patcher") : nullptr;
    if (!top)
      throw Fault{"expected a JSON object with a \"patcher\" object"};
    PatchBuilder builder(*patch);
    std::vector<t_object *> inlets, outlets;
    builder.build(*top, "/patcher", inlets, outlets);
    builder.fire_loadbangs();
  } catch (const Fault &fault) {
    failure = {name, fault.message};
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

bool is_patcher_file(const std::filesystem::path &file) {
  const auto extension = file.extension();
  return extension == ".maxpat" || extension == ".maxhelp";
}

} // namespace kithost
