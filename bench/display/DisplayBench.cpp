// Figures for the display: turning one main-values response into cells, and
// painting the panel, on a canvas that only records the calls.

#include <benchmark/benchmark.h>

#include "common/Clock.h"
#include "display/CsvRecorder.h"
#include "display/MeasurementPanel.h"
#include "display/MeasurementPresenter.h"
#include "display/RegionalSettings.h"
#include "display/RegisterReading.h"
#include "modbus/ModbusBlockOps.h"
#include "modbus/ModbusPacker.h"
#include "tests/display/RecordingCanvas.h"

namespace vela {
namespace {

// A 4-wire response of the device, as octets on the line, made by the same
// codec that reads it.
Octets FourWireResponse(TModbusPacker& packer) {
  Octets body = {static_cast<char>(packer.Address), '\x04', static_cast<char>(23 * 2)};
  for (int i = 0; i < 23; ++i) {
    const uint16_t raw = static_cast<uint16_t>(0x7FFF + 37 * i);
    body += static_cast<char>(raw >> 8);
    body += static_cast<char>(raw & 0xFF);
  }
  return packer.WrapFrame(body);
}

void BM_ParseAndPresentMainValues(benchmark::State& state) {
  VirtualClock clock;
  TMeasurementCells cells;
  TMeasurementPresenter presenter(cells, clock);
  TModbusPacker packer(1);
  TModbusValues4Wire block;
  TModbusParamsMain mainPrm;
  mainPrm.SetNormalisationType(4);
  const Octets response = FourWireResponse(packer);
  for (auto _ : state) {
    ParseValues(packer, block, response);
    presenter.ShowReading(TValueGroup::MainValues, DecodeRegisters(block, mainPrm));
    benchmark::DoNotOptimize(cells[slotSc].Value());
  }
}
BENCHMARK(BM_ParseAndPresentMainValues);

void FillAllCells(TMeasurementCells& cells) {
  for (int slot = 0; slot < kSlotCount; ++slot) cells[slot].SetValue(100.0 + slot * 1.25);
}

void BM_RedrawOverview(benchmark::State& state) {
  TMeasurementCells cells;
  FillAllCells(cells);
  test::TRecordingCanvas canvas;
  TMeasurementPanel panel(cells, canvas, 0xF0F0F0);
  for (auto _ : state) {
    canvas.Clear();
    panel.Redraw();
  }
}
BENCHMARK(BM_RedrawOverview);

void BM_RedrawZoomWithFullTrend(benchmark::State& state) {
  TMeasurementCells cells;
  FillAllCells(cells);
  test::TRecordingCanvas canvas;
  TMeasurementPanel panel(cells, canvas, 0xF0F0F0);
  const TRect uab = cells.CellRect(slotUab);
  panel.MouseMove(uab.Left + 1, uab.Top + 1);
  panel.Click();
  for (int i = 0; i < 200; ++i) panel.Redraw();
  double value = 230.0;
  for (auto _ : state) {
    cells[slotUab].SetValue(value += 0.01);
    canvas.Clear();
    panel.Redraw();
  }
}
BENCHMARK(BM_RedrawZoomWithFullTrend);

void BM_HoverBetweenCells(benchmark::State& state) {
  TMeasurementCells cells;
  FillAllCells(cells);
  test::TRecordingCanvas canvas;
  TMeasurementPanel panel(cells, canvas, 0xF0F0F0);
  bool left = false;
  for (auto _ : state) {
    canvas.Clear();
    panel.MouseMove(left ? 20 : 220, 10);
    left = !left;
  }
}
BENCHMARK(BM_HoverBetweenCells);

void BM_BuildCsvRecord(benchmark::State& state) {
  SetCurrentRegionalSettings(RegionalSettingsOfLocale("ru_RU.UTF-8", "ru_RU.UTF-8"));
  VirtualClock clock;
  TMeasurementCells cells;
  FillAllCells(cells);
  TCsvRecorder recorder(cells, clock);
  for (auto _ : state) benchmark::DoNotOptimize(recorder.Record(clock.Now()));
}
BENCHMARK(BM_BuildCsvRecord);

}  // namespace
}  // namespace vela

BENCHMARK_MAIN();
