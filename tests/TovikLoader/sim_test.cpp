// TovikLoader against tovik-sim on loopback: the whole job as a user does it,
// and what the device made of each message.
#include "net.hpp"
#include "patch.hpp"

#include <gtest/gtest.h>

using kittest::Lines;
using kittest::long_atom;
using kittest::sym_atom;
using namespace loadertest;

namespace {

const char *const Project = "<WINDOW text=\"Main\">\n"
                            "  <FADER text=\"Volume\" osc=\"/vol\"/>\n"
                            "  <WINDOW text=\"Pads\">\n"
                            "    <BUTTON text=\"A\" osc=\"/pad/a\"/>\n"
                            "  </WINDOW>\n"
                            "</WINDOW>\n";

// A simulator on loopback and a loader object "t" sending to it.
class LoaderWithSim : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(sim.started());
    t = p.make("t", "TovikLoader @host 127.0.0.1 @port " + std::to_string(sim.tcp_port));
  }

  Sim sim{{"--bind", "127.0.0.1", "--udp-port", "0", "--tcp-port", "0"}};
  TempDir dir;
  kittest::Patch p;
  t_object *t = nullptr;
};

TEST_F(LoaderWithSim, LoadImportAndTargetReachTheDeviceModel) {

  p.send(t, "load " + dir.write("project.txt", Project));
  auto m = sim.wait_for("message");
  ASSERT_TRUE(m);
  EXPECT_EQ((*m)["kind"], "load");
  EXPECT_EQ((*m)["windows"], 2);
  EXPECT_EQ((*m)["controls"], 2);
  EXPECT_FALSE(m->contains("error")) << m->dump();

  p.send(t, 0, gensym("import"),
         {sym_atom(dir.write("more.txt", "<BUTTON text=\"B\" osc=\"/pad/b\"/>\n").c_str()),
          sym_atom("/Main/Pads")});
  m = sim.wait_for("message");
  ASSERT_TRUE(m);
  EXPECT_EQ((*m)["kind"], "import");
  EXPECT_EQ((*m)["path"], "/Main/Pads");
  EXPECT_EQ((*m)["controls"], 1);
  EXPECT_FALSE(m->contains("warnings")) << "the window path exists";

  p.send(t, 0, gensym("target"), {long_atom(2), long_atom(9000)});
  m = sim.wait_for("message");
  ASSERT_TRUE(m);
  EXPECT_EQ((*m)["target"], 2);
  EXPECT_EQ((*m)["ip"], "127.0.0.1");
  EXPECT_EQ((*m)["port"], 9000);

  EXPECT_EQ(p.take(), Lines(3, "t.1: bang"));
  const auto rest = sim.stop();
  ASSERT_FALSE(rest.empty());
  const auto &state = rest.back();
  EXPECT_EQ(state["event"], "state");
  EXPECT_EQ(state["windows"], (std::vector<std::string>{"/Main", "/Main/Pads"}));
  EXPECT_EQ(state["targets"][0]["ip"], "127.0.0.1");
}

TEST_F(LoaderWithSim, AProjectTheDeviceCannotReadStillGoesOutWhole) {
  // The loader passes file bytes untouched; the device says what is wrong.
  p.send(t, "load " + dir.write("broken.txt", "<WINDOW text=\"Main\">\n"));
  EXPECT_EQ(p.take(), (Lines{"t.1: bang"}));
  auto m = sim.wait_for("message");
  ASSERT_TRUE(m);
  EXPECT_EQ((*m)["error"], "<WINDOW text=\"Main\"> is not closed");
}

TEST_F(LoaderWithSim, SiblingAndTooDeepProjectsLeaveAWholeStateAtTheEnd) {
  std::string deep;
  for (int i = 0; i < 20000; ++i)
    deep += "<WINDOW text=\"w\">";
  p.send(t, "load " + dir.write("deep.txt", deep));
  auto m = sim.wait_for("message");
  ASSERT_TRUE(m);
  EXPECT_EQ((*m)["error"], "windows nested deeper than 64 levels");
  p.send(t, "load " + dir.write("siblings.txt",
                                "<WINDOW text=\"A\"><WINDOW text=\"B\"><X/></WINDOW>"
                                "<WINDOW text=\"C\"><X/></WINDOW><WINDOW text=\"D\"><X/></WINDOW>"
                                "</WINDOW>"));
  m = sim.wait_for("message");
  ASSERT_TRUE(m);
  EXPECT_FALSE(m->contains("error")) << m->dump();
  const auto rest = sim.stop();
  ASSERT_FALSE(rest.empty());
  EXPECT_EQ(rest.back()["windows"], (std::vector<std::string>{"/A", "/A/B", "/A/C", "/A/D"}));
  EXPECT_EQ(sim.exit_status(), 0);
}

} // namespace

// 127.0.0.999 read part by part with clamping would be 127.0.0.255, where
// this device listens: an address out of range must never reach it, as host
// or as target. The device counts only the two valid requests.
TEST(LoaderAddresses, AnAddressOutOfRangeIsRefusedNotClamped) {
  Sim sim({"--bind", "127.0.0.255", "--udp-port", "0", "--tcp-port", "0"});
  ASSERT_TRUE(sim.started());
  TempDir dir;
  kittest::Patch p;
  const std::string port = std::to_string(sim.tcp_port);
  auto *wrong = p.make("wrong", "TovikLoader @host 127.0.0.999 @port " + port);
  auto *right = p.make("right", "TovikLoader @host 127.0.0.255 @port " + port);
  const std::string f = dir.write("f.txt", "x");

  p.send(wrong, "load " + f);
  p.send(wrong, 0, gensym("target"), {long_atom(1), long_atom(9000)});
  EXPECT_EQ(p.take(), Lines(2, "wrong.0: error 1 \"couldn't read host argument\""));
  p.send(right, "load " + f);
  auto e = sim.wait_for("message");
  ASSERT_TRUE(e);
  EXPECT_EQ((*e)["kind"], "load");
  EXPECT_EQ(p.take(), (Lines{"right.1: bang"}));

  p.send(right, 0, gensym("target"), {long_atom(1), sym_atom("127.0.0.999"), long_atom(9000)});
  EXPECT_EQ(p.take(), (Lines{"right.0: error 1 \"couldn't read target address\""}));
  p.send(right, 0, gensym("target"), {long_atom(1), sym_atom("127.0.0.25"), long_atom(9000)});
  e = sim.wait_for("message");
  ASSERT_TRUE(e);
  EXPECT_EQ((*e)["ip"], "127.0.0.25");
  EXPECT_EQ(p.take(), (Lines{"right.1: bang"}));
  const auto rest = sim.stop();
  ASSERT_FALSE(rest.empty());
  EXPECT_EQ(rest.back()["messages"], 2) << rest.back().dump();
}
