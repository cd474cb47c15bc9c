#pragma once

#include "radio/radio_dialog_support.h"

class CSatelChannel;

namespace Ui {
class CDialogSatelBase;
}

// The base's Satel radio: its channel (frequency, 433.000 to 435.000 MHz in 25 kHz steps) on a
// slider, read when the dialog opens, and its RF power (1 W or 500 mW).
class CDialogSatelBase : public CRadioDialog {
    Q_OBJECT
public:
    CDialogSatelBase(QWidget* parent, CSerialPort* port, CModel* model);
    ~CDialogSatelBase() override;

protected:
    void OnFirstShow() override;
    void OnLinkBack() override;

private:
    void ReadRadio();
    void OnCommit();

    Ui::CDialogSatelBase* m_Ui;
    CSatelChannel* m_Channel;  // owned by the dialog
};
