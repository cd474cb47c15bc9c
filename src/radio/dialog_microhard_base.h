#pragma once

#include <QTimer>

#include "radio/radio_dialog_support.h"

namespace Ui {
class CDialogMicrohardBase;
}

// The base's Microhard radio: radio ID and, with the service options ("dir" or "def"), RF power,
// packet retransmissions and battery-saving level. Without the options the layout is compact and
// the radio's settings are read at opening; with them the defaults are shown and "Read current
// settings" reads the radio on request. The firmware version is read at opening in both.
class CDialogMicrohardBase : public CRadioDialog {
    Q_OBJECT
public:
    CDialogMicrohardBase(QWidget* parent, CSerialPort* port, CModel* model);
    ~CDialogMicrohardBase() override;

    bool ServiceOptions() const { return m_ServiceOptions; }

protected:
    void OnFirstShow() override;
    void OnLinkBack() override;

private:
    void OnTimer();
    void ReadSettings();
    void OnReadSettingsButton();
    void ShowDefaults();
    void OnCommit();

    Ui::CDialogMicrohardBase* m_Ui;
    bool m_ServiceOptions;
    bool m_ReadPending;
    QTimer m_Timer;
};
