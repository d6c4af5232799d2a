#pragma once
// One displayed quantity: label, unit, number format, colour, place on the
// panel, the last value received and what the cell shows. It draws itself in
// the small form of the overview and the large form of the zoom view, and
// gives its text for the CSV recording.

#include <cstdint>
#include <string>

#include "ui/Canvas.h"

namespace vela {

enum TClrValueState : uint8_t {
  cvsEmpty = 0,        // label only, no value yet
  cvsValue = 1,        // the value
  cvsOverflow = 2,     // mark "ovf"
  cvsSubstituted = 3,  // mark "sub"
  cvsBlocked = 4,      // mark "blk"
  cvsNotTopical = 5,   // mark "NT"
  cvsInvalid = 6,      // mark "inv"
  cvsNone = 7,         // nothing at all
};

// Colour every cell is created with (dark grey).
constexpr TColor kCellValueColor = 0x414141;
// Label, value and unit of the highlighted cell (dark blue).
constexpr TColor kHighlightColor = 0x990000;
// Quality marks, highlighted or not.
constexpr TColor kMarkColor = 0x807060;
// Origin of the enlarged cell.
constexpr int kLargeLeft = 20;
constexpr int kLargeTop = 60;

class TClrValue {
 public:
  TClrValue(int x, int y, double value, std::string format, TColor color, std::string name,
            std::string unit, int valueOffset);

  void SetValue(double value);
  void SetOverflow() { FState = cvsOverflow; }
  void SetSubstituted() { FState = cvsSubstituted; }
  void SetBlocked() { FState = cvsBlocked; }
  void SetNotTopical() { FState = cvsNotTopical; }
  void SetNone() { FState = cvsNone; }

  TClrValueState State() const { return FState; }
  double Value() const { return FValue; }
  const std::string& Format() const { return FFormat; }
  const std::string& Name() const { return FName; }
  const std::string& Unit() const { return FUnit; }
  int X() const { return FX; }
  int Y() const { return FY; }

  // The text recorded in CSV files: the value without leading blank, a mark,
  // or empty.
  std::string GetText() const;

  // Small form at the cell's own place.
  void Draw(TCanvas& canvas, bool highlight) const;
  // Large form at (kLargeLeft, kLargeTop).
  void DrawLarge(TCanvas& canvas) const;

 private:
  std::string FormattedValue() const;

  int FX;
  int FY;
  std::string FFormat;
  double FValue;
  TColor FColor;
  std::string FName;
  std::string FUnit;
  TClrValueState FState = cvsEmpty;
  int FValueOffset;
};

// "ovf", "sub", "blk", "NT", "inv" for the mark states; empty for the others.
const char* QualityMarkText(TClrValueState state);

}  // namespace vela
