#include "platform.hpp"

#include <cstdio>
#include <io.h>

namespace kithost {

bool stdin_is_terminal() {
  return _isatty(_fileno(stdin)) != 0;
}

} // namespace kithost
