#include "qt/QtProgram.h"

#include <QGuiApplication>
#include <QScreen>

#include "common/ArkSysUtils.h"
#include "debugcon/DebugOutput.h"
#include "ident/ArkGost3411.h"
#include "qt/QtCanvas.h"
#include "qt/QtHandOver.h"
#include "serial/PortDiscovery.h"
#include "serial/PortNames.h"

// The glyphs live in a static library: pull their resource file in.
static void InitGlyphResources() {
  Q_INIT_RESOURCE(glyphs);
}

namespace vela {
namespace {

class DebugConsoleTarget : public TTraceTarget {
 public:
  bool Send(const std::string& text) override { return output_->Send(text); }

 private:
  std::unique_ptr<TDebugOutput> output_ = OpenDebugOutput();
};

}  // namespace

QtApplication::QtApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool QtApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (const std::exception& e) {
    if (OnException) OnException(e);
  }
  return false;
}

QtProgram::QtProgram(const QtProgramOptions& options)
    : options_(options), bitmaps_(options.bitmapFolder) {
  InitGlyphResources();
  InstallQtHandOver();
  // The form keeps the dialog among its seams, so the dialog comes first; it
  // moves onto the window once that exists.
  optionsDialog_ = std::make_unique<QtIecOptionsDialog>(
      nullptr, options_.messageBox ? options_.messageBox : &messageBox_);
  form_ = std::make_unique<TForm1>(MakeSeams());
  optionsDialog_->OnStoreFailed = [this](const std::exception& e) {
    form_->Engine().HandleException(optionsDialog_.get(), e);
  };
  if (form_->StartupFailed()) return;
  window_ = std::make_unique<QtMainWindow>(*form_, bitmaps_);
  tools_ =
      std::make_unique<QtTools>(*form_, *window_, saveDialog_,
                                options_.messageBox ? *options_.messageBox : messageBox_, clock_);
  saveDialog_.SetParent(window_.get());
  optionsDialog_->setParent(window_.get(), optionsDialog_->windowFlags());
  if (!form_->btnIecCfg.OnClick) {
    form_->btnIecCfg.OnClick = [this] {
      TIecOptions options{form_->IecDeviceOptions(), {}};
      if (optionsDialog_->Execute(TIecOptionsMode::Device, options)) {
        form_->IecDeviceOptions() = options.device;
      }
    };
  }
  if (auto* app = dynamic_cast<QtApplication*>(QCoreApplication::instance())) {
    app->OnException = [this](const std::exception& e) {
      form_->Engine().HandleException(nullptr, e);
    };
  }
  if (options_.watchPorts) WatchPorts();
}

QtProgram::~QtProgram() {
  portWatcher_.reset();
  if (auto* app = dynamic_cast<QtApplication*>(QCoreApplication::instance())) {
    app->OnException = nullptr;
  }
  optionsDialog_.reset();
  tools_.reset();
  window_.reset();
  form_.reset();
}

TForm1Seams QtProgram::MakeSeams() {
  TForm1Seams seams(clock_, timers_);
  seams.saveDialog = &saveDialog_;
  seams.messageBox = options_.messageBox ? options_.messageBox : &messageBox_;
  seams.iecOptionsDialog = optionsDialog_.get();
  seams.canvasFactory = [] { return std::make_unique<QtCanvas>(kPanelWidth, kPanelHeight); };
  seams.wiringCanvasFactory = [](int width, int height) {
    return std::make_unique<QtCanvas>(width, height);
  };
  if (options_.debugConsole) {
    seams.debugOutputFactory = [] { return std::make_unique<DebugConsoleTarget>(); };
  }
  seams.hasResource = [this](const std::string& name) { return bitmaps_.Has(name); };
  const std::string self = OwnExecutablePath();
  seams.programVersion = FileVersionText(self);
  seams.fastExchange = options_.fastExchange;
  seams.programDigest = [self] { return HashFileGost256(self); };
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    seams.screenWidth = screen->geometry().width();
    seams.screenHeight = screen->geometry().height();
  }
  return seams;
}

void QtProgram::WatchPorts() {
  try {
    portWatcher_ = std::make_unique<PortWatcher>();
  } catch (const std::exception& e) {
    form_->Engine().HandleException(nullptr, e);  // the list stays as found at start-up
    return;
  }
  portWatcher_->OnDeviceArrived = [this](const std::string&) {
    form_->DeviceChange(TForm1::kDeviceArrived);
  };
  portWatcher_->OnDeviceRemoved = [this](const std::string&) {
    form_->DeviceChange(TForm1::kDeviceRemoved);
  };
}

}  // namespace vela
