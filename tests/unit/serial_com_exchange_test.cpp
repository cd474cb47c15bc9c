// The port against varnel-sim on a real COM device. scripts/test-windows links the simulator's
// pseudo-terminal to wine's COM7 and names the number in VARNEL_TEST_COM; elsewhere the test is
// skipped (the Linux port meets the simulator in the end-to-end tests).

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include "serial/serial_enum.h"
#include "serial/serial_port.h"

namespace {

std::string ReadUntil(CSerialPort& port, const std::string& needle, int timeoutMs)
{
    std::string got;
    char buffer[1024];
    for (int waited = 0; waited < timeoutMs && got.find(needle) == std::string::npos; waited += 10) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        got.append(buffer, static_cast<std::size_t>(port.Read(buffer, sizeof buffer)));
    }
    return got;
}

}  // namespace

TEST(SerialComExchange, SentencesBothWaysWithTheSimulator)
{
    const char* com = std::getenv("VARNEL_TEST_COM");
    if (!com || !*com)
        GTEST_SKIP() << "VARNEL_TEST_COM names no COM port with varnel-sim behind it";
    const int number = std::atoi(com);
    // The port is registered as wine registers a configured port: its SERIALCOMM map names it.
    const auto list = ListSerialPorts();
    bool listed = false;
    for (const SPortListEntry& e : list) {
        EXPECT_EQ(e.text.rfind("COM" + std::to_string(e.portNumber) + " - ", 0), 0u) << e.text;
        listed = listed || e.portNumber == number;
    }
    EXPECT_TRUE(listed) << "COM" << number << " is not listed";

    CSerialPort port;
    EXPECT_FALSE(port.Open(250, 19200));
    ASSERT_TRUE(port.Open(number, 19200));
    EXPECT_TRUE(port.Open(number, 9600));
    // Exclusive use is the Windows driver's, which wine does not enforce on a pseudo-terminal.

    EXPECT_EQ(port.WriteLine("$JAPP"), 5);
    EXPECT_NE(ReadUntil(port, "RTKBAS", 3000).find("$>JAPP,RTKBAS"), std::string::npos);
    port.WriteLine("$KBASE,CLEARMARKS");
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    port.WriteLine("$KBASE,ADDMARK,51.5,-1.25,100");
    port.WriteLine("$KBASE,MARKS");
    EXPECT_NE(ReadUntil(port, "-1.25,100\r\n", 3000).find("$KBASE,MARKS,51.5,-1.25,100\r\n"), std::string::npos);
    EXPECT_EQ(port.Purge(), 1);

    EXPECT_TRUE(port.Close());
    EXPECT_EQ(port.Read(nullptr, 0), 0);
    EXPECT_EQ(port.WriteLine("$JAPP"), 0);
    CSerialPort other;
    ASSERT_TRUE(other.Open(number, 19200)) << "closing frees the port";
    other.WriteLine("$JAPP");
    EXPECT_NE(ReadUntil(other, "RTKBAS", 3000).find("$>JAPP,RTKBAS"), std::string::npos);
}
