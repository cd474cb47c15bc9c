#pragma once

// One "Radio Configuration" Connect on the simulator, as the operator makes it (Connect, Next),
// with a scenario that runs inside the working radio dialog once it has read the radio. Message
// boxes are recorded instead of shown.

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
#include "support/sim_process.h"

struct SRadioMessage {
    QMessageBox::Icon Icon;
    QString Text;
};

template <class T>
T* FindControl(QWidget* parent, const char* name)
{
    T* child = parent->findChild<T*>(QString::fromLatin1(name));
    if (!child)
        qFatal("no control %s", name);
    return child;
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

class CRadioSession {
public:
    using Scenario = std::function<void(CRadioDialog& dialog)>;

    CRadioSession(SimProcess& sim, std::vector<SRadioMessage>& messages) : m_Sim(sim)
    {
        Dlg.SetModel(&Model);
        auto* ports = FindControl<QComboBox>(&Dlg, "comboPort");
        ports->setCurrentIndex(ports->findData(sim.ComNumber()));
        CRadioDialog::SetMessageHook([&messages](QMessageBox::Icon icon, const QString&, const QString& text) {
            messages.push_back({icon, text});
        });
    }

    // The working dialog's result (-1 when none ran).
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
                QTimer::singleShot(20000, wizard, [wizard] { wizard->reject(); });
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
        FindControl<QRadioButton>(&Dlg, "radioRadio")->setChecked(true);
        QTest::mouseClick(FindControl<QPushButton>(&Dlg, "buttonConnect"), Qt::LeftButton);
        QTest::qWait(250);  // the closing sentences reach the log
        return result;
    }

    // What the simulator received since Run began.
    std::string Sent() const
    {
        const std::string all = m_Sim.Received();
        return SentBefore < all.size() ? all.substr(SentBefore) : std::string();
    }

    CModel Model;
    CorrinDlg Dlg;
    std::size_t SentBefore = 0;

private:
    SimProcess& m_Sim;
};
