#include "app/DeviceSearch.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <set>
#include <utility>

#include "app/DeviceIdentification.h"
#include "app/Engine.h"
#include "app/EngineSettings.h"
#include "modbus/ModbusBlockOps.h"

namespace vela {
namespace {

// Speeds by how often installations use them; frames even, none, odd.
constexpr int kSpeedPreference[] = {38400, 9600, 19200, 115200, 57600, 230400, 76800};
constexpr int kFramePreference[] = {0, 2, 1};

bool Contains(const std::vector<int>& list, int value) {
  return std::find(list.begin(), list.end(), value) != list.end();
}

std::vector<int> CommonAddresses() {
  std::vector<int> order;
  for (int a = 2; a <= 10; ++a) order.push_back(a);
  order.push_back(247);
  for (int a = 20; a <= 240; a += 10) order.push_back(a);
  for (int a = 11; a <= 32; ++a) order.push_back(a);
  for (int a = 1; a <= 247; ++a) order.push_back(a);  // the rest; repeats are dropped
  return order;
}

}  // namespace

std::vector<TProbePoint> SearchOrder(const TFindOptions& options,
                                     const std::vector<int>& deviceSpeeds) {
  std::vector<TLineSetting> settings;
  for (int protocol : {0, 1}) {
    if (!options.protocols.empty() && !Contains(options.protocols, protocol)) continue;
    for (int baud : kSpeedPreference) {
      if (!Contains(deviceSpeeds, baud)) continue;
      if (!options.speeds.empty() && !Contains(options.speeds, baud)) continue;
      for (int frame : kFramePreference) settings.push_back({protocol, baud, frame});
    }
  }
  const auto wanted = [&](int address) {
    return options.addresses.empty() || Contains(options.addresses, address);
  };
  std::vector<TProbePoint> order;
  const TLineSetting factory{0, kFactoryBaud, 0};
  if (wanted(1) && std::find(settings.begin(), settings.end(), factory) != settings.end()) {
    order.push_back({factory, 1});
  }
  std::set<int> addressesDone;
  std::vector<int> addresses = {1};
  for (int a : CommonAddresses()) addresses.push_back(a);
  for (int address : addresses) {
    if (!wanted(address) || !addressesDone.insert(address).second) continue;
    for (const TLineSetting& s : settings) {
      if (address == 1 && s == factory) continue;
      order.push_back({s, address});
    }
  }
  return order;
}

std::vector<TProbePoint> SearchOrderFor(bool rs485, const TFindOptions& options) {
  if (!rs485) return {{{0, kFactoryBaud, 0}, 1}};
  std::vector<int> deviceSpeeds;
  for (const std::string& speed : kDeviceSpeeds) deviceSpeeds.push_back(std::stoi(speed));
  return SearchOrder(options, deviceSpeeds);
}

int ProbeTimeoutMs(const TLineSetting& setting, int requestOctets, int answerOctets, bool portGap) {
  // Start bit, data bits, then a parity bit and one stop bit or two stop bits.
  const int bitsPerOctet = 1 + (setting.protocol == 1 ? 7 : 8) + 2;
  const double octetMs = 1000.0 * bitsPerOctet / setting.baud;
  const double wireMs = octetMs * (requestOctets + 3.5 + answerOctets);
  return static_cast<int>(std::ceil(wireMs)) + kDeviceAnswerMs + (portGap ? kPortGapMs : 0) +
         kSchedulingMarginMs;
}

std::string FoundLine(const std::string& port, const std::string& protocolName, int baud,
                      const std::string& frameText, int address, unsigned serial) {
  char text[256];
  std::snprintf(text, sizeof text,
                "найден прибор: порт %s, протокол %s, скорость %d, формат %s, адрес %d, "
                "серийный номер %.6u",
                port.c_str(), protocolName.c_str(), baud, frameText.c_str(), address, serial);
  return text;
}

TDeviceSearch::TDeviceSearch(TVelaEngine& engine, std::vector<TProbePoint> order, bool rs485,
                             const TFindOptions& options, TSearchHooks hooks)
    : engine_(engine),
      order_(std::move(order)),
      rs485_(rs485),
      options_(options),
      hooks_(std::move(hooks)),
      previousExchange_(engine.OnExchange) {
  // Whether anything at all came back: an answer, or line errors.
  engine_.OnExchange = [this](const TExchangeEvent& event) {
    if (previousExchange_) previousExchange_(event);
    if (event.kind == TExchangeEventKind::Answer || event.kind == TExchangeEventKind::LineError) {
      ++answersSeen_;
    }
  };
}

TDeviceSearch::~TDeviceSearch() {
  engine_.OnExchange = previousExchange_;
}

bool TDeviceSearch::Probe(int timeoutMs, bool& answered) {
  TVelaEngine& f = engine_;
  answersSeen_ = 0;
  if (!f.ProbeIdentification(timeoutMs)) return false;
  const int guardMs = (timeoutMs > 0 ? timeoutMs : f.FDevInfo->Timeout) + 2000;
  hooks_.runUntil([&] { return !f.Busy() || hooks_.stop(); }, guardMs);
  if (f.Busy()) {
    f.CancelOperation();
    hooks_.settle();
  }
  answered = answersSeen_ > 0;
  return true;
}

TSearchEnd TDeviceSearch::Run() {
  TVelaEngine& f = engine_;
  std::set<int> unusableSpeeds;
  std::set<std::pair<int, unsigned>> found;  // address, serial number
  bool anyStarted = false;
  for (const TProbePoint& point : order_) {
    if (hooks_.stop()) return TSearchEnd::Stopped;
    ++done_;
    const TLineSetting& s = point.setting;
    if (unusableSpeeds.count(s.baud)) continue;
    if (rs485_) {
      f.SetProgramProtocol(s.protocol);
      f.SetProgramSpeed(IndexOfText(kProgramSpeeds, std::to_string(s.baud)));
      f.SetProgramFrame(s.frame);
      f.SetProgramAddress(point.address);
    }
    const int requestOctets = static_cast<int>(RequestValues(*f.FPacker, *f.FDevInfo).size());
    const int answerOctets =
        f.FPacker->ExpectedReadLength(static_cast<int>(f.FDevInfo->Registers.size()));
    const int timeoutMs = options_.probeTimeoutMs > 0
                              ? options_.probeTimeoutMs
                              : ProbeTimeoutMs(s, requestOctets, answerOctets);
    bool answered = false;
    if (!Probe(timeoutMs, answered)) {
      const auto& lines = f.ActivityLog().Lines();
      const std::string reason = lines.empty() ? std::string("порт не открывается") : lines.back();
      if (!anyStarted) {
        portFailure_ = reason;
        return TSearchEnd::PortFailed;
      }
      Report({TFindingKind::SpeedSkipped, point, {}, {}, 0, reason});
      unusableSpeeds.insert(s.baud);
      continue;
    }
    anyStarted = true;
    // A garbled answer at a near-miss setting, or a slow device: once more
    // with the block's full time-out before the point is written off.
    if (!f.FDevInfoRead && answered && !hooks_.stop()) Probe(0, answered);
    const TProgramLink& link = f.ProgramLink();
    TSearchFinding finding{TFindingKind::Vela, point, link.ProtocolText(), link.FrameText(), 0, {}};
    if (f.FDevInfoRead) {
      const uint32_t hid = f.FDevInfo->GetHID();
      finding.serial = f.FDevInfo->GetSerial();
      if ((hid & 0xFFFFFF00u) != kVelaHardwareCode) {
        const TIdentResult other = IdentifyDevice(hid, f.FDevInfo->GetSID(), finding.serial);
        finding.kind = TFindingKind::OtherDevice;
        finding.detail = other.lines.empty() ? std::string() : other.lines.front();
        Report(finding);
      } else if (found.insert({point.address, finding.serial}).second) {
        ++found_;
        Report(finding);
        if (!options_.all) return TSearchEnd::Completed;
      }
    } else if (answered) {
      finding.kind = TFindingKind::NoIdentification;
      Report(finding);
    }
    if (OnProgress) OnProgress(done_, order_.size(), found_);
  }
  return TSearchEnd::Completed;
}

}  // namespace vela
