// The program's connection probe (the wizard's core, over the real serial port) against varnel-sim:
// every receiver and radio the simulator offers must be recognised as the equipment it stands for.

#include "connection/connect_wizard.h"
#include "connection/model.h"
#include "e2e/support/sim_process.h"
#include "serial/serial_port.h"

#include <QtTest/QtTest>

#include <chrono>
#include <thread>

namespace {

class PortHost : public CWizardHost {
public:
    CSerialPort port;
    bool OpenPort(int portNumber, int baudRate) override { return port.Open(portNumber, baudRate); }
    bool IsPortOpen() const override { return port.IsOpen(); }
    void WriteLine(std::string_view sentence) override { port.WriteLine(std::string(sentence)); }
    void WriteRaw(std::string_view bytes) override { port.Write(bytes.data(), static_cast<int>(bytes.size())); }
    void Pause(int milliseconds) override { std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds)); }
    int Read(char* buffer, int maximum) override { return port.Read(buffer, maximum); }
    void StepProgress() override {}
    void ShowStarted() override {}
    void ShowResult(const SConnectResult&) override {}
};

struct Outcome {
    bool success = false;
    CModel model;
};

Outcome RunWizard(SimProcess& sim, PortHost& host, int modeCode)
{
    Outcome out;
    out.model.SetPortNumber(sim.ComNumber());
    out.model.SetBaudRate(19200);
    out.model.SetModeCode(modeCode);
    CConnectWizard wizard(&out.model, &host);
    while (wizard.Tick())
        std::this_thread::sleep_for(std::chrono::milliseconds(WizardTiming::TickPeriodMs));
    out.success = wizard.Result().Success;
    return out;
}

}  // namespace

class SimWizardTest : public QObject {
    Q_OBJECT

private slots:
    void recognised_data()
    {
        QTest::addColumn<QString>("receiver");
        QTest::addColumn<QString>("radio");
        QTest::addColumn<int>("modeCode");
        QTest::addColumn<int>("expectedMode");
        QTest::addColumn<int>("expectedKind");
        QTest::newRow("base configuration") << "base" << "microhard" << ModeCodes::BaseConfiguration
                                            << ModeCodes::BaseConfiguration << ReceiverKinds::Base;
        QTest::newRow("base configuration on a rover") << "rover" << "none" << ModeCodes::BaseConfiguration
                                                       << ModeCodes::BaseConfiguration << ReceiverKinds::Rover;
        QTest::newRow("microhard base") << "base" << "microhard" << ModeCodes::RadioConfiguration
                                        << ModeCodes::MicrohardBase << ReceiverKinds::Base;
        QTest::newRow("maxstream rover") << "rover" << "maxstream" << ModeCodes::RadioConfiguration
                                         << ModeCodes::MaxstreamRover << ReceiverKinds::Rover;
        QTest::newRow("satel base") << "base" << "satel" << ModeCodes::RadioConfiguration << ModeCodes::SatelBase
                                    << ReceiverKinds::Base;
        QTest::newRow("microhard direct") << "direct" << "microhard" << ModeCodes::DirectBase
                                          << ModeCodes::MicrohardBase << ReceiverKinds::Unknown;
    }

    void recognised()
    {
        QFETCH(QString, receiver);
        QFETCH(QString, radio);
        QFETCH(int, modeCode);
        QFETCH(int, expectedMode);
        QFETCH(int, expectedKind);
        SimProcess::Options options;
        options.direct = receiver == "direct";
        options.receiver = options.direct ? "base" : receiver.toStdString();
        options.radio = radio.toStdString();
        SimProcess sim(options);
        QVERIFY(sim.Started());
        PortHost host;
        const Outcome out = RunWizard(sim, host, modeCode);
        QCOMPARE(out.model.GetModeCode(), expectedMode);
        QCOMPARE(out.model.GetReceiverKind(), expectedKind);
        QCOMPARE(out.success, expectedKind == ReceiverKinds::Base || expectedMode != modeCode);
        if (radio == "satel" && modeCode == ModeCodes::RadioConfiguration) {
            QCOMPARE(out.model.GetRadioFrequency(), 434.125);
            QCOMPARE(out.model.GetRadioPower(), 1000);
        }
        if (radio == "maxstream" && modeCode == ModeCodes::RadioConfiguration)
            QCOMPARE(out.model.GetRadio2BValue(), 2);

        // The closing sentences put the receiver back: it answers itself again, the radio is quiet.
        if (!options.direct) {
            for (std::string_view sentence : ClosingSentences(out.model.GetModeCode()))
                host.port.WriteLine(std::string(sentence));
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            host.port.Purge();
            host.port.WriteLine("ATI255");
            host.port.WriteLine("$JAPP");
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            char buffer[2048];
            const std::string reply(buffer, static_cast<size_t>(std::max(0, host.port.Read(buffer, sizeof buffer))));
            QVERIFY(reply.find("$>JAPP,") != std::string::npos);
            QVERIFY(reply.find("MHX920") == std::string::npos);
        }
    }
};

QTEST_MAIN(SimWizardTest)
#include "sim_wizard_test.moc"
