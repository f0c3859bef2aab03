// send, receive and value: messages and values shared by name across a run.
#include "builtin_case.hpp"

using namespace kithost_test;

namespace {

class Names : public ::testing::TestWithParam<BuiltinCase> {};

TEST_P(Names, Script) {
  expect_printed(GetParam());
}

INSTANTIATE_TEST_SUITE_P(
    Builtins, Names,
    ::testing::Values(
        BuiltinCase{"SendReachesEveryReceiveOfItsNameInTheOrderMade",
                    {"obj a r foo", "obj b receive foo", "obj c r other", "obj s s foo",
                     "obj t send foo", "print a", "print b", "print c", "send s 1 2", "send t bang",
                     "send s hello world", "send s 2.5", "send s symbol x"},
                    {"a.0: 1 2", "b.0: 1 2", "a.0: bang", "b.0: bang", "a.0: hello world",
                     "b.0: hello world", "a.0: 2.5", "b.0: 2.5", "a.0: symbol x", "b.0: symbol x"}},
        BuiltinCase{"SetGivesAReceiveAnotherNameAndSendPassesSetOn",
                    {"obj a r", "obj b r foo", "obj s s foo", "print a", "print b", "send s 1",
                     "send a set foo", "send b set other", "send s 2", "send s set 3"},
                    {"b.0: 1", "a.0: 2", "a.0: set 3"}},
        BuiltinCase{"AFreedReceiveHearsNothing",
                    {"obj a r foo", "obj b r foo", "obj s s foo", "print b", "free a", "send s 7"},
                    {"b.0: 7"}},
        BuiltinCase{
            "ASendWithoutANameSaysSo",
            {"obj s s", "send s 3", "obj t send 1"},
            {"error: send: no name to send \"int\" to", "error: send: the name must be a symbol"}},
        BuiltinCase{"AReceiveRenamedWhileItsNameIsSentToHearsItNoMore",
                    // c hears foo first and moves a to bar before a's turn.
                    {"obj c r foo", "obj a r foo", "obj b r foo", "obj p prepend set",
                     "obj s s foo", "obj t s bar", "connect c 0 p 0", "connect p 0 a 0", "print a",
                     "print b", "send s bar", "send t 2"},
                    {"b.0: bar", "a.0: 2"}},
        BuiltinCase{"ALoopThroughANameIsCut",
                    {"obj r r loop", "obj s s loop", "connect r 0 s 0", "obj t s loop",
                     "obj e kt-echo", "print e", "send t 1", "send e 2"},
                    {"error: receive: messages nested more than 1000 deep (a loop in the "
                     "patch?); the chain is abandoned",
                     "e.0: 2"}},
        BuiltinCase{"ValuesOfOneNameShareTheirMessage",
                    {"obj a v x 5", "obj b value x", "obj c v y", "print b", "print c",
                     "send b bang", "send a foo 3", "send b bang", "send a 1 2", "send b bang",
                     "send c bang", "obj s s x", "send s 2.5", "send b bang"},
                    {"b.0: 5", "b.0: foo 3", "b.0: 1 2", "b.0: 2.5"}},
        BuiltinCase{"AValueOfANameNoLongerHeldStartsEmpty",
                    {"obj a v x 5", "free a", "obj b v x", "print b", "send b bang", "send b 4",
                     "send b bang"},
                    {"b.0: 4"}}),
    case_title);

TEST(Names, AValueNeedsAName) {
  const Result run = run_kithost({"-"}, "obj a v\n");
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.out, Lines{"error: value: needs a name (a symbol) as its first argument"});
}

} // namespace
