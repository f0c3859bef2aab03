// The user interface boxes as headless stand-ins: each keeps its value and
// passes it on as the host's box does; a patcher's saved attributes set
// their ranges and items.
#include "builtin_case.hpp"

using namespace kithost_test;

namespace {

class UserInterface : public ::testing::TestWithParam<BuiltinCase> {};

TEST_P(UserInterface, Script) {
  expect_printed(GetParam());
}

INSTANTIATE_TEST_SUITE_P(
    Builtins, UserInterface,
    ::testing::Values(
        BuiltinCase{"NumberKeepsAnIntClippedToItsRange",
                    {"obj n number", "print n 0", "send n 2.9", "send n set -4", "send n bang",
                     "send n minimum 0", "send n max 10", "send n 99", "send n -3",
                     "send n max none", "send n 99", "send n list 7 8"},
                    {"n.0: 2", "n.0: -4", "n.0: 10", "n.0: 0", "n.0: 99", "n.0: 7"}},
        BuiltinCase{"FlonumKeepsAFloat",
                    {"obj f flonum", "print f 0", "send f 3", "send f min 0.5", "send f 0.25",
                     "send f set 7.5", "send f bang"},
                    {"f.0: 3", "f.0: 0.5", "f.0: 7.5"}},
        BuiltinCase{"LiveNumboxKeepsAFloatFrom0To127AndSendsItsPlaceFirst",
                    {"obj l live.numbox", "print l", "send l 63.5", "send l 200",
                     "send l parameter_type 1", "send l 3.7", "send l parameter_mmax 10",
                     "send l bang"},
                    {"l.1: 0.5", "l.0: 63.5", "l.1: 1", "l.0: 127", "l.1: 0.023622", "l.0: 3",
                     "l.1: 0.3", "l.0: 3"}},
        BuiltinCase{"ToggleIsZeroOrOneAndABangFlipsIt",
                    {"obj t toggle", "print t", "send t 5", "send t 0", "send t bang",
                     "send t -0.5", "send t set 0", "send t bang"},
                    {"t.0: 1", "t.0: 0", "t.0: 1", "t.0: 1", "t.0: 1"}},
        BuiltinCase{"ButtonBangsForAnything",
                    {"obj b button", "print b", "send b 5", "send b foo 1", "send b list 1 2"},
                    {"b.0: bang", "b.0: bang", "b.0: bang"}},
        BuiltinCase{"SliderClipsToItsSizeFromItsMinimum",
                    {"obj s slider", "print s", "send s 200", "send s -5", "send s 12.7",
                     "send s size 10", "send s min 5", "send s bang", "send s 100",
                     "send s floatoutput 1", "send s 15.5", "send s 14.5"},
                    {"s.0: 127", "s.0: 0", "s.0: 12", "s.0: 9", "s.0: 14", "s.0: 15", "s.0: 14.5"}},
        BuiltinCase{"DialIsASlider",
                    {"obj d dial", "print d", "send d 300", "send d set 3", "send d bang"},
                    {"d.0: 127", "d.0: 3"}},
        BuiltinCase{
            "UmenuChoosesItemsByNumberAndText",
            {"obj u umenu", "print u", "send u items alpha , \"two words\" , 3 , beta gamma",
             "send u 1", "send u 2", "send u 3", "send u 9", "send u symbol alpha", "send u set 1",
             "send u bang", "send u delete 0", "send u bang", "send u append last", "send u 3",
             "send u insert 0 first", "send u 0", "send u clear", "send u 0", "send u bang"},
            {"u.1: \"two words\"", "u.0: 1", "u.1: 3", "u.0: 2", "u.1: beta gamma", "u.0: 3",
             "u.1: alpha", "u.0: 0", "u.1: \"two words\"", "u.0: 1", "u.1: \"two words\"", "u.0: 0",
             "u.1: last", "u.0: 3", "u.1: first", "u.0: 0"}},
        BuiltinCase{"TextbuttonBangsOrToggles",
                    {"obj b textbutton", "print b", "send b 1", "send b anything", "send b mode 1",
                     "send b bang", "send b 0", "send b set 1", "send b bang"},
                    {"b.0: bang", "b.0: bang", "b.1: 1", "b.1: 0", "b.1: 0"}},
        BuiltinCase{"AttruiSendsItsAttributeWithTheValue",
                    {"obj a attrui", "print a", "send a 5", "send a attr port", "send a 8002",
                     "send a 127.0.0.1", "send a list 1 2", "send a set 9", "send a bang"},
                    {"error: attrui: no attribute chosen (attr)", "a.0: port 8002",
                     "a.0: port 127.0.0.1", "a.0: port 1 2", "a.0: port 9"}},
        BuiltinCase{"MultisliderKeepsItsSlidersClipped",
                    {"obj m multislider", "print m 0", "send m 5.5", "send m size 3",
                     "send m list 1 200 -4", "send m setminmax 0 10", "send m bang",
                     "send m settype 0", "send m list 2.7 3 4 5", "send m set 1 x", "send m bang"},
                    {"m.0: 5.5", "m.0: 1 127 0", "m.0: 1 10 0", "m.0: 2 3 4",
                     "error: multislider: slider 2: not a number", "m.0: 1 3 4"}},
        BuiltinCase{"KsliderSendsTheNoteWithTheLastVelocity",
                    {"obj k kslider", "print k", "send k 60", "send k:1 100", "send k 62",
                     "send k set 64", "send k bang"},
                    {"k.1: 0", "k.0: 60", "k.1: 100", "k.0: 62", "k.1: 100", "k.0: 64"}},
        BuiltinCase{"DecorationTakesAnythingAndSaysNothing",
                    {"obj c comment", "obj p panel", "obj s swatch", "obj f fpic", "print s",
                     "send c bang", "send p 1 2", "send s list 255 0 0", "send f read x.png"},
                    {}}),
    case_title);

TEST(UserInterface, APatchersSavedAttributesSetRangesAndItems) {
  TempDir dir;
  const auto patch = dir.write("ui.maxpat", R"({"patcher": {"boxes": [
    {"box": {"id": "lb", "maxclass": "newobj", "text": "loadbang"}},
    {"box": {"id": "n", "maxclass": "number", "minimum": 0, "maximum": 10}},
    {"box": {"id": "m", "maxclass": "message", "text": "2, 50"}},
    {"box": {"id": "u", "maxclass": "umenu", "items": ["red", ",", "green", ",", 70]}},
    {"box": {"id": "s", "maxclass": "slider", "size": 1.0, "floatoutput": 1}},
    {"box": {"id": "l", "maxclass": "live.numbox",
             "saved_attribute_attributes": {"valueof": {"parameter_mmax": 20.0}}}},
    {"box": {"id": "c", "maxclass": "comment", "text": "a note"}},
    {"box": {"id": "p", "maxclass": "newobj", "text": "print out"}}],
  "lines": [
    {"patchline": {"source": ["lb", 0], "destination": ["m", 0]}},
    {"patchline": {"source": ["m", 0], "destination": ["n", 0]}},
    {"patchline": {"source": ["n", 0], "destination": ["u", 0]}},
    {"patchline": {"source": ["u", 1], "destination": ["s", 0]}},
    {"patchline": {"source": ["u", 1], "destination": ["l", 0]}},
    {"patchline": {"source": ["u", 1], "destination": ["p", 0]}},
    {"patchline": {"source": ["s", 0], "destination": ["p", 0]}},
    {"patchline": {"source": ["l", 0], "destination": ["p", 0]}},
    {"patchline": {"source": ["u", 2], "destination": ["c", 0]}}]}}
)");
  const Result run = run_kithost({"--modules", test_modules(), patch.string()});
  EXPECT_EQ(run.status, 0) << ::testing::PrintToString(run.err);
  // 2 chooses 70; 50, clipped to 10, is out of the menu's range. The fan-out
  // goes rightmost first, which is the file's order here.
  EXPECT_EQ(run.out, (Lines{"post: out: 1", "post: out: 20", "post: out: 70"}));
}

} // namespace
