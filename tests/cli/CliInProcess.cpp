#include "tests/cli/CliInProcess.h"

#include <gtest/gtest.h>

#include "app/cli/CliOptions.h"
#include "app/cli/CliSession.h"
#include "common/HeadlessEventLoop.h"
#include "tests/support/QuietClock.h"

namespace vela::test {

TCliRun RunCliInProcess(const std::vector<std::string>& args,
                        const std::vector<DeviceModel*>& devices, VirtualClock& clock,
                        const std::function<void(TSimLine&)>& setUp,
                        const cli::TStopRequests* stop) {
  const cli::TCliOptions options = cli::ParseCliOptions(args);
  TSimLine line(devices, !options.rs485, clock);
  if (setUp) setUp(line);
  TQuietClock quietClock(clock, line);
  HeadlessEventLoop loop(quietClock);
  cli::TCliSession session(options, loop, stop, [&](const std::string& name) {
    return std::make_unique<TArkComPort>(name, line.Backend());
  });
  TCliRun run;
  testing::internal::CaptureStdout();
  testing::internal::CaptureStderr();
  run.exitCode = session.Run();
  run.out = testing::internal::GetCapturedStdout();
  run.err = testing::internal::GetCapturedStderr();
  if (session.LastOutcome()) run.outcome = *session.LastOutcome();
  return run;
}

}  // namespace vela::test
