#pragma once
// IEC 60870-5-101 on the device side: a secondary station in unbalanced
// transmission. It cuts FT 1.2 frames out of the line, answers the link
// services (status of link, reset of remote link, user data, class 1 and
// class 2 requests) and leaves the application to IecStation. A frame with
// FCV = 1 whose FCB equals that of the last accepted one is a repeat: it gets
// the last answer again and is not carried out twice.
//
// The field lengths are the link blocks' IEC options, taken afresh before
// every frame is read; the station serves the frame with the same lengths.

#include <optional>

#include "iec101/IecPacket.h"
#include "sim/IecStation.h"
#include "sim/LineProtocol.h"

namespace vela {

class Iec101Line : public LineProtocol {
 public:
  Iec101Line(DeviceModel& device, uint16_t linkAddress, const LineFormat& format,
             const AnswerFaults& faults);
  void Receive(const Octets& octets, int64_t nowUs) override;
  std::optional<Exchange> Poll(int64_t nowUs) override;
  int64_t NextDeadlineUs() const override;
  void FaultNextAnswer(std::optional<LineFault> fault) override { nextFault_ = fault; }

  // The link-address and field lengths of the device's IEC options.
  static TIecFieldLengths LengthsOf(const IecOptions& iec);

 private:
  // Octets the next frame needs from the buffer; 0 while unknown.
  size_t FrameLength() const;
  Exchange Process(const Octets& frame, int64_t nowUs);
  // The answer to a usable request to this station, before the faults.
  std::optional<TArkOutPacket> Answer(const TArkInPacket& request, int64_t nowUs,
                                      std::string& note);
  std::optional<TArkOutPacket> UserData(const TArkInPacket& request, std::string& note);
  TArkOutPacket DataAnswer(const std::optional<Octets>& asdu);
  // Counts a data answer; the restart fault takes the link down after it.
  void CountDataAnswer();
  // A frame of this station with its ACD and DFC.
  TArkOutPacket Frame(uint8_t function, const Octets& asdu = {}) const;
  // ACK or "no data"; E5h instead when told to and neither ACD (class1Waits)
  // nor DFC would be set.
  TArkOutPacket Short(uint8_t function, bool class1Waits) const;
  bool DfcNow() const;
  // The octets on the line, with the standing faults and the one asked for
  // next where the answer can carry it.
  Octets WithFaults(const TArkOutPacket& answer, std::optional<LineFault>& made);

  DeviceModel& device_;
  uint16_t linkAddress_;
  AnswerFaults faults_;
  TIecFieldLengths lengths_;  // of the frame being served
  IecStation station_;
  int64_t gapUs_;  // silence after which an unfinished frame is dropped
  Octets buffer_;
  int64_t lastUs_ = 0;
  std::optional<bool> lastFcb_;              // of the last accepted FCV = 1 frame
  std::optional<TArkOutPacket> lastAnswer_;  // as built, before the faults
  std::optional<LineFault> nextFault_;
  int answers_ = 0;        // answers sent so far, for the DFC fault
  int dataAnswers_ = 0;    // answers to data requests since the last restart
  bool linkDown_ = false;  // restarted: function 14 until the link is reset
};

}  // namespace vela
