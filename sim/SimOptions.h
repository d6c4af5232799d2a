#pragma once
// The command line of velasim.

#include <string>
#include <vector>

#include "common/OptionTable.h"
#include "sim/DeviceModel.h"
#include "sim/Faults.h"

namespace vela {

// A further device on the working interface's line: its own address and
// serial number, the line setting of the main device.
struct ExtraDevice {
  uint8_t address = 2;
  uint32_t serial = 0;  // 0: the main device's serial number + the address
};

struct SimOptions {
  int com = 0;         // COM number of the service interface; 0 = lowest free
  int workingCom = 0;  // the same for the working interface
  bool publishWorking = false;
  int serviceBaud = 38400;
  double turnaroundMs = 2.0;
  bool trace = false;
  bool checkPeerFormat = true;  // ignore requests sent with other line settings
  bool unpaced = false;         // answers without their wire time
  bool help = false;
  bool version = false;
  DeviceConfig device;
  AnswerFaults answerFaults;
  TimingFaults timingFaults;
  RotatingFaults rotatingFaults;
  std::vector<ExtraDevice> extraDevices;
};

// Arguments without the program name. On a mistake returns false with a
// message for the user in error.
bool ParseSimOptions(const std::vector<std::string>& args, SimOptions& options, std::string& error);

// The text of --help.
std::string SimUsage();
// The option table alone, for the manual page and the shell completion.
TOptionTable SimOptionTableForManual();

}  // namespace vela
