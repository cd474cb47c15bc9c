// The Maxstream base and rover dialogs against the simulator, reached through Connect and Next.
#include <QComboBox>
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

const std::string BaseLines = Lines({"ATRE", "ATDT=7", "ATHP=7", "ATBR=0", "ATRR=0", "ATMT=0", "ATTX=1", "ATPL=4",
                                     "ATCT=C8", "ATWR"});
const std::string RoverLines =
    "+++" + Lines({"ATRE", "ATDT=4", "ATHP=4", "ATBR=0", "ATRR=0", "ATMT=0", "ATPL=4", "ATCT=C8", "ATWR"});

}  // namespace

class RadioMaxstreamTest : public QObject {
    Q_OBJECT

private slots:
    void base()
    {
        std::vector<SRadioMessage> messages;
        {
            // A radio that refuses the hopping channel: said so, nothing stored, the dialog stays.
            SimProcess sim(RadioSim("base", "maxstream", {"--refuse", "ATHP"}));
            QVERIFY(sim.Started());
            CRadioSession s(sim, messages);
            s.Run([&](CRadioDialog& d) {
                QCOMPARE(d.windowTitle(), QStringLiteral("Maxstream Base Radio Configuration"));
                auto* id = FindControl<QComboBox>(&d, "comboRadioId");
                QCOMPARE(id->count(), 10);
                QCOMPARE(id->currentText(), QStringLiteral("2"));  // the simulator's ID
                QVERIFY(s.Sent().find("ATDT?\r\n") != std::string::npos);
                QVERIFY(messages.empty());
                id->setCurrentIndex(7);
                QTest::mouseClick(FindControl<QPushButton>(&d, "buttonCommit"), Qt::LeftButton);
                QCOMPARE(messages.back().Text, QStringLiteral("Changes not confirmed: ATHP=7 - ERROR"));
                QVERIFY(d.isVisible());
                QVERIFY(id->isEnabled());
            });
            QVERIFY(s.Sent().find(Lines({"ATRE", "ATDT=7", "ATHP=7"})) != std::string::npos);
            QVERIFY(s.Sent().find("ATBR") == std::string::npos);
            QVERIFY(s.Sent().find("ATWR") == std::string::npos);
        }
        SimProcess sim(RadioSim("base", "maxstream"));
        QVERIFY(sim.Started());
        {
            CRadioSession s(sim, messages);
            const int result = s.Run([&](CRadioDialog& d) {
                FindControl<QComboBox>(&d, "comboRadioId")->setCurrentIndex(7);
                QTest::mouseClick(FindControl<QPushButton>(&d, "buttonCommit"), Qt::LeftButton);
            });
            QCOMPARE(result, int(QDialog::Accepted));
            QCOMPARE(messages.back().Text, QStringLiteral("Changes have been sent."));
            // The ten lines in order, then the main dialog's closing lines.
            QVERIFY(s.Sent().find("ATDT?\r\n" + BaseLines + "ATO\r\nATCN\r\n") != std::string::npos);
        }
        {
            // The radio kept the committed ID.
            CRadioSession s(sim, messages);
            s.Run([&](CRadioDialog& d) {
                QCOMPARE(FindControl<QComboBox>(&d, "comboRadioId")->currentText(), QStringLiteral("7"));
            });
        }
    }

    void rover()
    {
        std::vector<SRadioMessage> messages;
        const QRegularExpression dbm(QStringLiteral("^-\\d+ dBm$"));
        {
            SimProcess sim(RadioSim("rover", "maxstream", {"--refuse", "ATDT="}));
            QVERIFY(sim.Started());
            CRadioSession s(sim, messages);
            s.Run([&](CRadioDialog& d) {
                auto& rover = static_cast<CDialogMaxstreamRover&>(d);
                QCOMPARE(d.windowTitle(), QStringLiteral("Maxstream Rover Radio Configuration"));
                QCOMPARE(FindControl<QComboBox>(&d, "comboRadioId")->currentText(), QStringLiteral("2"));
                auto* signal = FindControl<QLabel>(&d, "labelSignal");
                QCOMPARE(signal->text(), QStringLiteral("Reading"));
                QVERIFY(WaitUntil([&] { return dbm.match(signal->text()).hasMatch(); }, 8000));
                QVERIFY(signal->accessibleName().endsWith(signal->text()));
                FindControl<QComboBox>(&d, "comboRadioId")->setCurrentIndex(4);
                QTest::mouseClick(FindControl<QPushButton>(&d, "buttonCommit"), Qt::LeftButton);
                QCOMPARE(messages.back().Text, QStringLiteral("Changes not confirmed: ATDT=4 - ERROR"));
                QVERIFY(d.isVisible());
                QVERIFY(rover.Poller().Running());  // reading on after the failure
                QVERIFY(!FindControl<QWidget>(&d, "panelWait")->isVisible());
                QTest::keyClick(&d, Qt::Key_Escape);  // stops the thread before the dialog closes
                QVERIFY(!rover.Poller().Running());
            });
            const std::string sent = s.Sent();
            QVERIFY(sent.find("ATGD\r\n") != std::string::npos);
            QVERIFY(sent.find("ATDB\r\n") != std::string::npos);
            QVERIFY(sent.find("ATCN\r\n+++" + Lines({"ATRE", "ATDT=4", "ATCN"})) != std::string::npos);
            QVERIFY(sent.find("ATWR") == std::string::npos);
        }
        SimProcess sim(RadioSim("rover", "maxstream", {"--link", "down"}));
        QVERIFY(sim.Started());
        CRadioSession s(sim, messages);
        const int result = s.Run([&](CRadioDialog& d) {
            auto* signal = FindControl<QLabel>(&d, "labelSignal");
            QVERIFY(WaitUntil([&] { return signal->text() == QLatin1String("No Signal"); }, 8000));
            FindControl<QComboBox>(&d, "comboRadioId")->setCurrentIndex(4);
            QTest::mouseClick(FindControl<QPushButton>(&d, "buttonCommit"), Qt::LeftButton);
        });
        QCOMPARE(result, int(QDialog::Accepted));
        QCOMPARE(messages.back().Text, QStringLiteral("Changes have been sent."));
        // The thread's last "ATCN", the escape and the nine lines, then the closing lines.
        QVERIFY(s.Sent().find("ATCN\r\n" + RoverLines + "ATO\r\nATCN\r\n") != std::string::npos);
    }
};

QTEST_MAIN(RadioMaxstreamTest)
#include "radio_maxstream_test.moc"
