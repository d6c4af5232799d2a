// The IEC 60870-5-101 options dialog without a toolkit: loading and storing
// in both modes, the order of OK, the interval check, the refusal of a common
// address that does not fit its length, and the common address box's rules.

#include <gtest/gtest.h>

#include "common/ArkTypes.h"
#include "iec101/IecCfgForm.h"
#include "iec101/IecDeviceOptions.h"
#include "iec101/IecMessages.h"
#include "iec101/IecSettings.h"
#include "tests/iec101/IecTestSupport.h"

namespace vela {
namespace {

using iectest::MessageOf;

class IecCfgTest : public iectest::IecSettingsTest {};

struct AddressTextCase {
  const char* text;
  const char* expected;
};

TEST(IecCommonAddressTest, TextOutsideOneTo65534BecomesOne) {
  const AddressTextCase cases[] = {
      {"1", "1"},   {"65534", "65534"}, {"65535", "1"},
      {"0", "1"},   {"", "1"},          {"-5", "1"},
      {"12a", "1"}, {"120", "120"},     {"99999999999999999999", "1"},
  };
  for (const AddressTextCase& c : cases)
    EXPECT_EQ(TIecCfgForm::CommonAddressText(c.text), c.expected) << c.text;
}

TEST(IecCommonAddressTest, EveryTypedNonDigitIsEnteredAsZero) {
  std::string text;
  for (char key : {'1', '2', 'a'}) text += TIecCfgForm::CommonAddressKey(key);
  EXPECT_EQ(text, "120");
  EXPECT_EQ(TIecCfgForm::CommonAddressKey('\b'), '0');
  EXPECT_EQ(TIecCfgForm::CommonAddressKey('9'), '9');
}

TEST_F(IecCfgTest, ModesDifferInRowsAndCheckBox) {
  TIecCfgForm form;
  const TIecCfgView device = form.View();
  form.Load(TIecOptionsMode::Connection, TIecOptions());
  const TIecCfgView connection = form.View();
  EXPECT_TRUE(device.deviceRowsVisible);
  EXPECT_TRUE(device.cyclicEnabled);
  EXPECT_FALSE(connection.deviceRowsVisible);
  EXPECT_FALSE(connection.cyclicEnabled);
  EXPECT_TRUE(connection.cyclic);
}

TEST_F(IecCfgTest, EachModeLoadsFromItsOwnSource) {
  TIecOptions loaded;
  TIecDeviceOptions& options = loaded.device;
  options.LinkAddressLength = 2;
  options.CommonAddress = 300;
  options.AsduFormat = 14;
  options.CyclicTransmission = true;
  options.CyclicInterval = 250;
  SetLengths(0, 2, 2, 3);
  loaded.connection = {lengths_, 77};
  TIecCfgForm form;
  form.Load(TIecOptionsMode::Device, loaded);
  EXPECT_EQ(form.View().linkAddressLength, 2);
  EXPECT_EQ(form.View().ioaLength, 2);
  EXPECT_EQ(form.View().commonAddress, "300");
  EXPECT_EQ(form.View().asduFormatIndex, 1);
  EXPECT_TRUE(form.View().cyclic);
  EXPECT_TRUE(form.View().IntervalEnabled());
  EXPECT_EQ(form.View().interval, "250");
  form.Load(TIecOptionsMode::Connection, loaded);
  EXPECT_EQ(form.View().linkAddressLength, 0);
  EXPECT_EQ(form.View().commonAddressLength, 2);
  EXPECT_EQ(form.View().cotLength, 2);
  EXPECT_EQ(form.View().ioaLength, 3);
  EXPECT_EQ(form.View().commonAddress, "77");
}

TEST_F(IecCfgTest, DeviceModeStoresEveryField) {
  TIecCfgForm form;
  TIecCfgView& view = form.View();
  view.linkAddressLength = 2;
  view.commonAddressLength = 2;
  view.cotLength = 2;
  view.ioaLength = 3;
  view.commonAddress = "4321";
  view.asduFormatIndex = 1;
  view.cyclic = true;
  view.interval = "250";
  form.Store();
  const TIecDeviceOptions& o = form.Options().device;
  EXPECT_EQ(o.LinkAddressLength, 2);
  EXPECT_EQ(o.CommonAddressLength, 2);
  EXPECT_EQ(o.CotLength, 2);
  EXPECT_EQ(o.IoaLength, 3);
  EXPECT_EQ(o.CommonAddress, 4321);
  EXPECT_EQ(o.AsduFormat, 14);
  EXPECT_TRUE(o.CyclicTransmission);
  EXPECT_EQ(o.CyclicInterval, 250);
  // The program's own connection is not touched in device mode.
  EXPECT_EQ(form.Options().connection, TIecLinkSettings());
}

TEST_F(IecCfgTest, BadIntervalKeepsTheOldOneAndStoresTheRest) {
  TIecCfgForm form;
  TIecCfgView& view = form.View();
  view.cyclic = true;
  view.asduFormatIndex = 1;
  for (const char* bad : {"abc", "", "12.5", "99999999999"}) {
    view.interval = bad;
    EXPECT_EQ(MessageOf([&] { form.Store(); }),
              std::string("Ошибка ввода. Некорректное значение таймаута \"") + bad +
                  "\" заменено на \"1000\".");
    EXPECT_EQ(view.interval, "1000");
    EXPECT_EQ(form.Options().device.CyclicInterval, 1000);
    EXPECT_EQ(form.Options().device.AsduFormat, 14);  // stored before the check
  }
}

TEST_F(IecCfgTest, ALongRejectedIntervalIsShortenedOnACharacterBoundary) {
  TIecCfgForm form;
  std::string typed;
  for (int i = 0; i < 150; ++i) typed += "ю";  // two octets each
  form.View().interval = "x" + typed;          // the cut falls inside a letter
  const std::string message = MessageOf([&] { form.Store(); });
  const std::string kept = "\"x" + typed.substr(0, 198) + "\" заменено на \"1000\".";
  ASSERT_GE(message.size(), kept.size());
  EXPECT_EQ(message.substr(message.size() - kept.size()), kept);
}

TEST_F(IecCfgTest, ConnectionModeSetsTheFieldLengthsAndExpectedAddress) {
  TIecCfgForm form;
  form.Load(TIecOptionsMode::Connection, TIecOptions());
  TIecCfgView& view = form.View();
  view.linkAddressLength = 0;
  view.ioaLength = 3;
  view.commonAddress = "77";
  view.interval = "not looked at";
  view.answerTime = "1500";
  view.staleAfter = "30";
  view.interrogationPeriod = "600";
  form.Store();
  const TIecLinkSettings& connection = form.Options().connection;
  EXPECT_EQ(connection.answerTimeMs, 1500u);
  EXPECT_EQ(connection.staleAfterS, 30u);
  EXPECT_EQ(connection.interrogationPeriodS, 600u);
  EXPECT_EQ(connection.lengths.LinkAddressLength(), 0u);
  EXPECT_EQ(connection.lengths.IoaLength(), 3u);
  EXPECT_EQ(connection.expectedCommonAddress, 77u);
  EXPECT_EQ(form.Options().device, TIecDeviceOptions::Factory());
}

// Dialog edge cases: what one change in the view does to the stored values.
struct DialogCase {
  const char* name;
  TIecOptionsMode mode;
  void (*change)(TIecCfgView&);
  void (*check)(const TIecOptions&);
};

const DialogCase kDialogCases[] = {
    {"UncheckingCyclicKeepsTheInterval", TIecOptionsMode::Device,
     [](TIecCfgView& v) { v.cyclic = false; },
     [](const TIecOptions& o) {
       EXPECT_FALSE(o.device.CyclicTransmission);
       EXPECT_EQ(o.device.CyclicInterval, 700);
     }},
    {"IntervalIsStoredUncheckedAsEntered", TIecOptionsMode::Device,
     [](TIecCfgView& v) { v.interval = "-5"; },
     [](const TIecOptions& o) { EXPECT_EQ(o.device.CyclicInterval, -5); }},
    {"UnlistedDeviceLengthsAndFormatAreKept", TIecOptionsMode::Device,
     [](TIecCfgView& v) {
       v.linkAddressLength = v.ioaLength = v.asduFormatIndex = TIecCfgView::kNotListed;
     },
     [](const TIecOptions& o) {
       EXPECT_EQ(o.device.LinkAddressLength, 7);
       EXPECT_EQ(o.device.IoaLength, 9);
       EXPECT_EQ(o.device.AsduFormat, 20);
     }},
    {"ConnectionModeLeavesTheDeviceOptions", TIecOptionsMode::Connection,
     [](TIecCfgView& v) { v.commonAddress = "200"; },
     [](const TIecOptions& o) {
       EXPECT_EQ(o.connection.expectedCommonAddress, 200u);
       EXPECT_EQ(o.device.CommonAddress, 1);
     }},
};

class IecCfgDialogCase : public IecCfgTest, public ::testing::WithParamInterface<DialogCase> {};

TEST_P(IecCfgDialogCase, StoresWhatTheViewShows) {
  TIecOptions loaded;
  TIecDeviceOptions& options = loaded.device;
  options.LinkAddressLength = 7;  // as a device may report them
  options.IoaLength = 9;
  options.AsduFormat = 20;
  options.CyclicTransmission = true;
  options.CyclicInterval = 700;
  TIecCfgForm form;
  form.Load(GetParam().mode, loaded);
  GetParam().change(form.View());
  form.Store();
  GetParam().check(form.Options());
}

INSTANTIATE_TEST_SUITE_P(Edges, IecCfgDialogCase, ::testing::ValuesIn(kDialogCases),
                         [](const auto& info) { return std::string(info.param.name); });

// OK with a common address that does not fit the chosen length stores nothing.
struct RefusalCase {
  TIecOptionsMode mode;
  const char* address;
  int length;
  bool refused;
};

TEST_F(IecCfgTest, CommonAddressMustFitTheChosenLength) {
  const RefusalCase cases[] = {
      {TIecOptionsMode::Device, "254", 1, false},
      {TIecOptionsMode::Device, "255", 1, true},
      {TIecOptionsMode::Device, "300", 2, false},
      {TIecOptionsMode::Device, "65534", 2, false},
      {TIecOptionsMode::Connection, "255", 1, true},
      {TIecOptionsMode::Connection, "65534", 2, false},
      {TIecOptionsMode::Connection, "300", 1, true},
      {TIecOptionsMode::Connection, "300", 2, false},
  };
  for (const RefusalCase& c : cases) {
    TIecCfgForm form;
    form.Load(c.mode, TIecOptions());
    form.View().commonAddress = c.address;
    form.View().commonAddressLength = c.length;
    form.View().linkAddressLength = 2;
    const std::string refusal = form.Refusal();
    EXPECT_EQ(refusal.empty(), !c.refused) << c.address << " in " << c.length;
    EXPECT_EQ(MessageOf([&] { form.Store(); }), c.refused ? refusal : "<no exception>");
    const bool stored = c.mode == TIecOptionsMode::Device
                            ? form.Options().device.LinkAddressLength == 2
                            : form.Options().connection.lengths.LinkAddressLength() == 2;
    EXPECT_EQ(stored, !c.refused) << c.address << " in " << c.length;
  }
}

// OK in connection mode with an answer time, a staleness limit or an
// interrogation period out of range stores nothing.
TEST_F(IecCfgTest, ConnectionNumbersMustBeWholeNumbersInRange) {
  using Field = std::string TIecCfgView::*;
  const Field answer = &TIecCfgView::answerTime, stale = &TIecCfgView::staleAfter,
              period = &TIecCfgView::interrogationPeriod;
  const struct {
    Field field;
    const char* text;
    bool refused;
  } cases[] = {{answer, "99", true},     {answer, "100", false},  {answer, "30000", false},
               {answer, "30001", true},  {answer, "", true},      {answer, "4o0", true},
               {answer, "2.5", true},    {stale, "0", true},      {stale, "1", false},
               {stale, "3600", false},   {stale, "3601", true},   {period, "0", false},
               {period, "86400", false}, {period, "86401", true}, {period, "-1", true}};
  for (const auto& c : cases) {
    TIecCfgForm form;
    form.Load(TIecOptionsMode::Connection, TIecOptions());
    form.View().*c.field = c.text;
    EXPECT_EQ(form.Refusal().empty(), !c.refused) << c.text;
    EXPECT_EQ(MessageOf([&] { form.Store(); }) == "<no exception>", !c.refused) << c.text;
    if (c.refused) {
      EXPECT_EQ(form.Options().connection, TIecLinkSettings()) << c.text;
    } else {
      TIecCfgForm reloaded;
      reloaded.Load(TIecOptionsMode::Connection, form.Options());
      EXPECT_EQ(reloaded.View().*c.field, c.text);
    }
  }
}

TEST_F(IecCfgTest, AnUnlistedDeviceLengthIsCheckedAsTheOptionHolds) {
  TIecOptions loaded;
  loaded.device.CommonAddressLength = 5;  // from a device
  TIecCfgForm form;
  form.Load(TIecOptionsMode::Device, loaded);
  form.View().commonAddressLength = TIecCfgView::kNotListed;
  EXPECT_EQ(form.Refusal(), iec_messages::kBadCommonAddressLength);
  form.View().commonAddressLength = 2;
  EXPECT_EQ(form.Refusal(), "");
}

}  // namespace
}  // namespace vela
