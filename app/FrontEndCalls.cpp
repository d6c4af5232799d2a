// The calls a front end without controls makes (the command line): the
// operations, and the link and device settings as values. Each does what the
// operator's control would do, so both front ends share one behaviour.

#include "app/MainForm.h"
#include "serial/PortNames.h"

namespace vela {

void TForm1::Start(TOperationKind kind) {
  switch (kind) {
    case TOperationKind::ReadOnce:
      Button4.Click();
      return;
    case TOperationKind::Continuous:
      if (!FContinuousRunning) Button5.Click();
      return;
    case TOperationKind::SyncClock:
      Button1.Click();
      return;
    case TOperationKind::ReadSettings:
      Button7.Click();
      return;
    case TOperationKind::WriteSettings:
      Button3.Click();
      return;
    case TOperationKind::WriteFactory:
      Button8.Click();
      return;
    case TOperationKind::Identification:
      btnVerify.Click();
      return;
    case TOperationKind::Probe:
      ProbeIdentification(0);
      return;
  }
}

void TForm1::StopContinuousReading() {
  if (FContinuousRunning) Button5.Click();
}

bool TForm1::ChoosePort(const std::string& portName) {
  return cbComPort.ChooseText(portName);
}

std::string TForm1::PortShown() const {
  return cbComPort.Text();
}

void TForm1::ChooseInterface(bool rs485) {
  cbInterfaceType.Choose(rs485 ? 1 : 0);
}

void TForm1::ChooseProgramProtocol(int protocol) {
  ComboBox2.Choose(protocol);
}

bool TForm1::ChooseProgramSpeed(const std::string& speed) {
  return ComboBox3.ChooseText(speed);
}

void TForm1::ChooseProgramFrame(int frame) {
  ComboBox4.Choose(frame);
}

void TForm1::ChooseProgramAddress(int address) {
  cbAddr.ChooseText(std::to_string(address));
}

TForm1::TLinkShown TForm1::ProgramLinkShown() const {
  return {ComboBox2.Text(), ComboBox3.Text(), ComboBox4.Text(), cbAddr.Text()};
}

TForm1::TDeviceSettingsShown TForm1::DeviceSettingsShown() const {
  TDeviceSettingsShown shown;
  shown.protocol = cbProtocolType.ItemIndex();
  shown.protocolText = cbProtocolType.Text();
  shown.speed = cbSpeed.Text();
  shown.frame = cbFrame.ItemIndex();
  shown.frameText = cbFrame.Text();
  shown.address = cbAddress.ItemIndex() >= 0 ? cbAddress.ItemIndex() + 1 : 0;
  shown.threeWire = rb3w.Checked();
  shown.network = rb3w.Checked() ? rb3w.Caption() : rb4w.Caption();
  return shown;
}

const std::vector<std::string>& TForm1::DeviceProtocols() const {
  return cbProtocolType.Items();
}

const std::vector<std::string>& TForm1::DeviceSpeeds() const {
  return cbSpeed.Items();
}

void TForm1::ChooseDeviceProtocol(int protocol) {
  cbProtocolType.Choose(protocol);
}

bool TForm1::ChooseDeviceSpeed(const std::string& speed) {
  return cbSpeed.ChooseText(speed);
}

bool TForm1::ChooseDeviceFrame(const std::string& frame) {
  return cbFrame.ChooseText(frame);
}

void TForm1::ChooseDeviceFrame(int frame) {
  cbFrame.Choose(frame);
}

void TForm1::ChooseDeviceAddress(int address) {
  cbAddress.ChooseText(std::to_string(address));
}

void TForm1::ChooseNetwork(bool threeWire) {
  (threeWire ? rb3w : rb4w).Click();
}

std::string TForm1::SerialShown() const {
  return GroupBox2.Caption();
}

std::string TForm1::DeviceClockShown() const {
  return edTime.Text();
}

bool TForm1::Recording() const {
  return FRecorder->IsRecording();
}

void TForm1::ToggleRecording() {
  BitBtn1.Click();
}

}  // namespace vela
