// Utilities of the newer object API: atoms as text.
#ifndef EXT_OBEX_UTIL_H
#define EXT_OBEX_UTIL_H

#include "ext_mess.h"

BEGIN_USING_C_LINKAGE

/// How atom_gettext writes atoms.
typedef enum {
  OBEX_UTIL_ATOM_GETTEXT_DEFAULT = 0x00000000,
  OBEX_UTIL_ATOM_GETTEXT_TRUNCATE_ZEROS = 0x00000001,
  OBEX_UTIL_ATOM_GETTEXT_SYM_NO_QUOTE = 0x00000002, ///< symbols as they are, never quoted
  OBEX_UTIL_ATOM_GETTEXT_SYM_FORCE_QUOTE = 0x00000004,
  OBEX_UTIL_ATOM_GETTEXT_COMMA_DELIM = 0x00000008, ///< ", " between atoms
  OBEX_UTIL_ATOM_GETTEXT_FORCE_ZEROS = 0x00000010,
  OBEX_UTIL_ATOM_GETTEXT_NUM_HI_RES = 0x00000020,
  OBEX_UTIL_ATOM_GETTEXT_NUM_LO_RES = 0x00000040,
  OBEX_UTIL_ATOM_GETTEXT_NOESCAPE = 0x00000080,
  OBEX_UTIL_ATOM_GETTEXT_LINEBREAK_NODELIM = 0x00000100,
} e_max_atom_gettext_flags;

/// The atoms as text, as kithost prints them (a blank between atoms,
/// symbols quoted when they hold a blank or a quote). With *text null or
/// *textsize 0 the text is allocated (free it with sysmem_freeptr) and
/// *textsize becomes its size with the terminating zero; otherwise it is
/// cut to the caller's *textsize bytes, always terminated. Of the flags,
/// SYM_NO_QUOTE and COMMA_DELIM are followed. Any thread.
C74_API t_max_err atom_gettext(long ac, t_atom *av, long *textsize, char **text, long flags);

END_USING_C_LINKAGE

#endif
