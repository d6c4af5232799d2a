#include <windows.h>
// windows.h first: the device installation headers need its types.
#include <initguid.h>
// initguid.h before devguid.h: the class GUID is defined here.
#include <devguid.h>
#include <setupapi.h>

#include <map>
#include <vector>

#include "common/Win32Text.h"
#include "serial/PortDiscovery.h"

namespace vela {
namespace {

// Every MS-DOS device name of the system; the buffer grows until they fit.
std::vector<std::string> DosDeviceNames() {
  std::vector<wchar_t> buffer(32768);
  for (;;) {
    const DWORD length = QueryDosDeviceW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length != 0) {
      std::vector<std::string> names;
      for (const wchar_t* name = buffer.data(); *name != L'\0' && name < buffer.data() + length;
           name += wcslen(name) + 1) {
        names.push_back(win32::Narrow(name, wcslen(name)));
      }
      return names;
    }
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || buffer.size() >= (1u << 22)) return {};
    buffer.resize(buffer.size() * 2);
  }
}

// The kernel device a DOS name leads to ("\Device\Serial0").
std::string DosDeviceTarget(const std::string& name) {
  wchar_t target[1024] = {};
  if (QueryDosDeviceW(win32::Widen(name).c_str(), target, 1024) == 0) return {};
  return win32::Narrow(target, wcslen(target));
}

std::string RegistryText(HKEY key, const wchar_t* value) {
  wchar_t text[256] = {};
  DWORD size = sizeof text - sizeof(wchar_t);
  DWORD type = 0;
  if (RegQueryValueExW(key, value, nullptr, &type, reinterpret_cast<BYTE*>(text), &size) !=
          ERROR_SUCCESS ||
      type != REG_SZ) {
    return {};
  }
  return win32::Narrow(text, wcslen(text));
}

std::string DeviceProperty(HDEVINFO devices, SP_DEVINFO_DATA& device, DWORD property) {
  wchar_t text[512] = {};
  if (!SetupDiGetDeviceRegistryPropertyW(devices, &device, property, nullptr,
                                         reinterpret_cast<BYTE*>(text),
                                         sizeof text - sizeof(wchar_t), nullptr)) {
    return {};
  }
  return win32::Narrow(text, wcslen(text));
}

// "USB\VID_0403&PID_6001..." → the two numbers.
void ReadUsbIdentity(const std::string& hardwareId, SerialPortInfo& port) {
  if (hardwareId.rfind("USB\\", 0) != 0 && hardwareId.rfind("FTDIBUS\\", 0) != 0) return;
  const size_t vid = hardwareId.find("VID_");
  const size_t pid = hardwareId.find("PID_");
  if (vid == std::string::npos || pid == std::string::npos) return;
  port.usb = true;
  port.vendorId = hardwareId.substr(vid + 4, 4);
  port.productId = hardwareId.substr(pid + 4, 4);
}

// The device manager's ports: their names as the user sees them, by COM name.
std::map<std::string, SerialPortInfo> DeviceManagerPorts() {
  std::map<std::string, SerialPortInfo> ports;
  const HDEVINFO devices =
      SetupDiGetClassDevsW(&GUID_DEVCLASS_PORTS, nullptr, nullptr, DIGCF_PRESENT);
  if (devices == INVALID_HANDLE_VALUE) return ports;
  SP_DEVINFO_DATA device{};
  device.cbSize = sizeof device;
  for (DWORD index = 0; SetupDiEnumDeviceInfo(devices, index, &device); ++index) {
    const HKEY key =
        SetupDiOpenDevRegKey(devices, &device, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_READ);
    if (key == INVALID_HANDLE_VALUE) continue;
    const std::string name = RegistryText(key, L"PortName");
    RegCloseKey(key);
    if (name.empty()) continue;
    SerialPortInfo& port = ports[name];
    port.description = DeviceProperty(devices, device, SPDRP_FRIENDLYNAME);
    port.manufacturer = DeviceProperty(devices, device, SPDRP_MFG);
    ReadUsbIdentity(DeviceProperty(devices, device, SPDRP_HARDWAREID), port);
  }
  SetupDiDestroyDeviceInfoList(devices);
  return ports;
}

}  // namespace

DiscoveryRoots DefaultDiscoveryRoots() {
  return {};
}

std::vector<SerialPortInfo> ListSerialPorts(const DiscoveryRoots&) {
  const std::map<std::string, SerialPortInfo> known = DeviceManagerPorts();
  std::vector<SerialPortInfo> list;
  for (const std::string& name : ComDeviceNames(DosDeviceNames())) {
    const auto found = known.find(name);
    SerialPortInfo port = found != known.end() ? found->second : SerialPortInfo{};
    port.name = name;
    port.node = DosDeviceTarget(name);
    list.push_back(std::move(port));
  }
  return list;
}

std::vector<SerialPortInfo> ListSerialPorts() {
  return ListSerialPorts(DefaultDiscoveryRoots());
}

}  // namespace vela
