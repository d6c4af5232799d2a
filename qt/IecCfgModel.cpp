#include "qt/IecCfgModel.h"

#include <charconv>
#include <cstdio>

#include "common/ArkTypes.h"
#include "iec101/IecDeviceOptions.h"
#include "iec101/IecSettings.h"

namespace vela {
namespace {

// A whole decimal number with an optional sign, nothing else.
bool ParseInteger(const std::string& text, long long& value) {
  const char* first = text.data();
  const char* last = first + text.size();
  if (first != last && *first == '+') ++first;
  const auto [end, error] = std::from_chars(first, last, value);
  return error == std::errc() && end == last && first != last;
}

std::string IntervalError(const std::string& rejected, int old) {
  const std::string format =
      "Ошибка ввода. Некорректное значение таймаута \"%s\" заменено на \"%d\".";
  char text[512];
  std::snprintf(text, sizeof text, format.c_str(), rejected.substr(0, 200).c_str(), old);
  return text;
}

void ShowDeviceRows(TIecCfgView& view, bool device) {
  view.cyclicEnabled = device;
  view.deviceRowsVisible = device;
  view.buttonsTop = device ? kIecCfgDeviceButtonsTop : kIecCfgConnectionButtonsTop;
  view.formHeight = device ? kIecCfgDeviceFormHeight : kIecCfgConnectionFormHeight;
}

}  // namespace

TIecCfgView LoadIecCfg(TIecCfgMode mode) {
  TIecCfgView view;
  const TIecDeviceOptions& options = IecDeviceOptions();
  if (mode == TIecCfgMode::Device) {
    view.linkAddressLength = options.LinkAddressLength;
    view.commonAddressLength = options.CommonAddressLength;
    view.cotLength = options.CotLength;
    view.ioaLength = options.IoaLength;
    view.commonAddress = std::to_string(options.CommonAddress);
    view.asduFormatIndex = options.AsduFormat - 13;
    view.cyclic = options.CyclicTransmission;
    view.interval = std::to_string(options.CyclicInterval);
  } else {
    view.linkAddressLength = static_cast<int>(LinkAddressLength());
    view.commonAddressLength = static_cast<int>(CommonAddressLength());
    view.cotLength = static_cast<int>(CotLength());
    view.ioaLength = static_cast<int>(IoaLength());
    view.commonAddress = std::to_string(ExpectedCommonAddress());
    view.cyclic = true;
    view.interval = std::to_string(options.CyclicInterval);
  }
  ShowDeviceRows(view, mode == TIecCfgMode::Device);
  return view;
}

void StoreIecCfg(TIecCfgMode mode, TIecCfgView& view) {
  const int commonAddress = std::stoi(IecCommonAddressText(view.commonAddress));
  if (mode == TIecCfgMode::Connection) {
    SetLinkAddressLength(view.linkAddressLength);
    SetCommonAddressLength(view.commonAddressLength);
    SetCotLength(view.cotLength);
    SetIoaLength(view.ioaLength);
    SetExpectedCommonAddress(commonAddress);
    return;
  }
  TIecDeviceOptions& options = IecDeviceOptions();
  options.LinkAddressLength = view.linkAddressLength;
  options.CommonAddressLength = view.commonAddressLength;
  options.CotLength = view.cotLength;
  options.IoaLength = view.ioaLength;
  options.CommonAddress = commonAddress;
  options.AsduFormat = view.asduFormatIndex + 13;
  options.CyclicTransmission = view.cyclic;
  long long interval = 0;
  if (!ParseInteger(view.interval, interval) || interval < INT32_MIN || interval > INT32_MAX) {
    const std::string rejected = view.interval;
    view.interval = std::to_string(options.CyclicInterval);
    throw TArkException(IntervalError(rejected, options.CyclicInterval));
  }
  options.CyclicInterval = static_cast<int32_t>(interval);
}

char IecCommonAddressKey(char typed) {
  return typed >= '0' && typed <= '9' ? typed : '0';
}

std::string IecCommonAddressText(const std::string& text) {
  long long value = 0;
  if (!ParseInteger(text, value) || value < 1 || value > kIecCfgMaxCommonAddress) return "1";
  return text;
}

}  // namespace vela
