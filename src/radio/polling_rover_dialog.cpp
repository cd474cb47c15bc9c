#include "radio/polling_rover_dialog.h"

#include <QLabel>

#include <chrono>
#include <limits>
#include <thread>

#include "radio/radio_timing.h"
#include "serial/pump_wait.h"
#include "serial/serial_port.h"
#include "ui/string_table.h"

CPollingRoverDialog::CPollingRoverDialog(QWidget* parent, CSerialPort* port, CModel* model, SPolling polling)
    : CRadioDialog(parent, port, model), m_Polling(std::move(polling)),
      m_ThreadLink(std::make_shared<CSerialRadioLink>(port))
{
    connect(&m_Timer, &QTimer::timeout, this, [this] { OnDisplayTimer(); });
}

CPollingRoverDialog::~CPollingRoverDialog()
{
    // Without an event loop to keep: a thread that does not finish in time is given up, not joined.
    m_Poller.RequestStop();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(RadioTiming::StopWaitMs);
    while (!m_Poller.Finished() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(RadioTiming::StopPollMs / 10));
    m_Poller.Abandon();
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
    // Never a blocking join on this thread: a running poller is stopped with the window painting.
    if (m_Poller.Running() && !StopPoller(RadioTiming::StopWaitMs))
        return;
    m_Poller.Start(m_ThreadLink, m_Polling.Cycle, m_Polling.DataMode, m_Polling.StartLevel);
    if (!m_Timer.isActive())
        m_Timer.start(RadioTiming::DisplayTimerMs);
}

bool CPollingRoverDialog::StopPoller(int waitMs)
{
    m_Poller.RequestStop();
    // The thread finishes its current step (at most one guard time); the window keeps painting.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
    while (!m_Poller.Finished() && std::chrono::steady_clock::now() < deadline)
        PumpWait(RadioTiming::StopPollMs);
    m_Timer.stop();
    if (m_Poller.Finished()) {
        m_Poller.Join();
        return true;
    }
    // Stuck (a driver call that does not return): the thread is detached with what it uses and
    // its link goes quiet; nobody may use the port after it, so it is closed.
    m_Poller.Abandon();
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
