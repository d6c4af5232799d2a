#include <gtest/gtest.h>

#include "app/HiddenKeySequence.h"
#include "app/Messages.h"
#include "tests/app/FormHarness.h"

namespace vela::test {
namespace {

struct KeyPress {
  uint16_t key;
  TShiftState shift;
};

struct SequenceCase {
  const char* name;
  std::vector<KeyPress> keys;
  int toggles;
};

class HiddenSequenceTest : public testing::TestWithParam<SequenceCase> {};

TEST_P(HiddenSequenceTest, Toggles) {
  THiddenKeySequence seq;
  int toggles = 0;
  for (const KeyPress& k : GetParam().keys) toggles += seq.KeyDown(k.key, k.shift);
  EXPECT_EQ(toggles, GetParam().toggles);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HiddenSequenceTest,
    testing::Values(
        SequenceCase{"plain", {{'V', ssCtrl}, {'L', ssCtrl}, {'K', ssCtrl}}, 1},
        SequenceCase{"ctrlShift",
                     {{'V', ssCtrl | ssShift}, {'L', ssCtrl | ssShift}, {'K', ssCtrl | ssShift}},
                     0},
        SequenceCase{"shiftResets", {{'V', ssCtrl}, {'L', ssCtrl | ssShift}, {'K', ssCtrl}}, 0},
        SequenceCase{
            "wrongKeyRestarts", {{'V', ssCtrl}, {'V', ssCtrl}, {'L', ssCtrl}, {'K', ssCtrl}}, 1},
        SequenceCase{
            "thirdAgainToggles", {{'V', ssCtrl}, {'L', ssCtrl}, {'K', ssCtrl}, {'K', ssCtrl}}, 2},
        SequenceCase{"noCtrl", {{'V', 0}, {'L', 0}, {'K', 0}}, 0},
        SequenceCase{"mouseButton", {{'V', ssCtrl}, {'L', ssCtrl | ssLeft}, {'K', ssCtrl}}, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(KeyboardTest, ServiceViewChangesLogFontAndFactoryButton) {
  FormHarness h;
  TForm1& f = h.form();
  for (uint16_t k : {'V', 'L', 'K'}) f.FormKeyDown(k, ssCtrl);
  EXPECT_TRUE(f.FServiceView);
  EXPECT_EQ(f.Memo1.Font(), (TFontSpec{"Lucida Console", 14}));
  EXPECT_EQ(f.Button8.Caption(), "заводские установки");
  EXPECT_EQ(f.Button8.Left(), 601);
  EXPECT_TRUE(f.ComboBox1.Visible());
  f.ComboBox1.SetItemIndex(4);
  f.FormKeyDown('K', ssCtrl);
  EXPECT_FALSE(f.FServiceView);
  EXPECT_EQ(f.Button8.Width(), 250);
  EXPECT_FALSE(f.ComboBox1.Visible());
  EXPECT_EQ(f.ComboBox1.ItemIndex(), 0);
  EXPECT_EQ(f.Memo1.Font(), TFontSpec{});
}

TEST(KeyboardTest, EscapeInItsThreeCases) {
  FormHarness h;
  TForm1& f = h.form();
  // Zoom view: Escape leaves it and nothing else happens.
  f.Image1.MouseMove(15, 10);
  f.Image1.Click();
  ASSERT_TRUE(f.FPanel->Zoomed());
  f.FormKeyPress(27);
  EXPECT_FALSE(f.FPanel->Zoomed());
  EXPECT_FALSE(f.CloseRequested());
  // Port open: Escape stops the operation.
  f.Button5.Click();
  ASSERT_TRUE(f.Engine().FPort->IsOpen());
  f.FormKeyPress(27);
  EXPECT_FALSE(f.Engine().FPort->IsOpen());
  EXPECT_FALSE(f.Engine().FBusy);
  EXPECT_FALSE(f.CloseRequested());
  // Idle: Escape closes the window.
  f.FormKeyPress(27);
  EXPECT_TRUE(f.CloseRequested());
}

TEST(KeyboardTest, WindowSizeRules) {
  FormHarness h;
  struct Case {
    int w, h, expectW, expectH;
  };
  for (const Case c :
       {Case{500, 400, 800, 600}, Case{1200, 900, 1200, 900}, Case{800, 599, 800, 600}}) {
    int w = c.w, hh = c.h;
    EXPECT_TRUE(h.form().FormCanResize(w, hh));
    EXPECT_EQ(w, c.expectW);
    EXPECT_EQ(hh, c.expectH);
  }
}

TEST(KeyboardTest, StartupStateAndCaption) {
  FormHarness h;
  TForm1& f = h.form();
  EXPECT_EQ(f.Caption(), std::string(msg::kDesignCaption) + " (версия 1.0.0.1)");
  EXPECT_EQ(f.Engine().FJobIndex, -1);
  EXPECT_EQ(f.Engine().FJobs[0], jobDevInfo);
  EXPECT_EQ(f.Engine().FJobs[5], jobGetLinkPrm4);
  EXPECT_EQ(f.Engine().FJobs[6], 0);
  EXPECT_EQ(f.Engine().FLinkPrm->Timeout, 500);
  EXPECT_EQ(f.Engine().FValuesF->Timeout, 250);
  EXPECT_EQ(f.FKeySequence.Expected(), 'V');
  EXPECT_EQ(f.cbComPort.Text(), "COM1");
  EXPECT_EQ(f.cbAddr.Count(), 247);
  EXPECT_TRUE(f.rb4w.Checked());
  EXPECT_FALSE(f.ComboBox2.Enabled());  // USB interface
}

}  // namespace
}  // namespace vela::test
