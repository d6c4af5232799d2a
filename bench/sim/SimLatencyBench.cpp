// How fast velasim answers: from the moment the last octet of a request is
// written to the moment the first octet of the answer can be read, minus the
// pacing the simulator adds on purpose (turnaround + the answer's wire time).
// The excess must stay within 5 ms.
//
//   sim_latency_bench [requests per kind, default 200]

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "common/Checksums.h"

extern char** environ;

namespace {

constexpr double kLimitMs = 5.0;
constexpr int kBitsPerCharacter = 11;  // service interface: 8E1

struct Simulator {
  pid_t pid = -1;
  std::string device;
};

Simulator Start(const std::vector<std::string>& options) {
  int out[2];
  if (pipe(out) != 0) std::exit(1);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
  posix_spawn_file_actions_addclose(&actions, out[0]);
  std::vector<std::string> args = {VELASIM_PATH};
  args.insert(args.end(), options.begin(), options.end());
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  Simulator sim;
  if (posix_spawn(&sim.pid, VELASIM_PATH, &actions, nullptr, argv.data(), environ) != 0) {
    std::perror("velasim");
    std::exit(1);
  }
  close(out[1]);
  char line[256] = {};
  FILE* stream = fdopen(out[0], "r");
  if (!std::fgets(line, sizeof line, stream)) std::exit(1);
  char name[64], device[128];
  if (std::sscanf(line, "%63s %127s", name, device) != 2) std::exit(1);
  sim.device = device;
  std::fclose(stream);
  return sim;
}

void Stop(Simulator& sim) {
  kill(sim.pid, SIGTERM);
  waitpid(sim.pid, nullptr, 0);
}

std::string Frame(std::initializer_list<int> body) {
  std::string frame;
  for (int b : body) frame += static_cast<char>(b);
  const uint16_t crc = vela::Crc16Modbus(frame.data(), static_cast<int>(frame.size()));
  frame += static_cast<char>(crc & 0xFF);
  frame += static_cast<char>(crc >> 8);
  return frame;
}

struct Request {
  const char* name;
  std::string frame;
  int answerOctets;
};

double NowMs() {
  using namespace std::chrono;
  return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

// The excess of each exchange in ms; negative values would mean an answer
// sooner than a real line could carry it.
std::vector<double> Measure(int fd, const Request& r, int count, double pacingMs) {
  std::vector<double> excess;
  char buffer[512];
  for (int i = 0; i < count; ++i) {
    if (write(fd, r.frame.data(), r.frame.size()) != static_cast<ssize_t>(r.frame.size())) break;
    const double sent = NowMs();
    pollfd p{fd, POLLIN, 0};
    if (poll(&p, 1, 2000) <= 0) {
      std::fprintf(stderr, "%s: no answer\n", r.name);
      continue;
    }
    excess.push_back(NowMs() - sent - pacingMs);
    // Collect the whole answer before the next request.
    int got = 0;
    while (got < r.answerOctets && poll(&p, 1, 200) > 0) {
      const ssize_t n = read(fd, buffer, sizeof buffer);
      if (n <= 0) break;
      got += static_cast<int>(n);
    }
  }
  std::sort(excess.begin(), excess.end());
  return excess;
}

bool Report(const char* setup, const Request& r, double pacingMs, const std::vector<double>& e) {
  if (e.empty()) return false;
  const auto at = [&](double q) { return e[static_cast<size_t>(q * (e.size() - 1))]; };
  const bool ok = at(0.95) <= kLimitMs && e.front() >= -0.2;
  std::printf("%-22s %-18s %8.3f %8.3f %8.3f %8.3f %8.3f  %s\n", setup, r.name, pacingMs, e.front(),
              at(0.5), at(0.95), e.back(), ok ? "ok" : "OVER");
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  const int count = argc > 1 ? std::atoi(argv[1]) : 200;
  char folder[] = "/tmp/velasim-bench-XXXXXX";
  if (!mkdtemp(folder)) return 1;
  setenv("VELALINK_PORTS_DIR", (std::string(folder) + "/ports").c_str(), 1);
  const std::vector<Request> requests = {
      {"read F (fn 4, 1)", Frame({1, 4, 0, 0, 0, 1}), 7},
      {"read 4-wire (fn 4, 23)", Frame({1, 4, 0, 1, 0, 23}), 51},
      {"read link (fn 3, 16)", Frame({1, 3, 0x50, 0xB6, 0, 16}), 37},
      {"finalize (fn 16, 1)", Frame({1, 16, 0x50, 0x64, 0, 1, 2, 0, 0}), 8},
  };
  struct Setup {
    const char* name;
    int baud;
    double turnaroundMs;
  };
  const Setup setups[] = {{"38400, turnaround 2", 38400, 2.0},
                          {"115200, turnaround 0", 115200, 0.0},
                          {"9600, turnaround 5", 9600, 5.0}};
  double load[1] = {0};
  getloadavg(load, 1);
  std::printf("excess over pacing, ms (%d requests each; limit %.1f ms at the 95th percentile)\n",
              count, kLimitMs);
  std::printf("load average %.2f on %ld processors: a busy machine delays every wake-up\n", load[0],
              sysconf(_SC_NPROCESSORS_ONLN));
  std::printf("%-22s %-18s %8s %8s %8s %8s %8s\n", "setup", "request", "pacing", "min", "median",
              "p95", "max");
  bool allOk = true;
  for (const Setup& s : setups) {
    Simulator sim =
        Start({"--speed", std::to_string(s.baud), "--turnaround", std::to_string(s.turnaroundMs)});
    const int fd = open(sim.device.c_str(), O_RDWR | O_NOCTTY);
    for (const Request& r : requests) {
      const double pacing = s.turnaroundMs + r.answerOctets * kBitsPerCharacter * 1000.0 / s.baud;
      allOk = Report(s.name, r, pacing, Measure(fd, r, count, pacing)) && allOk;
    }
    close(fd);
    Stop(sim);
  }
  std::filesystem::remove_all(folder);
  return allOk ? 0 : 1;
}
