// Soak: 1,000 consecutive uploads from TovikLoader to tovik-sim on loopback,
// each one applied by the device model. Every upload ends with the loader's
// 100 ms pause, so the run takes a little under two minutes.
#include "soak_test.hpp"
#include "net.hpp"
#include "patch.hpp"

#include <gtest/gtest.h>

#include <string>

namespace {

using kittest::Lines;
using loadertest::Sim;
using loadertest::TempDir;

TEST(Soak, AThousandUploadsToTheDevice) {
  Sim sim({"--bind", "127.0.0.1", "--udp-port", "0", "--tcp-port", "0"});
  ASSERT_TRUE(sim.started());
  TempDir dir;
  kittest::Patch p;
  auto *t = p.make("t", "TovikLoader @host 127.0.0.1 @port " + std::to_string(sim.tcp_port));
  std::string project = "<WINDOW text=\"Main\">\n";
  for (int i = 0; i < 200; ++i)
    project += "  <FADER text=\"F" + std::to_string(i) + "\" osc=\"/f\"/>\n";
  project += "</WINDOW>\n";
  const std::string file = dir.write("project.txt", project);

  auto upload = [&](int i) {
    p.send(t, "load " + file);
    const Lines got = p.take();
    if (got != Lines{"t.1: bang"}) {
      ADD_FAILURE() << "upload " << i << ": " << ::testing::PrintToString(got);
      return false;
    }
    auto m = sim.wait_for("message");
    if (!m || (*m)["kind"] != "load" || (*m)["controls"] != 200 || m->contains("error")) {
      ADD_FAILURE() << "upload " << i << ": " << (m ? m->dump() : "no message");
      return false;
    }
    return true;
  };

  for (int i = 0; i < 10; ++i)
    ASSERT_TRUE(upload(i));
  const auto before = kittest::Holdings::now();
  constexpr int kUploads = 1000;
  for (int i = 0; i < kUploads; ++i)
    ASSERT_TRUE(upload(i));
  kittest::expect_no_growth(before, kittest::Holdings::now());
}

} // namespace
