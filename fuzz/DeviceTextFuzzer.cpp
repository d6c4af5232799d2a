// Texts made from device octets and from the user's hexadecimal input: the
// hexadecimal text both ways, the device clock (seconds counter and
// CP56Time2a) and the recording-rate list item.

#include <array>
#include <cstring>

#include "common/ArkCmnUtils.h"
#include "display/CsvRecorder.h"
#include "fuzz/FuzzInput.h"
#include "iec101/IecTypes.h"

using namespace vela;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::FuzzInput input(data, size);
  std::array<uint8_t, TArkIecTypeTime::kSize> time{};
  for (uint8_t& octet : time) octet = input.Take();
  (void)TArkIecTypeTime(time).ClockText();
  uint32_t seconds = 0;
  std::memcpy(&seconds, time.data(), sizeof seconds);
  (void)SecondsToText(seconds);
  const int rateItem = static_cast<int8_t>(time[4]);
  if (TCsvRecorder::RecordIntervalOfItem(rateItem) < 0) fuzz::Violated();

  const std::string text = input.Rest();
  const Octets octets = HexToBytes(text);
  // Every octet text the program writes reads back as the same octets.
  if (HexToBytes(BytesToHex(text)) != text) fuzz::Violated();
  (void)octets;
  return 0;
}
