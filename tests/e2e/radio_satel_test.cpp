// The Satel base and rover dialogs against the simulator, reached through Connect and Next.
#include <QLabel>
#include <QRegularExpression>
#include <QSlider>

#include "radio_session.h"

namespace {

QString Shown(CRadioDialog& d, const char* label)
{
    return Find<QLabel>(d, label)->text();
}

}  // namespace

class RadioSatelTest : public QObject {
    Q_OBJECT

private slots:
    void base()
    {
        QStringList messages;
        {
            // A radio that refuses the power: said so, nothing stored, the dialog stays.
            SimProcess sim(RadioSim("base", "satel", {"--refuse", "SL@P="}));
            CRadioSession s(sim, messages);
            s.Run([&](CRadioDialog& d) {
                QCOMPARE(d.windowTitle(), QStringLiteral("Satel Base Radio Configuration"));
                auto* slider = Find<QSlider>(d, "sliderChannel");
                QCOMPARE(slider->value(), 45);  // the simulator's 434.125 MHz
                QCOMPARE(Shown(d, "labelChannel"), QStringLiteral("Channel: 45"));
                QCOMPARE(Shown(d, "labelFrequency"), QStringLiteral("Frequency: 434.125MHZ"));
                QVERIFY(Find<QRadioButton>(d, "radioOneWatt")->isChecked());
                // A move updates both labels (and what a screen reader hears) and the model at once.
                QTest::keyClick(slider, Qt::Key_Left);
                QCOMPARE(Shown(d, "labelChannel"), QStringLiteral("Channel: 44"));
                QCOMPARE(Find(d, "labelFrequency")->accessibleName(), QStringLiteral("Frequency: 434.100MHZ"));
                QCOMPARE(s.Model.GetRadioFrequency(), 434.1);
                Find<QRadioButton>(d, "radioHalfWatt")->setChecked(true);
                Find<QPushButton>(d, "buttonCommit")->click();
                QCOMPARE(messages.back(), QStringLiteral("Changes not confirmed: SL@P=500 - ERROR"));
                QVERIFY(d.isVisible() && slider->isEnabled());
            });
            const std::string refused = "SL&F=434.100\r\nSL&F=434.100\r\nSL@P=500\r\nSL@P=500\r\nATO\r\n";
            QVERIFY(s.Sent().find(refused) != std::string::npos);
            QVERIFY(s.Sent().find("SL**>") == std::string::npos);
        }
        SimProcess sim(RadioSim("base", "satel"));
        CRadioSession s(sim, messages);
        QCOMPARE(s.Run([&](CRadioDialog& d) {
            QTest::keyClick(Find(d, "sliderChannel"), Qt::Key_End);
            Find<QPushButton>(d, "buttonCommit")->click();
        }),
                 int(QDialog::Accepted));
        QCOMPARE(messages.back(), QStringLiteral("Changes have been sent."));
        QVERIFY(s.Sent().find("SL&F?\r\nSL&F=435.000\r\nSL&F=435.000\r\nSL@P=1000\r\nSL@P=1000\r\nSL**>\r\nATO\r\n") !=
                std::string::npos);
        CRadioSession again(sim, messages);  // the radio kept the committed frequency
        again.Run([&](CRadioDialog& d) { QCOMPARE(Find<QSlider>(d, "sliderChannel")->value(), 80); });
    }

    void rover()
    {
        QStringList messages;
        {
            SimProcess sim(RadioSim("rover", "satel", {"--refuse", "SL&F="}));
            CRadioSession s(sim, messages);
            s.Run([&](CRadioDialog& d) {
                QCOMPARE(d.windowTitle(), QStringLiteral("Satel Rover Radio Configuration"));
                QCOMPARE(Shown(d, "labelChannel"), QStringLiteral("Channel: 45"));
                auto* signal = Find<QLabel>(d, "labelSignal");
                const QRegularExpression dbm(QStringLiteral("^-\\d+dBm$"));
                QVERIFY(WaitUntil([&] { return dbm.match(signal->text()).hasMatch(); }, 3000));
                QVERIFY(signal->accessibleName().endsWith(signal->text()));
                Find<QPushButton>(d, "buttonCommit")->click();
                QCOMPARE(messages.back(), QStringLiteral("Changes not confirmed: SL&F=434.125 - ERROR"));
                QVERIFY(d.isVisible());
                // The poll goes on after the failure, and stops with the dialog.
                const std::size_t asked = s.Sent().size();
                QVERIFY(WaitUntil([&] { return s.Sent().find("SL@R?", asked) != std::string::npos; }, 3000));
            });
            const std::string sent = s.Sent();
            const auto closing = sent.find("ATO\r\nATCN\r\n$KBASE");
            QVERIFY(sent.find("SL&F=434.125\r\nSL&F=434.125\r\n") < closing);
            QVERIFY(sent.find("SL**>") == std::string::npos);
            QVERIFY(sent.find("SL@R?", closing) == std::string::npos);
        }
        SimProcess sim(RadioSim("rover", "satel", {"--link", "down"}));
        CRadioSession s(sim, messages);
        QCOMPARE(s.Run([&](CRadioDialog& d) {
            QVERIFY(WaitUntil([&] { return Shown(d, "labelSignal") == "-110dBm"; }, 3000));
            QTest::keyClick(Find(d, "sliderChannel"), Qt::Key_Home);
            // A commit in the middle of a reading: the poll stops before anything is sent.
            const std::size_t before = s.Sent().size();
            QVERIFY(WaitUntil([&] { return s.Sent().find("SL@R?", before) != std::string::npos; }, 3000));
            Find<QPushButton>(d, "buttonCommit")->click();
        }),
                 int(QDialog::Accepted));
        QCOMPARE(messages.back(), QStringLiteral("Changes have been sent."));
        const std::string sent = s.Sent();
        const std::string commit = "SL&F=433.000\r\nSL&F=433.000\r\nSL**>\r\nATO\r\n";
        QVERIFY(sent.find(commit) != std::string::npos);
        QVERIFY(sent.find("SL@R?", sent.find(commit)) == std::string::npos);
    }
};

QTEST_MAIN(RadioSatelTest)
#include "radio_satel_test.moc"
