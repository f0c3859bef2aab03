/* A module that makes its class but forgets to register it. */
#include "ext.h"
#include "ext_obex.h"

static void *unregistered_new(void) {
  return 0;
}

C74_EXPORT int main(void) {
  class_new("test-unregistered", (method)unregistered_new, 0, sizeof(t_object), 0, 0);
  return 0;
}
