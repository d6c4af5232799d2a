// Keyboard rules of the main window: Escape, and the hidden key sequence
// that toggles the service view.

#include "app/MainForm.h"

namespace vela {

void TForm1::FormKeyPress(char key) {
  if (key != static_cast<char>(kVkEscape)) return;
  if (FPanel && FPanel->EscapeKey()) {
    return;  // left the zoom view
  } else if (FEngine->FPort && FEngine->FPort->IsOpen()) {
    FEngine->CancelOperation();
  } else if (FEngine->PortOutageRunning()) {
    FEngine->EndPortOutage();
  } else {
    Close();
  }
}

void TForm1::FormKeyDown(uint16_t key, TShiftState shift) {
  if (!FKeySequence.KeyDown(key, shift)) return;
  FServiceView = !FServiceView;
  FEngine->SetServiceView(FServiceView);
  ApplyServiceView();
}

void TForm1::ApplyServiceView() {
  if (FServiceView) {
    Memo1.SetFont({"Lucida Console", 14});
    Button8.SetCaption("заводские установки");
    Button8.SetWidth(168);
    Button8.SetLeft(601);
    ComboBox1.SetVisible(true);
  } else {
    Memo1.SetFont({});  // the window font
    Button8.SetCaption("записать заводские установки");
    Button8.SetLeft(519);
    Button8.SetWidth(250);
    ComboBox1.SetVisible(false);
    ComboBox1.SetItemIndex(0);
  }
}

}  // namespace vela
