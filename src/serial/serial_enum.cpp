#include "serial/serial_enum.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <system_error>

#ifdef _WIN32
// The system's own ports come from serial_enum_win32.cpp; the device trees here stay for tests.
bool SerialDeviceBusy(const std::string& devicePath);
#else
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>
#endif

#include "serial/com_alias.h"

namespace fs = std::filesystem;

namespace {

struct SDeviceFamily
{
    const char* prefix;
    int firstPort;
    int count;
};

// Each family owns its own range, so adding or unplugging one kind of device never renumbers
// another.
constexpr std::array<SDeviceFamily, 11> kFamilies{{
    {"ttyS", 1, 32},
    {"ttyUSB", 33, 32},
    {"ttyACM", 65, 32},
    {"ttyAMA", 97, 16},
    {"rfcomm", 113, 32},
    // Rarer kinds, each in a block of its own after the common ones.
    {"ttyXRUSB", 145, 16},
    {"ttymxc", 161, 8},
    {"ttyO", 169, 8},
    {"ttyTHS", 177, 8},
    {"ttySC", 185, 8},
    {"ttyGS", 193, 8},
}};

bool IsBuiltInUartName(const std::string& name)
{
    const int n = ComNumberForDeviceName(name);
    return n >= kFamilies[0].firstPort && n < kFamilies[0].firstPort + kFamilies[0].count;
}

constexpr const char* kPlainDescription = "Communications Port";

// Digits only, no sign, no leading zero (except "0"); -1 when not such a number or too long.
int StrictNumber(const std::string& digits)
{
    if (digits.empty() || digits.size() > 4)
        return -1;
    if (digits.size() > 1 && digits[0] == '0')
        return -1;
    int n = 0;
    for (char c : digits) {
        if (c < '0' || c > '9')
            return -1;
        n = n * 10 + (c - '0');
    }
    return n;
}

// The longest numeric prefix (optional blanks and sign, then digits); 0 when there is none.
int LeadingNumber(const std::string& text)
{
    std::size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i])))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    long n = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        n = n * 10 + (text[i] - '0');
        if (n > 1000000)
            break; // far outside any port number; stop before it overflows
    }
    return static_cast<int>(negative ? -n : n);
}

std::string Lower(std::string s)
{
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

std::string Trimmed(std::string s)
{
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back())))
        s.pop_back();
    std::size_t i = 0;
    while (i < s.size() && std::isspace(static_cast<unsigned char>(s[i])))
        ++i;
    return s.substr(i);
}

// First line of a small sysfs attribute; "" when it cannot be read.
std::string ReadAttribute(const fs::path& file)
{
    std::ifstream in(file);
    std::string line;
    if (in)
        std::getline(in, line);
    return Trimmed(line);
}

std::string AliasDirOf(const SSerialRoots& roots)
{
    return roots.AliasDir.empty() ? ComAliasDir() : roots.AliasDir;
}

std::string Canonical(const fs::path& p)
{
    std::error_code ec;
    fs::path c = fs::canonical(p, ec);
    return ec ? std::string() : c.string();
}

// Names in a folder, sorted; empty when it cannot be read.
std::vector<std::string> FolderNames(const fs::path& dir, std::error_code& ec)
{
    std::vector<std::string> names;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec))
        names.push_back(it->path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// A character device of the terminal subsystem. Anything else behind an alias (a FIFO, a folder,
// /dev/zero, a plain file) is no serial port; the device is never opened to find out, because
// opening some devices (a watchdog) has effects of its own.
bool IsTerminalDevice(const std::string& path, const std::string& sysfsRoot)
{
#ifdef _WIN32
    // Linux device trees only exist in tests there, and they hold no device nodes.
    (void)path;
    (void)sysfsRoot;
    return false;
#else
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISCHR(st.st_mode))
        return false;
    const unsigned maj = major(st.st_rdev);
    // Pseudo-terminal slaves (Unix98 majors 136-143) have no sysfs entry.
    if (maj >= 136 && maj <= 143)
        return true;
    const fs::path subsystem = fs::path(sysfsRoot) / "dev" / "char" /
                               (std::to_string(maj) + ":" + std::to_string(minor(st.st_rdev))) / "subsystem";
    return fs::path(Canonical(subsystem)).filename() == "tty";
#endif
}

struct SAlias
{
    int portNumber;
    std::string path;
    std::string target; // canonical
};

// Aliases whose target exists, in name order.
std::vector<SAlias> ReadAliases(const SSerialRoots& roots)
{
    std::vector<SAlias> aliases;
    const fs::path dir = AliasDirOf(roots);
    if (dir.empty())
        return aliases;
    std::error_code ec;
    for (const std::string& name : FolderNames(dir, ec)) {
        const int n = ComNumberForAliasName(name);
        if (n == 0)
            continue;
        const fs::path path = dir / name;
        std::string target = Canonical(path);
        if (!target.empty() && IsTerminalDevice(target, roots.Sysfs))
            aliases.push_back({n, path.string(), std::move(target)});
    }
    return aliases;
}

std::string DriverDescription(const std::string& driver, bool usb)
{
    struct Known { const char* driver; const char* text; };
    static constexpr Known known[] = {
        {"ftdi_sio", "FTDI USB Serial Port"},
        {"cp210x", "Silicon Labs CP210x USB to UART Bridge"},
        {"pl2303", "Prolific USB-to-Serial Comm Port"},
        {"ch341", "CH340 USB Serial Port"},
        {"ch341-uart", "CH340 USB Serial Port"},
        {"cdc_acm", "USB Serial Device"},
    };
    for (const Known& k : known)
        if (driver == k.driver)
            return k.text;
    return usb ? "USB Serial Port" : kPlainDescription;
}

// A record for a tty in sysfs; false when it is no usable serial port.
bool DescribeTty(const fs::path& sysfsRoot, const std::string& name, const std::string& devRoot,
                 SSerInfo& info)
{
    const int number = ComNumberForDeviceName(name);
    if (number == 0)
        return false;
    const fs::path entry = sysfsRoot / "class" / "tty" / name;
    // The 8250 driver creates placeholder ports whether or not a UART is fitted; their type is 0.
    const std::string type = ReadAttribute(entry / "type");
    if (type == "0" || (type.empty() && IsBuiltInUartName(name)))
        return false;

    bool usb = false;
    std::string product;
    const std::string device = Canonical(entry / "device");
    const std::string top = Canonical(sysfsRoot);
    if (!device.empty() && !top.empty()) {
        for (fs::path p = device; p.string().size() > top.size() && p.has_parent_path();
             p = p.parent_path()) {
            std::error_code ec;
            if (fs::exists(p / "idVendor", ec)) {
                usb = true;
                product = ReadAttribute(p / "product");
                break;
            }
        }
    }
    std::string driver;
    if (!device.empty())
        driver = fs::path(Canonical(fs::path(device) / "driver")).filename().string();

    info = SSerInfo{};
    info.DevicePath = devRoot + "/" + name;
    // The number is the rule's, never one read out of a product name ("Dual RS232 COM2 adapter").
    info.PortName = "COM" + std::to_string(number);
    info.IsUsb = usb ? 1 : 0;
    info.Description = product.empty() ? DriverDescription(driver, usb) : product;
    info.FriendlyName = info.Description + " (" + info.PortName + ")";
    return true;
}

bool HeldByAnother(const std::string& path)
{
#ifdef _WIN32
    return SerialDeviceBusy(path);
#else
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return true;
    const bool held = ::flock(fd, LOCK_EX | LOCK_NB) != 0;
    ::close(fd);
    return held;
#endif
}

} // namespace

// --- numbering rule

int ComNumberForDeviceName(const std::string& name)
{
    for (const SDeviceFamily& f : kFamilies) {
        const std::string prefix = f.prefix;
        if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0)
            continue;
        // "ttySC0" starts like "ttyS" but belongs to a later family.
        const int k = StrictNumber(name.substr(prefix.size()));
        if (k >= 0 && k < f.count)
            return f.firstPort + k;
    }
    return 0;
}

std::string DeviceNameForComNumber(int portNumber)
{
    for (const SDeviceFamily& f : kFamilies)
        if (portNumber >= f.firstPort && portNumber < f.firstPort + f.count)
            return f.prefix + std::to_string(portNumber - f.firstPort);
    return {};
}

int ComNumberForAliasName(const std::string& fileName)
{
    const std::string lower = Lower(fileName);
    if (lower.size() <= 3 || lower.compare(0, 3, "com") != 0)
        return 0;
    const int n = StrictNumber(lower.substr(3));
    return n >= 1 && n <= 255 ? n : 0;
}

#ifndef _WIN32
std::string ComDevicePath(int portNumber)
{
    return ComDevicePath(portNumber, SSerialRoots{});
}
#endif

std::string ComDevicePath(int portNumber, const SSerialRoots& roots)
{
    if (portNumber < 1 || portNumber > 255)
        return {};
    const fs::path dir = AliasDirOf(roots);
    std::error_code ec;
    if (!dir.empty()) {
        const fs::path exact = dir / ("com" + std::to_string(portNumber));
        if (fs::exists(exact, ec))
            return exact.string();
        for (const std::string& name : FolderNames(dir, ec)) {
            if (ComNumberForAliasName(name) == portNumber && fs::exists(dir / name, ec))
                return (dir / name).string();
        }
    }
    const std::string device = DeviceNameForComNumber(portNumber);
    return device.empty() ? std::string() : roots.Dev + "/" + device;
}

// --- pure steps

std::string CutFriendlyName(const std::string& friendlyName)
{
    const std::size_t open = friendlyName.find(" (");
    const std::size_t close = friendlyName.find(')');
    if (open != std::string::npos && open > 0 && close == friendlyName.size() - 1)
        return friendlyName.substr(0, open);
    return friendlyName;
}

bool PortNumberAfterCom(const std::string& text, int& number)
{
    const std::size_t at = text.find("COM");
    if (at == std::string::npos)
        return false;
    number = LeadingNumber(text.substr(at + 3));
    return true;
}

void CompleteSerialRecords(std::vector<SSerInfo>& ports)
{
    for (std::size_t i = 0; i < ports.size();) {
        SSerInfo& p = ports[i];
        if (p.FriendlyName.empty())
            p.FriendlyName = p.PortName;
        if (p.Description.empty())
            p.Description = CutFriendlyName(p.FriendlyName);
        if (p.PortName.empty()) {
            int n = 0;
            if (!PortNumberAfterCom(p.FriendlyName, n)) {
                ports.erase(ports.begin() + static_cast<std::ptrdiff_t>(i));
                continue;
            }
            p.PortName = "COM" + std::to_string(n);
        }
        ++i;
    }
}

void AddPortMapNames(std::vector<SSerInfo>& ports, const std::vector<std::string>& names)
{
    for (const std::string& name : names) {
        // A plain substring test, as the system's own map does: COM1 counts as known when some
        // port is called COM10.
        const bool known = std::any_of(ports.begin(), ports.end(), [&](const SSerInfo& p) {
            return p.FriendlyName.find(name) != std::string::npos;
        });
        if (known)
            continue;
        if (name.find("COM") == std::string::npos && name.find("com") == std::string::npos)
            continue;
        SSerInfo info;
        info.PortName = name;
        info.Description = kPlainDescription;
        ports.push_back(std::move(info));
    }
}

std::vector<SPortListEntry> BuildPortList(const std::vector<SSerInfo>& ports)
{
    std::array<int, 256> slots;
    slots.fill(-1);
    for (std::size_t i = 0; i < ports.size(); ++i) {
        const std::string& name = ports[i].PortName;
        const int n = LeadingNumber(name.size() > 3 ? name.substr(3) : std::string());
        if (n >= 0 && n < 256)
            slots[static_cast<std::size_t>(n)] = static_cast<int>(i);
    }
    std::vector<SPortListEntry> list;
    for (int n = 0; n < 256; ++n) {
        const int i = slots[static_cast<std::size_t>(n)];
        if (i >= 0) {
            const SSerInfo& p = ports[static_cast<std::size_t>(i)];
            list.push_back({p.PortName + " - " + p.Description, n});
        }
    }
    return list;
}

// --- the system

#ifndef _WIN32
void EnumerateSerialPorts(std::vector<SSerInfo>& ports, bool checkBusy)
{
    EnumerateSerialPorts(ports, checkBusy, SSerialRoots{});
}
#endif

void EnumerateSerialPorts(std::vector<SSerInfo>& ports, bool checkBusy, const SSerialRoots& roots)
{
    ports.clear();
    const fs::path ttyDir = fs::path(roots.Sysfs) / "class" / "tty";
    std::error_code sysfsError;
    const std::vector<std::string> ttys = FolderNames(ttyDir, sysfsError);
    for (const std::string& name : ttys) {
        SSerInfo info;
        if (DescribeTty(roots.Sysfs, name, roots.Dev, info))
            ports.push_back(std::move(info));
    }

    // An alias takes its device's description, and the device leaves its own number so the
    // receiver shows up once, under the number the operator gave it.
    std::vector<SSerInfo> aliased;
    for (const SAlias& alias : ReadAliases(roots)) {
        SSerInfo info;
        info.DevicePath = alias.path;
        info.Description = kPlainDescription;
        for (auto it = ports.begin(); it != ports.end(); ++it) {
            if (Canonical(it->DevicePath) == alias.target) {
                info.Description = it->Description;
                info.IsUsb = it->IsUsb;
                ports.erase(it);
                break;
            }
        }
        info.PortName = "COM" + std::to_string(alias.portNumber);
        info.FriendlyName = info.Description + " (" + info.PortName + ")";
        aliased.push_back(std::move(info));
    }
    ports.insert(ports.end(), aliased.begin(), aliased.end());

    if (checkBusy) {
        ports.erase(std::remove_if(ports.begin(), ports.end(),
                                   [](const SSerInfo& p) { return HeldByAnother(p.DevicePath); }),
                    ports.end());
    }
    CompleteSerialRecords(ports);
    if (sysfsError)
        throw CSerialEnumError("Could not read from " + ttyDir.string() + " (" +
                               sysfsError.message() + ")");
}

std::vector<std::string> ReadPortMap(const SSerialRoots& roots)
{
    std::vector<std::string> targets;
    for (const SAlias& alias : ReadAliases(roots))
        targets.push_back(alias.target);
    std::vector<std::pair<int, std::string>> found;
    std::error_code ec;
    for (const std::string& name : FolderNames(roots.Dev, ec)) {
        if (IsBuiltInUartName(name))
            continue;
        const int n = ComNumberForDeviceName(name);
        if (n == 0)
            continue;
        const std::string target = Canonical(fs::path(roots.Dev) / name);
        if (std::find(targets.begin(), targets.end(), target) != targets.end())
            continue;
        found.emplace_back(n, "COM" + std::to_string(n));
    }
    std::sort(found.begin(), found.end());
    std::vector<std::string> names;
    for (auto& f : found)
        names.push_back(std::move(f.second));
    return names;
}

#ifndef _WIN32
std::vector<SPortListEntry> ListSerialPorts()
{
    return ListSerialPorts(SSerialRoots{});
}
#endif

std::vector<SPortListEntry> ListSerialPorts(const SSerialRoots& roots)
{
    try {
        std::vector<SSerInfo> ports;
        try {
            EnumerateSerialPorts(ports, false, roots);
        } catch (const std::exception&) {
            // Go on with what was found; the port map may still name more.
        }
        AddPortMapNames(ports, ReadPortMap(roots));
        return BuildPortList(ports);
    } catch (...) {
        return {};
    }
}
