// Loading modules from a folder, and every way a module can fail to load.
#include "patch.hpp"

#include "ext_obex.h"

#include <gtest/gtest.h>

using kittest::Lines;
using kittest::Patch;

namespace {

class Modules : public ::testing::Test {
protected:
  void SetUp() override { p.host().add_module_dir(TEST_MODULE_DIR); }
  std::string load_error(const char *name) {
    std::string error;
    EXPECT_EQ(p.host().load_class(name, error), nullptr);
    return error;
  }
  Patch p;
  const std::string dir = TEST_MODULE_DIR;
};

TEST_F(Modules, AModuleIsLoadedOnceWhenItsClassIsFirstNamed) {
  t_object *a = p.make("a", "test-good 1");
  t_object *b = p.make("b", "test-good");
  EXPECT_EQ(p.take(), Lines{"post: test-good: entry point ran"});
  p.connect(a, 0, b, 0);
  p.send(a, "5");
  EXPECT_EQ(p.take(), (Lines{"a.0: 11", "b.0: 22"}));
}

TEST_F(Modules, OldStyleRegistrationTakesTheModulesNameAndExtMainIsAnEntryPoint) {
  t_object *x = p.make("o", "test-oldstyle first");
  p.send(x, "bang");
  p.send(x, "rename second");
  p.send(x, "bang");
  p.send(x, "41");
  EXPECT_EQ(p.take(), (Lines{"o.0: name first", "o.0: name second", "o.0: 42"}));
}

TEST_F(Modules, OfBothEntryPointsOnlyExtMainRuns) {
  std::string error;
  ASSERT_NE(p.host().load_class("test-both", error), nullptr) << error;
  EXPECT_EQ(p.take(), Lines{"post: test-both: ext_main ran"});
}

TEST_F(Modules, ListedClassesIncludeTheModulesInTheFolders) {
  auto names = p.host().available_classes();
  EXPECT_TRUE(std::is_sorted(names.begin(), names.end()));
  for (const char *name : {"test-good", "test-oldstyle", "test-nomain", "test-broken"})
    EXPECT_NE(std::find(names.begin(), names.end(), name), names.end()) << name;
}

TEST_F(Modules, MissingModule) {
  const std::string error = load_error("test-missing");
  EXPECT_TRUE(error.starts_with("no module \"test-missing.so\" in the module folders (")) << error;
  EXPECT_NE(error.find(dir), std::string::npos) << error;
  EXPECT_EQ(p.make_error("test-missing 1"), error);
}

TEST_F(Modules, NamesThatAreNotClassNames) {
  EXPECT_EQ(load_error("../test-good"), "\"../test-good\" is not a class name");
  EXPECT_EQ(load_error(""), "\"\" is not a class name");
  EXPECT_EQ(load_error(".hidden"), "\".hidden\" is not a class name");
}

TEST_F(Modules, LibraryThatCannotBeLoaded) {
  const std::string error = load_error("test-broken");
  EXPECT_TRUE(error.starts_with("cannot load module " + dir + "/test-broken.so: ")) << error;
  // The loader's own reason follows.
  EXPECT_GT(error.size(), ("cannot load module " + dir + "/test-broken.so: ").size());
}

TEST_F(Modules, ModuleWithoutEntryPoint) {
  EXPECT_EQ(load_error("test-nomain"),
            "module " + dir + "/test-nomain.so has no entry point (main or ext_main)");
}

TEST_F(Modules, EntryPointRegisteringAnotherClass) {
  EXPECT_EQ(load_error("test-othername"), "module " + dir +
                                              "/test-othername.so did not register a class named "
                                              "\"test-othername\"");
  // Asking again gives the same answer without running the entry point again.
  EXPECT_EQ(load_error("test-othername"), "module " + dir +
                                              "/test-othername.so did not register a class named "
                                              "\"test-othername\"");
}

TEST_F(Modules, EntryPointMakingButNotRegisteringItsClass) {
  EXPECT_EQ(load_error("test-unregistered"),
            "module " + dir +
                "/test-unregistered.so made the class \"test-unregistered\" but "
                "did not register it (class_register)");
}

// The older registration calls are deprecated in the API, and tested here.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
TEST(DefinedModules, SetupOutsideAnEntryPointIsRefused) {
  Patch p;
  t_messlist *c = reinterpret_cast<t_messlist *>(1);
  setup(&c, reinterpret_cast<method>(+[]() -> void * { return nullptr; }), nullptr,
        sizeof(t_object), nullptr, 0);
  EXPECT_EQ(c, nullptr);
  addbang(reinterpret_cast<method>(+[](void *) {}));
  EXPECT_EQ(p.take(),
            (Lines{"error: setup: called outside a module's entry point, so the class has no "
                   "name",
                   "error: addbang: called without a class from setup"}));
}
#pragma GCC diagnostic pop

TEST(DefinedModules, BadRegistrationsAreReported) {
  Patch p;
  p.host().define_module("test-badreg", [] {
    auto fn = reinterpret_cast<method>(+[](void *) {});
    EXPECT_EQ(class_new("test-badreg", fn, nullptr, 2, nullptr, 0), nullptr);
    t_class *c =
        class_new("test-badreg", fn, nullptr, sizeof(t_object), nullptr, A_GIMME, A_LONG, 0);
    EXPECT_EQ(c, nullptr);
    c = class_new("test-badreg", fn, nullptr, sizeof(t_object), nullptr, 0);
    class_addmethod(c, fn, "six", A_LONG, A_LONG, A_LONG, A_LONG, A_LONG, A_LONG, 0);
    class_addmethod(c, fn, "obj", A_OBJ, 0);
    EXPECT_EQ(class_addattr(c, attr_offset_new("far", gensym("long"), 0, 0, 0, 64)),
              MAX_ERR_GENERIC);
    EXPECT_EQ(attr_offset_new("odd", gensym("color"), 0, 0, 0, 0), nullptr);
    class_register(gensym("box"), c);
  });
  std::string error;
  EXPECT_NE(p.host().load_class("test-badreg", error), nullptr) << error;
  EXPECT_EQ(p.take(),
            (Lines{"error: class_new: class \"test-badreg\": record size 2 is smaller than the "
                   "object header",
                   "error: class_new: class \"test-badreg\": creation arguments: A_GIMME and "
                   "A_CANT take no other argument types",
                   "error: test-badreg: message \"six\": more than 5 typed arguments",
                   "error: test-badreg: message \"obj\": argument type 4 cannot be used here",
                   "error: test-badreg: attribute \"far\" lies outside the object record "
                   "(offset 64)",
                   "error: attr_offset_new: attribute \"odd\": unknown type \"color\""}));
}

} // namespace
