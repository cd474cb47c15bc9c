#pragma once

#include <QTimer>

#include "radio/radio_dialog_support.h"
#include "radio/satel_dialect.h"

class CSatelChannel;

namespace Ui {
class CDialogSatelRover;
}

// The rover's Satel radio: its channel (frequency) on a slider, read when the dialog opens, and
// the received signal strength, asked every 2 s by a timer-driven poll that never blocks the
// window. The poll stops before a commit sends anything and whenever the dialog ends.
class CDialogSatelRover : public CRadioDialog {
    Q_OBJECT
public:
    CDialogSatelRover(QWidget* parent, CSerialPort* port, CModel* model);
    ~CDialogSatelRover() override;

protected:
    void OnFirstShow() override;
    void OnLinkBack() override;
    void OnCancel() override;

private:
    void ReadRadio();
    void OnPollTimer();
    void StartPoll();
    void StopPoll();
    void OnCommit();

    Ui::CDialogSatelRover* m_Ui;
    Satel::CSignalPoll m_Poll;
    QTimer m_PollTimer;
    CSatelChannel* m_Channel;  // owned by the dialog
};
