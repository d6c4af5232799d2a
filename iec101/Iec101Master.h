#pragma once
// The primary station of IEC 60870-5-101 unbalanced transmission for one
// secondary station: one link service at a time, a response time-out of
// the device's answer time (400 ms unless set) plus the wire times of the
// line, repeats within a retry budget set
// by the caller (for every service, the reset too), the frame count bit, and
// exactly one result per service. Answers are assembled from the received
// chunks until one whole FT 1.2 frame is there; octets that cannot begin a
// frame are skipped.
//
// Threads: every method runs on the GUI thread except ReceiveOctets, which
// may be called from any thread and hands the octets to the GUI thread. The
// response time-out is a GUI-thread Timer measured on the Clock, so a
// time-out and a response are never handled at the same time, and a time-out
// of a service that has ended is dropped.
//
// Wiring to the serial port (the owner does this): the link's Send hands a
// frame to the port; the port's receive event calls ReceiveOctets. Before the
// master is freed the owner gives the port's receive event back to itself, so
// that no delivery can reach a freed master; TIec101PortSession does both in
// the right order. The master is not freed from inside its own OnLinkResult
// or OnLinkError handler (leave IEC mode from a user action).

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "common/ArkTypes.h"
#include "common/Clock.h"
#include "common/Timer.h"
#include "iec101/IecAsdu.h"
#include "iec101/IecPacket.h"

namespace vela {

enum class TLinkState : uint8_t {
  lsNotReady = 0,             // link not reset, or the last service failed
  lsReady = 1,                // idle, link reset
  lsStatusRequested = 2,      // REQUEST STATUS OF LINK sent
  lsResetSent = 3,            // RESET OF REMOTE LINK sent
  lsUserDataSent = 4,         // SEND/CONFIRM user data sent
  lsDataRequested = 5,        // REQUEST/RESPOND class 2 data sent
  lsClass1Requested = 6,      // REQUEST/RESPOND class 1 data sent
  lsLinkStatusRequested = 7,  // REQUEST STATUS OF LINK sent on a link already reset
};

enum class TLinkResult : uint8_t {
  lrAck = 0,           // confirmed, or status of link in answer to a data request
  lrNack = 1,          // user data not accepted
  lrLinkNotReady = 2,  // function 14 or 15 to a service of a reset link: it needs a reset
  lrNoData = 3,        // data request answered with function 9, or 8 without data
  lrUserData = 4,      // data request answered with an ASDU
  lrFailed = 5,        // no usable response within the budget, or reset not answered
  lrNone = 6,          // never reported
};

// What happened on the line, for the exchange counters of the owner.
enum class TLinkExchangeEvent : uint8_t {
  leRepeated,     // the frame about to go is a repeat of the last one (leTransmitted follows)
  leTransmitted,  // a frame went to the line (the first sending or a repeat)
  leAnswered,     // the first octets after a transmission
  leTimedOut,     // the response time-out of a transmission that got no octets at all
  leBadFrame,     // octets of no use: a broken frame, another station's or a primary
                  // frame, a frame that does not fit the service, an answer cut short
  leRefused,      // the device refused: NACK (1), or function 14 or 15
};

// What the master needs of the line. Send's result is not used: a frame that
// did not go out is handled by the time-out like a lost one.
struct TIecLink {
  std::function<bool(const Octets&)> Send;
  std::function<void()> Open;   // optional
  std::function<void()> Close;  // optional
};

class TArkSocket101Master {
 public:
  // The device's own answer time unless the connection sets another: the
  // time-out before the line timing is known, its core once it is.
  static constexpr unsigned kResponseTimeoutMs = kDefaultAnswerTimeMs;

  using TLinkResultEvent = std::function<void(TArkSocket101Master* sender, TLinkResult result,
                                              const TArkInAsdu* asdu, bool acd)>;
  using TLinkErrorEvent =
      std::function<void(TArkSocket101Master* sender, const TArkException& error)>;

  // lengths: the field lengths of the frames and ASDUs on this link.
  TArkSocket101Master(TimerFactory& timers, Clock& clock, TIecLink link,
                      const TIecFieldLengths& lengths, uint32_t linkAddress);
  ~TArkSocket101Master();
  TArkSocket101Master(const TArkSocket101Master&) = delete;
  TArkSocket101Master& operator=(const TArkSocket101Master&) = delete;

  // Services; each raises TArkException when the state does not allow it.
  void ResetLink(int retries);
  void RequestClass2(int retries);
  // Same results and rules as RequestClass2, for class 1 data.
  void RequestClass1(int retries);
  // REQUEST STATUS OF LINK on a link already reset (to see DFC fall back to
  // 0): lrAck with Dfc() on function 11 (the link stays reset and the frame
  // count bit is unchanged), lrLinkNotReady on 14 or 15.
  void RequestLinkStatus(int retries);
  void SendUserData(const TArkAsduBase& asdu, int retries);

  // One received chunk, as the port delivered it; any thread.
  void ReceiveOctets(const Octets& data);

  bool IsReady() const { return state_ == TLinkState::lsReady; }
  bool IsBusy() const;
  TLinkState State() const { return state_; }
  // The line the frames travel on: from the next transmission on the response
  // time-out is the request's own wire time, the answer time, the wire time
  // of the longest answer the request can bring (a fixed frame for status,
  // reset and user data; a variable frame of 261 octets for a data request)
  // and the port's end-of-answer silence. Until it is called (or with baud 0)
  // the time-out is the plain answer time.
  void SetLineTiming(uint32_t baud, unsigned bitsPerCharacter, unsigned endSilenceMs = 50);
  // How long the device may take to begin its answer (slow radio or modem
  // lines need more than 400 ms); from the next transmission on.
  void SetAnswerTimeMs(unsigned ms) { answerTimeMs_ = ms; }
  unsigned AnswerTimeMs() const { return answerTimeMs_; }
  // The time-out of the current or the last service (the answer time before
  // the first).
  unsigned ResponseTimeoutMs() const;
  void SetLinkAddress(uint32_t address);
  uint32_t LinkAddress() const { return linkAddress_; }
  const TIecFieldLengths& Lengths() const { return lengths_; }
  // Forgets the link state (another port was chosen). A running service ends
  // with lrFailed.
  void ClearLinkState();
  void OpenPort();
  void ClosePort();

  // The frame sent last (repeated unchanged on retries); none before the first.
  const TArkOutPacket* CurrentFrame() const { return current_ ? &*current_ : nullptr; }
  TLinkResult LastResult() const { return lastResult_; }
  // The DFC bit of the response behind the result reported last (false for
  // E5h and for lrFailed). DFC = 1 holds back further user data only: the
  // owner sends no SendUserData until RequestLinkStatus reports DFC = 0;
  // data requests stay allowed. Readable inside OnLinkResult.
  bool Dfc() const { return lastDfc_; }

  // Runs on the GUI thread with the received ASDU (or none) for 8 with data.
  // A TArkException it raises goes to OnLinkError; anything raised there is
  // dropped.
  TLinkResultEvent OnLinkResult;
  TLinkErrorEvent OnLinkError;
  // "iRd: " / "iSkip: " lines of the exchange trace.
  std::function<void(const std::string&)> OnTrace;
  // Every exchange event as it happens, on the GUI thread; never once the
  // destructor has begun. A transmission comes before the frame is handed to
  // the line, a bad frame or a refusal before the repeat or the result it
  // leads to.
  std::function<void(TLinkExchangeEvent)> OnExchange;

 private:
  enum class TReaction : uint8_t { kIgnore, kRepeat, kStartReset, kReport };
  enum class TCondition : uint8_t { kAny, kWithData, kWithoutData };
  // One row of the receive table: in state, a usable response to the master's
  // address whose function code is in the functions mask and that meets the
  // condition leads to reaction (and, for kReport, to result).
  struct TReceiveRule {
    TLinkState state;
    uint32_t functions;
    TCondition condition;
    TReaction reaction;
    TLinkResult result;
  };
  static const TReceiveRule kReceiveRules[];
  // What a whole frame was worth to the exchange counters.
  enum class TFrameUse : uint8_t { kUsed, kRefusal, kUseless };
  struct TDecision {
    TReaction reaction;
    TLinkResult result;
    TFrameUse use;
  };

  void CheckReadyForData() const;
  unsigned WireMs(std::size_t octets) const;
  unsigned TimeoutFor(TLinkState state) const;
  void StartCountedService(uint8_t function, const Octets& userData, int retries, TLinkState state);
  // repeat: the same frame again (after a time-out or a refusal).
  void Transmit(TLinkState state, bool repeat = false);
  void Repeat() { Transmit(state_, true); }
  void Arm();
  void Disarm();
  void HandleTimer();
  void HandleReceived(const Octets& data);
  // The station answers every copy of a counted frame (FCV = 1, the same FCB)
  // with the same answer: after a late answer and a repeat, the answer comes
  // once more, and it belongs to no later service. Drops such copies at the start of the
  // assembly; true while the assembly may still be the start of one.
  bool DropRepeatedAnswers();
  // True for a single character (E5h, A2h) that a frame follows in the
  // assembly: it is passed over and the frame read.
  bool StrayBeforeFrame(const TArkInPacket& packet);
  // The answer that ends a service, kept to recognise its copies.
  void RememberAnswer(const TArkInPacket& packet);
  // Drops octets that cannot begin a frame; the length of the whole frame
  // then at the start of the assembly, or 0 when more octets are needed.
  std::size_t NextFrameLength();
  // Handles one whole frame; false when it changed nothing.
  bool Act(const TArkInPacket& packet);
  TDecision Decide(const TArkInPacket& packet) const;
  void Finish(TLinkState state, TLinkResult result, const Octets& asdu, bool acd, bool dfc);
  void Report(TLinkResult result, const Octets& asdu, bool acd, bool dfc = false);
  void Trace(const std::string& line) const;
  void Notify(TLinkExchangeEvent event) const;

  Clock& clock_;
  TIecLink link_;
  const TIecFieldLengths lengths_;
  std::unique_ptr<Timer> timer_;
  uint32_t linkAddress_ = 0;
  TLinkState state_ = TLinkState::lsNotReady;
  uint32_t frameCounter_ = 0;  // lowest bit is the FCB of the last FCV = 1 frame
  int retriesLeft_ = 0;
  int64_t deadlineMs_ = 0;
  unsigned answerTimeMs_ = kResponseTimeoutMs;
  unsigned timeoutMs_ = kResponseTimeoutMs;
  uint32_t baud_ = 0;  // 0: line timing not known
  unsigned bitsPerCharacter_ = 0;
  unsigned endSilenceMs_ = 0;
  std::optional<TArkOutPacket> current_;
  Octets assembly_;          // octets of the answer received so far
  bool answered_ = false;    // octets came since the last transmission
  int silentCopies_ = 0;     // copies of the current frame that got nothing before the time-out
  Octets lastAnswer_;        // the frame that answered the last service
  int answerCopiesDue_ = 0;  // answers to its silent copies the station may still send
  bool skipping_ = false;    // octets are being dropped, counted once as a bad frame
  TLinkResult lastResult_ = TLinkResult::lrNone;
  Octets lastAsdu_;
  bool lastAcd_ = false;
  bool lastDfc_ = false;
  std::atomic<int> receivesInFlight_{0};
  std::atomic<bool> closing_{false};
};

}  // namespace vela
