#include <gtest/gtest.h>

#include "sim/MeasuredValues.h"
#include "sim/SimOptions.h"

namespace vela {
namespace {

SimOptions Parse(const std::vector<std::string>& args) {
  SimOptions options;
  std::string error;
  EXPECT_TRUE(ParseSimOptions(args, options, error)) << error;
  return options;
}

TEST(SimOptions, DefaultsAreAVelaNumberOneOnTheServiceInterface) {
  const SimOptions o = Parse({});
  EXPECT_EQ(o.com, 0);
  EXPECT_FALSE(o.publishWorking);
  EXPECT_EQ(o.serviceBaud, 38400);
  EXPECT_DOUBLE_EQ(o.turnaroundMs, 2.0);
  EXPECT_EQ(o.device.hid, 0x41520100u);
  EXPECT_EQ(o.device.settings.normalisation, 3);
  EXPECT_EQ(o.device.settings.link, LinkSettings{});
  EXPECT_TRUE(o.checkPeerFormat);
}

TEST(SimOptions, EveryOptionLandsInItsField) {
  const SimOptions o = Parse({"--com",
                              "7",
                              "--working-com=9",
                              "--both",
                              "--speed",
                              "115200",
                              "--turnaround",
                              "0.5",
                              "--trace",
                              "--device",
                              "porta",
                              "--serial",
                              "42",
                              "--sid",
                              "02010000",
                              "--digital-id",
                              "ffff",
                              "--old-firmware",
                              "--busy",
                              "3",
                              "--three-wire",
                              "--norm",
                              "4",
                              "--protocol",
                              "ascii",
                              "--address",
                              "247",
                              "--link-speed",
                              "76800",
                              "--link-frame",
                              "7N2",
                              "--overrange",
                              "Ia,cos",
                              "--no-answer-every",
                              "3",
                              "--delay",
                              "250",
                              "--bad-checksum",
                              "--wrong-address",
                              "--split",
                              "--noise",
                              "--any-line-format",
                              "--ramp",
                              "--fault-block",
                              "cos4",
                              "--fault-block-kind",
                              "busy",
                              "--fault-block-every",
                              "4"});
  EXPECT_EQ(o.com, 7);
  EXPECT_EQ(o.workingCom, 9);
  EXPECT_TRUE(o.publishWorking);
  EXPECT_EQ(o.serviceBaud, 115200);
  EXPECT_DOUBLE_EQ(o.turnaroundMs, 0.5);
  EXPECT_TRUE(o.trace);
  EXPECT_EQ(o.device.hid, 0x41520300u);
  EXPECT_EQ(o.device.serial, 42u);
  EXPECT_EQ(o.device.sid, 0x02010000u);
  EXPECT_EQ(o.device.digitalId, 0xFFFF);
  EXPECT_TRUE(o.device.oldFirmware);
  EXPECT_EQ(o.device.busyWrites, 3);
  EXPECT_TRUE(o.device.settings.threeWire);
  EXPECT_EQ(o.device.settings.normalisation, 4);
  const LinkSettings link{LinkProtocol::ModbusAscii, 247, 4, 2};
  EXPECT_EQ(o.device.settings.link, link);
  EXPECT_EQ(o.device.outOfRange, (std::set<uint16_t>{7, 29}));
  EXPECT_EQ(o.timingFaults.skipEvery, 3);
  EXPECT_EQ(o.timingFaults.delayMs, 250);
  EXPECT_TRUE(o.timingFaults.split && o.timingFaults.noise);
  EXPECT_TRUE(o.answerFaults.badChecksum && o.answerFaults.wrongAddress);
  EXPECT_FALSE(o.checkPeerFormat);
  EXPECT_TRUE(o.device.ramp);
  EXPECT_EQ(o.device.blockFault.block, ValueBlock::kPhaseCos);
  EXPECT_EQ(o.device.blockFault.kind, LineFault::kBusy);
  EXPECT_EQ(o.device.blockFault.every, 4);
}

TEST(SimOptions, DeviceNamesGiveKindAndModification) {
  const std::pair<const char*, uint32_t> cases[] = {{"vela1", 0x41520100}, {"vela2", 0x41520101},
                                                    {"vela3", 0x41520102}, {"kant", 0x41520200},
                                                    {"porta", 0x41520300}, {"foreign", 0x12345601}};
  for (const auto& [name, hid] : cases) EXPECT_EQ(Parse({"--device", name}).device.hid, hid);
}

TEST(SimOptions, IecOptionsFillTheLinkBlocksAndTheFaults) {
  const SimOptions o = Parse({"--protocol", "iec", "--iec-lengths", "2,2,2,3", "--iec-asdu", "14",
                              "--iec-common-address", "65533", "--iec-cyclic", "250", "--iec-e5",
                              "--iec-dfc", "--iec-nack", "--iec-quality", "c1"});
  EXPECT_EQ(o.device.settings.link.protocol, LinkProtocol::Iec101);
  const IecOptions& iec = o.device.settings.iec;
  EXPECT_EQ((std::vector<int>{iec.linkAddressLength, iec.cotLength, iec.commonAddressLength,
                              iec.ioaLength, iec.asduType, iec.cyclic, iec.cycleInterval,
                              iec.commonAddress}),
            (std::vector<int>{2, 2, 2, 3, 14, 1, 250, 65533}));
  EXPECT_TRUE(o.answerFaults.iecSingleChar && o.answerFaults.iecNack);
  EXPECT_EQ(o.answerFaults.iecDfcAnswers, kEveryAnswer);
  EXPECT_EQ(o.answerFaults.iecQuality, 0xC1);
  EXPECT_EQ(Parse({"--iec-lengths", "0,1,1,1"}).device.settings.iec.linkAddressLength, 0);
  const AnswerFaults station =
      Parse({"--iec-gi-only", "--iec-gi-class", "2", "--iec-events", "100", "--iec-one-object",
             "--iec-refuse", "46", "--iec-lengths", "2,1,1,2", "--iec-link-address", "300",
             "--iec-invalid", "Ua,Ib"})
          .answerFaults;
  EXPECT_EQ((std::vector<int>{station.iecInterrogationOnly, station.iecInterrogationClass,
                              station.iecEventMs, station.iecOneObject, station.iecRefuseCause,
                              station.iecLinkAddress}),
            (std::vector<int>{1, 2, 100, 1, 46, 300}));
  EXPECT_EQ(station.iecInvalid,
            (std::set<uint16_t>{FindQuantity("Ua")->reg, FindQuantity("Ib")->reg}));
}

TEST(SimOptions, IecStationBehaviours) {
  const struct {
    std::vector<std::string> args;
    int dfcAnswers;
    bool class1Only, periodicFirst;
  } cases[] = {
      {{"--iec-dfc"}, kEveryAnswer, false, false},
      {{"--iec-dfc", "2"}, 2, false, false},
      {{"--iec-dfc=3"}, 3, false, false},
      {{"--iec-dfc", "--iec-class1"}, kEveryAnswer, true, false},
      {{"--iec-periodic-first"}, 0, false, true},
  };
  for (const auto& c : cases) {
    const SimOptions o = Parse(c.args);
    EXPECT_EQ(o.answerFaults.iecDfcAnswers, c.dfcAnswers) << c.args[0];
    EXPECT_EQ(o.answerFaults.iecClass1Only, c.class1Only) << c.args[0];
    EXPECT_EQ(o.answerFaults.iecPeriodicFirst, c.periodicFirst) << c.args[0];
  }
}

TEST(SimOptions, MistakesAreRefusedWithAMessage) {
  const std::vector<std::string> mistakes[] = {
      {"--bogus"},
      {"--com"},
      {"--com", "0"},
      {"--com", "x"},
      {"--speed", "4800"},
      {"--address", "0"},
      {"--norm", "256"},
      {"--device", "vela9"},
      {"--overrange", "Iz"},
      {"--trace=1"},
      {"--link-frame", "3"},
      {"--delay", "-1"},
      {"--protocol", "tcp"},
      {"--turnaround", "fast"},
      {"--iec-lengths", "1,1,1"},
      {"--iec-lengths", "3,1,1,2"},
      {"--iec-lengths", "1,0,1,2"},
      {"--iec-lengths", "1,1,3,2"},
      {"--iec-lengths", "1,1,1,4"},
      {"--iec-lengths", "1,1,1,2,"},
      {"--iec-lengths", "1,1,1,2,1"},
      {"--iec-asdu", "15"},
      {"--iec-common-address", "0"},
      {"--iec-common-address", "65535"},
      {"--iec-cyclic", "-5"},
      {"--iec-quality", "100"},
      {"--iec-quality", "zz"},
      {"--iec-invalid", "Uz"},
      {"--iec-gi-class", "3"},
      {"--iec-events", "0"},
      {"--iec-refuse", "8"},
      {"--iec-refuse", "48"},
      {"--iec-link-address", "65535"},
      {"--iec-link-address", "300"},
      {"--iec-lengths", "0,1,1,2", "--iec-link-address", "5"},
      {"--iec-e5=1"},
      {"--iec-dfc=0"},
      {"--iec-dfc=x"},
      {"--iec-class1=1"},
      {"--fault-every", "0"},
      {"--faults", "no-answer,"},
      {"--faults", "slow"},
      {"--late", "0"},
      {"--fault-block", "cos"},
      {"--fault-block-kind", "late"},
      {"--fault-block-every", "0"}};
  for (const auto& args : mistakes) {
    SimOptions options;
    std::string error;
    EXPECT_FALSE(ParseSimOptions(args, options, error)) << args[0];
    EXPECT_FALSE(error.empty());
  }
}

}  // namespace
}  // namespace vela
