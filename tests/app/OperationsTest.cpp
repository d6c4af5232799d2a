#include <gtest/gtest.h>

#include "app/Messages.h"
#include "common/ArkCmnUtils.h"
#include "tests/app/FormHarness.h"

namespace vela::test {
namespace {

// Link block values outside the lists are shown as the defaults.
struct LinkToControlsCase {
  const char* name;
  uint16_t protocol, address, speed, frame;
  const char* protocolText;
  const char* addressText;
  const char* speedText;
  const char* frameText;
};

class LinkToControlsTest : public testing::TestWithParam<LinkToControlsCase> {};

TEST_P(LinkToControlsTest, SettingsReadFillsDeviceBoxes) {
  const LinkToControlsCase& c = GetParam();
  FormHarness h;
  h.MakeSupportedVela();
  h.holding[20662] = c.protocol;
  h.holding[20663] = c.address;
  h.holding[20664] = c.speed;
  h.holding[20665] = c.frame;
  h.form().Button7.Click();
  h.AnswerAll();
  TForm1& f = h.form();
  EXPECT_EQ(f.cbProtocolType.Text(), c.protocolText) << c.name;
  EXPECT_EQ(f.cbAddress.Text(), c.addressText) << c.name;
  EXPECT_EQ(f.cbSpeed.Text(), c.speedText) << c.name;
  EXPECT_EQ(f.cbFrame.Text(), c.frameText) << c.name;
  EXPECT_EQ(f.btnIecCfg.Visible(), c.protocol == 2) << c.name;
}

INSTANTIATE_TEST_SUITE_P(Cases, LinkToControlsTest,
                         testing::Values(LinkToControlsCase{"inRange", 1, 17, 6, 2, "MODBUS ASCII",
                                                            "17", "230400", "7N2"},
                                         LinkToControlsCase{"iec", 2, 247, 0, 1, "IEC 60870-5-101",
                                                            "247", "9600", "8O1"},
                                         LinkToControlsCase{"outOfRange", 5, 1, 9, 3, "MODBUS RTU",
                                                            "1", "38400", "8E1"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(OperationsTest, SecondPressOfContinuousReadingStops) {
  FormHarness h;
  h.MakeSupportedVela();
  TForm1& f = h.form();
  f.Button5.Click();
  EXPECT_EQ(f.Button5.Caption(), msg::kStopReading);
  EXPECT_TRUE(f.Button5.Enabled());
  EXPECT_FALSE(f.Button4.Enabled());
  EXPECT_TRUE(h.LogHas(msg::kContinuousReading));
  f.Button5.Click();
  EXPECT_TRUE(h.LogHas(msg::kStopped));
  EXPECT_EQ(f.Button5.Caption(), msg::kReadContinuously);
  EXPECT_TRUE(f.Button4.Enabled());
  EXPECT_FALSE(f.Engine().FPort->IsOpen());
}

TEST(OperationsTest, ChangingThePortDuringContinuousReadingRestartsWithDevInfo) {
  FormHarness h;
  h.MakeSupportedVela();
  TForm1& f = h.form();
  f.Button5.Click();
  for (int i = 0; i < 8; ++i) h.Answer();
  f.cbComPort.ChooseText("COM3");
  EXPECT_EQ(f.Engine().FPort->PortName(), "COM3");
  EXPECT_EQ(f.Engine().CurrentJob(), jobDevInfo);
  EXPECT_EQ(h.LastRequest().start, 768);
  EXPECT_EQ(f.Engine().FCosSupport, 0);
  f.FormKeyPress(27);
}

TEST(OperationsTest, WriteSendsControlsAndIecOptions) {
  FormHarness h;
  h.MakeSupportedVela();
  h.ReadSettings();
  TForm1& f = h.form();
  f.cbProtocolType.ChooseText("IEC 60870-5-101");
  f.cbAddress.ChooseText("9");
  f.cbSpeed.ChooseText("57600");
  f.rb3w.Click();
  f.IecDeviceOptions().CommonAddress = 300;
  f.IecDeviceOptions().CyclicTransmission = true;
  f.Button3.Click();
  h.AnswerAll();
  EXPECT_EQ(h.holding[20662], 2);
  EXPECT_EQ(h.holding[20663], 9);
  EXPECT_EQ(h.holding[20664], 3);
  EXPECT_EQ(h.holding[20666], 3);  // normalisation type always 3
  EXPECT_EQ(h.holding[20667], 1);
  EXPECT_EQ(h.holding[20679], 1);
  EXPECT_EQ(h.holding[20682], 300);
  EXPECT_TRUE(h.LogHas(msg::kWritingLinkSettings));
  EXPECT_TRUE(h.LogHas(msg::kOperationDone));
}

TEST(OperationsTest, FactoryDefaultsSwitchTheProgramLinkBeforeFinalize) {
  FormHarness h;
  h.MakeSupportedVela();
  TForm1& f = h.form();
  f.cbInterfaceType.Choose(1);  // RS-485: the program-side boxes are free
  f.ComboBox2.ChooseText("MODBUS ASCII");
  f.ComboBox3.ChooseText("9600");
  f.cbAddr.ChooseText("5");
  h.holding[20672] = 0x1234;  // serial number, low half
  f.Button8.Click();
  // The link block read, five writes in ASCII to address 5, then ApplyFactoryLink.
  const uint16_t expected[] = {20662, 20678, 20679, 20682, 20666, 20662};
  for (uint16_t start : expected) {
    ASSERT_EQ(h.line().Written().back().front(), ':');
    ASSERT_EQ(h.LastRequest().address, 5);
    ASSERT_EQ(h.LastRequest().start, start);
    h.Answer();
  }
  EXPECT_TRUE(f.Engine().FPacker->RtuMode);
  EXPECT_EQ(f.Engine().FPacker->Address, 1);
  EXPECT_EQ(f.Engine().FPort->BaudRate(), 38400);
  EXPECT_EQ(f.Engine().FPort->Parity(), 2);
  EXPECT_EQ(f.ComboBox4.Text(), "8E1");
  EXPECT_EQ(h.line().Written().back().front(), 0x01);  // FinalizePrm, now in RTU
  EXPECT_EQ(h.LastRequest().start, 20580);
  h.Answer();
  EXPECT_TRUE(h.LogHas(msg::kOperationDone));
  EXPECT_EQ(h.holding[20662], 0);  // MODBUS RTU
  EXPECT_EQ(h.holding[20663], 1);
  EXPECT_EQ(h.holding[20664], 2);       // 38400
  EXPECT_EQ(h.holding[20665], 0);       // 8E1
  EXPECT_EQ(h.holding[20672], 0x1234);  // the serial number went back unchanged
  EXPECT_EQ(h.holding[20678], 13);
  EXPECT_EQ(h.holding[20680], 1000);
  EXPECT_TRUE(f.rb4w.Checked());
}

}  // namespace
}  // namespace vela::test

namespace vela::test {
namespace {

TEST(PortListTest, DeviceChangeKeepsTheShownPortWhenPresent) {
  std::vector<std::string> present = {"COM1", "COM3"};
  VirtualClock clock;
  HeadlessEventLoop loop(clock);
  TForm1Seams seams(clock, loop);
  seams.portFactory = [](const std::string& name) {
    return std::make_unique<TArkComPort>(name, std::make_unique<ScriptedBackend>());
  };
  seams.enumComPorts = [&present] { return present; };
  TForm1 form(std::move(seams));
  form.cbComPort.ChooseText("COM3");
  struct Step {
    std::vector<std::string> ports;
    uint32_t code;
    const char* shown;
  };
  const Step steps[] = {{{"COM1"}, TForm1::kDeviceRemoved, ""},
                        {{"COM1", "COM3"}, 0x8001, ""},  // other codes ignored
                        {{"COM1", "COM3"}, TForm1::kDeviceArrived, "COM3"}};
  for (const Step& step : steps) {
    present = step.ports;
    form.DeviceChange(step.code);
    EXPECT_EQ(form.cbComPort.Text(), step.shown);
  }
  present = {"COM1", "COM3", "COM4"};
  form.DeviceChange(TForm1::kDeviceArrived);
  EXPECT_EQ(form.cbComPort.Text(), "COM3");
  EXPECT_EQ(form.Engine().FPort->PortName(), "COM3");
}

TEST(PortListTest, FailedDiscoveryAtStartupOffersEveryName) {
  VirtualClock clock;
  HeadlessEventLoop loop(clock);
  TForm1Seams seams(clock, loop);
  seams.portFactory = [](const std::string& name) {
    return std::make_unique<TArkComPort>(name, std::make_unique<ScriptedBackend>());
  };
  seams.enumComPorts = []() -> std::vector<std::string> { throw TArkException("нет списка"); };
  TForm1 form(std::move(seams));
  ASSERT_EQ(form.cbComPort.Count(), 99);
  EXPECT_EQ(form.cbComPort.Items().back(), "COM99");
  EXPECT_EQ(form.cbComPort.Text(), "COM1");
}

}  // namespace
}  // namespace vela::test
