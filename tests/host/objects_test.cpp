// Objects: creation, inlet and outlet order, proxies, connections, freeing.
#include "patch.hpp"
#include "probe.hpp"

#include "ext_obex.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

using kittest::Lines;
using kittest::Patch;

namespace {

class Objects : public ::testing::Test {
protected:
  void SetUp() override { hosttest::define_test_classes(); }
  Patch p;
};

TEST_F(Objects, NewOutletsStandLeftAndProxiesJustRightOfTheLeftInlet) {
  // test-probe makes its int outlet, then an any outlet; then the proxies
  // "goto", then "size".
  t_object *x = p.make("p", "test-probe");
  ASSERT_EQ(p.host().outlet_count(x), 2);
  ASSERT_EQ(p.host().inlet_count(x), 3);
  p.take();
  p.send(x, "emit hello 1");
  p.send(x, "out 7");
  EXPECT_EQ(p.take(), (Lines{"p.0: hello 1", "p.1: 7"}));
  p.send(x, "4", 1);
  p.send(x, "5", 2);
  EXPECT_EQ(p.take(), (Lines{"post: test-probe: size 4", "post: test-probe: goto 5"}));
}

TEST_F(Objects, ProxiesTakeNumbersAndReportAnythingElse) {
  t_object *x = p.make("p", "test-probe");
  p.take();
  p.send(x, "-3.7", 1);
  p.send(x, "8 9", 1);
  p.send(x, "bang", 2);
  p.send(x, "size 3", 1);
  EXPECT_EQ(p.take(), (Lines{"post: test-probe: size -3", "post: test-probe: size 8",
                             "error: test-probe: inlet 2 doesn't understand \"bang\"",
                             "error: test-probe: inlet 1 doesn't understand \"size\""}));
}

TEST_F(Objects, SendingToAMissingInletFails) {
  t_object *x = p.make("p", "test-probe");
  t_atom one = kittest::long_atom(1);
  EXPECT_FALSE(p.host().send(x, 3, gensym("int"), {&one, 1}));
  EXPECT_FALSE(p.host().send(x, -1, gensym("int"), {&one, 1}));
}

TEST_F(Objects, FanOutRunsInTheOrderConnectionsWereMade) {
  t_object *src = p.make("src", "test-probe");
  t_object *a = p.make("a", "test-inty");
  t_object *b = p.make("b", "test-floaty");
  t_object *c = p.make("c", "test-probe");
  p.connect(src, 1, b, 0);
  p.connect(src, 1, c, 1);
  p.connect(src, 1, a, 0);
  p.connect(src, 1, b, 0); // already made: changes nothing
  p.take();
  p.send(src, "out 6");
  EXPECT_EQ(p.take(), (Lines{"src.1: 6", "post: test-floaty: float 6", "post: test-probe: size 6",
                             "post: test-inty: int 6", "a.0: 7"}));
}

TEST_F(Objects, ListsAndMessagesTravelConnections) {
  t_object *src = p.make("src", "test-probe");
  t_object *dst = p.make("dst", "test-probe");
  p.connect(src, 0, dst, 0);
  p.take();
  p.send(src, "emit list 1 2 3");
  p.send(src, "emit scan 127.0.0.1 8002");
  p.send(src, "emit bang");
  EXPECT_EQ(p.take(),
            (Lines{"src.0: 1 2 3", "post: test-probe: list [1 2 3]", "src.0: scan 127.0.0.1 8002",
                   "post: test-probe: anything scan [127.0.0.1 8002]", "src.0: bang",
                   "post: test-probe: bang"}));
}

TEST_F(Objects, ConnectingMissingOutletsOrInletsIsRefused) {
  t_object *a = p.make("a", "test-inty");
  t_object *b = p.make("b", "test-inty");
  std::string error;
  EXPECT_FALSE(p.host().connect(a, 1, b, 0, error));
  EXPECT_EQ(error, "test-inty has no outlet 1");
  EXPECT_FALSE(p.host().connect(a, 0, b, 1, error));
  EXPECT_EQ(error, "test-inty has no inlet 1");
}

TEST_F(Objects, FreeingAnObjectUndoesItsConnectionsBothWays) {
  t_object *a = p.make("a", "test-inty");
  t_object *b = p.make("b", "test-inty");
  t_object *c = p.make("c", "test-inty");
  p.connect(a, 0, b, 0);
  p.connect(b, 0, c, 0);
  p.free(b);
  p.take();
  p.send(a, "1");
  EXPECT_EQ(p.take(), (Lines{"post: test-inty: int 1", "a.0: 2"}));
}

TEST_F(Objects, ALoopInThePatchIsCutInsteadOfOverflowingTheStack) {
  t_object *a = p.make("a", "test-inty");
  p.connect(a, 0, a, 0);
  p.host().watch(a, 0, {}); // an empty watcher is ignored
  p.take();
  p.send(a, "0");
  Lines lines = p.take();
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                          [](const std::string &l) { return l.starts_with("error: "); }),
            1);
  EXPECT_NE(std::find(lines.begin(), lines.end(),
                      "error: test-inty: messages nested more than 1000 deep (a loop in the "
                      "patch?); the chain is abandoned"),
            lines.end());
}

TEST_F(Objects, ALoopWithFanOutIsAbandonedWholeAndLaterMessagesGoOn) {
  // Each int into a comes back to a twice (directly and through b): were
  // only the message past the limit dropped, its siblings would go on and
  // the work would double with every level.
  t_object *a = p.make("a", "test-inty");
  t_object *b = p.make("b", "test-inty");
  t_object *other = p.make("other", "test-inty");
  p.connect(a, 0, a, 0);
  p.connect(a, 0, b, 0);
  p.connect(b, 0, a, 0);
  auto count = [](const Lines &lines, const std::string &start) {
    return std::count_if(lines.begin(), lines.end(),
                         [&](const std::string &l) { return l.starts_with(start); });
  };
  const std::string cut = "error: test-inty: messages nested more than 1000 deep (a loop in the "
                          "patch?); the chain is abandoned";
  p.take();
  for (int delivery = 0; delivery < 2; ++delivery) {
    p.send(a, "0");
    const Lines lines = p.take();
    // One method call per level, as deep as the limit, and no further.
    EXPECT_LE(count(lines, "post: test-inty: int "), 1000);
    EXPECT_GE(count(lines, "post: test-inty: int "), 999);
    EXPECT_EQ(count(lines, "error: "), 1);
    EXPECT_EQ(lines.back(), cut);
  }
  p.send(other, "5");
  EXPECT_EQ(p.take(), (Lines{"post: test-inty: int 5", "other.0: 6"}));
}

// test-relay: every message in goes out of its one outlet unchanged.
struct Relay {
  t_object ob;
  void *out;
};
t_class *relay_class;
void *relay_new() {
  auto *x = static_cast<Relay *>(object_alloc(relay_class));
  x->out = outlet_new(x, nullptr);
  return x;
}
void relay_define() {
  relay_class = class_new("test-relay", (method)relay_new, 0, sizeof(Relay), 0, 0);
  class_addmethod(
      relay_class, (method) + [](Relay *x) { outlet_bang(x->out); }, "bang", 0);
  class_addmethod(
      relay_class, (method) + [](Relay *x, t_atom_long n) { outlet_int(x->out, n); }, "int", A_LONG,
      0);
  class_addmethod(
      relay_class, (method) + [](Relay *x, double f) { outlet_float(x->out, f); }, "float", A_FLOAT,
      0);
  class_addmethod(
      relay_class,
      (method) + [](Relay *x, t_symbol *s, long ac,
                    t_atom *av) { outlet_list(x->out, s, static_cast<short>(ac), av); },
      "list", A_GIMME, 0);
  class_addmethod(
      relay_class,
      (method) + [](Relay *x, t_symbol *s, long ac,
                    t_atom *av) { outlet_anything(x->out, s, static_cast<short>(ac), av); },
      "anything", A_GIMME, 0);
  class_register(gensym("box"), relay_class);
}

struct OutletCall {
  const char *name;
  void *(*call)(void *out);
};

void PrintTo(const OutletCall &call, std::ostream *os) {
  *os << call.name;
}

class OutletResult : public ::testing::TestWithParam<OutletCall> {
protected:
  void SetUp() override { p.host().define_module("test-relay", relay_define); }
  /// A relay made without watchers, so that outlets take their shortest way.
  Relay *make_relay() {
    std::string why;
    auto *x = reinterpret_cast<Relay *>(p.host().make("test-relay", {}, why));
    EXPECT_NE(x, nullptr) << why;
    return x;
  }
  Patch p;
};

TEST_P(OutletResult, IsZeroOnlyWhenTheChainWasCut) {
  // One relay feeds a second, alone and then beside itself: a loop.
  Relay *plain = make_relay();
  Relay *looped = make_relay();
  ASSERT_TRUE(plain && looped);
  p.take();
  std::string why;
  ASSERT_TRUE(p.host().connect(&plain->ob, 0, &looped->ob, 0, why)) << why;
  EXPECT_NE(GetParam().call(plain->out), nullptr);
  EXPECT_EQ(p.take(), Lines{});

  ASSERT_TRUE(p.host().connect(&looped->ob, 0, &looped->ob, 0, why)) << why;
  EXPECT_EQ(GetParam().call(plain->out), nullptr);
  const Lines cut{"error: test-relay: messages nested more than 1000 deep (a loop in the "
                  "patch?); the chain is abandoned"};
  EXPECT_EQ(p.take(), cut);
  // The next message is a chain of its own.
  Relay *other = make_relay();
  ASSERT_NE(other, nullptr);
  EXPECT_NE(GetParam().call(other->out), nullptr);
  for (Relay *x : {other, looped, plain})
    p.host().free(&x->ob);
}

t_atom one_atom[1] = {{A_LONG, {1}}};
INSTANTIATE_TEST_SUITE_P(
    EveryKind, OutletResult,
    ::testing::Values(
        OutletCall{"int", [](void *out) { return outlet_int(out, 1); }},
        OutletCall{"float", [](void *out) { return outlet_float(out, 1.5); }},
        OutletCall{"bang", [](void *out) { return outlet_bang(out); }},
        OutletCall{"list", [](void *out) { return outlet_list(out, nullptr, 1, one_atom); }},
        OutletCall{"anything",
                   [](void *out) { return outlet_anything(out, gensym("go"), 1, one_atom); }}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(Objects, RefusedCreationIsReportedAndLeavesNothingBehind) {
  EXPECT_EQ(p.make_error("test-probe refuse"), "test-probe: could not create object");
  EXPECT_EQ(p.take(), Lines{"post: test-probe: new refuse"});
}

TEST_F(Objects, TypedCreationArgumentsAreChecked) {
  EXPECT_EQ(p.make_error("test-old"), "test-old: bad creation arguments");
  EXPECT_EQ(p.make_error("test-old x"), "test-old: bad creation arguments");
  t_object *x = p.make("o", "test-old 2.5");
  p.send(x, "1");
  EXPECT_EQ(p.take(), Lines{"o.0: 3"});
  t_object *y = p.make("p", "test-old 1 2");
  p.send(y, "1");
  EXPECT_EQ(p.take(), (Lines{"error: test-old: extra creation arguments ignored", "p.0: 2"}));
}

TEST_F(Objects, FreeRunsTheFreeRoutineOnce) {
  t_object *x = p.make("p", "test-probe");
  p.take();
  p.free(x);
  EXPECT_EQ(p.take(), Lines{"post: test-probe: free"});
  freeobject(nullptr);
  EXPECT_TRUE(p.take().empty());
}

TEST_F(Objects, ClassNamesAndDescriptions) {
  t_object *x = p.make("p", "test-probe");
  EXPECT_STREQ(object_classname(x)->s_name, "test-probe");
  auto info = p.host().describe("test-probe");
  ASSERT_TRUE(info);
  EXPECT_EQ(info->creation_arg_types, std::vector<int>{A_GIMME});
  ASSERT_GE(info->methods.size(), 10u);
  EXPECT_EQ(info->methods[0].selector, "int");
  auto mix = std::find_if(info->methods.begin(), info->methods.end(),
                          [](const auto &m) { return m.selector == "mix"; });
  ASSERT_NE(mix, info->methods.end());
  EXPECT_EQ(mix->arg_types, (std::vector<int>{A_LONG, A_FLOAT, A_SYM}));
  ASSERT_EQ(info->attributes.size(), 4u);
  EXPECT_EQ(info->attributes[0].name, "host");
  EXPECT_EQ(info->attributes[0].type, "symbol");
  EXPECT_FALSE(p.host().describe("test-never-loaded"));
}

TEST_F(Objects, AClassAliasMakesTheSameClassUnderASecondName) {
  std::string error;
  t_class *probe = p.host().load_class("test-probe", error);
  ASSERT_TRUE(probe && p.host().load_class("test-timer", error));
  EXPECT_EQ(class_alias(probe, gensym("test-second-name")), MAX_ERR_NONE);
  t_object *x = p.make("q", "test-second-name");
  ASSERT_TRUE(x);
  EXPECT_STREQ(object_classname(x)->s_name, "test-probe");
  EXPECT_EQ(p.host().describe("test-second-name")->name, "test-probe");
  p.take();
  EXPECT_EQ(class_alias(probe, gensym("test-timer")), MAX_ERR_DUPLICATE);
  EXPECT_EQ(p.take(), Lines{"error: class_alias: \"test-timer\" already names the class "
                            "\"test-timer\""});
}

} // namespace
