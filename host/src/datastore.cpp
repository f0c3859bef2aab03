// Freeing the items of lists and tables (see datastore.hpp).
#include "datastore.hpp"
#include "ext.h"
#include "ext_obex.h"

namespace kit::rt {

void free_item_by_flags(void *item, long flags) {
  if (!item || (flags & (OBJ_FLAG_REF | OBJ_FLAG_DATA)))
    return;
  if (flags & OBJ_FLAG_MEMORY)
    sysmem_freeptr(item);
  else
    object_free(item);
}

} // namespace kit::rt
