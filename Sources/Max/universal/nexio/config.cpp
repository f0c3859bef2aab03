// nexio's configuration: the creation arguments and the "config" and
// "connect" messages, read into the object's connection info.
#include "nexio.h"

#include "ext_obex.h"

#include <stdio.h>
#include <string.h>

#include "../float_to_long.h"

unsigned char nexio_atom_byte(const t_atom *a) {
  if (a->a_type == A_FLOAT)
    return float_low_byte(a->a_w.w_float);
  return static_cast<unsigned char>(static_cast<t_ptr_uint>(a->a_w.w_long) & 0xFF);
}

const char *nexio_tostr(const t_atom *a) {
  char text[32];
  switch (a->a_type) {
  case A_SYM:
    return a->a_w.w_sym ? a->a_w.w_sym->s_name : "";
  case A_LONG:
    snprintf(text, sizeof text, "%lu",
             static_cast<unsigned long>(static_cast<uint32_t>(a->a_w.w_long)));
    return gensym(text)->s_name;
  case A_FLOAT: {
    double f = a->a_w.w_float;
    uint32_t v = 0;
    if (f >= 4294967295.0) {
      v = UINT32_MAX;
    } else if (f > 0) { // also false for NaN
      v = static_cast<uint32_t>(f);
    }
    snprintf(text, sizeof text, "%lu", static_cast<unsigned long>(v));
    return gensym(text)->s_name;
  }
  default:
    return "";
  }
}

namespace {

// Whether word (beginning with "@") names the option full: a prefix of it
// of at least one letter.
bool nexio_names(const char *word, const char *full) {
  size_t n = strlen(word);
  return n >= 2 && n <= strlen(full) && strncmp(word, full, n) == 0;
}

} // namespace

void nexio_parse(nexio_conninfo *info, nexio_handle *h, long ac, const t_atom *av) {
  h->recon.store(1);
  info->host = nullptr;
  info->serv = nullptr;
  memset(&info->hints, 0, sizeof info->hints);

  long i = 0;
  if (ac >= 2) {
    const char *first = nexio_tostr(&av[0]);
    const char *second = nexio_tostr(&av[1]);
    if (first[0] != '@' && second[0] != '@') {
      info->host = first;
      info->serv = second;
      info->hints.ai_socktype = SOCK_STREAM;
      i = 2;
    }
  }

  for (; i < ac; i += 2) {
    const char *word = nexio_tostr(&av[i]);
    if (word[0] != '@') {
      error("nexio: invalid configuration");
      break;
    }
    if (i + 1 >= ac) {
      error("nexio: missing argument for %s", word);
      error("nexio: invalid configuration");
      break;
    }
    const char *value = nexio_tostr(&av[i + 1]);
    struct addrinfo *hints = &info->hints;
    switch (word[1]) {
    case 'a':
      if (nexio_names(word, "@address")) {
        info->host = value;
        hints->ai_flags |= AI_NUMERICHOST;
        continue;
      }
      break;
    case 'h':
      if (nexio_names(word, "@hostname")) {
        info->host = value;
        hints->ai_flags &= ~AI_NUMERICHOST;
        continue;
      }
      break;
    case 's':
      if (nexio_names(word, "@service")) {
        info->serv = value;
        continue;
      }
      break;
    case 'f':
      if (nexio_names(word, "@family")) {
        hints->ai_family = AF_UNSPEC;
        if (strcmp(value, "inet") == 0) {
          hints->ai_family = AF_INET;
        } else if (strcmp(value, "inet6") == 0) {
          hints->ai_family = AF_INET6;
        } else if (strcmp(value, "unspec") != 0 && strcmp(value, "*") != 0) {
          error("nexio: unknown family (%s)", value);
        }
        continue;
      }
      break;
    case 't':
      if (nexio_names(word, "@type")) {
        hints->ai_socktype = 0;
        if (strcmp(value, "stream") == 0) {
          hints->ai_socktype = SOCK_STREAM;
        } else if (strcmp(value, "dgram") == 0) {
          hints->ai_socktype = SOCK_DGRAM;
        } else if (strcmp(value, "0") != 0 && strcmp(value, "*") != 0) {
          error("nexio: unknown socket type (%s)", value);
        }
        continue;
      }
      break;
    case 'p':
      if (nexio_names(word, "@protocol")) {
        hints->ai_protocol = 0;
        if (strcmp(value, "tcp") == 0) {
          hints->ai_protocol = IPPROTO_TCP;
        } else if (strcmp(value, "udp") == 0) {
          hints->ai_protocol = IPPROTO_UDP;
        } else if (strcmp(value, "0") != 0 && strcmp(value, "*") != 0) {
          error("nexio: unknown protocol (%s)", value);
        }
        continue;
      }
      break;
    default:
      break;
    }
    error("nexio: unknown option (%s)", word);
  }

  if (info->host && !info->host[0]) {
    info->host = nullptr;
  }
  if (info->serv && !info->serv[0]) {
    info->serv = nullptr;
  }
}
