// The port list as an operator without access to every port sees it: each
// port with its product and device, one that opens offered first, and the
// list wide enough for every item.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QAbstractItemView>
#include <QComboBox>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "qt/QtProgram.h"
#include "qt/tests/QtTestApp.h"
#include "tests/serial/UnprivilegedChild.h"

namespace vela {
namespace {

namespace fs = std::filesystem;

// A sysfs and /dev tree with a UART only root may open and a USB adapter
// anyone may; readable by all, so that nobody can list it.
class PortFixture {
 public:
  PortFixture()
      : root_(fs::temp_directory_path() / ("velalink-ports-" + std::to_string(getpid()))) {
    fs::remove_all(root_);
    const fs::path tty = root_ / "sys/class/tty";
    Write(tty / "ttyS0/type", "4");
    fs::create_directories(root_ / "sys/devices/platform/serial8250");
    fs::create_symlink(root_ / "sys/devices/platform/serial8250", tty / "ttyS0/device");
    const fs::path usb = root_ / "sys/devices/usb1/A50285BI";
    Write(usb / "idVendor", "0403");
    Write(usb / "idProduct", "6001");
    Write(usb / "product", "FT232R USB UART");
    fs::create_directories(usb / "1-1:1.0");
    fs::create_directories(tty / "ttyUSB0");
    fs::create_symlink(usb / "1-1:1.0", tty / "ttyUSB0/device");
    Write(root_ / "dev/ttyS0", "");
    Write(root_ / "dev/ttyUSB0", "");
    fs::create_directories(root_ / "ports");
    fs::create_directories(root_ / "dev/serial/by-id");
    for (const auto& entry : fs::recursive_directory_iterator(root_)) {
      if (!entry.is_symlink()) ::chmod(entry.path().c_str(), entry.is_directory() ? 0755 : 0644);
    }
    ::chmod(root_.c_str(), 0755);
    ::chmod((root_ / "dev/ttyS0").c_str(), 0600);
    ::chmod((root_ / "dev/ttyUSB0").c_str(), 0666);
  }
  ~PortFixture() { fs::remove_all(root_); }
  std::string Root() const { return root_.string(); }

 private:
  static void Write(const fs::path& file, const std::string& text) {
    fs::create_directories(file.parent_path());
    std::ofstream(file) << text << "\n";
  }
  fs::path root_;
};

TEST(QtPortListTest, ShowsProductAndDeviceAndOffersAPortThatOpens) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to run the window as nobody";
  test::EnsureQtApplication();
  PortFixture fixture;
  const auto seen = testing::RunUnprivileged([&] {
    ::setenv("VELALINK_SYSFS_ROOT", fixture.Root().c_str(), 1);
    ::setenv("VELALINK_PORTS_DIR", (fixture.Root() + "/ports").c_str(), 1);
    QtProgram program(test::Quiet());
    auto* box = qobject_cast<QComboBox*>(program.Window().WidgetOf(program.Form().cbComPort));
    if (!box) return std::string("no box");
    program.Window().show();
    box->showPopup();
    std::string text;
    const QFontMetrics metrics(box->view()->font());
    for (int i = 0; i < box->count(); ++i) {
      text += box->itemText(i).toStdString();
      if (metrics.horizontalAdvance(box->itemText(i)) > box->view()->viewport()->width()) {
        text += " [cut]";
      }
      text += "\n";
    }
    box->hidePopup();
    return text + "offered: " + program.Form().cbComPort.Text();
  });
  if (!seen) GTEST_SKIP() << "cannot drop privileges to nobody here";
  EXPECT_EQ(*seen,
            "COM1 (ttyS0, нет доступа)\n"
            "COM33 — FT232R USB UART (ttyUSB0)\n"
            "offered: COM33 — FT232R USB UART (ttyUSB0)");
}

}  // namespace
}  // namespace vela
