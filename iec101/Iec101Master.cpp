#include "iec101/Iec101Master.h"

#include <chrono>
#include <initializer_list>
#include <thread>

#include "common/ArkCmnUtils.h"
#include "common/HandOver.h"
#include "iec101/IecMessages.h"

namespace vela {

namespace {

using S = TLinkState;
using R = TLinkResult;

// The single character E5h takes the place of a function code above 15 in
// the receive table.
constexpr int kSingleAck = 16;

// The device's own refusals: NACK, link service not functioning or not
// implemented.
constexpr bool IsRefusal(int function) {
  return function == fc::kNack || function == fc::kServiceNotFunctioning ||
         function == fc::kServiceNotImplemented;
}

constexpr uint32_t Codes(std::initializer_list<int> codes) {
  uint32_t mask = 0;
  for (int code : codes) mask |= 1u << code;
  return mask;
}

}  // namespace

// Responses that no row names are ignored and the time-out decides. A whole
// frame without a control field that no row names (A2h, a variable frame
// without user data, E5h where it does not fit) is a bad response and repeats
// the frame. E5h confirms a reset or user data and means "no data" to a data
// request. DFC = 1 does not hold back a reset: it concerns user data only.
// Function 14 or 15 to a status request leads on to the reset all the same
// (a station that restarted works again once reset); to any other service of
// a reset link it means the link must be reset again.
const TArkSocket101Master::TReceiveRule TArkSocket101Master::kReceiveRules[] = {
    {S::lsStatusRequested, Codes({11, 14, 15}), TCondition::kAny, TReaction::kStartReset,
     R::lrNone},
    {S::lsResetSent, Codes({0, kSingleAck}), TCondition::kAny, TReaction::kReport, R::lrAck},
    {S::lsResetSent, Codes({1, 14, 15}), TCondition::kAny, TReaction::kRepeat, R::lrNone},
    {S::lsLinkStatusRequested, Codes({11}), TCondition::kAny, TReaction::kReport, R::lrAck},
    {S::lsLinkStatusRequested, Codes({14, 15}), TCondition::kAny, TReaction::kReport,
     R::lrLinkNotReady},
    {S::lsUserDataSent, Codes({0, kSingleAck}), TCondition::kAny, TReaction::kReport, R::lrAck},
    {S::lsUserDataSent, Codes({1}), TCondition::kAny, TReaction::kReport, R::lrNack},
    {S::lsUserDataSent, Codes({14, 15}), TCondition::kAny, TReaction::kReport, R::lrLinkNotReady},
    {S::lsDataRequested, Codes({8}), TCondition::kWithData, TReaction::kReport, R::lrUserData},
    {S::lsDataRequested, Codes({8}), TCondition::kWithoutData, TReaction::kReport, R::lrNoData},
    {S::lsDataRequested, Codes({9, kSingleAck}), TCondition::kAny, TReaction::kReport, R::lrNoData},
    {S::lsDataRequested, Codes({11}), TCondition::kAny, TReaction::kReport, R::lrAck},
    {S::lsDataRequested, Codes({14, 15}), TCondition::kAny, TReaction::kReport, R::lrLinkNotReady},
};

TArkSocket101Master::TArkSocket101Master(TimerFactory& timers, Clock& clock, TIecLink link,
                                         const TIecFieldLengths& lengths, uint32_t linkAddress)
    : clock_(clock), link_(std::move(link)), lengths_(lengths), timer_(timers.CreateTimer()) {
  timer_->SetInterval(kResponseTimeoutMs);
  timer_->OnTimer = [this] { HandleTimer(); };
  SetLinkAddress(linkAddress);
}

TArkSocket101Master::~TArkSocket101Master() {
  // Deliveries that began before the owner detached the port are served (and
  // dropped) before the members go.
  closing_ = true;
  Disarm();
  timer_->OnTimer = nullptr;
  while (receivesInFlight_.load() > 0) {
    if (handover::InGuiThread()) {
      handover::Drain();
      handover::WaitForWork(std::chrono::milliseconds(5));
    } else {
      std::this_thread::yield();
    }
  }
}

bool TArkSocket101Master::IsBusy() const {
  return state_ == S::lsStatusRequested || state_ == S::lsResetSent ||
         state_ == S::lsUserDataSent || state_ == S::lsDataRequested ||
         state_ == S::lsClass1Requested || state_ == S::lsLinkStatusRequested;
}

void TArkSocket101Master::SetLineTiming(uint32_t baud, unsigned bitsPerCharacter,
                                        unsigned endSilenceMs) {
  baud_ = baud;
  bitsPerCharacter_ = bitsPerCharacter;
  endSilenceMs_ = endSilenceMs;
}

unsigned TArkSocket101Master::ResponseTimeoutMs() const {
  return current_ ? timeoutMs_ : answerTimeMs_;
}

unsigned TArkSocket101Master::WireMs(std::size_t octets) const {
  const uint64_t bits = static_cast<uint64_t>(octets) * bitsPerCharacter_;
  return static_cast<unsigned>((bits * 1000 + baud_ - 1) / baud_);
}

unsigned TArkSocket101Master::TimeoutFor(TLinkState state) const {
  if (baud_ == 0) return answerTimeMs_;
  const bool dataRequest = state == S::lsDataRequested || state == S::lsClass1Requested;
  const std::size_t longestAnswer =
      dataRequest ? std::size_t{kFt12MaxLength} + 6 : std::size_t{lengths_.LinkAddressLength()} + 4;
  const std::size_t request = current_ ? current_->Frame().size() : 0;
  return WireMs(request) + answerTimeMs_ + WireMs(longestAnswer) + endSilenceMs_;
}

void TArkSocket101Master::SetLinkAddress(uint32_t address) {
  linkAddress_ = TruncateLinkAddress(lengths_, address);
}

void TArkSocket101Master::OpenPort() {
  if (link_.Open) link_.Open();
}

void TArkSocket101Master::ClosePort() {
  if (link_.Close) link_.Close();
}

void TArkSocket101Master::ClearLinkState() {
  const bool wasBusy = IsBusy();
  Disarm();
  state_ = S::lsNotReady;
  if (wasBusy) Report(R::lrFailed, {}, false);
}

void TArkSocket101Master::ResetLink(int retries) {
  if (IsBusy()) throw TArkException(iec_messages::kPreviousOperationRunning);
  retriesLeft_ = retries;
  state_ = S::lsNotReady;
  frameCounter_ = 0;
  answerCopiesDue_ = 0;
  current_.emplace(lengths_, fc::kRequestStatus, linkAddress_, 0, false);
  Transmit(S::lsStatusRequested);
}

void TArkSocket101Master::CheckReadyForData() const {
  if (IsBusy()) throw TArkException(iec_messages::kLinkBusy);
  if (!IsReady()) throw TArkException(iec_messages::kLinkNeedsReset);
}

void TArkSocket101Master::RequestClass2(int retries) {
  CheckReadyForData();
  StartCountedService(fc::kRequestClass2, {}, retries, S::lsDataRequested);
}

void TArkSocket101Master::RequestLinkStatus(int retries) {
  CheckReadyForData();
  current_.emplace(lengths_, fc::kRequestStatus, linkAddress_, 0, false);
  retriesLeft_ = retries;
  Transmit(S::lsLinkStatusRequested);
}

void TArkSocket101Master::RequestClass1(int retries) {
  CheckReadyForData();
  StartCountedService(fc::kRequestClass1, {}, retries, S::lsClass1Requested);
}

void TArkSocket101Master::SendUserData(const TArkAsduBase& asdu, int retries) {
  CheckReadyForData();
  StartCountedService(fc::kUserDataConfirm, asdu.AsOctets(), retries, S::lsUserDataSent);
}

void TArkSocket101Master::StartCountedService(uint8_t function, const Octets& userData, int retries,
                                              TLinkState state) {
  // The frame is built before anything changes: a frame over the length limit
  // leaves counter, frame and state as they were.
  const uint32_t counter = frameCounter_ + 1;
  TArkOutPacket frame(lengths_, function, linkAddress_, static_cast<int>(counter & 1), true,
                      userData);
  frameCounter_ = counter;
  current_.emplace(std::move(frame));
  retriesLeft_ = retries;
  Transmit(state);
}

void TArkSocket101Master::Transmit(TLinkState state, bool repeat) {
  if (retriesLeft_ <= 0) {
    Disarm();
    state_ = S::lsNotReady;
    Report(R::lrFailed, {}, false);
    return;
  }
  --retriesLeft_;
  if (!repeat) silentCopies_ = 0;
  assembly_.clear();  // what came before belongs to no answer of this frame
  answered_ = false;
  skipping_ = false;
  // State and time-out are set before the frame leaves, so that a response,
  // however early, finds the service it belongs to.
  state_ = state;
  timeoutMs_ = TimeoutFor(state);
  Arm();
  if (repeat) Notify(TLinkExchangeEvent::leRepeated);
  Notify(TLinkExchangeEvent::leTransmitted);
  if (link_.Send) link_.Send(current_->Frame());
}

void TArkSocket101Master::Arm() {
  deadlineMs_ = clock_.MonotonicMs() + timeoutMs_;
  timer_->SetEnabled(false);
  timer_->SetInterval(timeoutMs_);
  timer_->SetEnabled(true);
}

void TArkSocket101Master::Disarm() {
  timer_->SetEnabled(false);
}

void TArkSocket101Master::HandleTimer() {
  if (!IsBusy()) {
    Disarm();
    return;
  }
  const int64_t now = clock_.MonotonicMs();
  if (now < deadlineMs_) {
    // Early tick (a coarse timer): wait for the rest.
    timer_->SetInterval(static_cast<unsigned>(deadlineMs_ - now));
    return;
  }
  Disarm();
  if (!answered_) {
    ++silentCopies_;
    Notify(TLinkExchangeEvent::leTimedOut);
  } else if (!assembly_.empty() && !skipping_) {
    Notify(TLinkExchangeEvent::leBadFrame);  // an answer cut short
  }
  Repeat();
}

void TArkSocket101Master::ReceiveOctets(const Octets& data) {
  if (handover::InGuiThread()) {
    if (!closing_) HandleReceived(data);
    return;
  }
  // From another thread: counted, so that the destructor can serve the
  // hand-over before the members go.
  ++receivesInFlight_;
  try {
    handover::Synchronize([this, &data] {
      if (!closing_) HandleReceived(data);
    });
  } catch (...) {
    --receivesInFlight_;
    throw;
  }
  --receivesInFlight_;
}

void TArkSocket101Master::HandleReceived(const Octets& data) {
  if (!IsBusy()) {
    Trace("iSkip: " + BytesToHex(data));
    return;
  }
  Trace("iRd: " + BytesToHex(data));
  // The answer may come in pieces or after stray octets: it is assembled
  // until one whole frame is there; a frame that changes nothing (another
  // address, an unexpected function) lets the next one be looked at.
  assembly_ += data;
  for (;;) {
    if (DropRepeatedAnswers() || assembly_.empty()) return;
    if (!answered_) {
      answered_ = true;
      Notify(TLinkExchangeEvent::leAnswered);
    }
    const std::size_t length = NextFrameLength();
    if (length == 0) return;  // more octets, or the time-out, decide
    const TArkInPacket packet(lengths_, assembly_.substr(0, length));
    assembly_.erase(0, length);
    if (StrayBeforeFrame(packet)) continue;
    // The station answers in order: once another frame came, no copy of the
    // earlier answer follows.
    answerCopiesDue_ = 0;
    if (Act(packet)) return;
  }
}

bool TArkSocket101Master::StrayBeforeFrame(const TArkInPacket& packet) {
  // A frame follows in the same arrival: the single character before it is
  // no answer of its own (a station that answered with the frame has already
  // moved on, so the frame must not be lost).
  if (packet.HasControl() || assembly_.empty()) return false;
  const auto next = static_cast<uint8_t>(assembly_[0]);
  if (next != kFt12FixedStart && next != kFt12VariableStart) return false;
  Trace("iSkip: " + BytesToHex(packet.Frame()));
  return true;
}

bool TArkSocket101Master::DropRepeatedAnswers() {
  while (answerCopiesDue_ > 0) {
    if (assembly_.size() < lastAnswer_.size()) {
      return lastAnswer_.compare(0, assembly_.size(), assembly_) == 0 && !assembly_.empty();
    }
    if (assembly_.compare(0, lastAnswer_.size(), lastAnswer_) != 0) return false;
    Trace("iSkip: " + BytesToHex(lastAnswer_));
    assembly_.erase(0, lastAnswer_.size());
    --answerCopiesDue_;
  }
  return false;
}

void TArkSocket101Master::RememberAnswer(const TArkInPacket& packet) {
  constexpr uint8_t kFcvBit = 0x10;
  const bool counted = current_ && current_->HasControl() && (current_->Control() & kFcvBit) != 0;
  lastAnswer_ = packet.Frame();
  answerCopiesDue_ = counted ? silentCopies_ : 0;
}

std::size_t TArkSocket101Master::NextFrameLength() {
  for (;;) {
    const std::size_t length = Ft12FrameLength(lengths_, assembly_);
    if (length != kNotFt12Frame) {
      if (length != 0) skipping_ = false;
      return length;
    }
    // Octets that cannot begin a frame (a broken frame among them) are
    // dropped up to the next octet that can; one run counts once.
    if (!skipping_) {
      skipping_ = true;
      Notify(TLinkExchangeEvent::leBadFrame);
    }
    const std::size_t next = assembly_.find_first_of(kFrameStarts, 1);
    assembly_.erase(0, next);
  }
}

bool TArkSocket101Master::Act(const TArkInPacket& packet) {
  const TDecision decision = Decide(packet);
  if (decision.use == TFrameUse::kUseless) Notify(TLinkExchangeEvent::leBadFrame);
  if (decision.use == TFrameUse::kRefusal) Notify(TLinkExchangeEvent::leRefused);
  switch (decision.reaction) {
    case TReaction::kIgnore:
      return false;
    case TReaction::kRepeat:
      Disarm();
      Repeat();
      return true;
    case TReaction::kStartReset:
      Disarm();
      state_ = S::lsNotReady;
      current_.emplace(lengths_, fc::kResetRemoteLink, linkAddress_, 0, false);
      Transmit(S::lsResetSent);  // the retry budget carries on
      return true;
    case TReaction::kReport: {
      // E5h carries neither ACD nor DFC.
      const bool control = packet.HasControl();
      RememberAnswer(packet);
      // A link the station says is not functioning has to be reset first.
      const S after = decision.result == R::lrLinkNotReady ? S::lsNotReady : S::lsReady;
      Finish(after, decision.result,
             decision.result == R::lrUserData ? packet.UserData() : Octets(),
             control && packet.Acd(), control && packet.Dfc());
      return true;
    }
  }
  return true;
}

TArkSocket101Master::TDecision TArkSocket101Master::Decide(const TArkInPacket& packet) const {
  using C = TCondition;
  int function = kSingleAck;
  if (packet.HasControl()) {
    if (packet.Prm() || !packet.AddressMatches(linkAddress_)) {
      return {TReaction::kIgnore, R::lrNone, TFrameUse::kUseless};
    }
    function = packet.Function();
  } else if (packet.Frame() != Octets(1, static_cast<char>(kFt12Ack))) {
    return {TReaction::kRepeat, R::lrNone, TFrameUse::kUseless};
  }
  // A refusal is one whatever the service; anything else no row names is of no use.
  const bool refusal = IsRefusal(function);
  // Class 1 and class 2 requests are answered alike.
  const S state = state_ == S::lsClass1Requested ? S::lsDataRequested : state_;
  for (const TReceiveRule& rule : kReceiveRules) {
    if (rule.state != state || (rule.functions & (1u << function)) == 0) continue;
    const bool fits = rule.condition == C::kAny ||
                      (rule.condition == C::kWithData && packet.HasData()) ||
                      (rule.condition == C::kWithoutData && !packet.HasData());
    if (fits) return {rule.reaction, rule.result, refusal ? TFrameUse::kRefusal : TFrameUse::kUsed};
  }
  return {function == kSingleAck ? TReaction::kRepeat : TReaction::kIgnore, R::lrNone,
          refusal ? TFrameUse::kRefusal : TFrameUse::kUseless};
}

void TArkSocket101Master::Finish(TLinkState state, TLinkResult result, const Octets& asdu, bool acd,
                                 bool dfc) {
  Disarm();
  state_ = state;
  Report(result, asdu, acd, dfc);
}

void TArkSocket101Master::Report(TLinkResult result, const Octets& asdu, bool acd, bool dfc) {
  lastDfc_ = dfc;
  if (!OnLinkResult) return;
  lastResult_ = result;
  lastAsdu_ = asdu;
  lastAcd_ = acd;
  // The handler may start the next service or even free the master: only
  // copies are used from here on.
  const TLinkResultEvent onResult = OnLinkResult;
  const TLinkErrorEvent onError = OnLinkError;
  const Octets octets = asdu;
  handover::Synchronize([this, result, acd, &onResult, &onError, &octets] {
    try {
      if (octets.empty()) {
        onResult(this, result, nullptr, acd);
      } else {
        const TArkInAsdu received(lengths_, octets);
        onResult(this, result, &received, acd);
      }
    } catch (const TArkException& error) {
      if (!onError) return;
      try {
        onError(this, error);
      } catch (...) {
        // A failing error handler has nowhere left to report to.
      }
    }
  });
}

void TArkSocket101Master::Trace(const std::string& line) const {
  if (OnTrace) OnTrace(line);
}

void TArkSocket101Master::Notify(TLinkExchangeEvent event) const {
  if (OnExchange && !closing_) OnExchange(event);
}

}  // namespace vela
