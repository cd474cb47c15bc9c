#pragma once

#include "radio/radio_dialog_support.h"

namespace Ui {
class CDialogMaxstreamBase;
}

// The base's Maxstream radio: its radio ID (0..9), read when the dialog opens and written as
// destination address and hopping channel. Commit stays disabled while no ID is selected, so an
// ID that was not read is never written.
class CDialogMaxstreamBase : public CRadioDialog {
    Q_OBJECT
public:
    CDialogMaxstreamBase(QWidget* parent, CSerialPort* port, CModel* model);
    ~CDialogMaxstreamBase() override;

protected:
    void OnFirstShow() override;
    void OnLinkBack() override;

private:
    void ReadRadio();
    void UpdateCommit();
    void OnCommit();

    Ui::CDialogMaxstreamBase* m_Ui;
};
