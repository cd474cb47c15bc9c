#include "connect_driver.h"

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
        ConnectDriver d(sim, true, [](CModel& m) { m.SetRadioPower(5); });  // a Satel reply overwrites it
        // The replies were all in the first read.
        d.Expect("radioRadio", {.status = status, .next = true, .mode = mode, .kind = kind, .wizardSent = ProbingBytes,
                               .working = mode, .closing = ClosingAfterRadioBytes});
        if (radio == QLatin1String("satel")) {
            QCOMPARE(d.Model.GetRadioFrequency(), 434.125);
            QCOMPARE(d.Model.GetRadioPower(), 1000);
        }
    }
};

QTEST_MAIN(ConnectRadioTest)
#include "connect_radio_test.moc"
