// The boxes that steer messages: trigger and bangbang (right to left),
// route and select (by number and by symbol), gate and switch, and
// loadmess and loadbang in a patcher.
#include "builtin_case.hpp"

using namespace kithost_test;

namespace {

INSTANTIATE_TEST_SUITE_P(
    Flow, BuiltinScripts,
    ::testing::Values(
        BuiltinCase{"TriggerSendsRightToLeftEachOutletItsKind",
                    {"obj t t b i f l s a 5 foo", "print t", "send t 2.5", "send t foo 1 2"},
                    {"t.7: foo", "t.6: 5", "t.5: 2.5", "t.4: symbol 2.5", "t.3: 2.5", "t.2: 2.5",
                     "t.1: 2", "t.0: bang", "t.7: foo", "t.6: 5", "t.5: foo 1 2", "t.4: symbol foo",
                     "t.3: foo 1 2", "t.2: 0", "t.1: 0", "t.0: bang"}},
        BuiltinCase{
            "TriggerOfABangAndWithoutArguments",
            {"obj t trigger bang int float list anything", "obj d t", "print t", "print d",
             "send t bang", "send d 3.9"},
            {"t.4: bang", "t.3: bang", "t.2: 0", "t.1: 0", "t.0: bang", "d.1: 3", "d.0: 3"}},
        BuiltinCase{"BangbangBangsRightToLeft",
                    {"obj b b 3", "obj d bangbang", "print b", "print d", "send b 1", "send d foo"},
                    {"b.2: bang", "b.1: bang", "b.0: bang", "d.1: bang", "d.0: bang"}},
        BuiltinCase{"RouteSendsTheRestOfAMatchAndTheWholeOfTheOthers",
                    {"obj r route foo 1 bang", "print r", "send r foo 1 2", "send r foo bar 3",
                     "send r 1 x", "send r 1.0", "send r bang", "send r bar", "send r foo",
                     "send r 2 3", "send r symbol foo"},
                    {"r.0: 1 2", "r.0: bar 3", "r.1: x", "r.1: bang", "r.2: bang", "r.3: bar",
                     "r.0: bang", "r.3: 2 3", "r.0: bang"}},
        BuiltinCase{"RouteWithOneArgumentTakesANewOneOnTheRight",
                    {"obj r route foo", "print r", "send r foo 1", "send r:1 bar", "send r foo 1",
                     "send r bar 2"},
                    {"r.0: 1", "r.1: foo 1", "r.0: 2"}},
        BuiltinCase{"SelectBangsForNumbersAndSymbols",
                    {"obj s sel 1 foo 2.7", "print s", "send s 2.9", "send s 1",
                     "send s symbol foo", "send s foo 9", "send s bar 3", "send s 5.5",
                     "send s bang"},
                    {"s.2: bang", "s.0: bang", "s.1: bang", "s.1: bang", "s.3: bar 3", "s.3: 5",
                     "s.3: bang"}},
        BuiltinCase{"SelectWithOneArgumentTakesANewOneOnTheRight",
                    {"obj s select 10", "print s", "send s 10", "send s:1 foo", "send s 10",
                     "send s foo", "send s:1 3.5", "send s 3"},
                    {"s.0: bang", "s.1: 10", "s.0: bang", "s.0: bang"}},
        BuiltinCase{"SelectKeepsSaturatingTheFloatsItCompares",
                    {"obj s sel 9223372036854775807", "print s", "send s 1e300", "send s -1e300",
                     "send s nan"},
                    {"s.0: bang", "s.1: -9223372036854775808", "s.1: nan"}},
        BuiltinCase{"GatePassesToTheOpenOutletOnly",
                    {"obj g gate 2", "print g", "send g:1 5", "send g 2", "send g:1 hello",
                     "send g 9", "send g:1 6", "send g 1.9", "send g:1 list 1 2", "send g -1",
                     "send g:1 7", "send g foo"},
                    {"g.1: hello", "g.1: 6", "g.0: 1 2",
                     "error: gate: the left inlet takes the number of the way to open"}},
        BuiltinCase{"SwitchPassesFromTheOpenInletOnly",
                    {"obj s switch 2 1", "print s", "send s:1 a", "send s:2 b", "send s 2",
                     "send s:2 bang", "send s 0", "send s:2 c"},
                    {"s.0: a", "s.0: bang"}}),
    case_title);

TEST(Flow, LoadmessAndLoadbangFireWhenThePatchIsBuilt) {
  TempDir dir;
  const auto patch = dir.write("load.maxpat", R"({"patcher": {"boxes": [
    {"box": {"id": "m", "maxclass": "newobj", "text": "loadmess set 5", "patching_rect": [0, 0, 50, 20]}},
    {"box": {"id": "l", "maxclass": "newobj", "text": "loadbang", "patching_rect": [100, 0, 50, 20]}},
    {"box": {"id": "p", "maxclass": "newobj", "text": "print out"}}],
  "lines": [
    {"patchline": {"source": ["m", 0], "destination": ["p", 0]}},
    {"patchline": {"source": ["l", 0], "destination": ["p", 0]}}]}}
)");
  const Result run = run_kithost({"--modules", test_modules(), patch.string()});
  EXPECT_EQ(run.status, 0) << ::testing::PrintToString(run.err);
  EXPECT_EQ(run.out, (Lines{"post: out: set 5", "post: out: bang"}));
}

} // namespace
