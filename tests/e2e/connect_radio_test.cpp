#include <QRadioButton>

#include "connect_driver.h"
#include "serial/serial_port.h"

// "Radio Configuration" through a simulated base or rover with each make of radio: the probes the
// wizard sends, what it recognises, the working dialog it leads to and the closing sentences.
class ConnectRadioTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { ConnectDriver::StandInWorkingDialogs(); }

    void radioBehindAReceiver_data()
    {
        QTest::addColumn<QString>("receiver");
        QTest::addColumn<QString>("radio");
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("status");
        QTest::newRow("base microhard") << "base" << "microhard" << 112 << 119 << "Microhard Radio Detected.";
        QTest::newRow("base maxstream") << "base" << "maxstream" << 112 << 122 << "Maxstream Radio Detected.";
        QTest::newRow("base satel") << "base" << "satel" << 112 << 114 << "Satel Radio Detected.";
        QTest::newRow("rover microhard") << "rover" << "microhard" << 113 << 117 << "Microhard Radio Detected.";
        QTest::newRow("rover maxstream") << "rover" << "maxstream" << 113 << 120 << "Maxstream Radio Detected.";
        QTest::newRow("rover satel") << "rover" << "satel" << 113 << 115 << "Satel Radio Detected.";
    }

    void radioBehindAReceiver()
    {
        QFETCH(QString, receiver);
        QFETCH(QString, radio);
        QFETCH(int, kind);
        QFETCH(int, mode);
        QFETCH(QString, status);

        SimProcess sim(SimWith(receiver.toUtf8().constData(), radio.toUtf8().constData()));
        QVERIFY(sim.Started());
        CModel model;
        model.SetRadioPower(5);  // the Satel reply must overwrite it
        CorrinDlg dlg;
        dlg.SetModel(&model);
        ConnectDriver driver(dlg, model, sim, true);
        QVERIFY(SelectPort(dlg, sim.ComNumber()));

        Control<QRadioButton>(dlg, "radioRadio")->setChecked(true);
        QTest::mouseClick(Control<QPushButton>(dlg, "buttonConnect"), Qt::LeftButton);

        QVERIFY(driver.Wizard.Finished);
        QCOMPARE(driver.Wizard.Status, status);
        QCOMPARE(driver.Wizard.ReceiverKind, kind);
        QCOMPARE(driver.Wizard.ModeCode, mode);
        QVERIFY(driver.Wizard.NextEnabled);
        QVERIFY(driver.Wizard.BackEnabled);
        QCOMPARE(driver.Wizard.Ticks, 1);  // the replies were all in the first read
        QCOMPARE(Bytes(sim.Received().substr(0, driver.Wizard.ReceivedBytes)),
                 Bytes(OpeningBytes() + RadioProbeBytes()));
        if (radio == QLatin1String("satel")) {
            QCOMPARE(model.GetRadioFrequency(), 434.125);
            QCOMPARE(model.GetRadioPower(), 1000);
        }

        // "Next" leads to the radio's working dialog; afterwards the receiver is put back into
        // normal operation with the closing sentences, in order and in one go.
        QCOMPARE(driver.WorkingCode, mode);
        QVERIFY(sim.WaitReceived("$KBASE,WATCHDOG,1\r\n", 2000));
        QTest::qWait(ConnectDriver::SettleMs);
        QCOMPARE(Bytes(sim.Received().substr(driver.ReceivedAfterWork)), Bytes(ClosingAfterRadioBytes()));
        const long long span = BurstSpanMs(sim, driver.ReceivedAfterWork);
        QVERIFY2(span >= 0 && span < 100, qPrintable(QString::number(span)));
        QVERIFY(!dlg.GetPort()->IsOpen());
        QCOMPARE(model.GetModeCode(), ModeCodes::Idle);
    }

    void backAfterARadioStillRestoresTheReceiver()
    {
        SimProcess sim(SimWith("base", "microhard"));
        QVERIFY(sim.Started());
        CModel model;
        CorrinDlg dlg;
        dlg.SetModel(&model);
        ConnectDriver driver(dlg, model, sim, false);
        QVERIFY(SelectPort(dlg, sim.ComNumber()));

        Control<QRadioButton>(dlg, "radioRadio")->setChecked(true);
        QTest::mouseClick(Control<QPushButton>(dlg, "buttonConnect"), Qt::LeftButton);

        QCOMPARE(driver.Wizard.ModeCode, ModeCodes::MicrohardBase);
        QCOMPARE(driver.WorkingCode, 0);
        QVERIFY(sim.WaitReceived("$KBASE,WATCHDOG,1\r\n", 2000));
        QTest::qWait(ConnectDriver::SettleMs);
        QCOMPARE(Bytes(sim.Received().substr(driver.Wizard.ReceivedBytes)), Bytes(ClosingAfterRadioBytes()));
        QCOMPARE(model.GetModeCode(), ModeCodes::Idle);
    }
};

QTEST_MAIN(ConnectRadioTest)
#include "connect_radio_test.moc"
