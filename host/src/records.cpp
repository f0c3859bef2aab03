// The table of live records (see records.hpp).
#include "records.hpp"

#include <cstdlib>
#include <mutex>
#include <unordered_map>
#include <vector>

namespace kit::rt {
namespace {

struct Entry {
  const RecordKind *kind;
  const void *owner;
};

struct Records {
  std::mutex mutex;
  std::unordered_map<const void *, Entry> live;
  std::unordered_multimap<const void *, t_object *> owned; ///< owner -> record
};

Records &records() {
  // Never destroyed: records may be freed while the process exits.
  static Records *instance = new Records;
  return *instance;
}

void forget_owned_locked(Records &r, const void *owner, const void *x) {
  auto [first, last] = r.owned.equal_range(owner);
  for (auto it = first; it != last; ++it) {
    if (it->second == x) {
      r.owned.erase(it);
      return;
    }
  }
}

void release_and_free(t_object *x, const RecordKind *kind) {
  if (kind->release)
    kind->release(x);
  x->o_magic = 0;
  std::free(x);
}

} // namespace

t_object *new_record(const RecordKind &kind, size_t size, const void *owner) {
  auto *x =
      static_cast<t_object *>(std::calloc(1, size < sizeof(t_object) ? sizeof(t_object) : size));
  if (!x)
    return nullptr;
  x->o_magic = reinterpret_cast<t_ptr_int>(&kind);
  Records &r = records();
  std::lock_guard lock(r.mutex);
  r.live.emplace(x, Entry{&kind, owner});
  if (owner)
    r.owned.emplace(owner, x);
  return x;
}

const RecordKind *record_kind(const void *x) {
  Records &r = records();
  std::lock_guard lock(r.mutex);
  auto found = r.live.find(x);
  return found == r.live.end() ? nullptr : found->second.kind;
}

bool free_record(void *x) {
  const RecordKind *kind;
  {
    Records &r = records();
    std::lock_guard lock(r.mutex);
    auto found = r.live.find(x);
    if (found == r.live.end())
      return false;
    kind = found->second.kind;
    if (found->second.owner)
      forget_owned_locked(r, found->second.owner, x);
    r.live.erase(found);
  }
  // Outside the lock: a release may free records of its own (a list's items).
  release_and_free(static_cast<t_object *>(x), kind);
  return true;
}

void free_records_of(const void *owner) {
  std::vector<std::pair<t_object *, const RecordKind *>> orphans;
  {
    Records &r = records();
    std::lock_guard lock(r.mutex);
    auto [first, last] = r.owned.equal_range(owner);
    for (auto it = first; it != last; ++it) {
      auto found = r.live.find(it->second);
      orphans.emplace_back(it->second, found->second.kind);
      r.live.erase(found);
    }
    r.owned.erase(owner);
  }
  for (auto [x, kind] : orphans)
    release_and_free(x, kind);
}

} // namespace kit::rt
