// kittest::Patch: objects made from this build's modules through the real
// host, with every outlet and console line recorded as kithost prints them.
#include "patch.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <filesystem>
#include <mutex>

namespace kittest {

struct Patch::State {
  std::mutex mutex; // console lines may come from other threads
  Lines lines;
  std::vector<t_object *> objects; // in order of making
  std::deque<std::vector<unsigned char>> packets;

  void record(std::string line) {
    std::lock_guard lock(mutex);
    lines.push_back(std::move(line));
  }
};

Patch::Patch() : state_(std::make_unique<State>()) {
  kit::Host &h = kit::Host::instance();
  h.set_manual_clock(true);
  h.add_module_dir(KIT_MODULE_DIR);
  h.clear_search_path();
  h.set_dialog_answer(std::nullopt);
  State *state = state_.get();
  h.set_console_sink([state](kit::ConsoleLevel level, std::string_view text) {
    state->record((level == kit::ConsoleLevel::error ? "error: " : "post: ") + std::string(text));
  });
}

Patch::~Patch() {
  kit::Host &h = host();
  // Last made, first freed: as a patch closes.
  for (auto it = state_->objects.rbegin(); it != state_->objects.rend(); ++it)
    h.free(*it);
  h.set_console_sink({});
}

kit::Host &Patch::host() {
  return kit::Host::instance();
}

t_object *Patch::make(std::string_view name, std::string_view box) {
  std::string error;
  std::vector<bool> quoted;
  auto words = kit::split_words(box, error, &quoted);
  if (!words || words->empty()) {
    ADD_FAILURE() << "bad box \"" << box << "\": " << (words ? "empty" : error);
    return nullptr;
  }
  std::vector<t_atom> args;
  for (size_t i = 1; i < words->size(); ++i)
    args.push_back(kit::word_to_atom((*words)[i], quoted[i]));
  t_object *x = host().make(words->front(), args, error);
  if (!x) {
    ADD_FAILURE() << "cannot make \"" << box << "\": " << error;
    return nullptr;
  }
  state_->objects.push_back(x);
  State *state = state_.get();
  const int outlets = host().outlet_count(x);
  for (int i = 0; i < outlets; ++i) {
    const std::string prefix = std::string(name) + "." + std::to_string(i) + ": ";
    host().watch(x, i, [state, prefix](t_symbol *selector, std::span<const t_atom> atoms) {
      state->record(prefix + kit::format_message(selector, atoms));
    });
  }
  return x;
}

std::string Patch::make_error(std::string_view box) {
  std::string error;
  std::vector<bool> quoted;
  auto words = kit::split_words(box, error, &quoted);
  if (!words || words->empty())
    return words ? "empty box" : error;
  std::vector<t_atom> args;
  for (size_t i = 1; i < words->size(); ++i)
    args.push_back(kit::word_to_atom((*words)[i], quoted[i]));
  if (t_object *x = host().make(words->front(), args, error)) {
    ADD_FAILURE() << "\"" << box << "\" was made, but should have failed";
    host().free(x);
    return {};
  }
  return error;
}

void Patch::free(t_object *x) {
  auto &objects = state_->objects;
  auto found = std::find(objects.begin(), objects.end(), x);
  if (found == objects.end()) {
    ADD_FAILURE() << "free of an object this patch did not make";
    return;
  }
  objects.erase(found);
  host().free(x);
}

void Patch::send(t_object *x, std::string_view message, int inlet) {
  std::string error;
  auto parsed = kit::parse_message(message, error);
  if (!parsed) {
    ADD_FAILURE() << "bad message \"" << message << "\": " << error;
    return;
  }
  send(x, inlet, parsed->selector, std::move(parsed->atoms));
}

void Patch::send(t_object *x, int inlet, t_symbol *selector, std::vector<t_atom> atoms) {
  if (!host().send(x, inlet, selector, atoms))
    ADD_FAILURE() << "no inlet " << inlet << " to send \"" << selector->s_name << "\" to";
}

void Patch::packet(t_object *x, std::span<const unsigned char> bytes, int inlet) {
  // The bytes stay alive as long as the patch: a receiver may look at them
  // later than the message, wrongly, but never on freed memory.
  auto &kept = state_->packets.emplace_back(bytes.begin(), bytes.end());
  send(x, inlet, gensym("FullPacket"),
       {long_atom(static_cast<t_atom_long>(kept.size())),
        long_atom(reinterpret_cast<t_atom_long>(kept.data()))});
}

void Patch::connect(t_object *src, int outlet, t_object *dst, int inlet) {
  std::string error;
  if (!host().connect(src, outlet, dst, inlet, error))
    ADD_FAILURE() << "cannot connect: " << error;
}

Lines Patch::take() {
  std::lock_guard lock(state_->mutex);
  Lines taken;
  taken.swap(state_->lines);
  return taken;
}

void Patch::advance(double ms) {
  host().advance(ms);
}

bool Patch::run_until(const std::function<bool()> &done, double timeout_ms) {
  kit::Host &h = host();
  h.set_manual_clock(false);
  const auto deadline = std::chrono::steady_clock::now() +
                        std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                            std::chrono::duration<double, std::milli>(timeout_ms));
  bool result = done();
  while (!result) {
    const auto left = deadline - std::chrono::steady_clock::now();
    if (left <= std::chrono::steady_clock::duration::zero())
      break;
    // Returns when work arrived (and ran) or the time is up.
    h.run_until_readable(-1, std::chrono::ceil<std::chrono::milliseconds>(left));
    result = done();
  }
  h.set_manual_clock(true);
  return result;
}

t_atom long_atom(t_atom_long value) {
  t_atom a;
  atom_setlong(&a, value);
  return a;
}

t_atom float_atom(double value) {
  t_atom a;
  atom_setfloat(&a, value);
  return a;
}

t_atom sym_atom(const char *name) {
  t_atom a;
  atom_setsym(&a, gensym(name));
  return a;
}

std::string module_dir() {
  return KIT_MODULE_DIR;
}
std::string bin_dir() {
  return KIT_BIN_DIR;
}

namespace {

::testing::AssertionResult built(const std::filesystem::path &file) {
  if (std::filesystem::exists(file))
    return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << file.string() << " is not in this build";
}

} // namespace

::testing::AssertionResult module_built(std::string_view class_name) {
  return built(std::filesystem::path(KIT_MODULE_DIR) /
               (std::string(class_name) + KIT_MODULE_SUFFIX));
}

::testing::AssertionResult program_built(std::string_view name) {
  return built(std::filesystem::path(KIT_BIN_DIR) / (std::string(name) + KIT_PROGRAM_SUFFIX));
}

} // namespace kittest
