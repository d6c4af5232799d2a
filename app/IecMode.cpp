// Entering and leaving IEC 60870-5-101 mode: the program is in it exactly
// while FIec (the IEC operations with their link master) exists.

#include "app/IecWorkflows.h"
#include "app/MainForm.h"
#include "app/Messages.h"
#include "iec101/Ft12AnswerComplete.h"
#include "iec101/IecDeviceOptions.h"
#include "iec101/IecOptionsDialog.h"
#include "iec101/IecSettings.h"

namespace vela {

bool TForm1::ChooseIecProtocol() {
  if (InIecMode()) return true;
  TIecOptions options{FIecDeviceOptions, {}};
  try {
    options.connection = LinkSettingsFrom(FIecDeviceOptions);
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
  try {
    // A common address cut to its field would never match an answer.
    CheckCommonAddressFits(link.expectedCommonAddress,
                           static_cast<int>(link.lengths.CommonAddressLength()));
  } catch (const TArkException& e) {
    Log(e.what());
    return false;
  }
  SelectComboItem(cbAddr, cbAddress.Text());
  EnterIecMode(link);
  return true;
}

void TForm1::EnterIecMode(const TIecLinkSettings& link) {
  if (InIecMode()) return;
  const int address = cbAddr.ItemIndex();
  FIec = std::make_unique<TIecWorkflows>(*this, link,
                                         static_cast<uint32_t>(address >= 0 ? address + 1 : 1));
  EnableIecControls(false);
  cbAddrClick();
  // Fast exchange: an answer ends as soon as it is one whole FT 1.2 frame.
  if (FSeams.fastExchange) {
    FPort->SetAnswerComplete([lengths = link.lengths](const Octets& received) {
      return Ft12AnswerComplete(lengths, received);
    });
  }
}

void TForm1::LeaveIecMode() {
  if (!InIecMode()) return;
  // No result may be awaited from a master that is about to go.
  FIec->EndOperation(msg::kIecEndedByProtocol);
  FIec.reset();
  ConnectPortEvents();
  EnableIecControls(!FBusy);
  cbAddrClick();  // the Modbus frame builder follows the address box again
}

void TForm1::EnableIecControls(bool enable) {
  for (TControl* c :
       std::initializer_list<TControl*>{&rb3w, &rb4w, &Button7, &Button3, &Button8, &btnVerify,
                                        &cbProtocolType, &cbSpeed, &cbFrame, &cbAddress}) {
    c->SetEnabled(enable);
  }
  // The device's IEC options are written over the service interface only.
  btnIecCfg.SetEnabled(enable && cbProtocolType.ItemIndex() == 2 &&
                       cbInterfaceType.ItemIndex() == 0);
}

}  // namespace vela
