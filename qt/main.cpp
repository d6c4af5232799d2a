// velalink: the VelaLink main window.
//
//   velalink [--port COMn] [--autoread] [--continuous SECONDS] [--screenshot PATH]
//            [--report-paint] [--fast]
//
// --port selects the port at start; --autoread presses "прочитать однократно",
// waits for the read to end, saves the picture given by --screenshot and ends
// (exit status 0 when the read succeeded); --continuous reads continuously for
// SECONDS and ends the same way; --report-paint prints the wall-clock time of
// the first painted window as "first-paint-epoch-ms: N"; --fast ends each
// answer as soon as its frame is whole instead of after 50 ms of silence.

#include <QDateTime>
#include <QEvent>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/Messages.h"
#include "qt/QtAutoRead.h"
#include "qt/QtProgram.h"

namespace {

struct CommandLine {
  vela::QtAutoReadOptions autoRead;
  bool reportPaint = false;
  bool fast = false;
  bool valid = true;
};

CommandLine ParseCommandLine(int argc, char** argv) {
  CommandLine line;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool hasValue = i + 1 < argc;
    if (arg == "--port" && hasValue) {
      line.autoRead.port = argv[++i];
    } else if (arg == "--autoread") {
      line.autoRead.readOnce = true;
    } else if (arg == "--continuous" && hasValue) {
      line.autoRead.continuous = true;
      line.autoRead.runSeconds = std::atoi(argv[++i]);
    } else if (arg == "--screenshot" && hasValue) {
      line.autoRead.screenshot = QString::fromLocal8Bit(argv[++i]);
    } else if (arg == "--report-paint") {
      line.reportPaint = true;
    } else if (arg == "--fast") {
      line.fast = true;
    } else if (arg.rfind("-", 0) == 0) {  // Qt's own options (-platform ...) pass
      line.valid = arg.rfind("--", 0) != 0;
    }
  }
  return line;
}

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
  vela::QtApplication app(argc, argv);
  app.setApplicationName("VelaLink");
  const CommandLine line = ParseCommandLine(argc, argv);
  if (!line.valid) {
    std::fprintf(stderr,
                 "velalink [--port COMn] [--autoread] [--continuous SECONDS] "
                 "[--screenshot PATH] [--report-paint] [--fast]\n");
    return 2;
  }
  vela::QtProgramOptions options;
  options.fastExchange = line.fast;
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
  const bool unattended =
      line.autoRead.readOnce || line.autoRead.continuous || !line.autoRead.screenshot.isEmpty();
  if (unattended) autoRead.Start();
  return app.exec();
}
