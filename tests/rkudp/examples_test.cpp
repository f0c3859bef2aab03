// The rkudp example scripts, run by kithost, print what the objects are
// specified to print.
#include "rkudp_test.hpp"

#include <cstdio>
#include <memory>

using kittest::Lines;

namespace {

// kithost's standard output for the script, line by line, and its status.
Lines run_script(const std::string &script, int &status) {
  const std::string command = kittest::bin_dir() + "/kithost " + script + " 2>&1";
  std::unique_ptr<FILE, int (*)(FILE *)> pipe(popen(command.c_str(), "r"), pclose);
  Lines lines;
  if (!pipe) {
    status = -1;
    return lines;
  }
  std::string line;
  for (int c; (c = std::fgetc(pipe.get())) != EOF;) {
    if (c == '\n') {
      lines.push_back(line);
      line.clear();
    } else {
      line += (char)c;
    }
  }
  status = pclose(pipe.release());
  return lines;
}

Lines example(const char *name) {
  int status = 0;
  Lines lines = run_script(std::string(RKUDP_EXAMPLES_DIR) + "/" + name + ".kit", status);
  EXPECT_EQ(status, 0);
  return lines;
}

TEST(RkudpExamples, Pack) {
  ASSERT_TRUE(kittest::program_built("kithost"));
  const Lines lines = example("rkudp-pack");
  EXPECT_EQ(lines, (Lines{
                       "pk.0: FullPacket C0 B7 00 00 CA 01 00 09 00 01 0A 14 1E",
                       "pk.0: FullPacket C0 B7 00 01 C9 FE 00 0A 00 64 01 02 03 04",
                       "pk.0: FullPacket C0 B7 00 02 CA 01 00 08 00 01 01 02",
                       "pk.0: FullPacket C0 B7 00 03 CA 01 00 07 00 01 03",
                       "pk.0: FullPacket C0 B7 00 04 CA 01 00 07 00 01 04",
                       "pk.0: FullPacket C0 B7 00 05 CA 01 00 07 00 01 05",
                       "pk.0: FullPacket C0 B7 00 06 CA 01 00 07 00 01 06",
                       "pk.0: FullPacket C0 B7 00 07 CA 01 00 09 00 01 0A 14 1E 04 CA FE 00 07 "
                       "00 05 07",
                       "pk.0: FullPacket C0 B7 00 08 CA FE 00 07 FF FF 01",
                   }));
}

TEST(RkudpExamples, Unpack) {
  ASSERT_TRUE(kittest::program_built("kithost"));
  const Lines lines = example("rkudp-unpack");
  EXPECT_EQ(lines, (Lines{
                       "u.3: 202",
                       "u.2: 1",
                       "u.1: 1",
                       "u.0: 42",
                       "u.3: 202",
                       "u.2: 1",
                       "u.1: 1",
                       "u.0: 10 20 30",
                       "u.3: 202",
                       "u.2: 254",
                       "u.1: 5",
                       "u.0: 7",
                       "u.3: 202",
                       "u.2: 1",
                       "u.1: 100",
                       "u.0: 1 2",
                       "u.0: 3 4",
                       "u.0: 5",
                       "u.3: 16",
                       "u.2: 3",
                       "u.1: 0",
                       "u.0: 1 2",
                       "u.0: 3 4",
                       "u.3: 202",
                       "u.2: 1",
                       "u.1: 1",
                       "u.3: 202",
                       "u.2: 3",
                       "u.1: 1",
                       "u.0: 43",
                       "u.3: 202",
                       "u.2: 1",
                       "u.1: 1",
                       "u.0: 42",
                       "i.3: 202",
                       "i.2: 1",
                       "i.1: 100",
                       "i.0: 1",
                       "i.0: 2",
                       "i.0: 3",
                       "i.0: 4",
                       "i.0: 5",
                       "s.3: 202",
                       "s.2: 2",
                       "s.1: 102",
                       "s.0: 3 4 5",
                       "error: rkudp: invalid list size (300)",
                   }));
}

TEST(RkudpExamples, RoundTrip) {
  ASSERT_TRUE(kittest::program_built("kithost"));
  const Lines lines = example("rkudp-roundtrip");
  EXPECT_EQ(lines, (Lines{
                       "pk.0: FullPacket C0 B7 00 00 CA 01 00 09 00 01 0A 14 1E 00 CA FE 00 07 "
                       "00 05 07",
                       "u.3: 202",
                       "u.2: 1",
                       "u.1: 1",
                       "u.0: 10 20 30",
                       "u.3: 202",
                       "u.2: 254",
                       "u.1: 5",
                       "u.0: 7",
                       "pk.0: FullPacket C0 B7 00 01 C9 02 00 09 FF FD 01 02 03",
                       "u.3: 201",
                       "u.2: 2",
                       "u.1: 65533",
                       "u.0: 1 2 3",
                   }));
}

} // namespace
