#pragma once
// The 28 displayed quantities: their slots, labels, units, formats, places on
// the panel and the smallest span of their trend plot. The IEC 60870-5-101
// information object address of a slot is slot + 1.

#include <array>
#include <initializer_list>

#include "display/ClrValue.h"

namespace vela {

enum TSlot : int {
  slotF = 0,
  slotP,
  slotQ,
  slotS,
  slotUab,
  slotUbc,
  slotUca,
  slotIa,
  slotIb,
  slotIc,
  slotIo,
  slotUa,
  slotUb,
  slotUc,
  slotUo,
  slotPa,
  slotPb,
  slotPc,
  slotQa,
  slotQb,
  slotQc,
  slotSa,
  slotSb,
  slotSc,
  slotCosA,
  slotCosB,
  slotCosC,
  slotCos,
};
constexpr int kSlotCount = 28;

// Width and height of a cell's hit rectangle.
constexpr int kCellHitWidth = 155;
constexpr int kCellHitHeight = 18;

// The cells a 3-wire network has, and the 23 of the 4-wire main values.
inline constexpr std::array<TSlot, 9> kThreeWireMainSlots = {
    slotIa, slotIb, slotIc, slotUab, slotUbc, slotUca, slotP, slotQ, slotS};
inline constexpr std::array<TSlot, 23> kFourWireMainSlots = {
    slotP,  slotQ,  slotS,  slotUab, slotUbc, slotUca, slotIa, slotIb,
    slotIc, slotIo, slotUa, slotUb,  slotUc,  slotUo,  slotPa, slotPb,
    slotPc, slotQa, slotQb, slotQc,  slotSa,  slotSb,  slotSc};
// Cells that do not apply to a 3-wire network.
inline constexpr std::array<TSlot, 17> kFourWireOnlySlots = {
    slotUa, slotUb, slotUc, slotUo, slotIo, slotPa,   slotPb,   slotPc,  slotQa,
    slotQb, slotQc, slotSa, slotSb, slotSc, slotCosA, slotCosB, slotCosC};

// The main window's 28 cells, created as the panel shows them.
class TMeasurementCells {
 public:
  TMeasurementCells();

  TClrValue& operator[](int slot) { return FCells.at(slot); }
  const TClrValue& operator[](int slot) const { return FCells.at(slot); }

  // Hit rectangle of a slot on the panel.
  TRect CellRect(int slot) const;
  // Smallest span of the trend plot when zooming into a slot.
  static double CellMinRange(int slot);

  void SetNone(std::initializer_list<TSlot> slots);
  template <size_t N>
  void SetNone(const std::array<TSlot, N>& slots) {
    for (TSlot slot : slots) FCells[slot].SetNone();
  }
  void SetAllNone();

 private:
  std::array<TClrValue, kSlotCount> FCells;
};

}  // namespace vela
