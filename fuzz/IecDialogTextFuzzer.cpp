// The IEC options dialog's text boxes: the common address box's typed keys and
// text, and a confirmed dialog with any common address and interval text.

#include <string>

#include "common/ArkTypes.h"
#include "fuzz/FuzzInput.h"
#include "iec101/IecSettings.h"
#include "qt/IecCfgModel.h"

using namespace vela;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::FuzzInput input(data, size);
  const std::string text = input.Rest();
  for (char c : text.substr(0, 16)) {
    const char key = IecCommonAddressKey(c);
    if (key < '0' || key > '9') fuzz::Violated();
  }
  const std::string address = IecCommonAddressText(text);
  const long long value = std::stoll(address);
  if (value < 1 || value > kIecCfgMaxCommonAddress) fuzz::Violated();

  TIecCfgView view = LoadIecCfg(TIecCfgMode::Device);
  const size_t split = text.find('\n');
  view.commonAddress = IecCommonAddressText(text.substr(0, split));
  view.interval = split == std::string::npos ? text : text.substr(split + 1);
  try {
    StoreIecCfg(TIecCfgMode::Device, view);
  } catch (const TArkException&) {
  }
  RestoreDefaultIecSettings();
  return 0;
}
