#include "display/MeasurementCells.h"

#include <utility>

namespace vela {
namespace {

struct TCellLayout {
  const char* Label;
  const char* Unit;
  const char* Format;
  int X, Y;
  double MinRange;
};

// Columns at X 10, 205, 400 (label column 58 pixels wide) and 595 (45 pixels).
constexpr std::array<TCellLayout, kSlotCount> kLayout = {{
    {"f", "Гц", "%.3f", 595, 5, 0.01},     {"P", "Вт", "%.1f", 595, 89, 1.0},
    {"Q", "вар", "%.1f", 595, 113, 1.0},   {"S", "ВА", "%.1f", 595, 137, 1.0},
    {"Uab", "В", "%.2f", 10, 5, 0.1},      {"Ubc", "В", "%.2f", 205, 5, 0.1},
    {"Uca", "В", "%.2f", 400, 5, 0.1},     {"Ia", "А", "%.4f", 10, 59, 0.001},
    {"Ib", "А", "%.4f", 205, 59, 0.001},   {"Ic", "А", "%.4f", 400, 59, 0.001},
    {"Io", "А", "%.4f", 595, 59, 0.001},   {"Ua", "В", "%.2f", 10, 35, 0.1},
    {"Ub", "В", "%.2f", 205, 35, 0.1},     {"Uc", "В", "%.2f", 400, 35, 0.1},
    {"Uo", "В", "%.2f", 595, 35, 0.1},     {"Pa", "Вт", "%.1f", 10, 89, 1.0},
    {"Pb", "Вт", "%.1f", 205, 89, 1.0},    {"Pc", "Вт", "%.1f", 400, 89, 1.0},
    {"Qa", "вар", "%.1f", 10, 113, 1.0},   {"Qb", "вар", "%.1f", 205, 113, 1.0},
    {"Qc", "вар", "%.1f", 400, 113, 1.0},  {"Sa", "ВА", "%.1f", 10, 137, 1.0},
    {"Sb", "ВА", "%.1f", 205, 137, 1.0},   {"Sc", "ВА", "%.1f", 400, 137, 1.0},
    {"cosA", "", "%.4f", 10, 161, 0.001},  {"cosB", "", "%.4f", 205, 161, 0.001},
    {"cosC", "", "%.4f", 400, 161, 0.001}, {"cos", "", "%.4f", 595, 161, 0.001},
}};

// A cell's text ends a few pixels short of the next column, and the last
// column's short of the panel's frame (the panel is 760 pixels wide).
constexpr int kLastColumn = 595;
constexpr int kColumnStep = 195;
constexpr int kCellGap = 8;
constexpr int kPanelRight = 760 - kCellGap;

TClrValue MakeCell(int slot) {
  const TCellLayout& c = kLayout[slot];
  const int labelColumn = c.X == kLastColumn ? 45 : 58;
  TClrValue cell(c.X, c.Y, 0.0, c.Format, kCellValueColor, c.Label, c.Unit, labelColumn);
  cell.SetRight(c.X == kLastColumn ? kPanelRight : c.X + kColumnStep - kCellGap);
  return cell;
}

template <size_t... I>
std::array<TClrValue, kSlotCount> MakeCells(std::index_sequence<I...>) {
  return {MakeCell(I)...};
}

}  // namespace

TMeasurementCells::TMeasurementCells()
    : FCells(MakeCells(std::make_index_sequence<kSlotCount>())) {}

TRect TMeasurementCells::CellRect(int slot) const {
  const TClrValue& cell = FCells.at(slot);
  return {cell.X(), cell.Y(), cell.X() + kCellHitWidth, cell.Y() + kCellHitHeight};
}

double TMeasurementCells::CellMinRange(int slot) {
  return kLayout.at(slot).MinRange;
}

void TMeasurementCells::SetNone(std::initializer_list<TSlot> slots) {
  for (TSlot slot : slots) FCells[slot].SetNone();
}

void TMeasurementCells::SetAllNone() {
  for (TClrValue& cell : FCells) cell.SetNone();
}

}  // namespace vela
