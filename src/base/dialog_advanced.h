#pragma once

#include <QDialog>
#include <QTimer>

#include "base/advanced_settings.h"

namespace Ui {
class CDialogAdvanced;
}
class QLabel;
class QSlider;
class CBaseSession;
class CModel;

// The base's battery settings: three sliders edit the internal battery's levels and discharge rate
// in the shared settings record at once; "Write Settings" sends them to the base. Borrows the base
// configuration dialog's session, which goes on reading the port and dispatching while this dialog
// is open, and shows the live battery status from its records. Owns none of what it is given; the
// caller runs it modally.
class CDialogAdvanced : public QDialog, private CAdvancedHost {
    Q_OBJECT
public:
    CDialogAdvanced(QWidget* parent, CBaseSession* session, CModel* model);
    ~CDialogAdvanced() override;

    const CAdvancedSettings& Logic() const { return m_Logic; }

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void OnTimer();
    void OnSliderMoved(EBatterySlider slider, int position);
    QSlider* Slider(EBatterySlider slider) const;
    QLabel* Label(EBatterySlider slider) const;
    void SetSliderLabel(EBatterySlider slider, const std::string& text);

    void WriteLine(std::string_view sentence) override;
    void ShowStatus(const SBatteryStatusTexts& texts) override;
    void ShowSlider(EBatterySlider slider, const SSliderView& view) override;

    Ui::CDialogAdvanced* m_Ui;
    CBaseSession* m_Session;
    CModel* m_Model;
    CAdvancedSettings m_Logic;
    QTimer m_Timer;
};
