// A settings write cut at each of its requests, as a site's line cuts it:
// what configure and factory report block by block must be what the device
// holds afterwards, and never "not written" when something was.

#include <gtest/gtest.h>

#include <atomic>
#include <nlohmann/json.hpp>

#include "app/JobCodes.h"
#include "sim/DeviceModel.h"
#include "tests/cli/CliInProcess.h"

namespace vela::test {
namespace {

// Stop requests raised by the test as the line carries a request.
class TTestStop : public cli::TStopRequests {
 public:
  int Count() const override { return count.load(); }
  std::atomic<int> count{0};
};

enum class TFault {
  Cut,                  // from request N on nothing reaches the device; the user stops it
  AnswerLostAndSignal,  // request N carried out, its answer lost; a signal meanwhile
  SecondSignal,         // request N lost with a signal, the next one lost with another
};

struct TWriteCase {
  const char* name;
  std::vector<std::string> args;  // after --port
  LinkSettings before;            // the device's link before the write
  bool threeWireBefore;
  LinkSettings after;  // what the write sets
  bool threeWireAfter;
  TFault fault;
};

void PrintTo(const TWriteCase& c, std::ostream* os) {
  *os << c.name;
}

// Whether the device holds what the block writes; nullopt: the block does
// not change anything these cases look at.
std::optional<bool> HoldsNew(const TWriteCase& c, const DeviceSettings& d, uint8_t job) {
  const auto linkWords = [&](const LinkSettings& l) {
    return d.Get(reg::kLink) == static_cast<uint16_t>(l.protocol) &&
           d.Get(reg::kLink + 1) == l.address && d.Get(reg::kLink + 2) == l.speedIndex &&
           d.Get(reg::kLink + 3) == l.frameIndex;
  };
  switch (job) {
    case jobSetMainPrm:
      if (c.threeWireBefore == c.threeWireAfter) return std::nullopt;
      return d.ThreeWire() == c.threeWireAfter;
    case jobSetLinkPrm:
      return linkWords(c.after);
    case jobFinalizePrm:
      return d.ActiveLink() == c.after;
    default:
      return std::nullopt;
  }
}

class WriteTruthTest : public testing::TestWithParam<TWriteCase> {};

TEST_P(WriteTruthTest, ReportsWhatTheDeviceHolds) {
  const TWriteCase& c = GetParam();
  std::vector<std::string> args = {"--port", "COM7", "--timeout", "30", "--format", "json"};
  args.insert(args.end(), c.args.begin(), c.args.end());
  const auto device = [&](VirtualClock& clock) {
    DeviceConfig config;
    config.settings.link = c.before;
    config.settings.threeWire = c.threeWireBefore;
    return std::make_unique<DeviceModel>(config, clock);
  };
  int requests = 0;  // of the whole command, when nothing goes wrong
  {
    VirtualClock clock;
    const auto model = device(clock);
    const TCliRun run = RunCliInProcess(args, {model.get()}, clock, [&](TSimLine& line) {
      line.fate = [&](int k) { return requests = k, TRequestFate::Carried; };
    });
    ASSERT_EQ(run.exitCode, 0) << run.err;
  }
  // The write's own requests: the link block read ahead and six blocks
  // (a cut while the settings are read writes nothing: the command table shows it).
  for (int cut = requests - 6; cut <= requests; ++cut) {
    SCOPED_TRACE("request " + std::to_string(cut));
    VirtualClock clock;
    const auto model = device(clock);
    TTestStop stop;
    int sent = 0;
    const TCliRun run = RunCliInProcess(
        args, {model.get()}, clock,
        [&](TSimLine& line) {
          line.fate = [&](int k) {
            sent = k;
            switch (c.fault) {
              case TFault::Cut:
                if (k == cut + 1) stop.count = 1;  // the write repeats its request: Ctrl-C
                return k >= cut ? TRequestFate::Lost : TRequestFate::Carried;
              case TFault::AnswerLostAndSignal:
                if (k == cut) stop.count = 1;
                return k == cut ? TRequestFate::AnswerLost : TRequestFate::Carried;
              case TFault::SecondSignal:
                if (k == cut || k == cut + 1) ++stop.count;
                return k >= cut ? TRequestFate::Lost : TRequestFate::Carried;
            }
            return TRequestFate::Carried;
          };
        },
        &stop);
    ASSERT_TRUE(run.outcome);
    const TOperationOutcome& o = *run.outcome;
    const DeviceSettings& d = model->Settings();
    if (c.fault == TFault::SecondSignal && stop.count >= 2) {
      EXPECT_EQ(sent, cut + 1) << "the second signal stops at once";
    }
    if (o.kind != TOperationKind::WriteSettings && o.kind != TOperationKind::WriteFactory) {
      // Cut while the settings were read: nothing may have been written.
      EXPECT_NE(run.exitCode, 0);
      EXPECT_EQ(d.ActiveLink(), c.before);
      continue;
    }
    if (o.Succeeded()) {
      EXPECT_EQ(run.exitCode, 0);
      EXPECT_EQ(d.ActiveLink(), c.after);
      continue;
    }
    EXPECT_EQ(run.exitCode, 1);
    if (!o.write) {  // ended before its first block went out
      EXPECT_EQ(d.ActiveLink(), c.before);
      EXPECT_FALSE(*HoldsNew(c, d, jobSetLinkPrm));
      continue;
    }
    bool changed = false;
    for (const TWrittenBlock& block : o.write->blocks) {
      const std::optional<bool> holds = HoldsNew(c, d, block.job);
      if (!holds) continue;
      changed = changed || *holds;
      const std::string name = JobName(block.job, false);
      switch (block.state) {
        case TWriteState::Written:
          EXPECT_TRUE(*holds) << name << " said written";
          break;
        case TWriteState::NotWritten:
          EXPECT_FALSE(*holds) << name << " said not written";
          break;
        case TWriteState::Unknown:
          // Over a working line the read-back settles every block.
          EXPECT_NE(c.fault, TFault::AnswerLostAndSignal) << name << " left unknown";
          break;
      }
    }
    EXPECT_TRUE(!changed || o.write->Partial()) << "something was written";
    const nlohmann::json json = nlohmann::json::parse(run.out);
    EXPECT_EQ(json["result"], o.write->Partial() ? "partial" : "not-written") << run.out;
    if (o.write->Partial()) {
      EXPECT_EQ(run.err.find("Установки не записаны"), std::string::npos) << run.err;
    }
  }
}

const LinkSettings kRtu1 = {LinkProtocol::ModbusRtu, 1, 2, 0};      // 38400 8E1
const LinkSettings kRtu5 = {LinkProtocol::ModbusRtu, 5, 5, 0};      // 115200 8E1
const LinkSettings kAscii7 = {LinkProtocol::ModbusAscii, 7, 0, 1};  // 9600 7O1
const std::vector<std::string> kConfigure = {"configure", "--set-network", "3", "--set-speed",
                                             "115200",    "--set-address", "5"};
const std::vector<std::string> kAsciiRs485 = {"--interface", "rs485", "--protocol", "ascii",
                                              "--speed",     "9600",  "--frame",    "7O1",
                                              "--address",   "7"};

std::vector<std::string> Joined(std::vector<std::string> a, const std::vector<std::string>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

const TWriteCase kCases[] = {
    {"configureUsbCut", kConfigure, kRtu1, false, kRtu5, true, TFault::Cut},
    {"configureRs485Cut", Joined({"--interface", "rs485"}, kConfigure), kRtu1, false, kRtu5, true,
     TFault::Cut},
    {"factoryUsbCut", {"factory", "--yes"}, kAscii7, true, kRtu1, false, TFault::Cut},
    {"factoryRs485Cut", Joined(kAsciiRs485, {"factory", "--yes"}), kAscii7, true, kRtu1, false,
     TFault::Cut},
    {"configureRs485AnswerLost", Joined({"--interface", "rs485"}, kConfigure), kRtu1, false, kRtu5,
     true, TFault::AnswerLostAndSignal},
    {"factoryRs485AnswerLost", Joined(kAsciiRs485, {"factory", "--yes"}), kAscii7, true, kRtu1,
     false, TFault::AnswerLostAndSignal},
    {"configureUsbSecondSignal", kConfigure, kRtu1, false, kRtu5, true, TFault::SecondSignal},
};

INSTANTIATE_TEST_SUITE_P(Cuts, WriteTruthTest, testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace vela::test
