// The chain the allocation and soak programs drive: a packer feeding two
// unpackers, made through the host without recording their outlets.
#pragma once

#include "patch.hpp"

#include <string>

namespace rkudptest {

/// Makes, through `host` (outlets not recorded), an rkudp-pack for the
/// controller `id` whose packets go to two rkudp-unpacks: `lists` (lists)
/// and `ints` (ints, argument -1). False, with the host's reason in `error`,
/// when one cannot be made or connected.
inline bool make_pack_chain(kit::Host &host, long id, t_object *&pack, t_object *&lists,
                            t_object *&ints, std::string &error) {
  const t_atom id_atom = kittest::long_atom(id);
  const t_atom int_mode = kittest::long_atom(-1);
  pack = host.make("rkudp-pack", {&id_atom, 1}, error);
  lists = host.make("rkudp-unpack", {}, error);
  ints = host.make("rkudp-unpack", {&int_mode, 1}, error);
  return pack && lists && ints && host.connect(pack, 0, lists, 0, error) &&
         host.connect(pack, 0, ints, 0, error);
}

} // namespace rkudptest
