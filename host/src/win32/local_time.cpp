// Local time on Windows: localtime_s, which keeps no shared buffer.
#include "platform.hpp"

namespace kit::platform {

bool local_time(std::time_t when, std::tm &out) {
  return localtime_s(&out, &when) == 0;
}

} // namespace kit::platform
