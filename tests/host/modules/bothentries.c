/* A module with both entry points, each registering the class: the host must
   run exactly one of them, ext_main, as the visual host does. */
#include "ext.h"
#include "ext_obex.h"

static void *both_new(void) {
  return NULL;
}

static void both_register(const char *entry) {
  t_class *c = class_new("test-both", (method)both_new, 0, sizeof(t_object), 0, 0);
  class_register(gensym("box"), c);
  post("test-both: %s ran", entry);
}

C74_EXPORT void ext_main(void *resources) {
  (void)resources;
  both_register("ext_main");
}

C74_EXPORT int main(void) {
  both_register("main");
  return 0;
}
