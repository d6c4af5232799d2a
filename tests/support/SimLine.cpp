#include "tests/support/SimLine.h"

#include <cerrno>

#include "sim/SharedLine.h"
#include "sim/SimInterface.h"

namespace vela::test {
namespace {

// Long enough to end any frame on the devices' side.
constexpr int64_t kSilenceUs = 1'000'000;
constexpr int64_t kTurnaroundMs = 2;

int StopBitsOf(const LineSettings& port) {
  return port.stopBits == 2 ? 2 : port.stopBits == 0 ? 1 : 0;
}

}  // namespace

class TSimLine::TPortEnd : public SerialBackend {
 public:
  explicit TPortEnd(TSimLine& line) : line_(line) {}
  uint64_t Open(const std::string&) override { return line_.Open(); }
  void Configure(const LineSettings& settings) override { line_.Configure(settings); }
  bool IsOpen() const override { return line_.IsOpen(); }
  void Close() override { line_.Close(); }
  ReadResult Read(size_t maxOctets, int, const AnswerCompleteTest&) override {
    return line_.Read(maxOctets);
  }
  WriteResult WriteNow(const Octets& data) override { return line_.Write(data, nullptr); }
  WriteResult WriteAll(const Octets& data, uint64_t session) override {
    return line_.Write(data, &session);
  }
  LineErrorCounters ErrorCounters() override { return {}; }
  QueueLevels Queues() override { return {}; }
  void DiscardInput() override { line_.DiscardInput(); }
  void Wake() override { line_.Wake(); }

 private:
  TSimLine& line_;
};

TSimLine::TSimLine(std::vector<DeviceModel*> devices, bool service, const Clock& clock)
    : devices_(std::move(devices)), service_(service), clock_(clock) {
  FollowLink();
}

std::unique_ptr<SerialBackend> TSimLine::Backend() {
  return std::make_unique<TPortEnd>(*this);
}

LinkSettings TSimLine::Link() const {
  return service_ || devices_.empty() ? ServiceLink(38400)
                                      : devices_.front()->Settings().ActiveLink();
}

// The working interface takes new link settings after the answer that
// confirmed them, as the simulator's interface does.
void TSimLine::FollowLink() {
  if (devices_.empty()) return;
  const uint32_t generation = devices_.front()->Settings().LinkGeneration();
  if (protocol_ && (service_ || generation == linkGeneration_)) return;
  linkGeneration_ = generation;
  const LinkSettings link = Link();
  if (service_ || devices_.size() == 1) {
    protocol_ = MakeLineProtocol(link, *devices_.front(), {});
    return;
  }
  std::vector<std::unique_ptr<LineProtocol>> lines;
  for (DeviceModel* device : devices_) {
    LinkSettings own = link;
    own.address = device->Settings().ActiveLink().address;
    lines.push_back(MakeLineProtocol(own, *device, {}));
  }
  protocol_ = std::make_unique<SharedLine>(std::move(lines));
}

bool TSimLine::HearsThePort() const {
  const LineFormat own = Link().Format();
  return port_.baudRate == own.baud && StopBitsOf(port_) == own.stopBits;
}

int TSimLine::Requests() const {
  std::lock_guard lock(mutex_);
  return requests_;
}

void TSimLine::Hear(const Octets& request) {
  const TRequestFate fate =
      this->fate ? this->fate(++requests_) : (++requests_, TRequestFate::Carried);
  FollowLink();
  if (fate == TRequestFate::Lost || !protocol_ || !HearsThePort()) return;
  lineUs_ += kSilenceUs;
  protocol_->Receive(request, lineUs_);
  lineUs_ += kSilenceUs;
  const LineFormat format = Link().Format();
  while (std::optional<Exchange> exchange = protocol_->Poll(lineUs_)) {
    if (!exchange->answer || fate == TRequestFate::AnswerLost) continue;
    const int64_t wireMs =
        (format.WireTimeUs(static_cast<int64_t>(exchange->answer->size())) + 999) / 1000;
    answers_.push_back({*exchange->answer, clock_.MonotonicMs() + kTurnaroundMs + wireMs});
  }
  FollowLink();
}

bool TSimLine::AnswerDue() const {
  return !answers_.empty() && answers_.front().dueMs <= clock_.MonotonicMs();
}

bool TSimLine::Quiet() const {
  std::lock_guard lock(mutex_);
  return !AnswerDue() && !delivering_;
}

void TSimLine::TimeMoved() {
  changed_.notify_all();
}

uint64_t TSimLine::Open() {
  std::lock_guard lock(mutex_);
  open_ = true;
  answers_.clear();
  delivering_ = false;
  return ++session_;
}

void TSimLine::Configure(const LineSettings& settings) {
  std::lock_guard lock(mutex_);
  port_ = settings;
}

bool TSimLine::IsOpen() const {
  std::lock_guard lock(mutex_);
  return open_;
}

void TSimLine::Close() {
  {
    std::lock_guard lock(mutex_);
    open_ = false;
    woken_ = true;
    answers_.clear();
    delivering_ = false;
  }
  changed_.notify_all();
}

ReadResult TSimLine::Read(size_t maxOctets) {
  std::unique_lock lock(mutex_);
  delivering_ = false;
  changed_.wait(lock, [this] { return woken_ || (open_ && AnswerDue()); });
  ReadResult result{ReadStatus::Woken, {}, 0, session_};
  if (woken_) {
    woken_ = false;
    return result;
  }
  result.status = ReadStatus::Data;
  result.data = answers_.front().octets.substr(0, maxOctets);
  answers_.pop_front();
  delivering_ = true;
  return result;
}

WriteResult TSimLine::Write(const Octets& data, const uint64_t* session) {
  std::lock_guard lock(mutex_);
  if (!open_) return {WriteStatus::Failed, 0, EBADF};
  if (session && *session != session_) return {WriteStatus::Woken, 0, 0};
  Hear(data);
  return {WriteStatus::Done, data.size(), 0};
}

// What has arrived is dropped; an answer still on the wire arrives later.
void TSimLine::DiscardInput() {
  std::lock_guard lock(mutex_);
  while (AnswerDue()) answers_.pop_front();
}

void TSimLine::Wake() {
  {
    std::lock_guard lock(mutex_);
    woken_ = true;
  }
  changed_.notify_all();
}

}  // namespace vela::test
