// Entering and leaving IEC 60870-5-101 mode: the program is in it exactly
// while FIec (the IEC operations with their link master) exists.

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
  // The program talks to the device at the address its settings give.
  if (FDevice.address >= 1) FLink.address = FDevice.address;
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
  if (OnIecModeChanged) OnIecModeChanged();
  ApplyAddress();  // the Modbus frame builder follows the link's address again
}

}  // namespace vela
