#include "sim/SimTrace.h"

#include <cstdio>

#include "common/ArkCmnUtils.h"
#include "common/Clock.h"
#include "common/DateTime.h"

namespace vela {
namespace {
std::string TimeStamp() {
  const DateTimeParts p = DecodeDateTime(SystemClock::Instance().Now());
  char text[32];
  std::snprintf(text, sizeof text, "%02d:%02d:%02d.%03d", p.hour, p.minute, p.second,
                p.millisecond);
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
