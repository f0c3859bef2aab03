// The registry of names as the message box's "; NAME" lines and --send use
// it: bound objects reached in the order they were bound, and bindings that
// change while a name is being sent to.
#include "names.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Stand-ins for objects: the registry only hands them back.
t_object a_record, b_record, c_record;
t_object *const a = &a_record;
t_object *const b = &b_record;
t_object *const c = &c_record;

std::vector<std::string> heard;

std::string name_of(const t_object *x) {
  return x == a ? "a" : x == b ? "b" : "c";
}

void hear(t_object *x, t_symbol *selector, long argc, t_atom *argv) {
  std::string line = name_of(x) + " " + selector->s_name;
  for (long i = 0; i < argc; ++i)
    line += " " + std::to_string(atom_getlong(&argv[i]));
  heard.push_back(line);
  // What a receiver does to its atoms stays its own.
  if (argc > 0)
    atom_setlong(&argv[0], -1);
}

// Each hears, then changes the bindings of "n".
void unbind_b(t_object *x, t_symbol *s, long argc, t_atom *argv) {
  hear(x, s, argc, argv);
  kithost::names::unbind(gensym("n"), b);
}
void unbind_itself(t_object *x, t_symbol *s, long argc, t_atom *argv) {
  hear(x, s, argc, argv);
  kithost::names::unbind(gensym("n"), x);
}
void bind_c(t_object *x, t_symbol *s, long argc, t_atom *argv) {
  hear(x, s, argc, argv);
  kithost::names::bind(gensym("n"), c, hear);
}
void send_again(t_object *x, t_symbol *s, long argc, t_atom *argv) {
  const bool first = argc > 0 && atom_getlong(argv) == 1;
  hear(x, s, argc, argv);
  if (first) {
    t_atom two;
    atom_setlong(&two, 2);
    kithost::names::send(gensym("n"), gensym("int"), {&two, 1});
  }
}

class NamesRegistry : public ::testing::Test {
protected:
  void TearDown() override {
    for (t_object *x : {a, b, c})
      kithost::names::unbind(gensym("n"), x);
    heard.clear();
  }
  std::size_t send(t_atom_long n) {
    t_atom value;
    atom_setlong(&value, n);
    return kithost::names::send(gensym("n"), gensym("int"), {&value, 1});
  }
};

TEST_F(NamesRegistry, ReachesEveryBoundObjectInTheOrderBoundEachWithItsOwnAtoms) {
  kithost::names::bind(gensym("n"), a, hear);
  kithost::names::bind(gensym("n"), b, hear);
  kithost::names::bind(gensym("other"), c, hear);
  EXPECT_EQ(send(5), 2u);
  EXPECT_EQ(heard, (std::vector<std::string>{"a int 5", "b int 5"}));
  EXPECT_EQ(kithost::names::send(gensym("nobody"), gensym("bang"), {}), 0u);
  kithost::names::unbind(gensym("other"), c);
}

TEST_F(NamesRegistry, AnObjectUnboundOnTheWayIsNotReached) {
  kithost::names::bind(gensym("n"), a, unbind_b);
  kithost::names::bind(gensym("n"), b, hear);
  kithost::names::bind(gensym("n"), c, unbind_itself);
  EXPECT_EQ(send(1), 2u);
  EXPECT_EQ(send(2), 1u);
  EXPECT_EQ(heard, (std::vector<std::string>{"a int 1", "c int 1", "a int 2"}));
}

TEST_F(NamesRegistry, AnObjectBoundOnTheWayHearsFromTheNextMessageOn) {
  kithost::names::bind(gensym("n"), a, bind_c);
  EXPECT_EQ(send(1), 1u);
  kithost::names::unbind(gensym("n"), a);
  EXPECT_EQ(send(2), 1u);
  EXPECT_EQ(heard, (std::vector<std::string>{"a int 1", "c int 2"}));
}

TEST_F(NamesRegistry, ASendNestedInASendToTheSameNameReachesEveryoneInBoth) {
  kithost::names::bind(gensym("n"), a, send_again);
  kithost::names::bind(gensym("n"), b, unbind_itself);
  // b unbinds inside the nested send; the outer one must then skip it.
  EXPECT_EQ(send(1), 1u);
  EXPECT_EQ(heard, (std::vector<std::string>{"a int 1", "a int 2", "b int 2"}));
  EXPECT_EQ(send(3), 1u);
}

} // namespace
