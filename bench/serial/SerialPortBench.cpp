// Figures of the serial port over a pseudo-terminal, in real time:
//  1. the delay from the last octet written into the far end to OnRead
//     running on the GUI thread (the 50 ms silence plus the port's own cost);
//  2. the CPU time the process uses over an idle stretch with the port open.
// Usage: serial_bench [rounds=20] [idle_seconds=10]

#include <fcntl.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "common/HeadlessEventLoop.h"
#include "serial/ArkComPort.h"

namespace {

using Steady = std::chrono::steady_clock;

double Ms(Steady::duration d) {
  return std::chrono::duration<double, std::milli>(d).count();
}

double CpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// A pty whose slave is published as COM250 in a private ports folder.
struct FarEnd {
  int master = -1;
  std::string folder;
  FarEnd() {
    master = posix_openpt(O_RDWR | O_NOCTTY);
    grantpt(master);
    unlockpt(master);
    char pattern[] = "/tmp/velalink-bench-XXXXXX";
    folder = mkdtemp(pattern);
    std::filesystem::create_symlink(ptsname(master), folder + "/COM250");
    setenv("VELALINK_PORTS_DIR", folder.c_str(), 1);
  }
  ~FarEnd() {
    close(master);
    std::filesystem::remove_all(folder);
  }
};

void MeasureDelay(vela::TArkComPort& port, vela::HeadlessEventLoop& loop, const FarEnd& far,
                  int rounds) {
  Steady::time_point readAt;
  bool read = false;
  port.OnRead = [&](vela::TArkComPort*, const vela::Octets&) {
    readAt = Steady::now();
    read = true;
  };
  std::vector<double> delays;
  const std::string frame("\x01\x04\x02\x12\x34\xB5\x33", 7);
  for (int i = 0; i < rounds; ++i) {
    read = false;
    if (write(far.master, frame.data(), frame.size()) != static_cast<ssize_t>(frame.size())) break;
    const Steady::time_point writtenAt = Steady::now();
    if (!loop.RunUntil([&] { return read; }, 2000)) break;
    delays.push_back(Ms(readAt - writtenAt));
  }
  std::sort(delays.begin(), delays.end());
  if (delays.empty()) return;
  const double median = delays[delays.size() / 2];
  std::printf("last octet -> OnRead on the GUI thread, %zu rounds:\n", delays.size());
  std::printf(
      "  min %.2f ms  median %.2f ms  max %.2f ms  (median beyond the 50 ms silence: %.2f ms)\n",
      delays.front(), median, delays.back(), median - 50.0);
}

void MeasureIdleCpu(int seconds) {
  const double cpuBefore = CpuSeconds();
  const Steady::time_point start = Steady::now();
  std::this_thread::sleep_for(std::chrono::seconds(seconds));
  const double wall = Ms(Steady::now() - start) / 1000.0;
  const double cpu = CpuSeconds() - cpuBefore;
  std::printf("idle line, port open, %.1f s: process CPU %.3f ms (%.4f %% of one core)\n", wall,
              cpu * 1000.0, 100.0 * cpu / wall);
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::atoi(argv[1]) : 20;
  const int idleSeconds = argc > 2 ? std::atoi(argv[2]) : 10;
  FarEnd far;
  vela::HeadlessEventLoop loop(vela::SystemClock::Instance());
  vela::TArkComPort port("COM250");
  port.SetParity(2);  // 8E1, 38400
  port.Open();
  MeasureDelay(port, loop, far, rounds);
  MeasureIdleCpu(idleSeconds);
  port.Close();
  return 0;
}
