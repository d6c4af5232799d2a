// Discovery from a sysfs fixture: what is listed, under which name, and the
// name a USB adapter keeps when it comes back as another node.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "serial/PortDiscovery.h"
#include "serial/PortNames.h"
#include "tests/serial/PtyPair.h"

namespace vela {
namespace {

namespace fs = std::filesystem;

const char kById[] = "usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0";
const char kOtherById[] = "usb-Prolific_PL2303-if00-port0";

class PortDiscoveryTest : public ::testing::Test {
 protected:
  PortDiscoveryTest() {
    root_ = ports_.Path() + "-sys";
    roots_ = {root_ + "/sys/class/tty", root_ + "/sys/dev/char", root_ + "/dev",
              root_ + "/dev/serial/by-id"};
    fs::create_directories(roots_.byId);
    AddUart("ttyS0", "4");
    AddUart("ttyS1", "0");                              // a legacy node with no UART behind it
    fs::create_directories(roots_.classTty + "/tty0");  // a console: no device
  }
  ~PortDiscoveryTest() override { fs::remove_all(root_); }

  static void Write(const fs::path& file, const std::string& text) {
    fs::create_directories(file.parent_path());
    std::ofstream(file) << text << "\n";
  }
  void AddNode(const std::string& node) const { Write(roots_.dev + "/" + node, ""); }
  void AddUart(const std::string& node, const std::string& type) const {
    const fs::path entry = roots_.classTty + "/" + node;
    fs::create_directories(root_ + "/sys/devices/platform/serial8250");
    Write(entry / "type", type);
    fs::create_symlink(root_ + "/sys/devices/platform/serial8250", entry / "device");
    AddNode(node);
  }
  // A USB adapter plugged in as node, known by the by-id name.
  void PlugAdapter(const std::string& node, const std::string& byId, const std::string& serial) {
    const fs::path usb = root_ + "/sys/devices/usb1/" + serial;
    Write(usb / "idVendor", "0403");
    Write(usb / "idProduct", "6001");
    Write(usb / "manufacturer", "FTDI");
    Write(usb / "product", "FT232R USB UART");
    Write(usb / "serial", serial);
    fs::create_directories(usb / "1-1:1.0");
    fs::create_directories(roots_.classTty + "/" + node);
    fs::create_symlink(usb / "1-1:1.0", roots_.classTty + "/" + node + "/device");
    AddNode(node);
    fs::create_symlink("../../" + node, roots_.byId + "/" + byId);
  }
  void Unplug(const std::string& node, const std::string& byId) const {
    fs::remove_all(roots_.classTty + "/" + node);
    fs::remove(roots_.dev + "/" + node);
    fs::remove(roots_.byId + "/" + byId);
  }
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const auto& port : ListSerialPorts(roots_)) names.push_back(port.name + " " + port.node);
    return names;
  }

  testing::PortsFolder ports_;
  std::string root_;
  DiscoveryRoots roots_;
};

TEST_F(PortDiscoveryTest, ListsUartsAndAdaptersWithTheirIdentity) {
  PlugAdapter("ttyUSB0", kById, "A50285BI");
  const auto ports = ListSerialPorts(roots_);
  ASSERT_EQ(ports.size(), 2u);
  EXPECT_EQ(ports[0].name, "COM1");
  EXPECT_FALSE(ports[0].usb);
  EXPECT_EQ(ports[1].name, "COM33");
  EXPECT_EQ(ports[1].node, roots_.dev + "/ttyUSB0");
  EXPECT_EQ(ports[1].byId, kById);
  EXPECT_EQ(ports[1].vendorId + ":" + ports[1].productId, "0403:6001");
  EXPECT_EQ(ports[1].product, "FT232R USB UART");
  EXPECT_EQ(ports[1].serial, "A50285BI");
  // The adapter's number is remembered by its by-id name.
  EXPECT_EQ(fs::read_symlink(ports_.Path() + "/COM33"), fs::path(roots_.byId) / kById);
}

TEST_F(PortDiscoveryTest, AnAdapterKeepsItsNumberAsAnotherNode) {
  PlugAdapter("ttyUSB0", kById, "A50285BI");
  ListSerialPorts(roots_);
  Unplug("ttyUSB0", kById);
  PlugAdapter("ttyUSB0", kOtherById, "P1");  // another adapter takes the node first
  PlugAdapter("ttyUSB1", kById, "A50285BI");
  EXPECT_EQ(Names(), (std::vector<std::string>{"COM1 " + roots_.dev + "/ttyS0",
                                               "COM33 " + roots_.dev + "/ttyUSB1",
                                               "COM34 " + roots_.dev + "/ttyUSB0"}));
  Unplug("ttyUSB1", kById);
  // Away, the adapter's name is not given to another.
  EXPECT_EQ(Names(), (std::vector<std::string>{"COM1 " + roots_.dev + "/ttyS0",
                                               "COM34 " + roots_.dev + "/ttyUSB0"}));
}

TEST_F(PortDiscoveryTest, PortsFolderLinksToTerminalsAreListedWithoutOpeningThem) {
  testing::PtyPair pty;
  ports_.Link("COM150", pty.SlavePath());
  ports_.Link("COM151", "/dev/null");  // a character device, but no terminal
  const auto ports = ListSerialPorts(roots_);
  ASSERT_EQ(ports.size(), 2u);
  EXPECT_EQ(ports[1].name, "COM150");
  EXPECT_EQ(ports[1].node, pty.SlavePath());
  EXPECT_TRUE(ports[1].accessible);
}

}  // namespace
}  // namespace vela
