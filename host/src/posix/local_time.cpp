// Local time on POSIX: localtime_r, which keeps no shared buffer.
#include "platform.hpp"

namespace kit::platform {

bool local_time(std::time_t when, std::tm &out) {
  return localtime_r(&when, &out) != nullptr;
}

} // namespace kit::platform
