#pragma once
// Several devices on one line (the working interface as an RS-485 bus):
// each hears every request in its own protocol instance and answers those
// sent to its own address; the line carries the one answer given.

#include <memory>
#include <vector>

#include "sim/LineProtocol.h"

namespace vela {

class SharedLine : public LineProtocol {
 public:
  explicit SharedLine(std::vector<std::unique_ptr<LineProtocol>> devices);
  void Receive(const Octets& octets, int64_t nowUs) override;
  std::optional<Exchange> Poll(int64_t nowUs) override;
  int64_t NextDeadlineUs() const override;
  // Faults are made by the first device (the one the simulator describes).
  void FaultNextAnswer(std::optional<LineFault> fault) override {
    devices_.front()->FaultNextAnswer(fault);
  }

 private:
  std::vector<std::unique_ptr<LineProtocol>> devices_;
};

}  // namespace vela
