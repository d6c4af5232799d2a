// What a trace costs the GUI thread: with no viewer, and with a viewer that
// reads as fast as it can (delivered and dropped texts are counted).

#include <benchmark/benchmark.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>

#include "debugcon/ArkDbgCon.h"

namespace {

std::string MakeTempDir() {
  char pattern[] = "/tmp/velalink-dbgcon-bench-XXXXXX";
  return ::mkdtemp(pattern) ? pattern : "";
}

void BM_SendWithoutViewer(benchmark::State& state) {
  const std::string dir = MakeTempDir();
  {
    vela::TArkDebugOutput output(vela::kDebugConsoleName, dir);
    const std::string text = " Rd: 01040400000000FB84";
    for (auto _ : state) benchmark::DoNotOptimize(output.Send(text));
  }
  std::filesystem::remove_all(dir);
}
BENCHMARK(BM_SendWithoutViewer);

void BM_SendToReadingViewer(benchmark::State& state) {
  const std::string dir = MakeTempDir();
  {
    vela::TArkDebugOutput output(vela::kDebugConsoleName, dir);
    const int fd = ::socket(AF_UNIX, SOCK_SEQPACKET, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, output.SocketPath().c_str(), sizeof address.sun_path - 1);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
      state.SkipWithError("connect failed");
      return;
    }
    while (!output.Connected()) std::this_thread::yield();
    std::atomic<long> received{0};
    std::thread reader([&] {
      char buffer[65536];
      while (::recv(fd, buffer, sizeof buffer, 0) > 0) ++received;
    });
    const std::string text(static_cast<size_t>(state.range(0)), 'T');
    long sent = 0;
    long dropped = 0;
    for (auto _ : state) {
      if (output.Send(text)) {
        ++sent;
      } else {
        ++dropped;
      }
    }
    state.counters["sent"] =
        benchmark::Counter(static_cast<double>(sent), benchmark::Counter::kIsRate);
    state.counters["dropped%"] =
        100.0 * static_cast<double>(dropped) / static_cast<double>(sent + dropped);
    ::shutdown(fd, SHUT_RDWR);
    reader.join();
    ::close(fd);
  }
  std::filesystem::remove_all(dir);
}
BENCHMARK(BM_SendToReadingViewer)->Arg(24)->Arg(200)->Arg(4000)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
