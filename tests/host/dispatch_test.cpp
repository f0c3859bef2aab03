// Messages reaching methods: argument types, conversions and the errors
// for what a class does not understand.
#include "patch.hpp"
#include "probe.hpp"

#include "ext_obex.h"

#include <gtest/gtest.h>

using kittest::Lines;
using kittest::Patch;

namespace {

class Dispatch : public ::testing::Test {
protected:
  void SetUp() override {
    hosttest::define_test_classes();
    probe = p.make("p", "test-probe");
    ASSERT_NE(probe, nullptr);
    p.take();
  }
  Lines sent(const char *message, int inlet = 0) {
    p.send(probe, message, inlet);
    return p.take();
  }
  Patch p;
  t_object *probe = nullptr;
};

TEST_F(Dispatch, TypedArgumentsArriveWithTheirCTypes) {
  EXPECT_EQ(sent("5"), Lines{"post: test-probe: int 5"});
  EXPECT_EQ(sent("-2.5"), Lines{"post: test-probe: float -2.5"});
  EXPECT_EQ(sent("name \"two words\""), Lines{"post: test-probe: name \"two words\""});
  EXPECT_EQ(sent("mix 3 0.25 x"), Lines{"post: test-probe: mix 3 0.25 x"});
  EXPECT_EQ(sent("five 1 2.5 s 4 5.5"), Lines{"post: test-probe: five 1 2.5 s 4 5.5"});
}

TEST_F(Dispatch, NumbersConvertBetweenLongAndFloatArguments) {
  // A float for a long truncates toward zero; a long for a float widens.
  EXPECT_EQ(sent("mix 3.9 7 x"), Lines{"post: test-probe: mix 3 7 x"});
  EXPECT_EQ(sent("goto -2.7"), Lines{"post: test-probe: goto -2"});
  EXPECT_EQ(sent("goto 1e300"), Lines{"post: test-probe: goto 9223372036854775807"});
}

TEST_F(Dispatch, OptionalArgumentsDefaultToZeroAndTheEmptySymbol) {
  EXPECT_EQ(sent("opt"), Lines{"post: test-probe: opt 0 0 \"\""});
  EXPECT_EQ(sent("opt 4"), Lines{"post: test-probe: opt 4 0 \"\""});
  EXPECT_EQ(sent("opt 4 1.5 z"), Lines{"post: test-probe: opt 4 1.5 \"z\""});
}

TEST_F(Dispatch, WrongOrMissingArgumentsAreReportedAndTheMethodIsNotCalled) {
  EXPECT_EQ(sent("goto here"), Lines{"error: test-probe: bad arguments for message \"goto\""});
  EXPECT_EQ(sent("goto"), Lines{"error: test-probe: bad arguments for message \"goto\""});
  EXPECT_EQ(sent("name 5"), Lines{"error: test-probe: bad arguments for message \"name\""});
  EXPECT_EQ(sent("mix 1 2"), Lines{"error: test-probe: bad arguments for message \"mix\""});
  EXPECT_EQ(sent("opt x"), Lines{"error: test-probe: bad arguments for message \"opt\""});
}

TEST_F(Dispatch, ExtraArgumentsAreReportedAndDropped) {
  EXPECT_EQ(sent("goto 1 2"), (Lines{"error: test-probe: extra arguments for message \"goto\"",
                                     "post: test-probe: goto 1"}));
}

TEST_F(Dispatch, GimmeMethodsGetSelectorAndAtoms) {
  EXPECT_EQ(sent("1 2.5 x"), Lines{"post: test-probe: list [1 2.5 x]"});
  EXPECT_EQ(sent("list"), Lines{"post: test-probe: list []"});
  EXPECT_EQ(sent("whatever 1 \"a b\""), Lines{"post: test-probe: anything whatever [1 \"a b\"]"});
  EXPECT_EQ(sent("bang"), Lines{"post: test-probe: bang"});
}

TEST_F(Dispatch, HostOnlyMethodsCannotBeSent) {
  EXPECT_EQ(sent("assist 1 0"), Lines{"error: test-probe: doesn't understand \"assist\""});
  EXPECT_EQ(p.host().assist(probe, ASSIST_OUTLET, 1), "outlet 1");
}

TEST_F(Dispatch, UnknownSelectorsAreReportedWithTheClassName) {
  t_object *inty = p.make("i", "test-inty");
  p.send(inty, "foo 1");
  p.send(inty, "name x");
  EXPECT_EQ(p.take(), (Lines{"error: test-inty: doesn't understand \"foo\"",
                             "error: test-inty: doesn't understand \"name\""}));
}

TEST(Conversions, IntAndFloatFindTheOtherNumberMethod) {
  hosttest::define_test_classes();
  Patch p;
  t_object *floaty = p.make("f", "test-floaty");
  t_object *inty = p.make("i", "test-inty");
  p.send(floaty, "3");
  p.send(inty, "-2.9");
  EXPECT_EQ(p.take(), (Lines{"post: test-floaty: float 3", "post: test-inty: int -2", "i.0: -1"}));
}

TEST(Conversions, ListGoesToTheNumberMethodWithItsFirstElement) {
  hosttest::define_test_classes();
  Patch p;
  t_object *inty = p.make("i", "test-inty");
  t_object *floaty = p.make("f", "test-floaty");
  p.send(inty, "4 5 6");
  p.send(inty, "list 2.5");
  p.send(inty, "list");
  p.send(floaty, "list 7 8");
  p.send(inty, "list x 1");
  EXPECT_EQ(p.take(), (Lines{"post: test-inty: int 4", "i.0: 5", "post: test-inty: int 2", "i.0: 3",
                             "post: test-inty: bang", "post: test-floaty: float 7",
                             "error: test-inty: doesn't understand \"list\""}));
}

TEST(Conversions, NumbersGoToAListOnlyClassAsOneAtomLists) {
  hosttest::define_test_classes();
  Patch p;
  t_object *listy = p.make("l", "test-listy");
  p.send(listy, "3");
  p.send(listy, "1.5");
  p.send(listy, "bang");
  EXPECT_EQ(p.take(), (Lines{"post: test-listy: list [3]", "post: test-listy: list [1.5]",
                             "error: test-listy: doesn't understand \"bang\""}));
}

TEST(Attributes, MessagesNamedAfterAnAttributeSetItsValue) {
  hosttest::define_test_classes();
  Patch p;
  t_object *x = p.make("p", "test-probe");
  p.take();
  p.send(x, "host 1.2.3.4");
  p.send(x, "port 9000.7");
  p.send(x, "gain 3");
  p.send(x, "state");
  EXPECT_EQ(p.take(), Lines{"post: test-probe: host 1.2.3.4 port 9000 gain 3 level 0"});
}

TEST(Attributes, BadValuesAreReportedAndLeaveTheValue) {
  hosttest::define_test_classes();
  Patch p;
  t_object *x = p.make("p", "test-probe");
  p.take();
  p.send(x, "port here");
  p.send(x, "host 5");
  p.send(x, "host");
  p.send(x, "state");
  EXPECT_EQ(p.take(),
            (Lines{"error: test-probe: bad value for attribute \"port\" (long expected)",
                   "error: test-probe: bad value for attribute \"host\" (symbol expected)",
                   "error: test-probe: bad value for attribute \"host\" (symbol expected)",
                   "post: test-probe: host auto port 8002 gain 0 level 0"}));
}

TEST(Attributes, CreationArgumentsSetAttributesThroughSettersToo) {
  hosttest::define_test_classes();
  Patch p;
  t_object *x = p.make("p", "test-probe 1 @host 10.0.0.2 @port 7 @level 4 @nope 1");
  p.send(x, "state");
  EXPECT_EQ(p.take(), (Lines{"post: test-probe: new 1 @host 10.0.0.2 @port 7 @level 4 @nope 1",
                             "post: test-probe: level set through its setter",
                             "error: test-probe: no attribute \"nope\"",
                             "post: test-probe: host 10.0.0.2 port 7 gain 0 level 40"}));
}

} // namespace

namespace {

TEST(Conversions, HostOnlyStandardMethodsAreNeverFallenBackOn) {
  Patch p;
  static t_class *cant_class;
  p.host().define_module("test-cantlist", [] {
    auto fn = reinterpret_cast<method>(+[](void *) {});
    cant_class = class_new("test-cantlist",
                           reinterpret_cast<method>(+[]() { return object_alloc(cant_class); }),
                           nullptr, sizeof(t_object), nullptr, 0);
    class_addmethod(cant_class, fn, "list", A_CANT, 0);
    class_addmethod(cant_class, fn, "int", A_CANT, 0);
    class_register(gensym("box"), cant_class);
  });
  t_object *x = p.make("c", "test-cantlist");
  p.send(x, "5");
  p.send(x, "1.5");
  p.send(x, "1 2");
  EXPECT_EQ(p.take(), (Lines{"error: test-cantlist: doesn't understand \"int\"",
                             "error: test-cantlist: doesn't understand \"float\"",
                             "error: test-cantlist: doesn't understand \"list\""}));
}

} // namespace
