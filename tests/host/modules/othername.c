/* A module whose entry point registers a class of another name. */
#include "ext.h"
#include "ext_obex.h"

static void *othername_new(void) {
  return 0;
}

C74_EXPORT int main(void) {
  t_class *c = class_new("test-somethingelse", (method)othername_new, 0, sizeof(t_object), 0, 0);
  class_register(gensym("box"), c);
  return 0;
}
