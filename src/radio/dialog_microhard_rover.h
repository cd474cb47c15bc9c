#pragma once

#include <QTimer>

#include "radio/radio_dialog_support.h"
#include "radio/signal_poller.h"

namespace Ui {
class CDialogMicrohardRover;
}

// The rover's Microhard radio: radio ID, firmware version and the received signal strength, which
// a polling thread reads in the background once the opening queries are done. A commit stops the
// thread, escapes into command mode and writes the ID; after an acknowledged commit the port is
// closed, after a failed one it stays open and the thread reads on.
class CDialogMicrohardRover : public CRadioDialog {
    Q_OBJECT
public:
    CDialogMicrohardRover(QWidget* parent, CSerialPort* port, CModel* model);
    ~CDialogMicrohardRover() override;

    const CSignalPoller& Poller() const { return m_Poller; }

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void OnCancel() override;

private:
    void OnTimer();
    void FirstTick();
    void StartPoller();
    void StopPoller();
    void OnCommit();

    Ui::CDialogMicrohardRover* m_Ui;
    QTimer m_Timer;
    bool m_FirstTick = true;
    bool m_Started = false;
    int m_ShownLevel = -1;
    CSerialRadioLink m_ThreadLink;  // plain sleeps; outlives the poller that borrows it
    CSignalPoller m_Poller;
};
