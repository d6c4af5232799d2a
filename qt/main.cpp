// velalink: the VelaLink main window. `velalink --help` lists the options
// (see WindowCommandLine); they are read before the toolkit starts.
//
// --port selects the port at start, --interface and --protocol the program's
// link (iec101 over rs485 confirms the IEC options as the device has them);
// --autoread presses "прочитать однократно", waits for the read to end, saves
// the picture given by --screenshot and ends (exit status 0 when the read
// succeeded); --continuous reads continuously for SECONDS and ends the same
// way; --report-paint prints the wall-clock time of the first painted window
// as "first-paint-epoch-ms: N". An answer ends as soon as its frame is whole
// and valid; --exact-timing ends every answer after 50 ms of silence instead
// (--fast, once needed for the former, is still accepted).

#include <QDateTime>
#include <QEvent>
#include <cstdio>
#include <string>
#include <vector>

#include "app/Messages.h"
#include "common/ProgramVersion.h"
#include "qt/QtAutoRead.h"
#include "qt/QtDesktop.h"
#include "qt/QtProgram.h"
#include "qt/WindowCommandLine.h"

namespace {

// Prints the time of the first paint of the window once.
class FirstPaintReporter : public QObject {
 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint && !reported_) {
      reported_ = true;
      QMetaObject::invokeMethod(
          this,
          [] {
            std::printf("first-paint-epoch-ms: %lld\n",
                        static_cast<long long>(QDateTime::currentMSecsSinceEpoch()));
            std::fflush(stdout);
          },
          Qt::QueuedConnection);
    }
    return false;
  }

 private:
  bool reported_ = false;
};

}  // namespace

int main(int argc, char** argv) {
  const vela::WindowCommandLine line =
      vela::ParseWindowCommandLine(std::vector<std::string>(argv + 1, argv + argc));
  if (!line.error.empty()) {
    std::fprintf(stderr, "velalink: %s\n\n%s", line.error.c_str(), vela::WindowUsageText().c_str());
    return 2;
  }
  if (line.help) {
    std::fputs(vela::WindowUsageText().c_str(), stdout);
    return 0;
  }
  if (line.version) {
    std::fputs(vela::ProgramVersionText("velalink").c_str(), stdout);
    return 0;
  }
  vela::QtApplication app(argc, argv);
  app.setApplicationName("VelaLink");
  app.setDesktopFileName("velalink");
  app.setWindowIcon(vela::ProgramIcon());
  vela::InstallQtTranslations(app);
  vela::QtProgramOptions options;
  options.fastExchange = !line.exactTiming;
  vela::QtProgram program(options);
  if (program.Failed()) return 1;
  vela::QtMainWindow& window = program.Window();
  // The application's title names the program where the desktop lists it
  // (the icon name), without changing the window's caption.
  window.setWindowIconText(QString::fromUtf8(vela::msg::kApplicationTitle));
  FirstPaintReporter paintReporter;
  if (line.reportPaint) window.installEventFilter(&paintReporter);
  window.show();
  vela::QtAutoRead autoRead(program.Form(), window, line.autoRead);
  if (line.Unattended()) {
    autoRead.Start();
  } else {
    vela::ChooseStartPort(program.Form(), line.autoRead.port);
  }
  return app.exec();
}
