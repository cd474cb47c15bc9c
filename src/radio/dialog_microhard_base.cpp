#include "radio/dialog_microhard_base.h"

#include "connection/model.h"
#include "radio/command_mode.h"
#include "radio/microhard_dialect.h"
#include "radio/radio_timing.h"
#include "ui/string_table.h"
#include "ui_dialog_microhard_base.h"

namespace {

const QString ReadCaption = QStringLiteral("Read current settings");
const QString DefaultsCaption = QStringLiteral("Set to defaults");

QString Q(const std::string& text)
{
    return QString::fromStdString(text);
}

}  // namespace

CDialogMicrohardBase::CDialogMicrohardBase(QWidget* parent, CSerialPort* port, CModel* model)
    : CRadioDialog(parent, port, model), m_Ui(new Ui::CDialogMicrohardBase),
      m_ServiceOptions(model && (model->GetDirectConnectEnabled() != 0 || model->GetWriteDefaultsFlags() != 0)),
      m_ReadPending(!m_ServiceOptions)
{
    m_Ui->setupUi(this);
    m_Timer.setSingleShot(true);
    connect(&m_Timer, &QTimer::timeout, this, &CDialogMicrohardBase::OnTimer);
    connect(m_Ui->buttonReadSettings, &QPushButton::clicked, this, &CDialogMicrohardBase::OnReadSettingsButton);
    connect(m_Ui->buttonCommit, &QPushButton::clicked, this, &CDialogMicrohardBase::OnCommit);
    connect(m_Ui->buttonCancel, &QPushButton::clicked, this, &CDialogMicrohardBase::reject);
}

CDialogMicrohardBase::~CDialogMicrohardBase()
{
    delete m_Ui;
}

void CDialogMicrohardBase::OnFirstShow()
{
    for (int id = 0; id <= Microhard::MaxRadioId; ++id)
        m_Ui->comboRadioId->addItem(Q(Microhard::RadioIdText(id)), id);
    for (int n = 0; n <= Microhard::MaxRetransmissions; ++n)
        m_Ui->comboRetransmissions->addItem(QString::number(n), n);
    for (std::size_t i = 0; i < Microhard::PowerEntries.size(); ++i)
        m_Ui->comboPower->addItem(QString::fromLatin1(Microhard::PowerEntries[i]), static_cast<int>(i));
    if (m_ServiceOptions) {
        ShowDefaults();
    } else {
        // Compact: only the radio ID; the settings that need the service options are not offered.
        for (QWidget* w : {static_cast<QWidget*>(m_Ui->labelPower), static_cast<QWidget*>(m_Ui->comboPower),
                           static_cast<QWidget*>(m_Ui->labelRetransmissions),
                           static_cast<QWidget*>(m_Ui->comboRetransmissions),
                           static_cast<QWidget*>(m_Ui->panelBattery)})
            w->hide();
        adjustSize();
    }
    ShowLinkLine();
    m_Timer.start(RadioTiming::DisplayTimerMs);
}

void CDialogMicrohardBase::ShowDefaults()
{
    m_Ui->comboRadioId->setCurrentIndex(0);
    m_Ui->comboRetransmissions->setCurrentIndex(Microhard::DefaultRetransmissions);
    m_Ui->comboPower->setCurrentText(QString::fromLatin1(Microhard::DefaultPower));
    m_Ui->sliderBattery->setValue(Microhard::DefaultBatteryPosition);
}

void CDialogMicrohardBase::OnTimer()
{
    m_Timer.stop();
    {
        CBusy busy(*this);
        if (m_ReadPending) {
            m_ReadPending = false;
            ReadSettings();
        }
        const SQueryResult firmware = Microhard::QueryFirmwareVersion(Link());
        if (firmware.Ok)
            SetLiveText(m_Ui->labelFirmware, m_Ui->labelFirmwareCaption->text(), RadioText(firmware.Value));
    }
    RememberFields();
    OpeningDone();
}

void CDialogMicrohardBase::OnLinkBack()
{
    m_Timer.stop();
    {
        // The radio may have left command mode while the cable was out.
        CBusy busy(*this);
        EnterCommandMode(Link(), Microhard::Escape);
    }
    // The settings are read again where the opening read them.
    m_ReadPending = !m_ServiceOptions;
    RereadKeepingEdits([this] { OnTimer(); });
}

void CDialogMicrohardBase::ReadSettings()
{
    using namespace Microhard;
    // A radio that answers nothing would make every query wait out its deadline; after the first
    // silent one the rest are skipped. Each failure keeps the control as it was, except the radio
    // ID, which is left empty rather than showing an ID that was not read.
    std::optional<SQueryResult> failure;
    auto query = [&](const char* command) -> std::optional<std::string> {
        if (failure && failure->Received.empty())
            return std::nullopt;
        SQueryResult r = RunQuery(Link(), command, SettingRule(command, EOverflow::Zero));
        if (r.Ok)
            return r.Value;
        if (!failure)
            failure = r;
        return std::nullopt;
    };
    if (auto v = query(QueryRadioId)) {
        m_Ui->comboRadioId->setCurrentText(Q(RadioIdText(RadioIdFromRegister(*v))));
        SetReadRadioId(m_Ui->comboRadioId->currentText());
    } else {
        m_Ui->comboRadioId->setCurrentText(QString());
        SetReadRadioId(std::nullopt);
    }
    if (auto v = query(QueryRetransmissions))
        m_Ui->comboRetransmissions->setCurrentText(Q(RetransmissionsFromRegister(*v)));
    if (auto v = query(QueryPower))
        m_Ui->comboPower->setCurrentText(Q(PowerTextFromCode(*v)));
    if (auto v = query(QueryBatterySaving))
        m_Ui->sliderBattery->setValue(BatteryPositionFromRegister(*v));
    if (failure)
        ShowReadFailed(*failure);
}

void CDialogMicrohardBase::OnReadSettingsButton()
{
    if (m_Ui->buttonReadSettings->text().startsWith(QLatin1Char('R'))) {
        m_ReadPending = true;
        m_Timer.start(RadioTiming::DisplayTimerMs);
        m_Ui->buttonReadSettings->setText(DefaultsCaption);
    } else {
        ShowDefaults();
        m_Ui->buttonReadSettings->setText(ReadCaption);
    }
    m_Ui->buttonReadSettings->setAccessibleName(m_Ui->buttonReadSettings->text());
}

void CDialogMicrohardBase::OnCommit()
{
    using namespace Microhard;
    if (Busy())
        return;
    const std::optional<int> id = ParseRadioId(m_Ui->comboRadioId->currentText().toStdString());
    if (!id) {
        ShowMessage(QMessageBox::Warning, Text(StringIds::RadioIdOutOfRange));
        return;
    }
    SBaseChoices choices;
    choices.RadioId = *id;
    choices.ServiceOptions = m_ServiceOptions;
    choices.WriteDefaults = (Model()->GetWriteDefaultsFlags() & WriteDefaults::BoxTicked) != 0;
    if (choices.WriteDefaults && !ConfirmWriteDefaults(QString::fromStdString(RadioIdText(*id))))
        return;
    if (m_ServiceOptions) {
        const auto retransmissions = ParseRetransmissions(m_Ui->comboRetransmissions->currentText().toStdString());
        const auto power = PowerCodeFromText(m_Ui->comboPower->currentText().toStdString());
        if (!retransmissions || !power)
            return;  // both lists always hold a selection
        choices.Retransmissions = *retransmissions;
        choices.PowerCode = *power;
        choices.BatteryPosition = m_Ui->sliderBattery->value();
    }
    SCommitResult result;
    {
        CBusy busy(*this);
        m_Timer.stop();
        result = RunCommit(Link(), BaseCommit(choices));
    }
    FinishCommit(result);
}
