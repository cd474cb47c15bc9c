#pragma once

#include <stdexcept>
#include <string>
#include <vector>

// Serial ports by COM number.
//
// A COM number names a device in this order:
//  1. a symlink "comN" (any case) in the COM alias folder (ComAliasDir()), which pins any device
//     (a USB adapter by its /dev/serial/by-id name, a pseudo-terminal, ...) to number N;
//  2. otherwise the machine's own serial devices by a fixed rule:
//       ttyS<k>   -> COM<k+1>    (k 0..31:  COM1..COM32,   built-in UARTs)
//       ttyUSB<k> -> COM<k+33>   (k 0..31:  COM33..COM64,  USB serial adapters)
//       ttyACM<k> -> COM<k+65>   (k 0..31:  COM65..COM96,  USB modem-class devices)
//       ttyAMA<k> -> COM<k+97>   (k 0..15:  COM97..COM112, ARM on-chip UARTs)
//       rfcomm<k> -> COM<k+113>  (k 0..31:  COM113..COM144, Bluetooth serial links)
//     and blocks for rarer kinds: ttyXRUSB COM145..160, ttymxc COM161..168, ttyO COM169..176,
//     ttyTHS COM177..184, ttySC COM185..192, ttyGS COM193..200.
// An alias whose target is not a terminal device is not listed.
//
// On Windows COM numbers are the system's own: ComDevicePath gives "\\.\COMn", and the listing
// takes the setup API's COM-port interfaces and the registry's SERIALCOMM map. The variants that
// take SSerialRoots read Linux device trees on every platform (for tests).

// One enumerated serial port.
struct SSerInfo
{
    std::string DevicePath;   // the path to open the port with
    std::string PortName;     // "COM" followed by the port number
    std::string FriendlyName; // display name, often a description followed by " (COMn)"
    int IsUsb = 0;            // 1 when the port belongs to a USB device
    std::string Description;  // the display name without its bracketed tail
};

// An enumeration failure; its text is never shown to the operator.
class CSerialEnumError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// Where enumeration looks; tests point these at fake trees.
struct SSerialRoots
{
    std::string Sysfs = "/sys";
    std::string Dev = "/dev";
    std::string AliasDir; // empty: ComAliasDir()
};

// One line of the main dialog's Port list: "COMn - description", item data n.
struct SPortListEntry
{
    std::string text;
    int portNumber;
};

// --- numbering rule

// COM number of a device name such as "ttyUSB0" (33), or 0 when the rule gives it none.
int ComNumberForDeviceName(const std::string& name);
// Device name such as "ttyUSB0" for a COM number, or "" when the rule gives none.
std::string DeviceNameForComNumber(int portNumber);
// The path CSerialPort opens for COM portNumber: the alias if one exists, otherwise the device of
// the numbering rule below roots.Dev; "" when the number names nothing.
std::string ComDevicePath(int portNumber);
std::string ComDevicePath(int portNumber, const SSerialRoots& roots);
// COM number of an alias file name "comN" (any case, N 1..255), or 0 when it is not one.
int ComNumberForAliasName(const std::string& fileName);

// --- pure steps of the listing

// The display name without a trailing " (...)" tail (only when " (" is not at the start and the
// first ")" is the last character).
std::string CutFriendlyName(const std::string& friendlyName);
// Reads the decimal number after the first "COM" in text; false when there is no "COM".
bool PortNumberAfterCom(const std::string& text, int& number);
// Completes the records: friendly name from the port name, description from the friendly name,
// port name from the friendly name; records without a "COM" in their name are removed.
void CompleteSerialRecords(std::vector<SSerInfo>& ports);
// Adds the port map's names (such as "COM3") that no record's friendly name already contains,
// as "Communications Port".
void AddPortMapNames(std::vector<SSerInfo>& ports, const std::vector<std::string>& names);
// Orders the records by port number into the Port list: 256 slots, a later record with the same
// number replacing an earlier one, numbers outside 0..255 left out.
std::vector<SPortListEntry> BuildPortList(const std::vector<SSerInfo>& ports);

// --- the system

// Empties ports and fills them with the machine's serial ports (sysfs) and the COM aliases, then
// completes them. With checkBusy, ports that cannot be opened exclusively are left out.
// Throws CSerialEnumError when the device tree cannot be read.
void EnumerateSerialPorts(std::vector<SSerInfo>& ports, bool checkBusy = false);
void EnumerateSerialPorts(std::vector<SSerInfo>& ports, bool checkBusy, const SSerialRoots& roots);
// Port names of device nodes present below roots.Dev that the numbering rule maps (USB, ACM and
// AMA devices; built-in ttyS nodes exist whether or not a UART is fitted, so they come from sysfs).
std::vector<std::string> ReadPortMap(const SSerialRoots& roots);
// The Port list of the main dialog, in port-number order. Never throws.
std::vector<SPortListEntry> ListSerialPorts();
std::vector<SPortListEntry> ListSerialPorts(const SSerialRoots& roots);
