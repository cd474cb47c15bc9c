// The Microhard base and rover dialogs against the simulator, reached as the operator does:
// Radio Configuration, Connect, Next. Each scenario drives one dialog through many behaviours.
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSlider>
#include <QTimer>
#include <QtTest>

#include <functional>

#include "app/corrin_dlg.h"
#include "connection/dialog_connect.h"
#include "connection/model.h"
#include "radio/dialog_microhard_base.h"
#include "radio/dialog_microhard_rover.h"
#include "serial/serial_port.h"
#include "support/sim_process.h"

namespace {

struct SMessage {
    QMessageBox::Icon Icon;
    QString Text;
};

template <class T>
T* Find(QWidget* parent, const char* name)
{
    T* child = parent->findChild<T*>(QString::fromLatin1(name));
    if (!child)
        qFatal("no control %s", name);
    return child;
}

bool WaitUntil(const std::function<bool()>& done, int timeoutMs)
{
    for (int ms = 0; ms < timeoutMs && !done(); ms += 20)
        QTest::qWait(20);
    return done();
}

// One Connect with "Radio Configuration" on the simulator; `scenario` runs once the working
// dialog has read the radio, and must end it.
class Session {
public:
    using Scenario = std::function<void(CRadioDialog& dialog)>;

    Session(SimProcess& sim, std::vector<SMessage>& messages, int writeDefaultsFlags = 0) : m_Sim(sim)
    {
        Model.SetWriteDefaultsFlags(writeDefaultsFlags);
        Dlg.SetModel(&Model);
        auto* ports = Find<QComboBox>(&Dlg, "comboPort");
        ports->setCurrentIndex(ports->findData(sim.ComNumber()));
        CRadioDialog::SetMessageHook([&messages](QMessageBox::Icon icon, const QString&, const QString& text) {
            messages.push_back({icon, text});
        });
    }

    // Returns the working dialog's result (-1 when none ran).
    int Run(const Scenario& scenario)
    {
        int result = -1;
        Dlg.SetDialogHook([&](QDialog* d) {
            if (auto* wizard = qobject_cast<CDialogConnect*>(d)) {
                QObject::connect(wizard, &CDialogConnect::Finished, wizard, [wizard] {
                    QTimer::singleShot(0, wizard, [wizard] {
                        QTest::mouseClick(wizard->findChild<QPushButton*>("buttonNext"), Qt::LeftButton);
                    });
                });
                return;
            }
            auto* radio = qobject_cast<CRadioDialog*>(d);
            if (!radio)
                return;
            QObject::connect(radio, &QDialog::finished, radio, [&result](int r) { result = r; });
            QObject::connect(radio, &CRadioDialog::Ready, radio, [radio, scenario] {
                QTimer::singleShot(0, radio, [radio, scenario] {
                    scenario(*radio);
                    if (radio->isVisible())  // a failed check: never hang
                        radio->reject();
                });
            });
            QTimer::singleShot(60000, radio, [radio] { radio->done(QDialog::Rejected); });
        });
        SentBefore = m_Sim.Received().size();
        Find<QRadioButton>(&Dlg, "radioRadio")->setChecked(true);
        QTest::mouseClick(Find<QPushButton>(&Dlg, "buttonConnect"), Qt::LeftButton);
        QTest::qWait(250);  // the closing sentences reach the log
        return result;
    }

    CModel Model;
    CorrinDlg Dlg;
    std::size_t SentBefore = 0;

private:
    SimProcess& m_Sim;
};

SimProcess::Options Microhard(const char* receiver, std::vector<std::string> extra = {})
{
    SimProcess::Options o;
    o.receiver = receiver;
    o.radio = "microhard";
    o.extraArgs = std::move(extra);
    return o;
}

std::string From(const std::string& text, std::size_t offset)
{
    return offset < text.size() ? text.substr(offset) : std::string();
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
        std::vector<SMessage> messages;
        {
            // Compact layout: the settings and the firmware are read at opening.
            Session s(sim, messages);
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
                const std::string read = From(sim.Received(), 0);
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
            const std::string sent = From(sim.Received(), s.SentBefore);
            QVERIFY(sent.find("ATS104=143\r\n" + Closing + "ATO\r\nATCN\r\n") != std::string::npos);
        }
        {
            // Full layout ("def"): defaults shown; "Read current settings" finds the committed ID.
            Session s(sim, messages, WriteDefaults::OptionGiven);
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
                QTest::mouseClick(Find<QPushButton>(&d, "buttonCommit"), Qt::LeftButton);
            });
            QCOMPARE(result, int(QDialog::Accepted));
            const std::string sent = From(sim.Received(), s.SentBefore);
            // "Write defaults" is ticked with the option: the factory set comes first.
            QVERIFY(sent.find("AT&F10\r\nATS102=7\r\nATS103=0\r\nATS115=3\r\nATS158=7\r\nATS104=143\r\nATS113=2\r\n"
                              "ATS109=12\r\nATS108=28\r\n" + Closing) != std::string::npos);
        }
    }

    void baseRefusedAndInPieces()
    {
        SimProcess sim(Microhard("base", {"--refuse", "ATS104=", "--reply-pieces", "16"}));
        QVERIFY(sim.Started());
        std::vector<SMessage> messages;
        Session s(sim, messages);
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
        const std::string sent = From(sim.Received(), s.SentBefore);
        QVERIFY(sent.find("ATS104=108\r\n") != std::string::npos);
        QVERIFY(sent.find("AT&W") == std::string::npos);
        QVERIFY(sent.find("ATO\r\nATCN\r\n$KBASE,PASSTHROUGH,0\r\n") != std::string::npos);  // the main dialog's closing
    }

    void rover()
    {
        SimProcess sim(Microhard("rover"));
        QVERIFY(sim.Started());
        std::vector<SMessage> messages;
        Session s(sim, messages);
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
        const std::string sent = From(sim.Received(), s.SentBefore);
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
        std::vector<SMessage> messages;
        Session s(sim, messages);
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
        const std::string sent = From(sim.Received(), s.SentBefore);
        QVERIFY(sent.find("+++ATS104=108\r\n") != std::string::npos);
        QVERIFY(sent.find("AT&W") == std::string::npos);
        QVERIFY(sent.find("ATO\r\nATO\r\nATCN\r\n$KBASE,PASSTHROUGH,0\r\n") != std::string::npos);
    }
};

QTEST_MAIN(RadioMicrohardTest)
#include "radio_microhard_test.moc"
