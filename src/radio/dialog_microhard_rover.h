#pragma once

#include <optional>

#include "radio/polling_rover_dialog.h"

namespace Ui {
class CDialogMicrohardRover;
}

// The rover's Microhard radio: radio ID, firmware version and the received signal strength, which
// a polling thread reads in the background once the opening queries are done. A commit stops the
// thread, escapes into command mode and writes the ID; after an acknowledged commit the port is
// closed, after a failed one it stays open and the thread reads on.
class CDialogMicrohardRover : public CPollingRoverDialog {
    Q_OBJECT
public:
    CDialogMicrohardRover(QWidget* parent, CSerialPort* port, CModel* model);
    ~CDialogMicrohardRover() override;

protected:
    void OnFirstShow() override;
    void OnDisplayTimer() override;
    void OnReconnected() override;

private:
    // The opening reads (radio ID, firmware), then, with startPoller, the thread; their failure.
    std::optional<SQueryResult> ReadRadio(bool startPoller);
    void OnCommit();

    Ui::CDialogMicrohardRover* m_Ui;
    bool m_FirstTick = true;  // the opening reads have not run yet
};
