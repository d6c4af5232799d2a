// How long the main window's own work takes for one "read once": 11
// requests built and sent, 11 responses decoded, the cells filled, the panel
// redrawn. The responses are handed to the form in its own thread, as the
// port does after its hand-over, so the figure is the GUI thread's share.

#include <benchmark/benchmark.h>

#include "app/MainForm.h"
#include "common/Checksums.h"
#include "common/HeadlessEventLoop.h"
#include "serial/ScriptedBackend.h"

namespace vela {
namespace {

// Answers a read with zero registers and echoes a write, in RTU from address 1.
Octets AnswerTo(const Octets& request) {
  Octets body = request.substr(0, 2);
  if (static_cast<uint8_t>(request[1]) == 0x10) {
    body += request.substr(2, 4);
  } else {
    const int count = static_cast<uint8_t>(request[4]) << 8 | static_cast<uint8_t>(request[5]);
    body += static_cast<char>(2 * count);
    body += Octets(2 * count, '\0');
    const bool identification = static_cast<uint8_t>(request[1]) == 0x04 &&
                                static_cast<uint8_t>(request[2]) == 0x03 && request[3] == 0;
    if (identification) {  // HID of a supported Vela in registers 770..771
      body[7] = 0x41, body[8] = 0x52, body[9] = 0x01;
    }
  }
  const uint16_t crc = Crc16Modbus(body.data(), static_cast<int>(body.size()));
  body += static_cast<char>(crc & 0xFF);
  body += static_cast<char>(crc >> 8);
  return body;
}

void BM_ReadOnce(benchmark::State& state) {
  VirtualClock clock;
  HeadlessEventLoop loop(clock);
  TForm1Seams seams(clock, loop);
  seams.portFactory = [](const std::string& name) {
    return std::make_unique<TArkComPort>(name, std::make_unique<ScriptedBackend>());
  };
  TForm1 form(std::move(seams));
  Octets lastRequest;
  auto traceWrite = form.Engine().FPort->OnWrite;
  form.Engine().FPort->OnWrite = [&](TArkComPort* sender, const Octets& data) {
    lastRequest = data;
    traceWrite(sender, data);
  };
  int64_t responses = 0;
  for (auto _ : state) {
    form.Button4Click();
    while (form.Engine().FBusy) {
      form.Engine().PortRead(form.Engine().FPort.get(), AnswerTo(lastRequest));
      ++responses;
    }
  }
  state.counters["responses/op"] =
      benchmark::Counter(static_cast<double>(responses) / static_cast<double>(state.iterations()));
}
BENCHMARK(BM_ReadOnce)->Unit(benchmark::kMicrosecond)->Iterations(2000);

}  // namespace
}  // namespace vela

BENCHMARK_MAIN();
