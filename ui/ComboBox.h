#pragma once
// A drop-down list with a selected index (-1 = none).

#include <functional>
#include <string>
#include <vector>

#include "ui/Control.h"

namespace vela {

class TComboBox : public TControl {
 public:
  using TControl::TControl;

  const std::vector<std::string>& Items() const { return items_; }
  // Replaces the items; the selection becomes none.
  void SetItems(std::vector<std::string> items);
  // Replaces the items and keeps the selected index where it still exists.
  void ReplaceItemsKeepingIndex(std::vector<std::string> items);
  int Count() const { return static_cast<int>(items_.size()); }

  int ItemIndex() const { return itemIndex_; }
  // Program-side selection; an index outside the items selects none. Does not
  // run OnClick, as the toolkit does not for programmatic changes.
  void SetItemIndex(int index);
  // The text of the selected item, empty when none is selected.
  std::string Text() const;

  // What the user's choice runs; set by the owner.
  std::function<void()> OnClick;
  // The user's choice of an item: selects it and runs OnClick. Ignored while
  // the box is disabled or hidden.
  void Choose(int index);
  // The user's choice by text; false when no item has that text.
  bool ChooseText(const std::string& text);

 private:
  std::vector<std::string> items_;
  int itemIndex_ = -1;
};

// Selects the first item equal to text (case-sensitive); none when no item
// matches or the text is empty.
void SelectComboItem(TComboBox& box, const std::string& text);

}  // namespace vela
