#pragma once

#include <optional>

#include "radio/radio_dialog_support.h"

class QComboBox;

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
    void showEvent(QShowEvent* event) override;

private:
    void ReadRadio();
    void UpdateCommit();
    void OnCommit();

    Ui::CDialogMaxstreamBase* m_Ui;
    bool m_Started = false;
};

namespace MaxstreamUi {
// Entries "0".."9" with their numbers as item data; `selected` outside 0..9 selects none.
void FillRadioIds(QComboBox* combo, int selected);
// Selects the radio ID of an "ATDT?" answer. When the query failed or the radio reported no ID of
// 0..9, selects none and returns what to report.
std::optional<SQueryResult> ShowReadRadioId(QComboBox* combo, const SQueryResult& result);
}  // namespace MaxstreamUi
