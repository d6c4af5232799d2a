#include "sim/ModbusLine.h"

#include <utility>

#include "sim/Iec101Line.h"

namespace vela {
namespace {

uint8_t OtherAddress(uint8_t address) {
  return static_cast<uint8_t>(address % 247 + 1);
}

}  // namespace

ModbusLine::ModbusLine(DeviceModel& device, uint8_t address, const AnswerFaults& faults)
    : slave_(device, address), faults_(faults) {}

Exchange ModbusLine::Process(const Octets& frame) {
  Exchange exchange{frame, std::nullopt, {}, {}};
  const std::optional<Octets> body = Unwrap(frame, exchange.note);
  if (!body) return exchange;
  const std::optional<LineFault> blockFault = slave_.BlockFaultOf(*body);
  if (blockFault == LineFault::kNoAnswer) {
    exchange.note = "чтение блока без ответа";
    return exchange;
  }
  // Busy: exception 6 before the request is carried out.
  const bool busy = (nextFault_ == LineFault::kBusy || blockFault == LineFault::kBusy) &&
                    body->size() >= 2 && static_cast<uint8_t>((*body)[0]) == slave_.Address();
  std::optional<Octets> answer =
      busy ? Octets{(*body)[0], static_cast<char>((*body)[1] | 0x80), '\x06'}
           : slave_.Handle(*body);
  if (!answer) {
    exchange.note = static_cast<uint8_t>((*body)[0]) == kBroadcastAddress
                        ? "широковещательный запрос"
                        : "запрос другому адресу";
    return exchange;
  }
  exchange.fault = std::exchange(nextFault_, std::nullopt);
  if (faults_.wrongAddress || exchange.fault == LineFault::kWrongAddress) {
    (*answer)[0] = static_cast<char>(OtherAddress(slave_.Address()));
  }
  exchange.answer = Wrap(*answer, faults_.badChecksum || exchange.fault == LineFault::kBadChecksum);
  return exchange;
}

std::unique_ptr<LineProtocol> MakeLineProtocol(const LinkSettings& link, DeviceModel& device,
                                               const AnswerFaults& faults) {
  switch (link.protocol) {
    case LinkProtocol::ModbusRtu:
      return std::make_unique<ModbusRtuLine>(device, link.address, link.Format(), faults);
    case LinkProtocol::ModbusAscii:
      return std::make_unique<ModbusAsciiLine>(device, link.address, faults);
    case LinkProtocol::Iec101:
      break;
  }
  const uint16_t linkAddress = faults.iecLinkAddress != 0 ? faults.iecLinkAddress : link.address;
  return std::make_unique<Iec101Line>(device, linkAddress, link.Format(), faults);
}

}  // namespace vela
