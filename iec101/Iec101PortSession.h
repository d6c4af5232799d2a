#pragma once
// IEC mode on one port: the link master wired to the port for its lifetime.
// Creating the session makes the master send through the port and takes
// over the port's receive event; destroying it gives the receive event back
// first and frees the master second, so no received chunk can reach a freed
// master. Port is any class with Send, Open, Close and an OnRead event of the
// form void(Port* sender, const Octets& data), such as TArkComPort.

#include <memory>

#include "iec101/Iec101Master.h"

namespace vela {

template <class Port>
class TIec101PortSession {
 public:
  TIec101PortSession(Port& port, TimerFactory& timers, Clock& clock,
                     const TIecFieldLengths& lengths, uint32_t linkAddress)
      : port_(port),
        master_(std::make_unique<TArkSocket101Master>(timers, clock, LinkTo(port), lengths,
                                                      linkAddress)),
        previousOnRead_(port.OnRead) {
    TArkSocket101Master* master = master_.get();
    port_.OnRead = [master](Port*, const Octets& data) { master->ReceiveOctets(data); };
  }

  ~TIec101PortSession() {
    port_.OnRead = previousOnRead_;
    master_.reset();
  }

  TIec101PortSession(const TIec101PortSession&) = delete;
  TIec101PortSession& operator=(const TIec101PortSession&) = delete;

  TArkSocket101Master& Master() { return *master_; }

  static TIecLink LinkTo(Port& port) {
    return {[&port](const Octets& frame) { return port.Send(frame); }, [&port] { port.Open(); },
            [&port] { port.Close(); }};
  }

 private:
  Port& port_;
  std::unique_ptr<TArkSocket101Master> master_;
  decltype(Port::OnRead) previousOnRead_;
};

}  // namespace vela
