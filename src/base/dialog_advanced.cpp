#include "base/dialog_advanced.h"

#include <QAccessible>
#include <QPushButton>
#include <QSignalBlocker>

#include <string>

#include "connection/model.h"
#include "marks/base_session.h"
#include "ui/app_icon.h"
#include "ui/display_text.h"
#include "ui/elided_label.h"
#include "ui/prompter.h"
#include "ui/string_table.h"
#include "ui_dialog_advanced.h"

CDialogAdvanced::CDialogAdvanced(QWidget* parent, CBaseSession* session, CModel* model)
    : QDialog(parent),
      m_Ui(new Ui::CDialogAdvanced),
      m_Session(session),
      m_Model(model),
      m_Logic(model, session ? &session->Settings() : nullptr, session ? &session->Status() : nullptr, this)
{
    m_Ui->setupUi(this);
    setWindowIcon(VarnelIcon());
    // Group titles and captions the code does not set (the code's own texts follow).
    TranslateTemplateTexts(this, m_Model ? m_Model->GetLanguageModule() : nullptr);

    setWindowTitle(UiText(m_Model, StringIds::AdvancedSettings));
    const struct {
        QAbstractButton* Button;
        int Id;
    } captions[] = {
        {m_Ui->buttonReadSettings, StringIds::ReadSettings},
        {m_Ui->buttonWriteSettings, StringIds::WriteSettings},
        {m_Ui->buttonBox->button(QDialogButtonBox::Ok), StringIds::Ok},
        {m_Ui->buttonBox->button(QDialogButtonBox::Cancel), StringIds::Cancel},
    };
    for (const auto& c : captions) {
        c.Button->setText(UiText(m_Model, c.Id));
        c.Button->setAccessibleName(c.Button->text());
    }
    for (QLabel* label : {m_Ui->labelBatteryVoltage, m_Ui->labelBatteryRemaining, m_Ui->labelBatteryState,
                          m_Ui->labelPowerSource})
        label->setAccessibleName(label->text());

    for (EBatterySlider slider : AllBatterySliders) {
        const SSliderScale scale = SliderScale(slider);
        QSlider* s = Slider(slider);
        s->setRange(scale.Minimum, scale.Maximum);
        connect(s, &QSlider::valueChanged, this, [this, slider](int position) { OnSliderMoved(slider, position); });
    }
    m_Ui->sliderDischargeRate->setTickInterval(DischargeTickInterval);
    // The sliders show the record as it stands from the start, not only after the first refresh.
    m_Logic.ShowSettings();

    connect(m_Ui->buttonReadSettings, &QPushButton::clicked, this, [this] { m_Logic.ReadSettings(); });
    connect(m_Ui->buttonWriteSettings, &QPushButton::clicked, this, &CDialogAdvanced::OnWriteSettings);
    m_Ui->labelReadBack->hide();
    // OK keeps what the sliders set, Cancel puts back what the dialog opened with; neither sends.
    connect(m_Ui->buttonBox, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(m_Ui->buttonBox, &QDialogButtonBox::rejected, this, &QDialog::reject);

    m_Timer.setSingleShot(false);
    connect(&m_Timer, &QTimer::timeout, this, &CDialogAdvanced::OnTimer);
}

CDialogAdvanced::~CDialogAdvanced()
{
    m_Timer.stop();
    delete m_Ui;
}

void CDialogAdvanced::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!m_Timer.isActive()) {
        m_Logic.ShowSettings();  // the record may have changed since construction
        m_Timer.start(AdvancedTiming::TickPeriodMs);
    }
}

// A closed dialog asks the base nothing.
void CDialogAdvanced::hideEvent(QHideEvent* event)
{
    m_Timer.stop();
    QDialog::hideEvent(event);
}

void CDialogAdvanced::OnTimer()
{
    UpdateSending();
    m_Logic.Tick();
}

void CDialogAdvanced::SetLostReason(LostReason reason)
{
    m_LostReason = std::move(reason);
    UpdateSending();
}

void CDialogAdvanced::UpdateSending()
{
    const QString reason = m_LostReason ? m_LostReason() : QString();
    if (reason == m_ShownLostReason && m_Ui->buttonWriteSettings->isEnabled() == reason.isEmpty())
        return;
    m_ShownLostReason = reason;
    // As in the owner's window: disabled while the port is lost, its link line saying why.
    for (QPushButton* sending : {m_Ui->buttonReadSettings, m_Ui->buttonWriteSettings}) {
        sending->setEnabled(reason.isEmpty());
        sending->setToolTip(reason);
        sending->setAccessibleDescription(reason);
    }
}

void CDialogAdvanced::OnWriteSettings()
{
    std::string refusal;
    if (m_Logic.WriteSettings(&refusal) == EWriteResult::Refused) {
        CPrompter::Current().Error(this, QString::fromStdString(refusal));
        return;
    }
    ShowLabelText(m_Ui->labelReadBack, QString());
    m_Ui->labelReadBack->hide();
}

void CDialogAdvanced::ShowReadBack(const std::string& text)
{
    ShowLabelText(m_Ui->labelReadBack, QString::fromStdString(text));
    m_Ui->labelReadBack->setAccessibleName(m_Ui->labelReadBack->text());
    m_Ui->labelReadBack->show();
    // The focus stays where it is, so a screen reader learns of the outcome through an alert.
    QAccessibleEvent alert(m_Ui->labelReadBack, QAccessible::Alert);
    QAccessible::updateAccessibility(&alert);
}

QString CDialogAdvanced::ReadBackText() const
{
    return m_Ui->labelReadBack->isHidden() ? QString() : m_Ui->labelReadBack->text();
}

void CDialogAdvanced::reject()
{
    m_Logic.RestoreOpeningLevels();
    QDialog::reject();
}

QSlider* CDialogAdvanced::Slider(EBatterySlider slider) const
{
    switch (slider) {
    case EBatterySlider::WarnLevel: return m_Ui->sliderWarnLevel;
    case EBatterySlider::CriticalLevel: return m_Ui->sliderCriticalLevel;
    case EBatterySlider::DischargeRate: break;
    }
    return m_Ui->sliderDischargeRate;
}

QLabel* CDialogAdvanced::Label(EBatterySlider slider) const
{
    switch (slider) {
    case EBatterySlider::WarnLevel: return m_Ui->labelWarnLevel;
    case EBatterySlider::CriticalLevel: return m_Ui->labelCriticalLevel;
    case EBatterySlider::DischargeRate: break;
    }
    return m_Ui->labelDischargeRate;
}

void CDialogAdvanced::SetSliderLabel(EBatterySlider slider, const std::string& text)
{
    const QString t = QString::fromStdString(text);
    ShowLabelText(Label(slider), t);
    Slider(slider)->setAccessibleName(t);
}

void CDialogAdvanced::OnSliderMoved(EBatterySlider slider, int position)
{
    SetSliderLabel(slider, m_Logic.MoveSlider(slider, position));
}

void CDialogAdvanced::WriteLine(std::string_view sentence)
{
    if (m_Session)
        m_Session->Send(sentence);
}

void CDialogAdvanced::ShowStatus(const SBatteryStatusTexts& texts)
{
    ShowLabelText(m_Ui->labelBatteryVoltage, QString::fromStdString(texts.Voltage));
    ShowLabelText(m_Ui->labelBatteryRemaining, QString::fromStdString(texts.Remaining));
    ShowLabelText(m_Ui->labelBatteryState, QString::fromStdString(texts.State));
    ShowLabelText(m_Ui->labelPowerSource, QString::fromStdString(texts.PowerSource));
}

void CDialogAdvanced::ShowSlider(EBatterySlider slider, const SSliderView& view)
{
    {
        // Positioning is not the operator's move: the record keeps its exact value.
        const QSignalBlocker block(Slider(slider));
        Slider(slider)->setValue(view.Position);
    }
    SetSliderLabel(slider, view.Label);
}
