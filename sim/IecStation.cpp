#include "sim/IecStation.h"

#include "common/DateTime.h"
#include "iec101/IecAsdu.h"
#include "iec101/IecMeasuredTypes.h"
#include "sim/IecMeasuredAsdu.h"

namespace vela {
namespace {

// Causes of transmission the device sends.
namespace cause {
constexpr uint8_t kPeriodic = 1;
constexpr uint8_t kBackground = 2;
constexpr uint8_t kSpontaneous = 3;
constexpr uint8_t kActivationTermination = 10;
constexpr uint8_t kUnknownType = 44;
constexpr uint8_t kUnknownCause = 45;
constexpr uint8_t kUnknownCommonAddress = 46;
constexpr uint8_t kUnknownObjectAddress = 47;
}  // namespace cause

constexpr uint32_t kNegativeBit = 0x40;
constexpr int kEventBacklog = 28;
constexpr int kInterrogationElementSize = 1;  // QOI

uint32_t CommonAddressMask(const TIecFieldLengths& lengths) {
  return lengths.CommonAddressLength() == 1 ? 0xFFu : 0xFFFFu;
}

uint32_t FirstObjectAddress(const TIecFieldLengths& lengths, const Octets& asdu) {
  uint32_t address = 0;
  for (size_t i = 0; i < lengths.IoaLength(); ++i) {
    address |= static_cast<uint32_t>(static_cast<uint8_t>(asdu[lengths.AsduHeaderLength() + i]))
               << (8 * i);
  }
  return address;
}

// The date-time a clock command carries, unless its fields cannot be a time.
std::optional<TDateTime> TimeOf(const TArkIecTypeTime& t) {
  const int year = 2000 + t.Year();
  if (t.Invalid() || t.Month() < 1 || t.Month() > 12 || t.Day() < 1 ||
      t.Day() > DaysInMonth(year, t.Month()) || t.Hour() > 23 || t.Minute() > 59 ||
      t.Milliseconds() > 59999) {
    return std::nullopt;
  }
  return EncodeDateTime(year, t.Month(), t.Day(), t.Hour(), t.Minute(), t.Milliseconds() / 1000,
                        t.Milliseconds() % 1000);
}

}  // namespace

IecStation::IecStation(DeviceModel& device, const AnswerFaults& faults,
                       const TIecFieldLengths& lengths)
    : device_(device),
      lengths_(lengths),
      faults_(faults),
      quality_(faults.iecQuality),
      class1Only_(faults.iecClass1Only),
      periodicFirst_(faults.iecPeriodicFirst) {}

void IecStation::Clear() {
  class1_.clear();
  class2_.clear();
  nextCycleUs_.reset();
}

bool IecStation::ForUs(uint32_t commonAddress) const {
  const uint32_t mask = CommonAddressMask(lengths_);
  return commonAddress == mask || commonAddress == (device_.Settings().Iec().commonAddress & mask);
}

void IecStation::Mirror(const Octets& asdu, uint8_t causeCode, bool negative) {
  Mirror(asdu, causeCode, negative, CommandQueue());
}

void IecStation::Mirror(const Octets& asdu, uint8_t causeCode, bool negative,
                        std::deque<Octets>& queue) {
  TArkInAsdu reply(lengths_, asdu);
  reply.SetCot((reply.Cot() & 0xFF00u) | causeCode | (negative ? kNegativeBit : 0));
  if (reply.CommonAddress() == CommonAddressMask(lengths_)) {
    reply.SetCommonAddress(device_.Settings().Iec().commonAddress);
  }
  queue.push_back(reply.AsOctets());
}

MeasuredAsduSetup IecStation::Setup(uint8_t type, uint8_t causeCode) const {
  MeasuredAsduSetup setup;
  setup.type = type;
  setup.cause = causeCode;
  setup.commonAddress = device_.Settings().Iec().commonAddress;
  setup.quality = quality_;
  setup.invalid = faults_.iecInvalid;
  setup.lengths = lengths_;
  setup.maxLength = MaxAsduLength(lengths_);
  if (faults_.iecOneObject) setup.maxObjects = 1;
  return setup;
}

void IecStation::QueueMeasured(uint8_t type, uint8_t causeCode, std::deque<Octets>& queue) {
  for (Octets& values : MeasuredAsdus(device_, Setup(type, causeCode))) {
    queue.push_back(std::move(values));
  }
}

void IecStation::Tick(int64_t nowUs) {
  if (faults_.iecEventMs <= 0) return;
  const int64_t periodUs = static_cast<int64_t>(faults_.iecEventMs) * 1000;
  if (!nextEventUs_) nextEventUs_ = nowUs + periodUs;
  // A station that was not asked for a long time keeps one event per value.
  int queued = 0;
  while (*nextEventUs_ <= nowUs) {
    if (queued++ == kEventBacklog) {
      nextEventUs_ = nowUs + periodUs;
      return;
    }
    MeasuredAsduSetup setup =
        Setup(static_cast<uint8_t>(device_.Settings().Iec().asduType), cause::kSpontaneous);
    setup.maxObjects = 1;
    const std::vector<Octets> each = MeasuredAsdus(device_, setup);
    if (each.empty()) return;
    class1_.push_back(each[nextEventObject_++ % each.size()]);
    *nextEventUs_ += periodUs;
  }
}

std::string IecStation::Accept(const Octets& asdu) {
  const TArkInAsdu command(lengths_, asdu);
  if (!command.FormatValid()) return "ASDU короче заголовка";
  if (periodicFirst_ && class2_.empty()) {
    QueueMeasured(static_cast<uint8_t>(device_.Settings().Iec().asduType), cause::kPeriodic,
                  class2_);
  }
  const uint8_t type = command.TypeId();
  const int elementSize = type == asdu_type::kInterrogation ? kInterrogationElementSize
                          : type == asdu_type::kClockSync   ? TArkIecTypeTime::kSize
                                                            : 0;
  if (elementSize == 0) {
    Mirror(asdu, cause::kUnknownType, true);
    return "неизвестный тип ASDU " + std::to_string(type);
  }
  if (command.IsSequence() || command.ObjectCount() != 1 ||
      command.ElementCountFor(elementSize) != 1) {
    return "неверный формат команды";
  }
  if (command.Cause() != asdu_cause::kActivation) {
    Mirror(asdu, cause::kUnknownCause, true);
    return "недопустимая причина передачи " + std::to_string(command.Cause());
  }
  if (!ForUs(command.CommonAddress())) {
    Mirror(asdu, cause::kUnknownCommonAddress, true);
    return "чужой общий адрес ASDU " + std::to_string(command.CommonAddress());
  }
  if (faults_.iecRefuseCause != 0) {
    Mirror(asdu, faults_.iecRefuseCause, true);
    return "команда отклонена: причина " + std::to_string(faults_.iecRefuseCause);
  }
  if (FirstObjectAddress(lengths_, asdu) != 0) {
    Mirror(asdu, cause::kUnknownObjectAddress, true);
    return "неизвестный адрес объекта " + std::to_string(FirstObjectAddress(lengths_, asdu));
  }
  return type == asdu_type::kInterrogation ? AcceptInterrogation(asdu) : AcceptClockSync(asdu);
}

// Station interrogation: confirmation, every value with cause 20, termination.
// The values go without time tags, as interrogated data does.
std::string IecStation::AcceptInterrogation(const Octets& asdu) {
  const uint8_t qualifier =
      static_cast<uint8_t>(asdu[lengths_.AsduHeaderLength() + lengths_.IoaLength()]);
  if (qualifier != asdu_cause::kStationInterrogation) {
    Mirror(asdu, asdu_cause::kActivationConfirmation, true);
    return "опрос группы " + std::to_string(qualifier) + " не поддерживается";
  }
  Mirror(asdu, asdu_cause::kActivationConfirmation, false);
  QueueMeasured(asdu_type::kMeasuredFloat, asdu_cause::kStationInterrogation, InterrogationQueue());
  // The termination follows the values it ends.
  Mirror(asdu, cause::kActivationTermination, false, InterrogationQueue());
  return {};
}

// The clock takes the time of the command; the confirmation carries it back.
std::string IecStation::AcceptClockSync(const Octets& asdu) {
  const std::optional<TDateTime> time = TimeOf(TArkInAsdu(lengths_, asdu).GetClockTime());
  if (!time) {
    Mirror(asdu, asdu_cause::kActivationConfirmation, true);
    return "недопустимое время в команде";
  }
  device_.SetClockTime(*time);
  Mirror(asdu, asdu_cause::kActivationConfirmation, false);
  return {};
}

std::optional<Octets> IecStation::TakeClass1() {
  if (class1_.empty()) return std::nullopt;
  Octets asdu = std::move(class1_.front());
  class1_.pop_front();
  return asdu;
}

bool IecStation::CycleDue(int64_t nowUs) {
  const IecOptions iec = device_.Settings().Iec();
  if (!iec.cyclic) return true;
  if (nextCycleUs_ && nowUs < *nextCycleUs_) return false;
  nextCycleUs_ = nowUs + static_cast<int64_t>(iec.cycleInterval) * 1000;
  return true;
}

std::optional<Octets> IecStation::TakeClass2(int64_t nowUs) {
  if (!class1Only_ && !class1_.empty()) return TakeClass1();
  if (class2_.empty() && !faults_.iecInterrogationOnly && CycleDue(nowUs)) {
    const IecOptions iec = device_.Settings().Iec();
    const auto type = static_cast<uint8_t>(iec.asduType);
    const TMeasuredFormat* format = MeasuredFormat(type);
    const bool timeTagged = format && format->tag != TTimeTag::None;
    // Time-tagged values go as spontaneous data, the others as a scan.
    QueueMeasured(type,
                  iec.cyclic   ? cause::kPeriodic
                  : timeTagged ? cause::kSpontaneous
                               : cause::kBackground,
                  class2_);
  }
  if (class2_.empty()) return std::nullopt;
  Octets asdu = std::move(class2_.front());
  class2_.pop_front();
  return asdu;
}

}  // namespace vela
