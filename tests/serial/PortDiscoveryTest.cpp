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

// The window's list: what an operator needs to tell the ports apart, and the
// name each item opens.
struct ItemCase {
  SerialPortInfo port;
  const char* item;
};

class PortListItemTest : public ::testing::TestWithParam<ItemCase> {};

TEST_P(PortListItemTest, NamesProductAndNodeAndOpensTheName) {
  const ItemCase& c = GetParam();
  EXPECT_EQ(PortListItem(c.port), c.item);
  EXPECT_EQ(PortNameOfItem(c.item), c.port.name);
}

SerialPortInfo Port(const char* name, const char* node, const char* product, bool usb,
                    bool accessible) {
  SerialPortInfo port;
  port.name = name;
  port.node = node;
  port.product = product;
  port.usb = usb;
  port.accessible = accessible;
  return port;
}

INSTANTIATE_TEST_SUITE_P(
    Items, PortListItemTest,
    ::testing::Values(ItemCase{Port("COM33", "/dev/ttyUSB0", "FT232R USB UART", true, true),
                               "COM33 — FT232R USB UART (ttyUSB0)"},
                      ItemCase{Port("COM1", "/dev/ttyS0", "", false, false),
                               "COM1 (ttyS0, нет доступа)"},
                      ItemCase{Port("COM7", "/dev/pts/3", "", false, true), "COM7 (pts/3)"},
                      ItemCase{Port("COM34", "/dev/ttyUSB1", "USB-Serial", true, false),
                               "COM34 — USB-Serial (ttyUSB1, нет доступа)"}));

// The port offered first: one that opens, a USB adapter before a UART.
struct PreferenceCase {
  const char* name;
  std::vector<SerialPortInfo> ports;
  size_t preferred;
};

class PreferredPortTest : public ::testing::TestWithParam<PreferenceCase> {};

TEST_P(PreferredPortTest, OffersAPortThatOpensUsbFirst) {
  EXPECT_EQ(PreferredPortIndex(GetParam().ports), GetParam().preferred);
}

const SerialPortInfo kUartOpen = Port("COM1", "/dev/ttyS0", "", false, true);
const SerialPortInfo kUartShut = Port("COM1", "/dev/ttyS0", "", false, false);
const SerialPortInfo kUsbOpen = Port("COM33", "/dev/ttyUSB0", "FT232R", true, true);
const SerialPortInfo kUsbShut = Port("COM33", "/dev/ttyUSB0", "FT232R", true, false);

INSTANTIATE_TEST_SUITE_P(
    Lists, PreferredPortTest,
    ::testing::Values(PreferenceCase{"UsbBeforeUart", {kUartOpen, kUsbOpen}, 1},
                      PreferenceCase{"UartThatOpensBeforeUsbThatDoesNot", {kUartOpen, kUsbShut}, 0},
                      PreferenceCase{"OpenUartAfterShutOne", {kUartShut, kUartOpen}, 1},
                      PreferenceCase{"NoneOpens", {kUartShut, kUsbShut}, 0},
                      PreferenceCase{"Empty", {}, 0}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace vela
