#include "sim/Iec101Line.h"

#include <algorithm>
#include <utility>

#include "common/Checksums.h"

namespace vela {
namespace {

// An unfinished frame is dropped after this much silence: a pseudo-terminal
// delivers in bursts, and a primary station sends a frame in one go.
constexpr int64_t kMinGapUs = 50000;
constexpr size_t kBadHeader = SIZE_MAX;
constexpr size_t kVariableHeaderLength = 4;  // 68h L L 68h
constexpr size_t kVariableOverhead = 6;      // header, checksum, 16h
constexpr uint8_t kResetUserProcess = 1;
constexpr uint8_t kUserDataNoReply = 4;
constexpr uint8_t kRequestAccessDemand = 8;

uint8_t OctetAt(const Octets& octets, size_t i) {
  return static_cast<uint8_t>(octets[i]);
}

bool IsStart(char octet) {
  const auto value = static_cast<uint8_t>(octet);
  return value == kFt12FixedStart || value == kFt12VariableStart;
}

}  // namespace

Iec101Line::Iec101Line(DeviceModel& device, uint16_t linkAddress, const LineFormat& format,
                       const AnswerFaults& faults)
    : device_(device),
      linkAddress_(linkAddress),
      faults_(faults),
      station_(device, faults, lengths_),
      gapUs_(std::max<int64_t>(kMinGapUs, format.WireTimeUs(10))) {}

TIecFieldLengths Iec101Line::LengthsOf(const IecOptions& iec) {
  TIecFieldLengths lengths;
  lengths.SetLinkAddressLength(iec.linkAddressLength);
  lengths.SetCotLength(iec.cotLength);
  lengths.SetCommonAddressLength(iec.commonAddressLength);
  lengths.SetIoaLength(iec.ioaLength);
  return lengths;
}

void Iec101Line::Receive(const Octets& octets, int64_t nowUs) {
  if (octets.empty()) return;
  buffer_ += octets;
  lastUs_ = nowUs;
}

size_t Iec101Line::FrameLength() const {
  if (OctetAt(buffer_, 0) == kFt12FixedStart) return 4 + lengths_.LinkAddressLength();
  if (buffer_.size() < kVariableHeaderLength) return 0;
  if (buffer_[1] != buffer_[2] || OctetAt(buffer_, 3) != kFt12VariableStart) return kBadHeader;
  return OctetAt(buffer_, 1) + kVariableOverhead;
}

std::optional<Exchange> Iec101Line::Poll(int64_t nowUs) {
  if (buffer_.empty()) return std::nullopt;
  const size_t start =
      static_cast<size_t>(std::find_if(buffer_.begin(), buffer_.end(), IsStart) - buffer_.begin());
  if (start > 0) {
    Exchange noise{buffer_.substr(0, start), std::nullopt, "не начало кадра FT 1.2", {}};
    buffer_.erase(0, start);
    return noise;
  }
  lengths_ = LengthsOf(device_.Settings().Iec());
  const size_t length = FrameLength();
  if (length == kBadHeader) {
    Exchange bad{std::move(buffer_), std::nullopt, "неверный заголовок кадра FT 1.2", {}};
    buffer_.clear();
    return bad;
  }
  if (length != 0 && buffer_.size() >= length) {
    const Octets frame = buffer_.substr(0, length);
    buffer_.erase(0, length);
    return Process(frame, nowUs);
  }
  if (nowUs - lastUs_ < gapUs_) return std::nullopt;
  Exchange torn{std::move(buffer_), std::nullopt, "обрывок кадра", {}};
  buffer_.clear();
  return torn;
}

int64_t Iec101Line::NextDeadlineUs() const {
  return buffer_.empty() ? kNever : lastUs_ + gapUs_;
}

Exchange Iec101Line::Process(const Octets& frame, int64_t nowUs) {
  Exchange exchange{frame, std::nullopt, {}, {}};
  const TArkInPacket request(lengths_, frame);
  if (!request.HasControl()) {
    exchange.note = "кадр не принят: контрольная сумма, длина или формат";
    return exchange;
  }
  if (!request.Prm()) {
    exchange.note = "кадр вторичной станции";
    return exchange;
  }
  if (!request.AddressMatches(linkAddress_)) {
    exchange.note = "запрос другому адресу";
    return exchange;
  }
  if (nextFault_ == LineFault::kBusy) {
    // Refused before anything is done: the repeat is taken as a new request.
    nextFault_.reset();
    exchange.fault = LineFault::kBusy;
    exchange.note = "станция занята: NACK";
    std::optional<LineFault> made;
    exchange.answer = WithFaults(Frame(fc::kNack), made);
    return exchange;
  }
  if (request.Fcv() && lastFcb_ == request.Fcb() && lastAnswer_) {
    exchange.answer = WithFaults(*lastAnswer_, exchange.fault);
    exchange.note = "повтор кадра (тот же FCB): прежний ответ";
    return exchange;
  }
  if (request.Fcv()) lastFcb_ = request.Fcb();
  exchange.note = FunctionDescription(true, request.Function());
  exchange.note.erase(0, exchange.note.find_first_not_of(' '));
  std::string note;
  const std::optional<TArkOutPacket> answer = Answer(request, nowUs, note);
  if (!note.empty()) exchange.note += "; " + note;
  if (answer) {
    exchange.answer = WithFaults(*answer, exchange.fault);
    ++answers_;
  }
  if (request.Fcv()) lastAnswer_ = answer;
  return exchange;
}

std::optional<TArkOutPacket> Iec101Line::Answer(const TArkInPacket& request, int64_t nowUs,
                                                std::string& note) {
  const int function = request.Function();
  station_.Tick(nowUs);
  if (linkDown_ && function != fc::kRequestStatus && function != fc::kResetRemoteLink &&
      function != kRequestAccessDemand) {
    note = "перезапуск: канал не работает до сброса";
    return Frame(fc::kServiceNotFunctioning);
  }
  switch (function) {
    case fc::kRequestStatus:
    case kRequestAccessDemand:
      return Frame(fc::kLinkStatus);
    case fc::kResetRemoteLink:
      linkDown_ = false;
      lastFcb_ = false;  // the next new frame carries FCB = 1
      lastAnswer_.reset();
      return Short(fc::kAck, station_.HasClass1());
    case kResetUserProcess:
      station_.Clear();
      return Short(fc::kAck, false);
    case fc::kUserDataConfirm:
      return UserData(request, note);
    case kUserDataNoReply:
      if (request.HasData()) note = station_.Accept(request.UserData());
      return std::nullopt;
    case fc::kRequestClass1:
      return DataAnswer(station_.TakeClass1());
    case fc::kRequestClass2:
      return DataAnswer(station_.TakeClass2(nowUs));
    default:
      note = "служба не встроена";
      return Frame(fc::kServiceNotImplemented);
  }
}

std::optional<TArkOutPacket> Iec101Line::UserData(const TArkInPacket& request, std::string& note) {
  if (!request.HasData()) {
    note = "нет данных пользователя";
    return Frame(fc::kNack);
  }
  if (faults_.iecNack) {
    note = "данные отклонены";
    return Frame(fc::kNack);
  }
  // The confirmation tells of the command's answers only from the next
  // answer on: a station confirms what it received before it carries it out.
  const bool class1Waited = station_.HasClass1();
  note = station_.Accept(request.UserData());
  return Short(fc::kAck, class1Waited);
}

TArkOutPacket Iec101Line::DataAnswer(const std::optional<Octets>& asdu) {
  TArkOutPacket answer =
      asdu ? Frame(fc::kUserData, *asdu) : Short(fc::kNoData, station_.HasClass1());
  CountDataAnswer();
  return answer;
}

void Iec101Line::CountDataAnswer() {
  if (faults_.iecRestartAfter <= 0 || ++dataAnswers_ < faults_.iecRestartAfter) return;
  // What was queued is lost with the restart.
  dataAnswers_ = 0;
  linkDown_ = true;
  station_.Clear();
}

TArkOutPacket Iec101Line::Frame(uint8_t function, const Octets& asdu) const {
  const uint32_t address = faults_.wrongAddress ? linkAddress_ + 1u : linkAddress_;
  return TArkOutPacket::Secondary(lengths_, function, address, station_.HasClass1(), DfcNow(),
                                  asdu);
}

bool Iec101Line::DfcNow() const {
  return faults_.iecDfcAnswers == kEveryAnswer || answers_ < faults_.iecDfcAnswers;
}

TArkOutPacket Iec101Line::Short(uint8_t function, bool class1Waits) const {
  const bool singleChar = faults_.iecSingleChar && !class1Waits && !DfcNow();
  return singleChar ? TArkOutPacket::SingleChar(kFt12Ack) : Frame(function);
}

Octets Iec101Line::WithFaults(const TArkOutPacket& answer, std::optional<LineFault>& made) {
  Octets octets = answer.Frame();
  if (answer.Kind() == TFrameKind::fkSingleChar) return octets;  // no checksum, no address
  const size_t checksumAt = octets.size() - 2;
  if (nextFault_ == LineFault::kWrongAddress && lengths_.LinkAddressLength() > 0) {
    // The first address octet raised by one, the checksum made good again.
    const size_t addressAt = answer.Kind() == TFrameKind::fkFixed ? 2 : 5;
    const size_t controlAt = addressAt - 1;
    octets[addressAt] = static_cast<char>(OctetAt(octets, addressAt) + 1);
    octets[checksumAt] = static_cast<char>(
        Sum8(octets.data() + controlAt, static_cast<int>(checksumAt - controlAt)));
    made = std::exchange(nextFault_, std::nullopt);
  }
  if (nextFault_ == LineFault::kBadChecksum) made = std::exchange(nextFault_, std::nullopt);
  if (faults_.badChecksum || made == LineFault::kBadChecksum) {
    octets[checksumAt] = static_cast<char>(OctetAt(octets, checksumAt) ^ 0x5A);
  }
  return octets;
}

}  // namespace vela
