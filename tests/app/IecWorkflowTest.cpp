// The main window in IEC 60870-5-101 mode on the virtual clock: entering and
// leaving the mode, the chains of the three operations against a scripted
// device, and what ends an operation.

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "app/IecWorkflows.h"
#include "app/Messages.h"
#include "iec101/IecDeviceOptions.h"
#include "iec101/IecSettings.h"
#include "tests/app/FormHarness.h"
#include "tests/app/IecTestFrames.h"

namespace vela::test {
namespace {

using namespace iec;
constexpr uint8_t kNc = asdu_type::kMeasuredFloat;
constexpr uint8_t kTc = asdu_type::kMeasuredFloatTime;

class IecWorkflowTest : public ::testing::Test {
 protected:
  void EnterIec() {
    f.cbInterfaceType.Choose(1);
    ASSERT_TRUE(f.ComboBox2.ChooseText("IEC 60870-5-101"));
    ASSERT_NE(f.Engine().FIec, nullptr);
  }
  // Function codes of the frames sent so far.
  std::vector<int> Functions() {
    std::vector<int> codes;
    for (const Octets& frame : h.line().Written()) {
      if (frame.size() >= 5)
        codes.push_back(static_cast<uint8_t>(frame[frame[0] == 0x10 ? 1 : 4]) & 0x0F);
    }
    return codes;
  }
  int LastFunction() { return Functions().empty() ? -1 : Functions().back(); }
  int Shown() const {
    int n = 0;
    for (int slot = 0; slot < kSlotCount; ++slot)
      n += (*f.Engine().FCells)[slot].State() == cvsValue;
    return n;
  }
  int Hidden() const {
    int n = 0;
    for (int slot = 0; slot < kSlotCount; ++slot)
      n += (*f.Engine().FCells)[slot].State() == cvsNone;
    return n;
  }
  size_t TraceIndex(const std::string& job) const {
    const auto& t = h.trace();
    return static_cast<size_t>(std::find(t.begin(), t.end(), "    <" + job + ">") - t.begin());
  }
  bool ModbusControlsDisabled() const {
    for (const TControl* c : std::initializer_list<const TControl*>{
             &f.rb3w, &f.rb4w, &f.Button7, &f.Button3, &f.Button8, &f.btnVerify, &f.cbProtocolType,
             &f.cbSpeed, &f.cbFrame, &f.cbAddress, &f.btnIecCfg}) {
      if (c->Enabled()) return false;
    }
    return true;
  }
  void Play(const std::vector<Octets>& replies) {
    for (const Octets& reply : replies) {
      if (reply.empty()) {
        h.loop().Advance(1000);
      } else {
        h.ReplyIec(reply);
      }
    }
  }

  FormHarness h;
  TForm1& f = h.form();
};

TEST_F(IecWorkflowTest, EnteringTakesTheDeviceOptionsAndTheDialog) {
  f.IecDeviceOptions().CommonAddress = 5;
  f.cbAddress.ChooseText("7");
  EnterIec();
  EXPECT_EQ(h.iecDialog().modes, std::vector<TIecOptionsMode>{TIecOptionsMode::Connection});
  EXPECT_EQ(f.Engine().FIec->Link().expectedCommonAddress, 5u);
  EXPECT_EQ(f.cbAddr.Text(), "7");
  EXPECT_EQ(f.Engine().FIec->Master().LinkAddress(), 7u);
  EXPECT_EQ(f.Engine().FPort->ByteSize(), 8);
  EXPECT_TRUE(ModbusControlsDisabled());
  // The address box goes on setting the link address.
  f.cbAddr.ChooseText("9");
  EXPECT_EQ(f.Engine().FIec->Master().LinkAddress(), 9u);
  // Leaving gives the Modbus frame builder the address box again.
  f.ComboBox2.ChooseText("MODBUS ASCII");
  EXPECT_EQ(f.Engine().FIec, nullptr);
  EXPECT_EQ(f.Engine().FPacker->Address, 9);
  EXPECT_FALSE(ModbusControlsDisabled());
  EXPECT_TRUE(f.Button7.Enabled());
}

// The connection dialog's link address is the one the frames carry and the
// address box shows, listed after the MODBUS addresses when beyond them; back
// in MODBUS an address beyond them falls back to 1.
TEST_F(IecWorkflowTest, TheDialogsLinkAddressIsShownAndUsed) {
  const struct {
    uint32_t length, address;
    int modbusAddress;
  } cases[] = {{1, 200, 200}, {2, 300, 1}, {2, 65534, 1}};
  f.cbInterfaceType.Choose(1);
  for (const auto& c : cases) {
    h.iecDialog().onConfirm = [&](TIecOptions& options) {
      options.connection.lengths.SetLinkAddressLength(c.length);
      options.connection.linkAddress = c.address;
    };
    ASSERT_TRUE(f.ComboBox2.ChooseText("IEC 60870-5-101"));
    ASSERT_NE(f.Engine().FIec, nullptr);
    EXPECT_EQ(f.Engine().FIec->Master().LinkAddress(), c.address);
    EXPECT_EQ(f.cbAddr.Text(), std::to_string(c.address));
    ASSERT_TRUE(f.ComboBox2.ChooseText("MODBUS RTU"));
    EXPECT_EQ(f.cbAddr.Text(), std::to_string(c.modbusAddress)) << c.address;
    EXPECT_EQ(f.cbAddr.Count(), 247);
    EXPECT_EQ(f.Engine().FPacker->Address, c.modbusAddress);
  }
}

struct RefusedEntryCase {
  const char* name;
  TIecDeviceOptions options;
  bool confirm;
  uint32_t commonAddressByDialog;  // 0: the dialog leaves it
  std::string logStart;            // "" nothing logged
};

TEST_F(IecWorkflowTest, RefusedEntryGoesBackToRtu) {
  TIecDeviceOptions badIoa, badLink;
  badIoa.IoaLength = 5;
  badLink.LinkAddressLength = 3;
  const RefusedEntryCase cases[] = {
      {"Cancelled", {}, false, 0, ""},
      {"IoaLengthOutOfRange", badIoa, true, 0, msg::kIecBadConnection},
      {"LinkLengthOutOfRange", badLink, true, 0, msg::kIecBadConnection},
      {"CommonAddressTooLongForItsField", {}, true, 300, "Общий адрес"},
  };
  f.cbInterfaceType.Choose(1);
  for (const RefusedEntryCase& c : cases) {
    f.IecDeviceOptions() = c.options;
    h.iecDialog().answer = c.confirm;
    h.iecDialog().onConfirm = [&](TIecOptions& options) {
      if (c.commonAddressByDialog)
        options.connection.expectedCommonAddress = c.commonAddressByDialog;
    };
    f.Memo1.Clear();
    f.ComboBox2.ChooseText("IEC 60870-5-101");
    EXPECT_EQ(f.Engine().FIec, nullptr) << c.name;
    EXPECT_EQ(f.ComboBox2.Text(), "MODBUS RTU") << c.name;
    EXPECT_TRUE(f.Engine().FPacker->RtuMode) << c.name;
    if (c.logStart.empty()) {
      EXPECT_TRUE(h.log().empty()) << c.name;
    } else {
      ASSERT_FALSE(h.log().empty()) << c.name;
      EXPECT_EQ(h.log().back().rfind(c.logStart, 0), 0u) << c.name << ": " << h.log().back();
    }
  }
}

TEST_F(IecWorkflowTest, FirstReadResetsTheLinkThenReadsAll28) {
  EnterIec();
  f.Button4.Click();
  EXPECT_TRUE(f.Engine().FBusy);
  Play({Fixed(fc::kLinkStatus), Fixed(fc::kAck), Data(Measured(kNc, 2, 1, Values()))});
  EXPECT_EQ(Functions(), (std::vector<int>{9, 0, 11}));
  EXPECT_LT(TraceIndex(msg::kIecTraceReset), TraceIndex(msg::kIecTraceRead));
  EXPECT_LT(TraceIndex(msg::kIecTraceRead), h.trace().size());
  EXPECT_EQ(Shown(), 28);
  EXPECT_EQ(h.log().back(), msg::kReadDone);
  EXPECT_FALSE(f.Engine().FBusy);
  EXPECT_FALSE(f.Engine().FPort->IsOpen());
  EXPECT_TRUE(f.Button4.Enabled());
  EXPECT_TRUE(ModbusControlsDisabled());  // IEC mode keeps them disabled
}

TEST_F(IecWorkflowTest, SilentDeviceFailsOneReadWithAllCellsHidden) {
  EnterIec();
  f.Button4.Click();
  h.loop().Advance(5000);
  EXPECT_FALSE(f.Engine().FBusy);
  EXPECT_EQ(h.LogCount(msg::kIecLinkFailed), 1);
  EXPECT_EQ(h.log().back(), msg::kIecOperationFailed);
  EXPECT_EQ(Hidden(), 28);
  EXPECT_FALSE(f.Engine().FPort->IsOpen());
}

TEST_F(IecWorkflowTest, ContinuousReadingOfASilentDeviceKeepsResetting) {
  EnterIec();
  f.Button5.Click();
  EXPECT_EQ(f.Button5.Caption(), msg::kStopReading);
  h.loop().Advance(10000);
  const std::vector<int> sent = Functions();
  EXPECT_GE(std::count(sent.begin(), sent.end(), 9), 5);
  EXPECT_TRUE(f.Engine().FContinuousRunning);
  EXPECT_TRUE(f.Engine().FBusy);
  f.Button5.Click();  // stop: the chain ends at the next result
  h.loop().Advance(5000);
  EXPECT_FALSE(f.Engine().FBusy);
  // Every request went unanswered, and the trace says so at the end.
  const TExchangeFigures figures = f.Engine().FExchangeStats.Figures();
  EXPECT_EQ(figures.exchanges, static_cast<int64_t>(h.line().Written().size()));
  EXPECT_EQ(figures.timeouts, figures.exchanges);
  EXPECT_EQ(figures.answers, 0);
  EXPECT_EQ(h.trace().back(), f.Engine().FExchangeStats.Text());
  EXPECT_FALSE(f.Engine().FPort->IsOpen());
  EXPECT_TRUE(f.Button4.Enabled());
  EXPECT_TRUE(ModbusControlsDisabled());
  const size_t after = h.line().Written().size();
  h.loop().Advance(5000);
  EXPECT_EQ(h.line().Written().size(), after);
}

// A data request answered only after its time-out went again with the same
// FCB, and the station answers that copy too: the second answer is no new
// reading, and the next request gets its own answer.
TEST_F(IecWorkflowTest, CopyOfALateAnswerMakesNoSecondReading) {
  EnterIec();
  std::vector<std::string> readings;
  f.Engine().OnReadingComplete = [&] { readings.push_back(f.Engine().Cells()[slotUa].GetText()); };
  f.Button5.Click();
  // Reset, then the station interrogation at the start, confirmed and ended.
  Play({Fixed(fc::kLinkStatus), Fixed(fc::kAck), Fixed(fc::kAck), Data(Interrogation(10))});
  h.loop().Advance(f.Engine().FIec->Master().ResponseTimeoutMs());  // repeated, same FCB
  const Octets late = Data(Measured(kNc, 1, 1, Values()));
  h.ReplyIec(late);  // the answer to the first copy
  h.ReplyIec(late);  // and to the repeat
  std::vector<TValue> next = Values();
  for (TValue& v : next) v.value += 1;
  h.ReplyIec(Data(Measured(kNc, 1, 1, next)));
  EXPECT_EQ(readings, (std::vector<std::string>{"120.00", "121.00"}));
  EXPECT_EQ(f.Engine().FExchangeStats.Figures().readings, 2);
  f.Button5.Click();
  h.loop().Advance(5000);
}

TEST_F(IecWorkflowTest, SyncWithoutClass2DataEndsWithNoData) {
  f.IecDeviceOptions().CommonAddress = 4;
  EnterIec();
  f.Button1.Click();
  Play({Fixed(fc::kLinkStatus), Fixed(fc::kAck)});
  ASSERT_EQ(LastFunction(), 3);
  const Octets frame = h.line().Written().back();
  const TArkInAsdu command(kStartLengths, TArkInPacket(kStartLengths, frame).UserData());
  EXPECT_EQ(command.TypeId(), asdu_type::kClockSync);
  EXPECT_EQ(command.Cause(), asdu_cause::kActivation);
  EXPECT_EQ(command.CommonAddress(), 4u);
  // Asked again and again for the confirmation until its time is up.
  Play({Fixed(fc::kAck)});
  for (int i = 0; f.Engine().FBusy && i < 100; ++i) {
    h.ReplyIec(Fixed(fc::kNoData));
    h.loop().Advance(250);
  }
  const std::vector<int> sent = Functions();
  EXPECT_EQ(std::count(sent.begin() + 3, sent.end(), 11),
            TIecWorkflows::kConfirmationWaitMs / 250 + 1);
  EXPECT_EQ(h.log().back(), "Статус: нет данных");
  EXPECT_EQ(f.edTime.Text(), "");
  EXPECT_FALSE(f.Engine().FIec->ClockConfirmed());
  EXPECT_FALSE(f.Engine().FBusy);
}

// Devices that are not a Vela: data in class 1, readings over two ASDUs, the
// clock confirmation behind periodic values, a full buffer.
struct InteropCase {
  const char* name;
  bool sync;  // else read once
  std::vector<Octets> replies;
  std::vector<int> functions;
  std::string lastLog;
  int shown;
  bool clockConfirmed;
  int records;
};

TEST_F(IecWorkflowTest, WorkflowsAgainstOtherSlaves) {
  const Octets link = Fixed(fc::kLinkStatus);
  const Octets ack = Fixed(fc::kAck);
  const InteropCase cases[] = {
      {"AcdAsksClass1First",
       false,
       {link, Fixed(fc::kAck, true), Data(Interrogation(10)), Data(Measured(kNc, 2, 1, Values()))},
       {9, 0, 10, 11},
       msg::kReadDone,
       28,
       false,
       1},
      {"TimeTaggedReadingInTwoAsdus",
       false,
       {link, ack, Data(Measured(kTc, 3, 1, Values(1, 24))),
        Data(Measured(kTc, 3, 1, Values(25, 28)))},
       {9, 0, 11, 11},
       msg::kReadDone,
       28,
       false,
       1},
      {"ClockConfirmationBehindPeriodicValues",
       true,
       {link, ack, ack, Data(Measured(kNc, 1, 1, Values())), Data(ClockAnswer(7, 1))},
       {9, 0, 3, 11, 11},
       msg::kReadDone,
       28,
       true,
       1},
      {"ClockConfirmationInClass1",
       true,
       {link, ack, Fixed(fc::kAck, true), Data(ClockAnswer(7, 1))},
       {9, 0, 3, 10},
       msg::kReadDone,
       0,
       true,
       0},
      {"NegativeClockConfirmationFails",
       true,
       {link, ack, ack, Data(ClockAnswer(7, 1, 0x40))},
       {9, 0, 3, 11},
       msg::kIecOperationFailed,
       0,
       false,
       0},
      {"FullBufferDelaysTheCommand",
       true,
       {link,
        Fixed(fc::kAck, false, true),
        {},
        Fixed(fc::kLinkStatus),
        ack,
        Data(ClockAnswer(7, 1))},
       {9, 0, 9, 3, 11},
       msg::kReadDone,
       0,
       true,
       0},
  };
  for (const InteropCase& c : cases) {
    FormHarness fresh;
    TForm1& form = fresh.form();
    char name[] = "/tmp/velalink-iec-XXXXXX";
    const int fd = mkstemp(name);
    ASSERT_GE(fd, 0);
    close(fd);
    fresh.saveDialog().answer = name;
    form.BitBtn1.Click();
    form.cbInterfaceType.Choose(1);
    ASSERT_TRUE(form.ComboBox2.ChooseText("IEC 60870-5-101"));
    (c.sync ? form.Button1 : form.Button4).Click();
    for (const Octets& reply : c.replies) {
      if (reply.empty()) {
        fresh.loop().Advance(TIecWorkflows::kDfcPauseMs);
      } else {
        fresh.ReplyIec(reply);
      }
    }
    std::vector<int> functions;
    for (const Octets& frame : fresh.line().Written()) {
      functions.push_back(static_cast<uint8_t>(frame[frame[0] == 0x10 ? 1 : 4]) & 0x0F);
    }
    EXPECT_EQ(functions, c.functions) << c.name;
    ASSERT_FALSE(fresh.log().empty()) << c.name;
    EXPECT_EQ(fresh.log().back(), c.lastLog) << c.name;
    int shown = 0;
    for (int slot = 0; slot < kSlotCount; ++slot)
      shown += (*form.Engine().FCells)[slot].State() == cvsValue;
    EXPECT_EQ(shown, c.shown) << c.name;
    EXPECT_EQ(form.Engine().FIec->ClockConfirmed(), c.clockConfirmed) << c.name;
    if (c.clockConfirmed) {
      EXPECT_EQ(form.edTime.Text(), kClockAnswerText) << c.name;
    }
    EXPECT_FALSE(form.Engine().FBusy) << c.name;
    form.BitBtn1.Click();
    std::ifstream file(name);
    std::stringstream content;
    content << file.rdbuf();
    const std::string text = content.str();
    std::istringstream lines(text);
    int records = 0;
    for (std::string line; std::getline(lines, line);) {
      records += !line.empty() && line != "\r" && line.rfind("Time;", 0) != 0;
    }
    EXPECT_EQ(records, c.records) << c.name << "\n" << text;
    std::remove(name);
  }
}

struct InterruptionCase {
  const char* name;
  bool changePort;  // else USB, which talks MODBUS RTU
  const char* line;
};

TEST_F(IecWorkflowTest, ProtocolOrPortChangeEndsTheRunningOperation) {
  const InterruptionCase cases[] = {
      {"UsbChosen", false, msg::kIecEndedByProtocol},
      {"PortChanged", true, msg::kIecEndedByPort},
  };
  for (const InterruptionCase& c : cases) {
    FormHarness fresh;
    TForm1& form = fresh.form();
    form.cbInterfaceType.Choose(1);
    ASSERT_TRUE(form.ComboBox2.ChooseText("IEC 60870-5-101"));
    form.Button5.Click();
    ASSERT_TRUE(form.Engine().FBusy);
    if (c.changePort) {
      form.cbComPort.ChooseText("COM3");
    } else {
      form.cbInterfaceType.Choose(0);  // USB: MODBUS RTU
    }
    EXPECT_EQ(fresh.log().back(), c.line) << c.name;
    EXPECT_FALSE(form.Engine().FBusy) << c.name;
    EXPECT_FALSE(form.Engine().FContinuousRunning) << c.name;
    EXPECT_FALSE(form.Engine().FPort->IsOpen()) << c.name;
    EXPECT_TRUE(form.Button4.Enabled()) << c.name;
    EXPECT_EQ(form.Engine().FIec != nullptr, c.changePort) << c.name;
    // Nothing runs on afterwards: no Modbus job list, no IEC chain.
    const size_t sent = fresh.line().Written().size();
    fresh.loop().Advance(5000);
    EXPECT_EQ(fresh.line().Written().size(), sent) << c.name;
    EXPECT_FALSE(form.Engine().FBusy) << c.name;
  }
}

TEST_F(IecWorkflowTest, FailedStartOfContinuousReadingLeavesTheWindowIdle) {
  EnterIec();
  h.line().FailNextOpen("порт занят");
  f.Button5.Click();
  EXPECT_EQ(h.log().back().rfind("Отказ: ", 0), 0u) << h.log().back();
  EXPECT_FALSE(f.Engine().FContinuousRunning);
  EXPECT_FALSE(f.Engine().FBusy);
  EXPECT_EQ(f.Button5.Caption(), msg::kReadContinuously);
  EXPECT_TRUE(f.Button4.Enabled());
}

}  // namespace
}  // namespace vela::test
