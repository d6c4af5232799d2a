#include <gtest/gtest.h>

#include "ui/Button.h"
#include "ui/ComboBox.h"
#include "ui/Form.h"
#include "ui/TextControls.h"
#include "ui/Toggles.h"

namespace vela {
namespace {

TEST(ComboBoxTest, SelectComboItemCases) {
  struct Case {
    const char* text;
    int expected;
  };
  const Case cases[] = {{"8O1", 1}, {"8o1", -1}, {"", -1}, {"9N9", -1}, {"8E1", 0}, {"8N2", 2}};
  TComboBox box;
  box.SetItems({"8E1", "8O1", "8N2", "8O1"});
  for (const Case& c : cases) {
    box.SetItemIndex(2);
    SelectComboItem(box, c.text);
    EXPECT_EQ(box.ItemIndex(), c.expected) << c.text;
  }
}

TEST(ComboBoxTest, ReplacingItemsKeepsIndexOnlyWhenAsked) {
  TComboBox box;
  box.SetItems({"8E1", "8O1", "8N2"});
  box.SetItemIndex(2);
  box.ReplaceItemsKeepingIndex({"7E1", "7O1", "7N2"});
  EXPECT_EQ(box.Text(), "7N2");
  box.ReplaceItemsKeepingIndex({"a"});
  EXPECT_EQ(box.ItemIndex(), -1);
  box.SetItems({"x", "y"});
  EXPECT_EQ(box.ItemIndex(), -1);
  box.SetItemIndex(5);
  EXPECT_EQ(box.ItemIndex(), -1);
  EXPECT_EQ(box.Text(), "");
}

TEST(ComboBoxTest, UserChoiceRunsClickOnlyWhenEnabledAndVisible) {
  struct Case {
    bool enabled, visible;
    int clicks;
  };
  for (const Case c : {Case{true, true, 1}, Case{false, true, 0}, Case{true, false, 0}}) {
    TComboBox box;
    box.SetItems({"1", "2"});
    int clicks = 0;
    box.OnClick = [&] { ++clicks; };
    box.SetEnabled(c.enabled);
    box.SetVisible(c.visible);
    box.ChooseText("2");
    EXPECT_EQ(clicks, c.clicks);
    box.SetItemIndex(0);  // program-side change never clicks
    EXPECT_EQ(clicks, c.clicks);
  }
}

TEST(ControlTest, ChangeNotificationOnlyOnRealChanges) {
  TButton button;
  int changes = 0;
  const int id = button.OnChanged.Add([&](TControl&) { ++changes; });
  button.SetCaption("a");
  button.SetCaption("a");
  button.SetEnabled(true);  // already enabled
  button.SetEnabled(false);
  EXPECT_EQ(changes, 2);
  button.OnChanged.Remove(id);
  button.SetLeft(5);
  EXPECT_EQ(changes, 2);
}

TEST(ControlTest, DisabledButtonIgnoresClick) {
  TButton button;
  int clicks = 0;
  button.OnClick = [&] { ++clicks; };
  button.Click();
  button.SetEnabled(false);
  button.Click();
  EXPECT_EQ(clicks, 1);
}

TEST(MemoTest, LineBreaksInsideATextStartNewLines) {
  struct Case {
    const char* text;
    std::vector<std::string> lines;
  };
  const Case cases[] = {
      {"one", {"one"}},
      {"a\r\nb", {"a", "b"}},
      {"\r\n[x]", {"", "[x]"}},
      {"a\nb\r\n", {"a", "b", ""}},
  };
  for (const Case& c : cases) {
    TMemo memo;
    memo.Add(c.text);
    EXPECT_EQ(memo.Lines(), c.lines) << c.text;
  }
}

TEST(MemoTest, RemoveFirstDropsOldest) {
  TMemo memo;
  for (const char* s : {"1", "2", "3"}) memo.Add(s);
  memo.RemoveFirst(2);
  EXPECT_EQ(memo.Lines(), std::vector<std::string>{"3"});
  memo.RemoveFirst(10);
  EXPECT_TRUE(memo.Lines().empty());
}

TEST(RadioButtonTest, CheckingOneUnchecksItsGroup) {
  TRadioButton a, b, c;
  TRadioButton::Group({&a, &b});
  a.SetChecked(true);
  c.SetChecked(true);
  b.Click();
  EXPECT_FALSE(a.Checked());
  EXPECT_TRUE(b.Checked());
  EXPECT_TRUE(c.Checked());  // other group
}

TEST(FormTest, CloseRunsOnCloseOnce) {
  TForm form;
  int closes = 0;
  form.OnClose = [&] { ++closes; };
  form.Close();
  form.Close();
  EXPECT_EQ(closes, 1);
  EXPECT_TRUE(form.CloseRequested());
}

}  // namespace
}  // namespace vela
