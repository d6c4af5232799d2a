#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "display/IecReading.h"
#include "display/MeasurementPresenter.h"
#include "display/RegionalSettings.h"
#include "display/RegisterReading.h"

namespace vela {
namespace {

class MeasurementPresenterTest : public ::testing::Test {
 protected:
  void SetUp() override { SetCurrentRegionalSettings(RegionalSettingsOfLocale("C", "C")); }

  void SetNetwork(uint8_t normalisationType, bool threeWire) {
    mainPrm.SetNormalisationType(normalisationType);
    mainPrm.SetThreeWire(threeWire);
  }
  void ShowIecValue(uint32_t address, double value, uint8_t qds) {
    presenter.ShowReading(
        IecReading({{address, TArkIecTypeFloatQDS(static_cast<float>(value), qds), {}}}));
  }
  std::string Text(int slot) const { return cells[slot].GetText(); }
  TClrValueState State(int slot) const { return cells[slot].State(); }

  VirtualClock clock;
  TMeasurementCells cells;
  TMeasurementPresenter presenter{cells, clock};
  TModbusParamsMain mainPrm;
  TModbusValues4Wire values4;
  TModbusValues3Wire values3;
  TModbusValuesF valuesF;
  TModbusValues3Cos values3Cos;
  TModbusValues4Cos values4Cos;
};

struct RegisterCase {
  uint8_t type;
  int index;  // within the 4-wire block
  uint16_t raw;
  TSlot slot;
  const char* text;  // "ovf" for the out-of-range marker
};

class MainValues4Test : public MeasurementPresenterTest,
                        public ::testing::WithParamInterface<RegisterCase> {};

TEST_P(MainValues4Test, RegisterBecomesScaledValueOrMarker) {
  const RegisterCase& c = GetParam();
  SetNetwork(c.type, false);
  values4.Registers.at(c.index) = c.raw;
  presenter.ShowReading(TValueGroup::MainValues, DecodeRegisters(values4, mainPrm));
  EXPECT_EQ(Text(c.slot), c.text);
  EXPECT_EQ(State(c.slot), std::string(c.text) == "ovf" ? cvsOverflow : cvsValue);
}

INSTANTIATE_TEST_SUITE_P(
    Normalisation, MainValues4Test,
    ::testing::Values(
        // Type 2: plain unsigned and two's complement, no markers.
        RegisterCase{2, 10, 22000, slotUa, "220.00"}, RegisterCase{2, 6, 25000, slotIa, "5.0000"},
        RegisterCase{2, 14, 0xFFFF, slotPa, "-0.1"}, RegisterCase{2, 14, 0x8000, slotPa, "-3276.8"},
        RegisterCase{2, 2, 0xFFFF, slotS, "13107.0"}, RegisterCase{2, 0, 0xFFFB, slotP, "-1.0"},
        RegisterCase{2, 3, 11500, slotUab, "230.00"}, RegisterCase{2, 22, 1234, slotSc, "123.4"},
        // Type 3: FFFFh unsigned and 8000h signed are out of range.
        RegisterCase{3, 14, 0x8000, slotPa, "ovf"}, RegisterCase{3, 2, 0xFFFF, slotS, "ovf"},
        RegisterCase{3, 2, 0x8000, slotS, "6553.6"}, RegisterCase{3, 14, 0xFFFF, slotPa, "-0.1"},
        RegisterCase{3, 10, 0xFFFF, slotUa, "ovf"}, RegisterCase{3, 9, 0xFFFF, slotIo, "ovf"},
        // Type 4: FFFFh out of range; signed values offset by 7FFFh.
        RegisterCase{4, 14, 0x7FFF, slotPa, "0.0"}, RegisterCase{4, 14, 0x0000, slotPa, "-3276.7"},
        RegisterCase{4, 14, 0xFFFE, slotPa, "3276.7"}, RegisterCase{4, 14, 0xFFFF, slotPa, "ovf"},
        RegisterCase{4, 2, 0xFFFF, slotS, "ovf"}, RegisterCase{4, 2, 0x8000, slotS, "6553.6"},
        RegisterCase{4, 0, 0x7FFF + 5, slotP, "1.0"}, RegisterCase{4, 19, 0x7FFE, slotQc, "-0.1"},
        // An unknown type reads like type 2.
        RegisterCase{5, 14, 0x8000, slotPa, "-3276.8"},
        RegisterCase{0, 2, 0xFFFF, slotS, "13107.0"}));

struct CosCase {
  uint8_t type;
  uint16_t raw;
  const char* text;
};

class CosTest : public MeasurementPresenterTest, public ::testing::WithParamInterface<CosCase> {};

TEST_P(CosTest, PowerFactorsAreSignedTenThousandths) {
  SetNetwork(GetParam().type, false);
  values3Cos.Registers[0] = GetParam().raw;
  presenter.ShowReading(TValueGroup::TotalCos, DecodeRegisters(values3Cos, mainPrm));
  EXPECT_EQ(Text(slotCos), GetParam().text);
  values4Cos.Registers = {GetParam().raw, GetParam().raw, GetParam().raw};
  presenter.ShowReading(TValueGroup::PhaseCos, DecodeRegisters(values4Cos, mainPrm));
  for (TSlot slot : {slotCosA, slotCosB, slotCosC}) EXPECT_EQ(Text(slot), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Normalisation, CosTest,
                         ::testing::Values(CosCase{4, 0x7FFF, "0.0000"},
                                           CosCase{4, 0xA70F, "1.0000"},
                                           CosCase{4, 0x58EF, "-1.0000"}, CosCase{4, 0xFFFF, "ovf"},
                                           CosCase{3, 0x8000, "ovf"}, CosCase{3, 0xD8F0, "-1.0000"},
                                           CosCase{2, 0x2710, "1.0000"}));

TEST_F(MeasurementPresenterTest, FrequencyIsThousandthsOfHertz) {
  SetNetwork(2, false);
  valuesF.Registers[0] = 50000;
  presenter.ShowReading(TValueGroup::Frequency, DecodeRegisters(valuesF, mainPrm));
  EXPECT_EQ(Text(slotF), "50.000");
  SetNetwork(3, false);
  valuesF.Registers[0] = 0xFFFF;
  presenter.ShowReading(TValueGroup::Frequency, DecodeRegisters(valuesF, mainPrm));
  EXPECT_EQ(Text(slotF), "ovf");
}

TEST_F(MeasurementPresenterTest, ThreeWireShowsItsNineCellsAndHidesTheOthers) {
  SetNetwork(2, true);
  presenter.ShowReading(TValueGroup::MainValues,
                        DecodeRegisters(values4, mainPrm));  // a 4-wire read before the switch
  values3.Registers = {5, 10, 15, 11500, 11510, 11520, 25000, 25005, 25010};
  presenter.ShowReading(TValueGroup::MainValues, DecodeRegisters(values3, mainPrm));
  EXPECT_EQ(Text(slotP), "1.0");
  EXPECT_EQ(Text(slotQ), "2.0");
  EXPECT_EQ(Text(slotS), "3.0");
  EXPECT_EQ(Text(slotUab), "230.00");
  EXPECT_EQ(Text(slotUca), "230.40");
  EXPECT_EQ(Text(slotIc), "5.0020");
  for (TSlot slot : kFourWireOnlySlots) EXPECT_EQ(State(slot), cvsNone) << slot;
  EXPECT_EQ(State(slotF), cvsEmpty);
  EXPECT_EQ(State(slotCos), cvsEmpty);
}

// A group that brought nothing hides exactly its own cells, with the reason;
// the 4-wire-only cells stay as they were on a 3-wire network.
struct MissingGroupCase {
  TValueGroup group;
  bool threeWire;
  std::vector<TSlot> hidden;
  TSlot untouched;
};

class MissingGroupTest : public MeasurementPresenterTest,
                         public testing::WithParamInterface<MissingGroupCase> {};

TEST_P(MissingGroupTest, HidesTheGroupsCellsWithTheReason) {
  const MissingGroupCase& c = GetParam();
  for (int slot = 0; slot < kSlotCount; ++slot) cells[slot].SetValue(1.0);
  presenter.ShowGroupMissing(c.group, c.threeWire, TMissingReason::DeviceException);
  for (TSlot slot : c.hidden) {
    EXPECT_EQ(State(slot), cvsNone) << slot;
    EXPECT_EQ(cells[slot].Missing(), TMissingReason::DeviceException) << slot;
  }
  EXPECT_EQ(State(c.untouched), cvsValue);
  cells[c.hidden.front()].SetValue(2.0);  // the next reading's value forgets the reason
  EXPECT_EQ(cells[c.hidden.front()].Missing(), TMissingReason::None);
}

INSTANTIATE_TEST_SUITE_P(
    Groups, MissingGroupTest,
    testing::Values(
        MissingGroupCase{TValueGroup::MainValues, true,
                         std::vector<TSlot>(kThreeWireMainSlots.begin(), kThreeWireMainSlots.end()),
                         slotUa},
        MissingGroupCase{TValueGroup::MainValues, false,
                         std::vector<TSlot>(kFourWireMainSlots.begin(), kFourWireMainSlots.end()),
                         slotF},
        MissingGroupCase{TValueGroup::Frequency, false, {slotF}, slotUa},
        MissingGroupCase{TValueGroup::TotalCos, false, {slotCos}, slotCosA},
        MissingGroupCase{TValueGroup::PhaseCos, false, {slotCosA, slotCosB, slotCosC}, slotCos}));

TEST_F(MeasurementPresenterTest, PowerFactorRefusalsDependOnTheCode) {
  EXPECT_TRUE(presenter.ShowTotalCosRefused(1));
  EXPECT_EQ(cells[slotCos].Missing(), TMissingReason::DeviceException);
  EXPECT_EQ(State(slotCosA), cvsEmpty);

  EXPECT_FALSE(presenter.ShowTotalCosRefused(2));  // no power-factor registers
  for (TSlot slot : {slotCos, slotCosA, slotCosB, slotCosC}) {
    EXPECT_EQ(State(slot), cvsNone);
    EXPECT_EQ(cells[slot].Missing(), TMissingReason::None);
  }
}

TEST_F(MeasurementPresenterTest, FirstStalenessPassHidesEveryCellNeverRefreshed) {
  presenter.ClearStaleValues(mainPrm);
  for (int slot = 0; slot < kSlotCount; ++slot) EXPECT_EQ(State(slot), cvsNone) << slot;
}

TEST_F(MeasurementPresenterTest, GroupsVanishOnlyWhenMoreThan2000MsOld) {
  SetNetwork(2, false);
  valuesF.Registers[0] = 50000;
  presenter.ShowReading(TValueGroup::Frequency, DecodeRegisters(valuesF, mainPrm));
  presenter.ShowReading(TValueGroup::TotalCos, DecodeRegisters(values3Cos, mainPrm));
  clock.Advance(1000);
  presenter.ShowReading(TValueGroup::MainValues, DecodeRegisters(values4, mainPrm));
  presenter.ShowReading(TValueGroup::PhaseCos, DecodeRegisters(values4Cos, mainPrm));

  clock.Advance(1000);  // frequency and total power factor exactly 2000 ms old
  presenter.ClearStaleValues(mainPrm);
  EXPECT_EQ(State(slotF), cvsValue);
  EXPECT_EQ(State(slotCos), cvsValue);

  clock.Advance(1);
  presenter.ClearStaleValues(mainPrm);
  EXPECT_EQ(State(slotF), cvsNone);
  // The total power-factor group also takes the phase cells with it.
  for (TSlot slot : {slotCos, slotCosA, slotCosB, slotCosC}) EXPECT_EQ(State(slot), cvsNone);
  EXPECT_EQ(State(slotUa), cvsValue);

  clock.Advance(1000);
  presenter.ClearStaleValues(mainPrm);
  for (TSlot slot : kFourWireMainSlots) EXPECT_EQ(State(slot), cvsNone) << slot;
}

TEST_F(MeasurementPresenterTest, StaleThreeWireMainValuesHideOnlyTheNineCells) {
  SetNetwork(2, true);
  presenter.ShowReading(TValueGroup::MainValues, DecodeRegisters(values3, mainPrm));
  cells[slotF].SetValue(50.0);
  presenter.ShowReading(TValueGroup::Frequency, DecodeRegisters(valuesF, mainPrm));
  clock.Advance(2001);
  presenter.ShowReading(TValueGroup::Frequency, DecodeRegisters(valuesF, mainPrm));
  presenter.ClearStaleValues(mainPrm);
  for (TSlot slot : kThreeWireMainSlots) EXPECT_EQ(State(slot), cvsNone);
  EXPECT_EQ(State(slotF), cvsValue);
}

TEST_F(MeasurementPresenterTest, MissingGroupsCountAsRefreshed) {
  presenter.ShowGroupMissing(TValueGroup::Frequency, false, TMissingReason::NoAnswer);
  clock.Advance(2000);
  presenter.ClearStaleValues(mainPrm);
  EXPECT_EQ(cells[slotF].Missing(), TMissingReason::NoAnswer);
}

TEST_F(MeasurementPresenterTest, DeviceClockFieldShowsRefusesAndGoesStale) {
  std::vector<std::string> shown;
  presenter.OnDeviceClockText = [&](const std::string& text) { shown.push_back(text); };
  presenter.ShowDeviceClock(86400 + 3661);
  EXPECT_EQ(presenter.DeviceClockText(), "02.01.2000 01:01:01");
  clock.Advance(2000);
  presenter.ClearStaleValues(mainPrm);
  EXPECT_EQ(presenter.DeviceClockText(), "02.01.2000 01:01:01");
  clock.Advance(1);
  presenter.ClearStaleValues(mainPrm);
  presenter.ClearStaleValues(mainPrm);
  EXPECT_EQ(presenter.DeviceClockText(), "");
  presenter.ShowDeviceClockRefused();
  EXPECT_EQ(presenter.DeviceClockText(), "нет");
  EXPECT_EQ(shown, (std::vector<std::string>{"02.01.2000 01:01:01", "", "нет"}));
}

struct QualityCase {
  uint8_t quality;
  TClrValueState state;
};

class IecQualityTest : public MeasurementPresenterTest,
                       public ::testing::WithParamInterface<QualityCase> {};

TEST_P(IecQualityTest, FirstSetFlagDecidesInTheOrderOvSbBlNtIv) {
  ShowIecValue(5, 230.5, GetParam().quality);  // address 5 is slot 4, Uab
  EXPECT_EQ(State(slotUab), GetParam().state);
  EXPECT_EQ(cells[slotUab].Value(), GetParam().state == cvsValue ? 230.5 : 0.0);
}

INSTANTIATE_TEST_SUITE_P(
    Flags, IecQualityTest,
    ::testing::Values(QualityCase{0x00, cvsValue}, QualityCase{0x01, cvsOverflow},
                      QualityCase{0x20, cvsSubstituted}, QualityCase{0x10, cvsBlocked},
                      QualityCase{0x40, cvsNotTopical}, QualityCase{0x80, cvsNone},
                      QualityCase{0xF1, cvsOverflow}, QualityCase{0xF0, cvsSubstituted},
                      QualityCase{0xD0, cvsBlocked}, QualityCase{0xC0, cvsNotTopical}));

TEST_F(MeasurementPresenterTest, IecAddressesOutsideTheSlotsAreIgnored) {
  presenter.HideAllCells();
  ShowIecValue(0, 1.0, 0);
  ShowIecValue(29, 1.0, 0);
  ShowIecValue(0xFFFFFFFF, 1.0, 0);
  for (int slot = 0; slot < kSlotCount; ++slot) EXPECT_EQ(State(slot), cvsNone);
  ShowIecValue(1, 50.0, 0);
  ShowIecValue(28, -0.5, 0);
  EXPECT_EQ(Text(slotF), "50.000");
  EXPECT_EQ(Text(slotCos), "-0.5000");
}

TEST_F(MeasurementPresenterTest, NonFiniteIecValueIsShownAsText) {
  ShowIecValue(1, std::numeric_limits<double>::quiet_NaN(), 0);
  EXPECT_EQ(Text(slotF), "nan");
  ShowIecValue(1, -std::numeric_limits<double>::infinity(), 0);
  EXPECT_EQ(Text(slotF), "-inf");
}

}  // namespace
}  // namespace vela
