// Entering and leaving IEC 60870-5-101 mode: the program is in it exactly
// while FIec (the IEC operations with their link master) exists.

#include "app/IecWorkflows.h"
#include "app/Engine.h"
#include "app/Messages.h"
#include "iec101/Ft12AnswerComplete.h"
#include "iec101/IecDeviceOptions.h"
#include "iec101/IecSettings.h"

namespace vela {

bool TVelaEngine::ChooseIecProtocol() {
  if (InIecMode()) return true;
  try {
    ApplyIecDeviceOptionsToConnection(IecDeviceOptions());
  } catch (const TArkException& e) {
    Log(msg::kIecBadConnection + std::string(e.what()));
    return false;
  }
  if (!FSeams.iecOptionsDialog || !FSeams.iecOptionsDialog->Execute(TIecOptionsMode::Connection)) {
    return false;
  }
  try {
    // A common address cut to its field would never match an answer.
    CheckCommonAddressFits(ExpectedCommonAddress(), static_cast<int>(CommonAddressLength()));
  } catch (const TArkException& e) {
    Log(e.what());
    return false;
  }
  // The program talks to the device at the address its settings give.
  if (FDevice.address >= 1) FLink.address = FDevice.address;
  EnterIecMode();
  if (OnProgramLinkChanged) OnProgramLinkChanged();
  return true;
}

void TVelaEngine::EnterIecMode() {
  if (InIecMode()) return;
  const int address = FLink.address;
  FIec = std::make_unique<TIecWorkflows>(*this, static_cast<uint32_t>(address >= 1 ? address : 1));
  if (OnBusyChanged) OnBusyChanged();  // the Modbus-only controls are off in IEC mode
  ApplyAddress();
  // Fast exchange: an answer ends as soon as it is one whole FT 1.2 frame.
  if (FSeams.fastExchange) FPort->SetAnswerComplete(Ft12AnswerComplete);
}

void TVelaEngine::LeaveIecMode() {
  if (!InIecMode()) return;
  // No result may be awaited from a master that is about to go.
  FIec->EndOperation(msg::kIecEndedByProtocol);
  FIec.reset();
  ConnectPortEvents();
  if (OnBusyChanged) OnBusyChanged();
  ApplyAddress();  // the Modbus frame builder follows the link's address again
}

}  // namespace vela
