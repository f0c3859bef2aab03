#include "names.hpp"

#include <algorithm>
#include <unordered_map>
#include <vector>

namespace kithost::names {

namespace {

struct Binding {
  t_object *x; ///< null once unbound while the name was being sent to
  Receiver receive;
};

struct Bound {
  std::vector<Binding> bindings;
  int sending = 0; ///< sends to the name now running (one may nest in another)
};

// Node-based: an entry stays where it is while others come and go, so a
// send holds on to its entry across the calls it makes.
std::unordered_map<t_symbol *, Bound> &table() {
  static auto *bound = new std::unordered_map<t_symbol *, Bound>;
  return *bound;
}

void drop_unbound(t_symbol *name, Bound &bound) {
  std::erase_if(bound.bindings, [](const Binding &each) { return !each.x; });
  if (bound.bindings.empty())
    table().erase(name);
}

} // namespace

void bind(t_symbol *name, t_object *x, Receiver receive) {
  table()[name].bindings.push_back({x, receive});
}

void unbind(t_symbol *name, t_object *x) {
  auto found = table().find(name);
  if (found == table().end())
    return;
  Bound &bound = found->second;
  for (Binding &each : bound.bindings)
    if (each.x == x)
      each.x = nullptr;
  if (!bound.sending)
    drop_unbound(name, bound);
}

std::size_t send(t_symbol *name, t_symbol *selector, std::span<const t_atom> atoms) {
  auto found = table().find(name);
  if (found == table().end())
    return 0;
  Bound &bound = found->second;
  ++bound.sending;
  // Those bound on the way wait for the next message.
  const std::size_t count = bound.bindings.size();
  std::size_t reached = 0;
  std::vector<t_atom> copy;
  for (std::size_t i = 0; i < count; ++i) {
    const Binding each = bound.bindings[i];
    if (!each.x)
      continue;
    copy.assign(atoms.begin(), atoms.end());
    each.receive(each.x, selector, static_cast<long>(copy.size()), copy.data());
    ++reached;
  }
  if (--bound.sending == 0)
    drop_unbound(name, bound);
  return reached;
}

} // namespace kithost::names
