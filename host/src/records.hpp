// Records the host library makes itself (lists, tables, atom arrays, time
// objects, expressions, parallel tasks): blocks with the host's object
// header first that are instances of no registered class. object_free and
// freeobject free them through the table kept here, and object_classname
// names their kind.
//
// A record's o_magic tells its kind, so the calls of a family check their
// argument without a lookup; the table answers only for freeing.
//
// Threads: any.
#pragma once

#include "ext_mess.h"

#include <cstddef>

namespace kit::rt {

/// What kind of record a record is: one static instance per family.
struct RecordKind {
  const char *name; ///< what object_classname answers ("linklist")
  /// Releases what the record holds (not the record itself). Runs on the
  /// thread that frees the record; may be null.
  void (*release)(t_object *x);
};

/// A zero-filled record of `size` bytes (at least a t_object) of `kind`, or
/// null when there is no memory. With an `owner` (an object), a record still
/// alive when its owner is freed is freed with it, after the owner's free
/// routine.
t_object *new_record(const RecordKind &kind, size_t size, const void *owner = nullptr);

/// `x` as a record of `kind`, or null when it is null or of another kind. A
/// pointer to freed memory or to something that has no object header is the
/// caller's fault, not detected.
template <class T> T *record_cast(void *x, const RecordKind &kind) {
  auto *header = static_cast<t_object *>(x);
  if (!header || header->o_magic != reinterpret_cast<t_ptr_int>(&kind))
    return nullptr;
  return static_cast<T *>(x);
}

/// The kind of a live record, or null when `x` is none.
const RecordKind *record_kind(const void *x);
/// Frees a live record (its kind's release, then its memory). False when
/// `x` is no live record: nothing is touched then.
bool free_record(void *x);
/// Frees the records still owned by `owner`, an object being freed.
void free_records_of(const void *owner);

} // namespace kit::rt
