#pragma once
// Tells the GUI thread when a serial device node appears in or leaves /dev, or
// a link appears in or leaves the ports folder (PortNames.h). The owner then
// lists the ports again. Its own thread waits on inotify; each event is handed
// to the GUI thread and waits there until it has run.

#include <atomic>
#include <functional>
#include <string>

#include "common/ArkThread.h"

namespace vela {

class PortWatcher : public TArkThread {
 public:
  // Watches /dev and the ports folder (created when missing) at once.
  PortWatcher();
  // For tests: other folders to watch instead.
  PortWatcher(const std::string& deviceDirectory, const std::string& portsDirectory);
  ~PortWatcher() override;

  // Full path of the node or link. An arrival may be reported more than once
  // (the node appears, then gets its permissions).
  std::function<void(const std::string&path)> OnDeviceArrived, OnDeviceRemoved;

 protected:
  void Execute() override;

 private:
  void AddWatch(const std::string& directory, bool portsFolder);
  void HandleEvents();
  void Deliver(bool arrived, const std::string& path);

  int inotifyFd_ = -1;
  int wakeFd_ = -1;
  int deviceWatch_ = -1;
  int portsWatch_ = -1;
  std::string deviceDirectory_;
  std::string portsDirectory_;
  std::atomic<bool> stopping_{false};
};

}  // namespace vela
