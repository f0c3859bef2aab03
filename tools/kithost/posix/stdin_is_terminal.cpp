#include "platform.hpp"

#include <unistd.h>

namespace kithost {

bool stdin_is_terminal() {
  return isatty(STDIN_FILENO) == 1;
}

} // namespace kithost
