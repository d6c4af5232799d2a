#pragma once
// Builds TForm1 headless on a virtual clock with a scripted serial line, and
// plays a small device: it answers each request the form sends from register
// tables the test fills, or with what the test tells it to send instead.

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/MainForm.h"
#include "common/HeadlessEventLoop.h"
#include "serial/ScriptedBackend.h"

namespace vela::test {

class TRecordingTrace : public TTraceTarget {
 public:
  explicit TRecordingTrace(std::vector<std::string>& lines) : lines_(lines) {}
  bool Send(const std::string& text) override {
    lines_.push_back(text);
    return true;
  }

 private:
  std::vector<std::string>& lines_;
};

class TScriptedSaveDialog : public TSaveDialog {
 public:
  bool Execute(const std::string& title, const std::string&, const std::string&,
               std::string& fileName) override {
    lastTitle = title;
    if (answer.empty()) return false;
    fileName = answer;
    return true;
  }
  std::string answer;  // empty: the user cancels
  std::string lastTitle;
};

// The IEC options dialog: records the modes it was shown in and answers as
// told (confirming stores nothing unless onConfirm does).
class TScriptedIecDialog : public TIecOptionsDialog {
 public:
  bool Execute(TIecOptionsMode mode, TIecOptions& options) override {
    modes.push_back(mode);
    if (answer && onConfirm) onConfirm(options);
    return answer;
  }
  bool answer = true;
  std::function<void(TIecOptions&)> onConfirm;
  std::vector<TIecOptionsMode> modes;
};

// A request as the device sees it.
struct TRequest {
  uint8_t address = 0, function = 0;
  uint16_t start = 0, count = 0;
};

class FormHarness {
 public:
  // fastExchange: the form's fast exchange seam.
  // messageBox: the message box the form asks with; none: it asks nothing.
  explicit FormHarness(bool fastExchange = false, TMessageBox* messageBox = nullptr);
  ~FormHarness();

  TForm1& form() { return *form_; }
  ScriptedBackend& line() { return *backend_; }
  TScriptedSaveDialog& saveDialog() { return saveDialog_; }
  TScriptedIecDialog& iecDialog() { return iecDialog_; }
  VirtualClock& clock() { return clock_; }
  HeadlessEventLoop& loop() { return loop_; }
  const std::vector<std::string>& trace() const { return trace_; }
  const std::vector<std::string>& log() const { return form_->Memo1.Lines(); }
  // RS-485 and IEC 60870-5-101 chosen in the window; the connection dialog
  // that opens is confirmed after `adjust` changed its options.
  bool ChooseIec(std::function<void(TIecOptions&)> adjust);
  bool LogHas(const std::string& line) const;
  int LogCount(const std::string& line) const;

  // Not empty: listing the ports, or hashing the program file, raises this.
  std::string discoveryFailure, digestFailure;

  // Device registers (input: function 4, holding: functions 3 and 16).
  std::map<uint16_t, uint16_t> input, holding;
  // A device that is a supported Vela, 4-wire, normalisation type 2.
  void MakeSupportedVela();

  // The request sent last (the device's view), RTU or ASCII.
  TRequest LastRequest() const;
  // Its address, function and data, without the framing.
  Octets LastRequestBody() const;
  // A frame for body in the framing of the last request.
  Octets Frame(const Octets& body) const;
  int RequestCount() const { return static_cast<int>(backend_->Written().size()); }

  // The device answers the last request from its registers.
  void Answer();
  // The device answers with these raw octets (a whole frame).
  void Reply(const Octets& frame);
  // The same in IEC mode, where the link master takes the octets.
  void ReplyIec(const Octets& frame);
  // Called with every frame just before the device sends it.
  std::function<void(const Octets& frame)> onReply;
  // The device answers the last request with an exception response.
  void ReplyException(uint8_t code);
  // Answers every request until the operation stops, the form is idle, or
  // maxAnswers have been given.
  void AnswerAll(int maxAnswers = 100);

  // Reads the settings from the device, so that a write that follows sends
  // without reading the link block first.
  void ReadSettings();

  // Frames addressed from device 1 in RTU.
  static Octets Rtu(const Octets& body);

 private:
  void WaitForDelivery(size_t traceCountBefore, const std::vector<std::string>& prefixes);

  VirtualClock clock_;
  HeadlessEventLoop loop_{clock_};
  ScriptedBackend* backend_ = nullptr;
  std::vector<std::string> trace_;
  TScriptedSaveDialog saveDialog_;
  TScriptedIecDialog iecDialog_;
  std::unique_ptr<TForm1> form_;
};

}  // namespace vela::test
