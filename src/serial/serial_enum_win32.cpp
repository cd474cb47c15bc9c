// The system's serial ports on Windows: the setup API's COM-port interfaces, completed from the
// registry's SERIALCOMM map. Texts come from the wide APIs and are kept in UTF-8.

#include "serial/serial_enum.h"

#include <cstdio>
#include <exception>
#include <memory>

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#include <setupapi.h>

namespace {

// {86E0D1E0-8089-11D0-9CE4-08003E301F73}: devices that offer a COM port.
const GUID kComPortInterface = {0x86E0D1E0, 0x8089, 0x11D0, {0x9C, 0xE4, 0x08, 0x00, 0x3E, 0x30, 0x1F, 0x73}};

std::string Utf8(const wchar_t* text, int length = -1)
{
    if (!text)
        return {};
    if (length < 0)
        length = static_cast<int>(wcslen(text));
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
    if (size > 0)
        ::WideCharToMultiByte(CP_UTF8, 0, text, length, out.data(), size, nullptr, nullptr);
    return out;
}

std::wstring Wide(const std::string& utf8)
{
    const int size = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring out(static_cast<std::size_t>(size > 0 ? size : 0), L'\0');
    if (size > 0)
        ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), size);
    return out;
}

[[noreturn]] void Raise(const char* what, DWORD error)
{
    char text[96];
    std::snprintf(text, sizeof text, "%s failed. (err=%lx)", what, static_cast<unsigned long>(error));
    throw CSerialEnumError(text);
}

// A device's text property (256 bytes at most, as the system's own dialogs show them).
bool DeviceText(HDEVINFO set, SP_DEVINFO_DATA& device, DWORD property, std::string& text)
{
    wchar_t buffer[128 + 1] = {};
    if (!::SetupDiGetDeviceRegistryPropertyW(set, &device, property, nullptr, reinterpret_cast<BYTE*>(buffer),
                                             sizeof buffer - sizeof(wchar_t), nullptr))
        return false;
    text = Utf8(buffer);
    return true;
}

struct SDeviceSet
{
    HDEVINFO handle;
    ~SDeviceSet() { ::SetupDiDestroyDeviceInfoList(handle); }
};

void AddInterfaceDevices(std::vector<SSerInfo>& ports)
{
    const HDEVINFO handle =
        ::SetupDiGetClassDevsW(&kComPortInterface, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
    if (handle == INVALID_HANDLE_VALUE)
        Raise("SetupDiGetClassDevs", ::GetLastError());
    const SDeviceSet set{handle};
    for (DWORD index = 0;; ++index) {
        SP_DEVICE_INTERFACE_DATA iface{};
        iface.cbSize = sizeof iface;
        if (!::SetupDiEnumDeviceInterfaces(set.handle, nullptr, &kComPortInterface, index, &iface)) {
            const DWORD error = ::GetLastError();
            if (error == ERROR_NO_MORE_ITEMS)
                return;
            Raise("SetupDiEnumDeviceInterfaces", error);
        }
        DWORD needed = 0;
        ::SetupDiGetDeviceInterfaceDetailW(set.handle, &iface, nullptr, 0, &needed, nullptr);
        if (needed < sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W))
            needed = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W);
        auto storage = std::make_unique<unsigned char[]>(needed);
        auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_W*>(storage.get());
        detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W);
        SP_DEVINFO_DATA device{};
        device.cbSize = sizeof device;
        if (!::SetupDiGetDeviceInterfaceDetailW(set.handle, &iface, detail, needed, nullptr, &device))
            Raise("SetupDiGetDeviceInterfaceDetail", ::GetLastError());

        SSerInfo info;
        if (!DeviceText(set.handle, device, SPDRP_FRIENDLYNAME, info.FriendlyName) ||
            !DeviceText(set.handle, device, SPDRP_DEVICEDESC, info.Description))
            continue;
        std::string location;
        if (DeviceText(set.handle, device, SPDRP_LOCATION_INFORMATION, location))
            info.IsUsb = location.compare(0, 3, "USB") == 0 ? 1 : 0;
        info.DevicePath = Utf8(detail->DevicePath);
        ports.push_back(std::move(info));
    }
}

// Port names of the SERIALCOMM map ("COM3", ...); empty when the key cannot be read.
std::vector<std::string> SerialCommNames()
{
    std::vector<std::string> names;
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_READ, &key) != ERROR_SUCCESS)
        return names;
    for (DWORD index = 0;; ++index) {
        wchar_t name[128 + 1];
        DWORD nameLength = 128;
        wchar_t data[128 + 1] = {};
        DWORD dataBytes = sizeof data - sizeof(wchar_t);
        DWORD type = 0;
        const LONG r = ::RegEnumValueW(key, index, name, &nameLength, nullptr, &type,
                                       reinterpret_cast<BYTE*>(data), &dataBytes);
        if (r == ERROR_NO_MORE_ITEMS)
            break;
        if (r != ERROR_SUCCESS || type != REG_SZ)
            continue;
        names.push_back(Utf8(data, static_cast<int>(wcsnlen(data, dataBytes / sizeof(wchar_t)))));
    }
    ::RegCloseKey(key);
    return names;
}

} // namespace

bool SerialDeviceBusy(const std::string& devicePath)
{
    const HANDLE h = ::CreateFileW(Wide(devicePath).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                   OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return true;
    ::CloseHandle(h);
    return false;
}

std::string ComDevicePath(int portNumber)
{
    if (portNumber < 1 || portNumber > 255)
        return {};
    return "\\\\.\\COM" + std::to_string(portNumber);
}

void EnumerateSerialPorts(std::vector<SSerInfo>& ports, bool checkBusy)
{
    ports.clear();
    // The records found before a failure are still completed, so callers may go on with them.
    std::exception_ptr failure;
    try {
        AddInterfaceDevices(ports);
    } catch (...) {
        failure = std::current_exception();
    }
    if (checkBusy)
        std::erase_if(ports, [](const SSerInfo& p) { return SerialDeviceBusy(p.DevicePath); });
    CompleteSerialRecords(ports);
    if (failure)
        std::rethrow_exception(failure);
}

std::vector<SPortListEntry> ListSerialPorts()
{
    try {
        std::vector<SSerInfo> ports;
        try {
            EnumerateSerialPorts(ports, false);
        } catch (const std::exception&) {
            // Go on with what was found; the SERIALCOMM map may still name more.
        }
        AddPortMapNames(ports, SerialCommNames());
        return BuildPortList(ports);
    } catch (...) {
        return {};
    }
}
