#pragma once

#include "radio/polling_rover_dialog.h"

namespace Ui {
class CDialogMaxstreamRover;
}

// The rover's Maxstream radio: its radio ID (0..9) and the received signal strength, which a
// polling thread reads in the background once the opening query has succeeded. A commit stops the
// thread, escapes into command mode and writes the ID; after a failed one the thread reads on.
class CDialogMaxstreamRover : public CPollingRoverDialog {
    Q_OBJECT
public:
    CDialogMaxstreamRover(QWidget* parent, CSerialPort* port, CModel* model);
    ~CDialogMaxstreamRover() override;

protected:
    void OnFirstShow() override;

private:
    void ReadRadio();
    void UpdateCommit();
    void OnCommit();

    Ui::CDialogMaxstreamRover* m_Ui;
};
