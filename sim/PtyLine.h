#pragma once
// One interface of the device as a pseudo-terminal: the simulator holds the
// master side; the program opens the slave device (/dev/pts/N). The slave is
// kept open here too, so the line does not hang up while the program closes
// and reopens its port, and so its settings stay as the program left them.

#include <optional>
#include <string>

#include "common/ArkTypes.h"
#include "sim/LinkSettings.h"

namespace vela {

class PtyLine {
 public:
  // Throws TArkException with the system's reason.
  explicit PtyLine(const LineFormat& format);
  ~PtyLine();
  PtyLine(const PtyLine&) = delete;
  PtyLine& operator=(const PtyLine&) = delete;

  int Fd() const { return master_; }
  const std::string& DevicePath() const { return devicePath_; }
  // Everything that is waiting; empty when nothing is.
  Octets ReadAvailable();
  // Writes all octets; false when the line does not take them.
  bool Write(const Octets& octets);
  // The settings the program gave its end of the line.
  std::optional<LineFormat> PeerFormat() const;

 private:
  int master_ = -1;
  int slave_ = -1;
  std::string devicePath_;
};

}  // namespace vela
