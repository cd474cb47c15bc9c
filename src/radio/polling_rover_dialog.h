#pragma once

#include <QTimer>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "radio/radio_dialog_support.h"
#include "radio/signal_poller.h"

class CElidedLabel;
class CLinkHealth;
class QLabel;

// What the Microhard and Maxstream rover dialogs share: a polling thread that reads the received
// signal strength in the background, a display timer that shows it, a Cancel that stops the thread
// first, and a commit under a wait panel that has the port to itself while the thread is stopped.
//
// The port has one user at a time: run the opening reads before StartPoller, and never touch the
// port between StartPoller and StopPoller.
class CPollingRoverDialog : public CRadioDialog {
    Q_OBJECT
public:
    ~CPollingRoverDialog() override;

    const CSignalPoller& Poller() const { return m_Poller; }
    using CRadioDialog::LinkText;

protected:
    // What a maker's radio needs for its background reading.
    struct SPolling {
        CSignalPoller::Cycle Cycle;
        std::string DataMode;  // what returns the radio to data mode
        int StartLevel = 0;    // the level until the first reading
        std::function<std::optional<std::string>(int level)> SignalText;  // nothing: leave it shown
    };

    CPollingRoverDialog(QWidget* parent, CSerialPort* port, CModel* model, SPolling polling);

    // Call after setupUi: the panel that covers the window during a commit, the signal text and its caption.
    void SetUpPolling(QWidget* waitPanel, QLabel* signal, QLabel* signalCaption);

    void resizeEvent(QResizeEvent* event) override;
    void OnCancel() override;

    QTimer& DisplayTimer() { return m_Timer; }
    // Each display timer tick; shows a changed signal level.
    virtual void OnDisplayTimer() { ShowSignal(); }
    void ShowSignal();

    // Starts the thread (a running one is stopped first, see StopPoller) and, unless it runs
    // already, the display timer.
    void StartPoller();
    // Stops the thread (the window keeps painting while it finishes its step) and the display
    // timer. A thread still running after waitMs is given up: it is detached with its link quiet,
    // the port is closed, the operator is told so, and false is returned (the dialog should close).
    bool StopPoller(int waitMs);

    // Busy, under the wait panel, with the thread stopped: runs the commit. After a failed one the
    // radio is sent back to data mode and, with `resume`, the thread reads on. Nothing when the
    // thread could not be stopped within stopWaitMs (see StopPoller).
    std::optional<SCommitResult> CommitWithPollerStopped(const std::vector<SCommitStep>& steps, bool resume,
                                                         int stopWaitMs);

    // The port came back: by default the polling thread starts again (its cycle escapes into
    // command mode itself).
    virtual void OnReconnected() { StartPoller(); }

private:
    // The link line follows the thread's receptions; a lost port stops the thread, which fails
    // fast on it, and is noticed by the thread's failing reads rather than probed.
    bool PortGone() const override;
    bool OnPortLost() override;
    void OnLinkBack() override { OnReconnected(); }
    void BeforeLinkCheck() override;
    void AfterLinkCheck() override;
    bool ExpectingWhenIdle() const override { return m_Poller.Running(); }

    SPolling m_Polling;
    QWidget* m_WaitPanel = nullptr;
    QLabel* m_Signal = nullptr;
    QLabel* m_SignalCaption = nullptr;
    QTimer m_Timer;
    int m_ShownLevel = 0;
    // Plain sleeps; shared with the thread, which keeps it when given up. Notes when bytes
    // arrive, for the link line.
    class CWatchedLink : public CSerialRadioLink {
    public:
        using CSerialRadioLink::CSerialRadioLink;
        std::string Read(std::size_t maximum) override;
        std::atomic<long long> LastReceivedNs{0};
    };
    std::shared_ptr<CWatchedLink> m_ThreadLink;
    long long m_SeenReceivedNs = 0;
    bool m_SignalStale = false;
    CSignalPoller m_Poller;
};
