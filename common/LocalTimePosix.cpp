#include <chrono>
#include <ctime>

#include "common/DateTime.h"
#include "common/LocalTime.h"

namespace vela {

TLocalTime LocalTimeNow() {
  using namespace std::chrono;
  const auto now = system_clock::now();
  const std::time_t seconds = system_clock::to_time_t(now);
  const int ms =
      static_cast<int>(duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000);
  std::tm local{};
  localtime_r(&seconds, &local);
  return {EncodeDateTime(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                         local.tm_min, local.tm_sec, ms),
          static_cast<int>(local.tm_gmtoff / 60)};
}

TDateTime LocalDateTimeNow() {
  return LocalTimeNow().local;
}

}  // namespace vela
