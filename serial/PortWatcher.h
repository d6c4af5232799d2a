#pragma once
// Tells the GUI thread when a serial device node appears in or leaves /dev, or
// a link appears in or leaves the ports folder (PortNames.h). The owner then
// lists the ports again. Its own thread waits on inotify; each event is handed
// to the GUI thread and waits there until it has run.

#include <atomic>
#include <chrono>
#include <functional>
#include <map>
#include <string>

#include "common/ArkThread.h"

namespace vela {

class PortWatcher : public TArkThread {
 public:
  // A new device node is reported once it has been quiet this long: udev sets
  // its group and mode and makes its links just after the node appears.
  static constexpr int kSettleMs = 500;

  // Watches /dev and the ports folder (created when missing) at once.
  PortWatcher();
  // For tests: other folders to watch instead, and another settling time.
  PortWatcher(const std::string& deviceDirectory, const std::string& portsDirectory,
              int settleMs = 0);
  ~PortWatcher() override;

  // Full path of the node or link. A node's arrival comes after it has
  // settled; it may still be reported again when its permissions change later.
  std::function<void(const std::string&path)> OnDeviceArrived, OnDeviceRemoved;

 protected:
  void Execute() override;

 private:
  void AddWatch(const std::string& directory, bool portsFolder);
  void HandleEvents();
  void Deliver(bool arrived, const std::string& path);
  void DeliverSettled();
  int PollTimeoutMs() const;

  int inotifyFd_ = -1;
  int wakeFd_ = -1;
  int deviceWatch_ = -1;
  int portsWatch_ = -1;
  std::string deviceDirectory_;
  std::string portsDirectory_;
  std::atomic<bool> stopping_{false};
  int settleMs_ = 0;
  // Watcher thread only: arrivals of nodes waiting to settle, by path.
  std::map<std::string, std::chrono::steady_clock::time_point> settling_;
};

}  // namespace vela
