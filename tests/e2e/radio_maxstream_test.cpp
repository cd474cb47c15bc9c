// The Maxstream base and rover dialogs against the simulator, reached through Connect and Next.
#include <QLabel>
#include <QRegularExpression>

#include "radio/dialog_maxstream_rover.h"
#include "radio_session.h"

namespace {

std::string Lines(std::initializer_list<const char*> lines)
{
    std::string out;
    for (const char* l : lines)
        out += std::string(l) + "\r\n";
    return out;
}

void Commit(CRadioDialog& d, int id)
{
    Find<QComboBox>(d, "comboRadioId")->setCurrentIndex(id);
    Find<QPushButton>(d, "buttonCommit")->click();
}

}  // namespace

class RadioMaxstreamTest : public QObject {
    Q_OBJECT

private slots:
    void base()
    {
        QStringList messages;
        {
            // A radio that refuses the hopping channel: said so, nothing stored, the dialog stays.
            SimProcess sim(RadioSim("base", "maxstream", {"--refuse", "ATHP"}));
            CRadioSession s(sim, messages);
            s.Run([&](CRadioDialog& d) {
                QCOMPARE(d.windowTitle(), QStringLiteral("Maxstream Base Radio Configuration"));
                QCOMPARE(Find<QComboBox>(d, "comboRadioId")->count(), 10);
                QCOMPARE(Find<QComboBox>(d, "comboRadioId")->currentText(), QStringLiteral("2"));
                QVERIFY(messages.isEmpty());
                Commit(d, 7);
                QCOMPARE(messages.back(), QStringLiteral("Changes not confirmed: ATHP=7 - ERROR"));
                QVERIFY(d.isVisible() && Find(d, "comboRadioId")->isEnabled());
            });
            QVERIFY(s.Sent().find(Lines({"ATDT?", "ATRE", "ATDT=7", "ATHP=7", "ATO"})) != std::string::npos);
            QVERIFY(s.Sent().find("ATWR") == std::string::npos);
        }
        SimProcess sim(RadioSim("base", "maxstream"));
        CRadioSession s(sim, messages);
        QCOMPARE(s.Run([&](CRadioDialog& d) { Commit(d, 7); }), int(QDialog::Accepted));
        QCOMPARE(messages.back(), QStringLiteral("Changes have been sent."));
        // The ten lines in order, then the main dialog's closing lines.
        QVERIFY(s.Sent().find(Lines({"ATRE", "ATDT=7", "ATHP=7", "ATBR=0", "ATRR=0", "ATMT=0", "ATTX=1", "ATPL=4",
                                     "ATCT=C8", "ATWR", "ATO"})) != std::string::npos);
        CRadioSession again(sim, messages);  // the radio kept the committed ID
        again.Run([&](CRadioDialog& d) {
            QCOMPARE(Find<QComboBox>(d, "comboRadioId")->currentText(), QStringLiteral("7"));
        });
    }

    void rover()
    {
        QStringList messages;
        {
            SimProcess sim(RadioSim("rover", "maxstream", {"--refuse", "ATDT="}));
            CRadioSession s(sim, messages);
            s.Run([&](CRadioDialog& d) {
                auto& rover = static_cast<CDialogMaxstreamRover&>(d);
                QCOMPARE(d.windowTitle(), QStringLiteral("Maxstream Rover Radio Configuration"));
                QCOMPARE(Find<QComboBox>(d, "comboRadioId")->currentText(), QStringLiteral("2"));
                auto* signal = Find<QLabel>(d, "labelSignal");
                QCOMPARE(signal->text(), QStringLiteral("Reading"));
                const QRegularExpression dbm(QStringLiteral("^-\\d+ dBm$"));
                QVERIFY(WaitUntil([&] { return dbm.match(signal->text()).hasMatch(); }, 8000));
                QVERIFY(signal->accessibleName().endsWith(signal->text()));
                Commit(d, 4);
                QCOMPARE(messages.back(), QStringLiteral("Changes not confirmed: ATDT=4 - ERROR"));
                QVERIFY(d.isVisible() && !Find(d, "panelWait")->isVisible());
                QVERIFY(rover.Poller().Running());  // reading on after the failure
                QTest::keyClick(&d, Qt::Key_Escape);  // stops the thread before the dialog closes
                QVERIFY(!rover.Poller().Running());
            });
            const std::string sent = s.Sent();
            QVERIFY(sent.find("ATGD\r\n") != std::string::npos && sent.find("ATDB\r\n") != std::string::npos);
            QVERIFY(sent.find("ATCN\r\n+++" + Lines({"ATRE", "ATDT=4", "ATCN"})) != std::string::npos);
            QVERIFY(sent.find("ATWR") == std::string::npos);
        }
        SimProcess sim(RadioSim("rover", "maxstream", {"--link", "down"}));
        CRadioSession s(sim, messages);
        QCOMPARE(s.Run([&](CRadioDialog& d) {
            QVERIFY(WaitUntil([&] { return Find<QLabel>(d, "labelSignal")->text() == "No Signal"; }, 8000));
            Commit(d, 4);
        }),
                 int(QDialog::Accepted));
        QCOMPARE(messages.back(), QStringLiteral("Changes have been sent."));
        // The thread's last "ATCN", the escape and the nine lines, then the closing lines.
        QVERIFY(s.Sent().find("ATCN\r\n+++" + Lines({"ATRE", "ATDT=4", "ATHP=4", "ATBR=0", "ATRR=0", "ATMT=0", "ATPL=4",
                                                     "ATCT=C8", "ATWR", "ATO"})) != std::string::npos);
    }
};

QTEST_MAIN(RadioMaxstreamTest)
#include "radio_maxstream_test.moc"
