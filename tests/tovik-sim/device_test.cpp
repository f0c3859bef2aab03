// The simulated device's model of projects, imports and targets.
#include "device.hpp"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

using Paths = std::vector<std::string>;

const char *const Project = "<RESET/>\n"
                            "<!-- a comment -->\n"
                            "<WINDOW text=\"Main\">\n"
                            "  <FADER text=\"Volume\" osc=\"/vol\"/>\n"
                            "  <WINDOW text='Pads'>\n"
                            "    <BUTTON text=\"A\"/>\n"
                            "    <LABEL text=\"x\">some text</LABEL>\n"
                            "  </WINDOW>\n"
                            "</WINDOW>\n";

TEST(Device, LoadReplacesTheProject) {
  tovik::Device d;
  auto o = d.apply(Project);
  EXPECT_EQ(o.error, "");
  EXPECT_EQ(o.kind, "load");
  EXPECT_EQ(o.windows, 2);
  EXPECT_EQ(o.controls, 3);
  EXPECT_EQ(d.window_paths(), (Paths{"/Main", "/Main/Pads"}));
  o = d.apply("<RESET/>\n<WINDOW text=\"Other\">\n</WINDOW>\n");
  EXPECT_EQ(o.error, "");
  EXPECT_EQ(d.window_paths(), (Paths{"/Other"}));
  EXPECT_EQ(d.loads(), 2);
  EXPECT_EQ(d.apply("<RESET/>\n").windows, 0);
  EXPECT_TRUE(d.window_paths().empty());
}

TEST(Device, ImportCopiesIntoTheWindowPath) {
  tovik::Device d;
  d.apply(Project);
  auto o = d.apply("<WINDOW text=\"Main\">\n<WINDOW text=\"Pads\">\n<COPY>\n<BUTTON text=\"B\"/>\n"
                   "<WINDOW text=\"Sub\">\n</WINDOW>\n</COPY>\n</WINDOW>\n</WINDOW>\n");
  EXPECT_EQ(o.error, "");
  EXPECT_EQ(o.path, "/Main/Pads");
  EXPECT_EQ(o.controls, 1);
  EXPECT_EQ(o.windows, 1);
  EXPECT_TRUE(o.warnings.empty());
  EXPECT_EQ(d.window_paths(), (Paths{"/Main", "/Main/Pads", "/Main/Pads/Sub"}));
  EXPECT_EQ(d.project().child("Main")->child("Pads")->controls.size(), 3u);
  // A path that does not exist yet is made, with a warning; no path copies
  // into the top.
  o = d.apply("<WINDOW text=\"New\">\n<COPY>\n<X/></COPY>\n</WINDOW>\n");
  EXPECT_EQ(o.error, "");
  EXPECT_EQ(o.warnings,
            (std::vector<std::string>{"1 windows of the path did not exist and were made"}));
  o = d.apply("<COPY>\n<Y/></COPY>\n");
  EXPECT_EQ(o.path, "/");
  EXPECT_EQ(d.project().controls, (std::vector<std::string>{"<Y/>"}));
  EXPECT_EQ(d.imports(), 3);
}

TEST(Device, TargetsAreSetOneByOne) {
  tovik::Device d;
  auto o = d.apply("<OSC target=\"2\" ip=\"192.168.1.10\" port=\"900\"/>");
  EXPECT_EQ(o.error, "");
  EXPECT_EQ(o.summary(), "target 2 sends to 192.168.1.10 port 900");
  EXPECT_TRUE(d.targets()[2].set);
  EXPECT_FALSE(d.targets()[1].set);
  o = d.apply("<OSC target=\"7\" ip=\"host\" port=\"70000\"/>");
  EXPECT_EQ(o.error, "");
  EXPECT_EQ(o.warnings, (std::vector<std::string>{"port 70000 is outside 0..65535",
                                                  "ip \"host\" is not a dotted IPv4 address"}));
}

TEST(Device, MalformedPayloadsChangeNothing) {
  tovik::Device d;
  d.apply(Project);
  const std::pair<const char *, const char *> cases[] = {
      {"hello", "payload starts with neither <RESET/>, <WINDOW>, <COPY> nor <OSC>"},
      {"<RESET/>\n<WINDOW text=\"A\">\n", "<WINDOW text=\"A\"> is not closed"},
      {"<RESET/>\n</WINDOW>", "unexpected </WINDOW>"},
      {"<RESET/>\n<WINDOW>\n</WINDOW>", "<WINDOW> without a text attribute"},
      {"<RESET/>\n<A text=\"x\">", "<A> is not closed"},
      {"<RESET/>\n<A text=\"x></A>", "at byte 9: value of attribute text is not closed"},
      {"<RESET/>\n<A text=x/>", "at byte 9: value of attribute text is not quoted"},
      {"<RESET/>\n<A><B></A>", "</A> closes <B>"},
      {"<RESET/>\n<!-- open", "at byte 9: comment is not closed"},
      {"<WINDOW text=\"Main\">\n<X/></WINDOW>\n", "expected <COPY> after the window path"},
      {"<COPY>\n<X/>\n", "<COPY> is not closed"},
      {"<WINDOW text=\"Main\">\n<COPY>\n</COPY>\n", "expected </WINDOW> for the window path"},
      {"<COPY>\n</COPY>\n<X/>", "content after the closing tags"},
      {"<OSC target=\"8\" ip=\"1.2.3.4\" port=\"1\"/>", "target \"8\" is not a number from 0 to 7"},
      {"<OSC target=\"1\" ip=\"1.2.3.4\" port=\"x\"/>", "port \"x\" is not a number"},
      {"<OSC target=\"1\" ip=\"1.2.3.4\"/>", "<OSC/> needs the attributes target, ip and port"},
      {"<OSC target=\"1\" ip=\"1.2.3.4\" port=\"1\"/>\n<X/>", "content after the <OSC/> tag"},
  };
  for (const auto &[payload, why] : cases)
    EXPECT_EQ(d.apply(payload).error, why) << payload;
  EXPECT_EQ(d.window_paths(), (Paths{"/Main", "/Main/Pads"}));
  EXPECT_EQ(d.loads(), 1);
  EXPECT_EQ(d.imports(), 0);
  for (const auto &t : d.targets())
    EXPECT_FALSE(t.set);
}

TEST(Device, SiblingWindowsAreListedDepthFirst) {
  tovik::Device d;
  auto o =
      d.apply("<RESET/>\n<WINDOW text=\"A\"><WINDOW text=\"B\"><X/></WINDOW><WINDOW text=\"C\">"
              "<X/><WINDOW text=\"E\"></WINDOW></WINDOW><WINDOW text=\"D\"><X/></WINDOW>"
              "</WINDOW><WINDOW text=\"F\"></WINDOW>\n");
  EXPECT_EQ(o.error, "");
  EXPECT_EQ(o.windows, 6);
  EXPECT_EQ(d.window_paths(), (Paths{"/A", "/A/B", "/A/C", "/A/C/E", "/A/D", "/F"}));
  EXPECT_EQ(d.window_count(), 6);
  EXPECT_EQ(d.path_bytes(), 2u + 4 + 4 + 6 + 4 + 2);
}

// `depth` windows, each inside the one before, named "w".
std::string nested(int depth, const std::string &inner = "<X/>") {
  std::string s;
  for (int i = 0; i < depth; ++i)
    s += "<WINDOW text=\"w\">";
  s += inner;
  for (int i = 0; i < depth; ++i)
    s += "</WINDOW>";
  return s;
}

TEST(Device, AProjectBeyondTheLimitsIsMalformedAndChangesNothing) {
  const tovik::Limits limits{3, 5, 40};
  tovik::Device d(limits);
  ASSERT_EQ(d.apply("<RESET/>\n" + nested(3)).error, "");
  EXPECT_EQ(d.window_paths(), (Paths{"/w", "/w/w", "/w/w/w"}));
  const std::string deeper = "windows nested deeper than 3 levels";
  const std::string more = "more than 5 windows in the project";
  const std::string longer = "window paths longer than 40 bytes in all";
  const std::pair<std::string, std::string> cases[] = {
      {"<RESET/>\n" + nested(4), deeper},
      {"<RESET/>\n" + nested(2, nested(2)), deeper},
      {"<RESET/>\n" + nested(1, nested(1) + nested(1) + nested(1) + nested(1) + nested(1)), more},
      {"<RESET/>\n<WINDOW text=\"" + std::string(40, 'n') + "\"></WINDOW>", longer},
      // Imports count the project they go into: the path, what it makes
      // and the content.
      {nested(4, "<COPY>\n</COPY>\n"), deeper},
      {nested(2, "<COPY>\n" + nested(2) + "</COPY>\n"), deeper},
      {"<WINDOW text=\"a\"><WINDOW text=\"b\"><WINDOW text=\"c\"><COPY>\n</COPY>\n</WINDOW>"
       "</WINDOW></WINDOW>",
       more},
      {"<COPY>\n" + nested(1) + nested(1) + nested(1) + "</COPY>\n", more},
      {"<WINDOW text=\"" + std::string(30, 'n') + "\"><COPY>\n</COPY>\n</WINDOW>", longer},
      {nested(3, "<COPY>\n" + nested(0) + "</COPY>\n"), ""},
  };
  for (const auto &[payload, why] : cases)
    EXPECT_EQ(d.apply(payload).error, why) << payload;
  EXPECT_EQ(d.window_paths(), (Paths{"/w", "/w/w", "/w/w/w"}));
  // What is left fits exactly: two windows and 40 - 2 - 4 - 6 path bytes
  // ("/aaa..." and "/").
  auto o = d.apply("<COPY>\n<WINDOW text=\"" + std::string(26, 'a') + "\"></WINDOW></COPY>\n");
  EXPECT_EQ(o.error, "");
  o = d.apply("<COPY>\n<WINDOW text=\"\"></WINDOW></COPY>\n");
  EXPECT_EQ(o.error, "");
  EXPECT_EQ(d.window_count(), 5);
  EXPECT_EQ(d.path_bytes(), 40u);
  EXPECT_EQ(d.apply("<COPY>\n<WINDOW text=\"\"></WINDOW></COPY>\n").error, more);
  // A new project starts from nothing again.
  EXPECT_EQ(d.apply("<RESET/>\n" + nested(1)).error, "");
  EXPECT_EQ(d.window_count(), 1);
  EXPECT_EQ(d.path_bytes(), 2u);
}

TEST(Device, AVeryDeepProjectIsRefusedAtTheDefaultLimit) {
  tovik::Device d;
  EXPECT_EQ(d.apply("<RESET/>\n" + nested(64)).error, "");
  EXPECT_EQ(d.window_paths().size(), 64u);
  EXPECT_EQ(d.window_paths().back().size(), 128u);
  const auto o = d.apply("<RESET/>\n" + nested(200000));
  EXPECT_EQ(o.error, "windows nested deeper than 64 levels");
  EXPECT_EQ(d.window_count(), 64);
}

TEST(Device, ADeepTreeIsCountedAndFreedWithoutRecursing) {
  // Far deeper than any stack could recurse.
  auto top = std::make_unique<tovik::Window>();
  tovik::Window *at = top.get();
  for (int i = 0; i < 1000000; ++i) {
    at->children.push_back(std::make_unique<tovik::Window>());
    at->controls.push_back("<X/>");
    at = at->children.back().get();
  }
  EXPECT_EQ(top->window_count(), 1000000);
  EXPECT_EQ(top->control_count(), 1000000);
  top.reset();
}

} // namespace
