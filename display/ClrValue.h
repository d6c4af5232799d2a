#pragma once
// One displayed quantity: label, unit, number format, colour, place on the
// panel, the last value received and what the cell shows. It draws itself in
// the small form of the overview and the large form of the zoom view, and
// gives its text for the CSV recording.

#include <cstdint>
#include <string>

#include "display/FittedValue.h"
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

// Why a cell holds nothing although its quantity was asked for in the
// reading: the block that carries it brought no value this time.
enum class TMissingReason : uint8_t {
  None,             // not asked for, or not missing
  NoAnswer,         // the request got no answer
  BadFrame,         // the answer was broken or from another station
  DeviceException,  // the device refused the request
};

// "no-answer", "bad-frame", "device-exception"; empty for None.
const char* MissingReasonName(TMissingReason reason);

// Colour every cell is created with (near black: at least 4.5:1 on the
// panel grey, as are the two colours below).
constexpr TColor kCellValueColor = 0x202020;
// Label, value and unit of the highlighted cell (dark blue).
constexpr TColor kHighlightColor = 0x990000;
// Quality marks, highlighted or not (dark slate).
constexpr TColor kMarkColor = 0x403020;
// Origin of the enlarged cell, and where its unit must end (short of the
// trend plot beside it).
constexpr int kLargeLeft = 20;
constexpr int kLargeTop = 60;
constexpr int kLargeRight = 412;

class TClrValue {
 public:
  TClrValue(int x, int y, double value, std::string format, TColor color, std::string name,
            std::string unit, int valueOffset);

  void SetValue(double value);
  void SetOverflow() { SetState(cvsOverflow); }
  void SetSubstituted() { SetState(cvsSubstituted); }
  void SetBlocked() { SetState(cvsBlocked); }
  void SetNotTopical() { SetState(cvsNotTopical); }
  void SetNone() { SetState(cvsNone); }
  // Hidden like SetNone, keeping why the reading brought no value; any
  // other state set later forgets the reason.
  void SetMissing(TMissingReason reason) {
    FState = cvsNone;
    FMissing = reason;
  }

  TClrValueState State() const { return FState; }
  TMissingReason Missing() const { return FMissing; }
  double Value() const { return FValue; }
  const std::string& Format() const { return FFormat; }
  const std::string& Name() const { return FName; }
  const std::string& Unit() const { return FUnit; }
  int X() const { return FX; }
  int Y() const { return FY; }
  // Where the small form's unit must end (the next cell or the panel's
  // edge); 0: anywhere.
  void SetRight(int right) { FRight = right; }

  // The text recorded in CSV files: the value without leading blank, a mark,
  // or empty.
  std::string GetText() const;

  // Small form at the cell's own place.
  void Draw(TCanvas& canvas, bool highlight) const;
  // Large form at (kLargeLeft, kLargeTop).
  void DrawLarge(TCanvas& canvas) const;

 private:
  std::string FormattedValue() const;
  // The value and unit texts that fit room pixels in these fonts.
  TFittedValue Fitted(TCanvas& canvas, const TFont& valueFont, const TFont& unitFont,
                      bool leadingBlank, int room) const;
  static constexpr int kUnlimited = 1 << 30;
  void SetState(TClrValueState state) {
    FState = state;
    FMissing = TMissingReason::None;
  }

  int FX;
  int FY;
  std::string FFormat;
  double FValue;
  TColor FColor;
  std::string FName;
  std::string FUnit;
  TClrValueState FState = cvsEmpty;
  TMissingReason FMissing = TMissingReason::None;
  int FValueOffset;
  int FRight = 0;
};

// "ovf", "sub", "blk", "NT", "inv" for the mark states; empty for the others.
const char* QualityMarkText(TClrValueState state);

}  // namespace vela
