// velalink-cli: the main window's operations from the command line, without
// a toolkit, on the system clock and a real serial port. See UsageText().

#include <cerrno>
#include <clocale>
#include <cstdio>
#include <string>
#include <vector>

#include "app/cli/CliOptions.h"
#include "app/cli/CliSession.h"
#include "app/cli/StopSignal.h"
#include "common/ArkSysUtils.h"
#include "common/CRuntimeErrorText.h"
#include "common/HeadlessEventLoop.h"
#include "common/HostInfo.h"
#include "common/ProgramVersion.h"

namespace {

// What the program printed on standard output outside the session's own
// checked writes (help, version, ports) must have arrived; a reader that
// went away is not told.
int OutputChecked(int code) {
  // errno still holds what the failed write or flush set.
  if (std::fflush(stdout) == 0 && !std::ferror(stdout)) return code;
  const int error = errno;
  if (error == EPIPE) return 1;
  const std::string why = error != 0 ? " (" + vela::CRuntimeErrorText(error) + ")" : "";
  std::fprintf(stderr,
               "velalink-cli: стандартный вывод не записывается%s: проверьте, куда он "
               "направлен, и свободное место.\n",
               why.c_str());
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace vela;
  using namespace vela::cli;
  OpenClosedStandardDescriptors();  // before any file is opened
  IgnoreBrokenPipes();              // a closed reader ends the command with exit 1
  UseUtf8Console();
  std::setlocale(LC_ALL, "");
  const std::vector<std::string> args = ProgramArguments(argc, argv);
  TCliOptions options;
  try {
    options = ParseCliOptions(args);
  } catch (const TCliUsageError& e) {
    std::fprintf(stderr, "velalink-cli: %s\n\n%s", e.what(), UsageText().c_str());
    return 2;
  }
  if (options.help || options.version) {
    std::fputs((options.help ? UsageText(options.helpCommand) : ProgramVersionText("velalink-cli"))
                   .c_str(),
               stdout);
    return OutputChecked(0);
  }
  try {
    HeadlessEventLoop loop(SystemClock::Instance());
    TStopSignal stop;
    TCliSession session(options, loop, &stop);
    return OutputChecked(session.Run());
  } catch (const std::exception& e) {
    std::fprintf(stderr, "velalink-cli: %s\n", e.what());
    return 1;
  }
}
