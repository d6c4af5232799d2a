#pragma once
// The ports folder: symbolic links named COMn that give the program's port
// names to device nodes. The simulator publishes its pseudo-terminals there.

#include <string>

namespace vela {

// $VELALINK_PORTS_DIR, else $XDG_CONFIG_HOME/velalink/ports, else
// ~/.config/velalink/ports.
std::string PortsFolderPath();

// A COMn link to a device, removed again when the object goes (unless it was
// replaced by someone else meanwhile).
class PublishedPort {
 public:
  // number 0 takes the lowest free number from COM1 on: no link of that name
  // in the folder and no serial port of that number in the machine. A given
  // number may replace a link only when it leads nowhere or the simulator
  // that made it is gone (its process id is kept in ".COMn.pid" beside the
  // link). Creates the folder if it is missing. Throws TArkException.
  PublishedPort(const std::string& folder, int number, const std::string& devicePath);
  ~PublishedPort();
  PublishedPort(const PublishedPort&) = delete;
  PublishedPort& operator=(const PublishedPort&) = delete;

  std::string Name() const { return "COM" + std::to_string(number_); }

 private:
  bool TryLink(int number, bool replaceDangling);

  std::string folder_;
  std::string devicePath_;
  int number_ = 0;
};

// True when the machine has a serial port under the number: COM1..COM32 are
// ttyS0..31 (with a port type the kernel knows), COM33.. ttyUSB0.., COM65..
// ttyACM0...
bool MachineHasSerialPort(int number);

}  // namespace vela
