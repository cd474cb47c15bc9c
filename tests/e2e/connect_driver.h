#pragma once

// Drives the main dialog's Connect sequence against the simulator without a person: presses
// "Next" or "Back" when the wizard has finished, closes the working dialog at once, and records
// what was on screen and which bytes the simulator had received at each step.

#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include <string>

#include "app/corrin_dlg.h"
#include "app/working_dialogs.h"
#include "connection/dialog_connect.h"
#include "connection/model.h"
#include "support/sim_process.h"

struct SWizardSeen {
    bool Finished = false;
    QString Status;
    bool NextEnabled = false;
    bool BackEnabled = false;
    int ModeCode = 0;
    int ReceiverKind = 0;
    int Ticks = 0;
    std::size_t ReceivedBytes = 0;  // what the simulator had when the wizard finished
};

class ConnectDriver {
public:
    // The simulator's bytes need a moment to reach its log.
    static constexpr int SettleMs = 250;

    ConnectDriver(CorrinDlg& dlg, CModel& model, SimProcess& sim, bool pressNext)
        : m_Model(model), m_Sim(sim), m_PressNext(pressNext)
    {
        dlg.SetDialogHook([this](QDialog* d) { Hook(d); });
        dlg.SetErrorBox([this](QWidget*, const QString& caption, const QString& text) {
            ErrorCaption = caption;
            ErrorText = text;
        });
    }

    // Every working dialog opens as a stand-in that records and closes itself.
    static void StandInWorkingDialogs()
    {
        for (int code : {114, 115, 117, 119, 120, 122, 124})
            SetWorkingDialog(code, [code](QWidget* parent, CSerialPort*, CModel*) {
                auto* d = new QDialog(parent);
                d->setObjectName(QStringLiteral("working%1").arg(code));
                d->setProperty("modeCode", code);
                return d;
            });
    }

    SWizardSeen Wizard;
    int WorkingCode = 0;              // mode code of the working dialog that ran, 0 = none
    std::size_t ReceivedAfterWork = 0;
    int DialogsRun = 0;
    QString ErrorCaption;
    QString ErrorText;

private:
    void Hook(QDialog* d)
    {
        ++DialogsRun;
        if (auto* wizard = qobject_cast<CDialogConnect*>(d)) {
            QObject::connect(wizard, &CDialogConnect::Finished, wizard, [this, wizard] {
                QTimer::singleShot(0, wizard, [this, wizard] { Finish(wizard); });
            });
            QTimer::singleShot(20000, wizard, [wizard] { wizard->reject(); });  // never hang a test
            return;
        }
        if (d->property("modeCode").isValid()) {
            WorkingCode = d->property("modeCode").toInt();
            QTimer::singleShot(0, d, [this, d] {
                QTest::qWait(SettleMs);
                ReceivedAfterWork = m_Sim.Received().size();
                d->accept();
            });
        }
    }

    void Finish(CDialogConnect* wizard)
    {
        QTest::qWait(SettleMs);
        Wizard.Finished = true;
        Wizard.Status = wizard->StatusText();
        Wizard.NextEnabled = wizard->findChild<QPushButton*>("buttonNext")->isEnabled();
        Wizard.BackEnabled = wizard->findChild<QPushButton*>("buttonBack")->isEnabled();
        Wizard.ModeCode = m_Model.GetModeCode();
        Wizard.ReceiverKind = m_Model.GetReceiverKind();
        Wizard.Ticks = wizard->Wizard().TickCount();
        Wizard.ReceivedBytes = m_Sim.Received().size();
        QPushButton* button = wizard->findChild<QPushButton*>(m_PressNext ? "buttonNext" : "buttonBack");
        if (button->isEnabled())
            QTest::mouseClick(button, Qt::LeftButton);
        else
            wizard->reject();
    }

    CModel& m_Model;
    SimProcess& m_Sim;
    bool m_PressNext;
};

// The bytes of sentences sent with WriteLine, in order.
inline std::string Lines(std::initializer_list<const char*> sentences)
{
    std::string out;
    for (const char* s : sentences)
        out += std::string(s) + "\r\n";
    return out;
}

inline const std::string& OpeningBytes()
{
    static const std::string bytes =
        Lines({"ATO", "ATCN", "$JCONN,X", "$KBASE,PASSTHROUGH,0", "$JAPP", "$JAPP"});
    return bytes;
}

inline const std::string& RadioProbeBytes()
{
    static const std::string bytes = Lines({"$KBASE,WATCHDOG,0", "$KBASE,PASSTHROUGH,1", "$JCONN,A,D", "$JCONN,B,D"}) +
                                     "+++" + Lines({"ATVL", "ATI255", "SL&F?", "SL&F?", "SL&F?"});
    return bytes;
}

inline const std::string& ClosingAfterRadioBytes()
{
    static const std::string bytes =
        Lines({"ATO", "ATCN", "$KBASE,PASSTHROUGH,0", "$JCONN,X", "$JBIN,1", "$JASC,DFX,1", "$JASC,GPGST,1",
               "$JASC,GPGGA,1", "$JASC,GPGSV,1", "$KBASE,WATCHDOG,1"});
    return bytes;
}

// Milliseconds between the first and the last burst that carried bytes at or after offset `from`.
inline long long BurstSpanMs(const SimProcess& sim, std::size_t from)
{
    long long first = -1, last = -1;
    std::size_t offset = 0;
    for (const auto& burst : sim.ReceivedBursts()) {
        const std::size_t end = offset + burst.bytes.size();
        if (end > from) {
            if (first < 0)
                first = burst.ms;
            last = burst.ms;
        }
        offset = end;
    }
    return first < 0 ? -1 : last - first;
}

inline QByteArray Bytes(const std::string& s)
{
    return QByteArray::fromStdString(s);
}

template <class T>
T* Control(QWidget& parent, const char* name)
{
    T* child = parent.findChild<T*>(QString::fromLatin1(name));
    if (!child)
        qFatal("no control %s", name);
    return child;
}

// Chooses the simulator's COM number in the Port list; false when it is not listed.
inline bool SelectPort(CorrinDlg& dlg, int com)
{
    auto* ports = Control<QComboBox>(dlg, "comboPort");
    const int index = ports->findData(com);
    if (index < 0)
        return false;
    ports->setCurrentIndex(index);
    return true;
}

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
