// The program's connection probe (the wizard's core, over the real serial port) against varnel-sim,
// for what the dialog-level tests do not look at: a radio wired straight to the PC with a receiver
// behind it, the Maxstream's "2B" value, and the simulator taking the closing sentences.

#include "connection/connect_wizard.h"
#include "connection/model.h"
#include "e2e/support/sim_process.h"
#include "serial/serial_port.h"
#include "ui/string_table.h"

#include <QtTest/QtTest>

#include <chrono>
#include <thread>

namespace {

class PortHost : public CWizardHost {
public:
    CSerialPort port;
    bool OpenPort(int portNumber, int baudRate) override { return port.Open(portNumber, baudRate); }
    bool IsPortOpen() const override { return port.IsOpen(); }
    bool IsPortLost() const override { return port.Lost(); }
    void WriteLine(std::string_view sentence) override { port.WriteLine(std::string(sentence)); }
    void WriteRaw(std::string_view bytes) override { port.Write(bytes.data(), static_cast<int>(bytes.size())); }
    void Pause(int milliseconds) override { std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds)); }
    int Read(char* buffer, int maximum) override { return port.Read(buffer, maximum); }
    void StepProgress() override {}
    void ShowStarted() override {}
    void ShowResult(const SConnectResult&) override {}
};

}  // namespace

class SimWizardTest : public QObject {
    Q_OBJECT

private slots:
    void recognised_data()
    {
        QTest::addColumn<QString>("radio");
        QTest::addColumn<bool>("direct");
        QTest::addColumn<int>("modeCode");
        QTest::addColumn<int>("expectedMode");
        QTest::addColumn<int>("expectedKind");
        QTest::newRow("maxstream rover") << "maxstream" << false << ModeCodes::RadioConfiguration
                                         << ModeCodes::MaxstreamRover << ReceiverKinds::Rover;
        QTest::newRow("microhard direct") << "microhard" << true << ModeCodes::DirectBase
                                          << ModeCodes::MicrohardBase << ReceiverKinds::Unknown;
    }

    void recognised()
    {
        QFETCH(QString, radio);
        QFETCH(bool, direct);
        QFETCH(int, modeCode);
        QFETCH(int, expectedMode);
        QFETCH(int, expectedKind);
        SimProcess::Options options;
        options.direct = direct;
        options.receiver = direct ? "base" : "rover";
        options.radio = radio.toStdString();
        SimProcess sim(options);
        QVERIFY(sim.Started());
        CModel model;
        model.SetPortNumber(sim.ComNumber());
        model.SetBaudRate(19200);
        model.SetModeCode(modeCode);
        PortHost host;
        CConnectWizard wizard(&model, &host);
        while (wizard.Tick())
            std::this_thread::sleep_for(std::chrono::milliseconds(WizardTiming::TickPeriodMs));
        QVERIFY(wizard.Result().Success);
        QCOMPARE(model.GetModeCode(), expectedMode);
        QCOMPARE(model.GetReceiverKind(), expectedKind);
        if (direct)
            return;
        QCOMPARE(model.GetRadio2BValue(), 2);

        // The closing sentences put the receiver back: it answers itself again, the radio is quiet.
        for (std::string_view sentence : ClosingSentences(model.GetModeCode()))
            host.port.WriteLine(std::string(sentence));
        QVERIFY(sim.WaitReceived("$KBASE,WATCHDOG,1\r\n", 2000));
        host.port.Purge();
        host.port.WriteLine("ATVL");
        host.port.WriteLine("$JAPP");
        std::string reply;
        char buffer[2048];
        for (int i = 0; i < 100 && reply.find("$>JAPP,") == std::string::npos; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            reply.append(buffer, static_cast<size_t>(std::max(0, host.port.Read(buffer, sizeof buffer))));
        }
        QVERIFY(reply.find("$>JAPP,") != std::string::npos);
        QVERIFY(reply.find("Firm") == std::string::npos);
    }

    void cablePulledWhileProbing()
    {
        // Pulled during the first tick's escape: failed on the port at the next tick, not after
        // the full probe.
        SimProcess::Options options;
        options.receiver = "rover";
        options.radio = "microhard";
        options.extraArgs = {"--unplug-after", "1.5"};
        SimProcess sim(options);
        QVERIFY(sim.Started());
        CModel model;
        model.SetPortNumber(sim.ComNumber());
        model.SetBaudRate(19200);
        model.SetModeCode(ModeCodes::RadioConfiguration);
        PortHost host;
        CConnectWizard wizard(&model, &host);
        while (wizard.Tick())
            std::this_thread::sleep_for(std::chrono::milliseconds(WizardTiming::TickPeriodMs));
        QCOMPARE(wizard.TickCount(), 1);
        QCOMPARE(wizard.Result().TextId, StringIds::ConnectionFailedOnPort);
        QVERIFY(!wizard.Result().Success);
    }
};

QTEST_MAIN(SimWizardTest)
#include "sim_wizard_test.moc"
