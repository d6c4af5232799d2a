#include "sim/SimInterface.h"

#include <algorithm>

#include "sim/SharedLine.h"

namespace vela {

LinkSettings ServiceLink(int baud) {
  LinkSettings link;
  link.protocol = LinkProtocol::ModbusRtu;
  link.address = 1;
  link.speedIndex = IndexOfSpeed(baud);
  link.frameIndex = 0;
  return link;
}

std::string FormatText(const LineFormat& format) {
  return std::to_string(format.baud) + " " + std::to_string(format.dataBits) +
         static_cast<char>(format.parity) + std::to_string(format.stopBits);
}

// A pseudo-terminal always carries 8 data bits without parity, whatever is
// set; only the speed and the stop bits the program chose can be compared.
bool SameLineTiming(const LineFormat& a, const LineFormat& b) {
  return a.baud == b.baud && a.stopBits == b.stopBits;
}

std::string TimingText(const LineFormat& format) {
  return std::to_string(format.baud) + " бод, стоп-битов " + std::to_string(format.stopBits);
}

SimInterface::SimInterface(const InterfaceSetup& setup, DeviceModel& device, PtyLine& line,
                           const SimTrace& trace)
    : setup_(setup), device_(device), line_(line), trace_(trace), rotation_(setup.rotatingFaults) {
  generation_ = device_.Settings().LinkGeneration();
  protocol_ = MakeProtocol(CurrentLink());
  format_ = CurrentLink().Format();
}

std::unique_ptr<LineProtocol> SimInterface::MakeProtocol(const LinkSettings& link) {
  if (setup_.service || setup_.neighbours.empty()) {
    return MakeLineProtocol(link, device_, setup_.answerFaults);
  }
  std::vector<std::unique_ptr<LineProtocol>> devices;
  devices.push_back(MakeLineProtocol(link, device_, setup_.answerFaults));
  for (DeviceModel* neighbour : setup_.neighbours) {
    LinkSettings own = link;
    own.address = neighbour->Settings().ActiveLink().address;
    devices.push_back(MakeLineProtocol(own, *neighbour, setup_.answerFaults));
  }
  return std::make_unique<SharedLine>(std::move(devices));
}

LinkSettings SimInterface::CurrentLink() const {
  return setup_.service ? ServiceLink(setup_.serviceBaud) : device_.Settings().ActiveLink();
}

// The working interface takes new settings once the answer that confirmed
// them has been scheduled with the old ones, or before it reads anything
// when they were finalized over the service interface.
void SimInterface::FollowLink() {
  if (setup_.service || device_.Settings().LinkGeneration() == generation_) return;
  generation_ = device_.Settings().LinkGeneration();
  const LinkSettings link = CurrentLink();
  protocol_ = MakeProtocol(link);
  plannedFor_ = 0;
  format_ = link.Format();
  trace_.Note(setup_.name, std::string("новые настройки: ") + ProtocolName(link.protocol) +
                               ", адрес " + std::to_string(link.address) + ", " +
                               FormatText(format_));
}

void SimInterface::OnReadable(int64_t nowUs) {
  FollowLink();  // settings finalized over the other interface
  const Octets octets = line_.ReadAvailable();
  if (octets.empty()) return;
  if (setup_.checkPeerFormat) {
    const std::optional<LineFormat> peer = line_.PeerFormat();
    if (peer && !SameLineTiming(*peer, format_)) {
      // The device sees only garbled characters at another speed.
      trace_.Line(setup_.name, "Rd:", octets,
                  "порт: " + TimingText(*peer) + ", интерфейс: " + TimingText(format_));
      return;
    }
  }
  protocol_->Receive(octets, nowUs);
  OnTime(nowUs);
}

bool SimInterface::Skips(std::string& note) {
  const TimingFaults& faults = setup_.timingFaults;
  if (faults.silent) {
    note = "ответ подавлен";
  } else if (faults.skipEvery > 0 && answered_ % faults.skipEvery == 0) {
    note = "ответ пропущен";
  } else {
    return false;
  }
  return true;
}

namespace {

bool InAnswer(LineFault fault) {
  return fault == LineFault::kBadChecksum || fault == LineFault::kWrongAddress ||
         fault == LineFault::kBusy;
}

}  // namespace

void SimInterface::PlanNextAnswer() {
  if (!rotation_.Active() || plannedFor_ == answered_ + 1) return;
  plannedFor_ = answered_ + 1;
  std::optional<LineFault> fault = rotation_.ForAnswer(plannedFor_);
  if (fault && !InAnswer(*fault)) fault.reset();
  protocol_->FaultNextAnswer(fault);
}

void SimInterface::ApplyRotatingFault(Exchange& exchange, int64_t& delayUs, bool& split) {
  // Plain values, not a copied optional: GCC -Os takes the copy's flag for
  // uninitialised.
  LineFault fault{};
  if (exchange.fault) {
    fault = *exchange.fault;
  } else {
    const std::optional<LineFault> planned = rotation_.ForAnswer(answered_);
    if (!planned || InAnswer(*planned)) return;  // none, or the protocol could not make it
    fault = *planned;
  }
  rotation_.Made(fault);
  switch (fault) {
    case LineFault::kNoAnswer:
      exchange.answer.reset();
      exchange.note += exchange.note.empty() ? "ответ пропущен" : "; ответ пропущен";
      return;
    case LineFault::kSplit:
      split = true;
      return;
    case LineFault::kLate:
      delayUs += rotation_.LateMs() * 1000LL;
      return;
    default:
      return;
  }
}

std::string SimInterface::FaultSummary() const {
  return rotation_.Active() && answered_ > 0 ? setup_.name + ": " + rotation_.Summary()
                                             : std::string();
}

void SimInterface::Schedule(Exchange exchange, int64_t nowUs) {
  const TimingFaults& faults = setup_.timingFaults;
  int64_t delayUs = faults.delayMs * 1000LL;
  bool split = faults.split;
  if (exchange.answer) {
    ++answered_;
    if (Skips(exchange.note)) {
      exchange.answer.reset();
    } else {
      ApplyRotatingFault(exchange, delayUs, split);
    }
  }
  trace_.Line(setup_.name, "Rd:", exchange.request, exchange.note);
  if (exchange.answer) {
    Octets answer = *exchange.answer;
    if (faults.noise) answer += kNoiseOctet;
    int64_t at = std::max(nowUs, lineFreeUs_) + setup_.turnaroundUs + delayUs;
    if (split && answer.size() > 1) {
      const Octets first = answer.substr(0, answer.size() / 2);
      answer.erase(0, first.size());
      at += WireTimeUs(first.size());
      outgoing_.push_back({at, first});
      at += kSplitGapUs;
    }
    at += WireTimeUs(answer.size());
    outgoing_.push_back({at, answer});
    lineFreeUs_ = at;
  }
  FollowLink();
  PlanNextAnswer();
}

int64_t SimInterface::WireTimeUs(size_t octets) const {
  return setup_.unpaced ? 0 : format_.WireTimeUs(static_cast<int64_t>(octets));
}

void SimInterface::OnTime(int64_t nowUs) {
  while (!outgoing_.empty() && outgoing_.front().dueUs <= nowUs) {
    const Chunk chunk = std::move(outgoing_.front());
    outgoing_.pop_front();
    const bool sent = line_.Write(chunk.octets);
    trace_.Line(setup_.name, "Wr:", chunk.octets, sent ? "" : "линия не принимает данные");
  }
  PlanNextAnswer();
  while (std::optional<Exchange> exchange = protocol_->Poll(nowUs)) {
    Schedule(std::move(*exchange), nowUs);
  }
}

int64_t SimInterface::NextDeadlineUs() const {
  const int64_t next = outgoing_.empty() ? kNever : outgoing_.front().dueUs;
  return std::min(next, protocol_->NextDeadlineUs());
}

}  // namespace vela
