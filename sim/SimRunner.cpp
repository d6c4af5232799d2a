#include "sim/SimRunner.h"

#include <poll.h>
#include <signal.h>
#include <time.h>

#include <cerrno>
#include <cstdio>
#include <memory>
#include <vector>

#include "common/Clock.h"
#include "sim/PortsFolder.h"
#include "sim/SimInterface.h"

namespace vela {
namespace {

volatile sig_atomic_t gStopRequested = 0;
void RequestStop(int) {
  gStopRequested = 1;
}

int64_t MonotonicUs() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<int64_t>(now.tv_sec) * 1000000 + now.tv_nsec / 1000;
}

struct Published {
  std::unique_ptr<PtyLine> line;
  std::unique_ptr<PublishedPort> port;
  std::unique_ptr<SimInterface> interface;
};

// Stop signals stay blocked except while the loop waits, so none is lost.
sigset_t BlockStopSignals() {
  struct sigaction action {};
  action.sa_handler = RequestStop;
  sigemptyset(&action.sa_mask);
  sigset_t stops, previous;
  sigemptyset(&stops);
  for (int s : {SIGINT, SIGTERM, SIGHUP}) {
    sigaction(s, &action, nullptr);
    sigaddset(&stops, s);
  }
  signal(SIGPIPE, SIG_IGN);
  sigprocmask(SIG_BLOCK, &stops, &previous);
  for (int s : {SIGINT, SIGTERM, SIGHUP}) sigdelset(&previous, s);
  return previous;
}

Published Publish(const std::string& folder, int number, InterfaceSetup setup,
                  const LineFormat& format, DeviceModel& device, const SimTrace& trace) {
  Published p;
  p.line = std::make_unique<PtyLine>(format);
  p.port = std::make_unique<PublishedPort>(folder, number, p.line->DevicePath());
  setup.name = p.port->Name();
  p.interface = std::make_unique<SimInterface>(setup, device, *p.line, trace);
  std::printf("%s %s\n", setup.name.c_str(), p.line->DevicePath().c_str());
  std::fflush(stdout);
  return p;
}

void Serve(std::vector<Published>& published, const sigset_t& waitMask) {
  std::vector<pollfd> fds;
  for (const auto& p : published) fds.push_back({p.line->Fd(), POLLIN, 0});
  while (!gStopRequested) {
    int64_t now = MonotonicUs();
    int64_t deadline = kNever;
    for (auto& p : published) {
      p.interface->OnTime(now);
      deadline = std::min(deadline, p.interface->NextDeadlineUs());
    }
    timespec wait{};
    if (deadline != kNever) {
      const int64_t us = std::max<int64_t>(0, deadline - now);
      wait = {static_cast<time_t>(us / 1000000), static_cast<long>(us % 1000000 * 1000)};
    }
    const int ready =
        ppoll(fds.data(), fds.size(), deadline == kNever ? nullptr : &wait, &waitMask);
    if (ready < 0) continue;  // interrupted by a signal
    now = MonotonicUs();
    for (size_t i = 0; i < fds.size(); ++i) {
      if (fds[i].revents & POLLIN) published[i].interface->OnReadable(now);
    }
  }
}

}  // namespace

int RunSimulator(const SimOptions& options) {
  const sigset_t waitMask = BlockStopSignals();
  DeviceModel device(options.device, SystemClock::Instance());
  const SimTrace trace(options.trace);
  const std::string folder = PortsFolderPath();
  InterfaceSetup setup;
  setup.serviceBaud = options.serviceBaud;
  setup.turnaroundUs = static_cast<int64_t>(options.turnaroundMs * 1000);
  setup.checkPeerFormat = options.checkPeerFormat;
  setup.answerFaults = options.answerFaults;
  setup.timingFaults = options.timingFaults;
  setup.rotatingFaults = options.rotatingFaults;
  setup.unpaced = options.unpaced;
  // Further devices on the working line: the main device's kind and
  // settings, their own address and serial number.
  std::vector<std::unique_ptr<DeviceModel>> neighbours;
  for (const ExtraDevice& extra : options.extraDevices) {
    DeviceConfig config = options.device;
    config.settings.link.address = extra.address;
    config.serial = extra.serial ? extra.serial : (options.device.serial + extra.address) % 1000000;
    neighbours.push_back(std::make_unique<DeviceModel>(config, SystemClock::Instance()));
    setup.neighbours.push_back(neighbours.back().get());
  }
  std::vector<Published> published;
  published.push_back(Publish(folder, options.com, setup, ServiceLink(options.serviceBaud).Format(),
                              device, trace));
  if (options.publishWorking) {
    setup.service = false;
    published.push_back(Publish(folder, options.workingCom, setup,
                                device.Settings().ActiveLink().Format(), device, trace));
  }
  Serve(published, waitMask);
  for (const Published& p : published) {
    const std::string summary = p.interface->FaultSummary();
    if (!summary.empty()) std::fprintf(stderr, "%s\n", summary.c_str());
  }
  return 0;
}

}  // namespace vela
