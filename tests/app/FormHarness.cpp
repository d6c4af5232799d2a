#include "tests/app/FormHarness.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "common/ArkCmnUtils.h"
#include "common/Checksums.h"
#include "iec101/IecSettings.h"
#include "modbus/ModbusPacker.h"

namespace vela::test {

FormHarness::FormHarness(bool fastExchange, TMessageBox* messageBox) {
  TForm1Seams seams(clock_, loop_);
  seams.fastExchange = fastExchange;
  seams.messageBox = messageBox;
  seams.portFactory = [this](const std::string& name) {
    auto backend = std::make_unique<ScriptedBackend>();
    backend_ = backend.get();
    return std::make_unique<TArkComPort>(name, std::move(backend));
  };
  seams.debugOutputFactory = [this] { return std::make_unique<TRecordingTrace>(trace_); };
  seams.enumComPorts = [this] {
    if (!discoveryFailure.empty()) throw TArkException(discoveryFailure);
    return std::vector<std::string>{"COM1", "COM3"};
  };
  seams.programVersion = "1.0.0.1";
  seams.saveDialog = &saveDialog_;
  seams.iecOptionsDialog = &iecDialog_;
  seams.programDigest = [this] {
    if (!digestFailure.empty()) throw TArkException(digestFailure);
    return std::string(64, 'A');
  };
  form_ = std::make_unique<TForm1>(std::move(seams));
}

FormHarness::~FormHarness() {
  form_.reset();
}

bool FormHarness::ChooseIec(std::function<void(TIecOptions&)> adjust) {
  iecDialog_.onConfirm = std::move(adjust);
  form_->cbInterfaceType.Choose(1);
  return form_->ComboBox2.ChooseText("IEC 60870-5-101");
}

bool FormHarness::LogHas(const std::string& line) const {
  return LogCount(line) > 0;
}

int FormHarness::LogCount(const std::string& line) const {
  const auto& lines = log();
  return static_cast<int>(std::count(lines.begin(), lines.end(), line));
}

void FormHarness::MakeSupportedVela() {
  // Identification: serial 123, HID "AR", kind 1, modification 0; SID 2.3.
  const uint16_t ident[8] = {0, 123, 0x4152, 0x0100, 0x0203, 0, 0, 0x00AB};
  for (int i = 0; i < 8; ++i) input[768 + i] = ident[i];
  holding[20666] = 2;  // normalisation type 2
  holding[20667] = 0;  // 4-wire
  for (uint16_t r = 20662; r < 20683; ++r) holding.try_emplace(r, 0);
  holding[20662] = 0;    // MODBUS RTU
  holding[20663] = 1;    // address 1
  holding[20664] = 2;    // 38400
  holding[20672] = 123;  // serial number, as in the identification block
  holding[20678] = 13;   // ASDU 13
  holding[20682] = 1;    // common address
  holding[27] = 0x5180;  // clock: 86400 s
  holding[28] = 1;
  for (uint16_t r = 0; r < 30; ++r) input.try_emplace(r, 0);
  input[0] = 50000;   // 50.000 Гц
  input[11] = 22000;  // Ua 220.00
  input[29] = 10000;  // cos 1.0000
}

void FormHarness::ReadSettings() {
  form_->Button7.Click();
  AnswerAll();
  ASSERT_FALSE(form_->Engine().FBusy);
}

Octets FormHarness::Rtu(const Octets& body) {
  const uint16_t crc = Crc16Modbus(body.data(), static_cast<int>(body.size()));
  Octets frame = body;
  frame += static_cast<char>(crc & 0xFF);
  frame += static_cast<char>(crc >> 8);
  return frame;
}

Octets FormHarness::LastRequestBody() const {
  const auto written = backend_->Written();
  if (written.empty()) return {};
  const Octets& f = written.back();
  if (!f.empty() && f.front() == ':') {  // ASCII: hex between ':' and LRC CR LF
    return f.size() < 7 ? Octets() : HexToBytes(f.substr(1, f.size() - 5));
  }
  return f.size() < 2 ? Octets() : f.substr(0, f.size() - 2);
}

TRequest FormHarness::LastRequest() const {
  const Octets f = LastRequestBody();
  if (f.size() < 6) return {};
  auto octet = [&](size_t i) { return static_cast<uint8_t>(f.at(i)); };
  return {octet(0), octet(1), static_cast<uint16_t>(octet(2) << 8 | octet(3)),
          static_cast<uint16_t>(octet(4) << 8 | octet(5))};
}

void FormHarness::Answer() {
  const TRequest r = LastRequest();
  Octets body;
  body += static_cast<char>(r.address);
  body += static_cast<char>(r.function);
  if (r.function == 0x10) {
    const Octets f = LastRequestBody();
    for (int i = 0; i < r.count; ++i) {
      holding[r.start + i] = static_cast<uint16_t>(static_cast<uint8_t>(f.at(7 + 2 * i)) << 8 |
                                                   static_cast<uint8_t>(f.at(8 + 2 * i)));
    }
    body += f.substr(2, 4);
  } else {
    auto& table = r.function == 4 ? input : holding;
    body += static_cast<char>(2 * r.count);
    for (int i = 0; i < r.count; ++i) {
      const uint16_t v = table.count(r.start + i) ? table[r.start + i] : 0;
      body += static_cast<char>(v >> 8);
      body += static_cast<char>(v & 0xFF);
    }
  }
  Reply(Frame(body));
}

Octets FormHarness::Frame(const Octets& body) const {
  const auto written = backend_->Written();
  if (written.empty() || written.back().empty() || written.back().front() != ':') {
    return Rtu(body);
  }
  Octets withLrc = body;
  withLrc += static_cast<char>(Lrc(body.data(), static_cast<int>(body.size())));
  return AsciiFrameOfChecked(withLrc);
}

void FormHarness::ReplyException(uint8_t code) {
  const TRequest r = LastRequest();
  Octets body;
  body += static_cast<char>(r.address);
  body += static_cast<char>(r.function | 0x80);
  body += static_cast<char>(code);
  Reply(Frame(body));
}

void FormHarness::Reply(const Octets& frame) {
  const size_t before = trace_.size();
  if (onReply) onReply(frame);
  backend_->PushRead(frame);
  WaitForDelivery(before, {" Rd: "});
}

void FormHarness::ReplyIec(const Octets& frame) {
  const size_t before = trace_.size();
  backend_->PushRead(frame);
  WaitForDelivery(before, {"iRd: ", "iSkip: "});
}

void FormHarness::WaitForDelivery(size_t traceCountBefore,
                                  const std::vector<std::string>& prefixes) {
  // The port's worker hands the read to this thread; the trace's " Rd: " line
  // (the master's "iRd: " in IEC mode) shows that the form has taken it.
  const bool delivered = loop_.RunUntil(
      [&] {
        for (size_t i = traceCountBefore; i < trace_.size(); ++i) {
          for (const std::string& prefix : prefixes) {
            if (trace_[i].rfind(prefix, 0) == 0) return true;
          }
        }
        return false;
      },
      5000);
  ASSERT_TRUE(delivered) << "the response did not reach the form";
  loop_.ProcessPending();
}

void FormHarness::AnswerAll(int maxAnswers) {
  for (int i = 0; i < maxAnswers && form_->Engine().FBusy && form_->Engine().FPort->IsOpen(); ++i) {
    const int sent = RequestCount();
    Answer();
    if (RequestCount() == sent && form_->Engine().FBusy) break;  // waiting on a timer
  }
}

}  // namespace vela::test
