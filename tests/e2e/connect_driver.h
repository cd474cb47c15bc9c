#pragma once

// Drives the main dialog's Connect sequence against the simulator without a person: presses
// "Next" or "Back" when the wizard has finished, closes the working dialog at once, and records
// what was on screen and which bytes the simulator had received at each step.

#include <QComboBox>
#include <QDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QtTest>

#include <functional>
#include <string>

#include "app/corrin_dlg.h"
#include "app/working_dialogs.h"
#include "connection/dialog_connect.h"
#include "connection/model.h"
#include "serial/serial_port.h"
#include "support/sim_process.h"

inline QByteArray Bytes(const std::string& s)
{
    return QByteArray::fromStdString(s);
}

// The bytes of sentences sent with WriteLine, in order.
inline std::string Lines(std::initializer_list<const char*> sentences)
{
    std::string out;
    for (const char* s : sentences)
        out += std::string(s) + "\r\n";
    return out;
}

inline const std::string OpeningBytes = Lines({"ATO", "ATCN", "$JCONN,X", "$KBASE,PASSTHROUGH,0", "$JAPP", "$JAPP"});
inline const std::string ProbingBytes =
    OpeningBytes + Lines({"$KBASE,WATCHDOG,0", "$KBASE,PASSTHROUGH,1", "$JCONN,A,D", "$JCONN,B,D"}) + "+++" +
    Lines({"ATVL", "ATI255", "SL&F?", "SL&F?", "SL&F?"});
inline const std::string WatchdogOnBytes = "$KBASE,WATCHDOG,1\r\n";
inline const std::string ClosingAfterRadioBytes =
    Lines({"ATO", "ATCN", "$KBASE,PASSTHROUGH,0", "$JCONN,X", "$JBIN,1", "$JASC,DFX,1", "$JASC,GPGST,1",
           "$JASC,GPGGA,1", "$JASC,GPGSV,1"}) + WatchdogOnBytes;

inline SimProcess::Options SimWith(const char* receiver, const char* radio = "none", bool direct = false,
                                   bool silent = false)
{
    SimProcess::Options options;
    options.receiver = receiver;
    options.radio = radio;
    options.direct = direct;
    options.silent = silent;
    return options;
}

template <class T>
T* Control(QWidget& parent, const char* name)
{
    T* child = parent.findChild<T*>(QString::fromLatin1(name));
    if (!child)
        qFatal("no control %s", name);
    return child;
}

// What one Connect should show and send, from the wizard's status line to the closing sentences.
struct SExpected {
    QString status;
    bool next = false;
    int mode = 0;
    int kind = 0;
    int ticks = 1;
    std::string wizardSent;  // everything the wizard sent
    int working = 0;         // the working dialog that ran after "Next", 0 = none
    std::string closing;     // sent once the wizard, or the working dialog, was done
};

// A main dialog with its own model on the simulator's port. Several drivers may use one simulator
// in turn, so byte offsets count from Start.
class ConnectDriver {
public:
    // The simulator's bytes need a moment to reach its log.
    static constexpr int SettleMs = 250;

    // `prepare` sets the model up as the command line would, before the dialog takes it.
    ConnectDriver(SimProcess& sim, bool pressNext, const std::function<void(CModel&)>& prepare = {})
        : Start(sim.Received().size()), m_Sim(sim), m_PressNext(pressNext)
    {
        if (prepare)
            prepare(Model);
        Dlg.SetModel(&Model);
        Dlg.SetDialogHook([this](QDialog* d) { Hook(d); });
        Dlg.SetErrorBox([this](QWidget*, const QString& caption, const QString& text) {
            ErrorCaption = caption;
            ErrorText = text;
        });
        auto* ports = Control<QComboBox>(Dlg, "comboPort");
        if (ports->findData(sim.ComNumber()) < 0)
            qFatal("simulator port not listed");
        ports->setCurrentIndex(ports->findData(sim.ComNumber()));
    }

    // Every working dialog opens as a stand-in that records and closes itself.
    static void StandInWorkingDialogs()
    {
        for (int code : {114, 115, 117, 119, 120, 122, 124})
            SetWorkingDialog(code, [code](QWidget* parent, CSerialPort*, CModel*) {
                auto* d = new QDialog(parent);
                d->setProperty("modeCode", code);
                return d;
            });
    }

    // Ticks the choice (a radio button's name) and presses Connect; returns when all is closed.
    void Connect(const char* choice)
    {
        Control<QRadioButton>(Dlg, choice)->setChecked(true);
        QTest::mouseClick(Control<QPushButton>(Dlg, "buttonConnect"), Qt::LeftButton);
    }

    // Connect, checking the finished wizard, the working dialog and the closing against `e`. A failed
    // check leaves this function at once; the caller's own checks after it still run.
    void Expect(const char* choice, const SExpected& e)
    {
        m_Expected = &e;
        Connect(choice);
        m_Expected = nullptr;
        QVERIFY(m_WizardEnd > 0);
        QCOMPARE(WorkingCode, e.working);
        // Nothing more than the closing sentences, which put the receiver back into normal operation
        // in order and in one go; then the port is closed.
        WaitFor([&] { return m_Sim.Received().find(WatchdogOnBytes, m_WizardEnd) != std::string::npos; });
        QTest::qWait(SettleMs);
        QCOMPARE(Bytes(m_Sim.Received().substr(m_WizardEnd)), Bytes(e.closing));
        long long first = -1, last = -1;
        std::size_t offset = 0;
        for (const auto& burst : m_Sim.ReceivedBursts()) {
            offset += burst.bytes.size();
            if (offset > m_WizardEnd) {
                first = first < 0 ? burst.ms : first;
                last = burst.ms;
            }
        }
        QVERIFY2(first >= 0 && last - first < 100, qPrintable(QString::number(last - first)));
        QVERIFY(!Dlg.GetPort()->IsOpen());
        QCOMPARE(Model.GetModeCode(), ModeCodes::Idle);
    }

    CModel Model;
    CorrinDlg Dlg;
    const std::size_t Start;
    int WorkingCode = 0;  // mode code of the working dialog that ran, 0 = none
    int DialogsRun = 0;
    QString ErrorCaption;
    QString ErrorText;

private:
    void Hook(QDialog* d)
    {
        ++DialogsRun;
        if (auto* wizard = qobject_cast<CDialogConnect*>(d)) {
            QObject::connect(wizard, &CDialogConnect::Finished, wizard, [this, wizard] {
                QTimer::singleShot(0, wizard, [this, wizard] { Finish(*wizard); });
            });
            QTimer::singleShot(20000, wizard, [wizard] { wizard->reject(); });  // never hang a test
            return;
        }
        if (d->property("modeCode").isValid()) {
            WorkingCode = d->property("modeCode").toInt();
            QTimer::singleShot(0, d, &QDialog::accept);
        }
    }

    static void WaitFor(const std::function<bool()>& done)
    {
        for (int ms = 0; ms < 2000 && !done(); ms += 10)
            QTest::qWait(10);
    }

    void Finish(CDialogConnect& wizard)
    {
        // Late bytes would show among the closing ones, so waiting for the expected count is enough.
        if (m_Expected)
            WaitFor([&] { return m_Sim.Received().size() >= Start + m_Expected->wizardSent.size(); });
        else
            QTest::qWait(SettleMs);
        m_WizardEnd = m_Sim.Received().size();
        if (m_Expected)
            CheckWizard(wizard, *m_Expected);
        QPushButton* button = wizard.findChild<QPushButton*>(m_PressNext ? "buttonNext" : "buttonBack");
        if (button->isEnabled())
            QTest::mouseClick(button, Qt::LeftButton);
        else
            wizard.reject();
    }

    void CheckWizard(CDialogConnect& wizard, const SExpected& e)
    {
        QCOMPARE(wizard.StatusText(), e.status);
        QCOMPARE(wizard.findChild<QPushButton*>("buttonNext")->isEnabled(), e.next);
        QVERIFY(wizard.findChild<QPushButton*>("buttonBack")->isEnabled());
        QCOMPARE(Model.GetModeCode(), e.mode);
        QCOMPARE(Model.GetReceiverKind(), e.kind);
        QCOMPARE(wizard.Wizard().TickCount(), e.ticks);
        QCOMPARE(Bytes(m_Sim.Received().substr(Start, m_WizardEnd - Start)), Bytes(e.wizardSent));
    }

    SimProcess& m_Sim;
    bool m_PressNext;
    const SExpected* m_Expected = nullptr;
    std::size_t m_WizardEnd = 0;  // what the simulator had when the wizard finished
};
