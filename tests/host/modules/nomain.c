/* A module without an entry point. */
#include "ext.h"

C74_EXPORT int not_an_entry_point(void) {
  return 0;
}
