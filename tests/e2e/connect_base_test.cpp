#include <QCheckBox>

#include <memory>

#include "connect_driver.h"

// The main dialog and the wizard against a simulated receiver: base configuration, a rover where a
// base is needed, a direct radio connection, a silent device and a port held by another program.
class ConnectBaseTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        ConnectDriver::StandInWorkingDialogs();
        m_Base = std::make_unique<SimProcess>(SimWith("base"));  // left as found by each case
        QVERIFY(m_Base->Started());
    }
    void cleanupTestCase() { m_Base.reset(); }

    void baseConfigurationWithABase()
    {
        ConnectDriver d(*m_Base, true, [](CModel& m) { m.SetWriteDefaultsFlags(WriteDefaults::OptionGiven); });
        QVERIFY(Control<QCheckBox>(d.Dlg, "checkWriteDefaults")->isChecked());
        // No radio probes; after the working dialog only the watchdog goes back on.
        d.Expect("radioBase", {.status = "Connected to Base.", .next = true, .mode = ModeCodes::BaseConfiguration,
                              .kind = ReceiverKinds::Base, .wizardSent = OpeningBytes,
                              .working = ModeCodes::BaseConfiguration, .closing = WatchdogOnBytes});
        QCOMPARE(d.Model.GetWriteDefaultsFlags(), WriteDefaults::OptionGiven | WriteDefaults::BoxTicked);
    }

    void portHeldByAnotherProgram()
    {
        if (RunningUnderWine())
            QSKIP("wine does not hold a COM port on a pseudo-terminal for one program");
        CSerialPort holder;
        QVERIFY(holder.Open(m_Base->ComNumber(), 19200));
        ConnectDriver d(*m_Base, true, [](CModel& m) { m.SetModeCode(ModeCodes::SatelRover); });
        d.Connect("radioRadio");

        QCOMPARE(d.ErrorCaption, QStringLiteral("Varnel Link Manager"));
        // The message keeps its first line and says why below it.
        QCOMPARE(d.ErrorText, QStringLiteral("Could not open com port %1  \nAnother program is using the port. Close it "
                                             "and connect again.").arg(m_Base->ComNumber()));
        QCOMPARE(d.DialogsRun, 0);
        QCOMPARE(d.Model.GetModeCode(), ModeCodes::SatelRover);  // whatever it was, it stays
        QVERIFY(!d.Dlg.GetPort()->IsOpen());
        QTest::qWait(ConnectDriver::SettleMs);
        QCOMPARE(m_Base->Received().size(), d.Start);
    }

    void baseConfigurationWithARover()
    {
        SimProcess sim(SimWith("rover"));
        QVERIFY(sim.Started());
        ConnectDriver d(sim, false);
        // "Back" skips the working dialog, but the open port is still put back.
        d.Expect("radioBase", {.status = "Invalid Mode, Must be connected to a Base.", .next = false,
                              .mode = ModeCodes::BaseConfiguration, .kind = ReceiverKinds::Rover,
                              .wizardSent = OpeningBytes, .closing = WatchdogOnBytes});
        QCOMPARE(d.Model.GetWriteDefaultsFlags(), 0);  // the box was hidden and unticked
    }

    void directConnectionToAMicrohardBaseRadio()
    {
        SimProcess sim(SimWith("none", "microhard", true));
        QVERIFY(sim.Started());
        ConnectDriver d(sim, true, [](CModel& m) { m.SetDirectConnectEnabled(1); });
        // No receiver answers; the Microhard reply alone decides, by the direct choice.
        d.Expect("radioDirectBase", {.status = "Microhard Radio Detected.", .next = true,
                                    .mode = ModeCodes::MicrohardBase, .kind = ReceiverKinds::Unknown,
                                    .wizardSent = ProbingBytes, .working = ModeCodes::MicrohardBase,
                                    .closing = ClosingAfterRadioBytes});
        QCOMPARE(d.Model.GetBaudRate(), 19200);  // the model keeps the tested rate; the wizard used 9600
    }

    void directConnectionToASatelRadioSaysWhyItFails()
    {
        SimProcess sim(SimWith("none", "satel", true));
        QVERIFY(sim.Started());
        ConnectDriver d(sim, true, [](CModel& m) { m.SetDirectConnectEnabled(1); });
        d.Expect("radioDirectRover", {.status = "Connection Failed, only a Microhard radio can be connected directly.",
                                     .next = false, .mode = ModeCodes::DirectRover, .kind = ReceiverKinds::Unknown,
                                     .wizardSent = ProbingBytes, .closing = ClosingAfterRadioBytes});
    }

    void silentDeviceGivesUpAfterEightTicks()
    {
        SimProcess sim(SimWith("base", "microhard", false, true));
        QVERIFY(sim.Started());
        ConnectDriver d(sim, true);  // "Next" is off, so the wizard is closed instead
        const QString silence =
            QStringLiteral("No answer on COM%1. Check that the receiver is on, the cable and the port.").arg(sim.ComNumber());
        d.Expect("radioRadio", {.status = silence, .next = false,
                               .mode = ModeCodes::RadioConfiguration, .kind = ReceiverKinds::Unknown, .ticks = 8,
                               .wizardSent = ProbingBytes, .closing = ClosingAfterRadioBytes});
    }

private:
    std::unique_ptr<SimProcess> m_Base;
};

QTEST_MAIN(ConnectBaseTest)
#include "connect_base_test.moc"
