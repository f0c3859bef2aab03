// Names of registered objects and their clients. Clients are kept in the
// order they attached; notifications go over a copy of that list and skip a
// client that left meanwhile, since a notify method may attach, detach or
// free objects.
#include "registry.hpp"
#include "ext_obex.h"
#include "function_cast.hpp"
#include "objects.hpp"

#include <algorithm>
#include <map>
#include <utility>
#include <vector>

namespace kit::rt {
namespace {

using Key = std::pair<t_symbol *, t_symbol *>; ///< name space, name
using NotifyMethod = void (*)(void *, t_symbol *, t_symbol *, void *, void *);

struct Registration {
  void *object = nullptr;
  std::vector<void *> clients;
};

struct Subscription {
  Key key;
  t_symbol *class_name; ///< null: any class
  void *client;
};

struct Registry {
  std::map<Key, Registration> by_name;
  std::map<const void *, Key> name_of;
  std::vector<Subscription> subscriptions;
};

Registry &registry() {
  // Never destroyed: objects may still be freed while the process exits.
  static auto *instance = new Registry;
  return *instance;
}

Registration *registration_of(const void *x) {
  Registry &r = registry();
  auto found = r.name_of.find(x);
  return found == r.name_of.end() ? nullptr : &r.by_name[found->second];
}

void attach(Registration &reg, void *client) {
  if (std::find(reg.clients.begin(), reg.clients.end(), client) == reg.clients.end())
    reg.clients.push_back(client);
}

t_max_err detach(Registration *reg, void *client) {
  if (!reg)
    return MAX_ERR_GENERIC;
  const auto before = reg->clients.size();
  std::erase(reg->clients, client);
  return reg->clients.size() < before ? MAX_ERR_NONE : MAX_ERR_GENERIC;
}

bool class_fits(t_symbol *wanted, void *x) {
  return !wanted || object_classname(x) == wanted;
}

void notify_clients(void *x, t_symbol *name, t_symbol *msg, void *data) {
  Registration *reg = registration_of(x);
  if (!reg)
    return;
  const std::vector<void *> clients = reg->clients;
  for (void *client : clients) {
    // The list may have changed in an earlier client's method.
    reg = registration_of(x);
    if (!reg || std::find(reg->clients.begin(), reg->clients.end(), client) == reg->clients.end())
      continue;
    ObjectState *state = object_state(client);
    if (!state)
      continue;
    if (const Method *notify = state->cls->find(gensym("notify")))
      function_cast<NotifyMethod>(notify->fn)(client, name, msg, x, data);
  }
}

} // namespace

void notify_freeing(const void *x) {
  Registry &r = registry();
  auto found = r.name_of.find(x);
  if (found != r.name_of.end())
    notify_clients(const_cast<void *>(x), found->second.second, gensym("free"), nullptr);
}

void forget_registered(const void *x) {
  Registry &r = registry();
  if (auto found = r.name_of.find(x); found != r.name_of.end()) {
    r.by_name.erase(found->second);
    r.name_of.erase(found);
  }
  for (auto &[key, reg] : r.by_name)
    std::erase(reg.clients, x);
  std::erase_if(r.subscriptions, [x](const Subscription &s) { return s.client == x; });
}

} // namespace kit::rt

using namespace kit::rt;

void *object_register(t_symbol *name_space, t_symbol *s, void *x) {
  if (!name_space || !s || !object_state(x)) {
    error("object_register: needs a name space, a name and an object");
    return nullptr;
  }
  Registry &r = registry();
  const Key key{name_space, s};
  if (auto taken = r.by_name.find(key); taken != r.by_name.end()) {
    if (taken->second.object == x)
      return x;
    error("object_register: \"%s\" is taken in name space \"%s\"", s->s_name, name_space->s_name);
    return nullptr;
  }
  if (r.name_of.contains(x)) {
    error("object_register: the %s object is registered under another name already",
          object_classname(x)->s_name);
    return nullptr;
  }
  Registration &reg = r.by_name[key];
  reg.object = x;
  r.name_of[x] = key;
  for (const Subscription &sub : r.subscriptions)
    if (sub.key == key && class_fits(sub.class_name, x))
      attach(reg, sub.client);
  return x;
}

t_max_err object_unregister(void *x) {
  Registry &r = registry();
  auto found = r.name_of.find(x);
  if (found == r.name_of.end())
    return MAX_ERR_GENERIC;
  r.by_name.erase(found->second);
  r.name_of.erase(found);
  return MAX_ERR_NONE;
}

void *object_findregistered(t_symbol *name_space, t_symbol *s) {
  Registry &r = registry();
  auto found = r.by_name.find(Key{name_space, s});
  return found == r.by_name.end() ? nullptr : found->second.object;
}

t_max_err object_findregisteredbyptr(t_symbol **name_space, t_symbol **s, void *x) {
  Registry &r = registry();
  auto found = r.name_of.find(x);
  if (found == r.name_of.end())
    return MAX_ERR_GENERIC;
  if (name_space)
    *name_space = found->second.first;
  if (s)
    *s = found->second.second;
  return MAX_ERR_NONE;
}

void *object_attach(t_symbol *name_space, t_symbol *s, void *x) {
  Registry &r = registry();
  auto found = r.by_name.find(Key{name_space, s});
  if (found == r.by_name.end() || !object_state(x))
    return nullptr;
  attach(found->second, x);
  return found->second.object;
}

t_max_err object_detach(t_symbol *name_space, t_symbol *s, void *x) {
  Registry &r = registry();
  auto found = r.by_name.find(Key{name_space, s});
  return detach(found == r.by_name.end() ? nullptr : &found->second, x);
}

t_max_err object_attach_byptr(void *x, void *registeredobject) {
  Registration *reg = registration_of(registeredobject);
  if (!reg || !object_state(x))
    return MAX_ERR_GENERIC;
  attach(*reg, x);
  return MAX_ERR_NONE;
}

t_max_err object_detach_byptr(void *x, void *registeredobject) {
  return detach(registration_of(registeredobject), x);
}

void *object_subscribe(t_symbol *name_space, t_symbol *s, t_symbol *classname, void *x) {
  if (!name_space || !s || !object_state(x)) {
    error("object_subscribe: needs a name space, a name and an object");
    return nullptr;
  }
  Registry &r = registry();
  const Key key{name_space, s};
  const bool known =
      std::any_of(r.subscriptions.begin(), r.subscriptions.end(), [&](const Subscription &sub) {
        return sub.key == key && sub.client == x && sub.class_name == classname;
      });
  if (!known)
    r.subscriptions.push_back({key, classname, x});
  auto found = r.by_name.find(key);
  if (found == r.by_name.end() || !class_fits(classname, found->second.object))
    return nullptr;
  attach(found->second, x);
  return found->second.object;
}

t_max_err object_unsubscribe(t_symbol *name_space, t_symbol *s, t_symbol *, void *x) {
  Registry &r = registry();
  const Key key{name_space, s};
  std::erase_if(r.subscriptions,
                [&](const Subscription &sub) { return sub.key == key && sub.client == x; });
  object_detach(name_space, s, x);
  return MAX_ERR_NONE;
}

t_max_err object_notify(void *x, t_symbol *s, void *data) {
  if (!x || !s)
    return MAX_ERR_INVALID_PTR;
  Registry &r = registry();
  auto found = r.name_of.find(x);
  if (found != r.name_of.end())
    notify_clients(x, found->second.second, s, data);
  return MAX_ERR_NONE;
}
