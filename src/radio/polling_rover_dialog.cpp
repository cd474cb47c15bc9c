#include "radio/polling_rover_dialog.h"

#include <QLabel>
#include <QLayout>
#include <QPushButton>

#include <chrono>
#include <limits>
#include <thread>

#include "radio/radio_timing.h"
#include "connection/model.h"
#include "serial/link_health.h"
#include "serial/pump_wait.h"
#include "serial/serial_port.h"
#include "ui/display_text.h"
#include "ui/elided_label.h"
#include "ui/string_table.h"

CPollingRoverDialog::CPollingRoverDialog(QWidget* parent, CSerialPort* port, CModel* model, SPolling polling)
    : CRadioDialog(parent, port, model), m_Polling(std::move(polling)),
      m_ThreadLink(std::make_shared<CWatchedLink>(port))
{
    connect(&m_Timer, &QTimer::timeout, this, [this] { OnDisplayTimer(); });
}

std::string CPollingRoverDialog::CWatchedLink::Read(std::size_t maximum)
{
    std::string got = CSerialRadioLink::Read(maximum);
    if (!got.empty())
        LastReceivedNs.store(CLinkHealth::Clock::now().time_since_epoch().count());
    return got;
}

bool CPollingRoverDialog::PortGone() const { return Port()->Lost() && !Busy(); }

bool CPollingRoverDialog::OnPortLost()
{
    // The thread's cycle fails fast on a lost port; it ends and is joined before anything else.
    if (!StopPoller(RadioTiming::StopWaitMs)) {
        reject();
        return false;
    }
    return true;
}

void CPollingRoverDialog::BeforeLinkCheck()
{
    if (const long long rx = m_ThreadLink->LastReceivedNs.load(); rx != m_SeenReceivedNs) {
        m_SeenReceivedNs = rx;
        Health().Received(CLinkHealth::Clock::time_point(CLinkHealth::Clock::duration(rx)));
    }
}

void CPollingRoverDialog::AfterLinkCheck()
{
    // A reading that is not current is never shown as if it were.
    const bool stale = Health().ReadingAge(CLinkHealth::Clock::now()).has_value();
    if (stale && !m_SignalStale && m_Signal && m_SignalCaption) {
        SetLiveText(m_Signal, m_SignalCaption->text(), QStringLiteral("No Signal"));
        m_ShownLevel = std::numeric_limits<int>::min();
    }
    m_SignalStale = stale;
}

CPollingRoverDialog::~CPollingRoverDialog()
{
    // No event loop to keep here: a thread that does not finish in time is given up, not joined.
    m_Poller.StopWithin(RadioTiming::StopWaitMs,
                        [](int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); },
                        RadioTiming::StopPollMs / 10);
}

void CPollingRoverDialog::SetUpPolling(QWidget* waitPanel, QLabel* signal, QLabel* signalCaption)
{
    m_WaitPanel = waitPanel;
    m_Signal = signal;
    m_SignalCaption = signalCaption;
    m_WaitPanel->hide();
    KeepEnabledWhileBusy(m_WaitPanel);
    ShowLinkLine();
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
    // Never a blocking join here: a running thread is stopped with the window painting.
    if (m_Poller.Running() && !StopPoller(RadioTiming::StopWaitMs))
        return;
    m_Poller.Start(m_ThreadLink, m_Polling.Cycle, m_Polling.DataMode, m_Polling.StartLevel);
    if (!m_Timer.isActive())
        m_Timer.start(RadioTiming::DisplayTimerMs);
    Health().SetExpecting(true, CLinkHealth::Clock::now());
}

bool CPollingRoverDialog::StopPoller(int waitMs)
{
    const bool wasRunning = m_Poller.Running();
    // The thread finishes its current step (at most one guard time); the window keeps painting.
    const bool stopped = m_Poller.StopWithin(waitMs, [](int ms) { PumpWait(ms); }, RadioTiming::StopPollMs);
    m_Timer.stop();
    Health().SetExpecting(Busy(), CLinkHealth::Clock::now());
    if (stopped || !wasRunning)
        return true;
    // Stuck in a driver call: the thread was detached with its link quiet; nobody may use the
    // port after it, so it is closed.
    if (Port())
        Port()->Close();
    ShowMessage(QMessageBox::Warning, Text(StringIds::PollerStuck));
    return false;
}

void CPollingRoverDialog::OnCancel()
{
    CBusy busy(*this);
    StopPoller(RadioTiming::StopWaitMs);
}

std::optional<SCommitResult> CPollingRoverDialog::CommitWithPollerStopped(const std::vector<SCommitStep>& steps,
                                                                          bool resume, int stopWaitMs)
{
    CBusy busy(*this);
    m_WaitPanel->setGeometry(rect());
    m_WaitPanel->raise();
    m_WaitPanel->show();
    m_WaitPanel->repaint();
    if (!StopPoller(stopWaitMs)) {
        m_WaitPanel->hide();
        return std::nullopt;
    }
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
