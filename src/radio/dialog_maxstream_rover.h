#pragma once

#include <QTimer>

#include "radio/radio_dialog_support.h"
#include "radio/signal_poller.h"

namespace Ui {
class CDialogMaxstreamRover;
}

// The rover's Maxstream radio: its radio ID (0..9) and the received signal strength, which a
// polling thread reads in the background once the opening query has succeeded. A commit stops the
// thread, escapes into command mode and writes the ID; after a failed one the thread reads on.
class CDialogMaxstreamRover : public CRadioDialog {
    Q_OBJECT
public:
    CDialogMaxstreamRover(QWidget* parent, CSerialPort* port, CModel* model);
    ~CDialogMaxstreamRover() override;

    const CSignalPoller& Poller() const { return m_Poller; }

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void OnCancel() override;

private:
    void ReadRadio();
    void OnTimer();
    void StartPoller();
    void StopPoller();
    void UpdateCommit();
    void OnCommit();

    Ui::CDialogMaxstreamRover* m_Ui;
    QTimer m_Timer;
    bool m_Started = false;
    int m_ShownLevel = 0;
    CSerialRadioLink m_ThreadLink;  // plain sleeps; outlives the poller that borrows it
    CSignalPoller m_Poller;
};
