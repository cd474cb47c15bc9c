#pragma once

#include <QDialog>
#include <QTimer>

#include <functional>

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

    // Why nothing can be sent now (the owner's link line while its port is lost), or empty. Asked on
    // every tick; the sending buttons follow it, as the owner's own do.
    using LostReason = std::function<QString()>;
    void SetLostReason(LostReason reason);
    // The read-back's outcome as shown (empty before the first write).
    QString ReadBackText() const;

public slots:
    // Cancel: the record gets back the levels the dialog opened with.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void OnTimer();
    void OnSliderMoved(EBatterySlider slider, int position);
    QSlider* Slider(EBatterySlider slider) const;
    QLabel* Label(EBatterySlider slider) const;
    void SetSliderLabel(EBatterySlider slider, const std::string& text);
    void OnWriteSettings();
    void UpdateSending();

    void WriteLine(std::string_view sentence) override;
    void ShowStatus(const SBatteryStatusTexts& texts) override;
    void ShowSlider(EBatterySlider slider, const SSliderView& view) override;
    void ShowReadBack(const std::string& text) override;

    Ui::CDialogAdvanced* m_Ui;
    CBaseSession* m_Session;
    CModel* m_Model;
    CAdvancedSettings m_Logic;
    QTimer m_Timer;
    LostReason m_LostReason;
    QString m_ShownLostReason;
};
