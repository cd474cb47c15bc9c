#include "radio/polling_rover_dialog.h"

#include <QLabel>
#include <QLayout>
#include <QPushButton>

#include <limits>

#include "radio/radio_timing.h"
#include "connection/model.h"
#include "serial/link_health.h"
#include "serial/pump_wait.h"
#include "serial/serial_port.h"
#include "ui/display_text.h"
#include "ui/elided_label.h"

CPollingRoverDialog::CPollingRoverDialog(QWidget* parent, CSerialPort* port, CModel* model, SPolling polling)
    : CRadioDialog(parent, port, model), m_Polling(std::move(polling)), m_ThreadLink(port)
{
    connect(&m_Timer, &QTimer::timeout, this, [this] { OnDisplayTimer(); });
    m_Health = std::make_unique<CLinkHealth>("COM" + std::to_string(model ? model->GetPortNumber() : 0),
                                             CLinkHealth::Clock::now());
    // Silence counts only while the thread reads the radio.
    m_Health->SetExpecting(false, CLinkHealth::Clock::now());
    m_LinkTimer.setInterval(250);
    connect(&m_LinkTimer, &QTimer::timeout, this, &CPollingRoverDialog::CheckLink);
}

std::string CPollingRoverDialog::CWatchedLink::Read(std::size_t maximum)
{
    std::string got = CSerialRadioLink::Read(maximum);
    if (!got.empty())
        LastReceivedNs.store(CLinkHealth::Clock::now().time_since_epoch().count());
    return got;
}

QString CPollingRoverDialog::LinkText() const
{
    return m_LinkLabel ? m_LinkLabel->text() : QString();
}

void CPollingRoverDialog::CheckLink()
{
    if (!Port())
        return;
    const auto now = CLinkHealth::Clock::now();
    if (const long long rx = m_ThreadLink.LastReceivedNs.load(); rx != m_SeenReceivedNs) {
        m_SeenReceivedNs = rx;
        m_Health->Received(CLinkHealth::Clock::time_point(CLinkHealth::Clock::duration(rx)));
    }
    auto* commit = findChild<QPushButton*>(QStringLiteral("buttonCommit"));
    if (!m_Health->IsLost() && Port()->Lost() && !Busy()) {
        m_Health->PortLost(now);
        // The thread's cycle fails fast on a lost port; it ends and is joined before anything else.
        StopPoller();
        m_Health->SetExpecting(false, now);
        if (commit)
            commit->setEnabled(false);
    } else if (m_Health->IsLost() && m_Health->RetryDue(now) && Port()->Reopen()) {
        m_Health->Reopened(now);
        if (commit)
            commit->setEnabled(true);
        OnReconnected();
    }
    const QString text = QString::fromUtf8(CLinkHealth::Symbol(m_Health->State(now))) + QLatin1Char(' ') +
                         QString::fromStdString(m_Health->Text(now, Model() ? Model()->GetLanguageModule() : nullptr));
    if (text != m_LinkLabel->text())
        m_LinkLabel->SetShownText(text);
    if (commit)
        commit->setToolTip(m_Health->IsLost() ? text : QString());
    // A reading that is not current is never shown as if it were.
    const bool stale = m_Health->ReadingAge(now).has_value();
    if (stale && !m_SignalStale && m_Signal && m_SignalCaption) {
        SetLiveText(m_Signal, m_SignalCaption->text(), QStringLiteral("No Signal"));
        m_ShownLevel = std::numeric_limits<int>::min();
    }
    m_SignalStale = stale;
}

CPollingRoverDialog::~CPollingRoverDialog()
{
    m_LinkTimer.stop();
    m_Poller.Stop();
}

void CPollingRoverDialog::SetUpPolling(QWidget* waitPanel, QLabel* signal, QLabel* signalCaption)
{
    m_WaitPanel = waitPanel;
    m_Signal = signal;
    m_SignalCaption = signalCaption;
    m_WaitPanel->hide();
    KeepEnabledWhileBusy(m_WaitPanel);
    m_LinkLabel = new CElidedLabel(this);
    m_LinkLabel->setObjectName(QStringLiteral("labelLink"));
    if (layout())
        layout()->addWidget(m_LinkLabel);
    m_LinkTimer.start();
}

void CPollingRoverDialog::resizeEvent(QResizeEvent* event)
{
    if (m_WaitPanel)
        m_WaitPanel->setGeometry(rect());
    CRadioDialog::resizeEvent(event);
}

void CPollingRoverDialog::ShowSignal()
{
    const int level = m_Poller.SignalLevel();
    if (level == m_ShownLevel || m_SignalStale)
        return;
    m_ShownLevel = level;
    if (auto text = m_Polling.SignalText(level))
        SetLiveText(m_Signal, m_SignalCaption->text(), QString::fromStdString(*text));
}

void CPollingRoverDialog::StartPoller()
{
    // No level is shown as this one yet, so the first tick shows whatever the thread has.
    m_ShownLevel = std::numeric_limits<int>::min();
    m_Poller.Start(m_ThreadLink, m_Polling.Cycle, m_Polling.DataMode, m_Polling.StartLevel);
    if (!m_Timer.isActive())
        m_Timer.start(RadioTiming::DisplayTimerMs);
    m_Health->SetExpecting(true, CLinkHealth::Clock::now());
}

void CPollingRoverDialog::StopPoller()
{
    m_Poller.RequestStop();
    // The thread finishes its current step (at most one guard time); the window keeps painting.
    while (!m_Poller.Finished())
        PumpWait(RadioTiming::StopPollMs);
    m_Poller.Join();
    m_Timer.stop();
    m_Health->SetExpecting(false, CLinkHealth::Clock::now());
}

void CPollingRoverDialog::OnCancel()
{
    CBusy busy(*this);
    StopPoller();
}

SCommitResult CPollingRoverDialog::CommitWithPollerStopped(const std::vector<SCommitStep>& steps, bool resume)
{
    CBusy busy(*this);
    m_WaitPanel->setGeometry(rect());
    m_WaitPanel->raise();
    m_WaitPanel->show();
    m_WaitPanel->repaint();
    StopPoller();
    SCommitResult result = RunCommit(Link(), steps);
    if (!result.Ok) {
        // Back to data mode whatever the radio made of the failed line, then read on.
        Link().WriteLine(m_Polling.DataMode);
        if (resume)
            StartPoller();
    }
    m_WaitPanel->hide();
    return result;
}
