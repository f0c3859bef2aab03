// The patches a user of the visual host opens: every class's help patch
// (help/CLASS.maxhelp), the example patches and the Extras overview. They
// are checked as the host reads them (its file format, inlet and outlet
// counts that match the classes) and run headless as a user clicks through
// them, on loopback peers where they talk to the network.
#include "net.hpp"
#include "patch.hpp"
#include "run_kithost.hpp"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <map>
#include <optional>
#include <regex>
#include <set>

using namespace kithost_test;
namespace fs = std::filesystem;
using nlohmann::json;

namespace {

const fs::path Source = KIT_SOURCE_DIR;

std::vector<std::string> built_classes() {
  std::vector<std::string> classes;
  for (const auto &entry : fs::directory_iterator(kittest::module_dir()))
    if (entry.path().extension() == ".so")
      classes.push_back(entry.path().stem().string());
  std::sort(classes.begin(), classes.end());
  return classes;
}

json read_json(const fs::path &path) {
  std::ifstream file(path);
  return json::parse(file);
}

std::vector<fs::path> user_patches() {
  std::vector<fs::path> patches;
  for (const char *folder : {"help", "examples", "extras"})
    for (const auto &entry : fs::directory_iterator(Source / folder))
      if (entry.path().extension() == ".maxhelp" || entry.path().extension() == ".maxpat")
        patches.push_back(entry.path());
  std::sort(patches.begin(), patches.end());
  return patches;
}

/// What in one patcher level (and the levels inside it) differs from the
/// way the host writes its files: the version and namespace of the file,
/// ids "obj-N" unique in the file, inlet and outlet counts and outlet types
/// on every box, lines between existing boxes and ports, and the counts of
/// each kit object matching its class.
class FormatCheck {
public:
  explicit FormatCheck(const std::string &file) : file_(file) {}

  void patcher(const json &level, const std::string &path) {
    if (!level.contains("appversion") || !level["appversion"].contains("major"))
      fault(path, "no appversion");
    if (level.value("classnamespace", "") != "box")
      fault(path, "classnamespace is not \"box\"");
    std::map<std::string, std::pair<int, int>> ports;
    for (const auto &entry : level.at("boxes")) {
      const json &box = entry.at("box");
      const std::string id = box.value("id", "");
      const std::string where = path + "/" + id;
      if (!std::regex_match(id, std::regex("obj-[0-9]+")) || !ids_.insert(id).second)
        fault(where, "the id is not a new obj-N");
      if (!box.contains("numinlets") || !box.contains("numoutlets")) {
        fault(where, "no numinlets or numoutlets");
        continue;
      }
      const int inlets = box["numinlets"];
      const int outlets = box["numoutlets"];
      ports[id] = {inlets, outlets};
      const std::size_t types = box.contains("outlettype") ? box["outlettype"].size() : 0;
      if (types != static_cast<std::size_t>(outlets))
        fault(where, "outlettype names " + std::to_string(types) + " of " +
                         std::to_string(outlets) + " outlets");
      if (box.contains("patcher"))
        patcher(box["patcher"], where);
      else if (box.value("maxclass", "") == "newobj")
        kit_object(box, where, inlets, outlets);
    }
    for (const auto &entry : level.at("lines")) {
      const json &line = entry.at("patchline");
      const auto from = ports.find(line.at("source")[0]);
      const auto to = ports.find(line.at("destination")[0]);
      if (from == ports.end() || to == ports.end() ||
          line["source"][1].get<int>() >= from->second.second ||
          line["destination"][1].get<int>() >= to->second.first)
        fault(path, "a line to no box or port: " + line.dump());
      else
        connected_.insert(line["source"][0].get<std::string>() + ":" +
                          std::to_string(line["source"][1].get<int>()));
    }
  }

  /// Outlets of the kit's objects that no line leaves, as "ID:OUTLET".
  std::vector<std::string> unconnected() const {
    std::vector<std::string> left;
    for (const auto &outlet : kit_outlets_)
      if (!connected_.contains(outlet))
        left.push_back(outlet);
    return left;
  }

  std::vector<std::string> faults;

private:
  void kit_object(const json &box, const std::string &where, int inlets, int outlets) {
    const std::string text = box.value("text", "");
    const std::string name = text.substr(0, text.find(' '));
    if (!fs::exists(fs::path(kittest::module_dir()) / (name + ".so")))
      return;
    t_object *x = host_.make(box["id"].get<std::string>(), text);
    if (!x)
      return;
    const int made_inlets = host_.host().inlet_count(x);
    const int made_outlets = host_.host().outlet_count(x);
    if (made_inlets != inlets || made_outlets != outlets)
      fault(where, text + " has " + std::to_string(made_inlets) + " inlets and " +
                       std::to_string(made_outlets) + " outlets, the box says " +
                       std::to_string(inlets) + " and " + std::to_string(outlets));
    for (int outlet = 0; outlet < made_outlets; ++outlet)
      kit_outlets_.push_back(box["id"].get<std::string>() + ":" + std::to_string(outlet));
    host_.free(x);
    host_.take();
  }

  void fault(const std::string &where, const std::string &what) {
    faults.push_back(file_ + where + ": " + what);
  }

  std::string file_;
  std::set<std::string> ids_;
  std::set<std::string> connected_;
  std::vector<std::string> kit_outlets_;
  kittest::Patch host_;
};

TEST(UserPatches, AreWrittenAsTheHostWritesThem) {
  const auto patches = user_patches();
  ASSERT_GE(patches.size(), 7u);
  for (const auto &path : patches) {
    FormatCheck check(path.filename().string());
    check.patcher(read_json(path).at("patcher"), "");
    EXPECT_EQ(check.faults, std::vector<std::string>{});
    // Results show in the patch: on the first tab of a help patch, every
    // outlet of a kit object goes somewhere.
    if (path.extension() == ".maxhelp") {
      FormatCheck basic(path.filename().string());
      basic.patcher(read_json(path).at("patcher").at("boxes").at(0).at("box").at("patcher"),
                    "/basic");
      EXPECT_EQ(basic.unconnected(), std::vector<std::string>{}) << path.filename();
    }
  }
}

// A help patch is what the host opens for the class (help/CLASS.maxhelp),
// with the basic use on its first tab under the class's name and digest
// (the one its reference page shows), and further tabs. No patcher in the
// package is named after a class: the host would take it for the class
// wherever the external is missing.
TEST(UserPatches, EveryClassHasAHelpPatchWithTabs) {
  const auto classes = built_classes();
  ASSERT_FALSE(classes.empty());
  std::map<std::string, std::string> digests;
  for (const char *folder : {"src", "Sources/Max/universal", "mensor"})
    for (const auto &entry : fs::directory_iterator(Source / folder))
      if (entry.path().string().ends_with(".doc.json"))
        digests[entry.path().filename().string().substr(0, entry.path().filename().string().size() -
                                                               9)] =
            read_json(entry.path()).value("digest", "");
  for (const auto &name : classes) {
    const fs::path help = Source / "help" / (name + ".maxhelp");
    ASSERT_TRUE(fs::exists(help)) << name;
    const json tabs = read_json(help).at("patcher").at("boxes");
    ASSERT_GE(tabs.size(), 2u) << name;
    for (const auto &tab : tabs)
      EXPECT_EQ(tab["box"]["patcher"].value("showontab", 0), 1) << name;
    EXPECT_EQ(tabs[0]["box"]["text"], "p basic") << name;
    std::vector<std::string> comments;
    for (const auto &box : tabs[0]["box"]["patcher"]["boxes"])
      if (box["box"]["maxclass"] == "comment")
        comments.push_back(box["box"]["text"]);
    ASSERT_GE(comments.size(), 2u) << name;
    EXPECT_EQ(comments[0], name);
    EXPECT_EQ(comments[1], digests[name]) << name;
  }
  for (const auto &path : user_patches())
    EXPECT_FALSE(path.extension() == ".maxpat" &&
                 std::binary_search(classes.begin(), classes.end(), path.stem().string()))
        << path;
}

// ---- Running them -----------------------------------------------------------

/// One patch run as a user clicks through it: a kithost script after the
/// patch sends to the boxes by their scripting names (TAB-NAME) and waits.
struct Clicks {
  const char *patch;  ///< under the sources
  const char *script; ///< PORT is replaced by the peer's port
  Lines shown;        ///< the "post: " lines of its print boxes and the "error: " lines, in order
  enum Peer { none, listener, sim } peer = none;
  /// Lines that may show or not, as threads and the host's loop meet
  /// (nexio's status 1 while it connects).
  Lines unstable = {};
};

void PrintTo(const Clicks &clicks, std::ostream *out) {
  *out << clicks.patch;
}

class UserPatchRuns : public ::testing::TestWithParam<Clicks> {};

// Exit status 1 with --fail-on-error exactly when an error was shown (a
// console error, or the loader's error message out of an outlet).
TEST_P(UserPatchRuns, ShowWhatTheySay) {
  const Clicks &clicks = GetParam();
  std::optional<loadertest::Listener> listener;
  std::optional<loadertest::Sim> sim;
  int port = 0;
  if (clicks.peer == Clicks::listener) {
    listener.emplace();
    port = listener->port();
  } else if (clicks.peer == Clicks::sim) {
    sim.emplace(
        std::vector<std::string>{"--bind", "127.0.0.1", "--udp-port", "0", "--tcp-port", "0"});
    ASSERT_TRUE(sim->started());
    port = sim->tcp_port;
  }
  std::string script = clicks.script;
  for (std::size_t at; (at = script.find("PORT")) != std::string::npos;)
    script.replace(at, 4, std::to_string(port));
  TempDir dir;
  const auto clicked = dir.write("clicks.kit", script + "\n");
  // Logical time runs ahead wherever nothing can arrive: the lines are those
  // of a run on the wall clock's pace.
  Result run =
      run_kithost({"--batch", "--fail-on-error", "--path", (Source / "examples/tovik").string(),
                   (Source / clicks.patch).string(), clicked.string()});
  Lines shown;
  bool failed = false;
  for (const auto &line : run.out) {
    if (std::find(clicks.unstable.begin(), clicks.unstable.end(), line) != clicks.unstable.end() ||
        line == "post: mensor: file size reporter")
      continue;
    if (line.rfind("post: ", 0) == 0 || line.rfind("error: ", 0) == 0)
      shown.push_back(line);
    failed = failed || line.rfind("error: ", 0) == 0 || line.find(": error ") != std::string::npos;
  }
  EXPECT_EQ(run.status, failed ? 1 : 0) << ::testing::PrintToString(run.out);
  EXPECT_EQ(run.err, Lines{});
  EXPECT_EQ(shown, clicks.shown) << ::testing::PrintToString(run.out);
  if (listener) {
    EXPECT_EQ(listener->wait(1), std::vector<std::string>{"Hi\n"});
  }
}

const Clicks Runs[] = {
    {"help/rk+cmd.maxhelp",
     "send basic-demo bang\nsend lists-list bang\nsend lists-end bang\nsend lists-wrap bang",
     {"post: rk+cmd: 42",       "post: rk+cmd: 48",       "post: rk+cmd: 49",
      "post: rk+cmd: 65",       "post: rk+cmd: 66",       "post: rk+cmd: 35",
      "post: rk+cmd-lists: 42", "post: rk+cmd-lists: 48", "post: rk+cmd-lists: 48",
      "post: rk+cmd-lists: 70", "post: rk+cmd-lists: 70", "post: rk+cmd-lists: 49",
      "post: rk+cmd-lists: 48", "post: rk+cmd-lists: 35", "post: rk+cmd-lists: 42",
      "post: rk+cmd-lists: 48", "post: rk+cmd-lists: 48", "post: rk+cmd-lists: 70",
      "post: rk+cmd-lists: 70", "post: rk+cmd-lists: 35"}},
    {"help/rklbuf.maxhelp",
     "send basic-write bang\nsend basic-goto bang\nsend basic-seven bang\nsend basic-bang bang\n"
     "send configuration-size bang\nsend configuration-stop bang\nsend configuration-fill bang\n"
     "send configuration-start bang\nsend configuration-base bang\nsend errors-bad bang",
     {"post: buffer: 10 20 0 0", "post: index: 3", "post: index: 1", "post: buffer: 7 20 0 0",
      "post: index: 2", "post: buffer: 7 20 0 0", "post: config-buffer: 0 0 0 0 0 0",
      "post: config-index: 3", "post: config-index: 103",
      "error: lbuf: invalid buffer size (300)"}},
    {"help/rkudp-pack.maxhelp",
     "send basic-demo bang\nsend basic-dropped bang\nsend configuration-index 1\n"
     "send configuration-buffer 254\nsend configuration-data bang\nsend configuration-send bang",
     {"post: rkudp-pack: 10 20 30", "post: config-pack: 1 2"}},
    {"help/rkudp-unpack.maxhelp",
     "send basic-demo bang\nsend sizes-demo bang\nsend errors-bad bang\nsend errors-demo bang\n"
     "send errors-good bang\nsend errors-demo bang",
     {"post: type: 202", "post: buffer: 1", "post: index: 1", "post: data: 10 20 30",
      "post: type: 202", "post: buffer: 254", "post: index: 4", "post: data: 1 2", "post: bytes: 1",
      "post: bytes: 2", "post: bytes: 3", "post: bytes: 4", "post: bytes: 5", "post: pairs: 1 2",
      "post: pairs: 3 4", "post: pairs: 5", "error: rkudp-unpack: illegal list size (300)",
      "post: errors-data: 1 2 3"}},
    {"help/mensor.maxhelp",
     "send basic-found bang\nwait 10\nsend basic-missing bang\nwait 10\nsend basic-again bang\n"
     "send dialog-ask bang\nwait 10",
     {"post: mensor: 441", "post: mensor: -1", "post: mensor: 441"}},
    {"help/nexio.maxhelp",
     "send basic-nexio config @address 127.0.0.1 @service PORT\nsend basic-connect bang\n"
     "wait 300\nsend basic-hi bang\nsend basic-close bang\nwait 300",
     {"post: nexio-status: 2", "post: nexio-status: 0"},
     Clicks::listener,
     {"post: nexio-status: 1"}},
    {"help/TovikLoader.maxhelp",
     "send basic-loader port PORT\nsend basic-load bang\nwait 1000\n"
     "send imports-loader port PORT\nsend imports-import bang\nwait 1000\n"
     "send errors-nofile bang\nwait 100",
     {"post: loader-done: bang", "post: targets-done: bang",
      "post: no-file: error 3 \"couldn't open file\""},
     Clicks::sim},
    {"examples/rkudp-roundtrip.maxpat",
     "send index 1\nsend buffer 7\nsend data bang\nsend send bang",
     {"post: roundtrip: 7 8 9"}},
    {"examples/udp-loopback.maxpat", "send demo bang\nwait 300", {"post: loopback: 10 20 30"}},
    {"examples/tovik-upload.maxpat",
     "send loader port PORT\nsend load bang\nwait 1000\nsend target bang\nwait 1000",
     {"post: upload-done: bang", "post: upload-done: bang"},
     Clicks::sim},
};

// No patch a user opens from help/ or examples/ goes without a run above.
TEST(UserPatches, EveryHelpAndExamplePatchRuns) {
  std::set<std::string> run;
  for (const Clicks &clicks : Runs)
    run.insert(clicks.patch);
  for (const auto &path : user_patches()) {
    const std::string under = fs::relative(path, Source).generic_string();
    if (!under.starts_with("extras/")) {
      EXPECT_TRUE(run.contains(under)) << under << " has no run";
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Clicked, UserPatchRuns, ::testing::ValuesIn(Runs), [](const auto &info) {
  std::string name = fs::path(info.param.patch).stem().string();
  std::replace_if(
      name.begin(), name.end(), [](char c) { return !std::isalnum(static_cast<unsigned char>(c)); },
      '_');
  return name;
});

} // namespace
