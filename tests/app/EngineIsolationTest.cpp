// Two engines in one process (a test, a view of several devices) keep their
// own link, device settings and IEC options: nothing of one is process-wide.

#include <gtest/gtest.h>

#include "app/Engine.h"
#include "common/HeadlessEventLoop.h"
#include "serial/ScriptedBackend.h"

namespace vela {
namespace {

TEngineSeams ScriptedSeams(HeadlessEventLoop& loop) {
  TEngineSeams seams(loop.GetClock(), loop);
  seams.portFactory = [](const std::string& name) {
    return std::make_unique<TArkComPort>(name, std::make_unique<ScriptedBackend>());
  };
  return seams;
}

TEST(EngineIsolationTest, EachEngineKeepsItsOwnSettings) {
  VirtualClock clock;
  HeadlessEventLoop loop(clock);
  TVelaEngine first(ScriptedSeams(loop));
  TVelaEngine second(ScriptedSeams(loop));

  first.SelectPort("COM3");
  first.SetInterface(true, first.ProgramLink());
  first.SetProgramSpeed(5);  // 115200
  first.SetProgramAddress(7);
  TDeviceSettingsModel settings;
  settings.protocol = 1;
  settings.address = 9;
  settings.threeWire = true;
  first.SetDeviceSettings(settings);
  first.IecDeviceOptions().CommonAddressLength = 2;
  first.IecDeviceOptions().CommonAddress = 300;

  second.SelectPort("COM4");
  const TDeviceSettingsModel factory;
  EXPECT_EQ(second.ProgramLink().port, "COM4");
  EXPECT_FALSE(second.ProgramLink().rs485);
  EXPECT_EQ(second.ProgramLink().speedIndex, kFactorySpeedIndex);
  EXPECT_EQ(second.ProgramLink().address, 1);
  EXPECT_EQ(second.FPacker->Address, 1);
  EXPECT_EQ(second.DeviceSettings(), factory);
  EXPECT_EQ(second.IecDeviceOptions(), TIecDeviceOptions::Factory());
  EXPECT_EQ(first.FPacker->Address, 7);
  EXPECT_EQ(first.FPort->BaudRate(), 115200);
  EXPECT_EQ(second.FPort->BaudRate(), 38400);
  EXPECT_EQ(first.IecDeviceOptions().CommonAddress, 300);
}

}  // namespace
}  // namespace vela
