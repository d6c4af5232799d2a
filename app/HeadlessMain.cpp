// The command-line front end: the main window without a toolkit, on the
// system clock and a real serial port. It runs one operation and prints the
// activity log as it grows.
//
//   velalink-headless COMn once          read the values once
//   velalink-headless COMn continuous S  read continuously for S seconds
//   velalink-headless COMn settings      read the device settings
//   velalink-headless COMn verify        the identification report

#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/DebugConsoleTarget.h"
#include "app/MainForm.h"
#include "app/Messages.h"
#include "common/ArkSysUtils.h"
#include "common/HeadlessEventLoop.h"
#include "ident/ArkGost3411.h"
#include "serial/PortNames.h"

namespace {

int Usage() {
  std::fputs("usage: velalink-headless COMn once|continuous SECONDS|settings|verify\n", stderr);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace vela;
  if (argc < 3) return Usage();
  const std::string portName = argv[1];
  const std::string operation = argv[2];
  SystemClock& clock = SystemClock::Instance();
  HeadlessEventLoop loop(clock);
  TForm1Seams seams(clock, loop);
  seams.enumComPorts = [portName] { return std::vector<std::string>{portName}; };
  seams.debugOutputFactory = [] { return std::make_unique<TDebugConsoleTarget>(); };
  seams.programVersion = FileVersionText(OwnExecutablePath());
  seams.programDigest = [] { return HashFileGost256(OwnExecutablePath()); };
  TForm1 form(std::move(seams));
  if (form.StartupFailed()) return 1;
  std::fprintf(stderr, "%s\n", form.Caption().c_str());

  size_t printed = 0;
  form.Memo1.OnChanged.Add([&](TControl&) {
    const auto& lines = form.Memo1.Lines();
    if (lines.size() < printed) printed = 0;  // the log was emptied
    for (; printed < lines.size(); ++printed) std::printf("%s\n", lines[printed].c_str());
    std::fflush(stdout);
  });

  if (operation == "once") {
    form.Button4.Click();
  } else if (operation == "settings") {
    form.Button7.Click();
  } else if (operation == "verify") {
    form.btnVerify.Click();
  } else if (operation == "continuous" && argc > 3) {
    form.Button5.Click();
    loop.RunFor(static_cast<int64_t>(std::atof(argv[3]) * 1000));
    if (form.FBusy) form.Button5.Click();
    return 0;
  } else {
    return Usage();
  }
  loop.RunUntil([&] { return !form.FBusy; }, 60000);
  const auto& lines = form.Memo1.Lines();
  const std::string success =
      operation == "verify" ? "Алгоритм вычисления: хэширование" : msg::kReadDone;
  return !form.FBusy && !lines.empty() && lines.back() == success ? 0 : 1;
}
