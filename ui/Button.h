#pragma once
// Push buttons: a plain button and a button with a glyph (a bitmap by name).

#include <functional>
#include <string>

#include "ui/Control.h"

namespace vela {

class TButton : public TControl {
 public:
  using TControl::TControl;

  // What the user's click runs; set by the owner.
  std::function<void()> OnClick;

  // The user's click: ignored while the button is disabled or hidden, as a
  // toolkit would.
  void Click() {
    if (Enabled() && Visible() && OnClick) OnClick();
  }
};

class TBitBtn : public TButton {
 public:
  using TButton::TButton;

  // Name of the bitmap resource shown as the glyph; empty for none.
  const std::string& Glyph() const { return glyph_; }
  void SetGlyph(const std::string& resourceName) { Assign(glyph_, resourceName); }

 private:
  std::string glyph_;
};

}  // namespace vela
