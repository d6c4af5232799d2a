#include "ui/ComboBox.h"

#include <algorithm>

namespace vela {

void TComboBox::SetItems(std::vector<std::string> items) {
  items_ = std::move(items);
  itemIndex_ = -1;
  Changed();
}

void TComboBox::ReplaceItemsKeepingIndex(std::vector<std::string> items) {
  const int keep = itemIndex_;
  items_ = std::move(items);
  itemIndex_ = keep < Count() ? keep : -1;
  Changed();
}

void TComboBox::SetItemIndex(int index) {
  Assign(itemIndex_, index >= 0 && index < Count() ? index : -1);
}

std::string TComboBox::Text() const {
  return itemIndex_ >= 0 ? items_[itemIndex_] : std::string();
}

void TComboBox::Choose(int index) {
  if (!Enabled() || !Visible()) return;
  SetItemIndex(index);
  if (OnClick) OnClick();
}

bool TComboBox::ChooseText(const std::string& text) {
  const auto it = std::find(items_.begin(), items_.end(), text);
  if (it == items_.end()) return false;
  Choose(static_cast<int>(it - items_.begin()));
  return true;
}

void SelectComboItem(TComboBox& box, const std::string& text) {
  box.SetItemIndex(-1);
  if (text.empty()) return;
  const auto& items = box.Items();
  const auto it = std::find(items.begin(), items.end(), text);
  if (it != items.end()) box.SetItemIndex(static_cast<int>(it - items.begin()));
}

}  // namespace vela
