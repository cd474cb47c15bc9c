#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <fcntl.h>
#ifndef _WIN32
#include <pwd.h>
#endif
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include "serial/com_alias.h"
#include "serial/serial_enum.h"

namespace fs = std::filesystem;

namespace {

using List = std::vector<std::string>;

List Texts(const std::vector<SPortListEntry>& entries)
{
    List out;
    for (const auto& e : entries)
        out.push_back(e.text + " #" + std::to_string(e.portNumber));
    return out;
}

SSerInfo Friendly(const std::string& friendlyName)
{
    return SSerInfo{"", "", friendlyName, 0, ""};
}

TEST(SerialNumbering, DeviceNamesMapToSeparateRangesBothWays)
{
    const std::pair<const char*, int> pairs[] = {{"ttyS0", 1},     {"ttyS31", 32},  {"ttyUSB0", 33},
                                                 {"ttyUSB1", 34},  {"ttyUSB31", 64}, {"ttyACM0", 65},
                                                 {"ttyAMA0", 97},  {"rfcomm0", 113}, {"rfcomm31", 144},
                                                 {"ttyXRUSB0", 145}, {"ttymxc0", 161}, {"ttyO0", 169},
                                                 {"ttyTHS0", 177}, {"ttySC0", 185}, {"ttyGS7", 200}};
    for (const auto& [dev, n] : pairs) {
        EXPECT_EQ(ComNumberForDeviceName(dev), n) << dev;
        EXPECT_EQ(DeviceNameForComNumber(n), dev) << n;
    }
    for (const char* none : {"ttyS32", "ttyUSB32", "ttyUSB01", "ttyUSB", "ttyS-1", "tty0", "ttyS1x",
                             "console", "ttyACM", "pts/3", "rfcomm32", "ttySC8", "ttySX0"})
        EXPECT_EQ(ComNumberForDeviceName(none), 0) << none;
    for (int n = 1; n <= 255; ++n) {
        if (const std::string dev = DeviceNameForComNumber(n); !dev.empty()) {
            EXPECT_EQ(ComNumberForDeviceName(dev), n) << dev;
        }
    }
    EXPECT_EQ(DeviceNameForComNumber(0), "");
    EXPECT_EQ(DeviceNameForComNumber(201), "");

    EXPECT_EQ(ComNumberForAliasName("com5"), 5);
    EXPECT_EQ(ComNumberForAliasName("COM255"), 255);
    EXPECT_EQ(ComNumberForAliasName("Com12"), 12);
    for (const char* none : {"com0", "com256", "com05", "com5x", "comport", "com", "xcom5", "com-5"})
        EXPECT_EQ(ComNumberForAliasName(none), 0) << none;
}

TEST(SerialListing, FriendlyNamesPortMapAndOrder)
{
    EXPECT_EQ(CutFriendlyName("Communications Port (COM1)"), "Communications Port");
    for (const char* kept : {"(COM1)", "A (B) C", "A (B) (COM2)", "COM4"}) // " (" leads, ")" not last or not the first
        EXPECT_EQ(CutFriendlyName(kept), kept);
    int n = -1;
    EXPECT_TRUE(PortNumberAfterCom("USB Serial (COM12)", n));
    EXPECT_EQ(n, 12);
    EXPECT_FALSE(PortNumberAfterCom("Printer Port (LPT1)", n));

    std::vector<SSerInfo> ports{Friendly("Communications Port (COM1)"), Friendly("Printer Port (LPT1)")};
    SSerInfo named;
    named.PortName = "COM4";
    ports.push_back(named);
    CompleteSerialRecords(ports);
    ASSERT_EQ(ports.size(), 2u);
    EXPECT_EQ(ports[0].PortName, "COM1");
    EXPECT_EQ(ports[1].FriendlyName, "COM4");
    EXPECT_EQ(Texts(BuildPortList(ports)), (List{"COM1 - Communications Port #1", "COM4 - COM4 #4"}));

    // The port map adds only names no record contains ("COM10" contains "COM1").
    ports = {Friendly("USB Serial Port (COM10)")};
    CompleteSerialRecords(ports);
    AddPortMapNames(ports, {"COM3", "COM1", "COM10", "LPT1", "com7"});
    EXPECT_EQ(Texts(BuildPortList(ports)), (List{"COM3 - Communications Port #3", "com7 - Communications Port #7",
                                                 "COM10 - USB Serial Port #10"}));

    // By number, a later record winning, out of range left out.
    ports = {Friendly("A (COM10)"), Friendly("B (COM9)"), Friendly("C (COM2)"),
             Friendly("D (COM300)"), Friendly("E (COM2)"), Friendly("F (COM255)")};
    CompleteSerialRecords(ports);
    EXPECT_EQ(Texts(BuildPortList(ports)), (List{"COM2 - E #2", "COM9 - B #9", "COM10 - A #10", "COM255 - F #255"}));
}

// A fake machine: sysfs, /dev and the alias folder below one temporary folder.
class SerialFakeMachineTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
#ifdef _WIN32
        GTEST_SKIP() << "Linux device trees: sysfs symlinks and device nodes (Windows lists ports itself)";
#else
        char tmpl[] = "/tmp/varnel-serial-enum-XXXXXX";
        ASSERT_NE(::mkdtemp(tmpl), nullptr);
        root = tmpl;
#endif
        roots.Sysfs = (root / "sys").string();
        roots.Dev = (root / "dev").string();
        roots.AliasDir = (root / "com").string();
        for (const char* d : {"sys/class/tty", "dev", "com", "sys/bus/drivers/serial", "sys/bus/drivers/ftdi_sio",
                              "sys/bus/drivers/cdc_acm"})
            fs::create_directories(root / d);
    }
    void TearDown() override
    {
#ifndef _WIN32
        for (int fd : masters)
            ::close(fd);
#endif
        if (!root.empty())
            fs::remove_all(root);
    }

    // A device node that is a real terminal: a link to a pseudo-terminal kept open for the test.
    void PtyNode(const std::string& name)
    {
#ifndef _WIN32
        const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
        ASSERT_GE(master, 0);
        masters.push_back(master);
        ASSERT_EQ(::grantpt(master), 0);
        ASSERT_EQ(::unlockpt(master), 0);
        fs::remove(root / "dev" / name);
        fs::create_symlink(::ptsname(master), root / "dev" / name);
#else
        (void)name;
#endif
    }

    static void Write(const fs::path& file, const std::string& text)
    {
        fs::create_directories(file.parent_path());
        std::ofstream(file) << text << "\n";
    }

    // A tty class entry below deviceDir, linked from class/tty like the kernel does.
    void Tty(const std::string& name, const std::string& deviceDir, const std::string& driver,
             const std::string& type = "")
    {
        const fs::path device = root / "sys/devices" / deviceDir;
        const fs::path entry = device / "tty" / name;
        fs::create_directories(entry);
        fs::create_directory_symlink(fs::relative(device, entry), entry / "device");
        fs::create_directory_symlink(fs::relative(root / "sys/bus/drivers" / driver, device), device / "driver");
        if (!type.empty())
            Write(entry / "type", type);
        fs::create_directory_symlink(fs::relative(entry, root / "sys/class/tty"), root / "sys/class/tty" / name);
        Node(name);
    }
    void Node(const std::string& name) { Write(root / "dev" / name, ""); }

    fs::path root;
    SSerialRoots roots;
    std::vector<int> masters;
};

TEST_F(SerialFakeMachineTest, ListsRealPortsAliasesAndThePortMapInNumberOrder)
{
    Tty("ttyS0", "pnp0/00:01", "serial", "4");
    Tty("ttyS1", "platform/serial8250/p1", "serial", "0"); // placeholder, no UART
    Tty("ttyS9", "pnp0/00:09", "serial", "4");
    Tty("ttyUSB0", "pci0/usb1/1-1/1-1:1.0/ttyUSB0", "ftdi_sio");
    Write(root / "sys/devices/pci0/usb1/1-1/idVendor", "0403");
    Write(root / "sys/devices/pci0/usb1/1-1/product", "FT232R USB UART");
    Tty("ttyACM0", "pci0/usb1/1-2/1-2:1.0", "cdc_acm");
    Write(root / "sys/devices/pci0/usb1/1-2/idVendor", "1546");
    for (int k = 2; k < 32; ++k)
        Node("ttyS" + std::to_string(k)); // /dev holds every ttyS whether fitted or not
    Node("ttyUSB3");                      // present without sysfs: from the port map
    PtyNode("ttyUSB0");
    PtyNode("pts7");

    fs::create_symlink(root / "dev/ttyUSB0", root / "com/COM5"); // pinned: leaves COM33
    fs::create_symlink(root / "dev/pts7", root / "com/com2");
    fs::create_symlink(root / "dev/gone", root / "com/com9");    // dangling: not listed

    EXPECT_EQ(Texts(ListSerialPorts(roots)), (List{
        "COM1 - Communications Port #1",
        "COM2 - Communications Port #2",
        "COM5 - FT232R USB UART #5",
        "COM10 - Communications Port #10",
        "COM36 - Communications Port #36",
        "COM65 - USB Serial Device #65",
    }));

    // Pinned by an alias, a port opens through the alias; otherwise through its device.
    std::vector<SSerInfo> ports;
    EnumerateSerialPorts(ports, false, roots);
    List found;
    for (const SSerInfo& p : ports)
        found.push_back(p.FriendlyName + " " + std::to_string(p.IsUsb) + " " + p.DevicePath.substr(root.string().size()));
    std::sort(found.begin(), found.end());
    EXPECT_EQ(found, (List{"Communications Port (COM1) 0 /dev/ttyS0", "Communications Port (COM10) 0 /dev/ttyS9",
                           "Communications Port (COM2) 0 /com/com2", "FT232R USB UART (COM5) 1 /com/COM5",
                           "USB Serial Device (COM65) 1 /dev/ttyACM0"}));

    EXPECT_EQ(ComDevicePath(5, roots), (root / "com/COM5").string());
    EXPECT_EQ(ComDevicePath(33, roots), (root / "dev/ttyUSB0").string());
    EXPECT_EQ(ComDevicePath(9, roots), (root / "dev/ttyS8").string()); // dangling alias: the rule
    EXPECT_EQ(ComDevicePath(201, roots), "");
    EXPECT_EQ(ComDevicePath(0, roots), "");
}

#ifndef _WIN32  // FIFOs, the password database and setenv are POSIX
TEST_F(SerialFakeMachineTest, NumbersComeFromTheRuleAndAliasesMustBeTerminals)
{
    // Product names that hold "COM" never give the number.
    Tty("ttyUSB1", "pci0/usb1/1-3/1-3:1.0/ttyUSB1", "ftdi_sio");
    Write(root / "sys/devices/pci0/usb1/1-3/idVendor", "0403");
    Write(root / "sys/devices/pci0/usb1/1-3/product", "Dual RS232 COM2 adapter");
    Tty("ttyACM0", "pci0/usb1/1-4/1-4:1.0", "cdc_acm");
    Write(root / "sys/devices/pci0/usb1/1-4/idVendor", "1546");
    Write(root / "sys/devices/pci0/usb1/1-4/product", "GNSS COM Port");
    Tty("rfcomm0", "virtual/tty/rfcomm0", "serial"); // Bluetooth links have no type attribute
    Tty("ttySC1", "platform/spi0/sc16is7xx", "serial", "4");
    Tty("ttyGS0", "platform/gadget", "serial");

    fs::create_directories(root / "folder");
    ASSERT_EQ(::mkfifo((root / "fifo").c_str(), 0600), 0);
    Write(root / "plain", "x");
    const std::pair<const char*, fs::path> notTerminals[] = {
        {"com5", root / "fifo"}, {"com6", root / "folder"}, {"com7", "/dev/zero"}, {"com8", root / "plain"}};
    for (const auto& [alias, target] : notTerminals)
        fs::create_symlink(target, root / "com" / alias);
    PtyNode("pts1");
    fs::create_symlink(root / "dev/pts1", root / "com/com9");

    EXPECT_EQ(Texts(ListSerialPorts(roots)), (List{
        "COM9 - Communications Port #9",
        "COM34 - Dual RS232 COM2 adapter #34",
        "COM65 - GNSS COM Port #65",
        "COM113 - Communications Port #113",
        "COM186 - Communications Port #186",
        "COM193 - Communications Port #193",
    }));
}

TEST(SerialAliasFolder, WithoutHomeTheFolderComesFromThePasswordDatabase)
{
    const std::string savedHome = std::getenv("HOME") ? std::getenv("HOME") : "";
    const std::string savedDir = std::getenv("VARNEL_COM_DIR") ? std::getenv("VARNEL_COM_DIR") : "";
    ::unsetenv("VARNEL_COM_DIR");
    ::unsetenv("HOME");
    const passwd* pw = ::getpwuid(::getuid());
    const std::string expected = pw && pw->pw_dir && pw->pw_dir[0] == '/'
                                     ? std::string(pw->pw_dir) + "/.local/share/varnel-link-manager/com"
                                     : std::string();
    EXPECT_EQ(ComAliasDir(), expected);
    ::setenv("HOME", "/home/someone", 1);
    EXPECT_EQ(ComAliasDir(), "/home/someone/.local/share/varnel-link-manager/com");
    if (savedHome.empty())
        ::unsetenv("HOME");
    else
        ::setenv("HOME", savedHome.c_str(), 1);
    if (!savedDir.empty())
        ::setenv("VARNEL_COM_DIR", savedDir.c_str(), 1);
}

#endif

TEST_F(SerialFakeMachineTest, UnreadableDeviceTreeIsReportedButListingGoesOn)
{
    roots.Sysfs = (root / "nowhere").string();
    PtyNode("ttyACM1");
    fs::create_symlink(root / "dev/ttyACM1", root / "com/com3");
    Node("ttyUSB0");

    std::vector<SSerInfo> ports;
    EXPECT_THROW(EnumerateSerialPorts(ports, false, roots), CSerialEnumError);
    EXPECT_EQ(Texts(ListSerialPorts(roots)),
              (List{"COM3 - Communications Port #3", "COM33 - Communications Port #33"}));

    SSerialRoots empty{(root / "a").string(), (root / "b").string(), (root / "c").string()};
    EXPECT_TRUE(ListSerialPorts(empty).empty());
}

} // namespace
