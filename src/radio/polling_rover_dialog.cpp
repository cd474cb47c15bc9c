#include "radio/polling_rover_dialog.h"

#include <QLabel>

#include <limits>

#include "radio/radio_timing.h"
#include "serial/pump_wait.h"

CPollingRoverDialog::CPollingRoverDialog(QWidget* parent, CSerialPort* port, CModel* model, SPolling polling)
    : CRadioDialog(parent, port, model), m_Polling(std::move(polling)), m_ThreadLink(port)
{
    connect(&m_Timer, &QTimer::timeout, this, [this] { OnDisplayTimer(); });
}

CPollingRoverDialog::~CPollingRoverDialog()
{
    m_Poller.Stop();
}

void CPollingRoverDialog::SetUpPolling(QWidget* waitPanel, QLabel* signal, QLabel* signalCaption)
{
    m_WaitPanel = waitPanel;
    m_Signal = signal;
    m_SignalCaption = signalCaption;
    m_WaitPanel->hide();
    KeepEnabledWhileBusy(m_WaitPanel);
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
    if (level == m_ShownLevel)
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
}

void CPollingRoverDialog::StopPoller()
{
    m_Poller.RequestStop();
    // The thread finishes its current step (at most one guard time); the window keeps painting.
    while (!m_Poller.Finished())
        PumpWait(RadioTiming::StopPollMs);
    m_Poller.Join();
    m_Timer.stop();
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
