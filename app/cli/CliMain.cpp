// velalink-cli: the main window's operations from the command line, without
// a toolkit, on the system clock and a real serial port. See UsageText().

#include <clocale>
#include <cstdio>
#include <string>
#include <vector>

#include "app/cli/CliOptions.h"
#include "app/cli/CliSession.h"
#include "app/cli/StopSignal.h"
#include "common/HeadlessEventLoop.h"
#include "common/ProgramVersion.h"

int main(int argc, char** argv) {
  using namespace vela;
  using namespace vela::cli;
  std::setlocale(LC_ALL, "");
  const std::vector<std::string> args(argv + 1, argv + argc);
  TCliOptions options;
  try {
    options = ParseCliOptions(args);
  } catch (const TCliUsageError& e) {
    std::fprintf(stderr, "velalink-cli: %s\n\n%s", e.what(), UsageText().c_str());
    return 2;
  }
  if (options.help || options.version) {
    std::fputs((options.help ? UsageText() : ProgramVersionText("velalink-cli")).c_str(), stdout);
    return 0;
  }
  try {
    HeadlessEventLoop loop(SystemClock::Instance());
    TStopSignal stop;
    TCliSession session(options, loop, &stop);
    return session.Run();
  } catch (const std::exception& e) {
    std::fprintf(stderr, "velalink-cli: %s\n", e.what());
    return 1;
  }
}
