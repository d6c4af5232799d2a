#include "iec101/IecCfgForm.h"

#include <charconv>
#include <cstdint>
#include <cstdio>

#include "common/ArkTypes.h"
#include "iec101/IecMessages.h"
#include "iec101/IecSettings.h"

namespace vela {
namespace {

constexpr int kFirstAsduFormat = 13;  // item 0: M_ME_NC_1, item 1: M_ME_TC_1

// A whole decimal number with an optional plus sign, nothing else.
bool ParseInteger(const std::string& text, long long& value) {
  const char* first = text.data();
  const char* last = first + text.size();
  if (first != last && *first == '+') ++first;
  const auto [end, error] = std::from_chars(first, last, value);
  return error == std::errc() && end == last && first != last;
}

// At most limit octets of text, not cutting a UTF-8 character in two.
std::string Shortened(const std::string& text, std::size_t limit) {
  if (text.size() <= limit) return text;
  while (limit > 0 && (static_cast<unsigned char>(text[limit]) & 0xC0) == 0x80) --limit;
  return text.substr(0, limit);
}

std::string IntervalError(const std::string& rejected, int old) {
  char text[512];
  std::snprintf(text, sizeof text, iec_messages::kBadCyclicInterval,
                Shortened(rejected, 200).c_str(), old);
  return text;
}

bool Listed(int value, int low, int high) {
  return value >= low && value <= high;
}

// Stores what a list shows; a list that shows none of its items keeps the option.
void StoreListed(int32_t& option, int shown, int low, int high) {
  if (Listed(shown, low, high)) option = shown;
}

}  // namespace

void TIecCfgForm::Load(TIecOptionsMode mode, const TIecOptions& loaded) {
  mode_ = mode;
  options_ = loaded;
  const bool device = mode == TIecOptionsMode::Device;
  const TIecDeviceOptions& options = options_.device;
  const TIecLinkSettings& connection = options_.connection;
  TIecCfgView view;
  if (device) {
    view.linkAddressLength = options.LinkAddressLength;
    view.commonAddressLength = options.CommonAddressLength;
    view.cotLength = options.CotLength;
    view.ioaLength = options.IoaLength;
    view.commonAddress = std::to_string(options.CommonAddress);
    view.asduFormatIndex = options.AsduFormat - kFirstAsduFormat;
    view.cyclic = options.CyclicTransmission;
  } else {
    view.linkAddressLength = static_cast<int>(connection.lengths.LinkAddressLength());
    view.commonAddressLength = static_cast<int>(connection.lengths.CommonAddressLength());
    view.cotLength = static_cast<int>(connection.lengths.CotLength());
    view.ioaLength = static_cast<int>(connection.lengths.IoaLength());
    view.commonAddress = std::to_string(connection.expectedCommonAddress);
    view.linkAddress = std::to_string(connection.linkAddress);
    view.answerTime = std::to_string(connection.answerTimeMs);
    view.staleAfter = std::to_string(connection.staleAfterS);
    view.interrogationPeriod = std::to_string(connection.interrogationPeriodS);
    view.cyclic = true;
  }
  view.interval = std::to_string(options.CyclicInterval);
  view.cyclicEnabled = device;
  view.deviceRowsVisible = device;
  view_ = view;
}

int TIecCfgForm::ChosenCommonAddressLength() const {
  // In device mode a list that shows no item keeps the option's length.
  if (mode_ == TIecOptionsMode::Device && !Listed(view_.commonAddressLength, 1, 2)) {
    return options_.device.CommonAddressLength;
  }
  return view_.commonAddressLength;
}

std::string TIecCfgForm::Refusal() const {
  const auto address = static_cast<uint32_t>(std::stoul(CommonAddressText(view_.commonAddress)));
  try {
    CheckCommonAddressFits(address, ChosenCommonAddressLength());
  } catch (const TArkException& e) {
    return e.what();
  }
  if (mode_ != TIecOptionsMode::Connection) return {};
  const struct {
    const std::string& text;
    long long low, high;
    const char* message;
  } numbers[] = {
      {view_.answerTime, kMinAnswerTimeMs, kMaxAnswerTimeMs, iec_messages::kBadAnswerTime},
      {view_.staleAfter, 1, kMaxStaleAfterS, iec_messages::kBadStaleAfter},
      {view_.interrogationPeriod, 0, kMaxInterrogationPeriodS,
       iec_messages::kBadInterrogationPeriod},
  };
  for (const auto& n : numbers) {
    long long value = 0;
    if (!ParseInteger(n.text, value) || value < n.low || value > n.high) {
      char text[512];
      std::snprintf(text, sizeof text, n.message, Shortened(n.text, 200).c_str());
      return text;
    }
  }
  return LinkAddressRefusal();
}

std::string TIecCfgForm::LinkAddressRefusal() const {
  if (mode_ != TIecOptionsMode::Connection) return {};
  long long value = 0;
  if (!ParseInteger(view_.linkAddress, value) || value < 0 || value > 65534) {
    char text[512];
    std::snprintf(text, sizeof text, iec_messages::kBadLinkAddress,
                  Shortened(view_.linkAddress, 200).c_str());
    return text;
  }
  try {
    CheckLinkAddressFits(static_cast<uint32_t>(value), view_.linkAddressLength);
  } catch (const TArkException& e) {
    return e.what();
  }
  return {};
}

std::string TIecCfgForm::IntervalRefusal() const {
  long long interval = 0;
  if (mode_ != TIecOptionsMode::Device ||
      (ParseInteger(view_.interval, interval) && interval >= INT32_MIN && interval <= INT32_MAX)) {
    return {};
  }
  char text[512];
  std::snprintf(text, sizeof text, iec_messages::kIntervalNotWhole,
                Shortened(view_.interval, 200).c_str());
  return text;
}

void TIecCfgForm::Store() {
  const std::string refusal = Refusal();
  if (!refusal.empty()) throw TArkException(refusal);
  if (mode_ == TIecOptionsMode::Device) {
    StoreDevice();
  } else {
    StoreConnection();
  }
}

void TIecCfgForm::StoreConnection() {
  TIecLinkSettings& connection = options_.connection;
  connection.lengths.SetLinkAddressLength(view_.linkAddressLength);
  connection.lengths.SetCommonAddressLength(view_.commonAddressLength);
  connection.lengths.SetCotLength(view_.cotLength);
  connection.lengths.SetIoaLength(view_.ioaLength);
  connection.linkAddress = static_cast<uint32_t>(std::stoul(view_.linkAddress));
  connection.expectedCommonAddress = std::stoul(CommonAddressText(view_.commonAddress));
  connection.answerTimeMs = static_cast<uint32_t>(std::stoul(view_.answerTime));
  connection.staleAfterS = static_cast<uint32_t>(std::stoul(view_.staleAfter));
  connection.interrogationPeriodS = static_cast<uint32_t>(std::stoul(view_.interrogationPeriod));
}

void TIecCfgForm::StoreDevice() {
  TIecDeviceOptions& options = options_.device;
  StoreListed(options.LinkAddressLength, view_.linkAddressLength, 0, 2);
  StoreListed(options.CommonAddressLength, view_.commonAddressLength, 1, 2);
  StoreListed(options.CotLength, view_.cotLength, 1, 2);
  StoreListed(options.IoaLength, view_.ioaLength, 1, 3);
  options.CommonAddress = std::stoi(CommonAddressText(view_.commonAddress));
  if (Listed(view_.asduFormatIndex, 0, 1)) {
    options.AsduFormat = view_.asduFormatIndex + kFirstAsduFormat;
  }
  options.CyclicTransmission = view_.cyclic;
  long long interval = 0;
  if (!ParseInteger(view_.interval, interval) || interval < INT32_MIN || interval > INT32_MAX) {
    const std::string rejected = view_.interval;
    view_.interval = std::to_string(options.CyclicInterval);
    throw TArkException(IntervalError(rejected, options.CyclicInterval));
  }
  options.CyclicInterval = static_cast<int32_t>(interval);
}

char TIecCfgForm::CommonAddressKey(char typed) {
  return typed >= '0' && typed <= '9' ? typed : '0';
}

std::string TIecCfgForm::CommonAddressText(const std::string& text) {
  long long value = 0;
  if (!ParseInteger(text, value) || value < 1 || value > kIecCfgMaxCommonAddress) return "1";
  return text;
}

}  // namespace vela
