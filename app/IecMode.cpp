// Entering and leaving IEC 60870-5-101 mode: the program is in it exactly
// while FIec (the IEC operations with their link master) exists.

#include <algorithm>

#include "app/Engine.h"
#include "app/IecWorkflows.h"
#include "app/Messages.h"
#include "iec101/Ft12AnswerComplete.h"
#include "iec101/IecDeviceOptions.h"
#include "iec101/IecOptionsDialog.h"
#include "iec101/IecSettings.h"

namespace vela {

bool TVelaEngine::ChooseIecProtocol() {
  if (InIecMode()) return true;
  TIecOptions options{FIecDeviceOptions, {}};
  try {
    options.connection = LinkSettingsFrom(FIecDeviceOptions);
    // The program talks to the device at the address its settings give.
    options.connection.linkAddress =
        static_cast<uint32_t>(FDevice.address >= 1 ? FDevice.address : std::max(FLink.address, 0));
    options.connection.answerTimeMs = FIecAnswerTimeMs;
    options.connection.staleAfterS = FIecStaleAfterS;
    options.connection.interrogationPeriodS = FIecInterrogationPeriodS;
  } catch (const TArkException& e) {
    Log(msg::kIecBadConnection + std::string(e.what()));
    return false;
  }
  if (!FSeams.iecOptionsDialog ||
      !FSeams.iecOptionsDialog->Execute(TIecOptionsMode::Connection, options)) {
    return false;
  }
  FIecDeviceOptions = options.device;
  const TIecLinkSettings& link = options.connection;
  FIecAnswerTimeMs = link.answerTimeMs;
  FIecStaleAfterS = link.staleAfterS;
  FIecInterrogationPeriodS = link.interrogationPeriodS;
  try {
    // A common address cut to its field would never match an answer.
    CheckCommonAddressFits(link.expectedCommonAddress,
                           static_cast<int>(link.lengths.CommonAddressLength()));
  } catch (const TArkException& e) {
    Log(e.what());
    return false;
  }
  FLink.address = static_cast<int>(link.linkAddress);
  EnterIecMode(link);
  if (OnProgramLinkChanged) OnProgramLinkChanged();
  return true;
}

void TVelaEngine::EnterIecMode(const TIecLinkSettings& link) {
  if (InIecMode()) return;
  const int address = FLink.address;
  FIec = std::make_unique<TIecWorkflows>(*this, link,
                                         static_cast<uint32_t>(address >= 1 ? address : 1));
  if (OnIecModeChanged) OnIecModeChanged();  // the Modbus-only controls are off in IEC mode
  ApplyAddress();
  // Fast exchange: an answer ends as soon as it is one whole FT 1.2 frame.
  if (FSeams.fastExchange) {
    FPort->SetAnswerComplete([lengths = link.lengths](const Octets& received) {
      return Ft12AnswerComplete(lengths, received);
    });
  }
}

void TVelaEngine::LeaveIecMode() {
  if (!InIecMode()) return;
  // No result may be awaited from a master that is about to go.
  FIec->EndOperation(msg::kIecEndedByProtocol);
  FIec.reset();
  ConnectPortEvents();
  // A link address beyond the MODBUS range is no device address.
  const bool addressReset = FLink.address < 1 || FLink.address > kMaxAddress;
  if (addressReset) FLink.address = 1;
  if (OnIecModeChanged) OnIecModeChanged();
  if (addressReset && OnProgramLinkChanged) OnProgramLinkChanged();
  ApplyAddress();  // the Modbus frame builder follows the link's address again
}

}  // namespace vela
