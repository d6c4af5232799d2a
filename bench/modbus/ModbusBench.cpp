// Speed of the Modbus checksums and framing: Crc16 over buffers of several
// sizes, and wrapping/unwrapping the largest read answer in both framings.

#include <benchmark/benchmark.h>

#include <string>

#include "common/Checksums.h"
#include "modbus/ModbusPacker.h"

namespace vela {
namespace {

Octets Filler(size_t length) {
  Octets octets(length, '\0');
  for (size_t i = 0; i < length; ++i) octets[i] = static_cast<char>(i * 31 + 7);
  return octets;
}

void BM_Crc16(benchmark::State& state) {
  const Octets data = Filler(static_cast<size_t>(state.range(0)));
  for (auto _ : state) {
    benchmark::DoNotOptimize(Crc16Modbus(data.data(), static_cast<int>(data.size())));
  }
  state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_Crc16)->Arg(8)->Arg(256)->Arg(4096);

void BM_Lrc(benchmark::State& state) {
  const Octets data = Filler(static_cast<size_t>(state.range(0)));
  for (auto _ : state) {
    benchmark::DoNotOptimize(Lrc(data.data(), static_cast<int>(data.size())));
  }
  state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_Lrc)->Arg(256);

// Body of an answer to a read of 125 registers (the largest the device sends).
Octets LargestReadAnswer() {
  Octets body = "\x01\x04";
  body += static_cast<char>(250);
  return body + Filler(250);
}

void BM_WrapFrame(benchmark::State& state) {
  TModbusPacker packer(1);
  packer.RtuMode = state.range(0) != 0;
  const Octets body = LargestReadAnswer();
  for (auto _ : state) benchmark::DoNotOptimize(packer.WrapFrame(body));
  state.SetLabel(packer.RtuMode ? "RTU" : "ASCII");
}
BENCHMARK(BM_WrapFrame)->Arg(1)->Arg(0);

void BM_UnwrapFrame(benchmark::State& state) {
  TModbusPacker packer(1);
  packer.RtuMode = state.range(0) != 0;
  const Octets frame = packer.WrapFrame(LargestReadAnswer());
  const int expected = packer.ExpectedReadLength(125);
  for (auto _ : state) {
    Octets copy = frame;
    packer.UnwrapFrame(copy, expected);
    benchmark::DoNotOptimize(copy);
  }
  state.SetLabel(packer.RtuMode ? "RTU" : "ASCII");
}
BENCHMARK(BM_UnwrapFrame)->Arg(1)->Arg(0);

}  // namespace
}  // namespace vela

BENCHMARK_MAIN();
