#include "runner.hpp"

#include "names.hpp"

#include "kit/text.hpp"

#include <algorithm>
#include <charconv>
#include <limits>

namespace kithost {

namespace {

using Outcome = Runner::Outcome;
using Status = Runner::Status;

Outcome failure(std::string why) {
  return {Status::failed, std::move(why)};
}

std::string quote(std::string_view word) {
  return "'" + std::string(word) + "'";
}

/// An outlet or inlet number: a whole unquoted decimal, 0 or more.
std::optional<int> parse_index(const Word &word) {
  if (word.quoted || word.text.empty())
    return std::nullopt;
  int value = 0;
  const char *end = word.text.data() + word.text.size();
  auto [ptr, ec] = std::from_chars(word.text.data(), end, value);
  if (ec != std::errc() || ptr != end || value < 0)
    return std::nullopt;
  return value;
}

std::vector<t_atom> to_atoms(std::span<const Word> words) {
  std::vector<t_atom> atoms;
  atoms.reserve(words.size());
  for (const Word &word : words)
    atoms.push_back(kit::word_to_atom(word.text, word.quoted));
  return atoms;
}

/// The message a message box holding these words sends: a lone number is an
/// int or float message, a number with more words a list, "bang" alone a
/// bang, else the first word is the selector.
kit::ParsedMessage to_message(std::span<const Word> words) {
  std::vector<t_atom> atoms = to_atoms(words);
  kit::ParsedMessage message;
  const t_atom &first = atoms.front();
  if (first.a_type == A_LONG || first.a_type == A_FLOAT) {
    if (atoms.size() == 1)
      message.selector = gensym(first.a_type == A_LONG ? "int" : "float");
    else
      message.selector = gensym("list");
    message.atoms = std::move(atoms);
  } else {
    message.selector = first.a_w.w_sym;
    message.atoms.assign(atoms.begin() + 1, atoms.end());
  }
  return message;
}

std::string count_words(std::string_view command, std::string_view usage) {
  return std::string(command) + ": expected " + std::string(usage);
}

} // namespace

Runner::~Runner() {
  for (auto name = creation_order_.rbegin(); name != creation_order_.rend(); ++name) {
    auto it = objects_.find(*name);
    if (it != objects_.end() && it->second.owned)
      host_.free(it->second.x);
  }
}

bool Runner::adopt(const std::string &name, t_object *x, const std::string &class_name) {
  if (find(name))
    return false;
  Object object{x, class_name, std::vector<bool>(std::max(host_.outlet_count(x), 0), false), false};
  objects_.emplace(name, std::move(object));
  creation_order_.push_back(name);
  return true;
}

Outcome Runner::run_line(std::string_view text) {
  std::string error;
  auto line = read_script_line(text, error);
  if (!line)
    return failure(error);
  return run(*line);
}

Outcome Runner::run(const ScriptLine &line) {
  if (line.empty())
    return {};
  const std::string &command = line.words.front().text;
  const Words args(line.words.begin() + 1, line.words.end());
  if (!line.words.front().quoted) {
    if (command == "obj")
      return make_object(args);
    if (command == "connect")
      return connect(args);
    if (command == "print")
      return print(args);
    if (command == "send")
      return send(args);
    if (command == "packet")
      return packet(args);
    if (command == "wait")
      return wait(args);
    if (command == "free")
      return free_object(args);
    if (command == "help")
      return help(args);
    if (command == "quit") {
      if (!args.empty())
        return failure(count_words("quit", "no arguments"));
      return {Status::quit, {}};
    }
  }
  return failure("unknown command " + quote(command));
}

namespace {

struct CommandHelp {
  const char *name;
  const char *usage;
};

constexpr CommandHelp command_help[] = {
    {"connect", "connect SRC OUTLET DST INLET   connect an outlet to an inlet (0 = leftmost)"},
    {"free", "free NAME                       free the object"},
    {"help", "help                            list the commands"},
    {"obj", "obj NAME CLASS [ARG ...]        make an object named NAME"},
    {"packet", "packet NAME[:INLET] HEX ...      send FullPacket with these bytes"},
    {"print", "print NAME [OUTLET]             print what comes out of the outlets"},
    {"quit", "quit                            end the run"},
    {"send", "send NAME[:INLET] MESSAGE ...   send a message, as a message box would"},
    {"wait", "wait MS                         let the host run for MS milliseconds"},
};

} // namespace

std::vector<std::string> Runner::command_names() {
  std::vector<std::string> names;
  for (const CommandHelp &command : command_help)
    names.emplace_back(command.name);
  return names;
}

std::vector<std::string> Runner::command_usages() {
  std::vector<std::string> usages;
  for (const CommandHelp &command : command_help)
    usages.emplace_back(command.usage);
  return usages;
}

Outcome Runner::help(const Words &args) {
  if (!args.empty())
    return failure(count_words("help", "no arguments"));
  for (const std::string &usage : command_usages())
    output_.line(usage);
  return {};
}

std::vector<std::string> Runner::object_names() const {
  std::vector<std::string> names;
  for (const auto &[name, object] : objects_)
    names.push_back(name);
  return names;
}

std::string Runner::class_of(std::string_view name) const {
  auto it = objects_.find(name);
  if (it == objects_.end()) {
    const auto colon = name.rfind(':');
    if (colon == std::string_view::npos)
      return {};
    it = objects_.find(name.substr(0, colon));
    if (it == objects_.end())
      return {};
  }
  return it->second.class_name;
}

Runner::Object *Runner::find(std::string_view name) {
  auto it = objects_.find(name);
  return it == objects_.end() ? nullptr : &it->second;
}

Runner::Object *Runner::find_target(const Word &word, int &inlet, std::string &error) {
  inlet = 0;
  // A name may itself hold a colon: the whole word wins over NAME:INLET.
  if (Object *object = find(word.text))
    return object;
  const auto colon = word.text.rfind(':');
  if (colon != std::string::npos) {
    const std::string name = word.text.substr(0, colon);
    auto index = parse_index({word.text.substr(colon + 1), false});
    if (!index) {
      error = "bad inlet number in " + quote(word.text);
      return nullptr;
    }
    if (Object *object = find(name)) {
      inlet = *index;
      return object;
    }
    error = "unknown object " + quote(name);
    return nullptr;
  }
  error = "unknown object " + quote(word.text);
  return nullptr;
}

Outcome Runner::make_object(const Words &args) {
  if (args.size() < 2)
    return failure(count_words("obj", "NAME CLASS [ARG ...]"));
  const std::string &name = args[0].text;
  if (find(name))
    return failure("obj: the name " + quote(name) + " is already in use");
  const std::string &class_name = args[1].text;
  const std::vector<t_atom> atoms = to_atoms(std::span(args).subspan(2));
  std::string error;
  t_object *x = host_.make(class_name, atoms, error);
  if (!x)
    return failure("obj " + name + ": " + error);
  Object object{x, class_name, std::vector<bool>(std::max(host_.outlet_count(x), 0), false)};
  objects_.emplace(name, std::move(object));
  creation_order_.push_back(name);
  return {};
}

Outcome Runner::connect(const Words &args) {
  if (args.size() != 4)
    return failure(count_words("connect", "SRC OUTLET DST INLET"));
  Object *src = find(args[0].text);
  if (!src)
    return failure("unknown object " + quote(args[0].text));
  Object *dst = find(args[2].text);
  if (!dst)
    return failure("unknown object " + quote(args[2].text));
  auto outlet = parse_index(args[1]);
  if (!outlet)
    return failure("connect: bad outlet number " + quote(args[1].text));
  auto inlet = parse_index(args[3]);
  if (!inlet)
    return failure("connect: bad inlet number " + quote(args[3].text));
  std::string error;
  if (!host_.connect(src->x, *outlet, dst->x, *inlet, error))
    return failure("connect: " + error);
  return {};
}

void Runner::watch_outlet(const std::string &name, Object &object, int outlet) {
  if (object.printed[outlet])
    return;
  object.printed[outlet] = true;
  host_.watch(object.x, outlet,
              [this, name, outlet](t_symbol *selector, std::span<const t_atom> atoms) {
                output_.line(outlet_line(name, outlet, selector, atoms));
              });
}

Outcome Runner::print(const Words &args) {
  if (args.empty() || args.size() > 2)
    return failure(count_words("print", "NAME [OUTLET]"));
  Object *object = find(args[0].text);
  if (!object)
    return failure("unknown object " + quote(args[0].text));
  const int outlets = static_cast<int>(object->printed.size());
  if (args.size() == 1) {
    for (int outlet = 0; outlet < outlets; ++outlet)
      watch_outlet(args[0].text, *object, outlet);
    return {};
  }
  auto outlet = parse_index(args[1]);
  if (!outlet)
    return failure("print: bad outlet number " + quote(args[1].text));
  if (*outlet >= outlets)
    return failure("print: " + args[0].text + " has no outlet " + std::to_string(*outlet));
  watch_outlet(args[0].text, *object, *outlet);
  return {};
}

bool Runner::message_of(std::span<const Word> words, kit::ParsedMessage &message,
                        std::string &error) {
  message = to_message(words);
  if (message.selector == gensym("FullPacket")) {
    error = "send: FullPacket cannot come from text (use packet)";
    return false;
  }
  // Messages reach methods with a 16-bit atom count.
  if (message.atoms.size() > static_cast<std::size_t>(std::numeric_limits<short>::max())) {
    error = "send: too many atoms in one message (at most 32767)";
    return false;
  }
  return true;
}

Outcome Runner::send(const Words &args) {
  if (args.size() < 2)
    return failure(count_words("send", "NAME[:INLET] MESSAGE ..."));
  int inlet = 0;
  std::string error;
  Object *object = find_target(args[0], inlet, error);
  if (!object)
    return failure(error);
  kit::ParsedMessage message;
  if (!message_of(std::span(args).subspan(1), message, error))
    return failure(error);
  if (!host_.send(object->x, inlet, message.selector, message.atoms))
    return failure("send: " + args[0].text + " has no inlet " + std::to_string(inlet));
  return {};
}

Outcome Runner::send_to_name(std::string_view text) {
  std::string error;
  auto line = read_script_line(text, error);
  if (!line)
    return failure(error);
  if (line->words.size() < 2)
    return failure(count_words("--send", "'NAME MESSAGE ...'"));
  const Word &name = line->words.front();
  kit::ParsedMessage message;
  if (!message_of(std::span(line->words).subspan(1), message, error))
    return failure(error);
  int inlet = 0;
  std::string unknown;
  Object *object = find_target(name, inlet, unknown);
  if (object && !host_.send(object->x, inlet, message.selector, message.atoms))
    return failure("send: " + name.text + " has no inlet " + std::to_string(inlet));
  const std::size_t reached =
      names::send(gensym(name.text.c_str()), message.selector, message.atoms);
  if (!object && reached == 0)
    return failure(unknown + ", and nothing receives " + quote(name.text));
  return {};
}

Outcome Runner::packet(const Words &args) {
  if (args.empty())
    return failure(count_words("packet", "NAME[:INLET] HEX ..."));
  int inlet = 0;
  std::string error;
  Object *object = find_target(args[0], inlet, error);
  if (!object)
    return failure(error);
  // Word by word, so that a fault is placed by its column in the line.
  std::vector<unsigned char> bytes;
  for (std::size_t i = 1; i < args.size(); ++i) {
    auto word_bytes = kit::parse_hex(args[i].text, error, std::max<std::size_t>(args[i].column, 1));
    if (!word_bytes)
      return failure("packet: " + error);
    bytes.insert(bytes.end(), word_bytes->begin(), word_bytes->end());
  }
  // The bytes live in this frame for the whole synchronous call, as the
  // FullPacket convention asks of a sender; an empty packet still gets a
  // valid address.
  static unsigned char no_bytes = 0;
  unsigned char *data = bytes.empty() ? &no_bytes : bytes.data();
  t_atom atoms[2];
  atom_setlong(&atoms[0], static_cast<t_atom_long>(bytes.size()));
  atom_setlong(&atoms[1], reinterpret_cast<t_atom_long>(data));
  if (!host_.send(object->x, inlet, gensym("FullPacket"), atoms))
    return failure("packet: " + args[0].text + " has no inlet " + std::to_string(inlet));
  return {};
}

Outcome Runner::wait(const Words &args) {
  if (args.size() != 1)
    return failure(count_words("wait", "MS"));
  const t_atom ms = kit::word_to_atom(args[0].text, args[0].quoted);
  double value = -1;
  if (ms.a_type == A_LONG)
    value = static_cast<double>(ms.a_w.w_long);
  else if (ms.a_type == A_FLOAT)
    value = ms.a_w.w_float;
  // The bound keeps the deadline well inside the clock's range (about 115
  // days), far from where the time arithmetic would overflow.
  constexpr double longest_wait = 1e10;
  if (!(value >= 0 && value <= longest_wait))
    return failure("wait: bad time " + quote(args[0].text) + " (milliseconds, 0 to 10000000000)");
  output_.flush();
  host_.run_for(value);
  output_.flush();
  return {};
}

Outcome Runner::free_object(const Words &args) {
  if (args.size() != 1)
    return failure(count_words("free", "NAME"));
  auto it = objects_.find(args[0].text);
  if (it == objects_.end())
    return failure("unknown object " + quote(args[0].text));
  if (!it->second.owned)
    return failure("free: " + quote(args[0].text) +
                   " is a patcher's box; it lives as long as the patcher");
  host_.free(it->second.x);
  objects_.erase(it);
  std::erase(creation_order_, args[0].text);
  return {};
}

} // namespace kithost
