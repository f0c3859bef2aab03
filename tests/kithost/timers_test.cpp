// The boxes that act later, on the host's logical time: delay, pipe,
// speedlim and deferlow.
#include "builtin_case.hpp"

using namespace kithost_test;

namespace {

INSTANTIATE_TEST_SUITE_P(
    Timers, BuiltinScripts,
    ::testing::Values(
        BuiltinCase{"DelayBangsLaterAndANewBangStartsAgain",
                    {"obj d del 100", "obj e kt-echo", "print d", "print e", "send d bang",
                     "wait 60", "send d bang", "wait 60", "send e 1", "wait 40", "send d 20",
                     "wait 20", "send d:1 5", "send d bang", "send d stop", "wait 50"},
                    {"e.0: 1", "d.0: bang", "d.0: bang"}},
        BuiltinCase{"PipeSendsEveryMessageLaterEachOnItsOwn",
                    {"obj p pipe 100", "obj e kt-echo", "print p", "print e", "send p 1", "wait 50",
                     "send p 2", "wait 50", "send e 3", "wait 50", "send p:1 10", "send p 4",
                     "send p 5", "wait 10"},
                    {"p.0: 1", "e.0: 3", "p.0: 2", "p.0: 4", "p.0: 5"}},
        BuiltinCase{"PipeWithValuesSendsThemRightToLeft",
                    {"obj p pipe 0 0. s 10", "print p", "send p:2 symbol x", "send p list 1 2.5",
                     "send p:1 7", "send p bang", "wait 10"},
                    {"p.2: symbol x", "p.1: 2.5", "p.0: 1", "p.2: symbol x", "p.1: 7", "p.0: 1"}},
        BuiltinCase{"WithoutATimeEverythingPassesAtOnce",
                    {"obj s speedlim", "obj d delay -5", "print s", "print d", "send s 1",
                     "send s 2", "send d bang", "wait 0"},
                    {"s.0: 1", "s.0: 2", "d.0: bang"}},
        BuiltinCase{"PipeFlushesAndClears",
                    {"obj p pipe 100", "print p", "send p 1", "send p 2", "send p flush",
                     "send p 3", "send p clear", "wait 200"},
                    {"p.0: 1", "p.0: 2"}},
        BuiltinCase{"PipeHoldsAtMost65536Messages",
                    {"obj u uzi 65537", "obj p pipe 10", "connect u 0 p 0", "send u bang",
                     "send p clear", "wait 20"},
                    {"error: pipe: 65536 messages already wait; this one is dropped"}},
        BuiltinCase{"SpeedlimPassesAtMostOncePerIntervalAndTheLastKept",
                    {"obj s speedlim 100", "print s", "send s 1", "send s 2", "send s foo 3",
                     "wait 100", "send s 4", "wait 100", "send s 5", "send s:1 10", "wait 100",
                     "send s 6", "send s 7", "wait 20"},
                    {"s.0: 1", "s.0: foo 3", "s.0: 4", "s.0: 5", "s.0: 7"}},
        BuiltinCase{"WhatWaitsGoesWithAFreedBox",
                    {"obj p pipe 50", "obj s speedlim 50", "obj d deferlow", "obj e kt-echo",
                     "print p", "print s", "print d", "print e", "send p 1", "send s 1", "send s 2",
                     "send d 1", "free p", "free s", "free d", "wait 100", "send e 2"},
                    {"s.0: 1", "e.0: 2"}},
        BuiltinCase{"DeferlowSendsLaterInOrder",
                    {"obj d deferlow", "obj e kt-echo", "print d", "print e", "send d 1",
                     "send d foo 2", "send e 3", "wait 0"},
                    {"e.0: 3", "d.0: 1", "d.0: foo 2"}}),
    case_title);

} // namespace
