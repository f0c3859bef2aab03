// The simulated device's model of projects, imports and targets.
#include "device.hpp"

#include <gtest/gtest.h>

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

} // namespace
