#include "sim/SimTrace.h"

#include <chrono>
#include <ctime>

#include "common/ArkCmnUtils.h"

namespace vela {
namespace {
std::string TimeStamp() {
  using namespace std::chrono;
  const auto now = system_clock::now();
  const std::time_t seconds = system_clock::to_time_t(now);
  const int ms =
      static_cast<int>(duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000);
  std::tm local{};
  localtime_r(&seconds, &local);
  char text[32];
  std::snprintf(text, sizeof text, "%02d:%02d:%02d.%03d", local.tm_hour, local.tm_min, local.tm_sec,
                ms);
  return text;
}
}  // namespace

void SimTrace::Line(const std::string& port, const char* direction, const Octets& octets,
                    const std::string& note) const {
  if (!enabled_) return;
  std::fprintf(out_, "%s %s %s %s%s%s%s\n", TimeStamp().c_str(), port.c_str(), direction,
               BytesToHex(octets).c_str(), note.empty() ? "" : " (", note.c_str(),
               note.empty() ? "" : ")");
  std::fflush(out_);
}

void SimTrace::Note(const std::string& port, const std::string& text) const {
  if (!enabled_) return;
  std::fprintf(out_, "%s %s %s\n", TimeStamp().c_str(), port.c_str(), text.c_str());
  std::fflush(out_);
}

}  // namespace vela
