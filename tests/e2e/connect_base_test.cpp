#include <QRadioButton>
#include <QCheckBox>

#include "connect_driver.h"
#include "serial/serial_port.h"

// The main dialog and the wizard against a simulated receiver: base configuration, a rover where a
// base is needed, a direct radio connection, a silent device and a port held by another program.
class ConnectBaseTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { ConnectDriver::StandInWorkingDialogs(); }

    void baseConfigurationWithABase()
    {
        SimProcess sim(SimWith("base"));
        QVERIFY(sim.Started());
        CModel model;
        model.SetWriteDefaultsFlags(WriteDefaults::OptionGiven);  // "def" given
        CorrinDlg dlg;
        dlg.SetModel(&model);
        ConnectDriver driver(dlg, model, sim, true);
        QVERIFY(SelectPort(dlg, sim.ComNumber()));
        QVERIFY(Control<QCheckBox>(dlg, "checkWriteDefaults")->isChecked());

        Control<QRadioButton>(dlg, "radioBase")->setChecked(true);
        QTest::mouseClick(Control<QPushButton>(dlg, "buttonConnect"), Qt::LeftButton);

        QVERIFY(driver.Wizard.Finished);
        QCOMPARE(driver.Wizard.Status, QStringLiteral("Connected to Base."));
        QVERIFY(driver.Wizard.NextEnabled);
        QVERIFY(driver.Wizard.BackEnabled);
        QCOMPARE(driver.Wizard.ModeCode, ModeCodes::BaseConfiguration);
        QCOMPARE(driver.Wizard.ReceiverKind, ReceiverKinds::Base);
        QCOMPARE(driver.Wizard.Ticks, 1);
        // No radio probes: the wizard sent the opening sentences and nothing else.
        QCOMPARE(Bytes(sim.Received().substr(0, driver.Wizard.ReceivedBytes)), Bytes(OpeningBytes()));
        QCOMPARE(model.GetWriteDefaultsFlags(), WriteDefaults::OptionGiven | WriteDefaults::BoxTicked);

        // "Next" opened the base's working dialog; after it only the watchdog goes back on.
        QCOMPARE(driver.WorkingCode, ModeCodes::BaseConfiguration);
        QCOMPARE(driver.ReceivedAfterWork, driver.Wizard.ReceivedBytes);
        QVERIFY(sim.WaitReceived("$KBASE,WATCHDOG,1\r\n", 2000));
        QTest::qWait(ConnectDriver::SettleMs);
        QCOMPARE(Bytes(sim.Received().substr(driver.ReceivedAfterWork)), QByteArray("$KBASE,WATCHDOG,1\r\n"));
        QVERIFY(!dlg.GetPort()->IsOpen());
        QCOMPARE(model.GetModeCode(), ModeCodes::Idle);
    }

    void baseConfigurationWithARover()
    {
        SimProcess sim(SimWith("rover"));
        QVERIFY(sim.Started());
        CModel model;
        CorrinDlg dlg;
        dlg.SetModel(&model);
        ConnectDriver driver(dlg, model, sim, false);
        QVERIFY(SelectPort(dlg, sim.ComNumber()));

        Control<QRadioButton>(dlg, "radioBase")->setChecked(true);
        QTest::mouseClick(Control<QPushButton>(dlg, "buttonConnect"), Qt::LeftButton);

        QCOMPARE(driver.Wizard.Status, QStringLiteral("Invalid Mode, Must be connected to a Base."));
        QVERIFY(!driver.Wizard.NextEnabled);
        QVERIFY(driver.Wizard.BackEnabled);
        QCOMPARE(driver.Wizard.ReceiverKind, ReceiverKinds::Rover);
        QCOMPARE(driver.WorkingCode, 0);
        QCOMPARE(model.GetWriteDefaultsFlags(), 0);  // the box was hidden and unticked
        // "Back" skips the working dialog, but the open port is still put back.
        QVERIFY(sim.WaitReceived("$KBASE,WATCHDOG,1\r\n", 2000));
        QTest::qWait(ConnectDriver::SettleMs);
        QCOMPARE(Bytes(sim.Received().substr(driver.Wizard.ReceivedBytes)), QByteArray("$KBASE,WATCHDOG,1\r\n"));
        QVERIFY(!dlg.GetPort()->IsOpen());
    }

    void directConnectionToAMicrohardBaseRadio()
    {
        SimProcess sim(SimWith("none", "microhard", true));
        QVERIFY(sim.Started());
        CModel model;
        model.SetDirectConnectEnabled(1);
        model.SetWriteDefaultsFlags(WriteDefaults::OptionGiven);
        CorrinDlg dlg;
        dlg.SetModel(&model);
        ConnectDriver driver(dlg, model, sim, true);
        QVERIFY(SelectPort(dlg, sim.ComNumber()));

        Control<QRadioButton>(dlg, "radioDirectBase")->setChecked(true);
        QTest::mouseClick(Control<QPushButton>(dlg, "buttonConnect"), Qt::LeftButton);

        // No receiver answers; the Microhard reply alone decides, by the direct choice.
        QCOMPARE(driver.Wizard.ReceiverKind, ReceiverKinds::Unknown);
        QCOMPARE(driver.Wizard.ModeCode, ModeCodes::MicrohardBase);
        QCOMPARE(driver.Wizard.Status, QStringLiteral("Microhard Radio Detected."));
        QVERIFY(driver.Wizard.NextEnabled);
        QCOMPARE(driver.WorkingCode, ModeCodes::MicrohardBase);
        QCOMPARE(model.GetBaudRate(), 19200);  // the model keeps the tested rate; the wizard used 9600
        QVERIFY(sim.WaitReceived("$KBASE,WATCHDOG,1\r\n", 2000));
        QTest::qWait(ConnectDriver::SettleMs);
        QCOMPARE(Bytes(sim.Received().substr(driver.ReceivedAfterWork)), Bytes(ClosingAfterRadioBytes()));
    }

    void silentDeviceGivesUpAfterEightTicks()
    {
        SimProcess sim(SimWith("base", "microhard", false, true));
        QVERIFY(sim.Started());
        CModel model;
        CorrinDlg dlg;
        dlg.SetModel(&model);
        ConnectDriver driver(dlg, model, sim, true);
        QVERIFY(SelectPort(dlg, sim.ComNumber()));

        Control<QRadioButton>(dlg, "radioRadio")->setChecked(true);
        QTest::mouseClick(Control<QPushButton>(dlg, "buttonConnect"), Qt::LeftButton);

        QCOMPARE(driver.Wizard.Status, QStringLiteral("Connection Failed, Radio is not responding."));
        QCOMPARE(driver.Wizard.Ticks, 8);
        QVERIFY(!driver.Wizard.NextEnabled);
        QVERIFY(driver.Wizard.BackEnabled);
        QCOMPARE(driver.Wizard.ModeCode, ModeCodes::RadioConfiguration);
        QCOMPARE(driver.Wizard.ReceiverKind, ReceiverKinds::Unknown);
        QCOMPARE(Bytes(sim.Received().substr(0, driver.Wizard.ReceivedBytes)),
                 Bytes(OpeningBytes() + RadioProbeBytes()));
        QCOMPARE(driver.WorkingCode, 0);
        QVERIFY(sim.WaitReceived("$KBASE,WATCHDOG,1\r\n", 2000));
        QTest::qWait(ConnectDriver::SettleMs);
        QCOMPARE(Bytes(sim.Received().substr(driver.Wizard.ReceivedBytes)), Bytes(ClosingAfterRadioBytes()));
    }

    void portHeldByAnotherProgram()
    {
        SimProcess sim(SimWith("base"));
        QVERIFY(sim.Started());
        CSerialPort holder;
        QVERIFY(holder.Open(sim.ComNumber(), 19200));

        CModel model;
        model.SetModeCode(ModeCodes::SatelRover);  // whatever it was, it stays
        CorrinDlg dlg;
        dlg.SetModel(&model);
        ConnectDriver driver(dlg, model, sim, true);
        QVERIFY(SelectPort(dlg, sim.ComNumber()));

        Control<QRadioButton>(dlg, "radioRadio")->setChecked(true);
        QTest::mouseClick(Control<QPushButton>(dlg, "buttonConnect"), Qt::LeftButton);

        QCOMPARE(driver.ErrorCaption, QStringLiteral("Varnel Link Manager"));
        QCOMPARE(driver.ErrorText, QStringLiteral("Could not open com port %1  ").arg(sim.ComNumber()));
        QCOMPARE(driver.DialogsRun, 0);
        QCOMPARE(model.GetModeCode(), ModeCodes::SatelRover);
        QVERIFY(!dlg.GetPort()->IsOpen());
        QTest::qWait(ConnectDriver::SettleMs);
        QVERIFY(sim.Received().empty());
        holder.Close();
    }
};

QTEST_MAIN(ConnectBaseTest)
#include "connect_base_test.moc"
