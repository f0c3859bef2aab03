// The text form of words, atoms and messages.
#include "kit/text.hpp"

#include "ext.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

std::string kinds(std::string_view line) {
  std::string error;
  auto atoms = kit::parse_atoms(line, error);
  if (!atoms)
    return "error: " + error;
  std::string out;
  for (const t_atom &a : *atoms)
    out += a.a_type == A_LONG ? 'l' : a.a_type == A_FLOAT ? 'f' : 's';
  return out + " " + kit::format_atoms(*atoms);
}

TEST(Text, WordsSplitAtBlanksAndQuotesHoldThem) {
  std::string error;
  std::vector<bool> quoted;
  auto words = kit::split_words("  a\t\"b c\"  \"\" d\"e f\"g \"q\\\"\\\\x\\n\"", error, &quoted);
  ASSERT_TRUE(words) << error;
  EXPECT_EQ(*words, (std::vector<std::string>{"a", "b c", "", "de fg", "q\"\\x\\n"}));
  EXPECT_EQ(quoted, (std::vector<bool>{false, true, true, true, true}));
  EXPECT_FALSE(kit::split_words("send x \"open", error));
  EXPECT_EQ(error, "quote opened at column 8 is not closed");
  EXPECT_FALSE(kit::split_words("\"a\\\"", error));
}

TEST(Text, WordsBecomeLongsFloatsOrSymbols) {
  EXPECT_EQ(kinds("0 -12 007 9223372036854775807"), "llll 0 -12 7 9223372036854775807");
  EXPECT_EQ(kinds("1.5 -.5 2. 1e3 -2E-2"), "fffff 1.5 -0.5 2 1000 -0.02");
  EXPECT_EQ(kinds("99999999999999999999"), "f 1e+20");
  EXPECT_EQ(kinds("+5 - . 1e 1.2.3.4 0x10 inf nan 5a"),
            "sssssssss +5 - . 1e 1.2.3.4 0x10 inf nan 5a");
  // Beyond a float's range: too small is 0, too large an infinity of its sign.
  EXPECT_EQ(
      kinds("1e-400 -1e-400 0.0000e-99999999999999999999 1e999 -1e999 1e+99999999999999999999"),
      "ffffff 0 -0 0 inf -inf inf");
  EXPECT_EQ(kinds("123456e-330 0.000001e-320 1" + std::string(400, '0') + " -" +
                  std::string(400, '9') + ".5 " + "0." + std::string(400, '0') + "1"),
            "fffff 0 0 inf -inf 0");
  EXPECT_EQ(kinds("\"5\" \"\""), "ss 5 \"\"");
}

TEST(Text, MessagesAreMadeAsAMessageBoxWould) {
  std::string error;
  auto check = [&](std::string_view line, const char *selector, size_t count) {
    auto m = kit::parse_message(line, error);
    ASSERT_TRUE(m) << line << ": " << error;
    EXPECT_STREQ(m->selector->s_name, selector) << line;
    EXPECT_EQ(m->atoms.size(), count) << line;
  };
  check("42", "int", 1);
  check("-0.5", "float", 1);
  check("1 2 x", "list", 3);
  check("bang", "bang", 0);
  check("list 1", "list", 1);
  check("host 1.2.3.4", "host", 1);
  check("\"two words\" 1", "two words", 1);
  EXPECT_FALSE(kit::parse_message("   ", error));
  EXPECT_EQ(error, "empty message");
  EXPECT_FALSE(kit::parse_message("x \"y", error));
}

TEST(Text, MessagesPrintAsKithostPrintsThem) {
  std::vector<t_atom> atoms(3);
  atom_setlong(&atoms[0], 3);
  atom_setsym(&atoms[1], gensym("couldn't open file"));
  atom_setfloat(&atoms[2], 0.5);
  EXPECT_EQ(kit::format_message(gensym("error"), atoms), "error 3 \"couldn't open file\" 0.5");
  EXPECT_EQ(kit::format_message(gensym("list"), atoms), "3 \"couldn't open file\" 0.5");
  EXPECT_EQ(kit::format_message(gensym("list"), {}), "");
  EXPECT_EQ(kit::format_message(gensym("bang"), {}), "bang");
  atom_setsym(&atoms[0], gensym(""));
  atom_setsym(&atoms[1], gensym("a\"b\\c"));
  atom_setsym(&atoms[2], gensym("plain"));
  EXPECT_EQ(kit::format_atoms(atoms), "\"\" \"a\\\"b\\\\c\" plain");
  // The selector is a symbol like any other; a line break stays on the line.
  atom_setsym(&atoms[2], gensym("two\nlines\r"));
  EXPECT_EQ(kit::format_message(gensym("a b"), atoms),
            "\"a b\" \"\" \"a\\\"b\\\\c\" \"two\\nlines\\r\"");
  EXPECT_EQ(kit::format_message(gensym(""), {}), "\"\"");
  EXPECT_EQ(kit::format_message(gensym("x\\n\ny"), {}), "\"x\\\\n\\ny\"");

  const unsigned char bytes[] = {0xC0, 0xB7, 0x00, 0x0a};
  std::vector<t_atom> packet(2);
  atom_setlong(&packet[0], 4);
  atom_setlong(&packet[1], reinterpret_cast<t_atom_long>(bytes));
  EXPECT_EQ(kit::format_message(gensym("FullPacket"), packet), "FullPacket C0 B7 00 0A");
  atom_setlong(&packet[0], 0);
  EXPECT_EQ(kit::format_message(gensym("FullPacket"), packet), "FullPacket");
  atom_setlong(&packet[0], -1);
  EXPECT_EQ(kit::format_message(gensym("FullPacket"), packet),
            "FullPacket -1 " + std::to_string(reinterpret_cast<t_atom_long>(bytes)));
}

TEST(Text, HexBytes) {
  std::string error;
  auto bytes = kit::parse_hex("C0 b7 0007  ff", error);
  ASSERT_TRUE(bytes) << error;
  EXPECT_EQ(*bytes, (std::vector<unsigned char>{0xC0, 0xB7, 0x00, 0x07, 0xFF}));
  EXPECT_TRUE(kit::parse_hex("", error)->empty());
  EXPECT_FALSE(kit::parse_hex("C 0", error));
  EXPECT_EQ(error, "byte cut after the digit \"C\" at column 1");
  EXPECT_FALSE(kit::parse_hex("0G", error));
  EXPECT_EQ(error, "\"G\" is not a hex digit");
  EXPECT_FALSE(kit::parse_hex("123", error));
  EXPECT_FALSE(kit::parse_hex("C0 B", error, 10));
  EXPECT_EQ(error, "byte cut after the digit \"B\" at column 13");
}

TEST(Text, NulCharactersAreRefusedNotCut) {
  std::string error;
  EXPECT_FALSE(kit::split_words(std::string_view("send e ab\0cd", 12), error));
  EXPECT_EQ(error, "a NUL character at column 10");
  EXPECT_FALSE(kit::parse_atoms(std::string_view("\"x\0\"", 4), error));
  EXPECT_FALSE(kit::parse_message(std::string_view("\0", 1), error));
}

TEST(Text, WordsTellWhereTheyStart) {
  std::string error;
  std::vector<std::size_t> starts;
  auto words = kit::split_words(" a  \"b c\"\td", error, nullptr, &starts);
  ASSERT_TRUE(words) << error;
  EXPECT_EQ(starts, (std::vector<std::size_t>{1, 4, 10}));
}

TEST(Text, SymbolsAreInternedOnce) {
  EXPECT_EQ(gensym("kit"), gensym(std::string("kit").c_str()));
  EXPECT_NE(gensym("kit"), gensym("Kit"));
  EXPECT_EQ(gensym(nullptr), gensym(""));
}

// strncpy_zero and snprintf_zero, which objects write their hints with: a
// text longer than the buffer is cut, the buffer always ends with a zero
// byte, and nothing is written past its size.
TEST(HostStrings, CopiesAreCutToTheBufferAndEndWithAZero) {
  char buffer[8];
  std::memset(buffer, 'x', sizeof buffer);
  EXPECT_EQ(strncpy_zero(buffer, "abc", sizeof buffer), buffer);
  EXPECT_STREQ(buffer, "abc");

  std::memset(buffer, 'x', sizeof buffer);
  strncpy_zero(buffer, "0123456789", 4);
  EXPECT_STREQ(buffer, "012");
  EXPECT_EQ(buffer[4], 'x');
  strncpy_zero(buffer, "abc", 0);
  EXPECT_EQ(buffer[0], '0');

  std::memset(buffer, 'x', sizeof buffer);
  EXPECT_EQ(snprintf_zero(buffer, 4, "%d-%s", 12, "ab"), 5);
  EXPECT_STREQ(buffer, "12-");
  EXPECT_EQ(buffer[4], 'x');
}

} // namespace
