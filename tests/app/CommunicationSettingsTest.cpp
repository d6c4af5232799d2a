// The program-side communication boxes: what each applies to the port and the
// frame builder, the interface type rules, the device-side boxes' lists.

#include <gtest/gtest.h>

#include "app/Messages.h"
#include "tests/app/FormHarness.h"

namespace vela::test {
namespace {

struct SpeedCase {
  int index;
  int baud;
};

TEST(CommunicationSettingsTest, SpeedBoxSetsThePortSpeed) {
  FormHarness h;
  TForm1& f = h.form();
  f.cbInterfaceType.Choose(1);
  for (const SpeedCase c :
       {SpeedCase{0, 9600}, SpeedCase{1, 19200}, SpeedCase{2, 38400}, SpeedCase{3, 57600},
        SpeedCase{4, 76800}, SpeedCase{5, 115200}, SpeedCase{6, 230400}, SpeedCase{-1, 9600}}) {
    f.ComboBox3.SetItemIndex(c.index);
    f.ComboBox3Click();
    EXPECT_EQ(f.Engine().FPort->BaudRate(), c.baud) << c.index;
  }
}

struct FrameCase {
  const char* protocol;
  const char* frame;
  int byteSize, parity, stopBits;
};

TEST(CommunicationSettingsTest, ProtocolAndFrameBoxesSetTheCharacterFrame) {
  // Parity codes: 0 none, 1 odd, 2 even; stop bits: 0 one, 2 two.
  const FrameCase cases[] = {{"MODBUS RTU", "8E1", 8, 2, 0},   {"MODBUS RTU", "8O1", 8, 1, 0},
                             {"MODBUS RTU", "8N2", 8, 0, 2},   {"MODBUS ASCII", "7E1", 7, 2, 0},
                             {"MODBUS ASCII", "7O1", 7, 1, 0}, {"MODBUS ASCII", "7N2", 7, 0, 2}};
  FormHarness h;
  TForm1& f = h.form();
  f.cbInterfaceType.Choose(1);
  for (const FrameCase& c : cases) {
    ASSERT_TRUE(f.ComboBox2.ChooseText(c.protocol));
    ASSERT_TRUE(f.ComboBox4.ChooseText(c.frame)) << c.frame;
    EXPECT_EQ(f.Engine().FPort->ByteSize(), c.byteSize) << c.frame;
    EXPECT_EQ(f.Engine().FPort->Parity(), c.parity) << c.frame;
    EXPECT_EQ(f.Engine().FPort->StopBits(), c.stopBits) << c.frame;
    EXPECT_EQ(f.Engine().FPacker->RtuMode, c.byteSize == 8);
  }
  // Changing the protocol keeps the chosen frame's place in the list.
  f.ComboBox2.ChooseText("MODBUS RTU");
  EXPECT_EQ(f.ComboBox4.Text(), "8N2");
}

TEST(CommunicationSettingsTest, UsbFixesTheProgramSideLink) {
  FormHarness h;
  TForm1& f = h.form();
  f.cbInterfaceType.Choose(1);
  f.ComboBox2.ChooseText("MODBUS ASCII");
  f.ComboBox3.ChooseText("115200");
  f.ComboBox4.ChooseText("7O1");
  f.cbAddr.ChooseText("44");
  EXPECT_EQ(f.Engine().FPacker->Address, 44);
  f.cbInterfaceType.Choose(0);
  EXPECT_EQ(f.ComboBox2.Text(), "MODBUS RTU");
  EXPECT_EQ(f.ComboBox3.Text(), "38400");
  EXPECT_EQ(f.ComboBox4.Text(), "8E1");
  EXPECT_EQ(f.cbAddr.Text(), "1");
  EXPECT_FALSE(f.cbAddr.Visible());
  EXPECT_FALSE(f.ComboBox2.Enabled());
  EXPECT_FALSE(f.ComboBox3.Enabled());
  EXPECT_TRUE(f.Engine().FPacker->RtuMode);
  EXPECT_EQ(f.Engine().FPacker->Address, 1);
  EXPECT_EQ(f.Engine().FPort->BaudRate(), 38400);
  EXPECT_EQ(f.Engine().FPort->ByteSize(), 8);
  EXPECT_EQ(f.Engine().FPort->Parity(), 2);
}

TEST(CommunicationSettingsTest, IecProtocolCancelledFallsBackToRtu) {
  FormHarness h;
  TForm1& f = h.form();
  h.iecDialog().answer = false;
  f.cbInterfaceType.Choose(1);
  f.ComboBox2.ChooseText("MODBUS ASCII");
  f.ComboBox2.ChooseText("IEC 60870-5-101");
  EXPECT_EQ(f.ComboBox2.Text(), "MODBUS RTU");
  EXPECT_TRUE(f.Engine().FPacker->RtuMode);
  EXPECT_EQ(f.Engine().FPort->ByteSize(), 8);
  EXPECT_EQ(f.Engine().FIec, nullptr);
}

TEST(CommunicationSettingsTest, BoxListsAndHints) {
  FormHarness h;
  TForm1& f = h.form();
  // The program's port takes every speed the device can be set to.
  const std::vector<std::string> speeds = {"9600",  "19200",  "38400", "57600",
                                           "76800", "115200", "230400"};
  EXPECT_EQ(f.ComboBox3.Items(), speeds);
  EXPECT_EQ(f.cbSpeed.Items(), speeds);
  EXPECT_EQ(f.cbAddr.Count(), 247);
  EXPECT_EQ(f.cbAddress.Items().back(), "247");
  EXPECT_EQ(f.cbInterfaceType.Text(), "USB        (технологический)");
  EXPECT_EQ(f.cbFrame.Hint(), f.ComboBox4.Hint());
  EXPECT_EQ(f.cbSpeed.Hint(), "Выбор скорости передачи данных");
  EXPECT_EQ(f.cbAddress.Hint(),
            "Логический адрес.\r\nПрибор отвечает только на запросы с заданным адресом.");
  // The device-side frame texts follow the device-side protocol.
  f.cbFrame.ChooseText("8O1");
  f.cbProtocolType.ChooseText("MODBUS ASCII");
  EXPECT_EQ(f.cbFrame.Text(), "7O1");
  EXPECT_FALSE(f.btnIecCfg.Visible());
  f.cbProtocolType.ChooseText("IEC 60870-5-101");
  EXPECT_EQ(f.cbFrame.Text(), "8O1");
  EXPECT_TRUE(f.btnIecCfg.Visible());
  EXPECT_TRUE(f.btnIecCfg.Enabled());
}

}  // namespace
}  // namespace vela::test
