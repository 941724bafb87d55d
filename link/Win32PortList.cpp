#include <windows.h>

#include <cfgmgr32.h>
#include <devpropdef.h>
#include <setupapi.h>

#include "link/PortDescription.h"
#include "link/PortList.h"
#include "link/PortNames.h"

// The names come from the registry's SERIALCOMM map (ListSerialPorts), which
// holds every serial port a driver made, USB or not.  What identifies each
// comes from the device manager, through SetupAPI: the devices of the Ports
// class carry their COM name under "PortName" in their device key.

namespace tessaro {

namespace {

// {4d36e978-e325-11ce-bfc1-08002be10318}: the Ports (COM and LPT) class.
constexpr GUID kPortsClass = {
    0x4d36e978, 0xe325, 0x11ce, {0xbf, 0xc1, 0x08, 0x00, 0x2b, 0xe1, 0x03, 0x18}};
// DEVPKEY_Device_BusReportedDeviceDesc: the product string the device reports.
constexpr DEVPROPKEY kBusReportedDescription = {
    {0x540b947e, 0x8b40, 0x45bc, {0xa8, 0xa2, 0x6a, 0x0b, 0x89, 0x4c, 0xbd, 0xa2}}, 4};

constexpr int kTextSize = 512;  // wide characters, terminating zero included

std::string Utf8(const wchar_t* text) {
  char out[3 * kTextSize];
  const int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, out, sizeof out, nullptr, nullptr);
  return n > 0 ? std::string(out) : std::string();
}

std::string RegistryProperty(HDEVINFO set, SP_DEVINFO_DATA& device, DWORD property) {
  wchar_t text[kTextSize] = {};
  DWORD type = 0;
  // One character short: a value stored without its zero still ends in one.
  if (SetupDiGetDeviceRegistryPropertyW(set, &device, property, &type,
                                        reinterpret_cast<BYTE*>(text), sizeof text - sizeof text[0],
                                        nullptr) == FALSE ||
      (type != REG_SZ && type != REG_MULTI_SZ)) {
    return {};
  }
  return Utf8(text);  // of a list, the first
}

std::string BusReportedProduct(HDEVINFO set, SP_DEVINFO_DATA& device) {
  wchar_t text[kTextSize] = {};
  DEVPROPTYPE type = 0;
  if (SetupDiGetDevicePropertyW(set, &device, &kBusReportedDescription, &type,
                                reinterpret_cast<BYTE*>(text), sizeof text - sizeof text[0],
                                nullptr, 0) == FALSE ||
      type != DEVPROP_TYPE_STRING) {
    return {};
  }
  return Utf8(text);
}

// The COM name the device's key gives it ("COM7"), or empty.
std::string PortNameOfDevice(HDEVINFO set, SP_DEVINFO_DATA& device) {
  HKEY key = SetupDiOpenDevRegKey(set, &device, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_QUERY_VALUE);
  if (key == INVALID_HANDLE_VALUE) return {};
  wchar_t text[64] = {};
  DWORD size = sizeof text - sizeof text[0];
  DWORD type = 0;
  const LONG got =
      RegQueryValueExW(key, L"PortName", nullptr, &type, reinterpret_cast<BYTE*>(text), &size);
  RegCloseKey(key);
  return got == ERROR_SUCCESS && type == REG_SZ ? Utf8(text) : std::string();
}

// The instance ids of the device and of the devices above it, nearest
// first: a USB adapter's serial number is in its USB device's id, which is
// the port's own or, behind a vendor's bus driver or a composite device's
// interface, a parent's.
std::vector<std::string> InstanceIds(DEVINST instance) {
  std::vector<std::string> ids;
  for (int level = 0; level < 3; ++level) {
    wchar_t id[MAX_DEVICE_ID_LEN + 1] = {};
    if (CM_Get_Device_IDW(instance, id, MAX_DEVICE_ID_LEN, 0) != CR_SUCCESS) break;
    ids.push_back(Utf8(id));
    DEVINST parent = 0;
    if (CM_Get_Parent(&parent, instance, 0) != CR_SUCCESS) break;
    instance = parent;
  }
  return ids;
}

bool SameName(const std::string& a, const std::string& b) {
  return CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, a.c_str(), -1, b.c_str(), -1) ==
         CSTR_EQUAL;
}

}  // namespace

std::vector<PortInfo> ListSerialDevices(const std::string&) {
  std::vector<PortInfo> ports;
  for (const std::string& name : ListSerialPorts()) ports.push_back(PortInfo{name, name, ""});
  if (ports.empty()) return ports;
  HDEVINFO set = SetupDiGetClassDevsW(&kPortsClass, nullptr, nullptr, DIGCF_PRESENT);
  if (set == INVALID_HANDLE_VALUE) return ports;
  SP_DEVINFO_DATA device{};
  device.cbSize = sizeof device;
  for (DWORD index = 0; SetupDiEnumDeviceInfo(set, index, &device) != FALSE; ++index) {
    const std::string name = PortNameOfDevice(set, device);
    if (name.empty()) continue;
    for (PortInfo& port : ports) {
      if (!SameName(port.name, name) || !port.description.empty()) continue;
      PortDeviceFacts facts;
      facts.friendlyName = RegistryProperty(set, device, SPDRP_FRIENDLYNAME);
      facts.manufacturer = RegistryProperty(set, device, SPDRP_MFG);
      facts.product = BusReportedProduct(set, device);
      facts.hardwareId = RegistryProperty(set, device, SPDRP_HARDWAREID);
      facts.instanceIds = InstanceIds(device.DevInst);
      port.description = DescribePortDevice(facts, port.name);
    }
  }
  SetupDiDestroyDeviceInfoList(set);
  return ports;
}

}  // namespace tessaro
