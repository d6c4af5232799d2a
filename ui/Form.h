#pragma once
// A top-level window: caption, size, font, key preview and closing.

#include <cstdint>
#include <functional>

#include "ui/Control.h"
#include "ui/TextControls.h"

namespace vela {

// Modifier keys and mouse buttons held while a key is pressed.
enum TShiftFlag : uint8_t {
  ssShift = 1,
  ssAlt = 2,
  ssCtrl = 4,
  ssLeft = 8,
  ssRight = 16,
  ssMiddle = 32,
};
using TShiftState = uint8_t;

// Virtual key codes the program reacts to; letters are their upper-case ASCII.
inline constexpr uint16_t kVkEscape = 27;

class TForm : public TControl {
 public:
  using TControl::TControl;

  const TFontSpec& Font() const { return font_; }
  void SetFont(const TFontSpec& font) { Assign(font_, font); }
  bool KeyPreview() const { return keyPreview_; }
  void SetKeyPreview(bool value) { Assign(keyPreview_, value); }

  // Asks the front end to close the window (which ends the program).
  void Close() {
    if (closeRequested_) return;
    closeRequested_ = true;
    Changed();
    if (OnClose) OnClose();
  }
  bool CloseRequested() const { return closeRequested_; }
  std::function<void()> OnClose;

 private:
  TFontSpec font_;
  bool keyPreview_ = false;
  bool closeRequested_ = false;
};

}  // namespace vela
