// The Microhard base and rover dialogs against the simulator, reached as the operator does:
// Radio Configuration, Connect, Next. Each scenario drives one dialog through many behaviours.
#include <QLabel>
#include <QRegularExpression>
#include <QSlider>

#include "radio/dialog_microhard_base.h"
#include "radio/dialog_microhard_rover.h"
#include "radio_session.h"
#include "serial/serial_port.h"

namespace {

SimProcess::Options Microhard(const char* receiver, std::vector<std::string> extra = {})
{
    return RadioSim(receiver, "microhard", std::move(extra));
}

const std::string Closing = "AT&W\r\nATO\r\n$JCONN,X\r\n$KBASE,PASSTHROUGH,0\r\n";

}  // namespace

class RadioMicrohardTest : public QObject {
    Q_OBJECT

private slots:
    void base()
    {
        SimProcess sim(Microhard("base"));
        QVERIFY(sim.Started());
        std::vector<SRadioMessage> messages;
        {
            // Compact layout: the settings and the firmware are read at opening.
            CRadioSession s(sim, messages);
            const int result = s.Run([&](CRadioDialog& d) {
                QCOMPARE(d.windowTitle(), QStringLiteral("Microhard Base Radio Configuration"));
                QCOMPARE(Find<QLabel>(&d, "labelFirmware")->text(), QStringLiteral("v1.56 build 1043"));
                QVERIFY(Find<QLabel>(&d, "labelFirmware")->accessibleName().contains("v1.56 build 1043"));
                auto* id = Find<QComboBox>(&d, "comboRadioId");
                QCOMPARE(id->currentText(), QStringLiteral("03"));
                QCOMPARE(id->count(), 100);
                QVERIFY(!Find<QComboBox>(&d, "comboPower")->isVisible());
                QVERIFY(!Find<QSlider>(&d, "sliderBattery")->isVisible());
                QVERIFY(Find<QPushButton>(&d, "buttonCommit")->isEnabled());
                const std::string read = sim.Received();
                for (const char* q : {"ATS104?\r\n", "ATS113?\r\n", "ATS108?\r\n", "ATS109?\r\n", "AT&V\r\n"})
                    QVERIFY2(read.find(q) != std::string::npos, q);
                // An ID outside 0..99 is refused and nothing is sent.
                const std::size_t before = sim.Received().size();
                id->setCurrentText("100");
                QTest::mouseClick(Find<QPushButton>(&d, "buttonCommit"), Qt::LeftButton);
                QCOMPARE(messages.size(), std::size_t(1));
                QCOMPARE(messages.back().Text, QStringLiteral("The radio ID must be a number from 0 to 99."));
                QTest::qWait(200);
                QCOMPARE(sim.Received().size(), before);
                QVERIFY(d.isVisible());
                id->setCurrentText("42");
                QTest::mouseClick(Find<QPushButton>(&d, "buttonCommit"), Qt::LeftButton);
            });
            QCOMPARE(result, int(QDialog::Accepted));
            QCOMPARE(messages.back().Text, QStringLiteral("Changes have been sent."));
            QCOMPARE(messages.back().Icon, QMessageBox::Information);
            const std::string sent = s.Sent();
            QVERIFY(sent.find("ATS104=143\r\n" + Closing + "ATO\r\nATCN\r\n") != std::string::npos);
        }
        {
            // Full layout ("def"): defaults shown; "Read current settings" finds the committed ID.
            CRadioSession s(sim, messages, WriteDefaults::OptionGiven);
            const int result = s.Run([&](CRadioDialog& d) {
                auto* id = Find<QComboBox>(&d, "comboRadioId");
                auto* power = Find<QComboBox>(&d, "comboPower");
                auto* retries = Find<QComboBox>(&d, "comboRetransmissions");
                auto* slider = Find<QSlider>(&d, "sliderBattery");
                auto* read = Find<QPushButton>(&d, "buttonReadSettings");
                QCOMPARE(id->currentText(), QStringLiteral("00"));
                QCOMPARE(power->currentText(), QStringLiteral("1000"));
                QCOMPARE(retries->currentText(), QStringLiteral("3"));
                QCOMPARE(slider->value(), 3);
                QVERIFY(power->isVisible() && slider->isVisible());
                QTest::mouseClick(read, Qt::LeftButton);
                QCOMPARE(read->text(), QStringLiteral("Set to defaults"));
                QVERIFY(WaitUntil([&] { return id->currentText() == "42"; }, 5000));
                QVERIFY(WaitUntil([&] { return id->isEnabled(); }, 5000));
                power->setCurrentText("630");
                retries->setCurrentText("2");
                slider->setValue(1);
                id->setCurrentText("7");
                // Factory defaults replace what the radio has: asked first, and Cancel sends nothing.
                s.Prompter().Answer = false;
                const std::size_t before = sim.Received().size();
                QTest::mouseClick(Find<QPushButton>(&d, "buttonCommit"), Qt::LeftButton);
                QCOMPARE(s.Prompter().Questions, QStringList{QStringLiteral(
                    "This resets the radio to factory defaults and sets ID 07 (the radio has 42)")});
                QTest::qWait(200);
                QCOMPARE(sim.Received().size(), before);
                QVERIFY(d.isVisible());
                s.Prompter().Answer = true;
                id->setCurrentText("42");
                QTest::mouseClick(Find<QPushButton>(&d, "buttonCommit"), Qt::LeftButton);
            });
            QCOMPARE(result, int(QDialog::Accepted));
            const std::string sent = s.Sent();
            // "Write defaults" is ticked with the option: the factory set comes first.
            QVERIFY(sent.find("AT&F10\r\nATS102=7\r\nATS103=0\r\nATS115=3\r\nATS158=7\r\nATS104=143\r\nATS113=2\r\n"
                              "ATS109=12\r\nATS108=28\r\n" + Closing) != std::string::npos);
        }
    }

    void baseRefusedAndInPieces()
    {
        SimProcess sim(Microhard("base", {"--refuse", "ATS104=", "--reply-pieces", "16"}));
        QVERIFY(sim.Started());
        std::vector<SRadioMessage> messages;
        CRadioSession s(sim, messages);
        const int result = s.Run([&](CRadioDialog& d) {
            QCOMPARE(Find<QComboBox>(&d, "comboRadioId")->currentText(), QStringLiteral("03"));
            QCOMPARE(Find<QLabel>(&d, "labelFirmware")->text(), QStringLiteral("v1.56 build 1043"));
            Find<QComboBox>(&d, "comboRadioId")->setCurrentText("7");
            QTest::mouseClick(Find<QPushButton>(&d, "buttonCommit"), Qt::LeftButton);
            QVERIFY(d.isVisible());
            QCOMPARE(messages.size(), std::size_t(1));
            QCOMPARE(messages.back().Text, QStringLiteral("Changes not confirmed: ATS104=108 - ATS104=108 ERROR"));
            QTest::keyClick(&d, Qt::Key_Escape);
        });
        QCOMPARE(result, int(QDialog::Rejected));
        const std::string sent = s.Sent();
        QVERIFY(sent.find("ATS104=108\r\n") != std::string::npos);
        QVERIFY(sent.find("AT&W") == std::string::npos);
        QVERIFY(sent.find("ATO\r\nATCN\r\n$KBASE,PASSTHROUGH,0\r\n") != std::string::npos);  // the main dialog's closing
    }

    void rover()
    {
        SimProcess sim(Microhard("rover"));
        QVERIFY(sim.Started());
        std::vector<SRadioMessage> messages;
        CRadioSession s(sim, messages);
        bool busySeen = false;
        const int result = s.Run([&](CRadioDialog& d) {
            auto& rover = static_cast<CDialogMicrohardRover&>(d);
            QCOMPARE(d.windowTitle(), QStringLiteral("Microhard Rover Radio Configuration"));
            QCOMPARE(Find<QComboBox>(&d, "comboRadioId")->currentText(), QStringLiteral("03"));
            QCOMPARE(Find<QLabel>(&d, "labelFirmware")->text(), QStringLiteral("v1.56 build 1043"));
            QVERIFY(rover.Poller().Running());
            auto* signal = Find<QLabel>(&d, "labelSignal");
            const QRegularExpression dbm(QStringLiteral("^-\\d+ dBm$"));
            QVERIFY(WaitUntil([&] { return dbm.match(signal->text()).hasMatch(); }, 8000));
            QVERIFY(signal->accessibleName().contains(signal->text()));
            // Mid-commit: the wait panel is up, the inputs are off, and a Cancel waits for the end.
            QTimer::singleShot(500, &d, [&] {
                busySeen = d.Busy() && Find<QPushButton>(&d, "panelWait")->isVisible() &&
                           !Find<QPushButton>(&d, "buttonCommit")->isEnabled() &&
                           !Find<QComboBox>(&d, "comboRadioId")->isEnabled();
                d.reject();
            });
            Find<QComboBox>(&d, "comboRadioId")->setCurrentText("07");
            QTest::mouseClick(Find<QPushButton>(&d, "buttonCommit"), Qt::LeftButton);
            QVERIFY(!rover.Poller().Running());
        });
        QVERIFY(busySeen);
        QCOMPARE(result, int(QDialog::Accepted));
        QCOMPARE(messages.back().Text, QStringLiteral("Changes have been sent."));
        QVERIFY(!s.Dlg.GetPort()->IsOpen());
        const std::string sent = s.Sent();
        // The thread's last "ATO", then the escape and the lines; the port closes after them.
        const std::string tail = "+++ATS104=108\r\n" + Closing;
        QVERIFY(sent.size() >= tail.size());
        QCOMPARE(QByteArray::fromStdString(sent.substr(sent.size() - tail.size())), QByteArray::fromStdString(tail));
        QVERIFY(sent.find("ATS123?\r\n") != std::string::npos);
        // The opening queries were over before the thread's first escape.
        QVERIFY(sent.find("AT&V\r\n") < sent.find("+++", sent.find("ATS104?\r\n")));
        QVERIFY(sent.find("ATO\r\n+++") != std::string::npos);
    }

    void roverLinkDownAndRefused()
    {
        SimProcess sim(Microhard("rover", {"--link", "down", "--refuse", "ATS104"}));
        QVERIFY(sim.Started());
        std::vector<SRadioMessage> messages;
        CRadioSession s(sim, messages);
        const int result = s.Run([&](CRadioDialog& d) {
            auto& rover = static_cast<CDialogMicrohardRover&>(d);
            // The opening read failed: said so, and no ID is shown as if read.
            QCOMPARE(messages.size(), std::size_t(1));
            QCOMPARE(messages[0].Text, QStringLiteral("Read configuration failed - ATS104? ERROR"));
            auto* id = Find<QComboBox>(&d, "comboRadioId");
            QCOMPARE(id->currentText(), QString());
            QVERIFY(WaitUntil([&] { return Find<QLabel>(&d, "labelSignal")->text() == "No Signal"; }, 8000));
            QTest::mouseClick(Find<QPushButton>(&d, "buttonCommit"), Qt::LeftButton);  // empty ID
            QCOMPARE(messages.back().Text, QStringLiteral("The radio ID must be a number from 0 to 99."));
            QVERIFY(rover.Poller().Running());
            id->setCurrentText("07");
            QTest::mouseClick(Find<QPushButton>(&d, "buttonCommit"), Qt::LeftButton);
            QCOMPARE(messages.back().Text, QStringLiteral("Changes not confirmed: ATS104=108 - ATS104=108 ERROR"));
            QVERIFY(d.isVisible());
            QVERIFY(s.Dlg.GetPort()->IsOpen());
            QVERIFY(rover.Poller().Running());  // reading on after the failure
            QVERIFY(id->isEnabled());
            d.close();  // the close box cancels like Cancel: the thread stops first
            QVERIFY(!rover.Poller().Running());
        });
        QCOMPARE(result, int(QDialog::Rejected));
        const std::string sent = s.Sent();
        QVERIFY(sent.find("+++ATS104=108\r\n") != std::string::npos);
        QVERIFY(sent.find("AT&W") == std::string::npos);
        QVERIFY(sent.find("ATO\r\nATO\r\nATCN\r\n$KBASE,PASSTHROUGH,0\r\n") != std::string::npos);
    }

    void baseAcrossUnplugAndReplug()
    {
        SimProcess sim(Microhard("base", {"--guard-ms", "100", "--unplug-after", "18", "--replug-after", "3"}));
        QVERIFY(sim.Started());
        std::vector<SRadioMessage> messages;
        CRadioSession s(sim, messages);
        std::size_t readsBefore = 0;
        const int result = s.Run([&](CRadioDialog& d) {
            auto* link = Find<QLabel>(&d, "labelLink");
            auto* commit = Find<QPushButton>(&d, "buttonCommit");
            auto* id = Find<QComboBox>(&d, "comboRadioId");
            const QString com = QStringLiteral("COM%1").arg(sim.ComNumber());
            // Nothing is asked of the radio between reads: no "No answer" while idle.
            QVERIFY(WaitUntil([&] { return link->text().endsWith("Link: receiving"); }, 2000));
            QTest::qWait(6000);
            QVERIFY(link->text().endsWith("Link: receiving"));
            id->setCurrentText(QStringLiteral("07"));
            readsBefore = sim.Received().size();
            // Pulled while idle: the probe finds it; the edit stays, sending waits for the link.
            QVERIFY(WaitUntil([&] { return link->text().endsWith("waiting for " + com + QChar(0x2026)); }, 15000));
            QCOMPARE(link->accessibleName(), link->text());
            QVERIFY(!commit->isEnabled());
            QCOMPARE(commit->toolTip(), link->text());
            QCOMPARE(id->currentText(), QStringLiteral("07"));
            // Closing now would lose the edit: asked first, and kept when the answer is no.
            s.Prompter().Answer = false;
            d.reject();
            QVERIFY(d.isVisible());
            QCOMPARE(s.Prompter().Questions.size(), 1);
            QVERIFY(s.Prompter().Questions.back().contains("not been written"));
            // Back: the same COM number again, escape and opening reads repeated, the edit kept.
            QVERIFY(WaitUntil([&] { return link->text().contains(QRegularExpression("Reconnected after [0-9]+ s$")); }, 10000));
            QVERIFY(WaitUntil([&] { return commit->isEnabled(); }, 10000));
            QVERIFY(commit->toolTip().isEmpty());
            const std::string after = sim.Received().substr(readsBefore);
            QVERIFY(after.find("+++") != std::string::npos);
            QVERIFY(after.find("ATS104?") > after.find("+++"));
            QVERIFY(after.find("AT&V") != std::string::npos);
            QCOMPARE(id->currentText(), QStringLiteral("07"));
            QVERIFY(messages.empty());
            // Not lost any more: closing asks nothing.
            d.reject();
            QCOMPARE(s.Prompter().Questions.size(), 1);
        });
        QCOMPARE(result, int(QDialog::Rejected));
    }

    void roverAcrossUnplugAndReplug()
    {
        SimProcess sim(Microhard("rover", {"--guard-ms", "100", "--unplug-after", "14", "--replug-after", "3"}));
        QVERIFY(sim.Started());
        std::vector<SRadioMessage> messages;
        CRadioSession s(sim, messages);
        const int result = s.Run([&](CRadioDialog& d) {
            auto& rover = static_cast<CDialogMicrohardRover&>(d);
            auto* link = Find<QLabel>(&d, "labelLink");
            auto* signal = Find<QLabel>(&d, "labelSignal");
            auto* commit = Find<QPushButton>(&d, "buttonCommit");
            const QString com = QStringLiteral("COM%1").arg(sim.ComNumber());
            QVERIFY(WaitUntil([&] { return signal->text().endsWith("dBm"); }, 10000));
            QVERIFY(link->text().endsWith("Link: receiving"));
            // Pulled: the thread ends, the reading is not shown as live, Commit waits for the link.
            QVERIFY(WaitUntil([&] { return link->text().endsWith("waiting for " + com + QChar(0x2026)); }, 20000));
            QCOMPARE(link->accessibleName(), link->text());
            QVERIFY(!rover.Poller().Running());
            QVERIFY(!commit->isEnabled());
            QVERIFY(WaitUntil([&] { return signal->text() == "No Signal"; }, 6000));
            // Back: polling starts again and the signal is read afresh.
            QVERIFY(WaitUntil([&] { return link->text().contains(QRegularExpression("Reconnected after [0-9]+ s$")); }, 8000));
            QVERIFY(rover.Poller().Running());
            QVERIFY(commit->isEnabled());
            QVERIFY(WaitUntil([&] { return signal->text().endsWith("dBm"); }, 10000));
            QVERIFY(messages.empty());
            d.close();
            QVERIFY(!rover.Poller().Running());
        });
        QCOMPARE(result, int(QDialog::Rejected));
    }
    // Commit before the first tick, and not confirmed: the opening reads still run alone and
    // before the commit, the typed ID stays, and the thread starts only after both.
    void roverCommitBeforeOpening()
    {
        SimProcess sim(Microhard("rover", {"--refuse", "ATS104="}));
        QVERIFY(sim.Started());
        std::vector<SRadioMessage> messages;
        CRadioSession s(sim, messages);
        bool checked = false;
        const auto check = [&](CRadioDialog& d) {
            auto& rover = static_cast<CDialogMicrohardRover&>(d);
            auto* id = Find<QComboBox>(&d, "comboRadioId");
            id->setCurrentText("07");
            QTest::mouseClick(Find<QPushButton>(&d, "buttonCommit"), Qt::LeftButton);
            QTest::qWait(300);  // well past the first tick
            QCOMPARE(messages.size(), std::size_t(1));  // no "Read configuration failed"
            QVERIFY2(messages[0].Text.startsWith("Changes not confirmed: ATS104="), qPrintable(messages[0].Text));
            QCOMPARE(id->currentText(), QStringLiteral("07"));
            QCOMPARE(Find<QLabel>(&d, "labelFirmware")->text(), QStringLiteral("v1.56 build 1043"));
            QVERIFY(rover.Poller().Running());
            d.close();
            QVERIFY(!rover.Poller().Running());
            checked = true;
        };
        // Posted before the first 20 ms tick: the click comes first in the event loop.
        const int result = s.Run({}, [&](CRadioDialog& d) {
            QTimer::singleShot(0, &d, [&, dialog = &d] {
                check(*dialog);
                if (dialog->isVisible())  // a failed check: never hang
                    dialog->reject();
            });
        });
        QVERIFY(checked);
        QCOMPARE(result, int(QDialog::Rejected));
        const std::string sent = s.Sent();
        // Reads, then the commit, then the thread's first escape: one user of the port at a time.
        const std::size_t read = sent.find("ATS104?\r\n");
        const std::size_t commit = sent.find("+++ATS104=");
        QVERIFY(read != std::string::npos && commit != std::string::npos);
        const std::size_t readsEnd = sent.find("AT&V\r\n", read);
        QVERIFY(readsEnd < commit);
        QCOMPARE(sent.find("+++", read), commit);
        QVERIFY(sent.substr(read, commit - read).find("ATO") == std::string::npos);
        QVERIFY(sent.find("ATS123?", read) > commit);
    }
};

QTEST_MAIN(RadioMicrohardTest)
#include "radio_microhard_test.moc"
