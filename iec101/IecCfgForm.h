#pragma once
// The IEC 60870-5-101 options dialog without a toolkit: what its controls show
// in either mode, what OK stores and in which order, and the input rules of
// the common address box. A toolkit dialog moves these values in and out of
// its widgets and does nothing else.

#include <string>

#include "iec101/IecOptionsDialog.h"

namespace vela {

// The dialog's controls as values. A length list shows its value as text;
// kNotListed stands for a list that shows no item (a device value none of
// its items has).
struct TIecCfgView {
  static constexpr int kNotListed = -1;

  std::string commonAddress = "1";
  int linkAddressLength = 1;    // items "0", "1", "2"
  int commonAddressLength = 1;  // items "1", "2"
  int cotLength = 1;            // items "1", "2"
  int ioaLength = 2;            // items "1", "2", "3"
  bool cyclic = false;
  bool cyclicEnabled = true;      // the check box itself can be changed
  bool deviceRowsVisible = true;  // interval and ASDU format rows
  std::string interval = "1000";
  int asduFormatIndex = 0;                // 0: "<13> - M_ME_NC_1", 1: "<14> - M_ME_TC_1"
  std::string linkAddress = "1";          // connection mode only
  std::string answerTime = "400";         // milliseconds; connection mode only
  std::string staleAfter = "10";          // seconds; connection mode only
  std::string interrogationPeriod = "0";  // seconds, 0: none; connection mode only

  // The interval's label and edit follow the check box.
  bool IntervalEnabled() const { return cyclic; }
};

constexpr int kIecCfgMaxCommonAddress = 65534;

class TIecCfgForm {
 public:
  // Loaded in device mode, as the dialog is when it is created.
  TIecCfgForm() { Load(TIecOptionsMode::Device, TIecOptions()); }

  // Keeps a copy of options to edit. Device mode shows the device options.
  // Connection mode shows the connection's field lengths, link address and
  // expected common address; the check box checked and fixed, the interval and ASDU format
  // rows hidden, the answer time, staleness and interrogation period rows
  // shown in their place.
  void Load(TIecOptionsMode mode, const TIecOptions& options);
  TIecOptionsMode Mode() const { return mode_; }
  // The options as loaded, with what OK stored.
  const TIecOptions& Options() const { return options_; }

  TIecCfgView& View() { return view_; }
  const TIecCfgView& View() const { return view_; }

  // Why OK cannot store the view, empty when it can: the common address must
  // fit the common address length chosen beside it; in connection mode the
  // link address must fit the link address length (CheckLinkAddressFits),
  // and it, the answer time, the staleness limit and the interrogation
  // period must be whole numbers within their ranges. A refused OK stores
  // nothing and leaves the dialog open.
  std::string Refusal() const;
  // The link address part of the refusal: empty when the link address fits
  // (or in device mode, which has none).
  std::string LinkAddressRefusal() const;
  // Why the window's OK refuses the interval, empty when it is a whole
  // number (or in connection mode, which has no interval).
  std::string IntervalRefusal() const;

  // OK. Raises the refusal, if any, before anything is stored. Device mode
  // then stores the four lengths, the common address, the ASDU format, the
  // cyclic flag and the interval, in this order; a list that shows no item
  // keeps its option. An interval that is not an integer puts the old value
  // back into the view and raises TArkException after the others were
  // stored. Connection mode: the length setters may raise their messages.
  void Store();

  // A typed character as the common address box enters it: digits as they
  // are, anything else (backspace too) as the digit zero.
  static char CommonAddressKey(char typed);
  // The box's text after a change: an integer from 1 to 65534 stays,
  // anything else becomes "1".
  static std::string CommonAddressText(const std::string& text);

 private:
  int ChosenCommonAddressLength() const;
  void StoreDevice();
  void StoreConnection();

  TIecOptionsMode mode_ = TIecOptionsMode::Device;
  TIecOptions options_;
  TIecCfgView view_;
};

}  // namespace vela
