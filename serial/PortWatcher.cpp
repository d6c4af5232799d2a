#include "serial/PortWatcher.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>

#include "serial/PortNames.h"

namespace vela {
namespace {

constexpr uint32_t kArrivalMask = IN_CREATE | IN_MOVED_TO | IN_ATTRIB;
constexpr uint32_t kRemovalMask = IN_DELETE | IN_MOVED_FROM;
using Clock = std::chrono::steady_clock;

// Device nodes worth a look: the serial families of the naming rule.
bool IsSerialNodeName(const std::string& name) {
  for (const char* prefix : {"ttyS", "ttyUSB", "ttyACM"}) {
    if (name.rfind(prefix, 0) == 0) return true;
  }
  return false;
}

}  // namespace

PortWatcher::PortWatcher() : PortWatcher("/dev", PortsDirectory(), kSettleMs) {}

PortWatcher::PortWatcher(const std::string& deviceDirectory, const std::string& portsDirectory,
                         int settleMs)
    : deviceDirectory_(deviceDirectory), portsDirectory_(portsDirectory), settleMs_(settleMs) {
  inotifyFd_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  wakeFd_ = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
  std::error_code error;
  std::filesystem::create_directories(portsDirectory_, error);
  // Without inotify the watcher stays silent; the port list still works.
  if (inotifyFd_ >= 0) {
    AddWatch(deviceDirectory_, false);
    AddWatch(portsDirectory_, true);
  }
  Start();
}

PortWatcher::~PortWatcher() {
  stopping_ = true;  // events still queued for the GUI thread are dropped
  Terminate();
  const uint64_t one = 1;
  [[maybe_unused]] const ssize_t count = ::write(wakeFd_, &one, sizeof one);
  WaitFor();
  if (inotifyFd_ >= 0) ::close(inotifyFd_);
  if (wakeFd_ >= 0) ::close(wakeFd_);
}

void PortWatcher::AddWatch(const std::string& directory, bool portsFolder) {
  const int watch =
      inotify_add_watch(inotifyFd_, directory.c_str(), kArrivalMask | kRemovalMask | IN_ONLYDIR);
  (portsFolder ? portsWatch_ : deviceWatch_) = watch;
}

void PortWatcher::Execute() {
  while (!Terminated()) {
    // poll() skips a negative descriptor: without inotify only the wake counts.
    pollfd fds[2] = {{inotifyFd_, POLLIN, 0}, {wakeFd_, POLLIN, 0}};
    const int count = ::poll(fds, 2, PollTimeoutMs());
    if (count < 0 && errno != EINTR) return;
    if (count > 0 && (fds[0].revents & POLLIN)) HandleEvents();
    DeliverSettled();
  }
}

int PortWatcher::PollTimeoutMs() const {
  if (settling_.empty()) return -1;
  auto first = settling_.begin()->second;
  for (const auto& [path, due] : settling_) first = std::min(first, due);
  const auto left = std::chrono::ceil<std::chrono::milliseconds>(first - Clock::now()).count();
  return static_cast<int>(std::max<int64_t>(left, 0));
}

void PortWatcher::DeliverSettled() {
  const auto now = Clock::now();
  for (auto it = settling_.begin(); it != settling_.end();) {
    if (it->second > now) {
      ++it;
      continue;
    }
    const std::string path = it->first;
    it = settling_.erase(it);
    Deliver(true, path);
  }
}

void PortWatcher::HandleEvents() {
  alignas(inotify_event) char buffer[4096];
  for (;;) {
    const ssize_t length = ::read(inotifyFd_, buffer, sizeof buffer);
    if (length <= 0) return;
    for (ssize_t offset = 0; offset < length;) {
      const auto* event = reinterpret_cast<const inotify_event*>(buffer + offset);
      offset += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
      const std::string name = event->len > 0 ? event->name : "";
      const bool inPorts = event->wd == portsWatch_;
      if (name.empty() || (!inPorts && !IsSerialNodeName(name))) continue;
      if (inPorts && ComPortNumber(name) < 0) continue;
      const std::string& folder = inPorts ? portsDirectory_ : deviceDirectory_;
      const std::string path = folder + "/" + name;
      // Every event of a new node (its mode, its group) starts the wait again.
      if ((event->mask & kArrivalMask) && !inPorts && settleMs_ > 0) {
        settling_[path] = Clock::now() + std::chrono::milliseconds(settleMs_);
      } else if (event->mask & kArrivalMask) {
        Deliver(true, path);
      }
      if (event->mask & kRemovalMask) {
        settling_.erase(path);
        Deliver(false, path);
      }
    }
  }
}

void PortWatcher::Deliver(bool arrived, const std::string& path) {
  Synchronize([&] {
    if (stopping_) return;
    const auto& handler = arrived ? OnDeviceArrived : OnDeviceRemoved;
    try {
      if (handler) handler(path);
    } catch (const std::exception&) {
      // Raised again in the watcher's thread it would end the program.
    }
  });
}

}  // namespace vela
