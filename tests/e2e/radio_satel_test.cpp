// The Satel base and rover dialogs against the simulator, reached through Connect and Next.
#include <QLabel>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSlider>

#include "radio_session.h"

namespace {

QString Shown(QWidget& d, const char* label)
{
    return FindControl<QLabel>(&d, label)->text();
}

}  // namespace

class RadioSatelTest : public QObject {
    Q_OBJECT

private slots:
    void base()
    {
        std::vector<SRadioMessage> messages;
        {
            // A radio that refuses the power: said so, nothing stored, the dialog stays.
            SimProcess sim(RadioSim("base", "satel", {"--refuse", "SL@P="}));
            QVERIFY(sim.Started());
            CRadioSession s(sim, messages);
            s.Run([&](CRadioDialog& d) {
                QCOMPARE(d.windowTitle(), QStringLiteral("Satel Base Radio Configuration"));
                auto* slider = FindControl<QSlider>(&d, "sliderChannel");
                QCOMPARE(slider->value(), 45);  // the simulator's 434.125 MHz
                QCOMPARE(Shown(d, "labelChannel"), QStringLiteral("Channel: 45"));
                QCOMPARE(Shown(d, "labelFrequency"), QStringLiteral("Frequency: 434.125MHZ"));
                QVERIFY(FindControl<QRadioButton>(&d, "radioOneWatt")->isChecked());
                // Moving the slider updates both labels and the model at once.
                slider->setFocus();
                QTest::keyClick(slider, Qt::Key_Left);
                QCOMPARE(Shown(d, "labelChannel"), QStringLiteral("Channel: 44"));
                QCOMPARE(Shown(d, "labelFrequency"), QStringLiteral("Frequency: 434.100MHZ"));
                QCOMPARE(FindControl<QLabel>(&d, "labelFrequency")->accessibleName(), Shown(d, "labelFrequency"));
                QCOMPARE(s.Model.GetRadioFrequency(), 434.1);
                FindControl<QRadioButton>(&d, "radioHalfWatt")->setChecked(true);
                QTest::mouseClick(FindControl<QPushButton>(&d, "buttonCommit"), Qt::LeftButton);
                QCOMPARE(messages.back().Text, QStringLiteral("Changes not confirmed: SL@P=500 - ERROR"));
                QVERIFY(d.isVisible());
                QVERIFY(slider->isEnabled());
            });
            QVERIFY(s.Sent().find("SL&F=434.100\r\nSL&F=434.100\r\nSL@P=500\r\nSL@P=500\r\n") != std::string::npos);
            QVERIFY(s.Sent().find("SL**>") == std::string::npos);
            QCOMPARE(s.Model.GetRadioPower(), 500);
        }
        SimProcess sim(RadioSim("base", "satel"));
        QVERIFY(sim.Started());
        {
            CRadioSession s(sim, messages);
            const int result = s.Run([&](CRadioDialog& d) {
                QTest::keyClick(FindControl<QSlider>(&d, "sliderChannel"), Qt::Key_End);
                QTest::mouseClick(FindControl<QPushButton>(&d, "buttonCommit"), Qt::LeftButton);
            });
            QCOMPARE(result, int(QDialog::Accepted));
            QCOMPARE(messages.back().Text, QStringLiteral("Changes have been sent."));
            QVERIFY(s.Sent().find("SL&F?\r\nSL&F=435.000\r\nSL&F=435.000\r\nSL@P=1000\r\nSL@P=1000\r\nSL**>\r\nATO\r\n") !=
                    std::string::npos);
        }
        {
            // The radio kept the committed frequency.
            CRadioSession s(sim, messages);
            s.Run([&](CRadioDialog& d) {
                QCOMPARE(FindControl<QSlider>(&d, "sliderChannel")->value(), 80);
                QCOMPARE(Shown(d, "labelFrequency"), QStringLiteral("Frequency: 435.000MHZ"));
            });
        }
    }

    void rover()
    {
        std::vector<SRadioMessage> messages;
        {
            SimProcess sim(RadioSim("rover", "satel", {"--refuse", "SL&F="}));
            QVERIFY(sim.Started());
            CRadioSession s(sim, messages);
            s.Run([&](CRadioDialog& d) {
                QCOMPARE(d.windowTitle(), QStringLiteral("Satel Rover Radio Configuration"));
                QCOMPARE(Shown(d, "labelChannel"), QStringLiteral("Channel: 45"));
                auto* signal = FindControl<QLabel>(&d, "labelSignal");
                const QRegularExpression dbm(QStringLiteral("^-\\d+dBm$"));
                QVERIFY(WaitUntil([&] { return dbm.match(signal->text()).hasMatch(); }, 3000));
                QVERIFY(signal->accessibleName().endsWith(signal->text()));
                QTest::mouseClick(FindControl<QPushButton>(&d, "buttonCommit"), Qt::LeftButton);
                QCOMPARE(messages.back().Text, QStringLiteral("Changes not confirmed: SL&F=434.125 - ERROR"));
                QVERIFY(d.isVisible());
                // The poll goes on after the failure, and stops with the dialog.
                const std::size_t asked = s.Sent().size();
                QVERIFY(WaitUntil([&] { return s.Sent().find("SL@R?", asked) != std::string::npos; }, 3000));
            });
            const std::string sent = s.Sent();
            QVERIFY(sent.find("ATO\r\nATCN\r\n$KBASE") != std::string::npos);
            QVERIFY(sent.find("SL&F=434.125\r\nSL&F=434.125\r\n") != std::string::npos);
            QVERIFY(sent.find("SL**>") == std::string::npos);
            QVERIFY(sent.find("SL@R?", sent.find("ATO\r\nATCN\r\n$KBASE")) == std::string::npos);
        }
        SimProcess sim(RadioSim("rover", "satel", {"--link", "down"}));
        QVERIFY(sim.Started());
        CRadioSession s(sim, messages);
        const int result = s.Run([&](CRadioDialog& d) {
            auto* signal = FindControl<QLabel>(&d, "labelSignal");
            QVERIFY(WaitUntil([&] { return signal->text() == QLatin1String("-110dBm"); }, 3000));
            QTest::keyClick(FindControl<QSlider>(&d, "sliderChannel"), Qt::Key_Home);
            // A commit in the middle of a reading: the poll stops before anything is sent.
            const std::size_t before = s.Sent().size();
            QVERIFY(WaitUntil([&] { return s.Sent().find("SL@R?", before) != std::string::npos; }, 3000));
            QTest::mouseClick(FindControl<QPushButton>(&d, "buttonCommit"), Qt::LeftButton);
        });
        QCOMPARE(result, int(QDialog::Accepted));
        QCOMPARE(messages.back().Text, QStringLiteral("Changes have been sent."));
        QCOMPARE(s.Model.GetRadioFrequency(), 433.0);
        const std::string sent = s.Sent();
        const std::string commit = "SL&F=433.000\r\nSL&F=433.000\r\nSL**>\r\nATO\r\n";
        QVERIFY(sent.find(commit) != std::string::npos);
        QVERIFY(sent.find("SL@R?", sent.find(commit)) == std::string::npos);
    }
};

QTEST_MAIN(RadioSatelTest)
#include "radio_satel_test.moc"
