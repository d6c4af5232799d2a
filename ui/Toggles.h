#pragma once
// Two-state controls: a check box and radio buttons that exclude each other
// within their group.

#include <functional>
#include <vector>

#include "ui/Control.h"

namespace vela {

class TCheckBox : public TControl {
 public:
  using TControl::TControl;

  bool Checked() const { return checked_; }
  void SetChecked(bool value) { Assign(checked_, value); }

  std::function<void()> OnClick;
  // The user's click: toggles and runs OnClick; ignored while disabled or hidden.
  void Click() {
    if (!Enabled() || !Visible()) return;
    SetChecked(!checked_);
    if (OnClick) OnClick();
  }

 private:
  bool checked_ = false;
};

class TRadioButton : public TControl {
 public:
  using TControl::TControl;

  // Joins the buttons into one group: checking one unchecks the others.
  static void Group(const std::vector<TRadioButton*>& buttons) {
    for (TRadioButton* b : buttons) b->group_ = buttons;
  }

  bool Checked() const { return checked_; }
  void SetChecked(bool value) {
    if (value) {
      for (TRadioButton* other : group_) {
        if (other != this) other->Assign(other->checked_, false);
      }
    }
    Assign(checked_, value);
  }

  std::function<void()> OnClick;
  // The user's click: checks this button; ignored while disabled or hidden.
  void Click() {
    if (!Enabled() || !Visible()) return;
    SetChecked(true);
    if (OnClick) OnClick();
  }

 private:
  bool checked_ = false;
  std::vector<TRadioButton*> group_;
};

// A frame with a caption around other controls.
class TGroupBox : public TControl {
 public:
  using TControl::TControl;
};

}  // namespace vela
