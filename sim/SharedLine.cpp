#include "sim/SharedLine.h"

#include <algorithm>

namespace vela {

SharedLine::SharedLine(std::vector<std::unique_ptr<LineProtocol>> devices)
    : devices_(std::move(devices)) {}

void SharedLine::Receive(const Octets& octets, int64_t nowUs) {
  for (auto& device : devices_) device->Receive(octets, nowUs);
}

std::optional<Exchange> SharedLine::Poll(int64_t nowUs) {
  // Every device cuts the same request; the one that answers speaks for the
  // line, else the first device's note says why the line stays silent.
  std::optional<Exchange> chosen;
  for (auto& device : devices_) {
    std::optional<Exchange> exchange = device->Poll(nowUs);
    if (!exchange) continue;
    if (!chosen || (!chosen->answer && exchange->answer)) chosen = std::move(exchange);
  }
  return chosen;
}

int64_t SharedLine::NextDeadlineUs() const {
  int64_t next = kNever;
  for (const auto& device : devices_) next = std::min(next, device->NextDeadlineUs());
  return next;
}

}  // namespace vela
