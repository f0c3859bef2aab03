// What lists and tables share: freeing an item as their flags say.
//
// Threads: any.
#pragma once

namespace kit::rt {

/// Frees an item of a list or table by `flags` (e_max_datastore_flags):
/// nothing with OBJ_FLAG_REF or OBJ_FLAG_DATA, sysmem_freeptr with
/// OBJ_FLAG_MEMORY, else object_free. Null items are left alone.
void free_item_by_flags(void *item, long flags);

} // namespace kit::rt
