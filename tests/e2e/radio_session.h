#pragma once

// One "Radio Configuration" Connect on the simulator, as the operator makes it (Connect, Next),
// with a scenario that runs inside the working radio dialog once it has read the radio. Message
// boxes are recorded instead of shown: their texts, or their icons and texts.

#include <QComboBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QtTest>

#include <functional>
#include <string>
#include <vector>

#include "app/corrin_dlg.h"
#include "connection/dialog_connect.h"
#include "connection/model.h"
#include "radio/radio_dialog_support.h"
#include "shared/recording_prompter.h"
#include "support/sim_process.h"

template <class T = QWidget>
T* Find(QWidget& parent, const char* name)
{
    T* child = parent.findChild<T*>(QString::fromLatin1(name));
    if (!child)
        qFatal("no control %s", name);
    return child;
}

template <class T = QWidget>
T* Find(QWidget* parent, const char* name)
{
    return Find<T>(*parent, name);
}

inline bool WaitUntil(const std::function<bool()>& done, int timeoutMs)
{
    for (int ms = 0; ms < timeoutMs && !done(); ms += 20)
        QTest::qWait(20);
    return done();
}

inline SimProcess::Options RadioSim(const char* receiver, const char* radio, std::vector<std::string> extra = {})
{
    SimProcess::Options o;
    o.receiver = receiver;
    o.radio = radio;
    o.extraArgs = std::move(extra);
    return o;
}

struct SRadioMessage {
    QMessageBox::Icon Icon;
    QString Text;
};

// `writeDefaultsFlags` stand for the command line's options, which the main dialog reads at once.
class CRadioSession {
public:
    CRadioSession(SimProcess& sim, QStringList& messages, int writeDefaultsFlags = 0)
        : CRadioSession(
              sim, [&messages](QMessageBox::Icon, const QString& text) { messages << text; },
              writeDefaultsFlags)
    {
    }
    CRadioSession(SimProcess& sim, std::vector<SRadioMessage>& messages, int writeDefaultsFlags = 0)
        : CRadioSession(
              sim,
              [&messages](QMessageBox::Icon icon, const QString& text) {
                  messages.push_back({icon, text});
              },
              writeDefaultsFlags)
    {
    }
    CRadioSession(SimProcess& sim, CRecordingPrompter::Handler onMessage, int writeDefaultsFlags)
        : m_Prompter(std::move(onMessage)), m_Sim(sim), m_SentBefore(sim.Received().size())
    {
        Model.SetWriteDefaultsFlags(writeDefaultsFlags);
        Dlg.SetModel(&Model);
        auto* ports = Find<QComboBox>(Dlg, "comboPort");
        ports->setCurrentIndex(ports->findData(sim.ComNumber()));
    }

    // Connect, Next, then `scenario` in the radio dialog, which should end it; the dialog's result.
    // `early` runs once the dialog is shown, before its event loop (and so its opening reads) runs;
    // what it posts runs first in that loop. Without a scenario, `early` must end the dialog.
    int Run(const std::function<void(CRadioDialog&)>& scenario, const std::function<void(CRadioDialog&)>& early = {})
    {
        int result = -1;
        Dlg.SetDialogHook([&](QDialog* d) {
            if (auto* wizard = qobject_cast<CDialogConnect*>(d)) {
                QObject::connect(wizard, &CDialogConnect::Finished, wizard, [wizard] {
                    QTimer::singleShot(0, wizard, [wizard] { Find<QPushButton>(*wizard, "buttonNext")->click(); });
                });
            } else if (auto* radio = qobject_cast<CRadioDialog*>(d)) {
                QObject::connect(radio, &QDialog::finished, radio, [&result](int r) { result = r; });
                if (early) {
                    radio->show();
                    early(*radio);
                }
                if (scenario) {
                    QObject::connect(radio, &CRadioDialog::Ready, radio, [radio, scenario] {
                        QTimer::singleShot(0, radio, [radio, scenario] {
                            scenario(*radio);
                            if (radio->isVisible())  // a failed check: never hang
                                radio->reject();
                        });
                    });
                }
            }
            QTimer::singleShot(60000, d, [d] { d->done(QDialog::Rejected); });
        });
        Find<QRadioButton>(Dlg, "radioRadio")->setChecked(true);
        Find<QPushButton>(Dlg, "buttonConnect")->click();
        QTest::qWait(250);  // the closing sentences reach the log
        return result;
    }

    // The questions asked so far, and the answer to the next ones.
    CRecordingPrompter& Prompter() { return m_Prompter; }

    // What the simulator received since this session began.
    std::string Sent() const { return m_Sim.Received().substr(m_SentBefore); }

    CModel Model;
    CorrinDlg Dlg;

private:
    CRecordingPrompter m_Prompter;
    SimProcess& m_Sim;
    std::size_t m_SentBefore;
};
