// The number boxes: int and float, the arithmetic and comparison operators,
// expr, split, scale, change, togedge, swap, random, counter and uzi, each with
// its hot left inlet, cold right inlets and int or float arithmetic by its
// argument.
#include "builtin_case.hpp"

#include <set>

using namespace kithost_test;

namespace {

INSTANTIATE_TEST_SUITE_P(
    Math, BuiltinScripts,
    ::testing::Values(
        BuiltinCase{"IntAndFloatKeepANumberTheRightInletWithoutOutput",
                    {"obj i i 3", "obj f float", "print i", "print f", "send i bang",
                     "send i:1 4.9", "send i bang", "send i 7.5", "send i set 2", "send i bang",
                     "send f 2", "send f:1 0.5", "send f list 1.25 9", "send i:1 bang"},
                    {"i.0: 3", "i.0: 4", "i.0: 7", "i.0: 2", "f.0: 2", "f.0: 1.25",
                     "error: int: a bang goes into the left inlet"}},
        BuiltinCase{"OperatorsComputeOnTheLeftAndKeepTheRight",
                    {"obj p + 5", "print p", "send p 3", "send p:1 10", "send p bang", "send p 1",
                     "send p list 2 20", "send p bang", "send p set 100", "send p bang"},
                    {"p.0: 8", "p.0: 13", "p.0: 11", "p.0: 22", "p.0: 22", "p.0: 120"}},
        BuiltinCase{"AnIntArgumentTruncatesAFloatArgumentComputesInFloats",
                    {"obj i * 2", "obj f * 2.", "obj n -", "print i", "print f", "print n",
                     "send i 2.9", "send i:1 1.5", "send i 3", "send f 2.9", "send f:1 1",
                     "send f 3", "send n 4.5"},
                    {"i.0: 4", "i.0: 3", "f.0: 5.8", "f.0: 3", "n.0: 4"}},
        BuiltinCase{"DivisionAndRemainderByZeroGiveZero",
                    {"obj d / 0", "obj r % 0", "obj df / 0.", "obj rf % 0.", "print d", "print r",
                     "print df", "print rf", "send d 7", "send r 7", "send df 7", "send rf 7",
                     "send d:1 2", "send d -7", "send r:1 3", "send r -7", "send rf:1 2.5",
                     "send rf 7"},
                    {"d.0: 0", "r.0: 0", "df.0: 0", "rf.0: 0", "d.0: -3", "r.0: -1", "rf.0: 2"}},
        BuiltinCase{"IntsWrapAroundAtTheLimitsOfALong",
                    {"obj p + 1", "obj d / -1", "obj r % -1", "print p", "print d", "print r",
                     "send p 9223372036854775807", "send d -9223372036854775807", "send d:1 -1",
                     "send r -9223372036854775807", "send p:1 0", "send p 1e300"},
                    {"p.0: -9223372036854775808", "d.0: 9223372036854775807", "r.0: 0",
                     "p.0: 9223372036854775807"}},
        BuiltinCase{"ComparisonsSendOneOrZero",
                    {"obj eq == 2", "obj ne != 2",   "obj gt > 2", "obj lt < 2", "obj ge >= 2",
                     "obj le <= 2", "obj fgt > 2.5", "print eq",   "print ne",   "print gt",
                     "print lt",    "print ge",      "print le",   "print fgt",  "send eq 2",
                     "send ne 2",   "send gt 2",     "send lt 1",  "send ge 2",  "send le 3",
                     "send gt 2.9", "send fgt 2.75"},
                    {"eq.0: 1", "ne.0: 0", "gt.0: 0", "lt.0: 1", "ge.0: 1", "le.0: 0", "gt.0: 0",
                     "fgt.0: 1"}},
        BuiltinCase{"ExprEvaluatesItsInputsFromTheLeftInlet",
                    {"obj e expr $i1 + $f2 * 2", "obj c expr 7 / 2", "obj s expr $s1 == $s2",
                     "print e", "print c", "print s", "send e:1 1.5", "send e 3.7",
                     "send e list 1 0.25", "send e bang", "send c bang", "send s:1 symbol a",
                     "send s symbol a", "send s b", "send s 5"},
                    {"e.0: 6", "e.0: 1.5", "e.0: 1.5", "c.0: 3", "s.0: 1", "s.0: 0",
                     "error: expr: input 1 takes a symbol"}},
        BuiltinCase{"SplitSendsNumbersInsideTheRangeLeft",
                    {"obj s split 1 3", "obj f split 0.5 1.5", "print s", "print f", "send s 1",
                     "send s 3", "send s 4", "send s 2.9", "send s:2 10", "send s 9", "send f 1.25",
                     "send f 2"},
                    {"s.0: 1", "s.0: 3", "s.1: 4", "s.0: 2", "s.0: 9", "f.0: 1.25", "f.1: 2"}},
        BuiltinCase{"ScaleMapsARangeOntoAnother",
                    {"obj i scale 0 10 0 100",
                     "obj f scale 0 10 0. 1.",
                     "obj c scale 0 1 0 1. 2",
                     "obj e scale 5 5 7 9",
                     "obj d scale",
                     "print i",
                     "print f",
                     "print c",
                     "print e",
                     "print d",
                     "send i 5",
                     "send i 3.33",
                     "send i 20",
                     "send f 2.5",
                     "send i:4 -100",
                     "send i 5",
                     "send c 0.5",
                     "send c -0.5",
                     "send e 1",
                     "send d 127",
                     "send i list 1 0 2 0 10"},
                    {"i.0: 50", "i.0: 33", "i.0: 200", "f.0: 0.25", "i.0: -50", "c.0: 0.25",
                     "c.0: -0.25", "e.0: 7", "d.0: 1", "i.0: 5"}},
        BuiltinCase{"ChangePassesOnlyChangesAndTellsEdges",
                    {"obj c change", "obj f change 0.", "obj t togedge", "print c", "print f",
                     "print t", "send c 0", "send c 3", "send c 3.7", "send c 0", "send c set 5",
                     "send c 5", "send f 0.5", "send f 0.5", "send t 2", "send t 3", "send t 0",
                     "send t 0.9", "send t 1"},
                    {"c.1: 1", "c.0: 3", "c.2: 1", "c.0: 0", "f.1: 1", "f.0: 0.5", "t.0: bang",
                     "t.1: bang", "t.0: bang"}},
        BuiltinCase{
            "SwapCrossesTwoNumbersRightOutletFirst",
            {"obj s swap 9", "obj f swap 0.5", "print s", "print f", "send s 1", "send s:1 2.5",
             "send s 3.5", "send s list 4 5", "send f 2"},
            {"s.1: 1", "s.0: 9", "s.1: 3", "s.0: 2", "s.1: 4", "s.0: 5", "f.1: 2", "f.0: 0.5"}},
        BuiltinCase{"CounterCountsUpWithItsFlagsAndStartsAgain",
                    // A bang sends the count, then steps it: a new MAX counts from the
                    // next step on.
                    {"obj c counter 0 2", "print c", "send c bang", "send c bang", "send c bang",
                     "send c bang", "send c:2 1", "send c bang", "send c:3 3", "send c bang",
                     "send c bang", "send c 0"},
                    {"c.0: 0", "c.0: 1", "c.3: 1", "c.2: 1", "c.0: 2", "c.2: 0", "c.0: 0", "c.0: 1",
                     "c.0: 2", "c.3: 2", "c.2: 1", "c.0: 3", "c.2: 0", "c.0: 0"}},
        BuiltinCase{"CounterCountsDownAndUpAndDown",
                    {"obj d counter 1 0 2", "obj u counter 2 0 2", "print d 0", "print d 1",
                     "print u 0", "send d bang", "send d bang", "send d bang", "send d bang",
                     "send u bang", "send u bang", "send u bang", "send u bang", "send u bang"},
                    {"d.0: 2", "d.0: 1", "d.1: 1", "d.0: 0", "d.1: 0", "d.0: 2", "u.0: 0", "u.0: 1",
                     "u.0: 2", "u.0: 1", "u.0: 0"}},
        BuiltinCase{"CounterMessagesSetTheNextCountAndTheDirection",
                    {"obj c counter 10", "print c 0", "send c set 8", "send c next", "send c jam 3",
                     "send c down", "send c bang", "send c reset", "send c up", "send c bang",
                     "send c min 5", "send c bang", "send c:1 4", "send c:1 1", "send c bang"},
                    {"c.0: 8", "c.0: 3", "c.0: 4", "c.0: 0", "c.0: 1",
                     "error: counter: the direction is 0 (up), 1 (down) or 2 (up and down)",
                     "c.0: 5"}},
        BuiltinCase{"CounterWithoutArgumentsCountsOnWithoutEnd",
                    {"obj c counter", "print c", "send c set 9223372036854775806", "send c bang",
                     "send c bang", "send c bang"},
                    {"c.0: 9223372036854775806", "c.0: 9223372036854775807", "c.0: 0"}},
        BuiltinCase{"AnUziFedItsOwnBangsIsCutOnceAndTheHostGoesOn",
                    // Every bang starts the loop again inside the loop: only the
                    // nesting limit ends it, and must end it for good.
                    {"obj u uzi 3", "obj e kt-echo", "connect u 0 u 0", "print e", "send u bang",
                     "send e 1"},
                    {"error: uzi: messages nested more than 1000 deep (a loop in the patch?); the "
                     "chain is abandoned",
                     "e.0: 1"}},
        BuiltinCase{"UziBangsNTimesEachAfterItsNumberThenItsEnd",
                    {"obj u uzi 2", "obj z uzi 2 0", "print u", "print z 2", "send u bang",
                     "send u 1", "send z bang", "send u:1 0", "send u bang"},
                    {"u.2: 1", "u.0: bang", "u.2: 2", "u.0: bang", "u.1: bang", "u.2: 1",
                     "u.0: bang", "u.1: bang", "z.2: 0", "z.2: 1", "u.1: bang"}},
        BuiltinCase{"UziBreaksAndPausesInsideItsLoop",
                    // The second number stops the loop; resume goes on from there.
                    {"obj u uzi 4", "obj s sel 2", "obj m message", "connect u 2 s 0",
                     "connect s 0 m 0", "connect m 0 u 0", "print u 2", "print u 1",
                     "send m set pause", "send u bang", "send m set break", "send u resume",
                     "send u bang"},
                    {"u.2: 1", "u.2: 2", "u.2: 3", "u.2: 4", "u.1: bang", "u.2: 1", "u.2: 2"}}),
    case_title);

TEST(Math, AnExpressionThatIsNotWellFormedRefusesTheBox) {
  const Result run = run_kithost({"-"}, "obj b expr 1 +\n");
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.out, Lines{"error: expr: missing operand at the end in \"1 +\""});
}

TEST(Math, RandomStaysInItsRangeAndRepeatsFromASeed) {
  Lines script{"obj r random 6 42", "print r", "obj one random", "print one", "send one bang"};
  for (int i = 0; i < 200; ++i)
    script.push_back("send r bang");
  script.insert(script.end(), {"send r seed 42", "send r bang", "send r:1 0", "send r bang"});
  std::string input;
  for (const auto &line : script)
    input += line + "\n";
  const Result run = run_kithost({"-"}, input);
  ASSERT_EQ(run.status, 0);
  ASSERT_EQ(run.out.size(), 203u);
  EXPECT_EQ(run.out[0], "one.0: 0");
  std::set<std::string> seen(run.out.begin() + 1, run.out.begin() + 201);
  EXPECT_EQ(seen,
            (std::set<std::string>{"r.0: 0", "r.0: 1", "r.0: 2", "r.0: 3", "r.0: 4", "r.0: 5"}));
  // The same seed starts the same numbers again.
  EXPECT_EQ(run.out[201], run.out[1]);
  EXPECT_EQ(run.out[202], "r.0: 0");
}

} // namespace
