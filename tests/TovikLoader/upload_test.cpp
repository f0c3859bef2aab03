// TovikLoader's uploads (load, import) and target messages to a device given
// by its address, on loopback: the exact bytes on the wire, the outlets and
// every error a patch can meet.
#include "loopback.hpp"
#include "net.hpp"
#include "patch.hpp"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <netinet/in.h>
#include <string>
#include <sys/socket.h>
#include <unistd.h>

using kittest::Lines;
using kittest::long_atom;
using kittest::sym_atom;
using namespace loadertest;

namespace {

class Upload : public ::testing::Test {
protected:
  t_object *make(int port, const std::string &extra = {}) {
    return p.make("t", "TovikLoader @host 127.0.0.1 @port " + std::to_string(port) + extra);
  }
  t_object *make() { return make(device.port()); }

  // Sends a message and returns the one connection it made.
  std::string upload(t_object *x, const std::string &message) {
    p.send(x, message);
    auto got = device.wait(++expected);
    return got.size() == expected ? got.back() : std::string("(nothing received)");
  }
  std::string upload(t_object *x, const char *selector, std::vector<t_atom> atoms) {
    p.send(x, 0, gensym(selector), std::move(atoms));
    auto got = device.wait(++expected);
    return got.size() == expected ? got.back() : std::string("(nothing received)");
  }

  kittest::Patch p;
  Listener device;
  TempDir dir;
  std::size_t expected = 0;
};

TEST_F(Upload, LoadOfAnEmptyFileIsTheSmallestMessage) {
  auto *t = make();
  const std::string file = dir.write("empty.txt", "");
  const std::string got = upload(t, "load " + file);
  const std::string want("\x00\x00\x00\x1C"
                         "/vxdl\x00\x00\x00"
                         ",b\x00\x00"
                         "\x00\x00\x00\x09"
                         "<RESET/>\n"
                         "\x00\x00\x00",
                         32);
  EXPECT_EQ(hex(got), hex(want));
  EXPECT_EQ(p.take(), (Lines{"t.1: bang"}));
}

TEST_F(Upload, PayloadOfAMultipleOfFourGetsFourClosingZeros) {
  auto *t = make();
  const std::string got = upload(t, "load " + dir.write("abc.txt", "abc"));
  ASSERT_EQ(got.size(), 36u);
  EXPECT_EQ(hex(got.substr(0, 4)), "00 00 00 20");
  EXPECT_EQ(hex(got.substr(16, 4)), "00 00 00 0C");
  EXPECT_EQ(got.substr(20, 12), "<RESET/>\nabc");
  EXPECT_EQ(hex(got.substr(32)), "00 00 00 00");
}

TEST_F(Upload, FileBytesAreSentUntouched) {
  auto *t = make();
  const std::string content("line\r\nzero\x00byte\xFF<tag a=\"1\"/>\n", 27);
  const std::string got = upload(t, "load " + dir.write("bin.txt", content));
  EXPECT_EQ(hex(got), hex(frame("<RESET/>\n" + content)));
  EXPECT_EQ(p.take(), (Lines{"t.1: bang"}));
}

TEST_F(Upload, ImportWrapsTheFileInCopyAndWindowTags) {
  auto *t = make();
  const std::string f = dir.write("part.txt", "<BUTTON text=\"Go\"/>\n");
  const std::string copy = "<COPY>\n<BUTTON text=\"Go\"/>\n</COPY>\n";
  auto import = [&](std::vector<t_atom> atoms) { return upload(t, "import", std::move(atoms)); };
  auto file = sym_atom(f.c_str());

  EXPECT_EQ(import({file}), frame(copy)) << "no path";
  EXPECT_EQ(
      import({file, sym_atom("/Main/Pads")}),
      frame("<WINDOW text=\"Main\">\n<WINDOW text=\"Pads\">\n" + copy + "</WINDOW>\n</WINDOW>\n"))
      << "path with a leading slash";
  EXPECT_EQ(import({file, sym_atom("a//b")}), frame("<WINDOW text=\"a\">\n" + copy + "</WINDOW>\n"))
      << "an empty element ends the path";
  EXPECT_EQ(import({file, sym_atom("Main/")}),
            frame("<WINDOW text=\"Main\">\n" + copy + "</WINDOW>\n"))
      << "a trailing slash adds nothing";
  EXPECT_EQ(
      import({file, sym_atom("\"My Pads\"/x y")}),
      frame("<WINDOW text=\"My Pads\">\n<WINDOW text=\"x y\">\n" + copy + "</WINDOW>\n</WINDOW>\n"))
      << "quoted element";
  EXPECT_EQ(import({file, sym_atom("Main"), sym_atom("more")}), frame(copy))
      << "three atoms: no path";
  EXPECT_EQ(import({file, long_atom(5)}), frame(copy)) << "a number is no path";
  EXPECT_EQ(import({file, sym_atom("/")}), frame(copy)) << "a lone slash is no path";
  EXPECT_EQ(p.take(), Lines(8, "t.1: bang"));
}

TEST_F(Upload, ImportWithoutAFileSymbolDoesNothing) {
  auto *t = make();
  p.send(t, 0, gensym("import"), {});
  p.send(t, 0, gensym("import"), {long_atom(3)});
  p.send(t, 0, gensym("import"), {long_atom(3), sym_atom("Main")});
  EXPECT_EQ(p.take(), Lines{});
  EXPECT_TRUE(device.received().empty());
}

TEST_F(Upload, AWindowPathTooLongForTheWrapperIsRefusedWhole) {
  auto *t = make();
  std::string path;
  for (int i = 0; i < 30; ++i)
    path += "/window" + std::to_string(i);
  p.send(t, 0, gensym("import"),
         {sym_atom(dir.write("f.txt", "x").c_str()), sym_atom(path.c_str())});
  EXPECT_EQ(p.take(), (Lines{"t.0: error 3 \"window path too long\""}));
  // A path that just fits still goes out.
  const std::string got =
      upload(t, "import", {sym_atom(dir.write("g.txt", "x").c_str()), sym_atom("a/b/c/d/e/f/g/h")});
  EXPECT_NE(got.find("<WINDOW text=\"h\">\n<COPY>\nx</COPY>\n"), std::string::npos);
}

TEST_F(Upload, AWrapperThatJustFitsGoesOutAndOneCharacterMoreIsRefused) {
  auto *t = make();
  const std::string f = dir.write("f.txt", "x");
  // 24 levels of "<WINDOW text=\"wxyz\">\n" (21 characters) and "<COPY>\n":
  // 511 characters, all the prefix's buffer holds.
  std::string path, prefix;
  for (int i = 0; i < 24; ++i) {
    path += "/wxyz";
    prefix += "<WINDOW text=\"wxyz\">\n";
  }
  prefix += "<COPY>\n";
  ASSERT_EQ(prefix.size(), 511u);
  const std::string got = upload(t, "import", {sym_atom(f.c_str()), sym_atom(path.c_str())});
  EXPECT_EQ(got.substr(20, prefix.size() + 1), prefix + "x");
  EXPECT_EQ(p.take(), Lines{"t.1: bang"});
  p.send(t, 0, gensym("import"), {sym_atom(f.c_str()), sym_atom((path + "w").c_str())});
  EXPECT_EQ(p.take(), (Lines{"t.0: error 3 \"window path too long\""}));
  // A word longer than its buffer is refused, not cut.
  p.send(t, 0, gensym("import"), {sym_atom(f.c_str()), sym_atom(std::string(600, 'w').c_str())});
  EXPECT_EQ(p.take(), (Lines{"t.0: error 3 \"window path too long\""}));
  // Without a host the missing host is what is reported.
  auto *n = p.make("n", "TovikLoader");
  p.send(n, 0, gensym("import"), {sym_atom(f.c_str()), sym_atom((path + "w").c_str())});
  EXPECT_EQ(p.take(), (Lines{"n.0: error 1 \"missing host argument\""}));
  EXPECT_EQ(device.received().size(), 1u);
}

TEST_F(Upload, TargetWithAnAddressSendsItUnchanged) {
  auto *t = make();
  const std::string got =
      upload(t, "target", {long_atom(2), sym_atom("127.10.10.10"), long_atom(900)});
  const std::string payload = "<OSC target=\"2\" ip=\"127.10.10.10\" port=\"900\"/>";
  ASSERT_EQ(payload.size(), 46u);
  ASSERT_EQ(got.size(), 68u);
  EXPECT_EQ(hex(got.substr(0, 4)), "00 00 00 40");
  EXPECT_EQ(got, frame(payload));
  EXPECT_EQ(upload(t, "target", {long_atom(7), sym_atom("127.0.0.2"), long_atom(70000)}),
            frame("<OSC target=\"7\" ip=\"127.0.0.2\" port=\"70000\"/>"))
      << "no range check of the port";
  EXPECT_EQ(upload(t, "target", {long_atom(0), sym_atom("127.0.0.3"), long_atom(-1), long_atom(9)}),
            frame("<OSC target=\"0\" ip=\"127.0.0.3\" port=\"-1\"/>"))
      << "atoms after the port are ignored";
  EXPECT_EQ(p.take(), Lines(3, "t.1: bang"));
}

TEST_F(Upload, ATargetAddressThatIsNotExactlyOneIsRefused) {
  auto *t = make();
  for (const char *address : {"not an address", "h", "127.0.0.999", "127.0.0.01", "0x7f.0.0.1",
                              "127.0.0", " 127.0.0.1", "1234567890.123456"}) {
    p.send(t, 0, gensym("target"), {long_atom(1), sym_atom(address), long_atom(9000)});
    EXPECT_EQ(p.take(), (Lines{"t.0: error 1 \"couldn't read target address\""})) << address;
  }
  EXPECT_TRUE(device.received().empty());
}

TEST_F(Upload, TargetWithoutAnAddressFillsInTheLocalOne) {
  // The device is on 127.0.0.1: the loopback interface is on its network.
  auto *t = make();
  EXPECT_EQ(upload(t, "target", {long_atom(3), long_atom(9000)}),
            frame("<OSC target=\"3\" ip=\"127.0.0.1\" port=\"9000\"/>"));
  EXPECT_EQ(p.take(), (Lines{"t.1: bang"}));
}

TEST_F(Upload, MalformedTargetsAreIgnoredWithoutAReport) {
  auto *t = make();
  const std::vector<std::vector<t_atom>> malformed = {
      {},
      {long_atom(1)},
      {long_atom(8), long_atom(9000)},
      {long_atom(-1), long_atom(9000)},
      {kittest::float_atom(1.0), long_atom(9000)},
      {long_atom(1), kittest::float_atom(9000.0)},
      {sym_atom("1"), long_atom(9000)},
      {long_atom(1), sym_atom("127.0.0.1")},
      {long_atom(1), long_atom(2), long_atom(9000)},
      {long_atom(1), sym_atom("127.0.0.1"), sym_atom("9000")},
  };
  for (const auto &atoms : malformed)
    p.send(t, 0, gensym("target"), atoms);
  EXPECT_EQ(p.take(), Lines{});
  // A 15-character address is the longest that fits, and goes out whole.
  EXPECT_EQ(upload(t, "target", {long_atom(1), sym_atom("255.255.255.255"), long_atom(1)}),
            frame("<OSC target=\"1\" ip=\"255.255.255.255\" port=\"1\"/>"));
  EXPECT_EQ(device.received().size(), 1u);
}

TEST_F(Upload, WithoutHostOrPortEveryMessageIsRefused) {
  auto *none = p.make("n", "TovikLoader");
  auto *zero = make(0);
  const std::string f = dir.write("f.txt", "x");
  for (auto *x : {none, zero}) {
    p.send(x, "load " + f);
    p.send(x, 0, gensym("import"), {sym_atom(f.c_str())});
    p.send(x, 0, gensym("target"), {long_atom(1), long_atom(9000)});
  }
  const std::string missing = ".0: error 1 \"missing host argument\"";
  EXPECT_EQ(p.take(), (Lines{"n" + missing, "n" + missing, "n" + missing, "t" + missing,
                             "t" + missing, "t" + missing}));
  EXPECT_TRUE(device.received().empty());
}

TEST_F(Upload, AHostThatIsNoAddressIsReportedAtSendTime) {
  const std::string f = dir.write("f.txt", "x");
  // 127.0.0.01 and 0x7f.0.0.1 would be this device's address read loosely.
  for (const char *host : {"Auto", "\"auto \"", "tovik.local", "0.0.0.0", "127.0.0.01",
                           "0x7f.0.0.1", "\"127.0.0.1 \"", "127.0.0"}) {
    auto *t = p.make("t", std::string("TovikLoader @host ") + host + " @port " +
                              std::to_string(device.port()));
    p.send(t, "load " + f);
    p.send(t, 0, gensym("target"), {long_atom(1), long_atom(9000)});
    p.send(t, 0, gensym("target"), {long_atom(1), sym_atom("127.0.0.2"), long_atom(9000)});
    const std::string error = "t.0: error 1 \"couldn't read host argument\"";
    EXPECT_EQ(p.take(), (Lines{error, error, error})) << host;
    p.free(t);
  }
  EXPECT_TRUE(device.received().empty());
}

TEST_F(Upload, FilesThatCannotBeReadAreRefused) {
  auto *t = make();
  const std::string cant = "t.0: error 3 \"couldn't open file\"";
  p.send(t, "load " + dir.path() + "/missing.txt");
  p.send(t, "load " + dir.path()); // a folder opens but does not read
  p.send(t, 0, gensym("load"), {sym_atom(std::string(600, 'x').c_str())});
  p.send(t, 0, gensym("import"), {sym_atom("no-such-file.txt"), sym_atom("Main")});
  EXPECT_EQ(p.take(), (Lines{cant, cant, cant, cant}));
  EXPECT_TRUE(device.received().empty());
  // The slot is free afterwards.
  EXPECT_EQ(upload(t, "load " + dir.write("ok.txt", "ok")), frame("<RESET/>\nok"));
}

TEST_F(Upload, ALongNameThatOpensNativelyIsFine) {
  auto *t = make();
  std::string sub = dir.path();
  while (sub.size() < 600) {
    sub += "/" + std::string(100, 'd');
    std::filesystem::create_directory(sub);
  }
  const std::string f = sub + "/project.txt";
  std::ofstream(f) << "deep";
  EXPECT_EQ(upload(t, "load", {sym_atom(f.c_str())}), frame("<RESET/>\ndeep"));
}

TEST_F(Upload, AFileIsFoundThroughTheHostSearchPath) {
  auto *t = make();
  TempDir search;
  search.write("found-by-host.txt", "<LABEL text=\"hi\"/>\n");
  p.host().add_search_path(search.path());
  EXPECT_EQ(upload(t, "load found-by-host.txt"), frame("<RESET/>\n<LABEL text=\"hi\"/>\n"));
  EXPECT_EQ(upload(t, "import", {sym_atom("found-by-host.txt"), sym_atom("Main")}),
            frame("<WINDOW text=\"Main\">\n<COPY>\n<LABEL text=\"hi\"/>\n</COPY>\n</WINDOW>\n"));
  EXPECT_EQ(p.take(), Lines(2, "t.1: bang"));
}

TEST_F(Upload, TheBangComesAfterTheWholeMessageAndAPause) {
  auto *t = make();
  const std::string f = dir.write("f.txt", std::string(100000, 'p'));
  const auto start = std::chrono::steady_clock::now();
  p.send(t, "load " + f);
  const auto took = std::chrono::steady_clock::now() - start;
  EXPECT_EQ(p.take(), (Lines{"t.1: bang"}));
  EXPECT_GE(took, std::chrono::milliseconds(100));
  const auto got = device.wait(1);
  ASSERT_EQ(got.size(), 1u);
  EXPECT_EQ(got[0], frame("<RESET/>\n" + std::string(100000, 'p')));
}

TEST_F(Upload, APortThatRefusesFailsAtTheFirstSend) {
  auto *t = make(refused_port());
  const std::string f = dir.write("f.txt", "x");
  p.send(t, "load " + f);
  p.send(t, 0, gensym("target"), {long_atom(1), sym_atom("127.0.0.2"), long_atom(9000)});
  const std::string cant = "t.0: error 4 \"couldn't send data to Tovik\"";
  EXPECT_EQ(p.take(), (Lines{cant, cant}));
}

TEST_F(Upload, AConnectionNotMadeInTimeIsReportedOnStandardOutput) {
  // A listener that never accepts: once its backlog is full, connections
  // wait unanswered until the loader gives up.
  Listener full(false, 0);
  std::vector<int> fillers;
  for (int i = 0; i < 2; ++i) {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
    kittest::connect_loopback(fd, full.port());
    fillers.push_back(fd);
  }
  auto *t = make(full.port());
  testing::internal::CaptureStdout();
  p.send(t, "load " + dir.write("f.txt", "x"));
  const std::string out = testing::internal::GetCapturedStdout();
  for (int fd : fillers)
    close(fd);
  EXPECT_NE(out.find("connection failed\n"), std::string::npos) << out;
  EXPECT_EQ(p.take(), Lines{});
  // The slot is free again.
  auto *u = make();
  EXPECT_EQ(upload(u, "load " + dir.write("g.txt", "y")), frame("<RESET/>\ny"));
}

TEST_F(Upload, CreationArgumentsSetHostAndPort) {
  // Without @port the default 8002 is used; here it is set after creation.
  auto *t = p.make("t", "TovikLoader @host 127.0.0.1");
  p.send(t, "port " + std::to_string(device.port()));
  EXPECT_EQ(upload(t, "load " + dir.write("f.txt", "z")), frame("<RESET/>\nz"));
  EXPECT_EQ(p.host().outlet_count(t), 2);
  EXPECT_EQ(p.host().inlet_count(t), 1);
}

} // namespace
