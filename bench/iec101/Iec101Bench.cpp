// Figures of the IEC 60870-5-101 codec and link master: recognising a full
// response frame, finding where it ends, building a command frame, reading
// the 28 measured values of one ASDU, and one class 2 service on the virtual
// clock with its answer whole or in three pieces after a stray octet.

#include <benchmark/benchmark.h>

#include <vector>

#include "common/HeadlessEventLoop.h"
#include "iec101/Iec101Master.h"
#include "iec101/IecAsdu.h"
#include "iec101/IecPacket.h"
#include "iec101/IecSettings.h"

namespace vela {
namespace {

// The field lengths the program starts with.
const TIecFieldLengths kLengths;

// M_ME_NC_1, SQ = 0, 28 objects at IOA 1..28: the whole display in one ASDU.
Octets MeasuredAsdu() {
  TArkOutAsdu asdu(kLengths, 13, 20, 1);
  asdu.SetObjectCount(28);
  for (uint32_t ioa = 1; ioa <= 28; ++ioa) {
    asdu.AppendObjectAddress(ioa);
    asdu.AppendOctets(TArkIecTypeFloatQDS(230.5f, 0).AsOctets());
  }
  return asdu.AsOctets();
}

void BM_RecogniseUserDataFrame(benchmark::State& state) {
  const Octets frame =
      TArkOutPacket::Secondary(kLengths, 8, 1, false, false, MeasuredAsdu()).Frame();
  for (auto _ : state) {
    TArkInPacket packet(kLengths, frame);
    benchmark::DoNotOptimize(packet.UserData().size());
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(frame.size()));
}
BENCHMARK(BM_RecogniseUserDataFrame);

void BM_FrameLengthOfUserDataFrame(benchmark::State& state) {
  const Octets frame =
      TArkOutPacket::Secondary(kLengths, 8, 1, false, false, MeasuredAsdu()).Frame();
  for (auto _ : state) benchmark::DoNotOptimize(Ft12FrameLength(kLengths, frame));
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(frame.size()));
}
BENCHMARK(BM_FrameLengthOfUserDataFrame);

void BM_BuildInterrogationFrame(benchmark::State& state) {
  for (auto _ : state) {
    const TArkOutAsdu asdu = TArkOutAsdu::CreateInterrogation(kLengths, 6, 1, 20);
    TArkOutPacket packet(kLengths, 3, 1, 1, true, asdu.AsOctets());
    benchmark::DoNotOptimize(packet.Frame().data());
  }
}
BENCHMARK(BM_BuildInterrogationFrame);

void BM_ReadAllMeasuredValues(benchmark::State& state) {
  const TArkInAsdu asdu(kLengths, MeasuredAsdu());
  for (auto _ : state) {
    float sum = 0;
    for (uint32_t i = 0; i < 28; ++i) sum += asdu.GetMeasuredValue(i)->element.Value();
    benchmark::DoNotOptimize(sum);
  }
}
BENCHMARK(BM_ReadAllMeasuredValues);

// pieces = 1: the answer in one chunk; 3: a stray octet, then the answer in
// three chunks.
void BM_Class2ServiceRoundTrip(benchmark::State& state) {
  VirtualClock clock;
  HeadlessEventLoop loop(clock);
  const Octets answer =
      TArkOutPacket::Secondary(kLengths, 8, 1, false, false, MeasuredAsdu()).Frame();
  std::vector<Octets> chunks = {answer};
  if (state.range(0) == 3) {
    const size_t third = answer.size() / 3;
    Octets first = "\xFF";  // a stray octet ahead of the frame
    first.append(answer, 0, third);
    chunks = {first, answer.substr(third, third), answer.substr(2 * third)};
  }
  TArkSocket101Master master(loop, clock, TIecLink{[](const Octets&) { return true; }, {}, {}},
                             kLengths, 1);
  int results = 0;
  master.OnLinkResult = [&](TArkSocket101Master*, TLinkResult, const TArkInAsdu*, bool) {
    ++results;
  };
  master.ResetLink(3);
  master.ReceiveOctets(TArkOutPacket::Secondary(kLengths, 11, 1, false, false).Frame());
  master.ReceiveOctets(TArkOutPacket::Secondary(kLengths, 0, 1, false, false).Frame());
  for (auto _ : state) {
    master.RequestClass2(3);
    for (const Octets& chunk : chunks) master.ReceiveOctets(chunk);
  }
  benchmark::DoNotOptimize(results);
}
BENCHMARK(BM_Class2ServiceRoundTrip)->Arg(1)->Arg(3);

}  // namespace
}  // namespace vela

BENCHMARK_MAIN();
