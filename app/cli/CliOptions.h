#pragma once
// The command line of velalink-cli: the program-side link (as the main
// window's interface group sets it), one command, and for `configure` the
// device-side settings to write. Parsing checks every value against the
// lists the window offers and raises TCliUsageError with a Russian text.

#include <optional>
#include <string>
#include <vector>

#include "app/cli/CliCommissionOptions.h"
#include "common/OptionTable.h"
#include "iec101/IecSettings.h"
#include "serial/SerialBackend.h"

namespace vela::cli {

// A mistake on the command line; velalink-cli ends with exit code 2.
using TCliUsageError = TOptionError;

enum class TCommand {
  Read,
  Watch,
  SyncClock,
  Settings,
  Configure,
  Factory,
  Verify,
  Ports,
  Find,
  Report,
  Wiring
};

// The exit code of `wiring` when the check found something to put right.
inline constexpr int kWiringFindingsExit = 3;

// How the commands print their data on standard output.
enum class TOutputFormat { Text, Csv, Json };

// What `configure` writes; an empty field keeps what the device holds.
struct TDeviceSettings {
  std::optional<int> protocol;  // 0 MODBUS RTU, 1 MODBUS ASCII, 2 IEC 60870-5-101
  std::optional<std::string> speed;
  std::optional<int> frame;  // 0 even parity, 1 odd parity, 2 no parity with 2 stop bits
  int frameDataBits = 8;     // as the frame text gave them
  std::optional<int> address;
  std::optional<bool> threeWire;
  bool Empty() const { return !protocol && !speed && !frame && !address && !threeWire; }
};

// The program's own IEC 60870-5-101 connection (--protocol iec101).
struct TIecCliLink {
  int linkAddressLength = 1, cotLength = 1, commonAddressLength = 1, ioaLength = 2;
  int commonAddress = 1;
  int answerTimeMs = static_cast<int>(kDefaultAnswerTimeMs);  // the device's answer time
  int staleAfterS = static_cast<int>(kDefaultStaleAfterS);
  int interrogationPeriodS = 0;  // continuous reading; 0: none but the necessary
};

struct TCliOptions {
  TCommand command = TCommand::Read;
  std::string port;  // COMn or a device path; empty: a USB adapter, else the first port
  RtsControl rts = RtsControl::Auto;  // RS-485 direction on the working interface
  bool rs485 = false;                 // false: USB, the service interface
  bool ascii = false;                 // program-side MODBUS ASCII
  std::optional<TIecCliLink> iec;     // program-side IEC 60870-5-101
  std::string speed = "38400";
  int frame = 0;  // index in the frame list
  int address = 1;
  std::string csvFile;         // watch: record into this file
  double seconds = 0;          // watch: stop after this long; 0 until a signal
  int exchanges = 0;           // watch: stop after this many requests; 0 until a signal
  double timeoutSeconds = 60;  // one-shot commands: give up after this long
  bool timeoutGiven = false;   // find, watch: bounded by --timeout only when it is given
  int responseTimeoutMs = 0;   // MODBUS answer awaited this long; 0: each block's own
  bool stats = false;          // watch: print the cycle figures at the end
  bool trace = false;          // print the exchange trace to standard error
  bool exactTiming = false;    // every answer ends with the silence, never with its frame
  TDeviceSettings set;
  TCommissionOptions commission;               // find, profiles, report
  TOutputFormat format = TOutputFormat::Text;  // --format of the commands that print data
  bool quiet = false;                          // no activity log on standard error
  bool help = false;                           // --help anywhere: print the usage, nothing else
  std::string helpCommand;                     // the command word beside --help, if any
  bool version = false;                        // --version anywhere
};

// The file name that means standard output (--csv, --save, --out).
inline constexpr const char kToStandardOutput[] = "-";
inline constexpr const char* kCsvToStandardOutput = kToStandardOutput;

// argv without the program name. Throws TCliUsageError.
TCliOptions ParseCliOptions(const std::vector<std::string>& args);
// The option table alone, for the manual page and the shell completion.
TOptionTable CliOptionTableForManual();
// The speeds the device offers, as the device-side speed box lists them.
const std::vector<std::string>& DeviceSpeedTexts();
// The usage text, Russian, ending with a line break; for one command word,
// that command and the options it takes.
std::string UsageText(const std::string& command = "");

// "8E1" and the others; index 0..2 by parity and stop bits, data bits 7 or 8.
struct TFrameText {
  int dataBits;
  int index;
};
std::optional<TFrameText> ParseFrameText(const std::string& text);

}  // namespace vela::cli
