// The choice of the RS-485 direction control and RTS around each write, on a
// recording stand-in for the device (a pseudo-terminal has no modem lines).

#include <gtest/gtest.h>
#include <linux/serial.h>

#include "common/ArkTypes.h"
#include "serial/Rs485Direction.h"

namespace vela {
namespace {

class RecordingLines : public DirectionLines {
 public:
  explicit RecordingLines(bool kernelMode, bool rts = true) : kernel_(kernelMode), rts_(rts) {}
  std::optional<unsigned> Rs485Flags() override {
    if (!kernel_) return std::nullopt;
    return flags_;
  }
  bool SetRs485Flags(unsigned flags) override {
    flags_ = flags;
    calls += "rs485=" + std::to_string(flags) + ";";
    return kernel_;
  }
  bool SetRts(bool high) override {
    calls += high ? "RTS+;" : "RTS-;";
    return rts_;
  }
  bool Drain() override {
    calls += "drain;";
    return true;
  }
  unsigned flags_ = SER_RS485_RTS_AFTER_SEND;  // the port's own setting
  std::string calls;

 private:
  bool kernel_;
  bool rts_;
};

struct DirectionCase {
  const char* name;
  RtsControl requested;
  bool driverHasRs485;
  Rs485Direction::Mode mode;
  const char* writeCalls;  // what one write does to the lines
};

class DirectionTest : public ::testing::TestWithParam<DirectionCase> {};

TEST_P(DirectionTest, TheModeFollowsTheRequestAndTheDriver) {
  RecordingLines lines(GetParam().driverHasRs485);
  Rs485Direction direction;
  direction.Apply(lines, GetParam().requested);
  EXPECT_EQ(direction.Current(), GetParam().mode);
  lines.calls.clear();
  direction.BeforeWrite(lines);
  lines.calls += "write;";
  direction.AfterWrite(lines);
  EXPECT_EQ(lines.calls, GetParam().writeCalls);
  direction.Restore(lines);
  EXPECT_EQ(lines.flags_, static_cast<unsigned>(SER_RS485_RTS_AFTER_SEND));  // as it was
}

INSTANTIATE_TEST_SUITE_P(
    Modes, DirectionTest,
    ::testing::Values(DirectionCase{"OffTouchesNothing", RtsControl::Off, true,
                                    Rs485Direction::Mode::None, "write;"},
                      DirectionCase{"AutoTakesTheKernelMode", RtsControl::Auto, true,
                                    Rs485Direction::Mode::Kernel, "write;"},
                      DirectionCase{"AutoWithoutItTogglesRts", RtsControl::Auto, false,
                                    Rs485Direction::Mode::Toggle, "RTS+;write;drain;RTS-;"},
                      DirectionCase{"ToggleEvenWithTheKernelMode", RtsControl::Toggle, true,
                                    Rs485Direction::Mode::Toggle, "RTS+;write;drain;RTS-;"},
                      DirectionCase{"Kernel", RtsControl::Kernel, true,
                                    Rs485Direction::Mode::Kernel, "write;"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Rs485Direction, KernelModeSetsRtsOnSendAndIsShownInTheTrace) {
  RecordingLines lines(true);
  Rs485Direction direction;
  direction.Apply(lines, RtsControl::Auto);
  EXPECT_EQ(lines.flags_, static_cast<unsigned>(SER_RS485_ENABLED | SER_RS485_RTS_ON_SEND));
  EXPECT_NE(direction.Text().find("режим RS-485 ядра"), std::string::npos);
  direction.Apply(lines, RtsControl::Off);  // the service interface: the port's own setting
  EXPECT_EQ(lines.flags_, static_cast<unsigned>(SER_RS485_RTS_AFTER_SEND));
}

TEST(Rs485Direction, AModeThePortCannotHaveIsRefusedInRussian) {
  RecordingLines noKernel(false);
  EXPECT_THROW(Rs485Direction().Apply(noKernel, RtsControl::Kernel), TArkException);
  RecordingLines noRts(false, false);
  EXPECT_THROW(Rs485Direction().Apply(noRts, RtsControl::Toggle), TArkException);
  Rs485Direction automatic;
  automatic.Apply(noRts, RtsControl::Auto);  // a pseudo-terminal: nothing to drive
  EXPECT_EQ(automatic.Current(), Rs485Direction::Mode::None);
}

}  // namespace
}  // namespace vela
