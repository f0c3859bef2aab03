// kit::Host: the embedding interface, over the runtime's parts.
#include "kit/host.hpp"
#include "arguments.hpp"
#include "console.hpp"
#include "dispatch.hpp"
#include "files.hpp"
#include "function_cast.hpp"
#include "modules.hpp"
#include "nesting.hpp"
#include "objects.hpp"
#include "scheduler.hpp"
#include "thread_rules.hpp"

#include <algorithm>
#include <cstring>
#include <limits>

namespace kit {

using namespace rt;

Host &Host::instance() {
  // Never destroyed: objects, modules and their threads live to the end.
  static Host *host = new Host;
  return *host;
}

Host::Host() {
  Scheduler::get().set_main_thread();
}

Host::~Host() = default;

void Host::add_module_dir(const std::filesystem::path &dir) {
  Modules::get().add_dir(dir);
}

void Host::add_search_path(const std::filesystem::path &dir) {
  rt::add_search_path(dir);
}

void Host::clear_search_path() {
  rt::clear_search_path();
}

void Host::set_dialog_answer(std::optional<std::filesystem::path> file) {
  rt::set_dialog_answer(std::move(file));
}

void Host::set_console_sink(ConsoleSink sink) {
  rt::set_console_sink(std::move(sink));
}

void Host::define_module(std::string_view class_name, void (*entry)()) {
  Modules::get().define(class_name, entry);
}

t_class *Host::load_class(std::string_view name, std::string &error) {
  return Modules::get().load(name, error);
}

std::vector<std::string> Host::available_classes() const {
  return Modules::get().available();
}

std::optional<ClassInfo> Host::describe(std::string_view name) const {
  const maxclass *c = ClassRegistry::get().find(gensym(std::string(name).c_str()));
  if (!c)
    return std::nullopt;
  auto codes = [](const Signature &sig) {
    std::vector<int> types;
    if (sig.kind == MethodKind::gimme)
      types.push_back(A_GIMME);
    else if (sig.kind == MethodKind::cant)
      types.push_back(A_CANT);
    else
      types.assign(sig.types.begin(), sig.types.begin() + sig.count);
    return types;
  };
  ClassInfo info;
  info.name = c->name->s_name;
  info.creation_arg_types = codes(c->creation);
  for (const Method &m : c->methods)
    info.methods.push_back({m.selector->s_name, codes(m.signature)});
  for (const Attribute *a : c->attributes)
    info.attributes.push_back({a->name->s_name, a->type->s_name});
  return info;
}

std::string Host::assist(t_object *x, long kind, long index) const {
  ObjectState *state = object_state(x);
  if (!state || !state->cls->assist_method)
    return {};
  // Objects copy their hint into a buffer of the host's size.
  char text[512] = {};
  function_cast<void (*)(void *, void *, long, long, char *)>(state->cls->assist_method->fn)(
      x, nullptr, kind, index, text);
  text[sizeof text - 1] = '\0';
  return text;
}

t_object *Host::make(std::string_view class_name, std::span<const t_atom> args,
                     std::string &error) {
  maxclass *c = load_class(class_name, error);
  if (!c)
    return nullptr;
  const char *name = c->name->s_name;
  if (args.size() > static_cast<size_t>(std::numeric_limits<short>::max())) {
    error = std::string(name) + ": too many creation arguments";
    return nullptr;
  }
  // The creation routine may keep or change its atoms: it gets a copy.
  std::vector<t_atom> atoms(args.begin(), args.end());
  void *made = nullptr;
  {
    CreationScope scope;
    if (c->creation.kind == MethodKind::gimme) {
      made = function_cast<void *(*)(t_symbol *, long, t_atom *)>(c->new_fn)(
          c->name, static_cast<long>(atoms.size()), atoms.empty() ? nullptr : atoms.data());
    } else {
      Word words[max_typed_args];
      const Signature &sig = c->creation;
      const Fit fit = convert_arguments(sig, atoms, words);
      if (fit == Fit::bad) {
        error = std::string(name) + ": bad creation arguments";
        return nullptr;
      }
      // As with messages: extra atoms are reported and dropped.
      if (fit == Fit::extra)
        ::error("%s: extra creation arguments ignored", name);
      made = sig.creation_caller(c->new_fn, words);
    }
    if (made && object_state(made))
      scope.keep(static_cast<t_object *>(made));
  }
  if (!made) {
    error = std::string(name) + ": could not create object";
    return nullptr;
  }
  if (!object_state(made)) {
    error = std::string(name) + ": creation routine returned something that is not an object";
    return nullptr;
  }
  return static_cast<t_object *>(made);
}

void Host::free(t_object *x) {
  free_object(x);
}

int Host::inlet_count(t_object *x) const {
  ObjectState *state = object_state(x);
  return state ? static_cast<int>(state->inlets.size()) : 0;
}

int Host::outlet_count(t_object *x) const {
  ObjectState *state = object_state(x);
  return state ? static_cast<int>(state->outlets.size()) : 0;
}

bool Host::connect(t_object *src, int outlet, t_object *dst, int inlet, std::string &error) {
  ObjectState *from = object_state(src);
  ObjectState *to = object_state(dst);
  if (!from || !to) {
    error = "no such object";
    return false;
  }
  if (outlet < 0 || static_cast<size_t>(outlet) >= from->outlets.size()) {
    error = std::string(from->cls->name->s_name) + " has no outlet " + std::to_string(outlet);
    return false;
  }
  if (inlet < 0 || static_cast<size_t>(inlet) >= to->inlets.size()) {
    error = std::string(to->cls->name->s_name) + " has no inlet " + std::to_string(inlet);
    return false;
  }
  Outlet &out = *from->outlets[static_cast<size_t>(outlet)];
  Inlet &in = *to->inlets[static_cast<size_t>(inlet)];
  // Connecting twice is connecting once: a message never arrives twice by
  // the same way.
  if (std::find(out.connections.begin(), out.connections.end(), &in) == out.connections.end())
    connect_outlet(out, in);
  return true;
}

void Host::watch(t_object *x, int outlet, OutletSink sink) {
  ObjectState *state = object_state(x);
  if (!state || outlet < 0 || static_cast<size_t>(outlet) >= state->outlets.size() || !sink)
    return;
  Outlet &out = *state->outlets[static_cast<size_t>(outlet)];
  out.sinks.push_back(std::move(sink));
  update_shortcut(out);
}

bool Host::send(t_object *x, int inlet, t_symbol *selector, std::span<const t_atom> atoms) {
  ObjectState *state = object_state(x);
  check_main_thread(MainThreadCall::send, x,
                    [&] { return state ? state->cls->name->s_name : nullptr; });
  if (!state || inlet < 0 || static_cast<size_t>(inlet) >= state->inlets.size())
    return false;
  if (!selector || atoms.size() > static_cast<size_t>(std::numeric_limits<short>::max())) {
    error("%s: message too long or without selector", state->cls->name->s_name);
    return true;
  }
  // Methods may write into their atoms: they get a copy, as from a message
  // box. The copy's memory is reused from send to send; a send from inside
  // a method (nested) gets its own.
  static std::vector<t_atom> reused;
  static bool reused_busy = false;
  std::vector<t_atom> nested;
  const bool outermost = !reused_busy;
  std::vector<t_atom> &copy = outermost ? reused : nested;
  reused_busy = true;
  copy.assign(atoms.begin(), atoms.end());
  const Delivery delivery;
  deliver(*state->inlets[static_cast<size_t>(inlet)], selector, static_cast<short>(copy.size()),
          copy.empty() ? nullptr : copy.data());
  if (outermost)
    reused_busy = false;
  return true;
}

void Host::set_clock(Clock clock) {
  Scheduler::get().set_mode(clock);
}

void Host::set_manual_clock(bool manual) {
  set_clock(manual ? Clock::manual : Clock::real);
}

void Host::advance(double ms) {
  Scheduler::get().advance(ms);
}

void Host::run_for(double ms) {
  Scheduler::get().run_for(ms);
}

bool Host::run_until_readable(int fd, std::chrono::milliseconds max_wait) {
  return Scheduler::get().run_until_readable(fd, max_wait);
}

void Host::interrupt() {
  Scheduler::get().interrupt();
}

double Host::now() const {
  return Scheduler::get().now();
}

Host::PendingWork Host::pending() const {
  Scheduler &scheduler = Scheduler::get();
  return {scheduler.armed_clocks(), scheduler.queued_calls()};
}

long Host::outlet_errors() const {
  return rt::outlet_errors_seen();
}

} // namespace kit
