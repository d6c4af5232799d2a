// The program-side link (the port, the interface, protocol, speed, frame and
// address the program talks with) applied to the port and the frame builder,
// and the device-side settings as read from the device.

#include <cstdio>

#include "app/Engine.h"
#include "app/IecWorkflows.h"
#include "app/Messages.h"
#include "serial/PortDiscovery.h"

namespace vela {

void TVelaEngine::SelectPort(const std::string& portName) {
  // An IEC operation ends on the old port; the master then starts anew.
  if (FIec) FIec->EndOperation(msg::kIecEndedByPort);
  FLink.port = PortNameOfItem(portName);  // "COM5 (нет доступа)" opens COM5
  FPort->SetPortName(FLink.port);
  FLinkPrmSource.clear();
  ForgetSettingsOrigin();
  FNetworkTypeKnown = false;
  FCosSupport = 0;
  if (FIec) FIec->Master().ClearLinkState();
  if (FContinuousRunning && !InIecMode()) {
    FJobIndex = -1;
    Advance();
  }
}

void TVelaEngine::PortsChanged() {
  FLinkPrmSource.clear();  // another device may sit behind the same name now
  ForgetSettingsOrigin();
  FNetworkTypeKnown = false;
  FCosSupport = 0;
}

void TVelaEngine::SetInterface(bool rs485, const TProgramLink& link) {
  if (rs485 != FLink.rs485) ForgetSettingsOrigin();  // another line, maybe another device
  FLink.rs485 = rs485;
  FLink.protocol = link.protocol;
  FLink.speedIndex = link.speedIndex;
  FLink.frame = link.frame;
  FLink.address = link.address;
  if (!rs485) {
    // The service interface always talks MODBUS RTU, 38400, 8E1, address 1.
    FLink.protocol = 0;
    FLink.speedIndex = kFactorySpeedIndex;
    FLink.frame = 0;
    FLink.address = 1;
  }
  try {  // a mode the open port cannot have is reported by the next Open
    FPort->SetRtsControl(rs485 ? FSeams.rs485Rts : RtsControl::Off);
  } catch (...) {
  }
  ApplyProtocol();
  ApplySpeed();
  ApplyFrame();
  ApplyAddress();
  if (!rs485 && OnProgramLinkChanged) OnProgramLinkChanged();
}

void TVelaEngine::SetProgramProtocol(int protocol) {
  FLink.protocol = protocol;
  ApplyProtocol();
}

void TVelaEngine::SetProgramSpeed(int speedIndex) {
  FLink.speedIndex = speedIndex;
  ApplySpeed();
}

void TVelaEngine::SetProgramFrame(int frame) {
  FLink.frame = frame;
  ApplyFrame();
}

void TVelaEngine::SetProgramAddress(int address) {
  if (address != FLink.address) ForgetSettingsOrigin();  // another device on the line
  FLink.address = address;
  ApplyAddress();
}

void TVelaEngine::ApplyProtocol() {
  if (FLink.protocol == 2) {
    try {
      FPort->SetByteSize(8);
      if (ChooseIecProtocol()) return;
    } catch (...) {
    }
    // Cancelled, or the connection does not fit.
    FLink.protocol = 0;
    if (OnProgramLinkChanged) OnProgramLinkChanged();
  }
  LeaveIecMode();
  try {
    const bool ascii = FLink.protocol == 1;
    FPacker->RtuMode = !ascii;
    FPort->SetByteSize(ascii ? 7 : 8);
  } catch (...) {
    // The link keeps the new protocol; the port reports its own failures on open.
  }
}

void TVelaEngine::ApplySpeed() {
  const int index = FLink.speedIndex;
  const bool listed = index >= 0 && index < static_cast<int>(kProgramSpeeds.size());
  try {
    FPort->SetBaudRate(listed ? std::stoi(kProgramSpeeds[static_cast<size_t>(index)]) : 9600);
  } catch (...) {
  }
  if (FIec) FIec->ApplyLineTiming();
}

void TVelaEngine::ApplyFrame() {
  // Parity codes: 0 none, 1 odd, 2 even; stop bits: 0 one, 2 two.
  static const uint8_t kParity[] = {2, 1, 0};
  static const uint8_t kStopBits[] = {0, 0, 2};
  const int index = FLink.frame;
  if (index < 0 || index > 2) return;
  try {
    FPort->SetParity(kParity[index]);
    FPort->SetStopBits(kStopBits[index]);
  } catch (...) {
  }
  if (FIec) FIec->ApplyLineTiming();
}

void TVelaEngine::ApplyAddress() {
  if (FLink.address < 1) return;
  if (FLink.address <= kMaxAddress) FPacker->Address = static_cast<uint8_t>(FLink.address);
  if (FIec) FIec->Master().SetLinkAddress(static_cast<uint32_t>(FLink.address));
}

void TVelaEngine::SetDeviceSettings(const TDeviceSettingsModel& settings) {
  FDevice = settings;
  if (OnSettingsKnownChanged) OnSettingsKnownChanged();  // a blank box may have been filled
}

void TVelaEngine::LinkSettingsRead() {
  const uint8_t protocol = FLinkPrm->GetProtocol();
  FDevice.protocol = protocol <= 2 ? protocol : 0;
  const int address = FLinkPrm->GetDeviceAddress();
  FDevice.address = address >= 1 && address <= kMaxAddress ? address : 0;
  const uint8_t speed = FLinkPrm->GetSpeedIndex();
  FDevice.speedIndex = speed <= 6 ? speed : kFactorySpeedIndex;
  const uint8_t frame = FLinkPrm->GetFrameIndex();
  FDevice.frame = frame <= 2 ? frame : 0;
  TakeNetworkType(FLinkPrm->GetNormalisationType(), FLinkPrm->GetThreeWire());
  SetSerialCaption(FLinkPrm->GetSerialNumber());
  TIecDeviceOptions& options = IecDeviceOptions();
  options.LinkAddressLength = FLinkPrm->GetIecLinkAddressLength();
  options.CotLength = FLinkPrm->GetIecCotLength();
  options.CommonAddressLength = FLinkPrm->GetIecCommonAddressLength();
  options.IoaLength = FLinkPrm->GetIecIoaLength();
  DeviceSettingsChanged();
}

}  // namespace vela
