// Each line fault of velasim makes the codec raise the failure it stands for.

#include <gtest/gtest.h>

#include "modbus/ModbusBlockOps.h"
#include "modbus/ModbusParamBlocks.h"
#include "modbus/ModbusValueBlocks.h"
#include "tests/e2e/SimMaster.h"
#include "tests/support/VelaSimProcess.h"

namespace vela {
namespace {

using test::MasterLine;
using test::SimMaster;
using test::VelaSimProcess;

enum class Job { ReadFrequency, ReadDevInfo, ReadLink2, WriteFinalize };

struct FaultCase {
  const char* name;
  std::vector<std::string> args;
  bool ascii;  // over the working interface set to MODBUS ASCII
  Job job;
  std::string outcome;  // of the first read
};

const MasterLine kAsciiLine{38400, 7, test::kEvenParity, test::kOneStopBit, false, 1};

std::vector<std::string> Args(const FaultCase& c) {
  std::vector<std::string> args = c.args;
  if (c.ascii) args.insert(args.end(), {"--both", "--protocol", "ascii"});
  return args;
}

// Sends the job's request; returns the outcome of parsing the first read.
std::string RunJob(SimMaster& master, Job job) {
  TModbusPacker& packer = master.Packer();
  TModbusValuesF f;
  TMbusDevInfo info;
  TModbusParamsLink2 link2;
  TModbusParamsFinalize finalize;
  switch (job) {
    case Job::ReadFrequency: {
      const Octets answer = master.Answer(RequestValues(packer, f));
      return test::Outcome([&] { ParseValues(packer, f, answer); });
    }
    case Job::ReadDevInfo: {
      const Octets answer = master.Answer(RequestValues(packer, info));
      return test::Outcome([&] { ParseValues(packer, info, answer); });
    }
    case Job::ReadLink2: {
      const Octets answer = master.Answer(RequestParams(packer, link2));
      return test::Outcome([&] { ParseParams(packer, link2, answer); });
    }
    case Job::WriteFinalize: {
      const Octets answer = master.Answer(RequestWriteParams(packer, finalize));
      return test::Outcome([&] { ParseWriteParams(packer, finalize, answer); });
    }
  }
  return "?";
}

class SimFault : public testing::TestWithParam<FaultCase> {};

TEST_P(SimFault, RaisesTheCodecFailureItStandsFor) {
  const FaultCase& c = GetParam();
  VelaSimProcess sim(Args(c));
  SimMaster master(c.ascii ? sim.WorkingPort() : sim.ServicePort(),
                   c.ascii ? kAsciiLine : MasterLine{});
  EXPECT_EQ(RunJob(master, c.job), c.outcome);
  EXPECT_EQ(sim.Stop(), 0);
  EXPECT_FALSE(sim.SanitizerReported()) << sim.ErrorOutput();
}

const char kChecksum[] = "link: Несовпадение контрольной суммы";
const char kAddress[] = "link: В пакете указан несовпадающий адрес";

INSTANTIATE_TEST_SUITE_P(
    Faults, SimFault,
    testing::Values(
        FaultCase{"BadCrc", {"--bad-checksum"}, false, Job::ReadFrequency, kChecksum},
        FaultCase{"BadLrc", {"--bad-checksum"}, true, Job::ReadFrequency, kChecksum},
        FaultCase{"WrongAddressRtu", {"--wrong-address"}, false, Job::ReadFrequency, kAddress},
        FaultCase{"WrongAddressAscii", {"--wrong-address"}, true, Job::ReadFrequency, kAddress},
        FaultCase{"NoiseRtu",
                  {"--noise"},
                  false,
                  Job::ReadFrequency,
                  "link: Длина ответа (8) не совпадает с ожидаемой (7)"},
        FaultCase{"NoiseAscii",
                  {"--noise"},
                  true,
                  Job::ReadFrequency,
                  "link: Длина ответа (16) не совпадает с ожидаемой (15)"},
        FaultCase{"SplitRtu",
                  {"--split"},
                  false,
                  Job::ReadFrequency,
                  "link: Длина ответа (3) не совпадает с ожидаемой (7)"},
        FaultCase{"SplitAscii",
                  {"--split"},
                  true,
                  Job::ReadFrequency,
                  "link: Длина ответа (7) не совпадает с ожидаемой (15)"},
        FaultCase{"Busy",
                  {"--busy", "1"},
                  false,
                  Job::WriteFinalize,
                  "logic 6: MODBUS: Устройство не готово (BUSY)"},
        FaultCase{"OldFirmwareIdent",
                  {"--old-firmware"},
                  false,
                  Job::ReadDevInfo,
                  "logic 2: MODBUS: Некорректный адрес данных"},
        FaultCase{"OldFirmwareLink2",
                  {"--old-firmware"},
                  true,
                  Job::ReadLink2,
                  "logic 2: MODBUS: Некорректный адрес данных"},
        FaultCase{"Delayed", {"--delay", "120"}, false, Job::ReadFrequency, ""},
        // The same faults made once, in turn with others.
        FaultCase{"TurnBadCrc",
                  {"--fault-every", "1", "--faults", "bad-checksum"},
                  false,
                  Job::ReadFrequency,
                  kChecksum},
        FaultCase{"TurnWrongAddressAscii",
                  {"--fault-every", "1", "--faults", "wrong-address"},
                  true,
                  Job::ReadFrequency,
                  kAddress},
        FaultCase{"TurnBusyRead",
                  {"--fault-every", "1", "--faults", "busy"},
                  false,
                  Job::ReadFrequency,
                  "logic 6: MODBUS: Устройство не готово (BUSY)"}),
    [](const testing::TestParamInfo<FaultCase>& info) { return info.param.name; });

TEST(SimFaults, SplitAnswerArrivesAsTwoReadsThatTogetherMakeTheFrame) {
  VelaSimProcess sim({"--split"});
  SimMaster master(sim.ServicePort(), {});
  TModbusValuesF f;
  const std::vector<Octets> reads = master.Ask(RequestValues(master.Packer(), f), 2);
  ASSERT_EQ(reads.size(), 2u);
  EXPECT_EQ(test::Outcome([&] { ParseValues(master.Packer(), f, reads[0] + reads[1]); }), "");
}

TEST(SimFaults, EveryKthRequestGoesUnanswered) {
  VelaSimProcess sim({"--no-answer-every", "2"});
  SimMaster master(sim.ServicePort(), {});
  TModbusValuesF f;
  const Octets request = RequestValues(master.Packer(), f);
  EXPECT_EQ(master.Ask(request).size(), 1u);
  EXPECT_TRUE(master.Ask(request, 1, 300).empty());
  EXPECT_EQ(master.Ask(request).size(), 1u);
}

// Every second answer takes the next fault of the list; the others are sound.
TEST(SimFaults, FaultsTakeTurnsInEveryKthAnswer) {
  VelaSimProcess sim({"--fault-every", "2", "--faults", "bad-checksum,no-answer"});
  SimMaster master(sim.ServicePort(), {});
  TModbusValuesF f;
  const Octets request = RequestValues(master.Packer(), f);
  std::vector<std::string> outcomes;
  for (int i = 0; i < 6; ++i) {
    const std::vector<Octets> reads = master.Ask(request, 1, 400);
    outcomes.push_back(
        reads.empty() ? "none" : test::Outcome([&] { ParseValues(master.Packer(), f, reads[0]); }));
  }
  EXPECT_EQ(outcomes, (std::vector<std::string>{"", kChecksum, "", "none", "", kChecksum}));
  sim.Stop();
  EXPECT_NE(sim.ErrorOutput().find("неполадок внесено: 3 (нет ответа 1, контрольная сумма 2,"),
            std::string::npos)
      << sim.ErrorOutput();
}

TEST(SimFaults, SilentDeviceNeverAnswers) {
  VelaSimProcess sim({"--no-answer"});
  SimMaster master(sim.ServicePort(), {});
  TModbusValuesF f;
  EXPECT_TRUE(master.Ask(RequestValues(master.Packer(), f), 1, 300).empty());
}

TEST(SimFaults, DelayedAnswerComesNoEarlierThanTheDelay) {
  VelaSimProcess sim({"--delay", "400"});
  SimMaster master(sim.ServicePort(), {});
  TModbusValuesF f;
  const Octets request = RequestValues(master.Packer(), f);
  EXPECT_TRUE(master.Ask(request, 1, 200).empty());
  const std::vector<Octets> late = master.WaitForReads(1, 3000);
  ASSERT_EQ(late.size(), 1u);
  EXPECT_EQ(test::Outcome([&] { ParseValues(master.Packer(), f, late[0]); }), "");
}

}  // namespace
}  // namespace vela
