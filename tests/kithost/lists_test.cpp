// The list boxes: pack and pak, unpack, prepend and append, iter, sprintf
// and every mode of zl, as their messages and inlets are documented.
#include "builtin_case.hpp"

using namespace kithost_test;

namespace {

INSTANTIATE_TEST_SUITE_P(
    Lists, BuiltinScripts,
    ::testing::Values(
        BuiltinCase{"PackSendsFromTheLeftInletAndKeepsTheOthers",
                    {"obj p pack 0 0. s", "obj d pack", "print p", "print d", "send p:1 3",
                     "send p:2 symbol x", "send p 2.5", "send p list 1 2 y", "send p:1 list 7 z",
                     "send p bang", "send p set 9", "send p:1 bang", "send p bang", "send p:2 5",
                     "send d 4"},
                    {"p.0: 2 3 x", "p.0: 1 2 y", "p.0: 1 7 z", "p.0: 9 7 z",
                     "error: pack: element 3 takes a symbol", "d.0: 4 0"}},
        BuiltinCase{"PackStartingWithASymbolSendsThatSelector",
                    {"obj p pack set 0", "print p", "send p:1 5", "send p bang"},
                    {"p.0: set 5"}},
        BuiltinCase{"PakSendsFromEveryInlet",
                    {"obj p pak 0 0", "print p", "send p:1 3", "send p 1", "send p:1 2.9"},
                    {"p.0: 0 3", "p.0: 1 3", "p.0: 1 2"}},
        BuiltinCase{"UnpackSendsRightToLeftInItsOutletsKinds",
                    {"obj u unpack 0 f s", "print u", "send u list 1.5 2 z", "send u foo 3",
                     "send u 7", "send u list 1 2 3 4"},
                    {"u.2: symbol z", "u.1: 2", "u.0: 1", "u.1: 3",
                     "error: unpack: element 1 is not a number", "u.0: 7",
                     "error: unpack: element 3 is not a symbol", "u.1: 2", "u.0: 1"}},
        BuiltinCase{"PrependAndAppendPutTheirAtomsAroundTheMessage",
                    {"obj p prepend set", "obj a append x 1", "print p", "print a", "send p 5",
                     "send p foo 1", "send p list 1 2", "send p symbol s", "send p bang",
                     "send a 5", "send a foo", "send p:1 list 9", "send p 3", "send a:1 bar",
                     "send a 2"},
                    {"p.0: set 5", "p.0: set foo 1", "p.0: set 1 2", "p.0: set s", "p.0: set",
                     "a.0: 5 x 1", "a.0: foo x 1", "p.0: 9 3", "a.0: 2 bar"}},
        BuiltinCase{"IterSendsTheAtomsOneByOne",
                    {"obj i iter", "print i", "send i list 1 foo 2.5", "send i bar 3", "send i 4"},
                    {"i.0: 1", "i.0: foo", "i.0: 2.5", "i.0: bar", "i.0: 3", "i.0: 4"}},
        BuiltinCase{"SprintfFillsItsConversionsFromItsInlets",
                    {"obj s sprintf set %d:%s %.2f", "print s", "send s:1 foo", "send s:2 3",
                     "send s 7.9", "send s list 1 bar 0.5", "send s bang", "send s:2 x"},
                    {"s.0: set 7:foo 3", "s.0: set 1:bar 0.5", "s.0: set 1:bar 0.5"}},
        BuiltinCase{"SprintfFormatsAsPrintfDoes",
                    {"obj a sprintf %05.1f%%", "obj b sprintf symout %-4d|%x|%c|%s", "print a",
                     "print b", "send a 3.14159", "send b list 42 255 65 \"two words\"",
                     "send b 1e300", "send b:1 -1", "send b bang"},
                    {"a.0: 003.1%", "b.0: symbol \"42  |ff|A|two words\"",
                     "b.0: symbol \"9223372036854775807|ff|A|two words\"",
                     "b.0: symbol \"9223372036854775807|ffffffffffffffff|A|two words\""}},
        BuiltinCase{"SprintfWithoutConversionsSendsItsText",
                    {"obj s sprintf hello world", "obj p sprintf symout 100%%", "print s",
                     "print p", "send s bang", "send s 5", "send p bang"},
                    {"s.0: hello world", "s.0: hello world", "p.0: symbol 100%"}},
        BuiltinCase{"ZlGroupCollectsAndABangSendsWhatIsThere",
                    {"obj z zl group 3", "print z 0", "send z 1 2", "send z 3 4", "send z bang",
                     "send z bang", "send z:1 1", "send z foo"},
                    {"z.0: 1 2 3", "z.0: 4", "z.0: foo"}},
        BuiltinCase{"ZlIterJoinLenRev",
                    {"obj i zl.iter 2", "obj j zl join", "obj l zl.len", "obj r zl rev",
                     "print i 0", "print j 0", "print l 0", "print r 0", "send i 1 2 3 4 5",
                     "send j:1 x y", "send j 1 2", "send j bang", "send l 1 2 3", "send l foo",
                     "send r 1 2 3"},
                    {"i.0: 1 2", "i.0: 3 4", "i.0: 5", "j.0: 1 2 x y", "j.0: 1 2 x y", "l.0: 3",
                     "l.0: 1", "r.0: 3 2 1"}},
        BuiltinCase{"ZlNthSliceSortReg",
                    {"obj n zl nth 2",   "obj s zl.slice 2",   "obj o zl sort",
                     "obj d zl sort -1", "obj g zl reg",       "print n",
                     "print s",          "print o 0",          "print d 0",
                     "print g 0",        "send n a b c",       "send n a",
                     "send n:1 -1",      "send n a b c",       "send s 1 2 3",
                     "send s 1",         "send o 3 b 1 a 2.5", "send d 3 b 1 a 2.5",
                     "send g:1 5 6",     "send g bang",        "send g 7",
                     "send g bang"},
                    {"n.0: b", "n.1: a", "n.0: c", "s.1: 3", "s.0: 1 2", "s.0: 1",
                     "o.0: 1 2.5 3 a b", "d.0: b a 3 2.5 1", "g.0: 5 6", "g.0: 7", "g.0: 7"}}),
    case_title);

TEST(Lists, UnknownZlModesAndBadFormatsAreRefused) {
  for (const auto &[box, reason] : std::vector<std::pair<std::string, std::string>>{
           {"zl frobnicate", "error: zl: no mode \"frobnicate\""},
           {"zl", "error: zl: the first argument names the mode (group, iter, join, len, nth, "
                  "reg, rev, slice, sort)"},
           {"sprintf %q", "error: sprintf: the format has the conversion %q is not supported"},
           {"sprintf %999d", "error: sprintf: the format has a width or precision above 256"},
           {"sprintf %", "error: sprintf: the format has a conversion cut off at the end"}}) {
    const Result run = run_kithost({"-"}, "obj z " + box + "\n");
    EXPECT_EQ(run.status, 2) << box;
    EXPECT_EQ(run.out, Lines{reason}) << box;
  }
}

} // namespace
