// The IEC options dialog's text boxes: the common address box's typed keys and
// text, and a confirmed dialog with any common address and interval text.

#include <string>

#include "common/ArkTypes.h"
#include "fuzz/FuzzInput.h"
#include "iec101/IecCfgForm.h"

using namespace vela;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::FuzzInput input(data, size);
  const std::string text = input.Rest();
  for (char c : text.substr(0, 16)) {
    const char key = TIecCfgForm::CommonAddressKey(c);
    if (key < '0' || key > '9') fuzz::Violated();
  }
  const std::string address = TIecCfgForm::CommonAddressText(text);
  const long long value = std::stoll(address);
  if (value < 1 || value > kIecCfgMaxCommonAddress) fuzz::Violated();

  TIecCfgForm form;
  const size_t split = text.find('\n');
  form.View().commonAddress = TIecCfgForm::CommonAddressText(text.substr(0, split));
  form.View().interval = split == std::string::npos ? text : text.substr(split + 1);
  try {
    if (form.Refusal().empty()) form.Store();
  } catch (const TArkException&) {
  }
  return 0;
}
