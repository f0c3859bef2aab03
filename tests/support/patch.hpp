// A test's patch: objects made through the real host from the modules of
// this build, exactly as a patch would, with every outlet and console line
// recorded as kithost prints them.
//
//   kittest::Patch p;
//   auto *buf = p.make("b", "rklbuf 4 1");
//   p.send(buf, "list 10 20");
//   EXPECT_EQ(p.take(), (Lines{"b.0: 10 20 0 0", "b.1: 3"}));
#pragma once

#include "kit/host.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kittest {

using Lines = std::vector<std::string>;

class Patch {
public:
  /// Manual clock at logical time of now, console captured, the build's
  /// module folder searched, search path and dialog answer cleared.
  Patch();
  /// Frees every object still alive, restores the console.
  ~Patch();

  /// Makes an object from a box text "CLASS ARG ..." (kithost's word rules)
  /// and records all its outlets as "NAME.OUTLET: TEXT". Adds a test failure
  /// and returns null when the object cannot be made.
  t_object *make(std::string_view name, std::string_view box);
  /// Expects the box to fail; returns the host's reason.
  std::string make_error(std::string_view box);
  void free(t_object *x);

  /// Sends a message typed as in a message box ("list 1 2", "7", "bang").
  void send(t_object *x, std::string_view message, int inlet = 0);
  void send(t_object *x, int inlet, t_symbol *selector, std::vector<t_atom> atoms);
  /// Sends "FullPacket count address" for bytes that this call keeps alive.
  void packet(t_object *x, std::span<const unsigned char> bytes, int inlet = 0);
  void connect(t_object *src, int outlet, t_object *dst, int inlet);

  /// Recorded lines since the last take, outlet lines and "post: "/"error: "
  /// console lines in the order they happened.
  Lines take();
  /// Manual clock: advance logical time, firing due clocks and deferred calls.
  void advance(double ms);
  /// Runs the loop in real time until `done` holds or `timeout_ms` passes
  /// (for objects with network threads). Returns `done()`.
  bool run_until(const std::function<bool()> &done, double timeout_ms);

  kit::Host &host();

  Patch(const Patch &) = delete;
  Patch &operator=(const Patch &) = delete;

private:
  struct State;
  std::unique_ptr<State> state_;
};

t_atom long_atom(t_atom_long value);
t_atom float_atom(double value);
t_atom sym_atom(const char *name);

/// The build's folders, for tests that run tools.
std::string module_dir();
std::string bin_dir();

/// Whether this build made the module of the class `class_name` in
/// module_dir(), or the program `name` in bin_dir(). A test that needs one
/// asserts it: a missing one fails the test, naming the file, rather than
/// letting it pass untried.
::testing::AssertionResult module_built(std::string_view class_name);
::testing::AssertionResult program_built(std::string_view name);

} // namespace kittest
