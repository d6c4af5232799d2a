#pragma once
// What the IEC 60870-5-101 options dialog shows and stores, without a
// toolkit: loading the controls in either mode, storing a confirmed dialog,
// and the input rules of the common address box. The Qt dialog only moves
// these values in and out of its widgets.

#include <string>

namespace vela {

enum class TIecCfgMode {
  Device,      // the device's working interface (IecDeviceOptions)
  Connection,  // the program's own connection (field lengths, expected address)
};

// The dialog's controls as values; the length lists show their values as text.
struct TIecCfgView {
  std::string commonAddress = "1";
  int linkAddressLength = 1;    // items "0", "1", "2"
  int commonAddressLength = 1;  // items "1", "2"
  int cotLength = 1;            // items "1", "2"
  int ioaLength = 2;            // items "1", "2", "3"
  bool cyclic = false;
  bool cyclicEnabled = true;      // the check box itself can be changed
  bool deviceRowsVisible = true;  // interval and ASDU format rows
  std::string interval = "1000";
  int asduFormatIndex = 0;  // 0: "<13> - M_ME_NC_1", 1: "<14> - M_ME_TC_1"
  int buttonsTop = 280;
  int formHeight = 347;
};

// Window geometry of both modes.
constexpr int kIecCfgClientWidth = 419;
constexpr int kIecCfgDeviceButtonsTop = 280;
constexpr int kIecCfgDeviceFormHeight = 347;
constexpr int kIecCfgConnectionButtonsTop = 206;
constexpr int kIecCfgConnectionFormHeight = 273;
constexpr int kIecCfgMaxCommonAddress = 65533;

TIecCfgView LoadIecCfg(TIecCfgMode mode);

// Stores a confirmed dialog. Device mode: lengths, common address, ASDU
// format, cyclic flag, then the interval; an interval that is not an integer
// puts the old value back into view.interval and raises TArkException after
// the others were stored. Connection mode: the length setters may raise with
// their own messages.
void StoreIecCfg(TIecCfgMode mode, TIecCfgView& view);

// A typed character as the common address box enters it: digits as they are,
// anything else as the digit zero.
char IecCommonAddressKey(char typed);
// The box's text after a change: an integer from 1 to 65533 stays, anything
// else becomes "1".
std::string IecCommonAddressText(const std::string& text);

}  // namespace vela
